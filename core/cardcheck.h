#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grid.h"
#include "settings.h"

// The sheets' names and cell texts: what a document file holds and the check reads.
struct DocumentContent {
    std::array<std::string, kSheets> names;
    std::array<std::string, kBoxes> cells;
    bool operator==(const DocumentContent&) const = default;
};

// One line of the check of typed cards, and the cell to select for it.
struct Finding {
    std::string text;
    int box = -1;
    bool operator==(const Finding&) const = default;
};

// Mistakes a hurried copy of paper cards leaves: numbers repeated on a sheet, empty cells, numbers outside the
// range or that no call can hit, sheets empty or the same as an earlier one, and with columnBands, numbers
// outside their column's fifth of the range (B I N G O from the left). Sheet by sheet, the sheet's own lines
// first, then cell by cell.
std::vector<Finding> CheckSheets(const DocumentContent& sheets, const SettingRecord& range, bool columnBands);
// The column bands need a range whose size five divides.
inline bool BandsPossible(const SettingRecord& range) { return range.RangeSize() % 5 == 0; }

// A whole card typed or pasted at once: numbers separated by blanks, commas, "、" or line ends (full-width
// digits, "，", tabs and the ideographic space too), read column by column or row by row; 24 entries go around
// a free centre. cells is set when the entries fill the card; message says what is wrong, or warns of a number
// given twice (which still fills the card).
struct CardEntry {
    std::optional<std::array<std::string, kCellsPerSheet>> cells;
    std::string message;
};
CardEntry ParseCardEntry(std::string_view text, bool columnByColumn);

// A cell text as the grid editor writes it: "" and "@" as they are, a number 0 to 99 without leading zeros
// ("07" is "7"); nullopt for anything else.
std::optional<std::string> EditorCellText(std::string_view text);
