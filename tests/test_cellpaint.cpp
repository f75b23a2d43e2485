// Cells and sheet frames keep their last painting to repaint fast. Each row brings a painted window into a state
// and repaints it: its pixels must equal those of a second window painted once, in the same state.
#include "celllabel.h"
#include "fixture.h"
#include "frmmain.h"
#include "sheetframe.h"

#include <QBackingStore>

namespace {

struct Window {
    Game g;
    frmMain w{g.m, g.platform, std::make_unique<FakeDialogs>()};
    // Each step an action triggered, or "keys:" keys typed (R, D arrows, T tab), "cells:" the numbers of these
    // cells of sheet 0 called, "tick" a roulette tick, "slow" a roulette that ticks only so, or a change named.
    void Do(const QString& steps) {
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            const QString arg = step.section(':', 1);
            if (step.startsWith("keys:"))
                for (const QChar k : arg)
                    QTest::keyClick(&w, k == 'R'   ? Qt::Key_Right
                                        : k == 'D' ? Qt::Key_Down
                                        : k == 'T' ? Qt::Key_Tab
                                                   : Qt::Key(k.unicode()));
            else if (step.startsWith("cells:"))
                for (const QString& c : arg.split(','))
                    g.Call(std::stoi(g.m.view.BBox[c.toInt()].Caption));
            else if (step == "tick")
                g.m.Timer1_Timer();
            else if (step == "slow")
                w.timer1().setInterval(3600000);
            else if (step == "font")
                w.cell(0)->setFont(QFont("DejaVu Sans", 7)), w.cell(1)->resize(w.cell(1)->size() - QSize(4, 4));
            else if (step == "rename")
                g.m.view.BSheet[0] = "一番目のシート", g.m.view.BSheet[7] = "", g.m.Refresh();
            else if (step == "palette") {
                QPalette dark = w.palette();
                dark.setColor(QPalette::Window, QColor(40, 40, 60));
                dark.setColor(QPalette::WindowText, Qt::yellow);
                w.setPalette(dark);
            } else if (step == "disable")
                w.setEnabled(false);
            else
                w.action(step)->trigger();
        }
    }
};
// The window's own pixels, as the screen gets them.
QImage Pixels(QWidget& w) { return static_cast<QImage*>(w.backingStore()->paintDevice())->copy(); }
} // namespace

class TestCellPaint : public QObject {
    Q_OBJECT
private slots:
    void windowLooksAsIfPaintedAfresh_data() {
        Columns<QString>("steps");
        Row("new document, edit mode", "");
        Row("random sheets, free holes, selection moved, number typed", "mnRand mnFreehole keys:RDD42T");
        // LBInput shows a candidate number.
        Row("RealRun with hits, a reach and a bingo", "mnRand mnFreehole mn_Start cells:0,1,2,3,4,5,6,7,8 keys:5");
        // Only the tick asked for: both windows show the same number.
        Row("RandRun roulette showing a number", "slow mnRand RandRun mn_Start cells:10,11,12 tick");
        Row("run ended, sheets cleared", "mnRand mn_Start cells:0,6,18,24 mn_End mn_Clear");
        Row("cell font and size changed", "mnRand font");
        Row("sheets renamed", "rename");
        Row("palette changed", "palette");
        Row("window disabled", "disable");
    }
    void windowLooksAsIfPaintedAfresh() {
        QFETCH(QString, steps);
        Window painted;
        painted.w.show();
        QCoreApplication::processEvents(); // everything painted once in the state before
        painted.Do(steps);
        QCoreApplication::processEvents();
        painted.w.repaint();
        for (const SheetFrame* frame : painted.w.findChildren<SheetFrame*>()) { // all but those between device pixels
            const QRect area(frame->mapTo(&painted.w, QPoint()), frame->size());
            QVERIFY(frame->hasKeptPainting() || !OnDevicePixels(area, frame->devicePixelRatioF()));
        }
        painted.w.repaint(); // the cells and frames copy what they kept

        Window fresh;
        fresh.Do(steps);
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
