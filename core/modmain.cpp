#include "modmain.h"

#include <algorithm>

namespace {
// Controls that a run disables, by menu name and by toolbar key; "mn_End" and "Stop" are the
// other way round.
constexpr std::string_view kRunDisabledMenus[] = {"mn_New",  "mn_Open",  "mn_Save", "mn_As",
                                                  "mn_Edit", "mn_Start", "mnTool"};
constexpr std::string_view kRunDisabledButtons[] = {"New",     "Open",    "Save",   "Del",      "Start",
                                                    "RealRun", "RandRun", "Random", "FreeHole", "Info"};

bool Enabled(std::string_view name, bool running, std::span<const std::string_view> runDisabled, std::string_view end) {
    if (name == end)
        return running;
    return !running || std::find(runDisabled.begin(), runDisabled.end(), name) == runDisabled.end();
}
} // namespace

modMain::modMain(Platform& platform) : platform_(platform) {}

std::string modMain::ModeText() const { return SysSetting.RunMode == 0 ? "実戦形式" : "乱数形式"; }

bool modMain::MenuEnabled(std::string_view name) const {
    return name == "mn_Undo" ? CanTakeBack() : Enabled(name, running_, kRunDisabledMenus, "mn_End");
}

bool modMain::ButtonEnabled(std::string_view key) const { return Enabled(key, running_, kRunDisabledButtons, "Stop"); }

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
