// Reads and writes at the edges of the file system. Faults mended: a FIFO hung the window, /dev/zero and
// 1 GB files were read whole, writes followed links and replaced FIFOs and devices, took files from their
// owners, parted hard links, failed on long names and in read-only folders, and a non-UTF-8 folder became "/".
#include "fakeplatform.h"

#include <filesystem>
#include <fstream>
#include <grp.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QByteArray kGood = "S1\r\nS2\r\nS3\r\nS4\r\nS5\r\nS6\r\nS7\r\nS8\r\n" + QByteArray("5,").repeated(199) + "5\r\n";

qint64 BytesRead() { // by read calls so far, whatever the file
    QFile io("/proc/self/io");
    return io.open(QIODevice::ReadOnly) ? io.readLine().mid(7).trimmed().toLongLong() : -1;
}
// Makes at path what stands there in a row: "file" holding bytes, "sparse" (bytes, then zeros to 64 MiB),
// "fifo", "directory", "device", "link" to outside/target holding bytes, "dangling link" to it, "hard
// link" (bytes with a second name outside/target), "other owner" (bytes, nobody's, mode 0600).
bool Place(const QByteArray& path, const QString& kind, const QByteArray& bytes, const QByteArray& outside) {
    const QByteArray target = outside + "/target";
    if (kind == "fifo") return mkfifo(path, 0644) == 0;
    if (kind == "directory") return mkdir(path, 0755) == 0;
    if (kind == "device") return mknod(path, S_IFCHR | 0644, makedev(1, 3)) == 0;
    if (kind == "absent" || kind == "dangling link") return kind == "absent" || symlink(target, path) == 0;
    QFile f(kind.endsWith("link") ? target : path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && (kind != "sparse" || f.resize(64 << 20)) &&
           (kind != "link" || symlink(target, path) == 0) && (kind != "hard link" || link(target, path) == 0) &&
           (kind != "other owner" || (chown(path, 65534, 65534) == 0 && chmod(path, 0600) == 0));
}
QByteArray Content(const QByteArray& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}
} // namespace

class TestFileEdges : public QObject {
    Q_OBJECT
private slots:
    void init() { alarm(60); } // a read that blocks fails the test instead of hanging it
    void cleanup() { alarm(0); }

    void refusedReads_data() {
        QTest::addColumn<QString>("file"); // a document, the settings file, or a path of its own
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("taken");
        const QString doc = "d.bng", ini = kSettingsFileName;
        const qsizetype at = kGood.indexOf("5,");
        const auto blanks = [&](int n) { return kGood.left(at) + QByteArray(n, ' ') + kGood.mid(at); };
        const auto name = [&](int n) { return QByteArray(n, 'x') + kGood.mid(2); };
        const auto field = [](int n) { return SettingsFile(" 1", QByteArray(n, ' ') + "5", "50"); };
        const QByteArray names = (QByteArray("\x8A\xBF").repeated(2048) + "\r\n").repeated(8), cells = kGood.mid(at);
        QTest::newRow("document: a FIFO, at once") << doc << "fifo" << QByteArray() << false;
        QTest::newRow("document: /dev/zero") << "/dev/zero" << "device" << QByteArray() << false;
        QTest::newRow("document: a directory") << doc << "directory" << QByteArray() << false;
        QTest::newRow("document: 64 MiB of zeros") << doc << "sparse" << QByteArray() << false;
        QTest::newRow("document: 64 MiB after the 200th field, unread") << doc << "sparse" << kGood << true;
        QTest::newRow("document: a name of 4097 bytes") << doc << "file" << name(4097) << false;
        QTest::newRow("document: a name of 4096 bytes") << doc << "file" << name(4096) << true;
        QTest::newRow("document: a field of 1025 bytes") << doc << "file" << blanks(1024) << false;
        QTest::newRow("document: a field of 1024 bytes") << doc << "file" << blanks(1023) << true;
        QTest::newRow("document: kanji names at the bound") << doc << "file" << names + cells << true;
        // Line 4 then holds a kanji across the reader's 16 KiB chunks.
        QTest::newRow("document: a kanji split by the read") << doc << "file" << "a" + names.mid(2) + cells << true;
        QTest::newRow("settings: a FIFO") << ini << "fifo" << QByteArray() << false;
        QTest::newRow("settings: 64 MiB of zeros") << ini << "sparse" << QByteArray() << false;
        QTest::newRow("settings: a field of 1025 bytes") << ini << "file" << field(1024) << false;
        QTest::newRow("settings: a field of 1024 bytes") << ini << "file" << field(1023) << true;
    }
    void refusedReads() {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        Game g(Setting(1, 3, 77));
        const QByteArray path = QFile::encodeName(file.startsWith('/') ? file : g.dir.filePath(file));
        QVERIFY(file.startsWith('/') || Place(path, kind, bytes, {}));
        const qint64 before = BytesRead();
        std::tie(g.m.DocDir, g.m.DocName) = SplitPath(path.toStdString());
        const bool settings = file == kSettingsFileName;
        if (settings)
            LoadSettings(g.m);
        const bool taken = settings ? g.m.SysSetting == Setting(1, 5, 50) : LoadDocument(g.m);
        QVERIFY(taken || !settings || g.m.SysSetting == Setting(0, 0, 99));
        QVERIFY2(BytesRead() - before < 300 << 10, "read on beyond what a file can hold");
        QTEST(taken, "taken");
    }

    void writesNeverTouch_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind"); // what stands at the name, as Place makes it
        QTest::addColumn<bool>("saved");
        const QString ini = kSettingsFileName, doc = "d.bng";
        QTest::newRow("settings: a link's target is left alone") << ini << "link" << false;
        QTest::newRow("settings: a dangling link's target is not made") << ini << "dangling link" << false;
        QTest::newRow("settings: a FIFO is left alone") << ini << "fifo" << false;
        QTest::newRow("settings: a device is left alone") << ini << "device" << false;
        QTest::newRow("settings: a bad file is replaced") << ini << "file" << true;
        QTest::newRow("document: a FIFO as the target") << doc << "fifo" << false;
        QTest::newRow("document: a device as the target") << doc << "device" << false;
        QTest::newRow("document: a dangling link") << doc << "dangling link" << false;
        QTest::newRow("document: written through a link") << doc << "link" << true;
        QTest::newRow("document: a 249-byte name") << QString("あ").repeated(83) << "absent" << true;
        QTest::newRow("document: a 255-byte name over its file") << QString(251, 'a') + ".bng" << "file" << true;
        QTest::newRow("document: hard links stay one file") << doc << "hard link" << true;
        QTest::newRow("document: another user's file stays theirs") << doc << "other owner" << true;
    }
    void writesNeverTouch() {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QFETCH(bool, saved);
        if ((kind == "device" || kind == "other owner") && getuid() != 0)
            QSKIP("needs root");
        Game g;
        QTemporaryDir outside;
        const QByteArray path = QFile::encodeName(g.dir.filePath(file)), there = QFile::encodeName(outside.path());
        QVERIFY(Place(path, kind, "old", there));
        struct stat before {}, after {};
        lstat(path, &before);
        g.m.BSheet[3] = "新しい名前";
        std::tie(g.m.DocDir, g.m.DocName) = SplitPath(path.toStdString());
        const bool settings = file == kSettingsFileName;
        if (settings)
            LoadSettings(g.m);
        QCOMPARE(g.m.SysSetting, Setting(0, 0, 99));
        QCOMPARE(settings ? SaveSettings(g.m) : SaveDocument(g.m), saved);
        QCOMPARE(g.platform.asked.size(), qsizetype(saved || settings ? 0 : 1)); // settings stay silent
        const QByteArray written =
            settings ? SettingsFile(0, 0, 99) : QByteArray::fromStdString(EncodeDocument(g.m).bytes);
        // The same kind of thing, and a file with its owner, group, mode and names.
        QVERIFY(lstat(path, &after) == 0);
        QVERIFY(kind == "absent" ? S_ISREG(after.st_mode)
                                 : after.st_mode == before.st_mode && after.st_uid == before.st_uid &&
                                       after.st_gid == before.st_gid && after.st_nlink == before.st_nlink);
        if (kind.endsWith("link")) // the file the link leads to, or its second name
            QCOMPARE(Content(there + "/target"),
                     saved ? written : QByteArray(kind == "dangling link" ? "<none>" : "old"));
        if (saved)
            QCOMPARE(Content(path), written);
        QCOMPARE(QDir(g.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{file}); // no temporary file left behind
    }

    // Root is never refused a temporary file, so as root the writer runs as nobody in a child process.
    void readOnlyFolder_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("document: written in place") << "d.bng";
        QTest::newRow("settings: never in place") << QString(kSettingsFileName);
    }
    void readOnlyFolder() {
        QFETCH(QString, file);
        Game g;
        g.Write(file, "old");
        g.m.DocName = file.toStdString();
        const QByteArray path = QFile::encodeName(g.dir.filePath(file)), dir = QFile::encodeName(g.dir.path());
        const bool root = getuid() == 0, document = file == "d.bng";
        QVERIFY(root ? chown(path, 65534, 65534) == 0 && chmod(dir, 0755) == 0 : chmod(dir, 0555) == 0);
        const auto save = [&] { return document ? SaveDocument(g.m) : SaveSettings(g.m); };
        int status = root ? 0 : save() ? 0 : 1;
        if (root) {
            const pid_t child = fork();
            if (child == 0)
                _exit(setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0 && save() ? 0 : 1);
            QVERIFY(child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status));
        }
        chmod(dir, 0700);
        QCOMPARE(status == 0, document);
        QCOMPARE(g.Read(file), document ? QByteArray::fromStdString(EncodeDocument(g.m).bytes) : "old");
    }

    // Run alone: this program's folder; run by folderNotUtf8 from a copy in a folder whose name is not UTF-8.
    void appFolder() {
        const QByteArray expected = qgetenv("NUMBALO_EXPECTED_FOLDER");
        QCOMPARE(QByteArray::fromStdString(GetAppFolder()),
                 expected.isEmpty() ? QFile::encodeName(QCoreApplication::applicationDirPath() + "/") : expected);
    }
    void folderNotUtf8() {
        QTemporaryDir parent;
        std::string folder = QFile::encodeName(parent.path()).toStdString() + "/\xff\xfe/";
        std::string program = folder + "test_fileedges";
        QVERIFY(mkdir(folder.c_str(), 0755) == 0);
        std::filesystem::copy_file(QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(), program);
        char function[] = "appFolder";
        char* argv[] = {program.data(), function, nullptr};
        pid_t child = 0;
        int status = 0;
        setenv("NUMBALO_EXPECTED_FOLDER", folder.c_str(), 1);
        QVERIFY(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) == 0);
        unsetenv("NUMBALO_EXPECTED_FOLDER");
        QVERIFY(waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);
        Game g; // the program's own files there, found by the folder's bytes
        g.m.AppFolder = g.m.DocDir = folder;
        g.m.DocName = "d.bng";
        QVERIFY(std::ofstream(folder + kSettingsFileName, std::ios::binary) << SettingsFile(1, 5, 50).toStdString());
        LoadSettings(g.m);
        QCOMPARE(g.m.SysSetting, Setting(1, 5, 50));
        QVERIFY(SaveDocument(g.m) && LoadDocument(g.m) && g.platform.asked.isEmpty());
        std::filesystem::remove_all(folder); // QTemporaryDir cannot name it
    }
};

QTEST_GUILESS_MAIN(TestFileEdges)
#include "test_fileedges.moc"
