#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct FrequencyEntry {
    std::int16_t Rank = 0;
    std::int16_t Number = 0;
    std::int16_t Occurrences = 0;
    bool operator==(const FrequencyEntry&) const = default;
};

struct SheetStatistics {
    std::array<std::int16_t, 101> Counts{};
    std::int16_t Lowest = 100;
    std::int16_t Highest = -1; // stays -1 when no cell holds a number
    std::int16_t DistinctCount = 0;
    std::vector<FrequencyEntry> Ranking; // at most 10
};

// Over the 200 cell texts in box order. A numeric text counts by its nearest whole
// number (halves to even, as the reach list does); texts that are not numbers, and
// numbers outside 0..100, are skipped.
SheetStatistics ComputeSheetStatistics(const std::vector<std::string>& texts);
