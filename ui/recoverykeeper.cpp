#include "recoverykeeper.h"

#include "modmain.h"
#include "qtplatform.h"
#include "settingsfile.h"
#include "sheetdocument.h"

#include <sys/stat.h>
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
    Restore(file.state);
    return true;
}

void RecoveryKeeper::Restore(const RecoveryState& state) {
    for (int s = 0; s < kSheets; ++s)
        m_.BSheet[s] = state.names[s];
    for (int b = 0; b < kBoxes; ++b)
        m_.BBox[b].Caption = state.cells[b];
    m_.DocDir = state.docDir;
    m_.DocName = state.docName;
    m_.DocChanged = state.docChanged ? -1 : 0;
    if (m_.DocName != kUntitled) {
        // A saved document that went away or changed on disk since is no longer what the sheets hold. What
        // stands at the name now and is no sheet document was never this document: Save must ask for a
        // name rather than write over it.
        const std::string path = m_.DocDir + m_.DocName;
        const auto onDisk = ReadDocumentFile(path);
        if (!onDisk || onDisk->names != state.names || onDisk->cells != state.cells)
            m_.DocChanged = -1;
        struct stat st {};
        if (!onDisk && ::lstat(path.c_str(), &st) == 0) {
            m_.DocDir = m_.AppFolder;
            m_.DocName = std::string(kUntitled);
        }
    }
    SetWindowTitle(m_);
    if (const auto& run = state.run) {
        // The run's range and mode become the settings again, as when it started.
        m_.SysSetting = {run->RunMode, run->MinNumber, run->MaxNumber};
        SaveSettings(m_);
        m_.RestoreRun(m_.SysSetting, run->calls, run->drawCount, run->rolling);
    }
    m_.Refresh();
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

RecoveryState RecoveryKeeper::Capture() const {
    RecoveryState state;
    for (int s = 0; s < kSheets; ++s)
        state.names[s] = m_.BSheet[s];
    for (int b = 0; b < kBoxes; ++b)
        state.cells[b] = m_.BBox[b].Caption;
    state.docDir = m_.DocDir;
    state.docName = m_.DocName;
    state.docChanged = m_.DocChanged != 0;
    if (!m_.IsEditMode()) {
        // The roulette stops only for a moment inside each call; a restored drawn run rolls on.
        state.run = RecoveryRun{m_.SysSetting.RunMode, m_.SysSetting.MinNumber, m_.SysSetting.MaxNumber,
                                m_.CallRecord(),       m_.DrawCount(),          m_.SysSetting.RunMode == 1};
    }
    return state;
}

bool RecoveryKeeper::NothingToLose() const { return m_.IsEditMode() && m_.DocChanged == 0; }

void RecoveryKeeper::ModelChanged() {
    if (NothingToLose())
        return Remove();
    RecoveryState state = Capture();
    if (written_ && *written_ == state)
        return;
    // A run's steps are written at once; edits wait for the end of a burst of typing. The
    // roulette's ticks change nothing the file holds, so they never write.
    if ((written_ ? written_->run : std::nullopt) != state.run)
        Write(std::move(state));
    else if (!editTimer_.isActive())
        editTimer_.start();
}

void RecoveryKeeper::WriteNow() {
    if (!watching_)
        return;
    if (NothingToLose())
        return Remove();
    Write(Capture());
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
