#include "modmain.h"
#include "numbers.h"

#include <cmath>

void modMain::Start() {
    if (MsgBox("ビンゴを" + ModeText() + "で開始します。よろしいですか?", vbYesNoExclamation, "開始") == vbNo)
        return;
    if (!IsEditMode())
        return; // a run began while the question was open
    BeginRun();
    EvaluateSheets();
}

void modMain::BeginRun() {
    ++runSerial_;
    running_ = true;
    LBLineMess = "実行中 / " + ModeText();
    RunLabelsVisible = true;
    StatusText.clear();
    UnselectBox(CurBox);
    LBInputForeColor = Colour::White;
    LBInputBackColor = Colour::Navy;
    for (int i = 0; i < kHistorySize; ++i)
        NumLog[i] = kNoNumber;
    LBNum = "0";
    ShowHistory();
    InputBuf.clear();
    ClearHitFlags();
    callRecord_.clear();
    PrepareEvaluation();
}

void modMain::CallNumber() {
    if (SysSetting.RunMode == 1)
        Timer1Enabled = false;
    LBNum = std::to_string(static_cast<long>(CellValue(LBNum)) + 1);
    for (int i = kHistorySize - 2; i >= 0; --i)
        NumLog[i + 1] = NumLog[i];
    NumLog[0] = RoundToInt16(CellValue(LBInput)).value_or(0);
    callRecord_.push_back(NumLog[0]);
    InputBuf.clear();
    LBInput.clear();
    ShowHistory();
    EvaluateSheets();
}

void modMain::Timer1_Timer() {
    // A tick queued before the timer was switched off, or one arriving inside this
    // tick's own yield, must not draw.
    if (!Timer1Enabled || inTick_)
        return;
    if (IsEditMode()) {
        Timer1Enabled = false;
        Refresh();
        return;
    }
    inTick_ = true;
    const int size = SysSetting.RangeSize();
    const unsigned serial = runSerial_;

    const std::array<bool, 101> called = CalledNumbers();
    if (RangeUsedUp(called)) {
        Yield();
        if (serial != runSerial_ || IsEditMode() || !Timer1Enabled) {
            inTick_ = false;
            return; // the run ended or was paused while we yielded
        }
        LBLineMess = std::string(kPausedCaption);
        Timer1Enabled = false;
        Refresh();
        MsgBox("回数が" + std::to_string(size) + "回に到達したので終了します。", vbNoticeExclamation, "終了");
        Yield();
        inTick_ = false;
        if (serial == runSerial_ && !IsEditMode())
            EndRun();
        return;
    }

    int n = 0;
    for (;;) {
        const float product = Rnd() * static_cast<float>(size);
        n = static_cast<int>(std::floor(product)) + SysSetting.MinNumber;
        if (n > SysSetting.MaxNumber)
            n = SysSetting.MaxNumber; // guards a product rounded up to the range size
        if (n < 0 || n > 100 || !called[n])
            break;
    }
    LBInput = std::to_string(n);
    Yield();
    inTick_ = false;
}

std::array<bool, 101> modMain::CalledNumbers() const {
    std::array<bool, 101> called{};
    for (int i = 0; i < kHistorySize; ++i)
        if (NumLog[i] >= 0 && NumLog[i] <= 100)
            called[static_cast<std::size_t>(NumLog[i])] = true;
    return called;
}

bool modMain::RangeUsedUp(const std::array<bool, 101>& called) const {
    // If no number is left (the range was changed under the run, say), the range counts as
    // used up rather than drawing for ever.
    const int size = SysSetting.RangeSize();
    int uncalled = 0;
    for (int n = SysSetting.MinNumber; n <= SysSetting.MaxNumber; ++n)
        uncalled += (n >= 0 && n <= 100) ? !called[static_cast<std::size_t>(n)] : 1;
    return LBNum == std::to_string(size) || uncalled == 0 || size <= 0;
}

int modMain::DrawCount() const { return static_cast<int>(CellValue(LBNum)); }

bool modMain::CanTakeBack() const {
    if (callRecord_.empty() || runEnding_ || LBLineMess != "実行中 / " + ModeText())
        return false;
    return SysSetting.RunMode == 0 || !RangeUsedUp(CalledNumbers());
}

void modMain::TakeBackLastCall() {
    if (!CanTakeBack())
        return;
    const unsigned serial = runSerial_;
    const std::size_t calls = callRecord_.size();
    if (MsgBox("番号 " + std::to_string(callRecord_.back()) + " の呼び出しを取り消します。よろしいですか?",
               vbYesNoExclamation, "取り消し") != vbYes)
        return;
    // Events run under the question (the roulette rolls on): if the run ended, paused or took
    // another call meanwhile, the answer is about a state that is gone.
    if (serial != runSerial_ || calls != callRecord_.size() || !CanTakeBack())
        return;
    if (SysSetting.RunMode == 1)
        Timer1Enabled = false;
    callRecord_.pop_back();
    LBNum = std::to_string(DrawCount() - 1);
    InputBuf.clear();
    ReplayRecord();
    ShowHistory();
    ResumeAfterEvaluation(true);
}

void modMain::RestoreRun(const SettingRecord& settings, std::span<const std::int16_t> calls, int drawCount,
                         bool rolling) {
    if (!IsEditMode())
        return;
    SysSetting = settings;
    ShowRunModeButtons();
    BeginRun();
    callRecord_.assign(calls.begin(), calls.end());
    LBNum = std::to_string(drawCount);
    ReplayRecord();
    ShowHistory();
    ResumeAfterEvaluation(rolling);
}

void modMain::ReplayRecord() {
    // A run's marks depend only on which cells are hit: hits only accumulate, and every
    // evaluation paints each reach and bingo line again. So the hits of Start and of every
    // call but the last are set at once, and the last call's evaluation paints all marks.
    const std::size_t size = callRecord_.size();
    for (int s = 0; s < kSheets; ++s) {
        const SheetValues& values = sheetValues_[s];
        std::uint32_t hit = 0;
        if (size > 0) {
            hit = values.freeHoles | Matching(values, kNoNumber);
            for (std::size_t i = 0; i + 1 < size; ++i)
                hit |= Matching(values, callRecord_[i]);
        }
        for (int c = 0; c < kCellsPerSheet; ++c) {
            const bool isHit = hit >> c & 1u;
            HitFlag[s * kCellsPerSheet + c] = isHit ? -1 : 0;
            BBox[s * kCellsPerSheet + c].ForeColor = isHit ? Colour::White : Colour::Black;
            BBox[s * kCellsPerSheet + c].BackColor = isHit ? Colour::Black : Colour::White;
        }
    }
    Evaluate(size > 0 ? callRecord_.back() : kNoNumber);
    for (std::size_t i = 0; i < kHistorySize; ++i)
        NumLog[i] = i < size ? callRecord_[size - 1 - i] : kNoNumber;
}

void modMain::End() {
    const std::string remembered = LBLineMess;
    const unsigned serial = runSerial_;
    LBLineMess = std::string(kPausedCaption);
    Yield();
    const int answer = MsgBox("実行を終了します。よろしいですか?", vbYesNoExclamation, "終了");
    // The roulette keeps rolling under the question; if it used up the range meanwhile,
    // the run has already ended and the answer has nothing left to act on.
    if (serial != runSerial_ || IsEditMode())
        return;
    if (answer == vbNo) {
        LBLineMess = remembered;
        Refresh();
        return;
    }
    Yield();
    if (serial != runSerial_ || IsEditMode())
        return;
    EndRun();
}

void modMain::ResetSheetColors() {
    for (int s = 0; s < kSheets; ++s) {
        for (int c = 0; c < kCellsPerSheet; ++c) {
            BBox[s * kCellsPerSheet + c].BackColor = Colour::White;
            BBox[s * kCellsPerSheet + c].ForeColor = Colour::Black;
        }
        BMess[s].BackColor = Colour::ButtonFace;
        BMess[s].Caption.clear();
    }
    Yield();
}

void modMain::EndRun() {
    Timer1Enabled = false;
    ++runSerial_;
    runEnding_ = true;
    ResetSheetColors();
    runEnding_ = false;
    SelectBox(CurBox);
    LBLineMess = std::string(kEditModeCaption);
    LBInput.clear();
    LBInputBackColor = Colour::White;
    for (auto& label : LBLog)
        label.clear();
    LBNum = "0";
    RunLabelsVisible = false;
    StatusText.clear();
    running_ = false;
    Refresh();
}
