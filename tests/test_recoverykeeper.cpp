#include "fakeplatform.h"
#include "recoveryjournal.h"
#include "recoverykeeper.h"

#include <sys/stat.h>

namespace {
struct Kept : Game {
    RecoveryKeeper keeper{m, platform, m.AppFolder};
    FakeDialogs dialogs;
    explicit Kept(SettingRecord settings = {0, 0, 99}) : Game(settings) {}
    std::string file() const { return m.AppFolder + kRecoveryFileName; }
    bool exists() const { return QFileInfo::exists(Q(file())); }
    ino_t inode() const {
        struct stat st {};
        return ::stat(file().c_str(), &st) == 0 ? st.st_ino : 0;
    }
    void type(int digit) { m.Form_KeyDown(vk::Digit0 + digit, 0); }
};
} // namespace

class TestRecoveryKeeper : public QObject {
    Q_OBJECT
private slots:
    // When the file exists: whenever a crash would lose something, and only then.
    void lifetime_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("exists"); // after each step: 1 the file is there, 0 it is not
        // t type a digit, x clear the sheet, r fill it at random, w wait for the edit write, s save, S start,
        // C call 7, E end the run, n New, f close.
        QTest::newRow("an edit waits for the end of the burst") << "ttw" << "001";
        QTest::newRow("a save leaves nothing to lose") << "tws" << "010";
        // Found as a fault: these marked the document changed after their last change notice.
        QTest::newRow("a cleared sheet is written") << "xw" << "01";
        QTest::newRow("a sheet filled at random is written") << "rw" << "01";
        QTest::newRow("a run is written at once, its end on an unchanged document removes it") << "SCE" << "110";
        QTest::newRow("a run that ends on a changed document keeps it") << "twSCE" << "01111";
        QTest::newRow("New after an unsaved edit, answered No") << "twn" << "010";
        QTest::newRow("a normal close removes it, whatever was unsaved") << "twSCf" << "01110";
        QTest::newRow("nothing writes once the window closed") << "twftw" << "01000";
    }
    void lifetime() {
        QFETCH(QString, steps);
        Kept k;
        SetSheet(k.m, 0, "7 8 9");
        k.keeper.Watch();
        QString seen;
        for (QChar step : steps) {
            switch (step.toLatin1()) {
            case 't':
                k.type(4);
                break;
            case 'w':
                // Edits are written within a second of the first one.
                QTest::qWait(1200);
                break;
            case 's':
                k.m.DocName = "saved.bng";
                QVERIFY(DocumentCommands(k.m, k.dialogs).mn_Save_Click() == SaveResult::Saved);
                break;
            case 'x':
                k.m.ClearCurrentSheet();
                break;
            case 'r':
                k.m.FillCurrentSheetRandom();
                break;
            case 'S':
                k.m.Start();
                break;
            case 'C':
                k.Call(7);
                break;
            case 'E':
                k.m.EndRun();
                break;
            case 'n':
                k.platform.answers = {vbNo};
                DocumentCommands(k.m, k.dialogs).mn_New_Click();
                break;
            case 'f':
                k.keeper.Finish();
                break;
            }
            seen += k.exists() ? '1' : '0';
        }
        QTEST(seen, "exists");
    }

    // The roulette's ticks change nothing the file holds; each call writes once.
    void ticksNeverWrite() {
        Kept k(Setting(1, 0, 99));
        k.keeper.Watch();
        k.m.Start();
        const ino_t started = k.inode();
        QVERIFY(started != 0);
        for (int i = 0; i < 20; ++i)
            k.m.Timer1_Timer();
        QCOMPARE(k.inode(), started);
        k.m.LBInput_Click();
        QVERIFY(k.inode() != started);
        const RecoveryFile read = ReadRecovery(k.m.AppFolder);
        QVERIFY(read.state.run && read.state.run->calls.size() == 1 && read.state.run->rolling);
    }

    // Yes restores; the changed mark counts a saved document that went away or changed on disk as changed.
    void restore_data() {
        QTest::addColumn<QString>("disk"); // the saved document: same, gone or other
        QTest::addColumn<bool>("changed");
        QTest::newRow("the saved file still holds the sheets") << "same" << false;
        QTest::newRow("the saved file is gone") << "gone" << true;
        QTest::newRow("the saved file holds other sheets") << "other" << true;
    }
    void restore() {
        QFETCH(QString, disk);
        QFETCH(bool, changed);
        QString before;
        QTemporaryDir folder;
        {
            Kept crashed(Setting(1, 10, 40));
            crashed.m.AppFolder = folder.path().toStdString() + "/";
            crashed.m.DocDir = crashed.m.AppFolder;
            crashed.m.DocName = "night.bng";
            SetSheet(crashed.m, 2, "10 11 12 13 14");
            crashed.m.BSheet[2] = "三枚目";
            QVERIFY(SaveDocument(crashed.m));
            if (disk == "other") {
                crashed.m.BSheet[2] = "別";
                QVERIFY(SaveDocument(crashed.m));
                crashed.m.BSheet[2] = "三枚目";
            } else if (disk == "gone") {
                QVERIFY(QFile::remove(folder.filePath("night.bng")));
            }
            crashed.m.DocChanged = 0;
            SetWindowTitle(crashed.m);
            RecoveryState state;
            for (int s = 0; s < kSheets; ++s)
                state.names[s] = crashed.m.BSheet[s];
            for (int b = 0; b < kBoxes; ++b)
                state.cells[b] = crashed.m.BBox[b].Caption;
            state.docDir = crashed.m.DocDir;
            state.docName = crashed.m.DocName;
            state.run = RecoveryRun{1, 10, 40, {12, 30}, 2, true};
            QVERIFY(WriteRecovery(crashed.m.AppFolder, state));
            // The same game played: the restored module must show exactly this.
            crashed.m.ShowRunModeButtons();
            crashed.m.Start();
            crashed.Call(12);
            crashed.Call(30);
            crashed.m.DocChanged = changed ? -1 : 0;
            before = Snapshot(crashed.m);
        }
        Game g(Setting(0, 0, 99));
        g.m.AppFolder = folder.path().toStdString() + "/";
        RecoveryKeeper keeper(g.m, g.platform, g.m.AppFolder);
        QVERIFY(keeper.Offer());
        QCOMPARE(g.platform.asked.last(),
                 "前回は正しく終了しませんでした。保存されていない内容を復元しますか? | 復元 | 52");
        QCOMPARE(Snapshot(g.m), before);
        QFile settings(folder.filePath(kSettingsFileName)); // the run's range became the settings again
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), SettingsFile(1, 10, 40));
    }

    // No discards the file; an unusable one is set aside with a message; a copy without the lock neither
    // asks, nor writes, nor deletes.
    void offer_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("secondCopy");
        QTest::addColumn<QString>("expected"); // what was asked: the files left
        RecoveryState edits;
        edits.docDir = "/tmp/";
        edits.docName = "無題";
        edits.docChanged = true;
        const QByteArray good = QByteArray::fromStdString(EncodeRecovery(edits));
        QTest::newRow("No discards it")
            << good << int(vbNo) << false << "前回は正しく終了しませんでした。保存されていない内容を復元しますか? | 復元 | 52: ";
        QTest::newRow("an unusable file is set aside")
            << QByteArray("numbalo-recovery 9\n") << int(vbOK) << false
            << "復元用のﾌｧｲﾙが読めないため、使わずに起動します。 | 復元 | 48: numbalo.rcv.bad";
        QTest::newRow("a second copy leaves it alone")
            << good << int(vbYes) << true << "ビンゴを実戦形式で開始します。よろしいですか? | 開始 | 52: numbalo.rcv";
    }
    void offer() {
        QFETCH(QByteArray, file);
        QFETCH(int, answer);
        QFETCH(bool, secondCopy);
        Game g;
        g.Write(kRecoveryFileName, file);
        RecoveryLock firstCopy(g.m.AppFolder);
        QVERIFY(!secondCopy || firstCopy.tryLock());
        RecoveryKeeper keeper(g.m, g.platform, g.m.AppFolder);
        QCOMPARE(keeper.ownsRecovery(), !secondCopy);
        g.platform.answers = {answer};
        QVERIFY(!keeper.Offer());
        keeper.Watch();
        if (secondCopy)
            g.m.Start(); // an owner would write at once
        const QStringList left = QDir(g.dir.path()).entryList({"numbalo.rcv", "numbalo.rcv.bad"}, QDir::Files);
        QTEST(g.platform.asked.join(" / ") + ": " + left.join(" "), "expected");
        QVERIFY(!secondCopy || g.Read(kRecoveryFileName) == file);
    }
};

QTEST_MAIN(TestRecoveryKeeper)
#include "test_recoverykeeper.moc"
