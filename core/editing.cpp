#include "modmain.h"

void modMain::MoveSelection(int box) {
    UnselectBox(CurBox);
    CurBox = static_cast<std::int16_t>(box);
    SelectBox(CurBox);
}

bool modMain::BBox_MouseDown(int Index, int Button) {
    if (!IsEditMode() || Index < 0 || Index >= kBoxes)
        return false;
    UnselectBox(CurBox);
    CurBox = static_cast<std::int16_t>(Index);
    CurSheet = static_cast<std::int16_t>(Index / kCellsPerSheet);
    SelectBox(CurBox);
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
    CurSheet = static_cast<std::int16_t>(CurBox / kCellsPerSheet);
    const int c = CurBox - kCellsPerSheet * CurSheet;
    const bool editing = IsEditMode();
    if (editing) {
        switch (KeyCode) {
        case vk::Up:
        case vk::Down:
        case vk::Left:
        case vk::Right:
            // At the outer edge nothing moves, and nothing is repainted either.
            if (const int next = NeighbourBox(CurBox, KeyCode); next != CurBox)
                MoveSelection(next);
            break;
        case vk::Tab:
            if (Shift == 0) {
                CurSheet = static_cast<std::int16_t>((CurSheet + 1) % kSheets);
                MoveSelection(CurBox + 25 > kBoxes - 1 ? CurBox + 25 - kBoxes : CurBox + 25);
            } else if (Shift == kShiftMask) {
                CurSheet = static_cast<std::int16_t>(CurSheet - 1 < 0 ? kSheets - 1 : CurSheet - 1);
                MoveSelection(CurBox - 25 < 0 ? CurBox - 25 + kBoxes : CurBox - 25);
            }
            break;
        case vk::At:
            BBox[CurBox].Caption = "@";
            DocChanged = -1;
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
        InputBuf = "0" + InputBuf + static_cast<char>('0' + digit);
        // The typed number is the last two characters; every digit is stored behind a "0".
        const int tens = InputBuf[InputBuf.size() - 2] - '0';
        const std::string typed = std::to_string(tens * 10 + digit);
        if (IsEditMode()) {
            BBox[CurBox].Caption = typed;
            DocChanged = -1;
        } else if (SysSetting.RunMode == 0) {
            LBInput = typed;
        }
        // Keep the buffer short: only its last two characters ever count.
        if (InputBuf.size() > 2)
            InputBuf.erase(0, InputBuf.size() - 2);
    } else if (KeyCode == vk::Return || KeyCode == vk::Separator) {
        if (IsEditMode()) {
            const int next = c + 1 < kCellsPerSheet ? c + 1 : 0;
            MoveSelection(kCellsPerSheet * CurSheet + next);
        } else if (!LBInput.empty() && !runEnding_) {
            CallNumber();
            return;
        }
    }
    Refresh();
}

void modMain::LBInput_Click() {
    if (IsEditMode() || runEnding_ || LBInput.empty())
        return;
    CallNumber();
}

void modMain::DeleteCell() {
    BBox[CurBox].Caption.clear();
    // Every other edit marks the document changed; a deleted number must not be lost
    // without the save question either.
    MarkChanged();
}

void modMain::ClearCurrentSheet() {
    ClearSheet(CurBox / kCellsPerSheet);
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
        BBox[s * kCellsPerSheet + kCentreCell].Caption = "@";
    MarkChanged();
}

void modMain::SetCurrentFreeHole() {
    BBox[(CurBox / kCellsPerSheet) * kCellsPerSheet + kCentreCell].Caption = "@";
    MarkChanged();
}

void modMain::RenameCurrentSheet(const std::string& name) {
    BSheet[CurBox / kCellsPerSheet] = name;
    MarkChanged();
}
