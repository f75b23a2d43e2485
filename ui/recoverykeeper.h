#pragma once
#include <QObject>
#include <QTimer>

#include <optional>
#include <string>

#include "recoveryfile.h"

class modMain;
class QtPlatform;

// Keeps the recovery file in the program's folder in step with the game module whenever a
// crash would lose something: unsaved sheet edits or a run in progress. One running copy owns
// it, by a lock beside it; a copy without the lock leaves the file alone altogether.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    RecoveryKeeper(modMain& m, QtPlatform& platform, std::string folder);
    ~RecoveryKeeper() override;

    bool ownsRecovery() const { return lock_.status() == RecoveryLock::Status::Owned && !standingAside_; }
    // At start, once the main window shows: says so when this copy can keep no recovery file, or
    // offers a file a crash left behind and restores it on Yes. True when something was restored.
    bool Offer();
    // From now on every change the file covers is written: run changes at once, edits
    // within a second.
    void Watch();
    // The main window closed: the file goes, and nothing writes it again.
    void Finish();

private:
    void ModelChanged();
    bool NothingToLose() const;
    void WriteNow(); // the delayed write of edits
    void Write(RecoveryState state);
    void Remove();

    modMain& m_;
    QtPlatform& platform_;
    std::string folder_;
    RecoveryLock lock_;
    bool standingAside_ = false; // a file that could not be set aside is left for the next start
    QTimer editTimer_;
    std::optional<RecoveryState> written_; // what this copy last wrote
    bool present_ = false;                 // whether a file may stand at the name
    bool watching_ = false;
};
