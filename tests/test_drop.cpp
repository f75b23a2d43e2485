#include "fakeplatform.h"
#include "frmmain.h"

class TestDrop : public QObject {
    Q_OBJECT
private slots:
    void drop_data() {
        QTest::addColumn<QString>("payload");   // file names in the documents' folder or URLs; "text:" plain text
        QTest::addColumn<QString>("situation"); // changed, run, modal, move only, run after drop
        QTest::addColumn<int>("answer");        // to the save-changes question; 0: none expected
        // Whether the drag was taken, then "same" or the document's file title and first cell, files written.
        QTest::addColumn<QString>("outcome");
        QTest::newRow("one .bng, unchanged: opened") << "in.bng" << "" << 0 << "taken, in.bng [42]";
        QTest::newRow("the suffix in capitals") << "UP.BNG" << "" << 0 << "taken, UP.BNG [42]";
        QTest::newRow("changed, Yes: saved, then opened") << "in.bng" << "changed" << int(vbYes)
                                                          << "taken, in.bng [42], wrote cur.bng";
        QTest::newRow("changed, No: opened unsaved") << "in.bng" << "changed" << int(vbNo) << "taken, in.bng [42]";
        QTest::newRow("changed, Cancel: nothing changes") << "in.bng" << "changed" << int(vbCancel) << "taken, same";
        QTest::newRow("a refused file: reported, nothing changes") << "bad.bng" << "" << 0 << "taken, same, reported";
        QTest::newRow("during a run: refused") << "in.bng" << "run" << 0 << "refused, same";
        QTest::newRow("under a modal dialog: refused") << "in.bng" << "modal" << 0 << "refused, same";
        QTest::newRow("a run begun before the queued Open: nothing opened") << "in.bng" << "run after drop" << 0
                                                                             << "taken, same";
        QTest::newRow("a move-only drag: refused, the file manager would delete the file")
            << "in.bng" << "move only" << 0 << "refused, same";
        QTest::newRow("two files: refused") << "in.bng bad.bng" << "" << 0 << "refused, same";
        QTest::newRow("a folder named like a document: refused") << "dir.bng" << "" << 0 << "refused, same";
        QTest::newRow("another suffix: refused") << "in.txt" << "" << 0 << "refused, same";
        QTest::newRow("a remote file: refused") << "https://example.org/in.bng" << "" << 0 << "refused, same";
        QTest::newRow("plain text: refused") << "text:in.bng" << "" << 0 << "refused, same";
    }
    void drop() {
        QFETCH(QString, payload);
        QFETCH(QString, situation);
        QFETCH(int, answer);
        Game g;
        const QString folder = Q(g.m.AppFolder);
        frmMain w(g.m, g.platform);
        w.show();
        g.m.DocName = "cur.bng";
        SetWindowTitle(g.m);
        SetSheet(g.m, 0, "1 2 3");
        g.m.DocChanged = situation == "changed" ? -1 : 0;
        for (const QString name : {"in.bng", "UP.BNG", "in.txt"})
            g.Write(name, "Loaded\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n" + QByteArray("42,").repeated(200));
        g.Write("bad.bng", "junk");
        QVERIFY(QDir(folder).mkdir("dir.bng"));
        if (situation == "run") g.m.Start();
        QDialog modal;
        modal.setModal(true);
        modal.setVisible(situation == "modal");
        g.platform.asked.clear();
        g.platform.answers = {answer};
        // The document alone, as a run started on the way changes the rest of the display.
        const auto document = [&] {
            return g.m.DocDir + g.m.DocName + std::to_string(g.m.DocChanged) + EncodeDocument(g.m).bytes;
        };
        const QString before = Snapshot(g.m);
        const std::string unopened = document();

        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : payload.split(' '))
            urls << (p.contains(':') ? QUrl(p) : QUrl::fromLocalFile(folder + p));
        payload.startsWith("text:") ? data.setText(folder + payload.mid(5)) : data.setUrls(urls);
        const auto actions = situation == "move only" ? Qt::MoveAction : Qt::CopyAction | Qt::MoveAction;
        const QPointF at = w.rect().center();
        QDragEnterEvent enter(at.toPoint(), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QDropEvent dropped(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &dropped);
        QVERIFY(dropped.isAccepted() == enter.isAccepted() &&
                (!dropped.isAccepted() || dropped.dropAction() == Qt::CopyAction));
        // Nothing is asked or read inside the drop: the file manager's drag would wait for it.
        QVERIFY(Snapshot(g.m) == before && g.platform.asked.isEmpty());
        if (situation == "run after drop") g.m.Start();
        QCoreApplication::processEvents();

        QStringList outcome{enter.isAccepted() ? "taken" : "refused"};
        outcome << (document() == unopened ? QString("same")
                                            : QString("%1 [%2]").arg(Q(g.m.DocName), Q(g.m.BBox[0].Caption)));
        if (QFile f(folder + "cur.bng"); f.open(QIODevice::ReadOnly) && f.readAll().contains("\r\n1,2,3,"))
            outcome << "wrote cur.bng";
        if (!g.platform.asked.filter(" | 16").isEmpty()) outcome << "reported";
        QTEST(outcome.join(", "), "outcome");
        QCOMPARE(g.platform.asked.filter(" | 51").size(), answer ? 1 : 0);
        if (outcome[1] != "same") QCOMPARE(w.windowTitle(), "Zarvello Quorvex 98 - [" + Q(g.m.DocName) + "]");
    }
};

QTEST_MAIN(TestDrop)
#include "test_drop.moc"
