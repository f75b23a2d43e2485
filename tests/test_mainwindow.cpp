#include "celllabel.h"
#include "fonts.h"
#include "frmmain.h"
#include "qtfakes.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Window {
    QTemporaryDir dir;
    ScriptedQtPlatform platform;
    modMain m{platform};
    std::unique_ptr<frmMain> w;
    explicit Window(int runMode = 0) {
        m.AppFolder = dir.path().toStdString() + "/";
        m.SysSetting = {static_cast<std::int16_t>(runMode), 0, 99};
        w = std::make_unique<frmMain>(m, platform);
        w->show();
    }
    void keys(const QString& sequence) {
        for (QChar ch : sequence) {
            if (ch == 'R')
                QTest::keyClick(w.get(), Qt::Key_Right);
            else if (ch == 'L')
                QTest::keyClick(w.get(), Qt::Key_Left);
            else if (ch == 'U')
                QTest::keyClick(w.get(), Qt::Key_Up);
            else if (ch == 'D')
                QTest::keyClick(w.get(), Qt::Key_Down);
            else if (ch == 'T')
                QTest::keyClick(w.get(), Qt::Key_Tab);
            else if (ch == 'B')
                QTest::keyClick(w.get(), Qt::Key_Backtab, Qt::ShiftModifier);
            else if (ch == 'E')
                QTest::keyClick(w.get(), Qt::Key_Return);
            else if (ch == '@')
                QTest::keyClick(w.get(), Qt::Key_At);
            else
                QTest::keyClick(w.get(), ch.toLatin1());
        }
    }
    QString text(int box) const { return w->cell(box)->text(); }
    QString label(const char* name) const { return w->findChild<QLabel*>(name)->text(); }
    void click(int box, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(w->cell(box), b); }
};
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetUpApplication(); }

    void typedNumbers_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("last two digits count") << "123" << "23" << "";
        QTest::newRow("a single zero") << "0" << "0" << "";
        QTest::newRow("no leading zero") << "05" << "5" << "";
        QTest::newRow("a move starts a new number") << "4R2" << "4" << "2";
        QTest::newRow("@ keeps the digits typed") << "5@3" << "53" << "";
        QTest::newRow("an edge keeps the digits typed") << "1L2" << "12" << "";
    }
    void typedNumbers() {
        QFETCH(QString, keys);
        QFETCH(QString, first);
        QFETCH(QString, second);
        Window win;
        win.keys(keys);
        QCOMPARE(win.text(0), first);
        QCOMPARE(win.text(1), second);
        QCOMPARE(win.m.DocChanged, std::int16_t(-1));
    }

    void navigation_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("to");
        QTest::newRow("right into the next sheet") << 4 << "R" << 25;
        QTest::newRow("down into the sheet below") << 70 << "D" << 150;
        QTest::newRow("up into the sheet above") << 150 << "U" << 70;
        QTest::newRow("left into the sheet before") << 30 << "L" << 9;
        QTest::newRow("no wrap at the top") << 2 << "U" << 2;
        QTest::newRow("no wrap at the bottom") << 199 << "D" << 199;
        QTest::newRow("no wrap at the left") << 100 << "L" << 100;
        QTest::newRow("no wrap at the right") << 79 << "R" << 79;
        QTest::newRow("tab wraps to the first sheet") << 187 << "T" << 12;
        QTest::newRow("shift+tab wraps to the last sheet") << 3 << "B" << 178;
        QTest::newRow("enter wraps within the sheet") << 49 << "E" << 25;
    }
    void navigation() {
        QFETCH(int, from);
        QFETCH(QString, keys);
        QFETCH(int, to);
        Window win;
        win.click(from);
        QWidget* focus = QApplication::focusWidget();
        win.keys(keys);
        QCOMPARE(int(win.m.CurBox), to);
        QCOMPARE(QApplication::focusWidget(), focus); // keys never move the focus
        for (int b : {from, to})
            QCOMPARE(win.m.BBox[b].BackColor, b == to ? Colour::Navy : Colour::White);
    }

    void realRunGameByKeys() {
        Window win;
        SetCells(win, 0, {"5", "7", "9", "11", "13"}); // first row of sheet 1
        win.w->action("mn_Start")->trigger();
        QCOMPARE(win.label("LBLineMess"), QString("実行中 / 実戦形式"));
        QVERIFY(win.w->findChild<QLabel*>("LBNum")->isVisible());
        win.keys("5E7E9E11E");
        QCOMPARE(win.label("LBNum"), QString("4"));
        QCOMPARE(win.w->findChild<CellLabel*>("LBLog0")->text(), QString("11"));
        QCOMPARE(win.w->findChild<CellLabel*>("LBLog3")->text(), QString("5"));
        QCOMPARE(win.w->findChild<CellLabel*>("BMess0")->text(), QString("Hit! Reach1"));
        QCOMPARE(win.label("StatusBar1Panel1"), QString("ﾘｰﾁ番号は、13です。"));
        QCOMPARE(win.m.BBox[4].ForeColor, Colour::Blue);
        win.keys("13E");
        QCOMPARE(win.w->findChild<CellLabel*>("BMess0")->text(), QString("Hit! Bingo1"));
        QCOMPARE(win.m.BBox[2].BackColor, Colour::Red);
        win.click(50); // cells ignore clicks in a run
        QCOMPARE(int(win.m.CurBox), 0);
        win.w->action("mn_End")->trigger();
        QCOMPARE(win.label("LBLineMess"), QString("編集モード"));
        QVERIFY(!win.w->findChild<QLabel*>("LBNum")->isVisible());
        QCOMPARE(win.m.BBox[0].BackColor, Colour::Navy);
    }

    void randRunGameByClicks() {
        Window win(1);
        win.w->toolButton("Start")->trigger();
        QVERIFY(win.w->timer1().isActive());
        for (int call = 1; call <= 3; ++call) {
            QTRY_VERIFY(!win.m.LBInput.empty());
            const QString shown = win.w->findChild<CellLabel*>("LBInput")->text();
            QTest::mouseClick(win.w->findChild<CellLabel*>("LBInput"), Qt::LeftButton);
            QCOMPARE(win.w->findChild<CellLabel*>("LBLog0")->text(), shown);
            QCOMPARE(win.label("LBNum"), QString::number(call));
        }
        win.keys("4"); // digits change nothing visible in this mode
        QCOMPARE(win.text(win.m.CurBox), QString());
        win.w->toolButton("Stop")->trigger();
        QVERIFY(!win.w->timer1().isActive());
    }

    void rightClickActsOnTheClickedSheet() {
        Window win;
        QTimer::singleShot(0, [&] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            win.w->action("mnPopHole")->trigger();
        });
        win.click(60, Qt::RightButton);
        QCOMPARE(int(win.m.CurBox), 60);
        QCOMPARE(win.text(50 + 12), QString("@"));
        QCOMPARE(win.text(12), QString());
    }

    void deleteKeyVersusToolbarDel() {
        Window win;
        win.keys("7R8");
        win.m.DocChanged = 0;
        win.w->action("mnDelete")->trigger();
        QCOMPARE(win.text(1), QString());
        QCOMPARE(win.text(0), QString("7"));
        QCOMPARE(win.m.DocChanged, std::int16_t(-1)); // a deleted number is an edit too
        win.platform.answers = {vbNo};
        win.w->toolButton("Del")->trigger();
        QCOMPARE(win.text(0), QString("7"));
        win.w->toolButton("Del")->trigger();
        QCOMPARE(win.text(0), QString());
        QCOMPARE(win.platform.prompts.back(), std::string("全てのｼｰﾄを消去します。よろしいですか?"));
    }

    void runModeButtons() {
        Window win;
        const QString ini = win.dir.filePath("numbalo.ini");
        win.w->toolButton("RealRun")->trigger(); // already pressed: nothing, not even a write
        QVERIFY(!QFile::exists(ini));
        QVERIFY(win.w->toolButton("RealRun")->isChecked());
        win.w->toolButton("RandRun")->trigger();
        QCOMPARE(win.m.SysSetting.RunMode, std::int16_t(1));
        QVERIFY(QFile::exists(ini));
        QVERIFY(win.w->toolButton("RandRun")->isChecked());
        QVERIFY(!win.w->toolButton("RealRun")->isChecked());
        QCOMPARE(win.m.DocChanged, std::int16_t(0));
    }

    void controlsFollowTheRun() {
        Window win;
        QVERIFY(!win.w->action("mn_End")->isEnabled());
        win.w->action("mn_Start")->trigger();
        for (const char* name : {"mn_New", "mn_Open", "mn_Save", "mn_As", "mnDelete", "mnOption", "mn_Start"})
            QVERIFY2(!win.w->action(name)->isEnabled(), name);
        for (const char* key : {"New", "Del", "RealRun", "Info", "Start"})
            QVERIFY2(!win.w->toolButton(key)->isEnabled(), key);
        QVERIFY(win.w->toolButton("Stop")->isEnabled() && win.w->toolButton("Help")->isEnabled());
        QVERIFY(win.w->action("mn_Quit")->isEnabled());
    }

    void realMessageBoxKeepsTheRouletteRolling() {
        // The real platform: a modal question with Japanese buttons, answered by a timer.
        QTemporaryDir dir;
        QtPlatform platform;
        modMain m(platform);
        m.AppFolder = dir.path().toStdString() + "/";
        m.SysSetting = {1, 0, 99};
        frmMain w(m, platform);
        w.show();
        int ticksUnderQuestion = 0;
        QString noText;
        auto answer = [&](QMessageBox::StandardButton button, bool count) {
            auto* poll = new QTimer(&w);
            connect(poll, &QTimer::timeout, [&, poll, button, count] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                if (count && ticksUnderQuestion++ < 5)
                    return; // let the roulette roll a while under the question
                noText = box->button(QMessageBox::No)->text();
                poll->deleteLater();
                box->button(button)->click();
            });
            poll->start(60);
        };
        answer(QMessageBox::Yes, false);
        w.mn_Start_Click();
        QTRY_VERIFY(!m.LBInput.empty());
        answer(QMessageBox::No, true);
        w.mn_End_Click();
        QVERIFY(noText.contains("いいえ"));
        QCOMPARE(m.LBLineMess, std::string("実行中 / 乱数形式"));
        QVERIFY(w.timer1().isActive());
    }

    void helpViewer() {
        Window win;
        win.w->mnCont_Click(); // no help file in the program's folder: a message, no crash
        QVERIFY(!win.w->helpViewer()->hasDocument());
        QVERIFY(win.w->helpViewer()->findChild<QTextBrowser*>("HelpBrowser")->toPlainText().contains("numbalo.hlp"));
        QFile file(win.dir.filePath("numbalo.hlp"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<h1 id=\"contents\">目次</h1><h2 id=\"run\">ゲームの実行</h2><div id=\"keywords\">"
                   "<a class=\"keyword\" href=\"#run\">リーチ</a></div>");
        file.close();
        win.w->mnSrch_Click();
        QVERIFY(win.w->helpViewer()->hasDocument());
        auto* keywords = win.w->helpViewer()->findChild<QListWidget*>("HelpKeywords");
        QCOMPARE(keywords->count(), 1);
        QCOMPARE(keywords->item(0)->text(), QString("リーチ"));
        win.w->helpViewer()->close();
    }

    void dialogOutlivesTheMainWindow() {
        Window win;
        win.w->mnOption_Click();
        QPointer<QWidget> guard(win.w->findChild<QWidget*>("frmOption"));
        QVERIFY(guard);
        QVERIFY(win.w->close());
        QVERIFY(guard && guard->isVisible());
        QTest::mouseClick(guard->findChild<QPushButton*>("CmdOK"), Qt::LeftButton);
        QTRY_VERIFY(!guard);
        QVERIFY(QFile::exists(win.dir.filePath("numbalo.ini")));
    }

private:
    static void SetCells(Window& win, int first, std::initializer_list<const char*> texts) {
        int b = first;
        for (const char* t : texts)
            win.m.BBox[b++].Caption = t;
        win.w->SyncFromModel();
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
