// Long games and random input: the rules' invariants hold after every step.
#include "celllabel.h"
#include "fakeplatform.h"
#include "frmmain.h"
#include "numbers.h"

// Runs one step; returns a description of the first invariant it broke, or an empty text.
template <class Step> QString Broken(const modMain& m, Step step) {
    const auto hitsBefore = m.HitFlag;
    const bool wasRunning = !m.IsEditMode();
    step();
    int selected = 0;
    for (int b = 0; b < kBoxes; ++b) {
        const std::string& t = m.BBox[b].Caption;
        const auto v = ParseNumber(t);
        if (!t.empty() && t != "@" && !(v && *v >= 0 && *v <= 99))
            return QString("cell %1 holds '%2'").arg(b).arg(Q(t));
        if (wasRunning && !m.IsEditMode() && hitsBefore[b] == -1 && m.HitFlag[b] != -1)
            return QString("hit flag %1 went back during a run").arg(b);
        selected += m.BBox[b].BackColor == Colour::Navy && m.BBox[b].ForeColor == Colour::White;
    }
    if (m.IsEditMode() && (selected != 1 || m.BBox[m.CurBox].BackColor != Colour::Navy))
        return QString("%1 cells look selected in edit mode").arg(selected);
    return {};
}

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
        frmMain w(g.m, g.platform, std::make_unique<FakeDialogs>()); // every file dialog cancelled
        w.show();
        QRandomGenerator rng(2024);
        const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Tab, Qt::Key_Return,
                                Qt::Key_At, Qt::Key_0, Qt::Key_3, Qt::Key_7, Qt::Key_9};
        const QStringList commands{"mn_New", "mnDelete", "mn_SheetDel", "mn_Clear", "mn_Start", "mn_End", "mnSheetRand",
                                   "mnRand", "mnFreehole", "mn_Save", "mn_Open", "mnPopHole", "RealRun", "RandRun",
                                   "Start", "Stop", "Random", "FreeHole", "Del", "mnSheetAbout", "mnOption",
                                   "mnSheetName", "mn_Ver"};
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
        QElapsedTimer clock;
        clock.start();
        int opened = 0, closed = 0, runs[2] = {0, 0};
        for (int step = 0; step < steps; ++step) {
            g.platform.answers = {rng.bounded(3) == 0 ? vbNo : vbYes};
            const QString broken = Broken(g.m, [&] {
                const int what = int(rng.bounded(7)); // keys twice as often as the rest
                const bool wasEditing = g.m.IsEditMode();
                const auto dialogs = openDialogs().size();
                if (what < 2)
                    QTest::keyClick(&w, keys[rng.bounded(int(std::size(keys)))],
                                    rng.bounded(8) == 0 ? Qt::ShiftModifier : Qt::NoModifier);
                else if (what < 4) // a cell or LBInput
                    QTest::mouseClick(what == 2 ? w.cell(int(rng.bounded(kBoxes))) : w.findChild<QLabel*>("LBInput"),
                                      Qt::LeftButton);
                else if (what < 6) {
                    if (QAction* a = control(commands[rng.bounded(int(commands.size()))]); a->isEnabled())
                        a->trigger();
                } else if (QPushButton* button = dialogButton())
                    QTest::mouseClick(button, Qt::LeftButton);
                if (rng.bounded(4) == 0 && w.timer1().isActive()) g.m.Timer1_Timer();
                runs[g.m.SysSetting.RunMode] += wasEditing && !g.m.IsEditMode();
                opened += openDialogs().size() > dialogs;
                closed += openDialogs().size() < dialogs;
            });
            QVERIFY2(broken.isEmpty(), qPrintable(QString("step %1: %2").arg(step).arg(broken)));
            const int b = int(rng.bounded(kBoxes)); // the window shows what the model holds
            QCOMPARE(w.cell(b)->text(), Q(g.m.BBox[b].Caption));
        }
        qInfo("%d steps in %.1f s: %d RealRun and %d RandRun runs started, dialogs %d times opened, %d closed",
              steps, double(clock.elapsed()) / 1000, runs[0], runs[1], opened, closed);
        QVERIFY(runs[0] > 0 && runs[1] > 0 && opened > 0 && closed > 0);
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
