#include "modmain.h"

namespace {
// Controls that a run disables, by menu name and by toolbar key; "mn_End" and "Stop"
// are the other way round and handled in SetRunControls.
constexpr std::string_view kRunDisabledMenus[] = {"mn_New", "mn_Open", "mn_Save", "mn_As",
                                                  "mn_Edit", "mn_Start", "mnTool"};
constexpr std::string_view kRunDisabledButtons[] = {"New",     "Open",    "Save",   "Del",
                                                    "Start",   "RealRun", "RandRun", "Random",
                                                    "FreeHole", "Info"};
} // namespace

modMain::modMain(Platform& platform) : platform_(platform) { SetRunControls(false); }

std::string modMain::ModeText() const { return SysSetting.RunMode == 0 ? "実戦形式" : "乱数形式"; }

bool modMain::MenuEnabled(std::string_view name) const {
    if (name == "mn_Undo")
        return CanTakeBack();
    const auto it = disabled_.find("menu:" + std::string(name));
    return it == disabled_.end() || !it->second;
}

bool modMain::ButtonEnabled(std::string_view key) const {
    const auto it = disabled_.find("button:" + std::string(key));
    return it == disabled_.end() || !it->second;
}

void modMain::SetRunControls(bool running) {
    for (auto name : kRunDisabledMenus)
        disabled_["menu:" + std::string(name)] = running;
    for (auto key : kRunDisabledButtons)
        disabled_["button:" + std::string(key)] = running;
    disabled_["menu:mn_End"] = !running;
    disabled_["button:Stop"] = !running;
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
