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
    view.LBLineMess = "実行中 / " + ModeText();
    view.RunLabelsVisible = true;
    view.StatusText.clear();
    UnselectBox(view.CurBox);
    view.LBInputForeColor = Colour::White;
    view.LBInputBackColor = Colour::Navy;
    for (int i = 0; i < kHistorySize; ++i)
        run.NumLog[i] = kNoNumber;
    view.LBNum = "0";
    ShowHistory();
    run.InputBuf.clear();
    ClearHitFlags();
    callRecord_.clear();
    PrepareEvaluation();
}

void modMain::CallNumber() {
    if (run.SysSetting.RunMode == 1)
        view.Timer1Enabled = false;
    view.LBNum = std::to_string(static_cast<long>(CellValue(view.LBNum)) + 1);
    for (int i = kHistorySize - 2; i >= 0; --i)
        run.NumLog[i + 1] = run.NumLog[i];
    run.NumLog[0] = RoundToInt16(CellValue(view.LBInput)).value_or(0);
    callRecord_.push_back(run.NumLog[0]);
    run.InputBuf.clear();
    view.LBInput.clear();
    ShowHistory();
    EvaluateSheets();
}

void modMain::Timer1_Timer() {
    // A tick queued before the timer was switched off, or one arriving inside this
    // tick's own yield, must not draw.
    if (!view.Timer1Enabled || inTick_)
        return;
    if (IsEditMode()) {
        view.Timer1Enabled = false;
        Refresh();
        return;
    }
    inTick_ = true;
    const int size = run.SysSetting.RangeSize();
    const unsigned serial = runSerial_;

    const std::array<bool, 101> called = CalledNumbers();
    if (RangeUsedUp(called)) {
        Yield();
        if (serial != runSerial_ || IsEditMode() || !view.Timer1Enabled) {
            inTick_ = false;
            return; // the run ended or was paused while we yielded
        }
        view.LBLineMess = std::string(kPausedCaption);
        view.Timer1Enabled = false;
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
        n = static_cast<int>(std::floor(product)) + run.SysSetting.MinNumber;
        if (n > run.SysSetting.MaxNumber)
            n = run.SysSetting.MaxNumber; // guards a product rounded up to the range size
        if (n < 0 || n > 100 || !called[n])
            break;
    }
    view.LBInput = std::to_string(n);
    Yield();
    inTick_ = false;
}

std::array<bool, 101> modMain::CalledNumbers() const {
    std::array<bool, 101> called{};
    for (int i = 0; i < kHistorySize; ++i)
        if (run.NumLog[i] >= 0 && run.NumLog[i] <= 100)
            called[static_cast<std::size_t>(run.NumLog[i])] = true;
    return called;
}

bool modMain::RangeUsedUp(const std::array<bool, 101>& called) const {
    // If no number is left (the range was changed under the run, say), the range counts as
    // used up rather than drawing for ever.
    const int size = run.SysSetting.RangeSize();
    int uncalled = 0;
    for (int n = run.SysSetting.MinNumber; n <= run.SysSetting.MaxNumber; ++n)
        uncalled += (n >= 0 && n <= 100) ? !called[static_cast<std::size_t>(n)] : 1;
    return view.LBNum == std::to_string(size) || uncalled == 0 || size <= 0;
}

int modMain::DrawCount() const { return static_cast<int>(CellValue(view.LBNum)); }

bool modMain::CanTakeBack() const {
    if (callRecord_.empty() || runEnding_ || view.LBLineMess != "実行中 / " + ModeText())
        return false;
    return run.SysSetting.RunMode == 0 || !RangeUsedUp(CalledNumbers());
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
    if (run.SysSetting.RunMode == 1)
        view.Timer1Enabled = false;
    callRecord_.pop_back();
    view.LBNum = std::to_string(DrawCount() - 1);
    run.InputBuf.clear();
    ReplayRecord();
    ShowHistory();
    platform_.Announce({});
    ResumeAfterEvaluation(true);
}

void modMain::RestoreRun(const SettingRecord& settings, std::span<const std::int16_t> calls, int drawCount,
                         bool rolling) {
    if (!IsEditMode())
        return;
    run.SysSetting = settings;
    ShowRunModeButtons();
    BeginRun();
    callRecord_.assign(calls.begin(), calls.end());
    view.LBNum = std::to_string(drawCount);
    ReplayRecord();
    ShowHistory();
    platform_.Announce({});
    ResumeAfterEvaluation(rolling);
}

bool modMain::CorrectCell(int box, const std::string& text) {
    if (!running_ || box < 0 || box >= kBoxes)
        return false;
    view.BBox[static_cast<std::size_t>(box)].Caption = text;
    // The run's cell values assume cells never change: made again, then every mark from the calls.
    PrepareEvaluation();
    ReplayRecord();
    ShowHistory();
    platform_.Announce({});
    MarkChanged();
    return true;
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
            run.HitFlag[s * kCellsPerSheet + c] = isHit ? -1 : 0;
            view.BBox[s * kCellsPerSheet + c].ForeColor = isHit ? Colour::White : Colour::Black;
            view.BBox[s * kCellsPerSheet + c].BackColor = isHit ? Colour::Black : Colour::White;
        }
    }
    Evaluate(size > 0 ? callRecord_.back() : kNoNumber);
    for (std::size_t i = 0; i < kHistorySize; ++i)
        run.NumLog[i] = i < size ? callRecord_[size - 1 - i] : kNoNumber;
}

void modMain::End() {
    const std::string remembered = view.LBLineMess;
    const unsigned serial = runSerial_;
    view.LBLineMess = std::string(kPausedCaption);
    Yield();
    const int answer = MsgBox("実行を終了します。よろしいですか?", vbYesNoExclamation, "終了");
    // The roulette keeps rolling under the question; if it used up the range meanwhile,
    // the run has already ended and the answer has nothing left to act on.
    if (serial != runSerial_ || IsEditMode())
        return;
    if (answer == vbNo) {
        view.LBLineMess = remembered;
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
            view.BBox[s * kCellsPerSheet + c].BackColor = Colour::White;
            view.BBox[s * kCellsPerSheet + c].ForeColor = Colour::Black;
        }
        view.BMess[s].BackColor = Colour::ButtonFace;
        view.BMess[s].Caption.clear();
    }
    Yield();
}

void modMain::EndRun() {
    view.Timer1Enabled = false;
    platform_.Announce({});
    ++runSerial_;
    runEnding_ = true;
    ResetSheetColors();
    runEnding_ = false;
    SelectBox(view.CurBox);
    view.LBLineMess = std::string(kEditModeCaption);
    view.LBInput.clear();
    view.LBInputBackColor = Colour::White;
    for (auto& label : view.LBLog)
        label.clear();
    view.LBNum = "0";
    view.RunLabelsVisible = false;
    view.StatusText.clear();
    running_ = false;
    Refresh();
}
