#include "fakeplatform.h"

#include <csignal>
#include <sys/resource.h>

// Names S1..S8, then count fields valued i % 100 but cell 7 at7, a line end after every lineEvery-th and the last.
QByteArray Doc(int count, const QByteArray& at7 = "7", int lineEvery = 1000) {
    QByteArray out = "S1\r\nS2\r\nS3\r\nS4\r\nS5\r\nS6\r\nS7\r\nS8\r\n";
    for (int i = 0; i < count; ++i)
        out += (i == 7 ? at7 : QByteArray::number(i % 100)) + ((i + 1) % lineEvery && i < count - 1 ? "," : "\r\n");
    return out;
}
// A document, its sheet 4 named and sheet 1 filled, or the settings saved over an old file.
struct Save {
    QString file = "無題";    // untitled: the document 無題 in the program's folder
    QString name = "Sheet 4"; // of sheet 4
    QString cells = {};       // of sheet 1
    QByteArray bytes = {};    // the file written; null: the save fails
    QString how = {};         // the write made to fail
};
// A saved document: names Sheet 1 to Sheet 8 but sheet 4's as stored, then the cells, fields first.
QByteArray Saved(const QByteArray& name4, const QByteArray& fields = {}) {
    return "Sheet 1\r\nSheet 2\r\nSheet 3\r\n" + name4 + "\r\nSheet 5\r\nSheet 6\r\nSheet 7\r\nSheet 8\r\n" + fields +
           QByteArray(199 - int(fields.count(',')), ',') + "\r\n";
}
Q_DECLARE_METATYPE(Save)

class TestStorage : public QObject {
    Q_OBJECT
private slots:
    void loadDocument_data() {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<QString>("probe");    // names 1 and 8, cells 0, 7, 123, 199; empty: refused
        const QString usual = "S1 S8 0 7 23 99";
        QTest::newRow("200 fields on one line") << Doc(200) << usual;
        QTest::newRow("one field per line lands in order") << Doc(200, "7", 1) << usual;
        QTest::newRow("bare LF line ends") << Doc(200, "7", 10).replace("\r\n", "\n") << usual;
        QTest::newRow("lone CR line ends") << Doc(200, "7", 10).replace("\r\n", "\r") << usual;
        QTest::newRow("surplus fields and lines ignored") << Doc(205) + "more\r\n" << usual;
        QTest::newRow("199 fields refused") << Doc(199) << "";
        QTest::newRow("missing file refused") << QByteArray() << "";
        QTest::newRow("blanks before a field skipped, text kept as read") << Doc(200, "  05") << "S1 S8 0 05 23 99";
        // The number notation: digits with an optional sign and fraction, blanks around allowed.
        for (const char* good : {"0", "99", "5.5", "@", "", "+5", "-0", ".5", "5.", "5 "})
            QTest::newRow(qPrintable(QString("field '%1' passes").arg(good)))
                << Doc(200, good) << QString("S1 S8 0 %1 23 99").arg(good);
        for (auto bad : {"100", "-1", "99.5", "abc", "nan", "inf", "0x1A", "\x1A", "1e3", "5a", ". ", "+", "5 5"})
            QTest::newRow(qPrintable(QString("field '%1' refused").arg(bad))) << Doc(200, bad) << "";
        QTest::newRow("invalid CP932 bytes refused") << "\x81\x20" + Doc(200) << "";
        QTest::newRow("half-width katakana name decoded") << "\xBC\xB0\xC4" + Doc(200) << "ｼｰﾄS1 S8 0 7 23 99";
    }
    void loadDocument() {
        QFETCH(QByteArray, bytes);
        Game g;
        if (!bytes.isNull()) g.Write("d.bng", bytes);
        SetSheet(g.m, 0, "1 2 3");
        g.m.DocName = "d.bng";
        g.m.DocChanged = -1;
        const QString before = Snapshot(g.m);
        QStringList probe;
        if (LoadDocument(g.m))
            for (const std::string* s : {&g.m.BSheet[0], &g.m.BSheet[7], &g.m.BBox[0].Caption, &g.m.BBox[7].Caption,
                                         &g.m.BBox[123].Caption, &g.m.BBox[199].Caption})
                probe << Q(*s);
        QTEST(probe.join(' '), "probe");
        QCOMPARE(int(g.m.DocChanged), probe.isEmpty() ? -1 : 0);
        if (!probe.isEmpty()) return; // otherwise the file was refused: reported, and nothing changed
        QCOMPARE(g.platform.asked, QStringList{"ﾌｧｲﾙ d.bng は使用不可能な形式または他の形式で保存されています。 | ﾌｧｲﾙを開く | 16"});
        QCOMPARE(Snapshot(g.m), before);
    }

    // Root writes through read-only folders, so writes are made to fail in ways it cannot override.
    void save_data() {
        QTest::addColumn<Save>("c");
        const auto row = [](const QString& name, const Save& c) { QTest::newRow(qPrintable(name)) << c; };
        row("new document: Sheet n names, 199 commas", {.bytes = Saved("Sheet 4")});
        row("cells stored as they stand", {.cells = "1 @ 05 99", .bytes = Saved("Sheet 4", "1,@,05,99")});
        row("half-width katakana in CP932", {.name = "ｼｰﾄ", .bytes = Saved("\xBC\xB0\xC4")});
        row("kanji in CP932", {.name = "漢字", .bytes = Saved("\x8A\xBF\x8E\x9A")});
        row("commas and blanks in a name survive", {.name = " a, b,,c ", .bytes = Saved(" a, b,,c ")});
        row("empty name survives", {.name = "", .bytes = Saved("")});
        row("settings in six lines", {.file = kSettingsFileName, .bytes = SettingsFile(1, 10, 60)});
        row("emoji has no CP932 form", {.name = "a😀"});
        // Fault mended: these encode, but read back as "\", "～" and "~".
        for (const QString oneWay : {"¥500", "〜", "‾"})
            row(oneWay + " would not read back", {.name = oneWay});
        row("their twins ￥ and ～ are stored", {.name = "￥500～", .bytes = Saved("\x81\x8F" "500\x81\x60")});
        row("CR LF would split the name", {.name = "a\r\nb"});
        row("bare LF would split the name", {.name = "a\nb"});
        row("lone CR would split the name", {.name = "a\rb"});
        // Fault mended: a short write of the buffer let the truncated file replace the old one.
        for (const QString file : {"無題", kSettingsFileName})
            for (const QString how : {"folder missing", "directory at the target", "file size limit mid-write"})
                row(file + ": " + how, {.file = file, .how = how});
    }
    void save() {
        QFETCH(Save, c);
        const bool document = c.file != kSettingsFileName;
        Game g(Setting(1, 10, 60));
        g.m.BSheet[3] = c.name.toStdString();
        SetSheet(g.m, 0, c.cells.toStdString());
        g.m.DocChanged = -1;
        if (c.how.startsWith("folder")) g.m.DocDir = g.m.AppFolder = g.dir.filePath("missing/").toStdString();
        if (c.how.startsWith("directory"))
            QVERIFY(QDir(g.dir.path()).mkdir(c.file));
        else
            g.Write(c.file, "old");
        rlimit usual{};
        getrlimit(RLIMIT_FSIZE, &usual);
        const rlimit small{c.how.startsWith("file") ? 16 : usual.rlim_cur, usual.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const QString before = Snapshot(g.m);
        const bool saved = !c.bytes.isNull();
        setrlimit(RLIMIT_FSIZE, &small); // lifted before any check, or a failure could not be logged
        const bool result = document ? SaveDocument(g.m) : SaveSettings(g.m);
        const QString after = Snapshot(g.m);
        if (!saved && !document) // unreadable or bad: the defaults in memory, their write fails silently
            LoadSettings(g.m);
        setrlimit(RLIMIT_FSIZE, &usual);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(result, saved);
        if (!saved)
            QCOMPARE(after, before);
        QCOMPARE(QDir(g.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{c.file});
        QCOMPARE(g.Read(c.file), saved ? c.bytes : QByteArray(c.how.startsWith("directory") ? "<unreadable>" : "old"));
        if (!saved) // a failed document save is reported; the settings stay silent
            QVERIFY(document ? g.platform.asked.size() == 1 && g.platform.asked[0].endsWith(" | 16")
                             : g.platform.asked.isEmpty() && g.m.SysSetting == Setting(0, 0, 99));
        if (!saved || !document)
            return;
        const QString written = Snapshot(g.m);
        for (int s = 0; s < kSheets; ++s)
            g.m.ClearSheet(s);
        g.m.DocChanged = -1;
        QVERIFY(LoadDocument(g.m)); // empty cells are the program's own output and open again
        QCOMPARE(Snapshot(g.m), written); // DocChanged cleared again
    }

    void loadSettings_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<QString>("taken");      // run mode, lowest, highest; empty: the defaults, written back
        QTest::newRow("missing file gives the defaults, written") << QByteArray() << "";
        QTest::newRow("one-line form") << QByteArray("<RunMode>,1,<MinNumber>,10,<MaxNumber>,60\r\n") << "1 10 60";
        QTest::newRow("keys never compared")
            << QByteArray("<MaxNumber>\r\n1\r\nfoo\r\n 5 \r\n<Run>\r\n30\r\n") << "1 5 30";
        QTest::newRow("0..24, LF line ends, surplus ignored") << QByteArray("a\n0\nb\n0\nc\n24\nd\n") << "0 0 24";
        QTest::newRow("50..60 accepted though narrower than a sheet") << SettingsFile("0", "50", "60") << "0 50 60";
        QTest::newRow("0.5 rounds to 0 and 2.5 to 2") << SettingsFile("0.5", "2.5", "99") << "0 2 99";
        QTest::newRow("1.5 rounds to 2, no run mode") << SettingsFile("1.5", "0", "99") << "";
        QTest::newRow("MinNumber 76") << SettingsFile("1", "76", "99") << "";
        QTest::newRow("MaxNumber 23") << SettingsFile("1", "0", "23") << "";
        QTest::newRow("MaxNumber 100") << SettingsFile("1", "0", "100") << "";
        QTest::newRow("MinNumber above MaxNumber") << SettingsFile("1", "60", "50") << "";
        QTest::newRow("five fields") << SettingsFile("1", "10", "60").chopped(4) << "";
        QTest::newRow("value not a number") << SettingsFile("1", "abc", "60") << "";
        QTest::newRow("value beyond 16 bits, not wrapped to 60") << SettingsFile("1", "10", "65596") << "";
    }
    void loadSettings() {
        QFETCH(QByteArray, content);
        QFETCH(QString, taken);
        Game g(Setting(1, 3, 77));
        if (!content.isNull()) g.Write(kSettingsFileName, content);
        LoadSettings(g.m);
        const SettingRecord& s = g.m.SysSetting;
        QCOMPARE(QString("%1 %2 %3").arg(s.RunMode).arg(s.MinNumber).arg(s.MaxNumber),
                 taken.isEmpty() ? "0 0 99" : taken);
        QCOMPARE(g.Read(kSettingsFileName), taken.isEmpty() ? SettingsFile(0, 0, 99) : content);
        QVERIFY(g.platform.asked.empty());
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "test_storage.moc"
