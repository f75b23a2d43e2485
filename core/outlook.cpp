#include "outlook.h"
#include "modmain.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace {
struct Inclusion {
    std::span<const NumberSet> sets;
    std::array<double, 6> chanceOf{}; // chance that u given numbers are all drawn, u = 0..draws
    int draws = 0;
    double sum = 0;

    void Walk(std::size_t from, const NumberSet& united, bool odd) {
        for (std::size_t i = from; i < sets.size(); ++i) {
            const NumberSet next = united | sets[i];
            const auto size = static_cast<int>(next.count());
            if (size > draws)
                continue;
            sum += odd ? chanceOf[static_cast<std::size_t>(size)] : -chanceOf[static_cast<std::size_t>(size)];
            Walk(i + 1, next, !odd);
        }
    }
};
} // namespace

double ChanceOfAnySet(std::span<const NumberSet> sets, int pool, int draws) {
    draws = std::clamp(draws, 0, std::min(pool, 5));
    Inclusion inclusion{sets, {}, draws, 0};
    // C(pool - u, draws - u) / C(pool, draws) = draws (draws-1) ... (draws-u+1) / (pool (pool-1) ... (pool-u+1))
    double chance = 1;
    for (int u = 0; u <= draws; ++u) {
        inclusion.chanceOf[static_cast<std::size_t>(u)] = chance;
        chance *= static_cast<double>(draws - u) / static_cast<double>(pool - u);
    }
    inclusion.Walk(0, {}, true);
    return std::clamp(inclusion.sum, 0.0, 1.0);
}

std::string ChanceText(std::optional<double> chance) {
    if (!chance)
        return "-";
    const double percent = *chance * 100;
    if (percent > 0 && percent < 0.05)
        return "<0.1%";
    char text[16];
    std::snprintf(text, sizeof text, "%.1f%%", percent);
    return text;
}

SheetOutlook modMain::Outlook(int sheet) const {
    SheetOutlook outlook;
    if (!running_)
        return outlook;
    const auto first = static_cast<std::size_t>(sheet * kCellsPerSheet);
    const SheetValues& values = sheetValues_[static_cast<std::size_t>(sheet)];
    std::uint32_t hit = 0;
    for (int c = 0; c < kCellsPerSheet; ++c) {
        const std::size_t box = first + static_cast<std::size_t>(c);
        if (run.HitFlag[box] != 0)
            hit |= 1u << c;
        // The evaluation marks what a reach line waits for with blue text, as the status bar lists it.
        else if (view.BBox[box].ForeColor == Colour::Blue && values.reachEntry[c] >= 0 && values.reachEntry[c] < 100)
            outlook.waiting.push_back(values.reachEntry[c]);
    }
    std::sort(outlook.waiting.begin(), outlook.waiting.end());
    outlook.waiting.erase(std::unique(outlook.waiting.begin(), outlook.waiting.end()), outlook.waiting.end());

    const SettingRecord& range = run.SysSetting;
    NumberSet pool;
    for (int n = range.MinNumber; n <= range.MaxNumber; ++n)
        pool.set(static_cast<std::size_t>(n));
    for (std::int16_t n : callRecord_)
        if (n >= 0 && n < 100)
            pool.reset(static_cast<std::size_t>(n));

    outlook.cellsToGo = kCellsPerSide;
    std::vector<NumberSet> needs;
    bool bingo = false;
    for (std::uint32_t line : kLineMasks) {
        const std::uint32_t missing = line & ~hit;
        outlook.cellsToGo = std::min(outlook.cellsToGo, std::popcount(missing));
        bingo = bingo || missing == 0;
        // A cell no draw can hit (a fraction, a number outside the range) keeps its line from ever completing.
        NumberSet need;
        bool possible = true;
        for (std::uint32_t m = missing; m != 0 && possible; m &= m - 1) {
            const double v = values.value[std::countr_zero(m)];
            possible = v >= 0 && v < 100 && v == std::floor(v) && pool.test(static_cast<std::size_t>(v));
            if (possible)
                need.set(static_cast<std::size_t>(v));
        }
        if (possible)
            needs.push_back(need);
    }
    if (bingo || needs.empty())
        return outlook;
    const auto left = static_cast<int>(pool.count());
    outlook.next = ChanceOfAnySet(needs, left, 1);
    outlook.soon = ChanceOfAnySet(needs, left, std::min(5, left));
    return outlook;
}
