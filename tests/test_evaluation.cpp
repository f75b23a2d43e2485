#include "fakeplatform.h"
#include "numbers.h"

const QString kNoReach = "現在、ﾘｰﾁはありません。";
QString Reach(const QString& list) { return "ﾘｰﾁ番号は、" + list + "です。"; }
struct Eval {
    QStringList sheets;   // sheet 0, 1, ... in SetSheet notation, "_" for a blank inside a cell
    QList<int> calls;     // after Start
    QString message;      // each listed sheet's status caption, "/", its back colour letter
    QString status;
    QString colours = {}; // each listed sheet's ColourGrid; empty: not compared
    int ahead = -1;       // not -1: typed ahead, called inside the first call's closing yield
};
Q_DECLARE_METATYPE(Eval)

// The evaluation exactly as the rules word it, cell by cell and line by line, on its own copy of
// what it reads and writes: the reference the module's evaluation must agree with.
struct PlainEvaluation {
    std::array<std::string, kBoxes> text;
    std::array<Cell, kBoxes> cell{};
    std::array<bool, kBoxes> hit{};
    std::array<SheetStatus, kSheets> mess{};
    std::string status;

    // The i-th cell of line l: rows 0-4, columns 5-9, the diagonals 10 and 11.
    static int LineCell(int l, int i) {
        return l < 5 ? 5 * l + i : l < 10 ? l - 5 + 5 * i : l == 10 ? 6 * i : 4 + 4 * i;
    }
    void Evaluate(int called) {
        std::array<bool, 101> reachNum{};
        for (int s = 0; s < kSheets; ++s) {
            const int first = s * kCellsPerSheet;
            mess[s] = {};
            int reaches = 0, bingos = 0;
            for (int b = first; b < first + kCellsPerSheet; ++b)
                if (!hit[b] && (text[b] == "@" || CellValue(text[b]) == called)) {
                    hit[b] = true, cell[b] = {{}, Colour::White, Colour::Black};
                    if (text[b] != "@") mess[s] = {"Hit!", Colour::Black};
                }
            for (int l = 0; l < 12; ++l) {
                int count = 0;
                for (int i = 0; i < 5; ++i)
                    count += hit[first + LineCell(l, i)];
                for (int i = 0; i < 5; ++i) {
                    const int b = first + LineCell(l, i);
                    Cell& x = cell[b];
                    if (count == 5) {
                        x = {{}, Colour::White, Colour::Red};
                    } else if (count == 4 && x.BackColor != Colour::Red && hit[b]) {
                        x.BackColor = Colour::Blue;
                    } else if (count == 4 && x.BackColor != Colour::Red) { // the missing cell
                        x.ForeColor = Colour::Blue;
                        if (const auto v = RoundToInt16(CellValue(text[b])); v && *v >= 0 && *v <= 100)
                            reachNum[std::size_t(*v)] = true;
                    }
                }
                reaches += count == 4;
                bingos += count == 5;
            }
            const auto report = [&](const char* word, int n, Colour colour) {
                mess[s].Caption += (mess[s].Caption.empty() ? "" : " ") + std::string(word) + std::to_string(n);
                mess[s].BackColor = colour;
            };
            if (reaches > 0) report("Reach", reaches, Colour::Blue);
            if (bingos > 0) report("Bingo", bingos, Colour::Red);
        }
        QStringList list;
        for (int n = 0; n < 100; ++n)
            if (reachNum[std::size_t(n)]) list << QString::number(n);
        status = (list.isEmpty() ? kNoReach : Reach(list.join("、"))).toStdString();
    }
    // Start, then the calls.
    void Play(const QList<int>& calls) {
        cell = {}, hit = {};
        Evaluate(kNoNumber);
        for (int n : calls)
            Evaluate(n);
    }
    // The first difference from the module, or an empty text.
    QString Differs(const modMain& m) const {
        for (int b = 0; b < kBoxes; ++b)
            if (hit[b] != (m.HitFlag[b] == -1) || cell[b].BackColor != m.BBox[b].BackColor ||
                cell[b].ForeColor != m.BBox[b].ForeColor)
                return QString("cell %1 '%2'").arg(b).arg(Q(text[b]));
        for (int s = 0; s < kSheets; ++s)
            if (mess[s].Caption != m.BMess[s].Caption || mess[s].BackColor != m.BMess[s].BackColor)
                return QString("sheet %1: %2, expected %3").arg(s).arg(Q(m.BMess[s].Caption), Q(mess[s].Caption));
        return status == m.StatusText ? QString() : Q(m.StatusText + ", expected " + status);
    }
};

class TestEvaluation : public QObject {
    Q_OBJECT
private slots:
    void statusAfterCalls_data() {
        QTest::addColumn<Eval>("e");
        const auto row = [](const QString& name, const Eval& e) { QTest::newRow(qPrintable(name)) << e; };
        const QList<int> c1to4{1, 2, 3, 4};
        row("free holes at Start make a reach without Hit!", {{"@ @ @ @ 9"}, {}, "Reach1/B", Reach("9")});
        row("empty missing cell lists 0 even outside the range", {{"@ @ @ @ ."}, {}, "Reach1/B", Reach("0")});
        row("Hit! goes at the next call without a hit", {{"1 50"}, {1, 5}, "/F", kNoReach});
        row("a number called again gives no Hit!", {{"1"}, {1, 1}, "/F", kNoReach});

        row("+5, 05, '5 ' and 5. on one sheet all hit by 5", {{"+5 05 5_ 5. 9"}, {5}, "Hit! Reach1/B", Reach("9")});
        row("completed reach counts as a bingo only", {{"1 2 3 4 5"}, {1, 2, 3, 4, 5, 77}, "Bingo1/R", kNoReach});
        row("numbers missing on several sheets listed once, ascending",
            {{"1 2 3 4 23", "1 2 3 4 5", "1 2 3 4 23"}, c1to4, "Hit! Reach1/B", Reach("5、23")});
        row("fractions never hit, listed as the nearest whole, halves to even",
            {{"1 2 3 4 5.5", "1 2 3 4 4.5", "1 2 3 4 .5"}, {1, 2, 3, 4, 5, 6}, "Reach1/B", Reach("0、4、6")});
        // Row 0 is a bingo, column 0 a reach missing 20; cell 0 lies in both.
        row("red wins over blue where a bingo crosses a reach",
            {{"1 2 3 4 5\n6 . . . .\n7 . 30 @ .\n8 . . . .\n20 . . . ."}, {1, 2, 3, 4, 5, 6, 7, 8, 30},
             "Hit! Reach1 Bingo1/R", Reach("20"),
             "Rw Rw Rw Rw Rw\nBw Wk Wk Wk Wk\nBw Wk Kw Kw Wk\nBw Wk Wk Wk Wk\nWb Wk Wk Wk Wk"});
        // The outer evaluation must not write anything after the call inside its closing yield.
        row("a call inside the closing yield sees a finished evaluation",
            {{"@ @ @ 1 2"}, {1}, "Hit! Bingo1/R", kNoReach,
             "Rw Rw Rw Rw Rw\n" + QStringList(4, "Wk Wk Wk Wk Wk").join('\n'), 2});
        // Out-of-range missing cells: no list entry and no access outside the reach table.
        for (const QString& text : QStringList{"150", "-3", "100", "99.5", QString(20, '9'), QString(400, '9')})
            row("missing " + (text.size() > 5 ? QString("%1 nines").arg(text.size()) : text),
                {{"1 2 3 4 " + text}, c1to4, "Hit! Reach1/B", kNoReach});
    }
    void statusAfterCalls() {
        QFETCH(Eval, e);
        Game g;
        for (int s = 0; s < e.sheets.size(); ++s)
            SetSheet(g.m, s, e.sheets[s].toStdString());
        g.m.Start();
        if (e.ahead >= 0) g.platform.onYield = [&] { g.Call(e.ahead); };
        for (int n : e.calls)
            g.Call(n);
        QCOMPARE(Q(g.m.LBNum), QString::number(e.calls.size() + (e.ahead >= 0)));
        if (e.ahead >= 0) // the call typed ahead is the latest in the history
            QCOMPARE(Q(g.m.LBLog[0] + " " + g.m.LBLog[1]), QString("%1 %2").arg(e.ahead).arg(e.calls.last()));
        for (int s = 0; s < kSheets; ++s) { // sheets not listed are empty and stay plain
            const bool listed = s < e.sheets.size();
            QCOMPARE(Q(g.m.BMess[s].Caption) + '/' + ColourLetter(g.m.BMess[s].BackColor), listed ? e.message : "/F");
            if (listed && !e.colours.isEmpty()) QCOMPARE(ColourGrid(g.m, s), e.colours);
        }
        QCOMPARE(Q(g.m.StatusText), e.status);
    }

    // Random games with odd cell texts, numbers outside every range and take-backs: after every
    // step the module shows what the plain evaluation of the remaining calls gives.
    void agreesWithPlainEvaluation() {
        const std::vector<std::string> odd{"@", "", "+5", "05", "5.", "5.5", "4.5", ".5", "150", "-3", "100", "99.5"};
        QRandomGenerator rng(2024);
        for (int game = 0; game < 300; ++game) {
            Game g;
            PlainEvaluation plain;
            const int top = 10 + int(rng.bounded(90)); // small ranges make reaches and bingos early
            for (int b = 0; b < kBoxes; ++b)
                plain.text[b] = g.m.BBox[b].Caption =
                    rng.bounded(6) == 0 ? odd[rng.bounded(int(odd.size()))] : std::to_string(rng.bounded(top));
            g.m.Start();
            plain.Play({});
            QList<int> calls;
            for (int step = 0; step < 60; ++step) {
                if (!calls.isEmpty() && rng.bounded(6) == 0) {
                    g.m.TakeBackLastCall();
                    calls.removeLast();
                    plain.Play(calls);
                } else {
                    calls << (rng.bounded(20) == 0 ? std::vector{100, 150, -3}[rng.bounded(3)] : int(rng.bounded(top)));
                    g.Call(calls.last());
                    plain.Evaluate(calls.last());
                }
                const QString differs = plain.Differs(g.m);
                QVERIFY2(differs.isEmpty(),
                         qPrintable(QString("game %1 step %2: %3").arg(game).arg(step).arg(differs)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestEvaluation)
#include "test_evaluation.moc"
