#include "modmain.h"

void modMain::MoveSelection(int box) {
    UnselectBox(view.CurBox);
    view.CurBox = static_cast<std::int16_t>(box);
    SelectBox(view.CurBox);
}

bool modMain::BBox_MouseDown(int Index, int Button) {
    if (!IsEditMode() || Index < 0 || Index >= kBoxes)
        return false;
    UnselectBox(view.CurBox);
    view.CurBox = static_cast<std::int16_t>(Index);
    view.CurSheet = static_cast<std::int16_t>(Index / kCellsPerSheet);
    SelectBox(view.CurBox);
    Refresh();
    return Button == kRightButton;
}

int NeighbourBox(int box, int key) {
    const int sheet = box / kCellsPerSheet, cell = box % kCellsPerSheet;
    const int row = cell / kCellsPerSide, column = cell % kCellsPerSide;
    const int sheetRow = sheet / kSheetsPerRow, sheetColumn = sheet % kSheetsPerRow;
    constexpr int last = kCellsPerSide - 1, sheetRows = kSheets / kSheetsPerRow;
    switch (key) {
    case vk::Up:
        return row > 0        ? box - kCellsPerSide
               : sheetRow > 0 ? box - kSheetsPerRow * kCellsPerSheet + last * kCellsPerSide
                              : box;
    case vk::Down:
        return row < last                 ? box + kCellsPerSide
               : sheetRow < sheetRows - 1 ? box + kSheetsPerRow * kCellsPerSheet - last * kCellsPerSide
                                          : box;
    case vk::Left:
        return column > 0 ? box - 1 : sheetColumn > 0 ? box - kCellsPerSheet + last : box;
    case vk::Right:
        return column < last ? box + 1 : sheetColumn < kSheetsPerRow - 1 ? box + kCellsPerSheet - last : box;
    default:
        return box;
    }
}

void modMain::Form_KeyDown(int KeyCode, int Shift) {
    // Stage 1: selection and free hole, edit mode only.
    view.CurSheet = static_cast<std::int16_t>(view.CurBox / kCellsPerSheet);
    const int c = view.CurBox - kCellsPerSheet * view.CurSheet;
    const bool editing = IsEditMode();
    if (editing) {
        switch (KeyCode) {
        case vk::Up:
        case vk::Down:
        case vk::Left:
        case vk::Right:
            // At the outer edge nothing moves, and nothing is repainted either.
            if (const int next = NeighbourBox(view.CurBox, KeyCode); next != view.CurBox)
                MoveSelection(next);
            break;
        case vk::Tab:
            if (Shift == 0) {
                view.CurSheet = static_cast<std::int16_t>((view.CurSheet + 1) % kSheets);
                MoveSelection(view.CurBox + 25 > kBoxes - 1 ? view.CurBox + 25 - kBoxes : view.CurBox + 25);
            } else if (Shift == kShiftMask) {
                view.CurSheet = static_cast<std::int16_t>(view.CurSheet - 1 < 0 ? kSheets - 1 : view.CurSheet - 1);
                MoveSelection(view.CurBox - 25 < 0 ? view.CurBox - 25 + kBoxes : view.CurBox - 25);
            }
            break;
        case vk::At:
            view.BBox[view.CurBox].Caption = "@";
            doc.DocChanged = -1;
            break;
        default:
            break;
        }
    }

    // Stage 2: digits and Enter, both modes.
    int digit = -1;
    if (KeyCode >= vk::Digit0 && KeyCode <= vk::Digit9)
        digit = KeyCode - vk::Digit0;
    else if (KeyCode >= vk::Numpad0 && KeyCode <= vk::Numpad9)
        digit = KeyCode - vk::Numpad0;

    if (digit >= 0) {
        run.InputBuf = "0" + run.InputBuf + static_cast<char>('0' + digit);
        // The typed number is the last two characters; every digit is stored behind a "0".
        const int tens = run.InputBuf[run.InputBuf.size() - 2] - '0';
        const std::string typed = std::to_string(tens * 10 + digit);
        if (IsEditMode()) {
            view.BBox[view.CurBox].Caption = typed;
            doc.DocChanged = -1;
        } else if (run.SysSetting.RunMode == 0) {
            view.LBInput = typed;
        }
        // Keep the buffer short: only its last two characters ever count.
        if (run.InputBuf.size() > 2)
            run.InputBuf.erase(0, run.InputBuf.size() - 2);
    } else if (KeyCode == vk::Return || KeyCode == vk::Separator) {
        if (IsEditMode()) {
            const int next = c + 1 < kCellsPerSheet ? c + 1 : 0;
            MoveSelection(kCellsPerSheet * view.CurSheet + next);
        } else if (!view.LBInput.empty() && !runEnding_) {
            CallNumber();
            return;
        }
    }
    Refresh();
}

void modMain::LBInput_Click() {
    if (IsEditMode() || runEnding_ || view.LBInput.empty())
        return;
    CallNumber();
}

void modMain::DeleteCell() {
    view.BBox[view.CurBox].Caption.clear();
    // Every other edit marks the document changed; a deleted number must not be lost
    // without the save question either.
    MarkChanged();
}

void modMain::ClearCurrentSheet() {
    ClearSheet(view.CurBox / kCellsPerSheet);
    Yield();
    MarkChanged();
}

void modMain::ClearAllSheets() {
    if (MsgBox("全てのｼｰﾄを消去します。よろしいですか?", vbYesNoExclamation, "全てのｼｰﾄを消去") == vbNo)
        return;
    for (int s = 0; s < kSheets; ++s)
        ClearSheet(s);
    Yield();
    MarkChanged();
}

void modMain::SetFreeHoles() {
    if (MsgBox("ｼｰﾄの中心をﾌﾘｰﾎｰﾙに設定します。よろしいですか?", vbYesNoExclamation, "ｼｰﾄの中心をﾌﾘｰﾎｰﾙに設定") == vbNo)
        return;
    for (int s = 0; s < kSheets; ++s)
        view.BBox[s * kCellsPerSheet + kCentreCell].Caption = "@";
    MarkChanged();
}

void modMain::SetCurrentFreeHole() {
    view.BBox[(view.CurBox / kCellsPerSheet) * kCellsPerSheet + kCentreCell].Caption = "@";
    MarkChanged();
}

bool modMain::SetSheetCells(int sheet, const std::array<std::string, kCellsPerSheet>& cells) {
    if (!IsEditMode() || sheet < 0 || sheet >= kSheets)
        return false;
    for (int c = 0; c < kCellsPerSheet; ++c)
        view.BBox[static_cast<std::size_t>(sheet * kCellsPerSheet + c)].Caption = cells[static_cast<std::size_t>(c)];
    MarkChanged();
    return true;
}

void modMain::RenameCurrentSheet(const std::string& name) {
    view.BSheet[view.CurBox / kCellsPerSheet] = name;
    MarkChanged();
}
