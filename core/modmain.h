#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cardcheck.h"
#include "grid.h"
#include "outlook.h"
#include "platform.h"
#include "settings.h"

inline constexpr char kProductName[] = "Zarvello Quorvex 98";

constexpr int kHistoryLabels = 7;
constexpr int kHistorySize = 100; // entries 0..99 in use
constexpr std::int16_t kNoNumber = 999;

// The mode captions the logic compares against.
inline constexpr std::string_view kEditModeCaption = "編集モード";
inline constexpr std::string_view kPausedCaption = "一時停止";

enum class Colour : std::uint8_t { Black, White, Blue, Red, Navy, ButtonFace };

struct Cell {
    std::string Caption;
    Colour ForeColor = Colour::Black;
    Colour BackColor = Colour::White;
};

struct SheetStatus {
    std::string Caption;
    Colour BackColor = Colour::ButtonFace;
};

// The sheet document: where it lives and whether it has unsaved changes. Its content, the sheets' names and cell
// texts, is what the display model shows (DocumentContent captures it).
struct DocumentState {
    std::string DocDir;          // ends in the path separator
    std::string DocName;         // "無題" while untitled
    std::int16_t DocChanged = 0; // -1 true, 0 false
};

// The game being played: the range and mode, the latest calls, the hit cells and the number being typed.
struct RunState {
    SettingRecord SysSetting;
    std::array<std::int16_t, kHistorySize + 1> NumLog{};
    std::array<std::int16_t, kBoxes + 1> HitFlag{};
    std::string InputBuf;
};

// What the window shows, held here and mirrored there; the rules read it back (the mode is LBLineMess's caption,
// a reach is a cell's colour), so it is the single truth.
struct DisplayModel {
    std::int16_t CurBox = 0;
    std::int16_t CurSheet = 0;
    std::array<Cell, kBoxes> BBox{};
    std::array<std::string, kSheets> BSheet{};
    std::array<SheetStatus, kSheets> BMess{};
    std::array<std::string, kHistoryLabels> LBLog{};
    std::string LBLineMess{kEditModeCaption};
    std::string LBNum = "0";
    std::string LBInput;
    Colour LBInputForeColor = Colour::Black;
    Colour LBInputBackColor = Colour::White;
    bool RunLabelsVisible = false; // LBRireki, Label1 and LBNum
    std::string StatusText;        // status bar panel 1
    std::string Caption = kProductName;
    bool Timer1Enabled = false;
    bool RealRunPressed = false;
    bool RandRunPressed = false;
};

// The game module: the program-wide state, the display model the window mirrors, and the procedures that change
// them. Storage and the window read the state freely and change the document and the settings through the
// operations below.
class modMain {
public:
    explicit modMain(Platform& platform);
    modMain(const modMain&) = delete;
    modMain& operator=(const modMain&) = delete;

    DocumentState doc;
    RunState run;
    DisplayModel view;
    std::string AppFolder; // the program's folder, ending in the path separator

    // From Start's Yes until EndRun is done: the menus and the toolbar show the run's state.
    bool IsRunning() const { return running_; }
    // Enabled state of a command by its menu item's name ("mn_New", "mnTool", ...; a toolbar button shares its
    // menu item's state) or, for the run-mode buttons, by key ("RealRun"), following IsRunning(); names not listed
    // are always enabled. "mn_Undo" follows CanTakeBack(), which changes with every call.
    bool CommandEnabled(std::string_view name) const;

    Platform& platform() { return platform_; }
    bool IsEditMode() const { return view.LBLineMess == kEditModeCaption; }
    std::string ModeText() const;

    // ---- cells and sheets ----
    void SelectBox(int box);
    void UnselectBox(int box);
    void ClearSheet(int sheet);
    void Refresh() { platform_.Changed(); }
    // The document has unsaved changes; said at once, since the window and the recovery file follow the mark.
    void MarkChanged() {
        doc.DocChanged = -1;
        Refresh();
    }
    void MarkSaved() {
        doc.DocChanged = 0;
        Refresh();
    }
    void NameDocument(std::string dir, std::string name) {
        doc.DocDir = std::move(dir);
        doc.DocName = std::move(name);
    }
    // The sheets' names and cell texts, and a document's content shown in their place.
    DocumentContent CaptureDocument() const;
    void ApplyDocument(const DocumentContent& content);
    // Empty sheets named as new, the first cell selected, nothing to save.
    void ClearDocument();
    // New settings from the options or a restored run; the run-mode buttons follow.
    void ApplySettings(const SettingRecord& settings);
    void Yield(); // show what changed, then let pending events run

    // ---- evaluation ----
    void ShowHistory();
    void ClearHitFlags();
    void EvaluateSheets();

    // ---- run control ----
    void Start();
    void End();
    void CallNumber();
    void EndRun();
    void ResetSheetColors();
    void Timer1_Timer();

    // ---- taking a call back, restoring a run ----
    // The run's calls in order, first call first (NumLog keeps only the last hundred).
    const std::vector<std::int16_t>& CallRecord() const { return callRecord_; }
    int DrawCount() const; // LBNum's value
    // A running (not paused) run with a call that a take-back may remove; never the call
    // that used up a RandRun range, which ends the run at the next tick.
    bool CanTakeBack() const;
    // Asks first; Yes leaves the state the run would have had without its latest call.
    void TakeBackLastCall();
    // From edit mode, without a question, into the state that Start with these settings
    // and these calls would have left; the roulette rolls again in RandRun when rolling.
    // A recovery file captures drawCount as DrawCount() and rolling as Timer1Enabled, both read
    // between events (a call switches the timer off until its evaluation has yielded).
    void RestoreRun(const SettingRecord& settings, std::span<const std::int16_t> calls, int drawCount, bool rolling);

    // During a run, a cell's text corrected: every mark is recomputed from the call record, as if the cell had
    // held the text since Start. Marks the document changed; false, changing nothing, outside a run.
    bool CorrectCell(int box, const std::string& text);

    // ---- the number board ----
    // In a run, what the sheet waits for, how far it is from a line and its chances; outside a run, nothing.
    SheetOutlook Outlook(int sheet) const;

    // ---- random fill ----
    void FillSheetRandom(int sheet);
    void FillAllSheetsRandom();    // asks first
    void FillCurrentSheetRandom(); // no question

    // ---- editing (edit-mode handlers of the main window) ----
    // Returns true when the context menu should open (right button in edit mode).
    bool BBox_MouseDown(int Index, int Button);
    void Form_KeyDown(int KeyCode, int Shift);
    void LBInput_Click();
    void DeleteCell();
    void ClearCurrentSheet();
    void ClearAllSheets(); // asks first
    void SetFreeHoles();   // asks first; centre of every sheet
    void SetCurrentFreeHole();
    void RenameCurrentSheet(const std::string& name);
    // A whole card written into a sheet at once, in edit mode only; false, changing nothing, otherwise.
    bool SetSheetCells(int sheet, const std::array<std::string, kCellsPerSheet>& cells);

    // ---- run-mode buttons ----
    void ShowRunModeButtons(); // pressed states from run.SysSetting.RunMode
    // A click on "RealRun" (mode 0) or "RandRun" (mode 1). Returns true when the mode
    // changed and the settings must be written.
    bool RunModeButton_Click(int mode);

private:
    // Per run, each sheet's cell texts as the evaluation needs them; cell texts cannot
    // change during a run, since every edit is an edit-mode command.
    struct SheetValues {
        std::uint32_t freeHoles = 0;                           // cells reading "@"
        std::array<std::uint32_t, 101> cellsOf{};              // other cells by whole value 0..100
        std::array<double, kCellsPerSheet> value{};            // for called numbers outside 0..100
        std::array<std::int16_t, kCellsPerSheet> reachEntry{}; // reach-list entry, -1 none
    };

    void BeginRun(); // Start's steps between the question and the evaluation
    void PrepareEvaluation();
    static std::uint32_t Matching(const SheetValues& values, std::int16_t called); // not free holes
    CallNews Evaluate(std::int16_t called); // EvaluateSheets up to the status text
    void ResumeAfterEvaluation(bool roll);
    void ReplayRecord(); // hits, marks, statuses and NumLog from the call record
    std::array<bool, 101> CalledNumbers() const;
    bool RangeUsedUp(const std::array<bool, 101>& called) const;
    void MoveSelection(int box);
    float Rnd() { return platform_.Rnd(); }
    int MsgBox(const std::string& prompt, int style, const std::string& title) {
        return platform_.MsgBox(prompt, style, title);
    }

    Platform& platform_;
    bool running_ = false;
    unsigned runSerial_ = 0; // tells a question's answer whether its run is still on
    std::vector<std::int16_t> callRecord_;
    std::array<SheetValues, kSheets> sheetValues_{};
    bool inTick_ = false;
    bool runEnding_ = false; // EndRun is under way: its yields must not let a number be called
};

// The box an arrow key (vk::Left, Up, Right, Down) selects from box: the neighbouring cell, across a sheet's
// edge into the facing edge of the neighbouring sheet, and box itself at the outer edge of all eight.
int NeighbourBox(int box, int key);

// Virtual key codes the keyboard rules use.
namespace vk {
constexpr int Tab = 9, Return = 13, Left = 37, Up = 38, Right = 39, Down = 40;
constexpr int Digit0 = 48, Digit9 = 57, Numpad0 = 96, Numpad9 = 105, Separator = 108;
constexpr int At = 192;
} // namespace vk
constexpr int kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;
constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;
