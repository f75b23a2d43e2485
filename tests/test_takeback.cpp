// Taking the latest call back and restoring a run: both must leave exactly the state that
// playing the remaining calls from Start leaves.
#include "fakeplatform.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {
// Everything a game depends on before Start.
struct Setup {
    SettingRecord settings;
    std::vector<std::string> cells; // kBoxes texts
    int curBox = 0;
};

// Random sheets whose numbers come from the range, with free holes, empty cells and numbers twice.
Setup RandomSetup(QRandomGenerator& rng, SettingRecord settings) {
    Setup s{settings, {}, int(rng.bounded(kBoxes))};
    for (int b = 0; b < kBoxes; ++b) {
        const int kind = int(rng.bounded(20));
        s.cells.push_back(kind == 0 ? "@"
                          : kind == 1
                              ? ""
                              : std::to_string(rng.bounded(int(settings.MinNumber), settings.MaxNumber + 1)));
    }
    return s;
}

std::unique_ptr<Game> Prepared(const Setup& s) {
    auto g = std::make_unique<Game>(s.settings);
    g->m.ShowRunModeButtons();
    g->m.DocDir = "/games/"; // the same folder in every game compared
    for (int b = 0; b < kBoxes; ++b)
        g->m.BBox[b].Caption = s.cells[std::size_t(b)];
    g->m.BBox_MouseDown(s.curBox, kLeftButton);
    return g;
}

// Start, then the calls one by one.
QString Played(const Setup& s, const std::vector<std::int16_t>& calls) {
    const auto g = Prepared(s);
    g->m.Start();
    for (int n : calls)
        g->Call(n);
    return Snapshot(g->m);
}

QString Restored(const Setup& s, const std::vector<std::int16_t>& calls) {
    const auto g = Prepared(s);
    g->m.RestoreRun(s.settings, calls, int(calls.size()), true);
    return g->platform.asked.isEmpty() ? Snapshot(g->m) : "asked " + g->platform.asked.join(", ");
}

const QString kQuestion23 = "番号 23 の呼び出しを取り消します。よろしいですか? | 取り消し | 52";
} // namespace

class TestTakeBack : public QObject {
    Q_OBJECT
  private slots:
    // Random games of calls and take-backs: after every take-back the game equals the remaining
    // calls played from Start, and equals those calls restored.
    void takeBackEqualsFewerCalls_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("lo");
        QTest::addColumn<int>("hi");
        QTest::addColumn<int>("games");
        QTest::newRow("RealRun past 100 calls, numbers repeat") << 0 << 0 << 99 << 120;
        QTest::newRow("RandRun 0..99 to the end of the range") << 1 << 0 << 99 << 40;
        QTest::newRow("RandRun 10..34 to the end of the range") << 1 << 10 << 34 << 100;
        QTest::newRow("RandRun 45..99 to the end of the range") << 1 << 45 << 99 << 60;
    }
    void takeBackEqualsFewerCalls() {
        QFETCH(int, mode);
        QFETCH(int, lo);
        QFETCH(int, hi);
        QFETCH(int, games);
        const int size = hi - lo + 1;
        for (int game = 0; game < games; ++game) {
            QRandomGenerator rng(quint32(1000 * mode + lo + 7919 * game));
            const Setup setup = RandomSetup(rng, Setting(mode, lo, hi));
            const auto a = Prepared(setup);
            a->m.Start();
            const int length = mode ? size : 101 + int(rng.bounded(60));
            std::vector<std::int16_t> calls;
            QStringList after; // after[k]: the state after the first k calls, just before the next
            bool playedAgain = false;
            while (int(calls.size()) < length) {
                if (calls.empty() || rng.bounded(8) != 0) {
                    after.resize(qsizetype(calls.size()));
                    after << Snapshot(a->m);
                    int n = int(rng.bounded(100));
                    if (mode) { // a roulette tick, then an uncalled number of the range, often the one shown
                        a->m.Timer1_Timer();
                        do
                            n = rng.bounded(2) ? Q(a->m.LBInput).toInt() : lo + int(rng.bounded(size));
                        while (std::find(calls.begin(), calls.end(), n) != calls.end());
                    }
                    a->Call(n);
                    calls.push_back(std::int16_t(n));
                    continue;
                }
                if (!mode) // a digit typed before the take-back
                    a->m.Form_KeyDown(vk::Digit0 + int(rng.bounded(10)), 0);
                for (int back = 1 + int(rng.bounded(3)); back > 0 && !calls.empty(); --back) {
                    QVERIFY(a->m.MenuEnabled("mn_Undo"));
                    a->platform.onAsk = [&] { // the roulette rolls on under the question
                        a->m.Timer1_Timer();
                        a->m.Timer1_Timer();
                    };
                    a->m.TakeBackLastCall();
                    calls.pop_back();
                }
                const QString state = Snapshot(a->m);
                QCOMPARE(state, after.value(qsizetype(calls.size())));
                if (!playedAgain && rng.bounded(4) == 0) { // once a game, against a fresh game and a restored one
                    QCOMPARE(state, Played(setup, calls));
                    QCOMPARE(Restored(setup, calls), state);
                    playedAgain = true;
                }
            }
            // The call that used up a RandRun range cannot be taken back; the next tick ends the run.
            QCOMPARE(a->m.MenuEnabled("mn_Undo"), !mode);
            QCOMPARE(Snapshot(a->m), Played(setup, calls));
            QCOMPARE(Restored(setup, calls), Snapshot(a->m));
            if (mode) {
                const qsizetype asked = a->platform.asked.size();
                a->m.TakeBackLastCall();
                QCOMPARE(a->platform.asked.size(), asked);
                a->m.Timer1_Timer();
                QVERIFY(a->m.IsEditMode());
            }
        }
    }

    void undoEnabledThroughARun_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("steps");   // s Start, c a call, t a roulette tick, n/y End answered No/Yes
        QTest::addColumn<QString>("enabled"); // before the steps, after each, and under each End question
        QTest::newRow("edit mode, no call yet, a call, paused, End No, paused, End Yes") << 0 << "scny"
                                                                                         << "0010100";
        QTest::newRow("RandRun: the call that used up 0..24, and the tick after it")
            << 1 << "s" + QString(25, 'c') + "t"
            << "00" + QString(24, '1') + "00";
    }
    void undoEnabledThroughARun() {
        QFETCH(int, mode);
        QFETCH(QString, steps);
        Game g(Setting(mode, 0, mode ? 24 : 99));
        const auto note = [&] { return QString(g.m.MenuEnabled("mn_Undo") ? "1" : "0"); };
        QString enabled = note();
        int n = 0;
        for (const QChar step : steps) {
            if (step == 's') {
                g.m.Start();
            } else if (step == 'c') {
                g.Call(n++);
            } else if (step == 't') {
                g.m.Timer1_Timer();
            } else {
                g.platform.answers = {step == 'y' ? vbYes : vbNo};
                g.platform.onAsk = [&] { enabled += note(); };
                g.m.End();
            }
            enabled += note();
        }
        QTEST(enabled, "enabled");
    }

    // What an answer does, and what happens while the question is open.
    void takeBackQuestion_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("meanwhile"); // under the question: "end", "call", "ticks" or ""
        QTest::addColumn<QString>("history");   // LBNum: LBLog(0) LBLog(1) afterwards
        QTest::newRow("No changes nothing") << 0 << int(vbNo) << ""
                                            << "3:23 12";
        QTest::newRow("Yes takes 23 back") << 0 << int(vbYes) << ""
                                           << "2:12 7";
        QTest::newRow("a call made meanwhile stays") << 0 << int(vbYes) << "call"
                                                     << "4:5 23";
        QTest::newRow("a run ended meanwhile stays ended") << 0 << int(vbYes) << "end"
                                                           << "0: ";
        QTest::newRow("RandRun: rolling under the question, Yes takes 23 back") << 1 << int(vbYes) << "ticks"
                                                                                << "2:12 7";
    }
    void takeBackQuestion() {
        QFETCH(int, mode);
        QFETCH(int, answer);
        QFETCH(QString, meanwhile);
        Game g(Setting(mode, 0, 99));
        g.m.Start();
        for (int n : {7, 12, 23})
            g.Call(n);
        g.m.DocChanged = -1;
        const QString before = Snapshot(g.m);
        QStringList rolled;
        g.platform.answers =
            meanwhile == "end" ? QList<int>{vbYes, answer} : QList<int>{answer}; // End's first
        g.platform.onAsk = [&] {
            if (meanwhile == "call")
                g.Call(5);
            else if (meanwhile == "end")
                g.m.End();
            for (int i = 0; i < 3 && meanwhile == "ticks"; ++i) {
                g.m.Timer1_Timer();
                rolled << Q(g.m.LBInput) + (g.m.Timer1Enabled ? "" : " stopped");
            }
        };
        g.m.TakeBackLastCall();
        QCOMPARE(g.platform.asked.value(1), kQuestion23); // after Start's
        QTEST(Q(g.m.LBNum + ":" + g.m.LBLog[0] + " " + g.m.LBLog[1]), "history");
        QCOMPARE(int(g.m.DocChanged), -1);
        QCOMPARE(rolled.size(), meanwhile == "ticks" ? 3 : 0);
        for (const QString& shown : rolled) // uncalled numbers, the roulette still on
            QVERIFY2(shown.toInt() >= 0 && !QStringList({"7", "12", "23"}).contains(shown),
                     qPrintable(shown));
        if (answer == vbNo) QCOMPARE(Snapshot(g.m), before);
    }

    // A number taken back is uncalled again: the roulette may show it, and the range's end counts it as not
    // drawn.
    void takenBackNumberIsDrawnAgain() {
        Game g(Setting(1, 0, 24));
        g.m.Start();
        for (int n = 0; n < 24; ++n)
            g.Call(n);
        g.m.TakeBackLastCall();
        g.platform.scripted = {0.93f}; // 23 of the two numbers left, 23 and 24
        g.m.Timer1_Timer();
        QCOMPARE(Q(g.m.LBInput + " " + g.m.LBNum), "23 23");
        g.m.LBInput_Click();
        g.m.Timer1_Timer(); // 24 is left: the run goes on
        QCOMPARE(Q(g.m.LBInput + " " + g.m.LBNum), "24 24");
        g.m.LBInput_Click();
        g.m.Timer1_Timer();
        QVERIFY(g.m.IsEditMode());
    }

    void restoreRun_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("rolling");
        QTest::addColumn<bool>("editMode"); // restored from edit mode; otherwise during a run
        QTest::addColumn<QString>("after"); // mode caption, timer, draw count
        QTest::newRow("RealRun: no roulette even when rolling")
            << 0 << true << true << "実行中 / 実戦形式 0 2";
        QTest::newRow("RandRun rolling") << 1 << true << true << "実行中 / 乱数形式 1 2";
        QTest::newRow("RandRun not rolling") << 1 << false << true << "実行中 / 乱数形式 0 2";
        QTest::newRow("during a run nothing changes") << 1 << true << false << "実行中 / 実戦形式 0 1";
    }
    void restoreRun() {
        QFETCH(int, mode);
        QFETCH(bool, rolling);
        QFETCH(bool, editMode);
        Game g(Setting(0, 0, 99));
        if (!editMode) {
            g.m.Start();
            g.Call(4);
        }
        const std::vector<std::int16_t> calls{9, 4};
        g.m.RestoreRun(Setting(mode, 10, 40), calls, 2, rolling);
        QTEST(QString("%1 %2 ").arg(Q(g.m.LBLineMess)).arg(g.m.Timer1Enabled) + Q(g.m.LBNum), "after");
        QCOMPARE(g.platform.asked.size(), editMode ? 0 : 1);
        QCOMPARE(g.m.SysSetting, editMode ? Setting(mode, 10, 40) : Setting(0, 0, 99));
        QCOMPARE(g.m.RandRunPressed, editMode && mode == 1);
    }
};

QTEST_GUILESS_MAIN(TestTakeBack)
#include "test_takeback.moc"
