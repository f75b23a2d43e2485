#include "fixture.h"
#include "numbers.h"

#include <set>

namespace {
// A run on the first sheet's cells (SetSheet's notation) with the range lo〜hi.
struct Run : Game {
    Run(int lo, int hi, const QString& sheet) : Game({0, std::int16_t(lo), std::int16_t(hi)}) {
        SetSheet(m, 0, sheet.toStdString());
        m.Start();
    }
};

double Binomial(int n, int k) {
    double r = 1;
    for (int i = 0; i < k; ++i)
        r = r * (n - i) / (i + 1);
    return r;
}

// The sheet's chance by counting every set of draws, its waiting numbers and fewest cells to go, from the cell
// texts alone: a cell is done when it is "@" or its whole value has been called or drawn.
struct Counted {
    std::optional<double> next, soon;
    std::vector<int> waiting;
    int toGo = 5;
};
Counted Count(const modMain& m, const std::vector<int>& called) {
    const SettingRecord& r = m.run.SysSetting;
    std::vector<int> pool;
    for (int n = r.MinNumber; n <= r.MaxNumber; ++n)
        if (std::find(called.begin(), called.end(), n) == called.end()) pool.push_back(n);
    std::array<int, kCellsPerSheet> need{}; // -2 done, -1 never, else the number that would hit it
    for (int c = 0; c < kCellsPerSheet; ++c) {
        const std::string& t = m.view.BBox[c].Caption;
        const double v = CellValue(t);
        const bool whole = v == std::floor(v) && v >= 0 && v < 64;
        need[c] = t == "@" || (whole && std::count(called.begin(), called.end(), int(v))) ? -2 : whole ? int(v) : -1;
    }
    const auto anyLine = [&](std::uint64_t drawn) {
        for (const auto& line : kSheetLines)
            if (std::all_of(line.begin(), line.end(),
                            [&](int c) { return need[c] == -2 || (need[c] >= 0 && drawn >> need[c] & 1); }))
                return true;
        return false;
    };
    Counted out;
    std::set<int> waiting;
    for (const auto& line : kSheetLines) {
        std::vector<int> open;
        for (int c : line)
            if (need[c] != -2) open.push_back(c);
        out.toGo = std::min(out.toGo, int(open.size()));
        const double v = open.size() == 1 ? CellValue(m.view.BBox[open[0]].Caption) : -1;
        if (v >= 0 && v < 100) waiting.insert(int(std::lround(v)));
    }
    out.waiting.assign(waiting.begin(), waiting.end());
    if (anyLine(0)) return out;
    const auto chance = [&](int k) {
        long hits = 0, all = 0;
        const std::function<void(std::size_t, int, std::uint64_t)> choose = [&](std::size_t from, int left,
                                                                                std::uint64_t drawn) {
            if (left == 0) {
                ++all;
                hits += anyLine(drawn);
                return;
            }
            for (std::size_t i = from; i < pool.size(); ++i)
                choose(i + 1, left - 1, drawn | std::uint64_t{1} << pool[i]);
        };
        choose(0, k, 0);
        return double(hits) / double(all);
    };
    std::uint64_t everything = 0;
    for (int n : pool)
        everything |= std::uint64_t{1} << n;
    if (!anyLine(everything)) return out; // no line can ever be completed
    out.next = chance(1);
    out.soon = chance(std::min(5, int(pool.size())));
    return out;
}

QString Text(const SheetOutlook& o) {
    QStringList waiting;
    for (int n : o.waiting)
        waiting << QString::number(n);
    return QString("%1|%2|%3|%4")
        .arg(waiting.join(','))
        .arg(o.cellsToGo)
        .arg(QString::fromStdString(ChanceText(o.next)), QString::fromStdString(ChanceText(o.soon)));
}
} // namespace

class TestOutlook : public QObject {
    Q_OBJECT
private slots:
    // A printed card of 1〜75 with a free centre: no line within one call; within four calls only the four lines
    // through the centre, 4 / C(75, 4); within five, 4 × 71 + 8 sets of five.
    void printedCard() {
        Run r(1, 75, "1 16 31 46 61 2 17 32 47 62 3 18 @ 48 63 4 19 33 49 64 5 20 34 50 65");
        const SheetOutlook o = r.m.Outlook(0);
        QCOMPARE(Text(o), "|4|0.0%|<0.1%");
        QVERIFY(qFuzzyCompare(*o.soon, (4 * 71 + 8) / Binomial(75, 5)));
        std::vector<NumberSet> centre(4);
        for (std::size_t i = 0; i < 4; ++i)
            for (int n = 0; n < 4; ++n)
                centre[i].set(std::size_t(10 * i + n + 1));
        QVERIFY(qFuzzyCompare(ChanceOfAnySet(centre, 75, 4), 4 / Binomial(75, 4)));
    }

    // A first sheet (five cells a row, "." empty), the range's lowest number (highest 99) and calls → waiting
    // numbers, cells to go, chances. Empty cells read 0: outside a range from 1 no line of them can complete.
    void outlook_data() {
        Columns<QString, int, QString, QString>("sheet", "lo", "calls", "expected");
        Row("a reach waits for 5: 1 in 95 next", "1 2 3 4 5", 1, "1 2 3 4", "5|1|1.1%|5.3%");
        Row("an empty cell counts as 0", "1 2 3 4 .", 0, "1 2 3 4", "0|1|1.0%|5.2%");
        Row("a bingo: no chances", "1 2 3 4 5", 1, "1 2 3 4 5", "|0|-|-");
        Row("a fraction is never hit, its nearest number waits", "1 2 3 4 5.5", 1, "1 2 3 4", "6|1|-|-");
        Row("a number twice waits once", "1 2 3 4 5\n1 2 3 4 5", 1, "1 2 3 4", "5|1|1.1%|5.3%");
        Row("before any call", "1 2 3 4 5", 1, "", "|5|0.0%|<0.1%");
        Row("an empty sheet", ".", 1, "", "|5|-|-");
    }
    void outlook() {
        QFETCH(QString, sheet);
        QFETCH(int, lo);
        QFETCH(QString, calls);
        Run r(lo, 99, sheet);
        for (const QString& n : calls.split(' ', Qt::SkipEmptyParts))
            r.Call(n.toInt());
        QTEST(Text(r.m.Outlook(0)), "expected");
    }

    // Random sheets over the smallest range, in random games with take-backs: the module's outlook agrees with
    // counting every draw, and its waiting numbers are what the status bar lists.
    void agreesWithCounting() {
        QRandomGenerator rng(7);
        for (int game = 0; game < 30; ++game) {
            std::string sheet;
            for (int c = 0; c < kCellsPerSheet; ++c) {
                const auto k = rng.bounded(12);
                sheet += (k == 0   ? std::string("@")
                          : k == 1 ? std::string(".")
                                   : std::to_string(rng.bounded(30))) +
                         ' ';
            }
            Run r(5, 29, Q(sheet));
            std::vector<int> called;
            for (int step = 0; step < 12; ++step) {
                if (!called.empty() && rng.bounded(4) == 0) {
                    r.m.TakeBackLastCall();
                    called.pop_back();
                } else {
                    called.push_back(int(rng.bounded(5, 30)));
                    r.Call(called.back());
                }
                const SheetOutlook o = r.m.Outlook(0);
                const Counted c = Count(r.m, called);
                const auto same = [](std::optional<double> a, std::optional<double> b) {
                    return a.has_value() == b.has_value() && (!a || std::abs(*a - *b) < 1e-12);
                };
                QVERIFY2(same(o.next, c.next) && same(o.soon, c.soon) && o.waiting == c.waiting &&
                             o.cellsToGo == c.toGo,
                         qPrintable(QString::fromStdString(sheet) + " / " + Text(o)));
                QStringList listed;
                for (int n : o.waiting)
                    listed << QString::number(n);
                const QString status = QString::fromStdString(r.m.view.StatusText);
                QCOMPARE(status,
                         listed.isEmpty() ? "現在、ﾘｰﾁはありません。" : "ﾘｰﾁ番号は、" + listed.join("、") + "です。");
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestOutlook)
#include "test_outlook.moc"
