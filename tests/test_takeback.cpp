// Taking the latest call back and restoring a run: both must leave exactly the state that
// playing the remaining calls from Start leaves.
#include "fakeplatform.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {
using Calls = std::vector<std::int16_t>;
// A game before Start, the same for the same seed: random sheets whose numbers come from the range, with
// free holes, empty cells and numbers twice, a random cell selected, and the same folder in every game.
std::unique_ptr<Game> Prepared(SettingRecord settings, quint32 seed) {
    QRandomGenerator rng(seed);
    auto g = std::make_unique<Game>(settings);
    g->m.ShowRunModeButtons();
    g->m.DocDir = "/games/";
    for (int b = 0; b < kBoxes; ++b) {
        const int kind = int(rng.bounded(20)), n = rng.bounded(int(settings.MinNumber), settings.MaxNumber + 1);
        g->m.BBox[b].Caption = kind == 0 ? "@" : kind == 1 ? "" : std::to_string(n);
    }
    g->m.BBox_MouseDown(int(rng.bounded(kBoxes)), kLeftButton);
    return g;
}

// Start and the calls one by one, or the calls restored as a rolling run.
QString Replayed(SettingRecord settings, quint32 seed, const Calls& calls, bool restore = false) {
    const auto g = Prepared(settings, seed);
    restore ? g->m.RestoreRun(settings, calls, int(calls.size()), true) : g->m.Start();
    for (int n : restore ? Calls() : calls)
        g->Call(n);
    return g->platform.asked.isEmpty() || !restore ? Snapshot(g->m) : "asked " + g->platform.asked.join(", ");
}
} // namespace

class TestTakeBack : public QObject {
    Q_OBJECT
  private slots:
    // Random games of calls and take-backs: after every take-back the game equals the remaining
    // calls played from Start, and equals those calls restored.
    void takeBackEqualsFewerCalls_data() {
        QTest::addColumn<QList<int>>("row"); // mode, lowest, highest, games
        QTest::newRow("RealRun past 100 calls, numbers repeat") << QList<int>{0, 0, 99, 120};
        QTest::newRow("RandRun 10..34 to the end of the range") << QList<int>{1, 10, 34, 150};
    }
    void takeBackEqualsFewerCalls() {
        QFETCH(QList<int>, row);
        const int mode = row[0], lo = row[1], hi = row[2], games = row[3], size = hi - lo + 1;
        for (int game = 0; game < games; ++game) {
            const quint32 seed = quint32(1000 * mode + lo + 7919 * game);
            const SettingRecord setup = Setting(mode, lo, hi);
            QRandomGenerator rng(~seed);
            const auto a = Prepared(setup, seed);
            a->m.Start();
            const int length = mode ? size : 101 + int(rng.bounded(60));
            Calls calls;
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
                    QCOMPARE(state, Replayed(setup, seed, calls));
                    QCOMPARE(Replayed(setup, seed, calls, true), state);
                    playedAgain = true;
                }
            }
            QCOMPARE(Snapshot(a->m), Replayed(setup, seed, calls));
            QCOMPARE(Replayed(setup, seed, calls, true), Snapshot(a->m));
            QCOMPARE(a->m.MenuEnabled("mn_Undo"), !mode); // a drawn range used up takes nothing back
        }
    }

    // What an answer does, and what a call or End made under the open question leaves (the roulette
    // rolling under it is the property test's).
    void takeBackQuestion_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("meanwhile"); // under the question: "end", "call" or ""
        QTest::addColumn<QString>("history");   // LBNum: LBLog(0) LBLog(1) afterwards
        QTest::newRow("No changes nothing") << int(vbNo) << "" << "3:23 12";
        QTest::newRow("a call made meanwhile stays") << int(vbYes) << "call" << "4:5 23";
        QTest::newRow("a run ended meanwhile stays ended") << int(vbYes) << "end" << "0: ";
    }
    void takeBackQuestion() {
        QFETCH(int, answer);
        QFETCH(QString, meanwhile);
        Game g;
        g.m.Start();
        for (int n : {7, 12, 23})
            g.Call(n);
        g.m.DocChanged = -1;
        const QString before = Snapshot(g.m);
        g.platform.answers = meanwhile == "end" ? QList<int>{vbYes, answer} : QList<int>{answer}; // End's first
        g.platform.onAsk = [&] { meanwhile == "call" ? g.Call(5) : meanwhile == "end" ? g.m.End() : void(); };
        g.m.TakeBackLastCall();
        QCOMPARE(g.platform.asked.value(1), "番号 23 の呼び出しを取り消します。よろしいですか? | 取り消し | 52");
        QTEST(Q(g.m.LBNum + ":" + g.m.LBLog[0] + " " + g.m.LBLog[1]), "history");
        QCOMPARE(int(g.m.DocChanged), -1);
        if (answer == vbNo) QCOMPARE(Snapshot(g.m), before);
    }

    // A number taken back is uncalled again: the roulette may show it, and the range's end counts it as not drawn.
    void takenBackNumberIsDrawnAgain() {
        Game g(Setting(1, 0, 24));
        g.m.Start();
        for (int n = 0; n < 24; ++n)
            g.Call(n);
        g.m.TakeBackLastCall();
        g.platform.scripted = {0.93f}; // 23 of the two numbers left, 23 and 24; then 24 is left: the run goes on
        for (const QString shown : {"23 23", "24 24"}) {
            g.m.Timer1_Timer();
            QCOMPARE(Q(g.m.LBInput + " " + g.m.LBNum), shown);
            g.m.LBInput_Click();
        }
        g.m.Timer1_Timer();
        QVERIFY(g.m.IsEditMode());
    }

    // A RandRun game restored not rolling leaves the roulette off; during a run a restore changes nothing.
    void restoreRun() {
        for (const bool editMode : {true, false}) {
            Game g;
            if (!editMode) g.m.Start(), g.Call(4);
            g.m.RestoreRun(Setting(1, 10, 40), Calls{9, 4}, 2, !editMode);
            QCOMPARE(QString("%1 %2 ").arg(Q(g.m.LBLineMess)).arg(g.m.Timer1Enabled) + Q(g.m.LBNum),
                     editMode ? "実行中 / 乱数形式 0 2" : "実行中 / 実戦形式 0 1");
            QCOMPARE(g.platform.asked.size(), editMode ? 0 : 1);
            QCOMPARE(g.m.SysSetting, editMode ? Setting(1, 10, 40) : Setting(0, 0, 99));
            QCOMPARE(g.m.RandRunPressed, editMode);
        }
    }
};

QTEST_GUILESS_MAIN(TestTakeBack)
#include "test_takeback.moc"
