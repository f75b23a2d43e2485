// Benchmarks of the game module, the files and the main window. Prints one table; the
// targets are shown beside the figures and never make the program fail.
#include "benchsupport.h"

#include "fonts.h"
#include "frmmain.h"
#include "modmain.h"
#include "qtplatform.h"
#include "recoverykeeper.h"
#include "settingsfile.h"
#include "sheetdocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The window's platform with every question answered Yes.
class YesPlatform : public QtPlatform {
public:
    int MsgBox(const std::string&, int, const std::string&) override { return vbYes; }
};

// Notes the first paint of any widget.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        painted = painted || e->type() == QEvent::Paint;
        return false;
    }
};

// The numbers 0..99 in a fixed shuffled order: the calls of every game below.
std::array<int, 100> CallOrder() {
    std::array<int, 100> order{};
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    return order;
}
const std::array<int, 100> kOrder = CallOrder();

// Eight full sheets with free holes and names that only CP932 can store.
void FillSheets(modMain& m) {
    static const char* const kDigits[] = {"１", "２", "３", "４", "５", "６", "７", "８"};
    for (int s = 0; s < kSheets; ++s) {
        m.FillSheetRandom(s);
        m.view.BBox[s * kCellsPerSheet + 12].Caption = "@";
        m.view.BSheet[s] = std::string("ビンゴ表・第") + kDigits[s] + "号";
    }
}

void Call(modMain& m, int number) {
    m.view.LBInput = std::to_string(number);
    m.CallNumber();
}

// A run of the given mode on full sheets with the first `calls` numbers of kOrder called.
struct Game {
    QuietPlatform platform;
    modMain m{platform};
    Game(int runMode, int calls) {
        m.run.SysSetting = {static_cast<std::int16_t>(runMode), 0, 99};
        FillSheets(m);
        m.Start();
        for (int i = 0; i < calls; ++i)
            Call(m, kOrder[i]);
    }
};

// What an evaluation or a call changes, to put a game back between timed rounds.
struct Snapshot {
    std::array<std::int16_t, kHistorySize + 1> log{};
    std::array<std::int16_t, kBoxes + 1> hits{};
    std::array<std::pair<Colour, Colour>, kBoxes> colours{};
    std::string count;
    explicit Snapshot(const modMain& m) : log(m.run.NumLog), hits(m.run.HitFlag), count(m.view.LBNum) {
        for (int b = 0; b < kBoxes; ++b)
            colours[b] = {m.view.BBox[b].ForeColor, m.view.BBox[b].BackColor};
    }
    void Restore(modMain& m) const {
        m.run.NumLog = log;
        m.run.HitFlag = hits;
        m.view.LBNum = count;
        for (int b = 0; b < kBoxes; ++b)
            std::tie(m.view.BBox[b].ForeColor, m.view.BBox[b].BackColor) = colours[b];
    }
};

void GameBenchmarks(Table& table) {
    { // The evaluation of the 40th call, from the state before it.
        Game g(0, 39);
        const Snapshot before(g.m);
        Call(g.m, kOrder[39]);
        const std::int16_t called = g.m.run.NumLog[0];
        const Stats s = Measure(
            20000,
            [&](int) {
                before.Restore(g.m);
                g.m.run.NumLog[0] = called;
            },
            [&](int) { g.m.EvaluateSheets(); });
        table.Timed("EvaluateSheets, 8 full sheets, 40th call", s, "us", 50);
    }
    { // A whole call: count, history shift, evaluation; one of the 61 uncalled numbers.
        Game g(0, 39);
        const Snapshot before(g.m);
        const Stats s = Measure(
            20000,
            [&](int i) {
                before.Restore(g.m);
                g.m.view.LBInput = std::to_string(kOrder[39 + i % 61]);
            },
            [&](int) { g.m.CallNumber(); });
        table.Timed("CallNumber (RealRun), 40th call", s, "us", 50);
    }
    { // A roulette tick with one number of 0..99 left: about 100 draws.
        Game g(1, 99);
        if (g.m.view.LBNum != "99" || !g.m.view.Timer1Enabled)
            std::fprintf(stderr, "warning: roulette not set up (LBNum %s)\n", g.m.view.LBNum.c_str());
        const Stats s = Measure(20000, [&](int) { g.m.Timer1_Timer(); });
        if (g.m.view.LBInput != std::to_string(kOrder[99]))
            std::fprintf(stderr, "warning: the tick drew %s\n", g.m.view.LBInput.c_str());
        table.Timed("Timer1_Timer (RandRun), 99 of 100 called", s, "us", 50);
    }
    { // The number board's outlook of every sheet, after 39 calls: waiting numbers, cells to go, exact odds.
        Game g(0, 39);
        double sink = 0;
        const Stats s = Measure(5000, [&](int) {
            for (int sheet = 0; sheet < kSheets; ++sheet)
                sink += g.m.Outlook(sheet).soon.value_or(0);
        });
        table.Timed("Odds of eight sheets, 8 full sheets, 39 calls", s, "us", 200);
        const DocumentContent sheets = g.m.CaptureDocument();
        std::size_t found = 0;
        table.Timed("Check of eight full sheets, column bands on",
                    Measure(20000, [&](int) { found += CheckSheets(sheets, g.m.run.SysSetting, true).size(); }), "us",
                    20);
        if (sink < 0 || found == 0)
            std::fprintf(stderr, "warning: negative odds or no finding\n");
    }
}

void FileBenchmarks(Table& table) {
    QTemporaryDir dir;
    QuietPlatform platform;
    modMain m(platform);
    m.run.SysSetting = {0, 0, 99};
    FillSheets(m);
    m.AppFolder = m.doc.DocDir = dir.path().toStdString() + "/";
    m.doc.DocName = "bench.bng";
    bool ok = true;
    table.Timed("SaveDocument, full sheets, CP932 names", Measure(300, [&](int) { ok &= SaveDocument(m); }), "us", 0);
    table.Timed("LoadDocument, same file", Measure(2000, [&](int) { ok &= LoadDocument(m); }), "us", 0);
    ok &= SaveSettings(m);
    table.Timed("LoadSettings, valid file", Measure(2000, [&](int) { LoadSettings(m); }), "us", 0);
    if (!ok || m.view.BSheet[7] != "ビンゴ表・第８号")
        std::fprintf(stderr, "warning: a save or load failed\n");
}

// Runs the event loop for the given time; returns the CPU share in percent of one core.
double CpuShareWhileRunning(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    const double cpuBefore = CpuSeconds();
    wall.start();
    loop.exec();
    return 100.0 * (CpuSeconds() - cpuBefore) / (static_cast<double>(wall.nsecsElapsed()) / 1e9);
}

void SendKey(QWidget& w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&w, &release);
}

// Enter after two typed digits: the key handled (with everything that follows the call at once), and to the call
// shown and the window repainted.
void CallToRepaint(Table& table, modMain& m, frmMain& w, const std::string& handledRow, const std::string& repaintRow,
                   double target, double repaintTarget = 0) {
    constexpr int kCallsPerRun = 40;
    std::vector<double> handled;
    QElapsedTimer clock;
    const auto setup = [&](int i) {
        if (i % kCallsPerRun == 0) {
            if (!m.IsEditMode())
                m.End();
            w.action("mn_Start")->trigger();
        }
        const int n = kOrder[i % kCallsPerRun];
        SendKey(w, Qt::Key_0 + n / 10, QString::number(n / 10));
        SendKey(w, Qt::Key_0 + n % 10, QString::number(n % 10));
        QCoreApplication::processEvents();
        if (m.view.LBInput != std::to_string(n))
            std::fprintf(stderr, "warning: typed %d, input shows %s\n", n, m.view.LBInput.c_str());
    };
    const Stats s = Measure(200, setup, [&](int) {
        clock.start();
        SendKey(w, Qt::Key_Return, "\r");
        handled.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e3);
        w.repaint();
    });
    handled.erase(handled.begin(), handled.begin() + static_cast<long>(handled.size() - 200));
    table.Timed(handledRow, Summarise(handled), "ms", target);
    table.Timed(repaintRow, s, "ms", repaintTarget > 0 ? repaintTarget : target);
}

void WindowBenchmarks(Table& table, modMain& m, frmMain& w, QtPlatform& platform) {
    FillSheets(m);
    m.Refresh();
    QCoreApplication::processEvents();

    CallToRepaint(table, m, w, "Enter key to call handled (its own repaints)",
                  "Enter key to call + whole window repaint()", 5);
    { // The same with the number board open and following every call.
        w.action("mnBoard")->trigger();
        CallToRepaint(table, m, w, "Enter key to call + board", "Enter key to call + repaint(), number board open", 1,
                      5);
        w.action("mnBoard")->trigger();
    }
    { // The same with the recovery file written at every call, synced with its folder before the call
      // is shown: it must stay within a frame.
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString() + "/";
        RecoveryKeeper keeper(m, platform, folder);
        keeper.Watch();
        CallToRepaint(table, m, w, "Enter key to call handled, recovery file kept",
                      "Enter key to call + repaint(), recovery file kept", 16);
        if (const RecoveryFile file = ReadRecovery(folder); !file.state.run || file.state.run->calls != m.CallRecord())
            std::fprintf(stderr, "warning: the recovery file does not hold the run\n");
        if (!m.IsEditMode())
            m.End();
        keeper.Finish();
    }
    { // The whole window painted again, nothing changed: edit mode, then a run with hits, reaches and bingos.
        if (!m.IsEditMode())
            m.End();
        QCoreApplication::processEvents();
        table.Timed("Whole window repaint(), edit mode", Measure(500, [&](int) { w.repaint(); }), "ms", 2);
        w.action("mn_Start")->trigger();
        for (int i = 0; i < 40; ++i)
            Call(m, kOrder[i]);
        QCoreApplication::processEvents();
        table.Timed("Whole window repaint(), run after 40 calls", Measure(500, [&](int) { w.repaint(); }), "ms", 2);
    }
    { // Memory after 10,000 calls with the window mirroring every one.
        m.End();
        w.action("mn_Start")->trigger();
        std::vector<double> samples;
        QElapsedTimer clock;
        for (int i = 0; i < 10000; ++i) {
            clock.start();
            Call(m, i % 100);
            samples.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e3);
        }
        table.Timed("CallNumber with window mirroring (10,000 run)", Summarise(std::move(samples)), "us", 0);
        table.Figure("VmRSS after 10,000 calls", "1", ResidentMiB(), "MiB");
        m.End();
    }
    { // CPU share idle in edit mode, then while the roulette rolls.
        QCoreApplication::processEvents();
        table.Figure("CPU share, idle in edit mode, 3 s", "1", CpuShareWhileRunning(3000), "%");
        int ticks = 0;
        QObject::connect(&w.timer1(), &QTimer::timeout, &w, [&] { ++ticks; });
        w.action("RandRun")->trigger();
        w.action("mn_Start")->trigger();
        if (!w.timer1().isActive())
            std::fprintf(stderr, "warning: the roulette is not rolling\n");
        const double share = CpuShareWhileRunning(3000);
        table.Figure("CPU share, RandRun roulette rolling, 3 s (ticks)", std::to_string(ticks), share, "%");
        m.End();
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();

    // From main() to the main window painted, as the program starts but without the splash wait.
    QApplication app(argc, argv);
    SetUpApplication();
    YesPlatform platform;
    modMain m(platform);
    // A settings file as a normal start finds it; writing it is left out of the time.
    const qint64 prepareStart = sinceStart.nsecsElapsed();
    QTemporaryDir appFolder;
    m.AppFolder = appFolder.path().toStdString() + "/";
    SetDefaultSettings(m);
    SaveSettings(m);
    const qint64 prepareTime = sinceStart.nsecsElapsed() - prepareStart;
    LoadSettings(m);
    frmMain w(m, platform);
    PaintWatch watch;
    app.installEventFilter(&watch);
    w.show();
    while (!watch.painted && sinceStart.elapsed() < 10000)
        QCoreApplication::processEvents();
    const double startupMs = static_cast<double>(sinceStart.nsecsElapsed() - prepareTime) / 1e6;
    app.removeEventFilter(&watch);
    const double residentAtStart = ResidentMiB();

    Table table;
    GameBenchmarks(table);
    FileBenchmarks(table);
    table.Figure("Start: main() to main window painted", "1", startupMs, "ms");
    table.Figure("VmRSS with the main window shown", "1", residentAtStart, "MiB");
    WindowBenchmarks(table, m, w, platform);
    table.Print();
    return 0;
}
