#pragma once
#include <array>
#include <cstdint>

// The eight sheets of five by five cells, numbered box by box: sheet s holds boxes 25 s to 25 s + 24.
constexpr int kSheets = 8;
constexpr int kSheetsPerRow = 4; // the window shows the sheets in two rows of four
constexpr int kCellsPerSide = 5;
constexpr int kCellsPerSheet = kCellsPerSide * kCellsPerSide;
constexpr int kCentreCell = 12;
constexpr int kBoxes = kSheets * kCellsPerSheet;

// The twelve lines of a sheet in evaluation order: rows, columns, diagonal, anti-diagonal.
inline constexpr std::array<std::array<int, 5>, 12> kSheetLines = {{
    {0, 1, 2, 3, 4},
    {5, 6, 7, 8, 9},
    {10, 11, 12, 13, 14},
    {15, 16, 17, 18, 19},
    {20, 21, 22, 23, 24},
    {0, 5, 10, 15, 20},
    {1, 6, 11, 16, 21},
    {2, 7, 12, 17, 22},
    {3, 8, 13, 18, 23},
    {4, 9, 14, 19, 24},
    {0, 6, 12, 18, 24},
    {4, 8, 12, 16, 20},
}};

// Each line as a mask of its cells.
inline constexpr std::array<std::uint32_t, 12> kLineMasks = [] {
    std::array<std::uint32_t, 12> masks{};
    for (std::size_t i = 0; i < kSheetLines.size(); ++i)
        for (int c : kSheetLines[i])
            masks[i] |= 1u << c;
    return masks;
}();
