// The recovery file: what is written reads back exactly, anything else is refused whole, only a regular
// file is read, and one copy of the program owns it.
#include "fakeplatform.h"
#include "recoveryjournal.h"

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

namespace {
RecoveryState Untitled(const std::string& folder = "/opt/numbalo/") {
    RecoveryState s;
    for (int i = 0; i < kSheets; ++i)
        s.names[i] = "Sheet " + std::to_string(i + 1);
    s.docDir = folder;
    s.docName = "無題";
    return s;
}
RecoveryState Playing(std::int16_t mode, int calls, bool rolling) {
    RecoveryState s = Untitled("/home/op/bingo/");
    s.names = {"a,b", "100%", "line\r\nend", "", " ｼｰﾄ 漢字 ", "tab\there", "%2C", "Sheet 8"};
    for (int b = 0; b < kBoxes; ++b)
        s.cells[b] = b % 7 ? std::to_string(b % 100) : b % 2 ? "@" : "";
    s.docName = "夏祭り.bng";
    s.docChanged = true;
    s.run = RecoveryRun{mode, 10, 60, {}, calls, rolling};
    for (int i = 0; i < calls; ++i)
        s.run->calls.push_back(std::int16_t(10 + i * 7 % 51)); // repeats past 51 calls
    return s;
}
QByteArray Encoded(const RecoveryState& s) { return QByteArray::fromStdString(EncodeRecovery(s)); }
} // namespace
Q_DECLARE_METATYPE(RecoveryState)

class TestRecovery : public QObject {
    Q_OBJECT
private slots:
    void init() { alarm(60); } // a read that blocks fails the test instead of hanging it
    void cleanup() { alarm(0); }

    void roundTrip_data() {
        QTest::addColumn<RecoveryState>("state");
        QTest::newRow("untitled, unchanged, no run") << Untitled();
        QTest::newRow("RealRun past 100 calls with repeats, odd names") << Playing(0, 150, false);
        QTest::newRow("RandRun rolling before its first call") << Playing(1, 0, true);
        QTest::newRow("RandRun stopped after a call") << Playing(1, 1, false);
        QTest::newRow("a folder whose name is not UTF-8") << Untitled("/tmp/\xff\xfe/");
    }
    void roundTrip() {
        QFETCH(RecoveryState, state);
        const std::string text = EncodeRecovery(state);
        QVERIFY(text.starts_with("numbalo-recovery 1\n") && ParseRecovery(text) == state);
        Game g;
        QVERIFY(WriteRecovery(g.m.AppFolder, state));
        const RecoveryFile read = ReadRecovery(g.m.AppFolder);
        QVERIFY(read.status == RecoveryFile::Status::Read && read.state == state);
        QCOMPARE(QDir(g.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{kRecoveryFileName});
        QVERIFY(DeleteRecovery(g.m.AppFolder) && DeleteRecovery(g.m.AppFolder));
        QVERIFY(ReadRecovery(g.m.AppFolder).status == RecoveryFile::Status::None);
    }

    void refused_data() {
        QTest::addColumn<QByteArray>("text");
        const QByteArray good = Encoded(Playing(0, 3, false)), drawn = Encoded(Playing(1, 2, false));
        const auto edit = [&](const char* row, const QByteArray& from, const QByteArray& to, bool inDrawn = false) {
            QVERIFY2((inDrawn ? drawn : good).contains(from), row);
            QTest::newRow(row) << QByteArray(inDrawn ? drawn : good).replace(from, to);
        };
        edit("another version", "numbalo-recovery 1", "numbalo-recovery 2");
        // Found as faults: these were restored.
        edit("a NUL in the document's name", "name 夏祭り.bng", "name 夏祭り%00.bng");
        edit("a NUL in the document's folder", "folder /home/op/bingo/", "folder /home/op%00/bingo/");
        edit("a name that is the folder itself", "name 夏祭り.bng", "name ..");
        edit("a draw count that is not the number of calls", "run 0 10 60 3 0", "run 0 10 60 4 0");
        edit("the roulette drawing a number twice", "calls 10 17", "calls 17 17", true);
        edit("the roulette drawing outside its range", "calls 10 17", "calls 10 9", true);
        QTest::newRow("a sheet document") << QByteArray("S\r\n").repeated(8) + QByteArray(199, ',') + "\r\n";
        edit("the end line missing", "\nend\n", "\n");
        edit("no final line end", "\nend\n", "\nend");
        edit("a line after the end", "\nend\n", "\nend\nend\n");
        edit("a line over 1 MiB", "Sheet 8", QByteArray(1 << 20, 'x'));
        edit("a name over 4 KiB", "Sheet 8", QByteArray(4097, 'x'));
        edit("CR LF line ends", "\n", "\r\n");
        edit("changed 2", "changed 1", "changed 2");
        edit("a relative folder", "folder /home", "folder home");
        edit("a name with a slash", "name ", "name a/");
        edit("an escape in lower case", "a%2Cb", "a%2cb");
        edit("a character escaped needlessly", "a%2Cb", "%61%2Cb");
        edit("a broken escape", "a%2Cb", "a%2");
        edit("a raw tab", "tab%09here", "tab\there");
        edit("199 cells", "cells ,1,", "cells 1,");
        edit("a cell of 100", ",1,2,", ",100,2,");
        edit("run mode 65536 does not wrap to 0", "run 0 ", "run 65536 ");
        edit("lowest above highest", " 10 60 ", " 60 50 ");
        edit("rolling in RealRun", " 3 0\n", " 3 1\n");
        edit("a draw count with a leading zero", " 3 0\n", " 03 0\n");
        edit("a call of 100", "calls 10 ", "calls 100 ");
        edit("a negative call", "calls 10 ", "calls -1 ");
        edit("two blanks between calls", "calls 10 ", "calls 10  ");
        edit("calls without a run", "run 0 10 60 3 0", "run none");
    }
    void refused() {
        QFETCH(QByteArray, text);
        QVERIFY(!ParseRecovery(text.toStdString()));
        Game g; // the program's folder holds the file
        g.Write(kRecoveryFileName, text);
        QVERIFY(ReadRecovery(g.m.AppFolder).status == RecoveryFile::Status::Bad && SetAsideRecovery(g.m.AppFolder));
        QCOMPARE(g.Read(QString(kRecoveryFileName) + ".bad"), text);
        QVERIFY(ReadRecovery(g.m.AppFolder).status == RecoveryFile::Status::None);
    }

    void onlyRegularFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a FIFO, at once") << "fifo";
        QTest::newRow("a directory") << "directory";
        QTest::newRow("a link to a good file, neither read nor written through") << "link";
    }
    void onlyRegularFiles() {
        QFETCH(QString, kind);
        Game g;
        const QByteArray path = QFile::encodeName(g.dir.filePath(kRecoveryFileName)), good = Encoded(Untitled());
        g.Write("target", good);
        QVERIFY(kind == "fifo" ? mkfifo(path, 0644) == 0 : kind == "directory" ? mkdir(path, 0755) == 0
                                                                             : symlink("target", path) == 0);
        QVERIFY(ReadRecovery(g.m.AppFolder).status == RecoveryFile::Status::Bad);
        QVERIFY(!WriteRecovery(g.m.AppFolder, Playing(1, 5, true)));
        QCOMPARE(g.Read("target"), good);
    }

    // Another copy's lock, held by a child process: alive (its lock also an hour old), or killed.
    void lock_data() {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("owned");
        QTest::newRow("no other copy") << "none" << true;
        QTest::newRow("a live copy") << "live" << false;
        QTest::newRow("a live copy holding it an hour") << "old" << false;
        QTest::newRow("a copy that was killed") << "killed" << true;
    }
    void lock() {
        QFETCH(QString, holder);
        Game g;
        const std::string folder = g.m.AppFolder;
        int ready[2];
        char locked = 'y';
        QVERIFY(pipe(ready) == 0);
        const pid_t child = holder == "none" ? -1 : fork();
        if (child == 0) {
            RecoveryLock copy(folder);
            locked = copy.tryLock() ? 'y' : 'n';
            if (write(ready[1], &locked, 1) == 1)
                pause(); // until killed
            _exit(1);
        }
        const auto end = [&] { return child < 0 || (!kill(child, SIGKILL) && waitpid(child, nullptr, 0) == child); };
        QVERIFY(child < 0 || (read(ready[0], &locked, 1) == 1 && locked == 'y'));
        const utimbuf hourAgo{time(nullptr) - 3600, time(nullptr) - 3600};
        QVERIFY(holder != "old" || utime((folder + kRecoveryFileName + ".lock").c_str(), &hourAgo) == 0);
        QVERIFY(holder != "killed" || end());
        RecoveryLock mine(folder);
        const bool owned = mine.tryLock(), again = mine.tryLock(), other = RecoveryLock(folder).tryLock();
        QVERIFY(holder == "killed" || end());
        close(ready[0]);
        close(ready[1]);
        QTEST(owned, "owned");
        QCOMPARE(again, owned); // asking again changes nothing
        QVERIFY(!other);        // and no other object takes it while one holds it
    }
};

QTEST_GUILESS_MAIN(TestRecovery)
#include "test_recovery.moc"
