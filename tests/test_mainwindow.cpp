#include "celllabel.h"
#include "fakeplatform.h"
#include "fonts.h"
#include "frmmain.h"

struct Window : Game {
    std::unique_ptr<frmMain> w;
    Window() : w(new frmMain(m, platform)) { w->show(); }
    // R, L, U, D arrows, T tab, B backtab, E enter; anything else as typed.
    void keys(const QString& sequence) {
        const Qt::Key named[] = {Qt::Key_Right, Qt::Key_Left,    Qt::Key_Up,    Qt::Key_Down,
                                 Qt::Key_Tab,   Qt::Key_Backtab, Qt::Key_Return};
        for (QChar ch : sequence) {
            const auto i = QString("RLUDTBE").indexOf(ch);
            QTest::keyClick(w.get(), i < 0 ? Qt::Key(ch.unicode()) : named[i],
                            ch == 'B' ? Qt::ShiftModifier : Qt::NoModifier);
        }
    }
    QString text(int box) const { return w->cell(box)->text(); }
    QString label(const char* name) const { return w->findChild<QLabel*>(name)->text(); }
    void click(int box, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(w->cell(box), b); }
    QAction* control(const QString& name) const { return w->action(name) ? w->action(name) : w->toolButton(name); }
};

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetUpApplication(); }

    void keysInEditMode_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("texts"); // cells 0 and 1, whether the document changed
        QTest::newRow("last two digits count") << 0 << "123" << 0 << "23| changed";
        QTest::newRow("a single zero") << 0 << "0" << 0 << "0| changed";
        QTest::newRow("no leading zero") << 0 << "05" << 0 << "5| changed";
        QTest::newRow("a move starts a new number") << 0 << "4R2" << 1 << "4|2 changed";
        QTest::newRow("@ keeps the digits typed") << 0 << "5@3" << 0 << "53| changed";
        QTest::newRow("an edge keeps the digits typed") << 0 << "1L2" << 0 << "12| changed";
        QTest::newRow("right into the next sheet") << 4 << "R" << 25 << "|";
        QTest::newRow("down into the sheet below") << 70 << "D" << 150 << "|";
        QTest::newRow("up into the sheet above") << 150 << "U" << 70 << "|";
        QTest::newRow("left into the sheet before") << 30 << "L" << 9 << "|";
        QTest::newRow("no wrap at the top and left edges") << 0 << "UL" << 0 << "|";
        QTest::newRow("no wrap at the bottom and right edges") << 199 << "DR" << 199 << "|";
        QTest::newRow("tab wraps to the first sheet") << 187 << "T" << 12 << "|";
        QTest::newRow("shift+tab wraps to the last sheet") << 3 << "B" << 178 << "|";
        QTest::newRow("enter wraps within the sheet") << 49 << "E" << 25 << "|";
    }
    void keysInEditMode() {
        QFETCH(int, from);
        QFETCH(QString, keys);
        Window win;
        win.click(from);
        QWidget* focus = QApplication::focusWidget();
        win.keys(keys);
        QCOMPARE(QApplication::focusWidget(), focus); // keys never move the focus
        QTEST(int(win.m.CurBox), "to");
        QVERIFY(win.m.BBox[win.m.CurBox].BackColor == Colour::Navy &&
                (from == win.m.CurBox || win.m.BBox[from].BackColor == Colour::White));
        QTEST(win.text(0) + "|" + win.text(1) + (win.m.DocChanged ? " changed" : ""), "texts");
    }

    void realRunGameByKeys() {
        Window win;
        // Menu items and toolbar buttons: those a run disables, those it enables, those it leaves alone.
        const QStringList controls{"mn_New", "mn_Open", "mn_Save", "mn_As", "mnDelete", "mnOption", "mn_Start",
                                   "New", "Open", "Save", "Del", "Start", "RealRun", "RandRun", "Random", "FreeHole",
                                   "Info", "mn_End", "Stop", "mn_Quit", "Help"};
        const auto enabled = [&] {
            QString states;
            for (const QString& name : controls)
                states += win.control(name)->isEnabled() ? '1' : '0';
            return states;
        };
        QCOMPARE(enabled(), QString(17, '1') + "0011");
        SetSheet(win.m, 0, "5 7 9 11 13");
        win.w->SyncFromModel();
        win.w->action("mn_Start")->trigger();
        QVERIFY(win.label("LBLineMess") == "実行中 / 実戦形式" && win.w->findChild<QLabel*>("LBNum")->isVisible());
        QCOMPARE(enabled(), QString(17, '0') + "1111");
        win.keys("5E7E9E11E");
        QCOMPARE(win.label("LBNum") + " " + win.label("LBLog0") + " " + win.label("LBLog3"), "4 11 5");
        QCOMPARE(win.label("BMess0") + " / " + win.label("StatusBar1Panel1"), "Hit! Reach1 / ﾘｰﾁ番号は、13です。");
        win.keys("13E");
        QCOMPARE(win.label("BMess0"), "Hit! Bingo1");
        win.click(50); // cells ignore clicks in a run
        QCOMPARE(int(win.m.CurBox), 0);
        win.w->action("mn_End")->trigger();
        QVERIFY(win.label("LBLineMess") == "編集モード" && !win.w->findChild<QLabel*>("LBNum")->isVisible());
        QCOMPARE(enabled(), QString(17, '1') + "0011");
    }

    // Delete empties the current cell, a right click acts on the clicked sheet, Del asks before it clears all.
    void editCommands() {
        Window win;
        win.keys("7R8");
        win.m.DocChanged = 0;
        win.w->action("mnDelete")->trigger();
        QCOMPARE(win.text(0) + "|" + win.text(1) + QString::number(win.m.DocChanged), "7|-1"); // an edit too
        QTimer::singleShot(0, [&] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            win.w->action("mnPopHole")->trigger();
        });
        win.click(60, Qt::RightButton);
        QCOMPARE(int(win.m.CurBox), 60);
        QCOMPARE(win.text(50 + 12) + "|" + win.text(12), "@|");
        win.platform.answers = {vbNo};
        win.w->toolButton("Del")->trigger();
        QCOMPARE(win.text(0) + win.text(62), "7@");
        win.w->toolButton("Del")->trigger();
        QCOMPARE(win.text(0) + win.text(62), "");
        QVERIFY(win.platform.asked.back().startsWith("全てのｼｰﾄを消去します。よろしいですか? | "));
    }

    void runModeButtons() {
        Window win;
        win.w->toolButton("RealRun")->trigger(); // already pressed: nothing, not even a write
        QVERIFY(win.Read(kSettingsFileName) == "<unreadable>" && win.w->toolButton("RealRun")->isChecked());
        win.w->toolButton("RandRun")->trigger();
        QCOMPARE(win.Read(kSettingsFileName), SettingsFile(1, 0, 99));
        QVERIFY(win.m.SysSetting.RunMode == 1 && win.m.DocChanged == 0);
        QVERIFY(win.w->toolButton("RandRun")->isChecked() && !win.w->toolButton("RealRun")->isChecked());
    }

    // RandRun on the real platform: modal questions with Japanese buttons, answered from a timer.
    // End's first question, answered No, stays a while: the roulette rolls on under it, paused.
    void randRunGameByClicks() {
        BasicGame<QtPlatform> g(Setting(1, 0, 99));
        frmMain w(g.m, g.platform);
        w.show();
        QString question;
        QStringList seen; // caption and LBInput under End's first question, polled until LBInput changed
        int polls = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && (box->windowTitle() == "開始" || !question.isEmpty())) {
                box->button(QMessageBox::Yes)->click();
            } else if (box) {
                seen << Q(g.m.LBLineMess + " " + g.m.LBInput);
                seen.removeDuplicates();
                if (seen.size() < 2 && ++polls < 50)
                    return;
                question = QString("%1 | %2 | %3 | ").arg(box->text(), box->windowTitle()).arg(box->icon()) +
                           box->button(QMessageBox::No)->text();
                box->button(QMessageBox::No)->click();
            }
        });
        poll.start(60);
        const auto label = [&](const char* name) { return w.findChild<QLabel*>(name); };
        w.toolButton("Start")->trigger();
        for (int call = 1; call <= 3; ++call) {
            QTRY_VERIFY(!g.m.LBInput.empty());
            const QString shown = label("LBInput")->text();
            QTest::mouseClick(label("LBInput"), Qt::LeftButton);
            QCOMPARE(label("LBLog0")->text() + " " + label("LBNum")->text(), shown + " " + QString::number(call));
        }
        QTest::keyClick(&w, Qt::Key_4); // digits change nothing visible in this mode
        QCOMPARE(w.cell(g.m.CurBox)->text(), "");
        QTRY_VERIFY(!g.m.LBInput.empty());
        w.toolButton("Stop")->trigger();
        QVERIFY2(question.startsWith("実行を終了します。よろしいですか? | 終了 | 2 | いいえ"), qPrintable(question));
        QCOMPARE(seen.filter(QRegularExpression("^一時停止 \\d+$")).size(), 2); // the roulette rolled on
        QVERIFY(Q(g.m.LBLineMess) == "実行中 / 乱数形式" && w.timer1().isActive());
        w.toolButton("Stop")->trigger();
        QVERIFY(!w.timer1().isActive());
    }

    void helpViewer() {
        Window win;
        win.w->mnCont_Click(); // no help file in the program's folder: a message, no crash
        QVERIFY(!win.w->helpViewer()->hasDocument() &&
                win.w->helpViewer()->findChild<QTextBrowser*>("HelpBrowser")->toPlainText().contains("numbalo.hlp"));
        win.Write("numbalo.hlp", "<h1 id=\"contents\">目次</h1><h2 id=\"run\">ゲームの実行</h2><div id=\"keywords\">"
                                 "<a class=\"keyword\" href=\"#run\">リーチ</a></div>");
        win.w->mnSrch_Click();
        QVERIFY(win.w->helpViewer()->hasDocument());
        auto* keywords = win.w->helpViewer()->findChild<QListWidget*>("HelpKeywords");
        QCOMPARE(keywords->count() == 1 ? keywords->item(0)->text() : "", "リーチ");
        win.w->helpViewer()->close();
    }

    void dialogOutlivesTheMainWindow() {
        Window win;
        win.w->mnOption_Click();
        QPointer<QWidget> guard(win.w->findChild<QWidget*>("frmOption"));
        QVERIFY(guard && win.w->close() && guard && guard->isVisible());
        QTest::mouseClick(guard->findChild<QPushButton*>("CmdOK"), Qt::LeftButton);
        QTRY_VERIFY(!guard);
        QCOMPARE(win.Read(kSettingsFileName), SettingsFile(0, 0, 99));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
