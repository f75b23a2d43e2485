#include "celllabel.h"
#include "fakeplatform.h"
#include "fonts.h"
#include "frmmain.h"

#include <sys/stat.h>

struct Window : Game {
    std::unique_ptr<frmMain> w;
    Window() : w(new frmMain(m, platform)) {
        w->show();
        // Menu shortcuts reach only the active window.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
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

    // Key events as X11 delivers them: the symbol after Shift or AltGr, and the key's own scan code.
    // Found as a fault: Shift+4 typed nothing, because the symbol "$" is no digit.
    void keysWithNativeCodes_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("scanCode");
        QTest::addColumn<QString>("expected"); // cell 0's text and the current box; in a run, the candidate
        const int shift = Qt::ShiftModifier, keypad = Qt::KeypadModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("shift+4 on a US layout types 4") << int(Qt::Key_Dollar) << shift << "$" << 13 << "4 0";
        QTest::newRow("shift+0 on a US layout types 0") << int(Qt::Key_ParenRight) << shift << ")" << 19 << "0 0";
        QTest::newRow("shift+2 on a Japanese layout types 2") << int(Qt::Key_QuoteDbl) << shift << "\"" << 11
                                                              << "2 0";
        QTest::newRow("a French top-row key types its digit") << int(Qt::Key_Eacute) << 0 << "é" << 11 << "2 0";
        QTest::newRow("shift+2 on a US layout is the free hole") << int(Qt::Key_At) << shift << "@" << 11 << "@ 0";
        QTest::newRow("the @ key of a Japanese layout") << int(Qt::Key_At) << 0 << "@" << 34 << "@ 0";
        QTest::newRow("AltGr+0 on a French layout is the free hole")
            << int(Qt::Key_At) << int(Qt::GroupSwitchModifier) << "@" << 19 << "@ 0";
        QTest::newRow("a shifted symbol of another key types nothing") << int(Qt::Key_Dollar) << shift << "$" << 0
                                                                       << " 0";
        QTest::newRow("keypad 7") << int(Qt::Key_7) << keypad << "7" << 79 << "7 0";
        QTest::newRow("keypad separator moves on") << int(Qt::Key_Comma) << keypad << "," << 129 << " 1";
        QTest::newRow("keypad enter moves on") << int(Qt::Key_Enter) << keypad << "\r" << 104 << " 1";
        QTest::newRow("ctrl+tab moves nowhere") << int(Qt::Key_Tab) << ctrl << "\t" << 23 << " 0";
    }
    void keysWithNativeCodes() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(int, scanCode);
        QFETCH(QString, expected);
        const auto send = [&](QWidget* target) {
            for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent event(type, key, Qt::KeyboardModifiers(modifiers), quint32(scanCode), 0, 0, text);
                QApplication::sendEvent(target, &event);
            }
        };
        Window win;
        send(win.w.get());
        QCOMPARE(win.text(0) + " " + QString::number(win.m.CurBox), expected);

        // The same key in a game typed by hand shows what it types in the candidate box.
        Window run;
        run.w->action("mn_Start")->trigger();
        send(run.w.get());
        const QString digit = expected.section(' ', 0, 0);
        QCOMPARE(Q(run.m.LBInput), digit == "@" ? QString() : digit);
    }

    // Found as a fault: the release that ends a double click on the roulette's number called a second one.
    void doubleClickCallsOneNumber() {
        Game g(Setting(1, 0, 99));
        frmMain w(g.m, g.platform);
        w.show();
        w.action("mn_Start")->trigger();
        auto* input = w.findChild<CellLabel*>("LBInput");
        const QPoint at = input->rect().center();
        const auto send = [&](QEvent::Type type) {
            QMouseEvent event(type, at, input->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(input, &event);
        };
        for (int call = 1; call <= 2; ++call) {
            QTRY_VERIFY(!g.m.LBInput.empty());
            // As the window system delivers a double click: press, release, double click, release.
            for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick})
                send(type);
            QTRY_VERIFY(!g.m.LBInput.empty()); // the roulette shows a new number before the last release
            send(QEvent::MouseButtonRelease);
            QCOMPARE(Q(g.m.LBNum), QString::number(call));
        }
    }

    // Found as a fault: a click on the candidate box inside the end of a run's yield called a number
    // after the colours were reset, and its hits stayed in edit mode.
    void noCallWhileTheRunEnds() {
        Window win;
        SetSheet(win.m, 0, "5 7 9 11 13");
        win.w->action("mn_Start")->trigger();
        win.keys("7");
        auto* input = win.w->findChild<CellLabel*>("LBInput");
        win.platform.onYield = [&] {
            QTest::mouseClick(input, Qt::LeftButton);
            QTest::keyClick(win.w.get(), Qt::Key_Return);
        };
        win.m.EndRun();
        QVERIFY(win.m.IsEditMode());
        QCOMPARE(ColourGrid(win.m, 0).count("Kw"), 0);
        QCOMPARE(Q(win.m.LBInput + "|" + win.m.LBNum + "|" + win.m.LBLog[0]), "|0|");
    }

    // Menu shortcuts through real key presses; each row names the key, the state it leaves (cells 0, 1 and 12
    // of the first sheet and its name) and the questions asked.
    void shortcuts_data() {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Del empties the current cell") << QKeySequence(Qt::Key_Delete) << "|8|9|名前 0";
        QTest::newRow("Shift+Del clears the sheet") << QKeySequence(Qt::SHIFT | Qt::Key_Delete) << "|||Sheet 1 0";
        QTest::newRow("Ctrl+H sets the free holes") << QKeySequence(Qt::CTRL | Qt::Key_H) << "7|8|@|名前 1";
        QTest::newRow("Ctrl+R fills every sheet") << QKeySequence(Qt::CTRL | Qt::Key_R) << "*|*|*|名前 1";
        QTest::newRow("F5 starts a run") << QKeySequence(Qt::Key_F5) << "7|8|9|名前 1 実行中 / 実戦形式";
    }
    void shortcuts() {
        QFETCH(QKeySequence, key);
        QFETCH(QString, expected);
        Window win;
        SetSheet(win.m, 0, "7 8 . . . . . . . . . . 9");
        win.m.BSheet[0] = "名前";
        win.w->SyncFromModel();
        QTest::keySequence(win.w.get(), key);
        QString state;
        for (int box : {0, 1, 12}) {
            const QString t = win.text(box);
            state += (expected.startsWith('*') && !t.isEmpty() ? "*" : t) + "|";
        }
        state += win.w->findChild<QGroupBox*>("BSheet0")->title() + " " + QString::number(win.platform.asked.size());
        if (!win.m.IsEditMode())
            state += " " + win.label("LBLineMess");
        QCOMPARE(state, expected);
    }

    // During a run every edit and file shortcut does nothing, and F6 asks to end it.
    void editShortcutsDoNothingInARun() {
        Window win;
        SetSheet(win.m, 0, "7 8 . . . . . . . . . . 9");
        win.w->action("mn_Start")->trigger();
        const QString before = Snapshot(win.m);
        const qsizetype asked = win.platform.asked.size();
        for (const QKeySequence& key : {QKeySequence(Qt::Key_Delete), QKeySequence(Qt::SHIFT | Qt::Key_Delete),
                                       QKeySequence(Qt::CTRL | Qt::Key_H), QKeySequence(Qt::CTRL | Qt::Key_R),
                                       QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::CTRL | Qt::Key_O),
                                       QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::Key_F5)})
            QTest::keySequence(win.w.get(), key);
        QCOMPARE(Snapshot(win.m), before);
        QCOMPARE(win.platform.asked.size(), asked);
        QTest::keyClick(win.w.get(), Qt::Key_F6);
        QVERIFY(win.m.IsEditMode() && win.platform.asked.last().startsWith("実行を終了します。"));
    }

    // The take-back command through a run: Ctrl+Z asks, Yes takes the latest call back; the item is usable
    // only while a run is running with a call to take, never paused, after the range ran out, or in edit mode.
    void takeBackCommand() {
        Game g(Setting(1, 0, 24));
        frmMain w(g.m, g.platform);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QAction* item = w.action("mn_Undo");
        QCOMPARE(item->text() + " " + item->shortcut().toString(), "直前の番号を取り消す(&U) Ctrl+Z");
        QCOMPARE(w.findChild<QMenu*>("mn_Run")->actions().last(), item);
        QVERIFY(!item->isEnabled()); // edit mode
        w.action("mn_Start")->trigger();
        QVERIFY(!item->isEnabled()); // no call yet
        QTRY_VERIFY(!g.m.LBInput.empty());
        const std::string first = g.m.LBInput;
        w.LBInput_Click();
        QTRY_VERIFY(!g.m.LBInput.empty());
        const std::string second = g.m.LBInput;
        w.LBInput_Click();
        QVERIFY(item->isEnabled());
        bool enabledWhilePaused = true;
        g.platform.answers = {vbNo};
        g.platform.onAsk = [&] { enabledWhilePaused = item->isEnabled(); };
        w.action("mn_End")->trigger();
        QVERIFY(!enabledWhilePaused && item->isEnabled());
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(g.platform.asked.last(), "番号 " + Q(second) + " の呼び出しを取り消します。よろしいですか? | 取り消し | 52");
        QCOMPARE(Q(g.m.LBNum + " " + g.m.LBLog[0]), "1 " + Q(first));
        // Every number of the range drawn: the last call ends the run and is not taken back.
        while (g.m.DrawCount() < 25 && !g.m.IsEditMode()) {
            QTRY_VERIFY(!g.m.LBInput.empty() || g.m.IsEditMode());
            w.LBInput_Click();
        }
        QVERIFY(!item->isEnabled());
        QTRY_VERIFY(g.m.IsEditMode());
        QVERIFY(!item->isEnabled());
    }

    // The toolbar: a separator first, 12 buttons and 6 separators in all, and what each state enables.
    void toolbar() {
        Window win;
        auto* bar = win.w->findChild<QToolBar*>("Toolbar1");
        QString shape;
        for (QAction* a : bar->actions())
            shape += a->isSeparator() ? "|" : "b";
        QCOMPARE(shape, "|bbb|b|bb|bb|bbb|b");
        const auto enabled = [&] {
            QString states;
            for (QAction* a : bar->actions())
                if (!a->isSeparator())
                    states += bar->widgetForAction(a)->isEnabled() ? '1' : '0';
            return states;
        };
        QCOMPARE(enabled(), "111110111111");
        QTest::mouseClick(bar->widgetForAction(win.w->toolButton("Start")), Qt::LeftButton);
        QCOMPARE(enabled(), "000001000001");
        QTest::mouseClick(bar->widgetForAction(win.w->toolButton("Info")), Qt::LeftButton); // disabled: nothing
        QVERIFY(!win.w->findChild<QWidget*>("frmInfo"));
        QTest::mouseClick(bar->widgetForAction(win.w->toolButton("Stop")), Qt::LeftButton);
        QCOMPARE(enabled(), "111110111111");
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
        QVERIFY(!win.w->helpViewer()->hasDocument());
        // A FIFO at the help file's name is no help file, and opening it must not block the window.
        QVERIFY(::mkfifo(win.dir.filePath("numbalo.hlp").toLocal8Bit().constData(), 0600) == 0);
        win.w->mnCont_Click();
        QVERIFY(QFile::remove(win.dir.filePath("numbalo.hlp")));
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
