// Cells and sheet frames keep their last painting to repaint fast. Each row brings a painted window into a state
// and repaints it: its pixels must equal those of a second window painted once, in the same state.
#include "celllabel.h"
#include "fixture.h"
#include "frmmain.h"
#include "sheetframe.h"

#include <QBackingStore>
#include <functional>

namespace {

struct Window {
    Game g;
    frmMain w{g.m, g.platform, std::make_unique<FakeDialogs>()};
    void Trigger(const QString& actions) {
        for (const QString& name : actions.split(' '))
            w.action(name)->trigger();
    }
    void CallCells(std::initializer_list<int> cells) { // the numbers of these cells of sheet 0
        for (int c : cells)
            g.Call(std::stoi(g.m.view.BBox[c].Caption));
    }
};
using Steps = std::function<void(Window&)>;

// The window's own pixels, as the screen gets them.
QImage Pixels(QWidget& w) { return static_cast<QImage*>(w.backingStore()->paintDevice())->copy(); }
} // namespace
Q_DECLARE_METATYPE(Steps)

class TestCellPaint : public QObject {
    Q_OBJECT
private slots:
    void windowLooksAsIfPaintedAfresh_data() {
        QTest::addColumn<Steps>("steps");
        QTest::newRow("new document, edit mode") << Steps([](Window&) {});
        QTest::newRow("random sheets, free holes, selection moved, number typed") << Steps([](Window& x) {
            x.Trigger("mnRand mnFreehole");
            for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_4, Qt::Key_2, Qt::Key_Tab})
                QTest::keyClick(&x.w, key);
        });
        QTest::newRow("RealRun with hits, a reach and a bingo") << Steps([](Window& x) {
            x.Trigger("mnRand mnFreehole mn_Start");
            x.CallCells({0, 1, 2, 3, 4, 5, 6, 7, 8});
            QTest::keyClick(&x.w, Qt::Key_5); // a candidate number in LBInput
        });
        QTest::newRow("RandRun roulette showing a number") << Steps([](Window& x) {
            x.w.timer1().setInterval(3600000); // only the tick below: both windows show the same number
            x.Trigger("mnRand RandRun mn_Start");
            x.CallCells({10, 11, 12});
            x.g.m.Timer1_Timer();
        });
        QTest::newRow("run ended, sheets cleared") << Steps([](Window& x) {
            x.Trigger("mnRand mn_Start");
            x.CallCells({0, 6, 18, 24});
            x.Trigger("mn_End mn_Clear");
        });
        QTest::newRow("cell font and size changed") << Steps([](Window& x) {
            x.Trigger("mnRand");
            x.w.cell(0)->setFont(QFont("DejaVu Sans", 7));
            x.w.cell(1)->resize(x.w.cell(1)->size() - QSize(4, 4));
        });
        QTest::newRow("sheets renamed") << Steps([](Window& x) {
            x.g.m.view.BSheet[0] = "一番目のシート";
            x.g.m.view.BSheet[7] = "";
            x.g.m.Refresh();
        });
        QTest::newRow("palette changed") << Steps([](Window& x) {
            QPalette dark = x.w.palette();
            dark.setColor(QPalette::Window, QColor(40, 40, 60));
            dark.setColor(QPalette::WindowText, Qt::yellow);
            x.w.setPalette(dark);
        });
        QTest::newRow("window disabled") << Steps([](Window& x) { x.w.setEnabled(false); });
    }
    void windowLooksAsIfPaintedAfresh() {
        QFETCH(Steps, steps);
        Window painted;
        painted.w.show();
        QCoreApplication::processEvents(); // everything painted once in the state before
        steps(painted);
        QCoreApplication::processEvents();
        painted.w.repaint();
        for (const SheetFrame* frame : painted.w.findChildren<SheetFrame*>()) { // all but those between device pixels
            const QRect area(frame->mapTo(&painted.w, QPoint()), frame->size());
            QVERIFY(frame->hasKeptPainting() || !OnDevicePixels(area, frame->devicePixelRatioF()));
        }
        painted.w.repaint(); // the cells and frames copy what they kept

        Window fresh;
        steps(fresh);
        fresh.w.show();
        for (Window* x : {&painted, &fresh}) // a minute may have turned between the two
            x->w.findChild<QLabel*>("StatusBar1Panel2")->setText("0:00");
        QCoreApplication::processEvents();
        const QImage a = Pixels(painted.w), b = Pixels(fresh.w);
        QCOMPARE(a.size(), b.size());
        int differing = 0; // how many pixels differ, and in which widget the first
        QPoint first;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y) && !differing++) first = {x, y};
        QVERIFY2(!differing, qPrintable(QString("%1 pixels differ, the first in %2")
                                            .arg(differing)
                                            .arg(fresh.w.childAt(first) ? fresh.w.childAt(first)->objectName() : "")));
    }
};

QTEST_MAIN(TestCellPaint)
#include "test_cellpaint.moc"
