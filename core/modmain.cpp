#include "modmain.h"

#include <algorithm>

namespace {
// Commands a run disables, by menu name (a menu disables its items) or by the toolbar-only buttons' keys.
constexpr std::string_view kRunDisabled[] = {"mn_New",   "mn_Open", "mn_Save", "mn_As",  "mn_Edit",
                                             "mn_Start", "mnTool",  "RealRun", "RandRun"};
} // namespace

modMain::modMain(Platform& platform) : platform_(platform) {}

std::string modMain::ModeText() const { return run.SysSetting.RunMode == 0 ? "実戦形式" : "乱数形式"; }

bool modMain::CommandEnabled(std::string_view name) const {
    if (name == "mn_Undo")
        return CanTakeBack();
    if (name == "mn_End")
        return running_;
    return !running_ || std::find(std::begin(kRunDisabled), std::end(kRunDisabled), name) == std::end(kRunDisabled);
}

void modMain::SelectBox(int box) {
    view.BBox[box].ForeColor = Colour::White;
    view.BBox[box].BackColor = Colour::Navy;
    run.InputBuf.clear();
}

void modMain::UnselectBox(int box) {
    view.BBox[box].ForeColor = Colour::Black;
    view.BBox[box].BackColor = Colour::White;
}

void modMain::ClearSheet(int sheet) {
    for (int c = 0; c < kCellsPerSheet; ++c)
        view.BBox[sheet * kCellsPerSheet + c].Caption.clear();
    view.BSheet[sheet] = "Sheet " + std::to_string(sheet + 1);
}

DocumentContent modMain::CaptureDocument() const {
    DocumentContent content{view.BSheet, {}};
    for (int b = 0; b < kBoxes; ++b)
        content.cells[b] = view.BBox[b].Caption;
    return content;
}

void modMain::ApplyDocument(const DocumentContent& content) {
    view.BSheet = content.names;
    for (int b = 0; b < kBoxes; ++b)
        view.BBox[b].Caption = content.cells[b];
}

void modMain::ClearDocument() {
    UnselectBox(view.CurBox);
    view.CurBox = 0;
    view.CurSheet = 0;
    for (int s = 0; s < kSheets; ++s)
        ClearSheet(s);
    Yield();
    SelectBox(view.CurBox);
    MarkSaved();
}

void modMain::ApplySettings(const SettingRecord& settings) {
    run.SysSetting = settings;
    ShowRunModeButtons();
}

void modMain::Yield() {
    platform_.Changed();
    platform_.DoEvents();
}

void modMain::ShowRunModeButtons() {
    if (run.SysSetting.RunMode != 0) {
        view.RealRunPressed = false;
        view.RandRunPressed = true;
    } else {
        view.RealRunPressed = true;
        view.RandRunPressed = false;
    }
    Refresh();
}

bool modMain::RunModeButton_Click(int mode) {
    // The test is on the button's pressed state, not on RunMode.
    bool& pressed = mode == 0 ? view.RealRunPressed : view.RandRunPressed;
    if (pressed)
        return false;
    view.RealRunPressed = mode == 0;
    view.RandRunPressed = mode != 0;
    run.SysSetting.RunMode = static_cast<std::int16_t>(mode == 0 ? 0 : 1);
    Refresh();
    return true;
}
