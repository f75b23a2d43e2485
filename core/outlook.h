#pragma once
#include <bitset>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Numbers 0 to 99 as a set: what a line still needs called.
using NumberSet = std::bitset<100>;

// What one sheet waits for in a run and how likely it is to win soon.
struct SheetOutlook {
    std::vector<int> waiting; // numbers that would complete a line, ascending (the cells the reach marks)
    int cellsToGo = -1;       // fewest cells missing from any line: 0 a bingo, 1 a reach; -1 outside a run
    // The chance of a bingo line after the next call, and within min(5, numbers left) calls, drawn evenly
    // without repetition from the range's numbers not yet called; nullopt once the sheet has a bingo or no
    // line can be completed any more.
    std::optional<double> next;
    std::optional<double> soon;
    bool operator==(const SheetOutlook&) const = default;
};

// The chance that after `draws` draws without repetition from `pool` numbers at least one of the sets (each a
// subset of the pool) has been drawn whole. Exact, by inclusion and exclusion over the sets; a union larger
// than `draws` adds nothing, nor does any larger union containing it.
double ChanceOfAnySet(std::span<const NumberSet> sets, int pool, int draws);

// "3.2%", "<0.1%" for a chance above 0 that rounds to 0, "0.0%" for none, "-" for nullopt.
std::string ChanceText(std::optional<double> chance);
