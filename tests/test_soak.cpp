// Long games and random input: the rules' invariants hold after every step.
#include "celllabel.h"
#include "fixture.h"
#include "frmmain.h"
#include "numbers.h"
#include "recoveryfile.h"
#include "recoverykeeper.h"

#include <cmath>

namespace {
// The rules' invariants of the state alone: every cell holds a text a document can hold; edit mode shows one
// selected cell; a run shows what its call record gives: the count, the history, and a cell is hit exactly when
// it is a free hole or its number was called (so no hit goes back unless a call is taken back).
QString Broken(const modMain& m) {
    int selected = 0;
    for (int b = 0; b < kBoxes; ++b) {
        const std::string& t = m.view.BBox[b].Caption;
        const auto v = ParseNumber(t);
        if (!t.empty() && t != "@" && !(v && *v >= 0 && *v <= 99))
            return Q("cell " + std::to_string(b) + " holds " + t);
        selected += m.view.BBox[b].BackColor == Colour::Navy && m.view.BBox[b].ForeColor == Colour::White;
    }
    if (m.IsEditMode())
        return selected == 1 && m.view.BBox[m.view.CurBox].BackColor == Colour::Navy
                   ? QString()
                   : QString("%1 selected").arg(selected);
    const auto& record = m.CallRecord();
    std::array<bool, 101> called{};
    if (int(record.size()) != m.DrawCount()) return QString("%1 calls counted").arg(m.DrawCount());
    for (std::size_t i = 0; i < record.size(); ++i) {
        called[std::size_t(record[i])] = true;
        if (const std::size_t back = record.size() - 1 - i; back < kHistorySize && m.run.NumLog[back] != record[i])
            return QString("history %1 shows %2, the record %3").arg(back).arg(m.run.NumLog[back]).arg(record[i]);
    }
    for (int b = 0; b < kBoxes; ++b) {
        const std::string& t = m.view.BBox[b].Caption;
        const double v = CellValue(t);
        if ((t == "@" || (v == std::floor(v) && v >= 0 && v <= 100 && called[std::size_t(v)])) !=
            (m.run.HitFlag[b] != 0))
            return Q("cell " + std::to_string(b) + " (" + t + ") hit " + std::to_string(m.run.HitFlag[b]));
    }
    return {};
}

// Right after any step: a run is in the file at once, an unchanged document leaves none, and an
// edit-mode file (its write may wait for the end of a burst of typing) holds no run.
QString RecoveryBroken(const modMain& m, const RecoveryFile& file) {
    const bool exists = file.status == RecoveryFile::Status::Read;
    if (file.status == RecoveryFile::Status::Bad) return "the recovery file does not read back";
    if (!m.IsEditMode() && !(exists && file.state.run && file.state.run == CaptureRecovery(m).run &&
                             file.state.document == CaptureRecovery(m).document))
        return QString("the recovery file does not hold the run of %1 calls").arg(m.CallRecord().size());
    return m.IsEditMode() && exists && (m.doc.DocChanged == 0 || file.state.run)
               ? "a recovery file with nothing to lose"
               : QString();
}
} // namespace

#define CHECK_STEP(text)                                                                                               \
    if (const QString why = (text); !why.isEmpty()) QFAIL(qPrintable(QString("step %1: %2").arg(step).arg(why)))

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    // 1,000 RandRun games to the end of random ranges, checked after every step.
    void longGames() {
        Game g;
        QRandomGenerator rng(42);
        for (int game = 0; game < 1000; ++game) {
            const int lo = int(rng.bounded(76)), hi = lo + 24 + int(rng.bounded(100 - lo - 24));
            g.m.run.SysSetting = Setting(1, lo, hi);
            g.m.FillSheetRandom(game % kSheets);
            g.m.Start();
            QList<int> called;
            for (int step = 0; !g.m.IsEditMode() && called.size() <= hi - lo + 1; ++step) {
                g.m.Timer1_Timer();
                if (!g.m.view.LBInput.empty()) called << std::stoi(g.m.view.LBInput);
                g.m.LBInput_Click();
                CHECK_STEP(Broken(g.m));
            }
            QCOMPARE(called.size(), hi - lo + 1);
            QCOMPARE(QSet<int>(called.begin(), called.end()).size(), called.size()); // no number twice
        }
    }

    // NUMBALO_LONG=1: 100,000 steps instead of 4,000.
    void monkeyOnTheWindow() {
        const int steps = qEnvironmentVariable("NUMBALO_LONG") == "1" ? 100000 : 4000;
        Game g;
        const std::string folder = g.m.AppFolder;
        g.Write("in.bng", kLoaded);
        g.Write("bad.bng", "junk");
        g.Write("in.txt", "Dropped");
        frmMain w(g.m, g.platform, std::make_unique<FakeDialogs>()); // every file dialog cancelled
        w.show();
        RecoveryKeeper keeper(g.m, g.platform, folder);
        QVERIFY(keeper.ownsRecovery());
        keeper.Watch();
        QRandomGenerator rng(2024);
        const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Tab, Qt::Key_Return,
                                Qt::Key_At,   Qt::Key_0,     Qt::Key_3,  Qt::Key_7,    Qt::Key_9,   Qt::Key_Z};
        const QStringList commands = QString("mn_New mnDelete mn_SheetDel mn_Clear mn_Start mn_End mnSheetRand "
                                             "mnRand mnFreehole mn_Save mn_Open mnPopHole RealRun RandRun Start Stop "
                                             "Random FreeHole Del mnSheetAbout mnOption mnSheetName mn_Ver mn_Undo")
                                         .split(' ');
        const QStringList dropped{"in.bng", "bad.bng", "in.txt"};
        const auto openDialogs = [&] {
            QList<QWidget*> open;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top != &w && top->isVisible()) open << top;
            return open;
        };
        int opened = 0, closed = 0, runs[2] = {0, 0}, takeBacks = 0, declined = 0, drops[2] = {0, 0}; // refused, taken
        for (int step = 0; step < steps; ++step) {
            const int answer = rng.bounded(3) == 0 ? vbNo : vbYes;
            g.platform.answers = {answer};
            g.platform.asked.clear();
            const auto record = g.m.CallRecord();
            const int what = int(rng.bounded(15)); // drops and dialog buttons less often than the rest
            const bool wasEditing = g.m.IsEditMode();
            const auto dialogs = openDialogs().size();
            if (what < 4) { // Ctrl+Z is the take-back
                const Qt::Key key = keys[rng.bounded(int(std::size(keys)))];
                QTest::keyClick(&w, key,
                                (key == Qt::Key_Z ? Qt::ControlModifier : Qt::NoModifier) |
                                    (rng.bounded(8) == 0 ? Qt::ShiftModifier : Qt::NoModifier));
            } else if (what < 8) { // a cell or LBInput
                QTest::mouseClick(what < 6 ? w.cell(int(rng.bounded(kBoxes))) : w.findChild<QLabel*>("LBInput"),
                                  Qt::LeftButton);
            } else if (what < 12) { // the sheets' context menu opens only in edit mode
                const QString name = commands[rng.bounded(int(commands.size()))];
                QAction* a = w.action(name);
                if (a->isEnabled() && (g.m.IsEditMode() || !name.startsWith("mnPop"))) a->trigger();
            } else if (what < 14) { // OK, Cancel, Default or Close of an open dialog
                QList<QPushButton*> buttons;
                for (QWidget* dialog : openDialogs())
                    buttons << dialog->findChildren<QPushButton*>();
                if (!buttons.isEmpty()) QTest::mouseClick(buttons[rng.bounded(int(buttons.size()))], Qt::LeftButton);
            } else { // only a .bng is taken, not in a run or under a dialog (the main window tests have the rest)
                const QString name = dropped[rng.bounded(int(dropped.size()))];
                const RecoveryState before = CaptureRecovery(g.m); // the document and the run
                const bool mayOpen = wasEditing && !QApplication::activeModalWidget();
                QMimeData data;
                data.setUrls({QUrl::fromLocalFile(Q(folder) + name)});
                QDragEnterEvent enter(w.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QDropEvent event(w.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(&w, &enter), QApplication::sendEvent(&w, &event);
                QCoreApplication::processEvents(); // the Open it queued
                const bool taken = event.isAccepted();
                drops[taken] += taken || !wasEditing; // refused during a run
                QVERIFY2(taken == (mayOpen && name.endsWith(".bng")) && enter.isAccepted() == taken &&
                             (taken || CaptureRecovery(g.m) == before),
                         qPrintable(QString("step %1: a drop of %2 %3").arg(step).arg(name).arg(taken)));
            }
            if (rng.bounded(4) == 0 && w.timer1().isActive()) g.m.Timer1_Timer();
            runs[g.m.run.SysSetting.RunMode] += wasEditing && !g.m.IsEditMode();
            opened += openDialogs().size() > dialogs;
            closed += openDialogs().size() < dialogs;
            CHECK_STEP(Broken(g.m));
            // The question about a take-back: No leaves the run alone, Yes removes exactly the latest call.
            if (!g.platform.asked.filter(" | 取り消し | ").isEmpty()) {
                const auto& now = g.m.CallRecord();
                QVERIFY2(answer == vbYes
                             ? now.size() + 1 == record.size() && std::equal(now.begin(), now.end(), record.begin())
                             : now == record,
                         qPrintable(QString("step %1: take-back").arg(step)));
                ++(answer == vbYes ? takeBacks : declined);
            }
            // Found as a fault: clearing or filling sheets, and saving, changed the mark after their last
            // change notice, so the keeper kept or removed the file on a stale view of the document.
            CHECK_STEP(RecoveryBroken(g.m, ReadRecovery(folder)));
            // Now and then the edits' delayed write is let happen: then the file is there exactly when a
            // crash would lose something, holds what the window shows, and nothing else lies beside it.
            if (step % 2000 == 1999) {
                QTRY_VERIFY2_WITH_TIMEOUT(g.m.IsEditMode() && g.m.doc.DocChanged == 0
                                              ? ReadRecovery(folder).status == RecoveryFile::Status::None
                                              : ReadRecovery(folder).status == RecoveryFile::Status::Read &&
                                                    ReadRecovery(folder).state == CaptureRecovery(g.m),
                                          qPrintable(QString("step %1: the recovery file did not settle").arg(step)),
                                          1500);
                const QStringList known =
                    dropped + QStringList{kRecoveryFileName, "numbalo.rcv.lock", kSettingsFileName};
                for (const QString& name :
                     QDir(Q(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
                    QVERIFY2(known.contains(name), qPrintable("left in the folder: " + name));
            }
            const int b = int(rng.bounded(kBoxes)); // the window shows what the model holds
            QCOMPARE(w.cell(b)->text(), Q(g.m.view.BBox[b].Caption));
        }
        keeper.Finish();
        QVERIFY(ReadRecovery(folder).status == RecoveryFile::Status::None);
        // Every kind of step happened: runs of both modes, dialogs, both answers to a take-back, both kinds of drop.
        QVERIFY(runs[0] > 0 && runs[1] > 0 && opened > 0 && closed > 0);
        QVERIFY(takeBacks > 0 && declined > 0 && drops[0] > 0 && drops[1] > 0);
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
