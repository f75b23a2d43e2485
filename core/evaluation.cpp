#include "modmain.h"
#include "numbers.h"

#include <bit>
#include <cmath>

namespace {
void AppendReport(std::string& caption, std::string_view word, int count) {
    if (!caption.empty())
        caption += ' ';
    caption += word;
    caption += std::to_string(count);
}
} // namespace

void modMain::ShowHistory() {
    for (int i = 0; i < kHistoryLabels; ++i)
        view.LBLog[i] = run.NumLog[i] == kNoNumber ? std::string() : std::to_string(run.NumLog[i]);
    view.LBInput.clear();
}

void modMain::ClearHitFlags() {
    for (int i = 0; i < kBoxes; ++i)
        run.HitFlag[i] = 0;
}

void modMain::PrepareEvaluation() {
    for (int s = 0; s < kSheets; ++s) {
        SheetValues& v = sheetValues_[s];
        v = {};
        for (int c = 0; c < kCellsPerSheet; ++c) {
            const std::string& text = view.BBox[s * kCellsPerSheet + c].Caption;
            const double value = CellValue(text);
            v.value[c] = value;
            // A fraction only a loaded document can bring lists its nearest whole number;
            // values with no entry in the list are left out.
            const auto rounded = RoundToInt16(value);
            v.reachEntry[c] = rounded && *rounded >= 0 && *rounded <= 100 ? *rounded : std::int16_t(-1);
            if (text == "@")
                v.freeHoles |= 1u << c;
            else if (value >= 0 && value <= 100 && value == std::floor(value))
                v.cellsOf[static_cast<std::size_t>(value)] |= 1u << c;
        }
    }
}

std::uint32_t modMain::Matching(const SheetValues& values, std::int16_t called) {
    if (called >= 0 && called <= 100)
        return values.cellsOf[static_cast<std::size_t>(called)];
    std::uint32_t matching = 0; // free holes read 0, so none is among these
    for (int c = 0; c < kCellsPerSheet; ++c)
        if (values.value[c] == called)
            matching |= 1u << c;
    return matching;
}

void modMain::EvaluateSheets() {
    CallNews news = Evaluate(run.NumLog[0]);
    // Start's evaluation sets the free holes: no call, no news.
    news.call = !callRecord_.empty();
    platform_.Announce(news.call ? news : CallNews{});
    ResumeAfterEvaluation(true);
}

CallNews modMain::Evaluate(std::int16_t called) {
    std::array<std::uint64_t, 2> reachNum{}; // bit n: n is missing from a reach line, n 0..100
    CallNews news;

    for (int s = 0; s < kSheets; ++s) {
        const SheetValues& values = sheetValues_[s];
        SheetStatus& mess = view.BMess[s];
        mess.Caption.clear();
        mess.BackColor = Colour::ButtonFace;
        Cell* cells = &view.BBox[s * kCellsPerSheet];
        std::int16_t* hits = &run.HitFlag[s * kCellsPerSheet];

        std::uint32_t hit = 0;
        for (int c = 0; c < kCellsPerSheet; ++c)
            hit |= std::uint32_t{hits[c] != 0} << c;
        // Free holes are hit without a "Hit!".
        const std::uint32_t newHits = Matching(values, called) & ~hit;
        if (newHits != 0) {
            mess.Caption = "Hit!";
            mess.BackColor = Colour::Black;
        }
        for (std::uint32_t fresh = (newHits | values.freeHoles) & ~hit; fresh != 0; fresh &= fresh - 1) {
            const int c = std::countr_zero(fresh);
            hits[c] = -1;
            cells[c].BackColor = Colour::Black;
            cells[c].ForeColor = Colour::White;
        }
        const std::uint32_t before = hit;
        hit |= newHits | values.freeHoles;
        LineNews& sheetNews = news.sheets[static_cast<std::size_t>(s)];

        int reaches = 0;
        int bingos = 0;
        for (std::size_t i = 0; i < kSheetLines.size(); ++i) {
            // Four of five hit leaves exactly one bit missing.
            const std::uint32_t missing = kLineMasks[i] & ~hit;
            const bool grew = (kLineMasks[i] & ~before) != missing;
            if (missing != 0 && (missing & (missing - 1)) == 0) {
                ++reaches;
                if (grew && sheetNews == LineNews::None)
                    sheetNews = LineNews::Reach;
                for (int c : kSheetLines[i]) {
                    if (cells[c].BackColor == Colour::Red)
                        continue;
                    if (hit >> c & 1u) {
                        cells[c].BackColor = Colour::Blue;
                    } else {
                        cells[c].ForeColor = Colour::Blue;
                        if (const int v = values.reachEntry[c]; v >= 0)
                            reachNum[static_cast<std::size_t>(v >> 6)] |= std::uint64_t{1} << (v & 63);
                    }
                }
            } else if (missing == 0) {
                ++bingos;
                if (grew)
                    sheetNews = LineNews::Bingo;
                for (int c : kSheetLines[i]) {
                    cells[c].BackColor = Colour::Red;
                    cells[c].ForeColor = Colour::White;
                }
            }
        }

        if (reaches > 0) {
            mess.BackColor = Colour::Blue;
            AppendReport(mess.Caption, "Reach", reaches);
        }
        if (bingos > 0) {
            mess.BackColor = Colour::Red;
            AppendReport(mess.Caption, "Bingo", bingos);
        }
    }

    // Built in place: the text keeps its buffer from call to call.
    view.StatusText.clear();
    for (int word = 0; word < 2; ++word) {
        for (std::uint64_t bits = reachNum[static_cast<std::size_t>(word)]; bits != 0; bits &= bits - 1) {
            const int n = 64 * word + std::countr_zero(bits);
            if (n >= 100) // entry 100 is never listed
                break;
            view.StatusText += view.StatusText.empty() ? "ﾘｰﾁ番号は、" : "、";
            view.StatusText += std::to_string(n);
        }
    }
    view.StatusText += view.StatusText.empty() ? "現在、ﾘｰﾁはありません。" : "です。";
    return news;
}

void modMain::ResumeAfterEvaluation(bool roll) {
    Yield();
    // A run ended inside the yield (End chosen meanwhile) must not restart the roulette.
    if (roll && run.SysSetting.RunMode == 1 && !IsEditMode())
        view.Timer1Enabled = true;
    Refresh();
}
