#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "modmain.h"
#include "sheetdocument.h"

// A run in progress, as the recovery file holds it.
struct RecoveryRun {
    SettingRecord settings = kDefaultSettings; // the run's mode and range
    std::vector<std::int16_t> calls;           // the run's whole call record, oldest first, at most 100000
    int drawCount = 0;
    bool rolling = false; // the roulette was rolling (RandRun only)
    bool operator==(const RecoveryRun&) const = default;
};

// What a crash would lose: the sheets, the document's identity and a run in progress.
struct RecoveryState {
    DocumentContent document;
    std::string docDir; // ends in "/"
    std::string docName;
    bool docChanged = false;
    std::optional<RecoveryRun> run;
    bool operator==(const RecoveryState&) const = default;
};

inline constexpr const char* kRecoveryFileName = "numbalo.rcv";

std::string EncodeRecovery(const RecoveryState& state);
// All or nothing: another format or version, a missing or surplus line, a value out of range or a
// line over 1 MiB gives nullopt.
std::optional<RecoveryState> ParseRecovery(std::string_view text);

// What a crash would lose now: the sheets, the document and a run in progress.
RecoveryState CaptureRecovery(const modMain& m);
// Brings the module back to a captured state, from edit mode. A saved document that changed or went away on
// disk since counts as changed; a name at which no sheet document stands now is not trusted (untitled).
void RestoreRecovery(modMain& m, const RecoveryState& state);

// The file in the program's folder (ending in "/"; empty: there is none, and nothing is written).
// Written atomically or not at all, never through a link nor in place.
bool WriteRecovery(const std::string& folder, const RecoveryState& state);
struct RecoveryFile {
    enum class Status { None, Bad, Read };
    Status status = Status::None;
    RecoveryState state; // when Read
};
// Only a regular file at the name, read bounded and without blocking; anything else there is Bad.
RecoveryFile ReadRecovery(const std::string& folder);
// True when no recovery file is left; the removal is synced, so the file cannot come back after a power cut.
bool DeleteRecovery(const std::string& folder);
// Renames the file to "numbalo.rcv" + suffix (".bad" unusable, ".old" declined), replacing an older regular
// file there. Anything else at that name (a link, a FIFO, a folder) is never replaced: the file then stays.
bool SetAsideRecovery(const std::string& folder, const char* suffix);

// Which copy of the program owns recovery: the one holding an exclusive lock on "numbalo.rcv.lock" in the
// folder. The kernel drops the lock when its holder dies, so a crashed copy's lock is free at once and a live
// copy's is never taken; the file's contents mean nothing and are never read. The file is made once and
// never deleted: a deleted lock file would let two copies each lock a file of their own.
class RecoveryLock {
public:
    enum class Status {
        Owned,       // this copy keeps the recovery file
        HeldByOther, // another running copy does
        Unavailable, // nobody can here: the folder takes no file, or the lock's name is not a regular file
    };
    explicit RecoveryLock(const std::string& folder);
    ~RecoveryLock();
    RecoveryLock(const RecoveryLock&) = delete;
    RecoveryLock& operator=(const RecoveryLock&) = delete;
    Status status() const { return status_; }

private:
    int fd_ = -1;
    Status status_ = Status::Unavailable;
};
