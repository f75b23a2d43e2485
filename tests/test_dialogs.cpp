#include "fakeplatform.h"
#include "frminfo.h"
#include "frminput.h"
#include "frmmain.h"
#include "frmoption.h"
#include "frmver.h"

template <class T = QLabel> T* Child(QWidget* w, const QString& name) { return w->findChild<T*>(name); }
QString Texts(QWidget* w, QStringList names, char sep = ' ') {
    for (QString& name : names)
        name = Child(w, name)->text();
    return names.join(sep);
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
// The rename dialog opened on a cell's sheet (named start, when given, with the cursor then put at its end);
// typing ('\b' Backspace), pasting, another cell selected, then a key.
struct Rename {
    QString typed, name, pasted = {}; // name: the sheet's name afterwards
    int openBox = 0, moveTo = -1, key = Qt::Key_Return;
    QString start = {};
    bool refused = false; // OK answered with the bad-name message, the box still open
};
Q_DECLARE_METATYPE(Rename)

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    // The options dialog on stored settings, by keys: Tab reaches the bars after the run-mode buttons and before
    // OK; arrows step by 1, Page Up/Down by 10, Home/End go to the ends, and the spacing rule follows. Then Enter
    // (unless the keys end in Escape), which stores the bars and rewrites the settings file even if nothing changed.
    void options_data() {
        QTest::addColumn<QList<int>>("settings"); // mode, lowest, highest
        // T Tab, L R U D arrows, P N Page Up/Down, H Home, E End, X Escape; r: a run starts unheard.
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown"); // focus, "OK" if enabled, mode, both bars, LBMinMax(0), (1), LBKinds
        const auto row = [](const char* name, QList<int> settings, const char* keys, const char* shown) {
            QTest::newRow(name) << settings << QString(keys) << QString(shown);
        };
        row("50 and 60: lowest bar at 36, labels keep 50", {1, 50, 60}, "", "optReal OK 1 36 60 50 60 25");
        row("escape presses Default and stays open", {1, 50, 60}, "X", "optReal OK 0 0 99 0 99 100");
        // Qt's scroll bars take no focus: Tab went from the run mode straight to OK.
        row("Tab reaches both bars after the run mode, then OK", {0, 0, 99}, "TTT", "CmdOK OK 0 0 99 0 99 100");
        // The horizontal arrows moved the wrong way.
        row("right and down arrows add 1, left and up take 1", {0, 10, 99}, "TRRLUDD", "HSMinMax0 OK 0 12 99 12 99 88");
        row("Page Down adds 10, Page Up takes 10", {0, 30, 99}, "TNNP", "HSMinMax0 OK 0 40 99 40 99 60");
        row("End on lowest: 75 pushes highest to 99", {0, 0, 80}, "TE", "HSMinMax0 OK 0 75 99 75 99 25");
        row("Home on highest: 24 pulls lowest to 0", {0, 50, 99}, "TTH", "HSMinMax1 OK 0 0 24 0 24 25");
        // Settings changed under a run used to take effect in the middle of it; OK is off once the dialog hears of it.
        row("OK refused during a run", {0, 0, 99}, "rTN", "HSMinMax0 0 10 99 10 99 90");
    }
    void options() {
        QFETCH(QList<int>, settings);
        QFETCH(QString, keys);
        const SettingRecord before = Setting(settings[0], settings[1], settings[2]);
        Game g(before);
        const QByteArray stored = SettingsFile("0", "0", "99");
        g.Write(kSettingsFileName, stored);
        QPointer<frmOption> d = new frmOption(g.m, g.platform);
        ShowActive(d);
        if (keys.startsWith('r'))
            g.m.LBLineMess = "実行中 / 実戦形式"; // before the window hears of the run
        const Qt::Key named[] = {Qt::Key_Tab,  Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Up,
                                 Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home,
                                 Qt::Key_End,  Qt::Key_Escape, Qt::Key_Return};
        for (const QChar k : keys.mid(keys.startsWith('r')) + (keys.endsWith('X') ? "" : "K")) // K: Enter, OK anywhere
            Press(d, named[QString("TLRUDPNHEXK").indexOf(k)]);
        g.m.Refresh(); // the dialog hears of the run now
        const bool saved = !keys.endsWith('X') && !keys.startsWith('r');
        const auto bar = [&](int i) { return Child<QScrollBar>(d, QString("HSMinMax%1").arg(i))->value(); };
        const SettingRecord shown = Setting(Child<QRadioButton>(d, "optRand")->isChecked(), bar(0), bar(1));
        QTEST(d->focusWidget()->objectName() + (Child<QPushButton>(d, "CmdOK")->isEnabled() ? " OK " : " ") +
                  QString("%1 %2 %3 ").arg(shown.RunMode).arg(shown.MinNumber).arg(shown.MaxNumber) +
                  Texts(d, {"LBMinMax0", "LBMinMax1", "LBKinds"}),
              "shown");
        QVERIFY(d->isVisible() != saved && g.m.SysSetting == (saved ? shown : before));
        QCOMPARE(g.Read(kSettingsFileName), saved ? SettingsFile(shown.RunMode, shown.MinNumber, shown.MaxNumber)
                                                  : stored);
        QVERIFY(g.m.RealRunPressed == (saved && !shown.RunMode) && g.m.RandRunPressed == (saved && shown.RunMode));
        if (!saved) // Cancel stores nothing
            Child<QPushButton>(d, "CmdCancel")->click();
        QVERIFY(Deleted(d));
    }

    // The style draws no focus on a scroll bar; the dialog draws it, so the focused bar looks different.
    void focusedBarIsDrawnDifferently() {
        Game g;
        frmOption d(g.m, g.platform);
        ShowActive(&d);
        auto* bar = Child<QScrollBar>(&d, "HSMinMax1");
        const QImage unfocused = bar->grab().toImage();
        bar->setFocus(Qt::TabFocusReason);
        QVERIFY(bar->hasFocus() && bar->grab().toImage() != unfocused);
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
        QTEST(Texts(&d, {"LBSheetMin", "LBSheetMax", "LBSheetKinds"}), "figures");
        QStringList shown, expected;
        for (int k = 0; k < 10; ++k)
            shown << Texts(&d, {QString("LBHindoNo%1").arg(k), QString("LBHindoNum%1").arg(k),
                                QString("LBHindoP%1").arg(k)}, '/');
        for (const QString& e : ranking.split(' ', Qt::SkipEmptyParts))
            expected << QString("(%1)/%2/= %3p").arg(e.section('/', 0, 0), e.section('/', 1, 1), e.section('/', 2));
        QCOMPARE(shown, expected + QStringList(10 - expected.size(), "-/-/----"));
    }

    void rename_data() {
        QTest::addColumn<Rename>("r");
        const auto row = [](const char* name, const Rename& r) { QTest::newRow(name) << r; };
        row("typing replaces the selected name", {"Kiso", "Kiso", {}, 50});
        row("sheet selected meanwhile is renamed", {"Neu", "Neu", {}, 0, 180});
        row("escape changes nothing", {"Neu", "Sheet 3", {}, 50, -1, Qt::Key_Escape});
        // Names the sheet document cannot hold used to be accepted and broke the saved file.
        row("pasted line break refused", {"ab", "ab", "a\nb"});
        row("pasted character without CP932 form refused", {"ab", "ab", "é"});
        row("pasted half-width kana and kanji accepted", {"ab", "abｼｰﾄ名", "ｼｰﾄ名"});
        row("nothing beyond 16 characters", {"ab", "abcdefghijklmnop", "cdefghijklmnopq"});
        // A loaded name longer than 16 used to be cut to 16 by OK.
        const QString long20 = "ABCDEFGHIJKLMNOPQRST";
        row("unchanged long loaded name kept whole", {.typed = "", .name = long20, .start = long20});
        row("a shortened long name does not grow back", {.typed = "\b\bx", .name = long20.left(18), .start = long20});
        // "¥" and "〜" were stored and came back from the file as "\" and "～".
        row("typed yen sign and wave dash become their storable twins", {"¥500〜", "￥500～"});
        // A starting name that already failed the check let any paste through to the sheet.
        row("TAB in the starting name: paste taken by the box, refused at OK",
            {.typed = "", .name = "a\tb", .pasted = "x", .start = "a\tb", .refused = true});
    }
    void rename() {
        QFETCH(Rename, r);
        Game g;
        QPointer<frmInput> d = new frmInput(g.m);
        d->show();
        g.m.CurBox = std::int16_t(r.openBox);
        if (!r.start.isEmpty()) g.m.BSheet[r.openBox / 25] = r.start.toStdString();
        d->Reload(); // the rename command again, on another sheet
        auto* text = Child<QLineEdit>(d, "Text1");
        const QString before = Q(g.m.BSheet[r.openBox / 25]);
        QCOMPARE(text->selectedText(), before);
        if (!r.start.isEmpty()) text->end(false);
        for (const QChar c : r.typed) { // as a keyboard types: ASCII as keys, the rest through an input method
            QInputMethodEvent commit;
            commit.setCommitString(c);
            c.unicode() < 0x80 ? QTest::keyClick(text, c.toLatin1()) : (void)QCoreApplication::sendEvent(text, &commit);
        }
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
        if (r.refused) Child<QPushButton>(d, "CmdCancel")->click();
        QVERIFY(Deleted(d));
    }

    // Found as a fault: Escape closed them. Without a cancel-key button Escape leaves the dialog open; Enter and
    // the button still close it.
    void escapeDoesNothingInInformationAndVersion() {
        Game g;
        for (const bool info : {true, false}) {
            QPointer<QDialog> d = info ? static_cast<QDialog*>(new frmInfo(g.m)) : new frmVer;
            ShowActive(d);
            Press(d, Qt::Key_Escape);
            QVERIFY(!Deleted(d) && d->isVisible());
            info ? Press(d, Qt::Key_Return) : d->findChild<QPushButton*>()->click();
            QVERIFY(Deleted(d));
        }
    }

    // Through the main window's commands: options and information do nothing while open (the information shows
    // the settings' range, whatever it is), rename reloads the current sheet's name, version comes to the front.
    // The options dialog outlives the main window and still stores its settings.
    void commandsOnOpenDialogs() {
        Game g(Setting(0, 10, 60));
        frmMain w(g.m, g.platform);
        ShowActive(&w);
        QLineEdit* name = nullptr;
        const auto commands = [&] { // what each dialog shows right after its command, the version last
            w.mnSheetAbout_Click();
            w.mnOption_Click();
            w.mnSheetName_Click();
            name = Child<QLineEdit>(w.findChild<frmInput*>(), "Text1");
            const int lowest = Child<QScrollBar>(w.findChild<frmOption*>(), "HSMinMax0")->value();
            const QString shown = Texts(w.findChild<frmInfo*>(), {"LBSysMin", "LBSysMax", "LBSysKinds", "LBSheetMin"}) +
                                  QString(" %1 ").arg(lowest) + name->text() + "/" + name->selectedText();
            w.mn_Ver_Click();
            return shown;
        };
        QCOMPARE(commands(), "10 60 51 - 10 Sheet 1/Sheet 1");
        QPointer<frmOption> options = w.findChild<frmOption*>();
        QPointer<frmVer> version = w.findChild<frmVer*>();
        QTRY_COMPARE(QApplication::activeWindow(), version.data());
        Child<QScrollBar>(options, "HSMinMax0")->setValue(20);
        SetSheet(g.m, 0, "5");
        QTest::keyClicks(name, "Neu");
        w.BBox_MouseDown(80, Qt::LeftButton); // a cell of sheet 4
        w.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &w);
        QCOMPARE(commands(), "10 60 51 - 20 Sheet 4/Sheet 4"); // information not refreshed, options not reloaded
        QTRY_COMPARE(QApplication::activeWindow(), version.data());
        QCOMPARE(w.findChildren<QDialog*>().size(), 4);
        QVERIFY(w.close() && options && options->isVisible());
        QTest::mouseClick(Child<QPushButton>(options, "CmdOK"), Qt::LeftButton);
        QTRY_VERIFY(!options);
        QCOMPARE(g.Read(kSettingsFileName), SettingsFile(0, 20, 60));
    }

    // The help window's keyword search as the operator uses it: Alt+K reaches the box, the forms the program's
    // menus write (half-width katakana) find what the full-width ones find, also full-width capitals as ASCII,
    // and Escape closes the window. Found as faults: the label showed a literal "&K", half-width forms found nothing.
    void helpKeywordSearch() {
        Game g;
        QVERIFY(QFile::copy(QFINDTESTDATA("../resources/help/numbalo.hlp"), g.dir.filePath("numbalo.hlp")));
        frmMain w(g.m, g.platform);
        w.mnSrch_Click();
        QPointer<HelpViewer> help = w.helpViewer();
        QVERIFY(QTest::qWaitForWindowActive(help));
        auto* search = Child<QLineEdit>(help, "HelpSearch");
        auto* keywords = Child<QListWidget>(help, "HelpKeywords");
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
        for (const auto& [typed, other] : {std::pair{"ﾌﾘｰﾎｰﾙ", "フリーホール"}, {"ＢＮＧ", "bng"}})
            QVERIFY2(!found(typed).isEmpty() && found(typed) == found(other), typed);
        Press(help, Qt::Key_Escape);
        QVERIFY(Deleted(help));
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
