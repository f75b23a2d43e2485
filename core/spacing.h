#pragma once

// The number-range rule of the options: the highest number stays at least 24 above the
// lowest, so a range always holds 25 numbers, enough for one sheet.
constexpr int kRangeSpacing = 24;
constexpr int kLowestMin = 0, kLowestMax = 75, kHighestMin = 24, kHighestMax = 99;
