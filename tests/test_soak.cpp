// Long games and random input: the rules' invariants hold after every step.
#include "celllabel.h"
#include "fakeplatform.h"
#include "frmmain.h"
#include "numbers.h"
#include "qtfakes.h"

#include <QApplication>
#include <QMenu>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <set>

namespace {
bool IsCellText(const std::string& t) {
    if (t.empty() || t == "@")
        return true;
    const auto v = ParseNumber(t);
    return v && *v >= 0 && *v <= 99;
}

// Checks the invariants of the display model; returns a description of the first broken one.
QString Broken(const modMain& m, const std::array<std::int16_t, kBoxes + 1>& hitsBefore, bool wasRunning) {
    for (int b = 0; b < kBoxes; ++b) {
        if (!IsCellText(m.BBox[b].Caption))
            return QString("cell %1 holds '%2'").arg(b).arg(QString::fromStdString(m.BBox[b].Caption));
        if (wasRunning && !m.IsEditMode() && hitsBefore[b] == -1 && m.HitFlag[b] != -1)
            return QString("hit flag %1 went back during a run").arg(b);
    }
    if (m.IsEditMode()) {
        int selected = 0;
        for (int b = 0; b < kBoxes; ++b)
            selected += m.BBox[b].BackColor == Colour::Navy && m.BBox[b].ForeColor == Colour::White;
        if (selected != 1 || m.BBox[m.CurBox].BackColor != Colour::Navy)
            return QString("%1 cells look selected in edit mode").arg(selected);
    }
    return {};
}

class CancelledDialogs : public FileDialogs {
public:
    std::optional<std::string> GetOpenFileName() override { return std::nullopt; }
    std::optional<std::string> GetSaveFileName() override { return std::nullopt; }
};
} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void thousandRandRunGames() {
        Game g;
        QRandomGenerator rng(42);
        for (int game = 0; game < 1000; ++game) {
            const auto lo = static_cast<std::int16_t>(rng.bounded(76));
            const auto hi = static_cast<std::int16_t>(lo + 24 + rng.bounded(100 - lo - 24));
            g.m.SysSetting = {1, lo, hi};
            g.m.FillSheetRandom(game % kSheets);
            g.m.Start();
            int calls = 0;
            std::set<int> called;
            while (!g.m.IsEditMode()) {
                auto before = g.m.HitFlag;
                const bool running = !g.m.IsEditMode();
                g.m.Timer1_Timer();
                if (!g.m.LBInput.empty()) {
                    called.insert(std::stoi(g.m.LBInput));
                    g.m.LBInput_Click();
                    ++calls;
                }
                const QString broken = Broken(g.m, before, running);
                QVERIFY2(broken.isEmpty(), qPrintable(broken));
                QVERIFY(calls <= hi - lo + 1);
            }
            QCOMPARE(calls, hi - lo + 1);
            QCOMPARE(int(called.size()), calls);
        }
    }

    void tenThousandRealRunCalls() {
        Game g;
        QRandomGenerator rng(7);
        for (int s = 0; s < kSheets; ++s)
            g.m.FillSheetRandom(s);
        g.m.Start();
        for (int call = 1; call <= 10000; ++call) {
            auto before = g.m.HitFlag;
            g.m.Form_KeyDown(vk::Digit0 + int(rng.bounded(10)), 0);
            g.m.Form_KeyDown(vk::Numpad0 + int(rng.bounded(10)), 0);
            g.m.Form_KeyDown(vk::Return, 0);
            const QString broken = Broken(g.m, before, true);
            QVERIFY2(broken.isEmpty(), qPrintable(broken));
        }
        QCOMPARE(g.m.LBNum, std::string("10000"));
        g.m.End();
        QVERIFY(g.m.IsEditMode());
    }

    void monkeyOnTheWindow() {
        QTemporaryDir dir;
        ScriptedQtPlatform platform;
        modMain m(platform);
        m.AppFolder = dir.path().toStdString() + "/";
        m.SysSetting = {0, 0, 99};
        frmMain w(m, platform, std::make_unique<CancelledDialogs>());
        w.show();
        QRandomGenerator rng(2024);
        const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Tab,
                                Qt::Key_Return, Qt::Key_At, Qt::Key_0, Qt::Key_3, Qt::Key_7, Qt::Key_9};
        const char* commands[] = {"mn_New", "mnDelete", "mn_SheetDel", "mn_Clear", "mn_Start", "mn_End",
                                  "mnSheetRand", "mnRand", "mnFreehole", "mn_Save", "mn_Open", "mnPopHole"};
        const char* buttons[] = {"RealRun", "RandRun", "Start", "Stop", "Random", "FreeHole", "Del"};
        for (int step = 0; step < 4000; ++step) {
            platform.answers = {rng.bounded(3) == 0 ? vbNo : vbYes};
            auto before = m.HitFlag;
            const bool running = !m.IsEditMode();
            switch (rng.bounded(6)) {
            case 0:
            case 1:
                QTest::keyClick(&w, keys[rng.bounded(int(std::size(keys)))],
                                rng.bounded(8) == 0 ? Qt::ShiftModifier : Qt::NoModifier);
                break;
            case 2:
                QTest::mouseClick(w.cell(int(rng.bounded(kBoxes))), Qt::LeftButton);
                break;
            case 3:
                QTest::mouseClick(w.findChild<CellLabel*>("LBInput"), Qt::LeftButton);
                break;
            case 4:
                if (QAction* a = w.action(commands[rng.bounded(int(std::size(commands)))]); a->isEnabled())
                    a->trigger();
                break;
            default:
                if (QAction* a = w.toolButton(buttons[rng.bounded(int(std::size(buttons)))]); a->isEnabled())
                    a->trigger();
                break;
            }
            if (rng.bounded(4) == 0)
                w.timer1().isActive() ? m.Timer1_Timer() : void();
            const QString broken = Broken(m, before, running);
            QVERIFY2(broken.isEmpty(), qPrintable(QString("step %1: %2").arg(step).arg(broken)));
            // The window shows what the model holds.
            const int b = int(rng.bounded(kBoxes));
            QCOMPARE(w.cell(b)->text().toStdString(), m.BBox[b].Caption);
        }
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
