#pragma once

// The eight sheets of five by five cells, numbered box by box: sheet s holds boxes 25 s to 25 s + 24.
constexpr int kSheets = 8;
constexpr int kSheetsPerRow = 4; // the window shows the sheets in two rows of four
constexpr int kCellsPerSide = 5;
constexpr int kCellsPerSheet = kCellsPerSide * kCellsPerSide;
constexpr int kCentreCell = 12;
constexpr int kBoxes = kSheets * kCellsPerSheet;
