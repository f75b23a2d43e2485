#include "modmain.h"
#include "numbers.h"

namespace {
// The twelve lines of a sheet in evaluation order: rows, columns, diagonal, anti-diagonal.
constexpr std::array<std::array<int, 5>, 12> kLines = {{
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

void AppendReport(std::string& caption, const std::string& text) {
    if (!caption.empty())
        caption += ' ';
    caption += text;
}
} // namespace

void modMain::ShowHistory() {
    for (int i = 0; i < kHistoryLabels; ++i)
        LBLog[i] = NumLog[i] == kNoNumber ? std::string() : std::to_string(NumLog[i]);
    LBInput.clear();
}

void modMain::ClearHitFlags() {
    for (int i = 0; i < kBoxes; ++i)
        HitFlag[i] = 0;
}

void modMain::EvaluateSheets() {
    std::array<bool, 101> reachNum{};
    const double called = NumLog[0];

    for (int s = 0; s < kSheets; ++s) {
        SheetStatus& mess = BMess[s];
        mess.Caption.clear();
        mess.BackColor = Colour::ButtonFace;
        int reaches = 0;
        int bingos = 0;
        Cell* cells = &BBox[s * kCellsPerSheet];
        std::int16_t* hits = &HitFlag[s * kCellsPerSheet];

        for (int c = 0; c < kCellsPerSheet; ++c) {
            if (hits[c] != 0)
                continue;
            if (cells[c].Caption == "@") {
                hits[c] = -1;
                cells[c].BackColor = Colour::Black;
                cells[c].ForeColor = Colour::White;
            } else if (CellValue(cells[c].Caption) == called) {
                hits[c] = -1;
                mess.Caption = "Hit!";
                cells[c].BackColor = Colour::Black;
                cells[c].ForeColor = Colour::White;
                mess.BackColor = Colour::Black;
            }
        }

        for (const auto& line : kLines) {
            int count = 0;
            for (int c : line)
                count += hits[c] != 0;
            if (count == 4) {
                ++reaches;
                for (int c : line) {
                    if (cells[c].BackColor == Colour::Red)
                        continue;
                    if (hits[c] != 0) {
                        cells[c].BackColor = Colour::Blue;
                    } else {
                        cells[c].ForeColor = Colour::Blue;
                        // A fraction only a loaded document can bring lists its nearest
                        // whole number; values with no entry in the list are left out.
                        const auto v = RoundToInt16(CellValue(cells[c].Caption));
                        if (v && *v >= 0 && *v <= 100)
                            reachNum[*v] = true;
                    }
                }
            } else if (count == 5) {
                ++bingos;
                for (int c : line) {
                    cells[c].BackColor = Colour::Red;
                    cells[c].ForeColor = Colour::White;
                }
            }
        }

        if (reaches > 0) {
            mess.BackColor = Colour::Blue;
            AppendReport(mess.Caption, "Reach" + std::to_string(reaches));
        }
        if (bingos > 0) {
            mess.BackColor = Colour::Red;
            AppendReport(mess.Caption, "Bingo" + std::to_string(bingos));
        }
    }

    std::string list;
    for (int n = 0; n < 100; ++n) {
        if (!reachNum[n])
            continue;
        if (!list.empty())
            list += "、";
        list += std::to_string(n);
    }
    StatusText = list.empty() ? "現在、ﾘｰﾁはありません。" : "ﾘｰﾁ番号は、" + list + "です。";

    Yield();
    // A run ended inside the yield (End chosen meanwhile) must not restart the roulette.
    if (SysSetting.RunMode == 1 && !IsEditMode())
        Timer1Enabled = true;
    Refresh();
}
