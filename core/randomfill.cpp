#include "modmain.h"

#include <utility>

void modMain::FillSheetRandom(int sheet) {
    struct Row {
        std::int16_t number = 0;
        std::int16_t key = 0;
    };
    std::array<Row, 101> table{};
    const int lo = run.SysSetting.MinNumber;
    const int hi = run.SysSetting.MaxNumber;
    for (int n = lo; n <= hi; ++n)
        table[n] = {static_cast<std::int16_t>(n), static_cast<std::int16_t>(Rnd() * 1000.0f)};
    // Exchange sort by descending key; equal keys never swap.
    for (int i = lo; i < hi; ++i)
        for (int j = i + 1; j <= hi; ++j)
            if (table[i].key < table[j].key)
                std::swap(table[i], table[j]);
    // A hand-edited range of fewer than 25 numbers leaves the rows past it at 0, so the
    // cells past the range read "0": a valid cell text, never an index outside the table.
    for (int c = 0; c < kCellsPerSheet; ++c) {
        const int row = lo + c;
        view.BBox[sheet * kCellsPerSheet + c].Caption = std::to_string(row <= 100 ? table[row].number : 0);
    }
}

void modMain::FillAllSheetsRandom() {
    platform_.Randomize();
    if (MsgBox("全てのｼｰﾄをﾗﾝﾀﾞﾑで設定します。よろしいですか?", vbYesNoExclamation, "ﾗﾝﾀﾞﾑで番号を設定") == vbNo)
        return;
    for (int s = 0; s < kSheets; ++s)
        FillSheetRandom(s);
    Yield();
    MarkChanged();
}

void modMain::FillCurrentSheetRandom() {
    platform_.Randomize();
    FillSheetRandom(view.CurBox / kCellsPerSheet);
    Yield();
    MarkChanged();
}
