// The recovery file reads back exactly what was written, an impossible one is refused whole, only a regular file
// is read, and one copy of the program owns it. The keeper holds it whenever a crash would lose something, and
// only then, and brings it back.
#include "fakeplatform.h"
#include "recoveryjournal.h"
#include "recoverykeeper.h"

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {
const QString kAskRestore = "前回は正しく終了しませんでした。保存されていない内容を復元しますか? | 復元 | 52";
// Odd names and cells, a changed document, and a run in the mode given (-1: none) with calls repeating past 51.
RecoveryState State(int mode, int calls = 0, bool rolling = false, const std::string& folder = "/home/op/bingo/") {
    RecoveryState s{{"a,b", "100%", "line\r\nend", "", " ｼｰﾄ 漢字 ", "tab\there", "%2C", "Sheet 8"}, {}, folder,
                    "夏祭り.bng", true, {}};
    for (int b = 0; b < kBoxes; ++b)
        s.cells[b] = b % 7 ? std::to_string(b % 100) : b % 2 ? "@" : "";
    if (mode >= 0) s.run = RecoveryRun{std::int16_t(mode), 10, 60, {}, calls, rolling};
    for (int i = 0; i < calls; ++i)
        s.run->calls.push_back(std::int16_t(10 + i * 7 % 51));
    return s;
}
QByteArray Encoded(const RecoveryState& s) { return QByteArray::fromStdString(EncodeRecovery(s)); }
} // namespace

class TestRecoveryKeeper : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { alarm(120); } // a read that blocks fails the suite instead of hanging it

    void roundTrip() { // RealRun past 100 calls with repeats; RandRun rolling; no run, a folder not UTF-8
        for (const RecoveryState& state : {State(0, 150), State(1, 0, true), State(-1, 0, false, "/tmp/\xff\xfe/")}) {
            Game g;
            QVERIFY(WriteRecovery(g.m.AppFolder, state));
            const RecoveryFile read = ReadRecovery(g.m.AppFolder);
            QVERIFY(read.status == RecoveryFile::Status::Read && read.state == state);
            QCOMPARE(QDir(g.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList{kRecoveryFileName});
            QVERIFY(DeleteRecovery(g.m.AppFolder) && DeleteRecovery(g.m.AppFolder));
            QVERIFY(ReadRecovery(g.m.AppFolder).status == RecoveryFile::Status::None);
        }
    }

    // Refused whole. The fuzz target proves that whatever is accepted is possible and spelled as the program
    // writes it; these are the faults it or a review found (they were restored), bounds it cannot reach, and
    // what is not a regular file: that is neither read, nor replaced, nor written through.
    void refused_data() {
        QTest::addColumn<QString>("kind"); // a file holding the text, or what stands at the name
        QTest::addColumn<QByteArray>("text");
        const QByteArray good = Encoded(State(0, 3)), drawn = Encoded(State(1, 2));
        const auto edit = [&](const char* row, const QByteArray& from, const QByteArray& to, bool inDrawn = false) {
            QVERIFY2((inDrawn ? drawn : good).contains(from), row);
            QTest::newRow(row) << "file" << QByteArray(inDrawn ? drawn : good).replace(from, to);
        };
        edit("a NUL in the document's name", "name 夏祭り.bng", "name 夏祭り%00.bng");
        edit("a NUL in the document's folder", "folder /home/op/bingo/", "folder /home/op%00/bingo/");
        edit("a name that is the folder itself", "name 夏祭り.bng", "name ..");
        edit("a draw count that is not the number of calls", "run 0 10 60 3 0", "run 0 10 60 4 0");
        edit("the roulette drawing a number twice", "calls 10 17", "calls 17 17", true);
        edit("the roulette drawing outside its range", "calls 10 17", "calls 10 9", true);
        edit("a line over 1 MiB", "Sheet 8", QByteArray(1 << 20, 'x'));
        edit("a name over 4 KiB", "Sheet 8", QByteArray(4097, 'x'));
        for (const QString kind : {"fifo", "directory", "link"}) // the link to a good file
            QTest::newRow(qPrintable("a " + kind)) << kind << QByteArray();
    }
    void refused() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, text);
        Game g;
        const QByteArray path = QFile::encodeName(g.dir.filePath(kRecoveryFileName)), good = Encoded(State(-1));
        g.Write(kind == "file" ? kRecoveryFileName : "target", kind == "file" ? text : good);
        QVERIFY(kind == "file" || (kind == "fifo"        ? mkfifo(path, 0644) == 0
                                   : kind == "directory" ? mkdir(path, 0755) == 0
                                                         : symlink("target", path) == 0));
        QVERIFY(ReadRecovery(g.m.AppFolder).status == RecoveryFile::Status::Bad);
        if (kind != "file") {
            QVERIFY(!WriteRecovery(g.m.AppFolder, State(1, 5, true)));
            QCOMPARE(g.Read("target"), good);
            return;
        }
        QVERIFY(!ParseRecovery(text.toStdString()) && SetAsideRecovery(g.m.AppFolder));
        QCOMPARE(g.Read(QString(kRecoveryFileName) + ".bad"), text);
        QVERIFY(ReadRecovery(g.m.AppFolder).status == RecoveryFile::Status::None);
    }

    // The roulette's ticks change nothing the file holds.
    void lifetime_data() {
        QTest::addColumn<QString>("steps"); // t type, x clear, r fill at random, w wait for the edit write, s save,
        // D drawn mode, S start, T 20 roulette ticks, L stop the roulette, C call 7, E end, n New (No), f close
        QTest::addColumn<QString>("file"); // after each step: 0 none, + written anew, = the same file
        QTest::newRow("an edit waits for the end of the burst") << "ttw" << "00+";
        // Found as a fault: these marked the document changed or saved after their last change notice.
        QTest::newRow("a save leaves nothing to lose") << "tws" << "0+0";
        QTest::newRow("a cleared sheet is written") << "xw" << "0+";
        QTest::newRow("a sheet filled at random is written") << "rw" << "0+";
        QTest::newRow("a run is written at once, its end on an unchanged document removes it") << "SCE" << "++0";
        QTest::newRow("a run that ends on a changed document keeps it") << "twSCE" << "0++++";
        QTest::newRow("ticks never write, a drawn call does") << "DSTwL" << "0+==+";
        QTest::newRow("New after an unsaved edit, answered No") << "twn" << "0+0";
        QTest::newRow("a normal close removes it, whatever was unsaved") << "twSCf" << "0+++0";
        QTest::newRow("nothing writes once the window closed") << "twftw" << "0+000";
    }
    void lifetime() {
        QFETCH(QString, steps);
        Game k;
        RecoveryKeeper keeper(k.m, k.platform, k.m.AppFolder);
        FakeDialogs dialogs;
        SetSheet(k.m, 0, "7 8 9");
        k.m.DocName = "saved.bng";
        keeper.Watch();
        const QHash<QChar, std::function<void()>> act{
            {'t', [&] { k.m.Form_KeyDown(vk::Digit0 + 4, 0); }},
            {'w', [] { QTest::qWait(1200); }},
            {'s', [&] { QVERIFY(DocumentCommands(k.m, dialogs).mn_Save_Click() == SaveResult::Saved); }},
            {'x', [&] { k.m.ClearCurrentSheet(); }},
            {'r', [&] { k.m.FillCurrentSheetRandom(); }},
            {'D', [&] { k.m.SysSetting.RunMode = 1; }},
            {'S', [&] { k.m.Start(); }},
            {'T', [&] { for (int i = 0; i < 20; ++i) k.m.Timer1_Timer(); }},
            {'L', [&] { k.m.LBInput_Click(); }},
            {'C', [&] { k.Call(7); }},
            {'E', [&] { k.m.EndRun(); }},
            {'n', [&] { k.platform.answers = {vbNo}; DocumentCommands(k.m, dialogs).mn_New_Click(); }},
            {'f', [&] { keeper.Finish(); }}};
        const auto inode = [&] {
            struct stat st {};
            return ::stat((k.m.AppFolder + kRecoveryFileName).c_str(), &st) == 0 ? st.st_ino : 0;
        };
        QString seen;
        for (QChar step : steps) {
            const ino_t before = inode();
            act[step]();
            seen += inode() == 0 ? '0' : inode() == before ? '=' : '+';
        }
        QTEST(seen, "file");
    }

    // Yes restores, the changed mark counting a saved document that went away or changed on disk as changed;
    // No discards the file; an unusable one is set aside with a message; a copy without the lock neither asks,
    // nor writes, nor deletes, however old the live owner's lock. (That a killed owner's lock is taken over,
    // recovery_kill.sh proves at every restart.)
    void offer_data() {
        QTest::addColumn<QString>("disk"); // what the saved document holds now; "unusable": the recovery file
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("secondCopy");
        QTest::addColumn<QString>("expected"); // what was asked: the files left
        const auto row = [](const char* name, const QString& disk, int answer, bool second, const QString& expected) {
            QTest::newRow(name) << disk << answer << second << expected;
        };
        row("Yes: the saved file still holds the sheets", "same", vbYes, false, kAskRestore + ": numbalo.rcv");
        row("Yes: the saved file is gone", "gone", vbYes, false, kAskRestore + ": numbalo.rcv");
        row("Yes: the saved file holds other sheets", "other", vbYes, false, kAskRestore + ": numbalo.rcv");
        row("No discards it", "same", vbNo, false, kAskRestore + ": ");
        row("an unusable file is set aside", "unusable", vbOK, false,
            "復元用のﾌｧｲﾙが読めないため、使わずに起動します。 | 復元 | 48: numbalo.rcv.bad");
        row("a second copy leaves it alone", "same", vbYes, true,
            "ビンゴを実戦形式で開始します。よろしいですか? | 開始 | 52: numbalo.rcv");
    }
    void offer() {
        QFETCH(QString, disk);
        QFETCH(int, answer);
        QFETCH(bool, secondCopy);
        Game crashed(Setting(1, 10, 40)), g;
        modMain& m = crashed.m;
        m.DocDir = g.m.AppFolder = m.AppFolder;
        m.DocName = "night.bng";
        SetSheet(m, 2, "10 11 12 13 14");
        m.BSheet[2] = disk == "other" ? "別" : "三枚目";
        QVERIFY(SaveDocument(m) && (disk != "gone" || QFile::remove(crashed.dir.filePath("night.bng"))));
        m.BSheet[2] = "三枚目";
        SetWindowTitle(m);
        RecoveryState state{m.BSheet, {}, m.DocDir, m.DocName, false, RecoveryRun{1, 10, 40, {12, 30}, 2, true}};
        std::transform(m.BBox.begin(), m.BBox.end(), state.cells.begin(), [](const Cell& c) { return c.Caption; });
        QVERIFY(WriteRecovery(m.AppFolder, state));
        if (disk == "unusable")
            crashed.Write(kRecoveryFileName, "numbalo-recovery 9\n");
        const QByteArray file = crashed.Read(kRecoveryFileName);
        m.ShowRunModeButtons(); // the same game played: the restored module must show exactly this
        m.Start();
        crashed.Call(12);
        crashed.Call(30);
        m.DocChanged = disk == "same" ? 0 : -1;
        RecoveryLock firstCopy(m.AppFolder);
        const utimbuf hourAgo{time(nullptr) - 3600, time(nullptr) - 3600};
        const std::string lockFile = m.AppFolder + kRecoveryFileName + ".lock";
        QVERIFY(!secondCopy || (firstCopy.tryLock() && utime(lockFile.c_str(), &hourAgo) == 0));
        RecoveryKeeper keeper(g.m, g.platform, g.m.AppFolder);
        QCOMPARE(keeper.ownsRecovery(), !secondCopy);
        g.platform.answers = {answer};
        const bool restored = answer == vbYes && !secondCopy;
        QCOMPARE(keeper.Offer(), restored);
        if (restored) {
            QCOMPARE(Snapshot(g.m), Snapshot(m));
            QCOMPARE(crashed.Read(kSettingsFileName), SettingsFile(1, 10, 40)); // the run's range, kept
        }
        if (secondCopy) { // an owner would write at once
            keeper.Watch();
            g.m.Start();
        }
        const QStringList left = QDir(crashed.dir.path()).entryList({"numbalo.rcv", "numbalo.rcv.bad"}, QDir::Files);
        QTEST(g.platform.asked.join(" / ") + ": " + left.join(" "), "expected");
        QCOMPARE(crashed.Read(kRecoveryFileName), secondCopy || restored ? file : "<unreadable>");
    }
};

QTEST_MAIN(TestRecoveryKeeper)
#include "test_recoverykeeper.moc"
