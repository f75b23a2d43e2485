#include "fakeplatform.h"
#include "frminfo.h"
#include "frmmain.h"
#include "frminput.h"
#include "frmoption.h"
#include "frmtitle.h"
#include "frmver.h"

template <class T = QLabel> T* Child(QWidget* w, const QString& name) { return w->findChild<T*>(name); }
QString Texts(QWidget* w, const QStringList& names, char sep = ' ') {
    QStringList texts;
    for (const QString& name : names)
        texts << Child(w, name)->text();
    return texts.join(sep);
}
// Title, client size, and whether it is fixed without minimise or maximise buttons.
QString Look(QWidget* d) {
    const bool fixed = d->minimumSize() == d->maximumSize() && !(d->windowFlags() & Qt::WindowMinMaxButtonsHint);
    return QString("%1 %2x%3%4").arg(d->windowTitle()).arg(d->width()).arg(d->height()).arg(fixed ? " fixed" : "");
}
// Keys go where the keyboard sends them: to the window's focus widget.
void Press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, key, modifiers);
}
void ShowActive(QWidget* window) {
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}
template <class T> bool Deleted(const QPointer<T>& d) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return !d;
}
// The options dialog on stored settings; a bar moved, a run started, then a key.
struct Options {
    int mode, lo, hi;
    QString controls; // after the key: "OK" when enabled, RandRun, both bars, LBMinMax(0), LBMinMax(1), LBKinds
    int bar = -1, value = 0, key = Qt::Key_Return;
    bool running = false;
};
// The rename dialog opened on a cell's sheet (named start, when given, with the cursor then put at its end);
// typing, pasting, another cell selected, then a key.
struct Rename {
    QString typed, name, pasted = {}; // name: the sheet's name afterwards
    int openBox = 0, moveTo = -1, key = Qt::Key_Return;
    QString start = {};
    bool refused = false; // OK answered with the bad-name message, the box still open
};
// Types as a keyboard does: ASCII as key clicks ('\b' Backspace), anything else committed by an input method.
void Type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(w, c.toLatin1());
            continue;
        }
        QInputMethodEvent commit;
        commit.setCommitString(c);
        QCoreApplication::sendEvent(w, &commit);
    }
}
Q_DECLARE_METATYPE(Options)
Q_DECLARE_METATYPE(Rename)

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    // Enter stores the bars and rewrites the settings file even when nothing changed.
    void options_data() {
        QTest::addColumn<Options>("o");
        const auto row = [](const char* name, const Options& o) { QTest::newRow(name) << o; };
        row("defaults open unchanged", {0, 0, 99, "OK 0 0 99 0 99 100"});
        row("50 and 60: lowest bar at 36, labels keep 50", {1, 50, 60, "OK 1 36 60 50 60 25"});
        row("lowest to 75 pushes highest 80 up to 99", {1, 0, 80, "OK 1 75 99 75 99 25", 0, 75});
        row("highest to 30 pushes lowest 20 down to 6", {0, 20, 99, "OK 0 6 30 6 30 25", 1, 30});
        row("lowest to 10 under 99 moves nothing else", {0, 0, 99, "OK 0 10 99 10 99 90", 0, 10});
        row("escape presses Default and stays open, Cancel stores nothing",
            {1, 50, 60, "OK 0 0 99 0 99 100", -1, 0, Qt::Key_Escape});
        // Settings changed under a run used to take effect in the middle of it; OK is off once the dialog hears of it.
        row("OK refused during a run", {0, 0, 99, "0 10 99 10 99 90", 0, 10, Qt::Key_Return, true});
    }
    void options() {
        QFETCH(Options, o);
        Game s(Setting(o.mode, o.lo, o.hi));
        const QByteArray stored = "<RunMode>\r\n0\r\n<MinNumber>\r\n0\r\n<MaxNumber>\r\n99\r\n";
        s.Write(kSettingsFileName, stored);
        QPointer<frmOption> d = new frmOption(s.m, s.platform);
        QCOMPARE(Look(d), "ｵﾌﾟｼｮﾝ 319x193 fixed");
        QVERIFY(Child<QRadioButton>(d, o.mode ? "optRand" : "optReal")->isChecked());
        const auto bar = [&](int i) { return Child<QScrollBar>(d, QString("HSMinMax%1").arg(i)); };
        if (o.bar >= 0) bar(o.bar)->setValue(o.value);
        d->show();
        if (o.running)
            s.m.LBLineMess = "実行中 / 実戦形式"; // before the window hears of the run
        QTest::keyClick(d, Qt::Key(o.key));
        s.m.Refresh(); // the dialog hears of the run now
        const SettingRecord shown = Setting(Child<QRadioButton>(d, "optRand")->isChecked(), bar(0)->value(),
                                            bar(1)->value());
        QCOMPARE(QString(Child<QPushButton>(d, "CmdOK")->isEnabled() ? "OK " : "") +
                     QString("%1 %2 %3 ").arg(shown.RunMode).arg(shown.MinNumber).arg(shown.MaxNumber) +
                     Texts(d, {"LBMinMax0", "LBMinMax1", "LBKinds"}),
                 o.controls);
        const bool saved = o.key == Qt::Key_Return && !o.running;
        QCOMPARE(d->isVisible(), !saved);
        QVERIFY(s.m.SysSetting == (saved ? shown : Setting(o.mode, o.lo, o.hi)));
        QCOMPARE(s.Read(kSettingsFileName), saved ? SettingsFile(shown.RunMode, shown.MinNumber, shown.MaxNumber)
                                                  : stored);
        QVERIFY(s.m.RealRunPressed == (saved && !shown.RunMode) && s.m.RandRunPressed == (saved && shown.RunMode));
        if (!saved) Child<QPushButton>(d, "CmdCancel")->click();
        QVERIFY(Deleted(d));
    }

    // The range from the keyboard: Tab reaches the bars after the run-mode buttons and before OK; arrows step by 1,
    // Page Up/Down by 10, Home/End go to the ends, and the spacing rule follows as for the mouse.
    void optionsByKeyboard_data() {
        QTest::addColumn<int>("lo");
        QTest::addColumn<int>("hi");
        QTest::addColumn<QString>("keys"); // T Tab, B Shift+Tab, L R U D arrows, P N Page Up/Down, H Home, E End
        QTest::addColumn<QString>("shown"); // focused control; both bars; LBMinMax(0), LBMinMax(1), LBKinds
        const auto row = [](const char* name, int lo, int hi, const char* keys, const char* shown) {
            QTest::newRow(name) << lo << hi << keys << shown;
        };
        // Qt's scroll bars take no focus: Tab went from the run mode straight to OK.
        row("Tab reaches the lowest bar after the run mode", 0, 99, "T", "HSMinMax0 0 99 0 99 100");
        row("then the highest bar, then OK", 0, 99, "TTT", "CmdOK 0 99 0 99 100");
        row("Shift+Tab from OK back to the highest bar", 0, 99, "TTTB", "HSMinMax1 0 99 0 99 100");
        row("right and down arrows add 1", 0, 99, "TRRD", "HSMinMax0 3 99 3 99 97");
        row("left and up arrows take 1", 10, 99, "TLU", "HSMinMax0 8 99 8 99 92");
        row("Page Down adds 10", 0, 99, "TNN", "HSMinMax0 20 99 20 99 80");
        row("Page Up takes 10", 0, 99, "TTPP", "HSMinMax1 0 79 0 79 80");
        row("lowest paged up past 55 pushes highest 80", 50, 80, "TN", "HSMinMax0 60 84 60 84 25");
        row("End on lowest: 75 pushes highest to 99", 0, 80, "TE", "HSMinMax0 75 99 75 99 25");
        row("Home on highest: 24 pulls lowest to 0", 50, 99, "TTH", "HSMinMax1 0 24 0 24 25");
        row("highest paged down pulls lowest down", 20, 60, "TTPP", "HSMinMax1 16 40 16 40 25");
    }
    void optionsByKeyboard() {
        QFETCH(int, lo);
        QFETCH(int, hi);
        QFETCH(QString, keys);
        Game g(Setting(0, lo, hi));
        QPointer<frmOption> d = new frmOption(g.m, g.platform);
        ShowActive(d);
        const Qt::Key named[] = {Qt::Key_Tab,  Qt::Key_Backtab, Qt::Key_Left,   Qt::Key_Right, Qt::Key_Up,
                                 Qt::Key_Down, Qt::Key_PageUp,  Qt::Key_PageDown, Qt::Key_Home,  Qt::Key_End};
        for (const QChar k : keys)
            Press(d, named[QString("TBLRUDPNHE").indexOf(k)], k == 'B' ? Qt::ShiftModifier : Qt::NoModifier);
        const int lowest = Child<QScrollBar>(d, "HSMinMax0")->value();
        const int highest = Child<QScrollBar>(d, "HSMinMax1")->value();
        QTEST(QString("%1 %2 %3 ").arg(QApplication::focusWidget()->objectName()).arg(lowest).arg(highest) +
                  Texts(d, {"LBMinMax0", "LBMinMax1", "LBKinds"}),
              "shown");
        Press(d, Qt::Key_Return); // OK, wherever the focus is
        QVERIFY(g.m.SysSetting == Setting(0, lowest, highest));
        QVERIFY(Deleted(d));
    }

    // The style draws no focus on a scroll bar; the dialog draws it, so the focused bar looks different.
    void focusedBarIsDrawnDifferently() {
        Game g;
        QPointer<frmOption> d = new frmOption(g.m, g.platform);
        ShowActive(d);
        for (const QString name : {"HSMinMax0", "HSMinMax1"}) {
            auto* bar = Child<QScrollBar>(d, name);
            Child<QPushButton>(d, "CmdOK")->setFocus();
            const QImage unfocused = bar->grab().toImage();
            bar->setFocus(Qt::TabFocusReason);
            QVERIFY(bar->hasFocus());
            QVERIFY2(bar->grab().toImage() != unfocused, qPrintable(name));
        }
        delete d;
    }

    // The sheets' figures and their ten most frequent numbers, ranked in competition style.
    void sheetInfo_data() {
        QTest::addColumn<QStringList>("sheets");
        QTest::addColumn<QString>("figures"); // lowest, highest, distinct numbers
        QTest::addColumn<QString>("ranking"); // rank/number/occurrences ...
        const auto row = [](const char* name, const QStringList& sheets, const char* figures, const char* ranking) {
            QTest::newRow(name) << sheets << figures << ranking;
        };
        row("no numbers", {"@ . @", "@"}, "- - -", "");
        row("eight identical sheets rank their ten lowest first",
            QStringList(8, "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25"), "1 25 25",
            "1/1/8 1/2/8 1/3/8 1/4/8 1/5/8 1/6/8 1/7/8 1/8/8 1/9/8 1/10/8");
        row("competition ranks 1, 2, 2, 4, 4, 4, 4", {"5 7 9 1 2", "5 7 9 3 4", "5"}, "1 9 7",
            "1/5/3 2/7/2 2/9/2 4/1/1 4/2/1 4/3/1 4/4/1");
        row("eleven ties list the ten lowest", {"30 29 28 27 26 25 24 23 22 21 20"}, "20 30 11",
            "1/20/1 1/21/1 1/22/1 1/23/1 1/24/1 1/25/1 1/26/1 1/27/1 1/28/1 1/29/1");
        row("100 counts but is not ranked", {"100 100 3", "0"}, "0 100 3", "1/0/1 1/3/1");
        row("a number in nine cells is not ranked", {"7 7 7 7 7 7 7 7 7 4"}, "4 7 2", "1/4/1");
        row("loaded 5.5 counts as 6, 4.5 as 4", {"5.5 6 4.5", "4"}, "4 6 2", "1/4/2 1/6/2");
    }
    void sheetInfo() {
        QFETCH(QStringList, sheets);
        QFETCH(QString, ranking);
        Game g;
        for (int i = 0; i < sheets.size(); ++i)
            SetSheet(g.m, i, sheets[i].toStdString());
        frmInfo d(g.m);
        QCOMPARE(Look(&d), "ｼｰﾄ情報 306x213 fixed");
        QCOMPARE(Texts(&d, {"LBSysMin", "LBSysMax", "LBSysKinds"}), "0 99 100"); // the settings' range
        QTEST(Texts(&d, {"LBSheetMin", "LBSheetMax", "LBSheetKinds"}), "figures");
        QStringList shown, expected;
        for (const QString k : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"})
            shown << Texts(&d, {"LBHindoNo" + k, "LBHindoNum" + k, "LBHindoP" + k}, '/');
        for (const QString& e : ranking.split(' ', Qt::SkipEmptyParts))
            expected << QString("(%1)/%2/= %3p").arg(e.section('/', 0, 0), e.section('/', 1, 1), e.section('/', 2));
        expected += QStringList(10 - expected.size(), "-/-/----");
        QCOMPARE(shown, expected);
    }

    void rename_data() {
        QTest::addColumn<Rename>("r");
        const auto row = [](const char* name, const Rename& r) { QTest::newRow(name) << r; };
        row("typing replaces the selected name", {"Kiso", "Kiso", {}, 50});
        row("empty name", {"\b", ""});
        row("unchanged name still marks changed", {"", "Sheet 1"});
        row("sheet selected meanwhile is renamed", {"Neu", "Neu", {}, 0, 180});
        row("escape changes nothing", {"Neu", "Sheet 3", {}, 50, -1, Qt::Key_Escape});
        // Names the sheet document cannot hold used to be accepted and broke the saved file.
        row("pasted line break refused", {"ab", "ab", "a\nb"});
        row("pasted emoji refused", {"ab", "ab", "😀"});
        row("pasted DEL refused", {"ab", "ab", "x\x7fy"});
        row("pasted character without CP932 form refused", {"ab", "ab", "é"});
        row("pasted half-width kana and kanji accepted", {"ab", "abｼｰﾄ名", "ｼｰﾄ名"});
        row("nothing beyond 16 characters", {"ab", "abcdefghijklmnop", "cdefghijklmnopq"});
        // A loaded name longer than 16 used to be cut to 16 by OK.
        const QString long20 = "ABCDEFGHIJKLMNOPQRST";
        row("unchanged long loaded name kept whole", {.typed = "", .name = long20, .start = long20});
        row("typing adds nothing to a long loaded name", {.typed = "x", .name = long20, .start = long20});
        row("a shortened long name does not grow back",
            {.typed = "\b\bx", .name = long20.left(18), .start = long20});
        // "¥" and "〜" were stored and came back from the file as "\" and "～".
        row("typed yen sign and wave dash become their storable twins", {"¥500〜", "￥500～"});
        row("pasted overline refused: it reads back as ~", {"ab", "ab", "‾"});
        // A starting name that already failed the check let any paste through to the sheet.
        row("TAB in the starting name: paste taken by the box, refused at OK",
            {.typed = "", .name = "a\tb", .pasted = "x", .start = "a\tb", .refused = true});
    }
    void rename() {
        QFETCH(Rename, r);
        Game g;
        QPointer<frmInput> d = new frmInput(g.m);
        QCOMPARE(Look(d), "ｼｰﾄ名の変更 248x85 fixed");
        d->show();
        g.m.CurBox = std::int16_t(r.openBox);
        if (!r.start.isEmpty())
            g.m.BSheet[r.openBox / 25] = r.start.toStdString();
        d->Reload(); // the rename command again, on another sheet
        auto* text = Child<QLineEdit>(d, "Text1");
        const QString before = Q(g.m.BSheet[r.openBox / 25]);
        QCOMPARE(text->selectedText(), before);
        if (!r.start.isEmpty())
            text->end(false);
        Type(text, r.typed);
        QGuiApplication::clipboard()->setText(r.pasted);
        if (!r.pasted.isEmpty()) text->paste();
        if (r.moveTo >= 0) g.m.CurBox = std::int16_t(r.moveTo);
        QTest::keyClick(text, Qt::Key(r.key));
        QCOMPARE(g.platform.asked,
                 r.refused ? QStringList{"ｼｰﾄ名に使えない文字が含まれています。 | ｼｰﾄ名の変更 | 48"} : QStringList{});
        QCOMPARE(Q(g.m.BSheet[g.m.CurBox / 25]), r.name);
        QCOMPARE(int(g.m.DocChanged), r.key == Qt::Key_Return && !r.refused ? -1 : 0);
        QCOMPARE(Q(g.m.BSheet[r.openBox / 25]), r.moveTo >= 0 ? before : r.name);
        QCOMPARE(d->isVisible(), r.refused);
        if (r.refused)
            Child<QPushButton>(d, "CmdCancel")->click();
        QVERIFY(Deleted(d));
    }

    // No cancel-key button: Escape leaves the dialog open; Enter, its button and the title bar still close it.
    void escapeDoesNothingInInformationAndVersion_data() {
        QTest::addColumn<bool>("info");
        QTest::addColumn<QString>("closer");
        for (const bool info : {true, false})
            for (const char* closer : {"Enter", "button", "title bar"})
                QTest::newRow(qPrintable(QString("%1, %2 closes").arg(info ? "information" : "version", closer)))
                    << info << QString(closer);
    }
    void escapeDoesNothingInInformationAndVersion() {
        QFETCH(bool, info);
        QFETCH(QString, closer);
        Game g;
        QPointer<QDialog> d = info ? static_cast<QDialog*>(new frmInfo(g.m)) : new frmVer;
        ShowActive(d);
        Press(d, Qt::Key_Escape);
        QVERIFY(!Deleted(d) && d->isVisible());
        if (closer == "Enter")
            Press(d, Qt::Key_Return);
        else if (closer == "button")
            d->findChild<QPushButton*>()->click();
        else
            d->close();
        QVERIFY(Deleted(d));
    }

    // Through the main window's commands: options and information do nothing while open; the information
    // shows the settings' range, whatever it is.
    void optionsAndInformationCommandsKeepTheOpenDialog() {
        Game g(Setting(0, 10, 60));
        frmMain w(g.m, g.platform);
        w.mnSheetAbout_Click();
        w.mnOption_Click();
        QPointer<frmInfo> info = w.findChild<frmInfo*>();
        QPointer<frmOption> options = w.findChild<frmOption*>();
        QVERIFY(info && info->isVisible() && options && options->isVisible());
        QCOMPARE(Texts(info, {"LBSysMin", "LBSysMax", "LBSysKinds", "LBSheetMin"}), "10 60 51 -");
        Child<QScrollBar>(options, "HSMinMax0")->setValue(20);
        SetSheet(g.m, 0, "5");
        w.mnSheetAbout_Click();
        w.mnOption_Click();
        QCOMPARE(w.findChildren<frmInfo*>(), QList<frmInfo*>{info});
        QCOMPARE(w.findChildren<frmOption*>(), QList<frmOption*>{options});
        QCOMPARE(Texts(info, {"LBSysMin", "LBSysMax", "LBSysKinds", "LBSheetMin"}), "10 60 51 -"); // not refreshed
        QCOMPARE(Child<QScrollBar>(options, "HSMinMax0")->value(), 20);                         // not reloaded
    }

    void renameCommandReloadsTheCurrentSheetsName() {
        Game g;
        frmMain w(g.m, g.platform);
        w.mnSheetName_Click();
        QPointer<frmInput> d = w.findChild<frmInput*>();
        auto* text = Child<QLineEdit>(d, "Text1");
        QCOMPARE(text->selectedText(), "Sheet 1");
        QTest::keyClicks(text, "Neu");
        w.BBox_MouseDown(80, Qt::LeftButton); // a cell of sheet 4
        w.mnSheetName_Click();
        QCOMPARE(w.findChildren<frmInput*>(), QList<frmInput*>{d});
        QCOMPARE(text->text(), "Sheet 4");
        QCOMPARE(text->selectedText(), "Sheet 4");
    }

    void versionCommandBringsItToTheFront() {
        Game g;
        frmMain w(g.m, g.platform);
        ShowActive(&w);
        w.mn_Ver_Click();
        QPointer<frmVer> d = w.findChild<frmVer*>();
        QTRY_COMPARE(QApplication::activeWindow(), d.data());
        w.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &w);
        w.mn_Ver_Click();
        QTRY_COMPARE(QApplication::activeWindow(), d.data());
        QCOMPARE(w.findChildren<frmVer*>(), QList<frmVer*>{d});
    }

    // The help window's keyword search as the operator uses it: Alt+K reaches the box, the forms the program's
    // menus write (half-width katakana) find what the full-width ones find, and Escape closes the window.
    void helpKeywordSearch_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("other"); // another form of the same word
        // Half-width forms found nothing.
        QTest::newRow("ﾘｰﾁ as リーチ") << "ﾘｰﾁ" << "リーチ";
        QTest::newRow("ｼｰﾄ as シート") << "ｼｰﾄ" << "シート";
        QTest::newRow("ﾌﾘｰﾎｰﾙ as フリーホール") << "ﾌﾘｰﾎｰﾙ" << "フリーホール";
        QTest::newRow("ｵﾌﾟｼｮﾝ with its half-width sound mark") << "ｵﾌﾟｼｮﾝ" << "オプション";
        QTest::newRow("full-width capitals as ASCII") << "ＢＮＧ" << "bng";
    }
    void helpKeywordSearch() {
        QFETCH(QString, typed);
        QFETCH(QString, other);
        Game g;
        QVERIFY(QFile::copy(QFINDTESTDATA("../resources/help/numbalo.hlp"), g.dir.filePath("numbalo.hlp")));
        frmMain w(g.m, g.platform);
        w.mnSrch_Click();
        QPointer<HelpViewer> help = w.helpViewer();
        QVERIFY(QTest::qWaitForWindowActive(help));
        auto* search = Child<QLineEdit>(help, "HelpSearch");
        auto* keywords = Child<QListWidget>(help, "HelpKeywords");
        const QList<QLabel*> labels = help->findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(),
                            [&](QLabel* l) { return l->text() == "キーワード(&K):" && l->buddy() == search; }));
        keywords->setFocus();
        Press(help, Qt::Key_K, Qt::AltModifier);
        QVERIFY(search->hasFocus());
        const auto found = [&](const QString& query) {
            search->setText(query);
            QStringList shown;
            for (int i = 0; i < keywords->count(); ++i)
                if (!keywords->item(i)->isHidden())
                    shown << keywords->item(i)->text();
            return shown;
        };
        const QStringList entries = found(typed);
        QVERIFY(!entries.isEmpty());
        QCOMPARE(entries, found(other));
        Press(help, Qt::Key_Escape);
        QVERIFY(Deleted(help));
    }

    void splashLoadsSettingsThenHandsOver() {
        Game s(Setting(1, 5, 50));
        s.Write(kSettingsFileName, SettingsFile(1, 10, 60));
        QPointer<QWidget> main;
        bool splashShownAtLoad = false;
        QPointer<frmTitle> splash = new frmTitle(s.m, [&] {
            splashShownAtLoad = splash && splash->isVisible();
            return (main = new QWidget).data();
        });
        QVERIFY(s.m.SysSetting == Setting(1, 10, 60)); // read before the main window exists
        splash->show();
        QTest::qWait(1500);
        QVERIFY(!main);
        QTRY_VERIFY_WITH_TIMEOUT(main, 2000);
        QTRY_VERIFY(!splash);
        QVERIFY(splashShownAtLoad && main->isVisible());
        delete main;
    }

    void versionTextAndOk() {
        QPointer<frmVer> d = new frmVer;
        QCOMPARE(Look(d), "Zarvello Quorvex のﾊﾞｰｼﾞｮﾝ情報 321x110 fixed");
        QCOMPARE(Texts(d, {"Label10", "LBVer"}, '|'), "Zarvello Quorvex|ﾊﾞｰｼﾞｮﾝ 1.0.46");
        d->show();
        QTest::keyClick(d, Qt::Key_Return);
        QVERIFY(Deleted(d));
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
