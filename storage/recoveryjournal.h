#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "modmain.h"

class QLockFile;

// A run in progress, as the recovery file holds it.
struct RecoveryRun {
    std::int16_t RunMode = 0; // 0 RealRun, 1 RandRun
    std::int16_t MinNumber = 0;
    std::int16_t MaxNumber = 99;
    std::vector<std::int16_t> calls; // the run's whole call record, oldest first, at most 100000
    int drawCount = 0;
    bool rolling = false; // the roulette was rolling (RandRun only)
    bool operator==(const RecoveryRun&) const = default;
};

// What a crash would lose: the sheets, the document's identity and a run in progress.
struct RecoveryState {
    std::array<std::string, kSheets> names;
    std::array<std::string, kBoxes> cells;
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
// True when no recovery file is left.
bool DeleteRecovery(const std::string& folder);
// Renames an unusable file to "numbalo.rcv.bad", replacing an older one.
bool SetAsideRecovery(const std::string& folder);

// Which copy of the program owns recovery: the one that holds "numbalo.rcv.lock" in the folder. A lock
// left by a copy that died is taken over; a live copy's lock is never taken, however old.
class RecoveryLock {
public:
    explicit RecoveryLock(const std::string& folder);
    ~RecoveryLock();
    RecoveryLock(const RecoveryLock&) = delete;
    RecoveryLock& operator=(const RecoveryLock&) = delete;
    // True when this copy owns recovery, from then until the lock is destroyed.
    bool tryLock();

private:
    std::unique_ptr<QLockFile> lock_;
};
