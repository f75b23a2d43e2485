#include "modmain.h"

#include <algorithm>

namespace {
// Commands a run disables, by menu name (a menu disables its items) or by the toolbar-only buttons' keys.
constexpr std::string_view kRunDisabled[] = {"mn_New",   "mn_Open", "mn_Save", "mn_As",  "mn_Edit",
                                             "mn_Start", "mnTool",  "RealRun", "RandRun"};
} // namespace

modMain::modMain(Platform& platform) : platform_(platform) {}

std::string modMain::ModeText() const { return SysSetting.RunMode == 0 ? "実戦形式" : "乱数形式"; }

bool modMain::CommandEnabled(std::string_view name) const {
    if (name == "mn_Undo")
        return CanTakeBack();
    if (name == "mn_End")
        return running_;
    return !running_ || std::find(std::begin(kRunDisabled), std::end(kRunDisabled), name) == std::end(kRunDisabled);
}

void modMain::SelectBox(int box) {
    BBox[box].ForeColor = Colour::White;
    BBox[box].BackColor = Colour::Navy;
    InputBuf.clear();
}

void modMain::UnselectBox(int box) {
    BBox[box].ForeColor = Colour::Black;
    BBox[box].BackColor = Colour::White;
}

void modMain::ClearSheet(int sheet) {
    for (int c = 0; c < kCellsPerSheet; ++c)
        BBox[sheet * kCellsPerSheet + c].Caption.clear();
    BSheet[sheet] = "Sheet " + std::to_string(sheet + 1);
}

void modMain::Yield() {
    platform_.Changed();
    platform_.DoEvents();
}

void modMain::ShowRunModeButtons() {
    if (SysSetting.RunMode != 0) {
        RealRunPressed = false;
        RandRunPressed = true;
    } else {
        RealRunPressed = true;
        RandRunPressed = false;
    }
    Refresh();
}

bool modMain::RunModeButton_Click(int mode) {
    // The test is on the button's pressed state, not on RunMode.
    bool& pressed = mode == 0 ? RealRunPressed : RandRunPressed;
    if (pressed)
        return false;
    RealRunPressed = mode == 0;
    RandRunPressed = mode != 0;
    SysSetting.RunMode = static_cast<std::int16_t>(mode == 0 ? 0 : 1);
    Refresh();
    return true;
}
