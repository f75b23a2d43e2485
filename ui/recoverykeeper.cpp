#include "recoverykeeper.h"

#include "modmain.h"
#include "qtplatform.h"

#include <utility>

namespace {
// Edits are written at most this long after the first of a burst.
constexpr int kEditDelayMs = 1000;
} // namespace

// A program folder that cannot be named has no recovery either: nothing is written outside it.
RecoveryKeeper::RecoveryKeeper(modMain& m, QtPlatform& platform, std::string folder)
    : m_(m), platform_(platform), folder_(std::move(folder)), lock_(folder_) {
    editTimer_.setSingleShot(true);
    editTimer_.setInterval(kEditDelayMs);
    connect(&editTimer_, &QTimer::timeout, this, &RecoveryKeeper::WriteNow);
}

RecoveryKeeper::~RecoveryKeeper() = default;

bool RecoveryKeeper::Offer() {
    // Said before any game, so the operator knows a crash would lose it. A second copy stays silent: the
    // first one keeps recovery.
    if (lock_.status() == RecoveryLock::Status::Unavailable)
        platform_.MsgBox("このﾌｫﾙﾀﾞには書き込めないため、強制終了したときに内容を復元できません。", vbOKOnlyExclamation,
                         kProductName);
    if (!ownsRecovery())
        return false;
    const RecoveryFile file = ReadRecovery(folder_);
    if (file.status == RecoveryFile::Status::None)
        return false;
    if (file.status == RecoveryFile::Status::Bad) {
        standingAside_ = !SetAsideRecovery(folder_, ".bad");
        platform_.MsgBox("復元用のﾌｧｲﾙが読めないため、使わずに起動します。", vbOKOnlyExclamation, "復元");
        return false;
    }
    if (platform_.MsgBox("前回は正しく終了しませんでした。保存されていない内容を復元しますか?", vbYesNoExclamation,
                         "復元") != vbYes) {
        // Kept one generation back: a No in haste need not cost the game.
        standingAside_ = !SetAsideRecovery(folder_, ".old");
        return false;
    }
    RestoreRecovery(m_, file.state);
    return true;
}

void RecoveryKeeper::Watch() {
    if (!ownsRecovery() || watching_)
        return;
    watching_ = true;
    connect(&platform_, &QtPlatform::modelChanged, this, &RecoveryKeeper::ModelChanged);
    // A restored file is written again at once from what the window now shows.
    present_ = ReadRecovery(folder_).status != RecoveryFile::Status::None;
    written_.reset();
    ModelChanged();
}

void RecoveryKeeper::Finish() {
    if (!watching_)
        return;
    watching_ = false;
    disconnect(&platform_, nullptr, this, nullptr);
    editTimer_.stop();
    Remove();
}

bool RecoveryKeeper::NothingToLose() const { return m_.IsEditMode() && m_.doc.DocChanged == 0; }

void RecoveryKeeper::ModelChanged() {
    if (NothingToLose())
        return Remove();
    RecoveryState state = CaptureRecovery(m_);
    if (written_ && *written_ == state)
        return;
    // A run's steps, and a cell corrected during it, are written at once; edits wait for the end of a burst of
    // typing. The roulette's ticks change nothing the file holds, so they never write.
    if (state.run || (written_ ? written_->run : std::nullopt) != state.run)
        Write(std::move(state));
    else if (!editTimer_.isActive())
        editTimer_.start();
}

void RecoveryKeeper::WriteNow() {
    if (!watching_)
        return;
    if (NothingToLose())
        return Remove();
    Write(CaptureRecovery(m_));
}

void RecoveryKeeper::Write(RecoveryState state) {
    editTimer_.stop();
    // Even a write that reports a failure may have left a file; the next change tries again.
    present_ = true;
    if (WriteRecovery(folder_, state))
        written_ = std::move(state);
}

void RecoveryKeeper::Remove() {
    editTimer_.stop();
    written_.reset();
    if (present_)
        present_ = !DeleteRecovery(folder_);
}
