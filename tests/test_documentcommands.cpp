#include "fakeplatform.h"

// A command, or several in turn, on a document whose first sheet begins "1 2 3".
struct Command {
    QString command = {};      // New, Open, Save, SaveAs, Close
    QString name = "cur.bng";  // the document's file title, in the temporary folder
    bool changed = true, failSave = false; // failSave: the old file stays, but a sheet name has no CP932 form
    int answer = 0;            // to the save-changes question; 0: none expected
    QString chosen = "in.bng"; // in the open dialog ("" cancels); bad.bng is refused
    QString dialog = {};       // in the save dialog ("" cancels)
};
Q_DECLARE_METATYPE(Command)

class TestDocumentCommands : public QObject {
    Q_OBJECT
private slots:
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
        row("Save: untitled opens the save dialog", "Save", {.name = untitled, .dialog = "a.bng"},
            "a.bng [1], wrote a.bng, 1 dialog");
        row("Save: 無題.bng is a title, not untitled, and saves at once", "Save", {.name = "無題.bng"},
            "無題.bng [1], wrote 無題.bng");
        row("New: unchanged document emptied at once", "New", {.changed = false}, "無題 []");
        row("New: changed, Cancel keeps everything", "New", {.answer = vbCancel}, "same");
        row("New: changed untitled, Yes saves and keeps the sheets",
            "New", {.name = untitled, .answer = vbYes, .dialog = "n.bng"}, "n.bng [1], wrote n.bng, 1 dialog");
        row("New: changed untitled, Yes and dialog cancelled keeps everything",
            "New", {.name = untitled, .answer = vbYes}, "same, 1 dialog");
        // Open after the question as a dropped file opens is the main window tests'; here the dialog's part.
        row("Open: cancelled dialog changes nothing", "Open", {.chosen = ""}, "same");
        row("Open: changed untitled, Yes with Save As cancelled still opens",
            "Open", {.name = untitled, .answer = vbYes}, "in.bng [42], 1 dialog");
        // Faults mended: a refused file took over folder, name and caption and cleared
        // DocChanged; a failed save was followed by replacing the sheets.
        row("Open: refused file keeps everything", "Open", {.answer = vbNo, .chosen = "bad.bng"}, "same, reported");
        row("Open: failed save reads nothing", "Open", {.failSave = true, .answer = vbYes}, "same, reported");
        row("Close: unchanged closes without a question", "Close", {.changed = false}, "same");
        row("Close: changed, No closes without writing", "Close", {.answer = vbNo}, "same");
        row("Close: changed, Cancel keeps the window", "Close", {.answer = vbCancel}, "same, stays open");
        row("Close: changed untitled, Yes and dialog cancelled keeps the window",
            "Close", {.name = untitled, .answer = vbYes}, "same, 1 dialog, stays open");
        row("Close: changed titled, Yes saves and closes", "Close", {.answer = vbYes}, "cur.bng [1], wrote cur.bng");
        // Fault mended: a save that failed still let the window close and lose the sheets.
        row("Close: failed save keeps the window", "Close", {.failSave = true, .answer = vbYes},
            "same, reported, stays open");
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
        g.m.DocName = c.name.toStdString();
        SetWindowTitle(g.m);
        SetSheet(g.m, 0, "1 2 3");
        g.m.DocChanged = c.changed ? -1 : 0;
        g.Write("in.bng", "Loaded\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n" + QByteArray("42,").repeated(200));
        g.Write("bad.bng", "junk");
        QVERIFY(QDir(folder).mkdir("other"));
        if (c.failSave) g.Write(c.name, "old"), g.m.BSheet[1] = "😀";
        g.platform.answers = {c.answer};
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
        const QString place = Q(g.m.DocDir + g.m.DocName).mid(folder.size());
        QStringList outcome{Snapshot(g.m) == before ? "same" : QString("%1 [%2]").arg(place, Q(g.m.BBox[0].Caption))};
        for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            if (QFile f(it.next()); f.open(QIODevice::ReadOnly) && f.readAll().contains("\r\n1,2,3,"))
                outcome << "wrote " + QDir(folder).relativeFilePath(f.fileName());
        if (!g.platform.asked.filter(" | 16").isEmpty()) outcome << "reported";
        if (dialogs.saves) outcome << QString("%1 dialog").arg(dialogs.saves);
        if (!closes) outcome << "stays open";
        QTEST(outcome.join(", "), "outcome");
        QVERIFY(outcome[0] == "same" ||
                (Q(g.m.Caption) == "Zarvello Quorvex 98 - [" + Q(g.m.DocName) + "]" && g.m.DocChanged == 0));
        const QString question = folder + c.name + " への変更を保存しますか? | Zarvello Quorvex 98 | 51";
        QCOMPARE(g.platform.asked.filter(" | 51"), c.answer ? QStringList{question} : QStringList());
    }
};

QTEST_GUILESS_MAIN(TestDocumentCommands)
#include "test_documentcommands.moc"
