#include "fakeplatform.h"
#include "recoveryjournal.h"
#include "recoverykeeper.h"

#include <sys/stat.h>

static const QString kAskRestore = "前回は正しく終了しませんでした。保存されていない内容を復元しますか? | 復元 | 52";

class TestRecoveryKeeper : public QObject {
    Q_OBJECT
private slots:
    // The file is there whenever a crash would lose something, and only then; the roulette's ticks change
    // nothing it holds.
    void lifetime_data() {
        QTest::addColumn<QString>("steps"); // t type, x clear, r fill at random, w wait for the edit write, s save,
        // D drawn mode, S start, T 20 roulette ticks, L stop the roulette, C call 7, E end, n New (No), f close
        QTest::addColumn<QString>("file"); // after each step: 0 none, + written anew, = the same file
        QTest::newRow("an edit waits for the end of the burst") << "ttw" << "00+";
        QTest::newRow("a save leaves nothing to lose") << "tws" << "0+0";
        // Found as a fault: these marked the document changed after their last change notice.
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
        keeper.Watch();
        const QHash<QChar, std::function<void()>> act{
            {'t', [&] { k.m.Form_KeyDown(vk::Digit0 + 4, 0); }},
            {'w', [] { QTest::qWait(1200); }},
            {'s', [&] {
                 k.m.DocName = "saved.bng";
                 QVERIFY(DocumentCommands(k.m, dialogs).mn_Save_Click() == SaveResult::Saved);
             }},
            {'x', [&] { k.m.ClearCurrentSheet(); }},
            {'r', [&] { k.m.FillCurrentSheetRandom(); }},
            {'D', [&] { k.m.SysSetting.RunMode = 1; }},
            {'S', [&] { k.m.Start(); }},
            {'T', [&] { for (int i = 0; i < 20; ++i) k.m.Timer1_Timer(); }},
            {'L', [&] { k.m.LBInput_Click(); }},
            {'C', [&] { k.Call(7); }},
            {'E', [&] { k.m.EndRun(); }},
            {'n', [&] {
                 k.platform.answers = {vbNo};
                 DocumentCommands(k.m, dialogs).mn_New_Click();
             }},
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

    // Yes restores; the changed mark counts a saved document that went away or changed on disk as changed.
    void restore_data() {
        QTest::addColumn<QString>("disk"); // what the saved document holds now
        QTest::addColumn<bool>("changed");
        QTest::newRow("the saved file still holds the sheets") << "same" << false;
        QTest::newRow("the saved file is gone") << "gone" << true;
        QTest::newRow("the saved file holds other sheets") << "other" << true;
    }
    void restore() {
        QFETCH(QString, disk);
        QFETCH(bool, changed);
        Game crashed(Setting(1, 10, 40)), g;
        modMain& m = crashed.m;
        m.DocDir = g.m.AppFolder = m.AppFolder;
        m.DocName = "night.bng";
        SetSheet(m, 2, "10 11 12 13 14");
        m.BSheet[2] = disk == "other" ? "別" : "三枚目";
        QVERIFY(SaveDocument(m) && (disk != "gone" || QFile::remove(crashed.dir.filePath("night.bng"))));
        m.BSheet[2] = "三枚目";
        SetWindowTitle(m);
        RecoveryState state;
        state.docDir = m.DocDir;
        state.docName = m.DocName;
        state.run = RecoveryRun{1, 10, 40, {12, 30}, 2, true};
        std::copy(m.BSheet.begin(), m.BSheet.end(), state.names.begin());
        std::transform(m.BBox.begin(), m.BBox.end(), state.cells.begin(), [](const Cell& c) { return c.Caption; });
        QVERIFY(WriteRecovery(m.AppFolder, state));
        m.ShowRunModeButtons(); // the same game played: the restored module must show exactly this
        m.Start();
        crashed.Call(12);
        crashed.Call(30);
        m.DocChanged = changed ? -1 : 0;
        RecoveryKeeper keeper(g.m, g.platform, g.m.AppFolder);
        QVERIFY(keeper.Offer());
        QCOMPARE(g.platform.asked.last(), kAskRestore);
        QCOMPARE(Snapshot(g.m), Snapshot(m));
        QCOMPARE(crashed.Read(kSettingsFileName), SettingsFile(1, 10, 40)); // the run's range, kept
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
        QTest::newRow("No discards it") << good << int(vbNo) << false << kAskRestore + ": ";
        QTest::newRow("an unusable file is set aside")
            << QByteArray("numbalo-recovery 9\n") << int(vbOK) << false
            << "復元用のﾌｧｲﾙが読めないため、使わずに起動します。 | 復元 | 48: numbalo.rcv.bad";
        QTest::newRow("a second copy leaves it alone")
            << good << int(vbYes) << true << "ビンゴを実戦形式で開始します。よろしいですか? | 開始 | 52: numbalo.rcv";
    }
    void offer() {
        QFETCH(QByteArray, file);
        QFETCH(bool, secondCopy);
        Game g;
        g.Write(kRecoveryFileName, file);
        RecoveryLock firstCopy(g.m.AppFolder);
        QVERIFY(!secondCopy || firstCopy.tryLock());
        RecoveryKeeper keeper(g.m, g.platform, g.m.AppFolder);
        QCOMPARE(keeper.ownsRecovery(), !secondCopy);
        QFETCH(int, answer);
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
