// Starting and ending a run, the keys of a typed run, the random sheet fill with its seeding, and the
// document commands with their save-changes question.
#include "fixture.h"

#include <set>

struct Exhaust {
    int lo, hi, calls;          // the run's range, numbers called before it runs out
    int newLo = -1, newHi = -1; // the range changed under the run
    int endAnswer = 0;          // not 0: the range runs out under the End question, answered so
};
Q_DECLARE_METATYPE(Exhaust)

// A command, or several in turn, on a document whose first sheet begins "1 2 3".
struct Command {
    QString command = {};                  // New, Open, Save, SaveAs, Close
    QString name = "cur.bng";              // the document's file title, in the temporary folder
    bool changed = true, failSave = false; // failSave: the old file stays, but a sheet name has no CP932 form
    int answer = 0;                        // to the save-changes question; 0: none expected
    int runAnswer = 0;                     // not 0: a run is on, and the question before closing it is answered so
    QString chosen = "in.bng";             // in the open dialog ("" cancels); bad.bng is refused
    QString dialog = {};                   // in the save dialog ("" cancels)
};
Q_DECLARE_METATYPE(Command)

class TestRunControl : public QObject {
    Q_OBJECT
private slots:
    // Start answered No changes nothing; Yes starts the roulette. The range then runs out by itself.
    void rangeExhaustedEndsTheRun_data() {
        QTest::addColumn<Exhaust>("c");
        // Faults mended: the draw loop never ended when the range changed under the run to numbers all called;
        // running out under the End question let a late No put the run caption back (or a late Yes end it twice).
        QTest::newRow("range changed to numbers all called") << Exhaust{0, 99, 30, 5, 29};
        QTest::newRow("range ran out under the End question, No") << Exhaust{10, 34, 25, -1, -1, vbNo};
        QTest::newRow("range ran out under the End question, Yes") << Exhaust{10, 34, 25, -1, -1, vbYes};
    }
    void rangeExhaustedEndsTheRun() {
        QFETCH(Exhaust, c);
        Game g(Setting(1, c.lo, c.hi));
        g.platform.answers = {vbNo};
        const QString before = Snapshot(g.m);
        g.m.Start();
        QCOMPARE(Snapshot(g.m), before);
        g.m.Start();
        QCOMPARE(g.platform.asked, QStringList(2, "ビンゴを乱数形式で開始します。よろしいですか? | 開始 | 52"));
        QVERIFY(Q(g.m.view.LBLineMess) == "実行中 / 乱数形式" && g.m.view.RunLabelsVisible);
        std::set<int> called;
        while (called.size() < std::size_t(c.calls)) {
            if (c.newLo >= 0) // call lo, lo + 1, ... in order; two ticks each
                g.platform.scripted = QList<float>(2, (float(called.size()) + 0.5f) / float(c.hi - c.lo + 1));
            g.m.Timer1_Timer(); // two ticks, each showing a number not called yet, then a click
            g.m.Timer1_Timer();
            const int n = Q(g.m.view.LBInput).toInt();
            g.platform.onYield = [&] { g.m.Timer1_Timer(); }; // a tick inside the call's evaluation draws nothing
            g.m.LBInput_Click();
            QVERIFY(n >= c.lo && n <= c.hi && called.insert(n).second && g.m.view.LBInput.empty());
            QVERIFY(g.platform.asked.size() == 2 && g.m.view.Timer1Enabled); // only Start asked
        }
        if (c.newLo >= 0) g.m.run.SysSetting = Setting(1, c.newLo, c.newHi);
        g.platform.rndLimit = g.platform.rnds + 10000;
        QString during = "一時停止";
        g.platform.answers = {vbOK, c.endAnswer}; // a notice under the End question is answered first
        g.platform.onAsk = [&] {                  // under the notice, or else the End question
            during = Q(g.m.view.LBLineMess) + (g.m.view.Timer1Enabled && !c.endAnswer ? " timer on" : "");
            if (!c.endAnswer) return;
            g.m.Timer1_Timer();   // the range runs out
            g.m.view.CurBox = 60; // probe: a second EndRun would show cell 60 selected
        };
        c.endAnswer ? g.m.End() : g.m.Timer1_Timer();
        const int size = c.newLo >= 0 ? c.newHi - c.newLo + 1 : c.hi - c.lo + 1;
        QStringList asked{QString("回数が%1回に到達したので終了します。 | 終了 | 54").arg(size)};
        if (c.endAnswer) asked.prepend("実行を終了します。よろしいですか? | 終了 | 52");
        QCOMPARE(g.platform.asked.mid(2), asked);
        QCOMPARE(during, "一時停止");
        QCOMPARE(Q(g.m.view.LBLineMess), "編集モード");
        QVERIFY(!g.m.view.Timer1Enabled && !g.m.CommandEnabled("mn_End") &&
                g.m.view.BBox[60].BackColor == Colour::White);
        g.m.Timer1_Timer();
        QVERIFY(g.m.view.LBInput.empty() && g.platform.asked.size() == (c.endAnswer ? 4 : 3));
    }

    // Arrows move within a sheet and across its edges into the facing edge of the neighbouring sheet; at the outer
    // edge nothing moves. From every cell, against the sheets laid out as one grid of 20 x 10 cells. Found by
    // mutation: moves off a sheet's first column or row could go wrong unnoticed.
    void arrowKeys() {
        Game g;
        const int keys[] = {vk::Left, vk::Up, vk::Right, vk::Down}, dx[] = {-1, 0, 1, 0}, dy[] = {0, -1, 0, 1};
        for (int box = 0; box < kBoxes; ++box)
            for (int k = 0; k < 4; ++k) {
                const int x = box / 25 % 4 * 5 + box % 5 + dx[k], y = box / 100 * 5 + box % 25 / 5 + dy[k];
                const bool inside = x >= 0 && x < 20 && y >= 0 && y < 10;
                g.m.BBox_MouseDown(box, kLeftButton);
                g.m.Form_KeyDown(keys[k], 0);
                QVERIFY2(g.m.view.CurBox == (inside ? (y / 5 * 4 + x / 5) * 25 + y % 5 * 5 + x % 5 : box),
                         qPrintable(QString("key %1 from %2 to %3").arg(keys[k]).arg(box).arg(g.m.view.CurBox)));
            }
    }

    // The last two digits typed count; Enter or the keypad separator calls, Enter right after a call does
    // nothing, and a digit after a call starts afresh.
    void realRunKeys() {
        Game g;
        g.m.Start();
        for (int key : {49, 50, 51, 13, 13, 97, 98, 108, 52})
            g.m.Form_KeyDown(key, 0);
        QCOMPARE(QString("%1/%2/%3 %4")
                     .arg(Q(g.m.view.LBInput), Q(g.m.view.LBNum))
                     .arg(g.m.run.NumLog[0])
                     .arg(g.m.run.NumLog[1]),
                 "4/2/12 23");
    }

    // The run ends inside the last call's closing yield. Fault mended: the roulette of a run
    // ended there got restarted.
    void endRunRestoresEditLook() {
        Game g(Setting(1, 0, 99));
        SetSheet(g.m, 0, "1 2 3 4 5\n@ 6 7 8 .");
        g.m.BBox_MouseDown(37, kLeftButton);
        g.m.Start();
        for (int n : {1, 2, 3, 4, 5, 6})
            g.Call(n);
        g.platform.onYield = [&] { g.m.End(); };
        g.Call(7);
        QCOMPARE(Q(g.m.view.LBLineMess), "編集モード");
        const QString normal = QStringList(5, QStringList(5, "Wk").join(' ')).join('\n');
        for (int s = 0; s < kSheets; ++s) {
            QCOMPARE(ColourGrid(g.m, s), s == 1 ? QString(normal).replace(36, 2, "Nw") : normal);
            QCOMPARE(Q(g.m.view.BMess[s].Caption) + ColourLetter(g.m.view.BMess[s].BackColor), "F");
        }
        QCOMPARE(Q(g.m.view.LBLog[0] + g.m.view.LBLog[6] + g.m.view.StatusText + g.m.view.LBInput + g.m.view.LBNum),
                 "0");
        QVERIFY(g.m.view.LBInputBackColor == Colour::White && !g.m.view.RunLabelsVisible && !g.m.view.Timer1Enabled);
        QCOMPARE(int(g.m.run.NumLog[0]), 7); // the history stays until the next Start
    }

    // All sheets: answered No nothing changes, Yes gives each sheet distinct plain numbers of the range, shuffled
    // apart; a hand-edited settings file may give fewer than 25 numbers, every cell must still load. The current
    // sheet alone: its numbers sorted by a key each, highest key first. Both reseed first, one key per number.
    void fill() {
        Game g(Setting(0, 50, 60));
        g.m.view.BSheet[2] = "Mine";
        g.platform.answers = {vbNo};
        const QString before = Snapshot(g.m);
        g.m.FillAllSheetsRandom();
        QCOMPARE(Snapshot(g.m), before);
        g.m.FillAllSheetsRandom();
        QVERIFY(g.platform.randomizes == 2 && g.platform.rnds == kSheets * 11);
        const auto cells = [&](int s) { return SheetText(g.m, s).split(QRegularExpression("\\s")); };
        for (int s = 0; s < kSheets; ++s) {
            const QStringList in = cells(s).mid(0, 11);
            QCOMPARE(QSet<QString>(in.begin(), in.end()).size(), 11);
            for (const QString& text : in)
                QVERIFY2(text == QString::number(text.toInt()) && text.toInt() >= 50 && text.toInt() <= 60,
                         qPrintable(text));
        }
        QVERIFY(cells(0) != cells(1));
        QCOMPARE(Q(g.m.view.BSheet[2]) + QString::number(g.m.doc.DocChanged), "Mine-1");
        const EncodedDocument doc = EncodeDocument(g.m);
        QVERIFY(doc.error.empty() && ParseDocument(doc.bytes).has_value());
        g.m.run.SysSetting = Setting(0, 10, 99);
        g.m.view.CurBox = 77; // on sheet 3
        QStringList highestFirst, others = cells(2) + cells(4);
        for (int n = 10; n <= 99; ++n)
            g.platform.scripted << float(n - 10) / 90.0f, highestFirst.prepend(QString::number(n));
        g.m.FillCurrentSheetRandom();
        QVERIFY(g.platform.randomizes == 3 && g.platform.rnds == kSheets * 11 + 90);
        QVERIFY(cells(3) == highestFirst.mid(0, kCellsPerSheet) && cells(2) + cells(4) == others);
    }

    // The random source is seeded at start from the clock and an entropy source; a fill reseeds it from the
    // clock alone. Fault mended: every start rolled the same numbers.
    void seeding() {
        const auto draws = [](std::uint64_t time, std::uint32_t noise, bool fill) {
            QtPlatform platform(nullptr, {[=] { return time; }, [=] { return noise; }});
            modMain m(platform);
            m.run.SysSetting = Setting(0, 0, 99);
            if (fill) m.FillCurrentSheetRandom();
            QString out = Grid(m, 0, false) + "|";
            for (int i = 0; i < 8; ++i)
                out += QString::number(platform.Rnd()) + " ";
            return out;
        };
        for (const bool fill : {false, true}) {
            const QString first = draws(1000000, 7, fill);
            QCOMPARE(draws(1000000, 7, fill), first);         // nothing else feeds the seed
            QCOMPARE(draws(1000000, 8, fill) == first, fill); // in the same microsecond: the entropy, at start only
            QVERIFY(draws(2000000, 7, fill) != first);
        }
    }

    void command_data() {
        QTest::addColumn<Command>("c");
        // "same": nothing changed, or the document's file title and first cell; files now holding the sheets;
        // an error reported; save dialogs shown; whether the window may not close.
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char* name, const char* command, Command c, const char* outcome) {
            c.command = command;
            QTest::newRow(name) << c << QString(outcome);
        };
        const QString untitled = "無題";
        row("Save: 無題.bng is a title, not untitled, and saves at once", "Save", {.name = "無題.bng"},
            "無題.bng [1], wrote 無題.bng");
        row("New: unchanged document emptied at once", "New", {.changed = false}, "無題 []");
        row("New: changed untitled, Yes saves through the dialog and keeps the sheets", "New",
            {.name = untitled, .answer = vbYes, .dialog = "n.bng"}, "n.bng [1], wrote n.bng, 1 dialog");
        // Open after the question as a dropped file opens is the main window tests'; here the dialog's part.
        row("Open: cancelled dialog changes nothing", "Open", {.chosen = ""}, "same");
        row("Open: changed untitled, Yes with Save As cancelled still opens", "Open",
            {.name = untitled, .answer = vbYes}, "in.bng [42], 1 dialog");
        // Faults mended: a refused file took over folder, name and caption and cleared
        // DocChanged; a failed save was followed by replacing the sheets.
        row("Open: refused file keeps everything", "Open", {.answer = vbNo, .chosen = "bad.bng"}, "same, reported");
        row("Open: failed save reads nothing", "Open", {.failSave = true, .answer = vbYes}, "same, reported");
        row("Close: unchanged closes without a question", "Close", {.changed = false}, "same");
        row("Close: changed, No closes without writing", "Close", {.answer = vbNo}, "same");
        row("Close: changed, Cancel keeps the window", "Close", {.answer = vbCancel}, "same, stays open");
        row("Close: changed titled, Yes saves and closes", "Close", {.answer = vbYes}, "cur.bng [1], wrote cur.bng");
        // Fault mended: a save that failed still let the window close and lose the sheets.
        row("Close: failed save keeps the window", "Close", {.failSave = true, .answer = vbYes},
            "same, reported, stays open");
        // Fault mended: the close button ended a game at once.
        row("Close: a run on, No keeps the game", "Close", {.runAnswer = vbNo}, "same, stays open");
        row("Close: a run on, Yes then the save question", "Close", {.answer = vbNo, .runAnswer = vbYes}, "same");
        row("Save As to another folder: later saves go there too", "SaveAs Save", {.dialog = "other/x.bng"},
            "other/x.bng [1], wrote other/x.bng, 1 dialog");
        // Fault mended: a failed Save As left the document named after a file never written.
        row("Save As: folder missing restores the document", "SaveAs", {.dialog = "missing/x.bng"},
            "same, reported, 1 dialog");
    }
    void command() {
        QFETCH(Command, c);
        Game g;
        const QString folder = Q(g.m.AppFolder);
        FakeDialogs dialogs;
        DocumentCommands cmd{g.m, dialogs};
        g.m.doc.DocName = c.name.toStdString();
        SetWindowTitle(g.m);
        SetSheet(g.m, 0, "1 2 3");
        g.m.doc.DocChanged = c.changed ? -1 : 0;
        g.Write("in.bng", "Loaded\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n" + QByteArray("42,").repeated(200));
        g.Write("bad.bng", "junk");
        QVERIFY(QDir(folder).mkdir("other"));
        if (c.failSave) g.Write(c.name, "old"), g.m.view.BSheet[1] = "😀";
        if (c.runAnswer) g.m.Start();
        g.platform.answers = {c.runAnswer ? c.runAnswer : c.answer, c.answer};
        dialogs.open << (c.chosen.isEmpty() ? QString() : folder + c.chosen);
        dialogs.save << (c.dialog.isEmpty() ? QString() : folder + c.dialog);
        const QString before = Snapshot(g.m);
        bool closes = true;
        for (const QString& command : c.command.split(' ')) {
            if (command == "New") cmd.mn_New_Click();
            if (command == "Open") cmd.mn_Open_Click();
            if (command == "Save") cmd.mn_Save_Click();
            if (command == "SaveAs") cmd.mn_As_Click();
            if (command == "Close") closes = cmd.QueryUnload();
        }
        const QString place = Q(g.m.doc.DocDir + g.m.doc.DocName).mid(folder.size());
        QStringList outcome{Snapshot(g.m) == before ? "same"
                                                    : QString("%1 [%2]").arg(place, Q(g.m.view.BBox[0].Caption))};
        for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            if (QFile f(it.next()); f.open(QIODevice::ReadOnly) && f.readAll().contains("\r\n1,2,3,"))
                outcome << "wrote " + QDir(folder).relativeFilePath(f.fileName());
        if (!g.platform.asked.filter(" | 16").isEmpty()) outcome << "reported";
        if (dialogs.saves) outcome << QString("%1 dialog").arg(dialogs.saves);
        if (!closes) outcome << "stays open";
        QTEST(outcome.join(", "), "outcome");
        QVERIFY(outcome[0] == "same" || (Q(g.m.view.Caption) == "Zarvello Quorvex 98 - [" + Q(g.m.doc.DocName) + "]" &&
                                         g.m.doc.DocChanged == 0));
        const QString question = folder + c.name + " への変更を保存しますか? | Zarvello Quorvex 98 | 51";
        QCOMPARE(g.platform.asked.filter(" | 51"), c.answer ? QStringList{question} : QStringList());
        QCOMPARE(g.platform.asked.filter(" | 308"), c.runAnswer
                                                        ? QStringList{"実行中です。Zarvello Quorvex 98 を終了します。"
                                                                      "よろしいですか? | Zarvello Quorvex 98 | 308"}
                                                        : QStringList());
    }
};

QTEST_GUILESS_MAIN(TestRunControl)
#include "test_runcontrol.moc"
