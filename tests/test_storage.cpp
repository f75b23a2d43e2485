// The sheet document and the settings file, read and written, also at the edges of the file system. Faults
// mended: a FIFO hung the window, /dev/zero and 1 GB files were read whole, a short write replaced the old file,
// writes followed links and replaced FIFOs and devices, took files from their owners, parted hard links, failed
// on long names and in read-only folders, and a non-UTF-8 folder became "/".
#include "fakeplatform.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Names S1..S8, then count fields valued i % 100 but cell 7 at7, a line end after every lineEvery-th and the last.
QByteArray Doc(int count, const QByteArray& at7 = "7", int lineEvery = 1000) {
    QByteArray out = "S1\r\nS2\r\nS3\r\nS4\r\nS5\r\nS6\r\nS7\r\nS8\r\n";
    for (int i = 0; i < count; ++i)
        out += (i == 7 ? at7 : QByteArray::number(i % 100)) + ((i + 1) % lineEvery && i < count - 1 ? "," : "\r\n");
    return out;
}
// A saved document: names Sheet 1 to Sheet 8 but sheet 4's as stored, then the cells, fields first.
QByteArray Saved(const QByteArray& name4, const QByteArray& fields = {}) {
    return "Sheet 1\r\nSheet 2\r\nSheet 3\r\n" + name4 + "\r\nSheet 5\r\nSheet 6\r\nSheet 7\r\nSheet 8\r\n" + fields +
           QByteArray(199 - int(fields.count(',')), ',') + "\r\n";
}
qint64 BytesRead() { // by read calls so far, whatever the file
    QFile io("/proc/self/io");
    return io.open(QIODevice::ReadOnly) ? io.readLine().mid(7).trimmed().toLongLong() : -1;
}
// Makes at path what stands there in a row: "fifo", "directory", "device", "absent", "sparse" (bytes, then zeros
// to 64 MiB), "link" to outside/target holding bytes, "dangling link" to it, "hard link" (bytes with a second name
// outside/target), "other owner" (bytes, nobody's, mode 0600); anything else a file holding bytes.
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
struct Save {
    QString file = "d.bng";
    QString name = "Sheet 4"; // of sheet 4
    QString cells = {};       // of sheet 1
    QByteArray bytes = {};    // the file written; null: the save fails
    QString kind = "file";    // what stands at the name, holding "old"; or the write made to fail
};
} // namespace
Q_DECLARE_METATYPE(Save)

class TestStorage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        std::signal(SIGXFSZ, SIG_IGN); // a write over the size limit fails, not the test
        alarm(120);                    // a read that blocks fails the suite instead of hanging it
    }

    void load_data() {
        QTest::addColumn<QString>("file"); // d.bng, the settings file, or a path of its own
        QTest::addColumn<QString>("kind"); // as Place makes it
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("taken"); // names 1 and 8, cells 0, 7, 123, 199 ("": refused), or the settings
        const auto row = [](const QString& name, const QString& file, const QByteArray& bytes, const QString& taken,
                            const QString& kind = "file") {
            QTest::newRow(qPrintable(name)) << file << kind << bytes << taken;
        };
        const QString doc = "d.bng", ini = kSettingsFileName, usual = "S1 S8 0 7 23 99";
        const QString kanji = QString("漢").repeated(2048);
        const QByteArray names = (QByteArray("\x8A\xBF").repeated(2048) + "\r\n").repeated(8), cells = Doc(200).mid(32);
        row("200 fields on one line", doc, Doc(200), usual);
        row("one field per line lands in order", doc, Doc(200, "7", 1), usual);
        row("bare LF line ends", doc, Doc(200, "7", 10).replace("\r\n", "\n"), usual);
        row("lone CR line ends", doc, Doc(200, "7", 10).replace("\r\n", "\r"), usual);
        row("surplus fields and lines ignored", doc, Doc(205) + "more\r\n", usual);
        row("199 fields refused", doc, Doc(199), "");
        row("missing file refused", doc, {}, "", "absent");
        row("blanks before a field skipped, text kept as read", doc, Doc(200, "  05"), "S1 S8 0 05 23 99");
        for (const char* good : {"0", "99", "5.5", "@", "", "+5", "-0", ".5", "5.", "5 "})
            row(QString("field '%1' passes").arg(good), doc, Doc(200, good), QString("S1 S8 0 %1 23 99").arg(good));
        for (auto bad : {"100", "-1", "99.5", "abc", "nan", "inf", "0x1A", "\x1A", "1e3", "5a", ". ", "+", "5 5"})
            row(QString("field '%1' refused").arg(bad), doc, Doc(200, bad), "");
        row("invalid CP932 bytes refused", doc, "\x81\x20" + Doc(200), "");
        row("half-width katakana name decoded", doc, "\xBC\xB0\xC4" + Doc(200), "ｼｰﾄS1 S8 0 7 23 99");
        row("a FIFO, at once", doc, {}, "", "fifo");
        row("/dev/zero", "/dev/zero", {}, "");
        row("a directory", doc, {}, "", "directory");
        row("64 MiB of zeros", doc, {}, "", "sparse");
        row("64 MiB after the 200th field, unread", doc, Doc(200), usual, "sparse");
        row("a name of 4097 bytes", doc, QByteArray(4097, 'x') + Doc(200).mid(2), "");
        row("a name of 4096 bytes", doc, QByteArray(4096, 'x') + Doc(200).mid(2), QString(4096, 'x') + " S8 0 7 23 99");
        row("a field of 1025 bytes", doc, Doc(200, QByteArray(1024, ' ') + "7"), "");
        row("a field of 1024 bytes", doc, Doc(200, QByteArray(1023, ' ') + "7"), usual);
        row("kanji names at the bound", doc, names + cells, kanji + " " + kanji + " 0 7 23 99");
        // Line 4 then holds a kanji across the reader's 16 KiB chunks.
        row("a kanji split by the read", doc, "a" + names.mid(2) + cells,
            "a" + kanji.mid(1) + " " + kanji + " 0 7 23 99");
        row("settings: missing file gives the defaults, written", ini, {}, "0 0 99", "absent");
        row("settings: one-line form", ini, "<RunMode>,1,<MinNumber>,10,<MaxNumber>,60\r\n", "1 10 60");
        row("settings: keys never compared", ini, "<MaxNumber>\r\n1\r\nfoo\r\n 5 \r\n<Run>\r\n30\r\n", "1 5 30");
        row("settings: 0..24, LF line ends, surplus ignored", ini, "a\n0\nb\n0\nc\n24\nd\n", "0 0 24");
        row("settings: 50..60 though narrower than a sheet", ini, SettingsFile("0", "50", "60"), "0 50 60");
        row("settings: 0.5 rounds to 0 and 2.5 to 2", ini, SettingsFile("0.5", "2.5", "99"), "0 2 99");
        row("settings: beyond 16 bits, not wrapped to 60", ini, SettingsFile("1", "10", "65596"), "0 0 99");
        row("settings: a FIFO", ini, {}, "0 0 99", "fifo");
        row("settings: a field of 1025 bytes", ini, SettingsFile(" 1", QByteArray(1024, ' ') + "5", "50"), "0 0 99");
    }
    void load() {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        Game g(Setting(1, 3, 77));
        const QByteArray path = QFile::encodeName(file.startsWith('/') ? file : g.dir.filePath(file));
        QVERIFY(file.startsWith('/') || Place(path, kind, bytes, {}));
        std::tie(g.m.DocDir, g.m.DocName) = SplitPath(path.toStdString());
        SetSheet(g.m, 0, "1 2 3");
        g.m.DocChanged = -1;
        const QString before = Snapshot(g.m);
        const qint64 read = BytesRead();
        QStringList seen;
        const SettingRecord& s = g.m.SysSetting;
        const bool settings = file == kSettingsFileName;
        if (settings)
            LoadSettings(g.m), seen << QString("%1 %2 %3").arg(s.RunMode).arg(s.MinNumber).arg(s.MaxNumber);
        else if (LoadDocument(g.m))
            for (const std::string* t : {&g.m.BSheet[0], &g.m.BSheet[7], &g.m.BBox[0].Caption, &g.m.BBox[7].Caption,
                                         &g.m.BBox[123].Caption, &g.m.BBox[199].Caption})
                seen << Q(*t);
        QVERIFY2(BytesRead() - read < 300 << 10, "read on beyond what a file can hold");
        QTEST(seen.join(' '), "taken");
        if (settings) { // refused or missing: the defaults, written unless something else stands there
            QVERIFY(g.platform.asked.empty());
            QVERIFY(kind == "fifo" || g.Read(file) == (seen[0] == "0 0 99" ? SettingsFile(0, 0, 99) : bytes));
            return;
        }
        QCOMPARE(int(g.m.DocChanged), seen.isEmpty() ? -1 : 0);
        if (!seen.isEmpty()) return; // otherwise the file was refused: reported, and nothing changed
        QCOMPARE(g.platform.asked, QStringList{"ﾌｧｲﾙ " + Q(g.m.DocName) +
                                               " は使用不可能な形式または他の形式で保存されています。 | ﾌｧｲﾙを開く | 16"});
        QCOMPARE(Snapshot(g.m), before);
    }

    // Root writes through read-only folders, so writes are made to fail in ways it cannot override.
    void save_data() {
        QTest::addColumn<Save>("c");
        const auto row = [](const QString& name, const Save& c) { QTest::newRow(qPrintable(name)) << c; };
        const QString ini = kSettingsFileName;
        const QByteArray plain = Saved("Sheet 4");
        row("cells as they stand, Sheet n names", {.cells = "1 @ 05 99", .bytes = Saved("Sheet 4", "1,@,05,99")});
        row("kanji, half-width katakana, ￥ and ～", {.name = "漢ｼ￥～", .bytes = Saved("\x8A\xBF\xBC\x81\x8F\x81\x60")});
        row("settings in six lines", {.file = ini, .bytes = SettingsFile(1, 10, 60)});
        row("emoji has no CP932 form", {.name = "a😀"});
        // Fault mended: these encode, but read back as "\", "～" and "~".
        for (const QString oneWay : {"¥500", "〜", "‾"})
            row(oneWay + " would not read back", {.name = oneWay});
        row("a line end would split the name", {.name = "a\rb"});
        // Fault mended: a short write of the buffer let the truncated file replace the old one.
        for (const QString file : {"d.bng", kSettingsFileName})
            for (const QString how : {"folder missing", "directory", "file size limit"})
                row(file + ": " + how, {.file = file, .kind = how});
        for (const QString kind : {"link", "dangling link", "fifo", "device"})
            row("settings: a " + kind + " is left alone", {.file = ini, .kind = kind});
        for (const QString kind : {"dangling link", "fifo", "device"})
            row("document: a " + kind + " as the target", {.kind = kind});
        row("document: written through a link", {.bytes = plain, .kind = "link"});
        row("document: a 249-byte name", {.file = QString("あ").repeated(83), .bytes = plain, .kind = "absent"});
        row("document: a 255-byte name over its file", {.file = QString(251, 'a') + ".bng", .bytes = plain});
        row("document: hard links stay one file", {.bytes = plain, .kind = "hard link"});
        row("document: another user's file stays theirs", {.bytes = plain, .kind = "other owner"});
    }
    void save() {
        QFETCH(Save, c);
        if ((c.kind == "device" || c.kind == "other owner") && getuid() != 0)
            QSKIP("needs root");
        const bool document = c.file != kSettingsFileName, saved = !c.bytes.isNull();
        Game g(Setting(1, 10, 60));
        QTemporaryDir outside;
        const QByteArray path = QFile::encodeName(g.dir.filePath(c.file));
        QVERIFY(Place(path, c.kind, "old", QFile::encodeName(outside.path())));
        g.m.BSheet[3] = c.name.toStdString();
        SetSheet(g.m, 0, c.cells.toStdString());
        g.m.DocName = c.file.toStdString();
        g.m.DocChanged = -1;
        if (c.kind == "folder missing") g.m.DocDir = g.m.AppFolder = g.dir.filePath("missing/").toStdString();
        struct stat was {}, is {};
        lstat(path, &was);
        rlimit usual{};
        getrlimit(RLIMIT_FSIZE, &usual);
        const rlimit small{c.kind == "file size limit" ? 16 : usual.rlim_cur, usual.rlim_max};
        const QString before = Snapshot(g.m);
        setrlimit(RLIMIT_FSIZE, &small); // lifted before any check, or a failure could not be logged
        const bool result = document ? SaveDocument(g.m) : SaveSettings(g.m);
        const QString after = Snapshot(g.m);
        if (!saved && !document) // unreadable or bad: the defaults in memory, their write fails silently
            LoadSettings(g.m);
        setrlimit(RLIMIT_FSIZE, &usual);
        QCOMPARE(result, saved);
        if (!saved)
            QCOMPARE(after, before);
        QVERIFY(saved || !document ? g.platform.asked.isEmpty()
                                   : g.platform.asked.size() == 1 && g.platform.asked[0].endsWith(" | 16"));
        QVERIFY(saved || document || g.m.SysSetting == Setting(0, 0, 99));
        // The same kind of thing at the name, a file with its owner, group, mode and names, nothing beside it.
        QVERIFY(lstat(path, &is) == 0);
        QVERIFY(c.kind == "absent" ? S_ISREG(is.st_mode)
                                   : is.st_mode == was.st_mode && is.st_uid == was.st_uid &&
                                         is.st_gid == was.st_gid && is.st_nlink == was.st_nlink);
        QCOMPARE(QDir(g.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{c.file});
        QFile target(outside.filePath("target")); // the file a link leads to, or a hard link's second name
        if (c.kind.endsWith("link"))
            QCOMPARE(target.open(QIODevice::ReadOnly) ? target.readAll() : QByteArray("<none>"),
                     saved ? c.bytes : QByteArray(c.kind == "link" ? "old" : "<none>"));
        if (!QStringList{"directory", "fifo", "device", "dangling link"}.contains(c.kind))
            QCOMPARE(g.Read(c.file), saved ? c.bytes : QByteArray("old"));
        if (!saved || !document)
            return;
        const QString written = Snapshot(g.m);
        for (int s = 0; s < kSheets; ++s)
            g.m.ClearSheet(s);
        g.m.DocChanged = -1;
        QVERIFY(LoadDocument(g.m)); // empty cells are the program's own output and open again
        QCOMPARE(Snapshot(g.m), written); // DocChanged cleared again
    }

    // Root is never refused a temporary file, so as root the writer runs as nobody in a child process.
    void readOnlyFolder() {
        for (const QString file : {"d.bng", kSettingsFileName}) { // a document is written in place, settings never
            Game g;
            g.Write(file, "old");
            g.m.DocName = file.toStdString();
            const QByteArray path = QFile::encodeName(g.dir.filePath(file)), dir = QFile::encodeName(g.dir.path());
            const bool root = getuid() == 0, document = file == "d.bng";
            QVERIFY(root ? chown(path, 65534, 65534) == 0 && chmod(dir, 0755) == 0 : chmod(dir, 0555) == 0);
            const auto save = [&] { return document ? SaveDocument(g.m) : SaveSettings(g.m); };
            int status = root ? 0 : save() ? 0 : 1;
            const pid_t child = root ? fork() : -1;
            if (child == 0)
                _exit(setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0 && save() ? 0 : 1);
            QVERIFY(!root || (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)));
            chmod(dir, 0700);
            QCOMPARE(status == 0, document);
            QCOMPARE(g.Read(file), document ? QByteArray::fromStdString(EncodeDocument(g.m).bytes) : "old");
        }
    }

    // Run alone: this program's folder; run by folderNotUtf8 from a copy in a folder whose name is not UTF-8.
    void appFolder() {
        const QByteArray expected = qgetenv("NUMBALO_EXPECTED_FOLDER");
        QCOMPARE(QByteArray::fromStdString(GetAppFolder()),
                 expected.isEmpty() ? QFile::encodeName(QCoreApplication::applicationDirPath() + "/") : expected);
    }
    void folderNotUtf8() {
        QTemporaryDir parent;
        std::string folder = QFile::encodeName(parent.path()).toStdString() + "/\xff\xfe/", program = folder + "copy";
        QVERIFY(mkdir(folder.c_str(), 0755) == 0);
        std::filesystem::copy_file(QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(), program);
        setenv("NUMBALO_EXPECTED_FOLDER", folder.c_str(), 1);
        const int status = std::system(("'" + program + "' appFolder").c_str());
        unsetenv("NUMBALO_EXPECTED_FOLDER");
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
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

QTEST_GUILESS_MAIN(TestStorage)
#include "test_storage.moc"
