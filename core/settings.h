#pragma once
#include <cstdint>

// The settings record and its rules: the run mode and the number range, with the limits of the range's two
// ends, the spacing the options keep between them, and the defaults.
struct SettingRecord {
    std::int16_t RunMode = 0; // 0 RealRun, 1 RandRun
    std::int16_t MinNumber = 0;
    std::int16_t MaxNumber = 0;
    int RangeSize() const { return MaxNumber - MinNumber + 1; }
    bool operator==(const SettingRecord&) const = default;
};

inline constexpr SettingRecord kDefaultSettings{0, 0, 99};
constexpr int kLowestMin = 0, kLowestMax = 75, kHighestMin = 24, kHighestMax = 99;
// The options keep the highest number at least this far above the lowest, so a range they set always holds
// 25 numbers, enough for one sheet.
constexpr int kRangeSpacing = 24;

// What a settings file or a recovered run may hold: RunMode 0 or 1, both ends within their limits and in
// order. A hand-edited file may be narrower than the options allow.
constexpr bool IsAcceptedSetting(const SettingRecord& s) {
    return (s.RunMode == 0 || s.RunMode == 1) && s.MinNumber >= kLowestMin && s.MinNumber <= kLowestMax &&
           s.MaxNumber >= kHighestMin && s.MaxNumber <= kHighestMax && s.MinNumber <= s.MaxNumber;
}
