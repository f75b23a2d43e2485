#include "fakeplatform.h"
#include "numbers.h"
#include "settingsfile.h"
#include "sheetdocument.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}
// Eight names S1..S8, then count cell fields valued i % 100 with cell 7 replaced by at7, a
// line end after every lineEvery-th field and after the last.
QByteArray Doc(int count, const QByteArray& at7 = "7", int lineEvery = 1000) {
    QByteArray out = "S1\r\nS2\r\nS3\r\nS4\r\nS5\r\nS6\r\nS7\r\nS8\r\n";
    for (int i = 0; i < count; ++i)
        out += (i == 7 ? at7 : QByteArray::number(i % 100)) + ((i + 1) % lineEvery && i < count - 1 ? "," : "\r\n");
    return out;
}
QByteArray Settings(const QByteArray& run, const QByteArray& lo, const QByteArray& hi) {
    return "<RunMode>\r\n" + run + "\r\n<MinNumber>\r\n" + lo + "\r\n<MaxNumber>\r\n" + hi + "\r\n";
}

struct SettingsCase {
    QByteArray content; // null: no file
    int run = 0, lo = 0, hi = 99;
    bool rewritten = true;
};

// A module with an untitled document in a fresh temporary program folder.
struct Store : Game {
    QTemporaryDir dir;
    std::string folder = dir.path().toStdString() + "/";
    Store() {
        m.AppFolder = folder;
        NewDocument(m);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
};
} // namespace
Q_DECLARE_METATYPE(SettingsCase)

class TestStorage : public QObject {
    Q_OBJECT
private slots:
    void loadDocument_data() {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<QString>("probe");    // names 1 and 8, cells 0, 7, 123, 199; empty: refused
        const QString usual = "S1 S8 0 7 23 99";
        QTest::newRow("200 fields on one line") << Doc(200) << usual;
        QTest::newRow("fields spread over several lines") << Doc(200, "7", 10) << usual;
        QTest::newRow("one field per line lands in order") << Doc(200, "7", 1) << usual;
        QTest::newRow("bare LF line ends") << Doc(200, "7", 10).replace("\r\n", "\n") << usual;
        QTest::newRow("lone CR line ends") << Doc(200, "7", 10).replace("\r\n", "\r") << usual;
        QTest::newRow("surplus fields and lines ignored") << Doc(205) + "more\r\n" << usual;
        QTest::newRow("199 fields refused") << Doc(199) << "";
        QTest::newRow("missing file refused") << QByteArray() << "";
        QTest::newRow("blanks before a field skipped, text kept as read") << Doc(200, "  05") << "S1 S8 0 05 23 99";
        for (const char* good : {"0", "99", "5.5", "@", ""})
            QTest::newRow(qPrintable(QString("field '%1' passes").arg(good)))
                << Doc(200, good) << QString("S1 S8 0 %1 23 99").arg(good);
        for (const char* bad : {"100", "-1", "99.5", "abc", "nan", "inf", "0x1A", "\x1A", "1e1"})
            QTest::newRow(qPrintable(QString("field '%1' refused").arg(bad))) << Doc(200, bad) << "";
        QTest::newRow("invalid CP932 bytes refused") << "\x81\x20" + Doc(200) << "";
        QTest::newRow("half-width katakana name decoded") << "\xBC\xB0\xC4" + Doc(200) << "ｼｰﾄS1 S8 0 7 23 99";
    }
    void loadDocument() {
        QFETCH(QByteArray, bytes);
        Store st;
        if (!bytes.isNull())
            WriteAll(st.Path("d.bng"), bytes);
        SetSheet(st.m, 0, "1 2 3");
        st.m.DocName = "d.bng";
        st.m.DocChanged = -1;
        const std::string before = Snapshot(st.m);
        QStringList probe;
        if (LoadDocument(st.m))
            probe << Q(st.m.BSheet[0]) << Q(st.m.BSheet[7]) << Q(st.m.BBox[0].Caption) << Q(st.m.BBox[7].Caption)
                  << Q(st.m.BBox[123].Caption) << Q(st.m.BBox[199].Caption);
        QTEST(probe.join(' '), "probe");
        QCOMPARE(int(st.m.DocChanged), probe.isEmpty() ? -1 : 0);
        if (!probe.isEmpty()) return;
        // A refused file is reported and changes nothing.
        QCOMPARE(Q(AskedText(st.platform.asked.at(0))),
                 "ﾌｧｲﾙ d.bng は使用不可能な形式または他の形式で保存されています。 | ﾌｧｲﾙを開く | 16");
        QCOMPARE(Q(Snapshot(st.m)), Q(before));
    }

    void saveAndLoadRoundTrip_data() {
        QTest::addColumn<QString>("name");     // of sheet 4
        QTest::addColumn<QByteArray>("stored"); // as its line holds it
        QTest::addColumn<QString>("cells");    // of sheet 1
        QTest::addColumn<QByteArray>("fields"); // the start of the last line
        QTest::newRow("new document: Sheet n names, 199 commas") << "Sheet 4" << QByteArray("Sheet 4") << "" << QByteArray();
        QTest::newRow("cells stored as they stand")
            << "Sheet 4" << QByteArray("Sheet 4") << "1 @ 05 99" << QByteArray("1,@,05,99");
        QTest::newRow("half-width katakana in CP932") << "ｼｰﾄ" << QByteArray("\xBC\xB0\xC4") << "" << QByteArray();
        QTest::newRow("kanji in CP932") << "漢字" << QByteArray("\x8A\xBF\x8E\x9A") << "" << QByteArray();
        QTest::newRow("commas in a name survive") << "a, b,,c" << QByteArray("a, b,,c") << "" << QByteArray();
        QTest::newRow("blanks around a name survive") << "  x  " << QByteArray("  x  ") << "" << QByteArray();
        QTest::newRow("empty name survives") << "" << QByteArray() << "" << QByteArray();
    }
    void saveAndLoadRoundTrip() {
        QFETCH(QString, name);
        QFETCH(QByteArray, stored);
        QFETCH(QString, cells);
        QFETCH(QByteArray, fields);
        Store st;
        st.m.BSheet[3] = name.toStdString();
        SetSheet(st.m, 0, cells.toStdString());
        st.m.DocChanged = -1;
        QVERIFY(SaveDocument(st.m)); // untitled: the file 無題 in the program's folder
        QCOMPARE(ReadAll(st.Path("無題")), "Sheet 1\r\nSheet 2\r\nSheet 3\r\n" + stored +
                                              "\r\nSheet 5\r\nSheet 6\r\nSheet 7\r\nSheet 8\r\n" + fields +
                                              QByteArray(199 - int(fields.count(',')), ',') + "\r\n");
        const std::string saved = Snapshot(st.m);
        for (int s = 0; s < kSheets; ++s)
            st.m.ClearSheet(s);
        st.m.DocChanged = -1;
        QVERIFY(LoadDocument(st.m)); // empty cells are the program's own output and open again
        QCOMPARE(Q(Snapshot(st.m)), Q(saved)); // DocChanged cleared again
    }

    // Root writes through read-only folders, so writes are made to fail in ways it cannot override.
    void failedSaveKeepsOldState_data() {
        QTest::addColumn<QString>("name"); // of sheet 6
        QTest::addColumn<QString>("how");
        QTest::newRow("emoji has no CP932 form") << "a😀" << "";
        QTest::newRow("CR LF would split the name") << "a\r\nb" << "";
        QTest::newRow("bare LF would split the name") << "a\nb" << "";
        QTest::newRow("lone CR would split the name") << "a\rb" << "";
        QTest::newRow("document folder missing") << "Sheet 6" << "missing";
        QTest::newRow("a directory stands at the target") << "Sheet 6" << "directory";
        // Fault mended: a short write of the buffer let the truncated file replace the old one.
        QTest::newRow("file size limit reached mid-write") << "Sheet 6" << "limit";
    }
    void failedSaveKeepsOldState() {
        QFETCH(QString, name);
        QFETCH(QString, how);
        Store st;
        st.m.BSheet[5] = name.toStdString();
        st.m.DocName = "w.bng";
        st.m.DocChanged = -1;
        if (how == "missing")
            st.m.DocDir = st.folder + "missing/";
        if (how == "directory")
            QVERIFY(QDir(st.dir.path()).mkdir("w.bng"));
        else
            WriteAll(st.Path("w.bng"), "old");
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = how == "limit" ? 16 : saved.rlim_cur;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        const std::string before = Snapshot(st.m);
        const bool ok = SaveDocument(st.m);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!ok);
        QCOMPARE(st.platform.asked.at(0).style, 16);
        QCOMPARE(Q(Snapshot(st.m)), Q(before));
        QCOMPARE(ReadAll(st.Path("w.bng")), QByteArray(how == "directory" ? "<unreadable>" : "old"));
        QCOMPARE(QDir(st.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"w.bng"});
    }

    void parseNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value"); // empty: refused
        for (const char* text : {" 5 ", "+5", "-1", "5.5", ".5", "5."})
            QTest::newRow(qPrintable(QString("'%1' accepted").arg(text)))
                << text << QString::number(QString(text).toDouble());
        for (const char* text : {"", "nan", "inf", "0x1A", "1e3", "5a", ". ", "+", "5 5"})
            QTest::newRow(qPrintable(QString("'%1' refused").arg(text))) << text << "";
    }
    void parseNumber() {
        QFETCH(QString, text);
        const auto value = ParseNumber(text.toStdString());
        QTEST(value ? QString::number(*value) : QString(), "value");
    }

    void loadSettings_data() {
        QTest::addColumn<SettingsCase>("c");
        QTest::newRow("missing file gives the defaults, written") << SettingsCase{};
        QTest::newRow("one-line comma form accepted")
            << SettingsCase{"<RunMode>,1,<MinNumber>,10,<MaxNumber>,60\r\n", 1, 10, 60, false};
        QTest::newRow("keys never compared")
            << SettingsCase{"<MaxNumber>\r\n1\r\nfoo\r\n 5 \r\n<Run>\r\n30\r\n", 1, 5, 30, false};
        QTest::newRow("0..24 accepted, LF ends, extra fields ignored")
            << SettingsCase{"a\n0\nb\n0\nc\n24\nd\n", 0, 0, 24, false};
        QTest::newRow("50..60 accepted though narrower than a sheet")
            << SettingsCase{Settings("0", "50", "60"), 0, 50, 60, false};
        QTest::newRow("0.5 rounds to 0 and 2.5 to 2") << SettingsCase{Settings("0.5", "2.5", "99"), 0, 2, 99, false};
        QTest::newRow("1.5 rounds to 2, no run mode") << SettingsCase{Settings("1.5", "0", "99")};
        QTest::newRow("RunMode 2") << SettingsCase{Settings("2", "10", "60")};
        QTest::newRow("MinNumber 76") << SettingsCase{Settings("1", "76", "99")};
        QTest::newRow("MaxNumber 23") << SettingsCase{Settings("1", "0", "23")};
        QTest::newRow("MaxNumber 100") << SettingsCase{Settings("1", "0", "100")};
        QTest::newRow("MinNumber above MaxNumber") << SettingsCase{Settings("1", "60", "50")};
        QTest::newRow("five fields") << SettingsCase{Settings("1", "10", "60").chopped(4)};
        QTest::newRow("value not a number") << SettingsCase{Settings("1", "abc", "60")};
        QTest::newRow("value beyond 16 bits, not wrapped to 60") << SettingsCase{Settings("1", "10", "65596")};
    }
    void loadSettings() {
        QFETCH(SettingsCase, c);
        Store st;
        const QString ini = st.Path(kSettingsFileName);
        if (!c.content.isNull())
            WriteAll(ini, c.content);
        st.m.SysSetting = {1, 3, 77};
        LoadSettings(st.m);
        const SettingRecord& s = st.m.SysSetting;
        QCOMPARE(QString("%1 %2 %3").arg(s.RunMode).arg(s.MinNumber).arg(s.MaxNumber),
                 QString("%1 %2 %3").arg(c.run).arg(c.lo).arg(c.hi));
        QCOMPARE(ReadAll(ini), c.rewritten ? Settings(" 0 ", " 0 ", " 99 ") : c.content);
        QVERIFY(st.platform.asked.empty());
        st.m.SysSetting = {1, 10, 60}; // and the six-line form SaveSettings writes
        QVERIFY(SaveSettings(st.m));
        QCOMPARE(ReadAll(ini), Settings(" 1 ", " 10 ", " 60 "));
    }

    void settingsWriteFailure_data() {
        QTest::addColumn<bool>("blockedByDirectory");
        QTest::newRow("program folder missing") << false;
        QTest::newRow("a directory named like the settings file") << true;
    }
    void settingsWriteFailure() {
        QFETCH(bool, blockedByDirectory);
        Store st;
        if (blockedByDirectory)
            QVERIFY(QDir(st.dir.path()).mkdir(kSettingsFileName));
        else
            st.m.AppFolder = st.folder + "missing/";
        st.m.SysSetting = {1, 10, 60};
        QVERIFY(!SaveSettings(st.m));
        QVERIFY(st.m.SysSetting == (SettingRecord{1, 10, 60}));
        LoadSettings(st.m); // unreadable: defaults in memory, the write fails silently
        QVERIFY(st.m.SysSetting == (SettingRecord{0, 0, 99}) && st.platform.asked.empty());
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "test_storage.moc"
