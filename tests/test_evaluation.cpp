// The evaluation after calls, against a plain reference; taking the latest call back and restoring a run,
// both of which must leave exactly the state that playing the remaining calls from Start leaves.
#include "fixture.h"
#include "numbers.h"

#include <algorithm>
#include <memory>
#include <vector>

const QString kNoReach = "現在、ﾘｰﾁはありません。";
QString Reach(const QString& list) { return "ﾘｰﾁ番号は、" + list + "です。"; }

// The evaluation as the rules word it, cell by cell and line by line, on its own copy of what it reads and
// writes: the reference the module's evaluation must agree with.
struct PlainEvaluation {
    std::array<std::string, kBoxes> text;
    std::array<Cell, kBoxes> cell{};
    std::array<bool, kBoxes> hit{};
    std::array<SheetStatus, kSheets> mess{};
    std::string status;

    void Evaluate(int called) {
        std::array<bool, 101> reachNum{};
        for (int s = 0; s < kSheets; ++s) {
            const int first = s * kCellsPerSheet;
            int reaches = 0, bingos = 0;
            mess[s] = {};
            for (int b = first; b < first + kCellsPerSheet; ++b)
                if (!hit[b] && (text[b] == "@" || CellValue(text[b]) == called)) {
                    hit[b] = true, cell[b] = {{}, Colour::White, Colour::Black};
                    if (text[b] != "@") mess[s] = {"Hit!", Colour::Black};
                }
            for (int l = 0; l < 12; ++l) { // rows 0-4, columns 5-9, the diagonals 10 and 11
                const auto at = [&](int i) {
                    return first + (l < 5 ? 5 * l + i : l < 10 ? l - 5 + 5 * i : l == 10 ? 6 * i : 4 + 4 * i);
                };
                int count = 0;
                for (int i = 0; i < 5; ++i)
                    count += hit[at(i)];
                for (int i = 0; i < 5; ++i) {
                    Cell& x = cell[at(i)];
                    if (count == 5) {
                        x = {{}, Colour::White, Colour::Red};
                    } else if (count == 4 && x.BackColor != Colour::Red) { // blue back on a hit, blue text on the miss
                        (hit[at(i)] ? x.BackColor : x.ForeColor) = Colour::Blue;
                        if (const auto v = RoundToInt16(CellValue(text[at(i)]));
                            !hit[at(i)] && v && *v >= 0 && *v <= 100)
                            reachNum[std::size_t(*v)] = true;
                    }
                }
                reaches += count == 4, bingos += count == 5;
            }
            for (const auto& [word, n, colour] :
                 {std::tuple{"Reach", reaches, Colour::Blue}, std::tuple{"Bingo", bingos, Colour::Red}})
                if (n > 0)
                    mess[s] = {(mess[s].Caption.empty() ? "" : mess[s].Caption + " ") + word + std::to_string(n),
                               colour};
        }
        QStringList list;
        for (int n = 0; n < 100; ++n)
            if (reachNum[std::size_t(n)]) list << QString::number(n);
        status = (list.isEmpty() ? kNoReach : Reach(list.join("、"))).toStdString();
    }
    void Play(const std::vector<std::int16_t>& calls) { // Start, then the calls
        cell = {}, hit = {};
        Evaluate(kNoNumber);
        for (int n : calls)
            Evaluate(n);
    }
    QString Differs(const modMain& m) const { // the first difference from the module, or an empty text
        for (int b = 0; b < kBoxes; ++b)
            if (hit[b] != (m.run.HitFlag[b] == -1) || cell[b].BackColor != m.view.BBox[b].BackColor ||
                cell[b].ForeColor != m.view.BBox[b].ForeColor)
                return QString("cell %1 '%2'").arg(b).arg(Q(text[b]));
        for (int s = 0; s < kSheets; ++s)
            if (mess[s].Caption != m.view.BMess[s].Caption || mess[s].BackColor != m.view.BMess[s].BackColor)
                return QString("sheet %1: %2, expected %3").arg(s).arg(Q(m.view.BMess[s].Caption), Q(mess[s].Caption));
        return status == m.view.StatusText ? QString() : Q(m.view.StatusText + ", expected " + status);
    }
};

namespace {
using Calls = std::vector<std::int16_t>;
// A game before Start, the same for the same seed: random sheets whose numbers come from the range, with free
// holes, empty cells, numbers twice and odd texts, a random cell selected, and the same folder in every game.
std::unique_ptr<Game> Prepared(SettingRecord settings, quint32 seed) {
    const std::string odd[] = {"+5", "05",  "5 ", "5.",  "5.5",  "4.5",
                               ".5", "150", "-3", "100", "99.5", std::string(400, '9')};
    QRandomGenerator rng(seed);
    auto g = std::make_unique<Game>(settings);
    g->m.ShowRunModeButtons();
    g->m.doc.DocDir = "/games/";
    for (int b = 0; b < kBoxes; ++b) {
        const int kind = int(rng.bounded(20)), n = rng.bounded(int(settings.MinNumber), settings.MaxNumber + 1);
        g->m.view.BBox[b].Caption = kind == 0   ? "@"
                                    : kind == 1 ? ""
                                    : kind == 2 ? odd[rng.bounded(12)]
                                                : std::to_string(n);
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

class TestEvaluation : public QObject {
    Q_OBJECT
private slots:
    void statusAfterCalls_data() {
        // sheets: 0, 1, ... in SetSheet notation, "_" a blank inside a cell; calls: after Start; message: each listed
        // sheet's status caption, "/", its back colour letter; colours: their colour Grid ("": not compared); ahead:
        // not -1, a number typed ahead, called inside the first call's closing yield
        Columns<QStringList, QList<int>, QString, QString, QString, int>("sheets", "calls", "message", "status",
                                                                         "colours", "ahead");
        using S = QStringList;
        using C = QList<int>;
        const QString plain = "\nWk Wk Wk Wk Wk";
        Row("free holes at Start: a reach, no Hit!, empty missing cell lists 0", S{"@ @ @ @ ."}, C{}, "Reach1/B",
            Reach("0"), "", -1);
        Row("Hit! goes at a call without a new hit, as a number called again", S{"1"}, C{1, 1}, "/F", kNoReach, "", -1);
        Row("+5, 05, '5 ' and 5. all hit by 5", S{"+5 05 5_ 5. 9"}, C{5}, "Hit! Reach1/B", Reach("9"), "", -1);
        Row("fractions never hit, listed ascending as nearest whole, halves to even",
            S{"1 2 3 4 5.5", "1 2 3 4 4.5", "1 2 3 4 .5"}, C{1, 2, 3, 4, 5, 6}, "Reach1/B", Reach("0、4、6"), "", -1);
        // Row 0 is a bingo (no longer counted as a reach), column 0 a reach missing 20; cell 0 lies in both.
        Row("red wins over blue where a bingo crosses a reach", S{"1 2 3 4 5\n6 . . . .\n7 . 30 @ .\n8 . . . .\n20"},
            C{1, 2, 3, 4, 5, 6, 7, 8, 30}, "Hit! Reach1 Bingo1/R", Reach("20"),
            "Rw Rw Rw Rw Rw\nBw Wk Wk Wk Wk\nBw Wk Kw Kw Wk\nBw Wk Wk Wk Wk\nWb Wk Wk Wk Wk", -1);
        // The outer evaluation must not write anything after the call inside its closing yield.
        Row("a call inside the closing yield sees a finished evaluation", S{"@ @ @ 1 2"}, C{1}, "Hit! Bingo1/R",
            kNoReach, "Rw Rw Rw Rw Rw" + plain.repeated(4), 2);
        // Out-of-range missing cells: no list entry and no access outside the reach table.
        for (const QString& text : S{"150", "-3", "100", "99.5", QString(20, '9'), QString(400, '9')})
            Row("missing " + (text.size() > 5 ? QString("%1 nines").arg(text.size()) : text), S{"1 2 3 4 " + text},
                C{1, 2, 3, 4}, "Hit! Reach1/B", kNoReach, "", -1);
    }
    void statusAfterCalls() {
        QFETCH(QStringList, sheets);
        QFETCH(QList<int>, calls);
        QFETCH(QString, message);
        QFETCH(QString, colours);
        QFETCH(int, ahead);
        Game g;
        for (int s = 0; s < sheets.size(); ++s)
            SetSheet(g.m, s, sheets[s].toStdString());
        g.m.Start();
        if (ahead >= 0) g.platform.onYield = [&] { g.Call(ahead); };
        for (int n : calls)
            g.Call(n);
        QCOMPARE(Q(g.m.view.LBNum), QString::number(calls.size() + (ahead >= 0)));
        if (ahead >= 0) // the call typed ahead is the latest in the history
            QCOMPARE(Q(g.m.view.LBLog[0] + " " + g.m.view.LBLog[1]), QString("%1 %2").arg(ahead).arg(calls.last()));
        for (int s = 0; s < kSheets; ++s) { // sheets not listed are empty and stay plain
            QCOMPARE(Q(g.m.view.BMess[s].Caption) + '/' + ColourLetter(g.m.view.BMess[s].BackColor),
                     s < sheets.size() ? message : "/F");
            if (s < sheets.size() && !colours.isEmpty()) QCOMPARE(Grid(g.m, s, true), colours);
        }
        QTEST(Q(g.m.view.StatusText), "status");
    }

    // Random games of calls and take-backs: after every step the module shows what the plain evaluation of the
    // remaining calls gives; after a take-back the game equals the state before the calls taken back; at the end it
    // equals its calls played from Start, and those calls restored.
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
            PlainEvaluation plain;
            std::transform(a->m.view.BBox.begin(), a->m.view.BBox.end(), plain.text.begin(),
                           [](auto& c) { return c.Caption; });
            a->m.Start();
            plain.Play({});
            const int length = mode ? size : 101 + int(rng.bounded(60));
            Calls calls;
            QStringList after; // after[k]: the state after the first k calls, just before the next
            while (int(calls.size()) < length) {
                if (calls.empty() || rng.bounded(8) != 0) {
                    after.resize(qsizetype(calls.size()));
                    after << Snapshot(a->m);
                    int n = rng.bounded(20) ? int(rng.bounded(100)) : std::vector{100, 150, -3}[rng.bounded(3)];
                    if (mode) { // a roulette tick, then an uncalled number of the range, often the one shown
                        a->m.Timer1_Timer();
                        do
                            n = rng.bounded(2) ? Q(a->m.view.LBInput).toInt() : lo + int(rng.bounded(size));
                        while (std::find(calls.begin(), calls.end(), n) != calls.end());
                    }
                    a->Call(n);
                    calls.push_back(std::int16_t(n));
                    plain.Evaluate(n);
                } else {
                    if (!mode) // a digit typed before the take-back
                        a->m.Form_KeyDown(vk::Digit0 + int(rng.bounded(10)), 0);
                    for (int back = 1 + int(rng.bounded(3)); back > 0 && !calls.empty(); --back) {
                        QVERIFY(a->m.CommandEnabled("mn_Undo"));
                        // The roulette rolls on under the question.
                        a->platform.onAsk = [&] { a->m.Timer1_Timer(), a->m.Timer1_Timer(); };
                        a->m.TakeBackLastCall();
                        calls.pop_back();
                    }
                    a->m.RestoreRun(Setting(1, 10, 40), Calls{9, 4}, 2, false); // during a run a restore does nothing
                    QCOMPARE(Snapshot(a->m), after.value(qsizetype(calls.size())));
                    plain.Play(calls);
                }
                const QString differs = plain.Differs(a->m);
                QVERIFY2(differs.isEmpty(),
                         qPrintable(QString("game %1, %2 calls: %3").arg(game).arg(calls.size()).arg(differs)));
            }
            QCOMPARE(Snapshot(a->m), Replayed(setup, seed, calls));
            QCOMPARE(Replayed(setup, seed, calls, true), Snapshot(a->m));
            QCOMPARE(a->m.CommandEnabled("mn_Undo"), !mode); // a drawn range used up takes nothing back
        }
    }

    // What an answer does, and what a call or End made under the open question leaves (the roulette
    // rolling under it is the property test's); the changed mark stays as it was.
    void takeBackQuestion() {
        for (const auto& [meanwhile, history] : // history: LBNum: LBLog(0) LBLog(1)
             {std::pair<QString, QString>{"", "3:23 12"}, {"call", "4:5 23"}, {"end", "0: "}}) {
            Game g;
            g.m.Start();
            for (int n : {7, 12, 23})
                g.Call(n);
            g.m.doc.DocChanged = -1;
            const QString before = Snapshot(g.m);
            g.platform.answers = {meanwhile.isEmpty() ? vbNo : vbYes}; // End's question, if any, also Yes
            g.platform.onAsk = [&, what = meanwhile] {
                what == "call" ? g.Call(5) : what == "end" ? g.m.End() : void();
            };
            g.m.TakeBackLastCall();
            QCOMPARE(g.platform.asked.value(1), "番号 23 の呼び出しを取り消します。よろしいですか? | 取り消し | 52");
            QCOMPARE(Q(g.m.view.LBNum + ":" + g.m.view.LBLog[0] + " " + g.m.view.LBLog[1]), history);
            QCOMPARE(int(g.m.doc.DocChanged), -1);
            if (meanwhile.isEmpty()) QCOMPARE(Snapshot(g.m), before);
        }
    }

    // A number taken back is uncalled again: the roulette may show it, and the range's end counts it as not drawn.
    // Then a drawn game restored not rolling leaves the roulette off (a restore during a run: the property test's).
    void takenBackNumberIsDrawnAgain() {
        Game g(Setting(1, 0, 24));
        g.m.Start();
        for (int n = 0; n < 24; ++n)
            g.Call(n);
        g.m.TakeBackLastCall();
        g.platform.scripted = {0.93f}; // 23 of the two numbers left, 23 and 24; then 24 is left: the run goes on
        for (const QString shown : {"23 23", "24 24"}) {
            g.m.Timer1_Timer();
            QCOMPARE(Q(g.m.view.LBInput + " " + g.m.view.LBNum), shown);
            g.m.LBInput_Click();
        }
        g.m.Timer1_Timer();
        QVERIFY(g.m.IsEditMode());
        g.m.ApplySettings(Setting(0, 0, 99)); // the restore must press the drawn mode again
        const qsizetype asked = g.platform.asked.size();
        g.m.RestoreRun(Setting(1, 10, 40), Calls{9, 4}, 2, false);
        QCOMPARE(QString("%1 %2 ").arg(Q(g.m.view.LBLineMess)).arg(g.m.view.Timer1Enabled) + Q(g.m.view.LBNum),
                 "実行中 / 乱数形式 0 2");
        QVERIFY(g.platform.asked.size() == asked && g.m.run.SysSetting == Setting(1, 10, 40) &&
                g.m.view.RandRunPressed);
    }
};

QTEST_GUILESS_MAIN(TestEvaluation)
#include "test_evaluation.moc"
