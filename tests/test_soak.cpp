// Long games and random input: the rules' invariants hold after every step.
#include "celllabel.h"
#include "fakeplatform.h"
#include "frmmain.h"
#include "numbers.h"
#include "recoveryjournal.h"
#include "recoverykeeper.h"

#include <cmath>
#include <sys/stat.h>

// Runs one step; returns a description of the first invariant it broke, or an empty text.
template <class Step> QString Broken(const modMain& m, Step step) {
    const auto hitsBefore = m.HitFlag;
    const bool wasRunning = !m.IsEditMode();
    const std::size_t callsBefore = m.CallRecord().size();
    step();
    const bool tookBack = m.CallRecord().size() < callsBefore;
    int selected = 0;
    for (int b = 0; b < kBoxes; ++b) {
        const std::string& t = m.BBox[b].Caption;
        const auto v = ParseNumber(t);
        if (!t.empty() && t != "@" && !(v && *v >= 0 && *v <= 99))
            return QString("cell %1 holds '%2'").arg(b).arg(Q(t));
        if (wasRunning && !m.IsEditMode() && !tookBack && hitsBefore[b] == -1 && m.HitFlag[b] != -1)
            return QString("hit flag %1 went back during a run").arg(b);
        selected += m.BBox[b].BackColor == Colour::Navy && m.BBox[b].ForeColor == Colour::White;
    }
    if (m.IsEditMode() && (selected != 1 || m.BBox[m.CurBox].BackColor != Colour::Navy))
        return QString("%1 cells look selected in edit mode").arg(selected);
    return {};
}

namespace {
// What a run shows follows from its call record alone: the count, the history, and a cell is hit
// exactly when it is a free hole or its number was called (a take-back included).
QString RunBroken(const modMain& m) {
    if (m.IsEditMode()) return {};
    const auto& record = m.CallRecord();
    if (int(record.size()) != m.DrawCount())
        return QString("%1 calls recorded, %2 counted").arg(record.size()).arg(m.DrawCount());
    std::array<bool, 101> called{};
    for (std::size_t i = 0; i < record.size(); ++i) {
        called[std::size_t(record[i])] = true;
        if (const std::size_t back = record.size() - 1 - i;
            back < kHistorySize && m.NumLog[back] != record[i])
            return QString("history %1 shows %2, the record %3").arg(back).arg(m.NumLog[back]).arg(record[i]);
    }
    for (int b = 0; b < kBoxes; ++b) {
        const std::string& t = m.BBox[b].Caption;
        const double v = CellValue(t);
        const bool hit = t == "@" || (v == std::floor(v) && v >= 0 && v <= 100 && called[std::size_t(v)]);
        if (hit != (m.HitFlag[b] != 0))
            return QString("cell %1 ('%2') hit %3 after calls %4")
                .arg(b)
                .arg(Q(t))
                .arg(m.HitFlag[b])
                .arg(record.size());
    }
    return {};
}

// What the recovery file must hold now: the sheets, the document and the run in progress.
RecoveryState Expected(const modMain& m) {
    RecoveryState s;
    for (int i = 0; i < kSheets; ++i)
        s.names[std::size_t(i)] = m.BSheet[std::size_t(i)];
    for (int b = 0; b < kBoxes; ++b)
        s.cells[std::size_t(b)] = m.BBox[std::size_t(b)].Caption;
    s.docDir = m.DocDir;
    s.docName = m.DocName;
    s.docChanged = m.DocChanged != 0;
    if (!m.IsEditMode())
        s.run = RecoveryRun{m.SysSetting.RunMode, m.SysSetting.MinNumber, m.SysSetting.MaxNumber,
                            m.CallRecord(),       m.DrawCount(),          m.SysSetting.RunMode == 1};
    return s;
}

// What of the recovery file differs from what it should hold now.
QString Unlike(const modMain& m, const RecoveryFile& file) {
    if (file.status != RecoveryFile::Status::Read)
        return QString("no file (%1), %2, changed %3")
            .arg(int(file.status))
            .arg(Q(m.LBLineMess))
            .arg(m.DocChanged);
    const RecoveryState now = Expected(m), &f = file.state;
    QStringList unlike;
    if (f.names != now.names) unlike << "names";
    if (f.cells != now.cells) unlike << "cells";
    if (f.docDir != now.docDir || f.docName != now.docName)
        unlike << "document " + Q(f.docName) + " for " + Q(now.docName);
    if (f.docChanged != now.docChanged)
        unlike << QString("changed %1 for %2").arg(f.docChanged).arg(now.docChanged);
    if (f.run != now.run) unlike << QString("run %1 for %2").arg(bool(f.run)).arg(bool(now.run));
    return unlike.join(", ");
}

// Right after any step: a run is in the file at once, an unchanged document leaves none, and an
// edit-mode file (its write may wait for the end of a burst of typing) holds no run.
QString RecoveryBroken(const modMain& m, const RecoveryFile& file) {
    if (file.status == RecoveryFile::Status::Bad) return "the recovery file does not read back";
    const bool exists = file.status == RecoveryFile::Status::Read;
    if (!m.IsEditMode()) {
        if (!exists || !file.state.run) return "a run is on without its recovery file";
        const RecoveryState now = Expected(m);
        if (file.state.run != now.run || file.state.cells != now.cells)
            return QString("the recovery file holds %1 calls, the run %2")
                .arg(file.state.run->calls.size())
                .arg(m.CallRecord().size());
    } else if (exists && (m.DocChanged == 0 || file.state.run))
        return "a recovery file with nothing to lose";
    return {};
}

// The document alone: where it lives, its names and cells.
QString Document(const modMain& m) {
    QString out = Q(m.DocDir + m.DocName);
    for (int s = 0; s < kSheets; ++s)
        out += '|' + Q(m.BSheet[s]) + '\n' + SheetText(m, s);
    return out;
}

// Tells one write of a file from the next: a replacing rename gives a new inode or change time.
QString Version(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0
               ? QString("%1.%2.%3").arg(st.st_ino).arg(st.st_ctim.tv_sec).arg(st.st_ctim.tv_nsec)
               : QString();
}
} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void thousandRandRunGames() {
        Game g;
        QRandomGenerator rng(42);
        for (int game = 0; game < 1000; ++game) {
            const int lo = int(rng.bounded(76)), hi = lo + 24 + int(rng.bounded(100 - lo - 24));
            g.m.SysSetting = Setting(1, lo, hi);
            g.m.FillSheetRandom(game % kSheets);
            g.m.Start();
            QList<int> called;
            while (!g.m.IsEditMode() && called.size() <= hi - lo + 1) {
                const QString broken = Broken(g.m, [&] {
                    g.m.Timer1_Timer();
                    if (!g.m.LBInput.empty()) {
                        called << std::stoi(g.m.LBInput);
                        g.m.LBInput_Click();
                    }
                });
                QVERIFY2(broken.isEmpty(), qPrintable(broken));
            }
            QCOMPARE(called.size(), hi - lo + 1);
            QCOMPARE(QSet<int>(called.begin(), called.end()).size(), called.size()); // no number twice
        }
    }

    void tenThousandRealRunCalls() {
        Game g;
        QRandomGenerator rng(7);
        g.m.FillAllSheetsRandom();
        g.m.Start();
        for (int call = 1; call <= 10000; ++call) {
            const QString broken = Broken(g.m, [&] {
                g.m.Form_KeyDown(vk::Digit0 + int(rng.bounded(10)), 0);
                g.m.Form_KeyDown(vk::Numpad0 + int(rng.bounded(10)), 0);
                g.m.Form_KeyDown(vk::Return, 0);
            });
            QVERIFY2(broken.isEmpty(), qPrintable(broken));
        }
        QCOMPARE(Q(g.m.LBNum), "10000");
        g.m.End();
        QVERIFY(g.m.IsEditMode());
    }

    // NUMBALO_LONG=1: 100,000 steps instead of 4,000.
    void monkeyOnTheWindow() {
        const int steps = qEnvironmentVariable("NUMBALO_LONG") == "1" ? 100000 : 4000;
        Game g;
        const std::string folder = g.m.AppFolder;
        g.Write("in.bng", "Dropped\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n" + QByteArray("42,").repeated(200));
        g.Write("bad.bng", "junk");
        g.Write("in.txt", "Dropped");
        frmMain w(g.m, g.platform, std::make_unique<FakeDialogs>()); // every file dialog cancelled
        w.show();
        RecoveryKeeper keeper(g.m, g.platform, folder);
        QVERIFY(keeper.ownsRecovery());
        keeper.Watch();
        QRandomGenerator rng(2024);
        const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
            {Qt::Key_Left, {}}, {Qt::Key_Right, {}},  {Qt::Key_Up, {}}, {Qt::Key_Down, {}},
            {Qt::Key_Tab, {}},  {Qt::Key_Return, {}}, {Qt::Key_At, {}}, {Qt::Key_0, {}},
            {Qt::Key_3, {}},    {Qt::Key_7, {}},      {Qt::Key_9, {}},  {Qt::Key_Z, Qt::ControlModifier}};
        const QStringList commands{"mn_New",   "mnDelete",    "mn_SheetDel", "mn_Clear",   "mn_Start",
                                   "mn_End",   "mnSheetRand", "mnRand",      "mnFreehole", "mn_Save",
                                   "mn_Open",  "mnPopHole",   "RealRun",     "RandRun",    "Start",
                                   "Stop",     "Random",      "FreeHole",    "Del",        "mnSheetAbout",
                                   "mnOption", "mnSheetName", "mn_Ver",      "mn_Undo"};
        const QStringList dropped{"in.bng", "bad.bng", "in.txt"};
        const auto control = [&](const QString& n) { return w.action(n) ? w.action(n) : w.toolButton(n); };
        const auto openDialogs = [&] {
            QList<QWidget*> open;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top != &w && top->isVisible())
                    open << top;
            return open;
        };
        // A button of an open dialog: OK, Cancel, Default or Close.
        const auto dialogButton = [&]() -> QPushButton* {
            QList<QPushButton*> buttons;
            for (QWidget* dialog : openDialogs())
                buttons << dialog->findChildren<QPushButton*>();
            return buttons.isEmpty() ? nullptr : buttons[rng.bounded(int(buttons.size()))];
        };
        int drops[4] = {0, 0, 0, 0}; // taken; refused during a run, for not being a .bng, under a dialog
        // A file dropped on the window: refused during a run or under a modal dialog, and only one
        // .bng file is taken; a refused drop changes nothing, a taken one opens the file or reports it (the
        // save asked for first may have saved the sheets).
        const auto drop = [&](const QString& name) -> QString {
            const bool running = !g.m.IsEditMode();
            const bool mayOpen = !running && !QApplication::activeModalWidget();
            const QString document = Document(g.m);
            const int changed = g.m.DocChanged;
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(Q(folder) + name)});
            const QPointF at = w.rect().center();
            QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(&w, &enter);
            QDropEvent event(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&w, &event);
            QCoreApplication::processEvents(); // the Open it queued
            ++drops[event.isAccepted() ? 0 : running ? 1 : mayOpen ? 2 : 3];
            if (event.isAccepted() != (mayOpen && name.endsWith(".bng")) ||
                enter.isAccepted() != event.isAccepted())
                return QString("a drop of %1 %2").arg(name, event.isAccepted() ? "taken" : "refused");
            const bool same = Document(g.m) == document;
            if (!event.isAccepted() && (!same || g.m.DocChanged != changed))
                return "a refused drop changed the document";
            if (event.isAccepted() && name == "bad.bng" &&
                (!same || g.platform.asked.filter(" | 16").isEmpty()))
                return "an unreadable drop was not reported";
            if (name == "in.bng" && !same && (Q(g.m.DocName) != name || g.m.DocChanged != 0))
                return "a dropped document opened as " + Q(g.m.DocName);
            return {};
        };
        QElapsedTimer clock;
        clock.start();
        int opened = 0, closed = 0, runs[2] = {0, 0}, takeBacks = 0, declined = 0, writes = 0, settles = 0;
        QString written = Version(folder + kRecoveryFileName);
        for (int step = 0; step < steps; ++step) {
            const int answer = rng.bounded(3) == 0 ? vbNo : vbYes;
            g.platform.answers = {answer};
            g.platform.asked.clear();
            const auto record = g.m.CallRecord();
            QString dropBroken;
            const QString broken = Broken(g.m, [&] {
                const int what = int(rng.bounded(15)); // drops and dialog buttons less often than the rest
                const bool wasEditing = g.m.IsEditMode();
                const auto dialogs = openDialogs().size();
                if (what < 4) {
                    const auto& [key, modifiers] = keys[rng.bounded(int(std::size(keys)))];
                    QTest::keyClick(&w, key, rng.bounded(8) == 0 ? modifiers | Qt::ShiftModifier : modifiers);
                } else if (what < 8) // a cell or LBInput
                    QTest::mouseClick(what < 6 ? w.cell(int(rng.bounded(kBoxes)))
                                               : w.findChild<QLabel*>("LBInput"),
                                      Qt::LeftButton);
                else if (what < 12) {
                    // The sheets' context menu opens only in edit mode.
                    const QString name = commands[rng.bounded(int(commands.size()))];
                    if (QAction* a = control(name);
                        a->isEnabled() && (g.m.IsEditMode() || !name.startsWith("mnPop")))
                        a->trigger();
                } else if (what < 14) {
                    if (QPushButton* button = dialogButton()) QTest::mouseClick(button, Qt::LeftButton);
                } else {
                    dropBroken = drop(dropped[rng.bounded(int(dropped.size()))]);
                }
                if (rng.bounded(4) == 0 && w.timer1().isActive()) g.m.Timer1_Timer();
                runs[g.m.SysSetting.RunMode] += wasEditing && !g.m.IsEditMode();
                opened += openDialogs().size() > dialogs;
                closed += openDialogs().size() < dialogs;
            });
            QVERIFY2(broken.isEmpty(), qPrintable(QString("step %1: %2").arg(step).arg(broken)));
            QVERIFY2(dropBroken.isEmpty(), qPrintable(QString("step %1: %2").arg(step).arg(dropBroken)));
            // The question about a take-back: No leaves the run alone, Yes removes exactly the latest call.
            if (!g.platform.asked.filter(" | 取り消し | ").isEmpty()) {
                const auto& now = g.m.CallRecord();
                const bool tookBack =
                    now.size() + 1 == record.size() && std::equal(now.begin(), now.end(), record.begin());
                QVERIFY2(answer == vbYes ? tookBack : now == record,
                         qPrintable(QString("step %1: take-back").arg(step)));
                ++(answer == vbYes ? takeBacks : declined);
            }
            const QString runBroken = RunBroken(g.m);
            QVERIFY2(runBroken.isEmpty(), qPrintable(QString("step %1: %2").arg(step).arg(runBroken)));
            // Found as a fault: clearing or filling sheets, and saving, changed the mark after their last
            // change notice, so the keeper kept or removed the file on a stale view of the document.
            const QString recoveryBroken = RecoveryBroken(g.m, ReadRecovery(folder));
            QVERIFY2(recoveryBroken.isEmpty(),
                     qPrintable(QString("step %1: %2").arg(step).arg(recoveryBroken)));
            // Now and then the edits' delayed write is let happen: then the file is there exactly when a
            // crash would lose something, holds what the window shows, and nothing else lies beside it.
            if (step % 2000 == 1999) {
                const auto settled = [&] {
                    const RecoveryFile file = ReadRecovery(folder);
                    return g.m.IsEditMode() && g.m.DocChanged == 0
                               ? file.status == RecoveryFile::Status::None
                               : file.status == RecoveryFile::Status::Read && file.state == Expected(g.m);
                };
                QVERIFY2(QTest::qWaitFor(settled, 1500),
                         qPrintable(QString("step %1: not settled: %2")
                                        .arg(step)
                                        .arg(Unlike(g.m, ReadRecovery(folder)))));
                ++settles;
                const QStringList known{kRecoveryFileName, "numbalo.rcv.lock", kSettingsFileName,
                                        "in.bng",          "bad.bng",          "in.txt"};
                for (const QString& name :
                     QDir(Q(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
                    QVERIFY2(known.contains(name), qPrintable("left in the folder: " + name));
            }
            if (const QString version = Version(folder + kRecoveryFileName); version != written) {
                writes += !version.isEmpty();
                written = version;
            }
            const int b = int(rng.bounded(kBoxes)); // the window shows what the model holds
            QCOMPARE(w.cell(b)->text(), Q(g.m.BBox[b].Caption));
        }
        keeper.Finish();
        QVERIFY(ReadRecovery(folder).status == RecoveryFile::Status::None);
        qInfo(
            "%d steps in %.1f s: %d RealRun and %d RandRun runs started, dialogs %d times opened, %d closed, "
            "%d calls taken back and %d kept, %d recovery writes seen, %d settles, drops %d taken, refused "
            "%d during a run, %d not a .bng, %d under a dialog",
            steps, double(clock.elapsed()) / 1000, runs[0], runs[1], opened, closed, takeBacks, declined,
            writes, settles, drops[0], drops[1], drops[2], drops[3]);
        QVERIFY(runs[0] > 0 && runs[1] > 0 && opened > 0 && closed > 0);
        QVERIFY(takeBacks > 0 && declined > 0 && writes > 0 && drops[0] > 0 && drops[1] > 0);
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
