#include "documentcommands.h"
#include "fakeplatform.h"
#include "sheetdocument.h"

#include <QtTest>

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

// Scripted file dialogs: each call takes the next full path; "" or none left is a cancel.
class FakeDialogs : public FileDialogs {
public:
    QStringList open, save;
    int saves = 0;
    std::optional<std::string> GetOpenFileName() override { return Next(open); }
    std::optional<std::string> GetSaveFileName() override {
        ++saves;
        return Next(save);
    }

private:
    static std::optional<std::string> Next(QStringList& paths) {
        const QString path = paths.isEmpty() ? QString() : paths.takeFirst();
        return path.isEmpty() ? std::nullopt : std::optional(path.toStdString());
    }
};

// One command on a document whose first sheet begins "1 2 3".
struct Command {
    const char* command = ""; // New, Open, Save, SaveAs, Close, or several in turn
    QString name = "cur.bng"; // the document's file title, in the temporary folder
    bool changed = true;
    bool failSave = false;     // the old file stays, but a sheet name has no CP932 form
    int answer = 0;            // to the save-changes question; 0: none expected
    QString chosen = "in.bng"; // in the open dialog ("" cancels); bad.bng is refused
    QString dialog = {};       // in the save dialog, "" cancels
    bool unchanged = false;    // the whole module state stays as it was
    QString title = {};        // otherwise: the document's file title afterwards
    int docChanged = 0;
    QString cell0 = "1";       // "1" sheets kept, "" emptied, "42" the opened file
    QString written = {};      // files now holding the sheets
    int saveDialogs = 0;
    bool closes = true;
};
} // namespace
Q_DECLARE_METATYPE(Command)

class TestDocumentCommands : public QObject {
    Q_OBJECT
private slots:
    void command_data() {
        QTest::addColumn<Command>("c");
        const auto row = [](const char* name, const Command& c) { QTest::newRow(name) << c; };
        row("Save: untitled opens the save dialog",
            {.command = "Save", .name = "無題", .dialog = "a.bng", .title = "a.bng", .written = "a.bng",
             .saveDialogs = 1});
        row("Save: cancelled dialog changes nothing",
            {.command = "Save", .name = "無題", .unchanged = true, .saveDialogs = 1});
        row("Save: titled saves at once", {.command = "Save", .title = "cur.bng", .written = "cur.bng"});
        row("Save: 無題.bng is a title, not untitled",
            {.command = "Save", .name = "無題.bng", .title = "無題.bng", .written = "無題.bng"});
        row("New: unchanged document emptied at once", {.command = "New", .changed = false, .title = "無題", .cell0 = ""});
        row("New: changed, No empties", {.command = "New", .answer = vbNo, .title = "無題", .cell0 = ""});
        row("New: changed, Cancel keeps everything", {.command = "New", .answer = vbCancel, .unchanged = true});
        row("New: changed untitled, Yes saves and keeps the sheets",
            {.command = "New", .name = "無題", .answer = vbYes, .dialog = "n.bng", .title = "n.bng", .written = "n.bng",
             .saveDialogs = 1});
        row("New: changed untitled, Yes and dialog cancelled keeps everything",
            {.command = "New", .name = "無題", .answer = vbYes, .unchanged = true, .saveDialogs = 1});
        row("Open: cancelled dialog changes nothing", {.command = "Open", .chosen = "", .unchanged = true});
        row("Open: unchanged document opens without a question",
            {.command = "Open", .changed = false, .title = "in.bng", .cell0 = "42"});
        row("Open: changed, Cancel reads nothing", {.command = "Open", .answer = vbCancel, .unchanged = true});
        row("Open: changed, No reads without saving",
            {.command = "Open", .answer = vbNo, .title = "in.bng", .cell0 = "42"});
        row("Open: changed, Yes saves the current sheets first",
            {.command = "Open", .answer = vbYes, .title = "in.bng", .cell0 = "42", .written = "cur.bng"});
        row("Open: changed untitled, Yes with Save As cancelled still opens",
            {.command = "Open", .name = "無題", .answer = vbYes, .title = "in.bng", .cell0 = "42", .saveDialogs = 1});
        // Faults mended: a refused file took over folder, name and caption and cleared
        // DocChanged; a failed save was followed by replacing the sheets.
        row("Open: refused file keeps everything",
            {.command = "Open", .answer = vbNo, .chosen = "bad.bng", .unchanged = true});
        row("Open: failed save reads nothing",
            {.command = "Open", .failSave = true, .answer = vbYes, .unchanged = true});
        row("Close: unchanged closes without a question", {.command = "Close", .changed = false, .unchanged = true});
        row("Close: changed, No closes without writing", {.command = "Close", .answer = vbNo, .unchanged = true});
        row("Close: changed, Cancel keeps the window",
            {.command = "Close", .answer = vbCancel, .unchanged = true, .closes = false});
        row("Close: changed untitled, Yes and dialog cancelled keeps the window",
            {.command = "Close", .name = "無題", .answer = vbYes, .unchanged = true, .saveDialogs = 1, .closes = false});
        row("Close: changed untitled, Yes saved through the dialog closes",
            {.command = "Close", .name = "無題", .answer = vbYes, .dialog = "q.bng", .title = "q.bng",
             .written = "q.bng", .saveDialogs = 1});
        row("Close: changed titled, Yes saves and closes",
            {.command = "Close", .answer = vbYes, .title = "cur.bng", .written = "cur.bng"});
        // Fault mended: a save that failed still let the window close and lose the sheets.
        row("Close: failed save keeps the window",
            {.command = "Close", .failSave = true, .answer = vbYes, .unchanged = true, .closes = false});
        row("Save As to another folder: later saves go there too",
            {.command = "SaveAs Save", .dialog = "other/x.bng", .title = "other/x.bng", .written = "other/x.bng",
             .saveDialogs = 1});
        // Fault mended: a failed Save As left the document named after a file never written.
        row("Save As: folder missing restores the document",
            {.command = "SaveAs", .dialog = "missing/x.bng", .unchanged = true, .saveDialogs = 1});
        row("Save As: directory at the target restores the document",
            {.command = "SaveAs", .dialog = "adir", .unchanged = true, .saveDialogs = 1});
    }
    void command() {
        QFETCH(Command, c);
        QTemporaryDir dir;
        const QString folder = dir.path() + "/";
        FakePlatform platform;
        modMain m{platform};
        FakeDialogs dialogs;
        DocumentCommands cmd{m, dialogs};
        m.AppFolder = folder.toStdString();
        NewDocument(m);
        m.DocName = c.name.toStdString();
        SetWindowTitle(m);
        SetSheet(m, 0, "1 2 3");
        m.DocChanged = c.changed ? -1 : 0;
        WriteAll(folder + "in.bng", "Loaded\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n" + QByteArray("42,").repeated(200));
        WriteAll(folder + "bad.bng", "junk");
        QDir(folder).mkdir("adir");
        QDir(folder).mkdir("other");
        if (c.failSave) {
            WriteAll(folder + c.name, "old");
            m.BSheet[1] = "😀";
        }
        platform.answers = {c.answer};
        dialogs.open << (c.chosen.isEmpty() ? QString() : folder + c.chosen);
        dialogs.save << (c.dialog.isEmpty() ? QString() : folder + c.dialog);
        const std::string before = Snapshot(m);
        bool closes = true;
        const QStringList commands = QString(c.command).split(' ');
        for (const QString& command : commands) {
            if (command == "New") cmd.mn_New_Click();
            if (command == "Open") cmd.mn_Open_Click();
            if (command == "Save") cmd.mn_Save_Click();
            if (command == "SaveAs") cmd.mn_As_Click();
            if (command == "Close") closes = cmd.QueryUnload();
        }
        if (c.unchanged) {
            QCOMPARE(Q(Snapshot(m)), Q(before));
        } else {
            QCOMPARE(Q(m.DocDir + m.DocName), folder + c.title);
            QCOMPARE(Q(m.Caption), "Zarvello Quorvex 98 - [" + QFileInfo(c.title).fileName() + "]");
            QCOMPARE(int(m.DocChanged), c.docChanged);
            QCOMPARE(Q(m.BBox[0].Caption), c.cell0);
        }
        QStringList written;
        for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            if (QFile f(it.next()); f.open(QIODevice::ReadOnly) && f.readAll().contains("\r\n1,2,3,"))
                written << QDir(folder).relativeFilePath(f.fileName());
        QCOMPARE(written.join(' '), c.written);
        QCOMPARE(dialogs.saves, c.saveDialogs);
        QCOMPARE(closes, c.closes);
        int questions = 0;
        for (const auto& a : platform.asked) {
            if (a.style != 51) continue;
            ++questions;
            QCOMPARE(Q(AskedText(a)), folder + c.name + " への変更を保存しますか? | Zarvello Quorvex 98 | 51");
        }
        QCOMPARE(questions, c.answer ? 1 : 0);
        if (c.unchanged && (c.failSave || commands[0] == "SaveAs" || c.chosen == "bad.bng")) // each reported
            QCOMPARE(platform.asked.empty() ? 0 : platform.asked.back().style, 16);
    }
};

QTEST_GUILESS_MAIN(TestDocumentCommands)
#include "test_documentcommands.moc"
