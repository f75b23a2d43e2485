#include "recoveryfile.h"

#include "atomicfile.h"
#include "cp932.h"
#include "fieldreader.h"
#include "regularfile.h"
#include "settingsfile.h"
#include "sheetdocument.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
constexpr std::string_view kFormat = "numbalo-recovery 1";
constexpr int kLines = 16;
constexpr int kMaxCalls = 100000;
// Sixteen lines of at most 1 MiB (the call record is the longest); a seventeenth is read, so that a
// surplus line is seen and refused.
constexpr ItemBounds kRecoveryBounds{kLines + 1, 0, 1 << 20, 0};

bool NeedsEscape(unsigned char c) { return c < 0x20 || c == 0x7F || c == '%' || c == ','; }

// Line ends, commas and percent signs as "%XX", so every value stays on its line and in its list.
std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (NeedsEscape(static_cast<unsigned char>(c))) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

// The exact inverse of Escape: any other spelling is refused.
std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '%') {
            unsigned value = 0;
            const char* first = text.data() + i + 1;
            if (i + 3 > text.size() || std::from_chars(first, first + 2, value, 16).ptr != first + 2 ||
                Escape(std::string(1, static_cast<char>(value))) != text.substr(i, 3))
                return std::nullopt;
            c = static_cast<unsigned char>(value);
            i += 2;
        } else if (NeedsEscape(c)) {
            return std::nullopt;
        }
        out += static_cast<char>(c);
    }
    return out;
}

// Plain decimal digits, no sign, no leading zero, within 0..max.
std::optional<int> Number(std::string_view text, int max) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || (text.size() > 1 && text[0] == '0') || text[0] == '-' || error != std::errc() ||
        end != text.data() + text.size() || value > max)
        return std::nullopt;
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// The value of a line "key value" (the value may be empty); nullopt when the line has another key.
std::optional<std::string_view> Value(std::string_view line, std::string_view key) {
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != ' ')
        return std::nullopt;
    return line.substr(key.size() + 1);
}

std::optional<std::string> Text(std::string_view line, std::string_view key) {
    const auto value = Value(line, key);
    return value ? Unescape(*value) : std::nullopt;
}

std::optional<RecoveryRun> ParseRun(std::string_view run, std::string_view calls) {
    const auto fields = Split(run, ' ');
    if (fields.size() != 6)
        return std::nullopt;
    // Each value's largest: run mode, lowest, highest, draw count, rolling.
    constexpr std::array<int, 6> max{0, 1, 99, 99, kMaxCalls, 1};
    std::array<int, 6> v{};
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const auto n = Number(fields[i], max[i]);
        if (!n)
            return std::nullopt;
        v[i] = *n;
    }
    RecoveryRun r;
    SettingRecord& s = r.settings;
    s = {static_cast<std::int16_t>(v[1]), static_cast<std::int16_t>(v[2]), static_cast<std::int16_t>(v[3])};
    r.drawCount = v[4];
    r.rolling = v[5] == 1;
    // The roulette of a drawn game rolls between calls: one that stands could never draw again.
    if (fields[0] != "run" || !IsAcceptedSetting(s) || r.rolling != (s.RunMode == 1))
        return std::nullopt;
    if (!calls.empty()) {
        for (const std::string_view call : Split(calls, ' ')) {
            const auto n = Number(call, 99);
            if (!n || r.calls.size() == kMaxCalls)
                return std::nullopt;
            r.calls.push_back(static_cast<std::int16_t>(*n));
        }
    }
    // Only a game the rules could have played is restored: every call counted, and the
    // roulette draws each number of its range at most once.
    if (r.calls.size() != static_cast<std::size_t>(r.drawCount))
        return std::nullopt;
    if (s.RunMode == 1) {
        std::array<bool, 100> drawn{};
        for (const std::int16_t n : r.calls) {
            if (n < s.MinNumber || n > s.MaxNumber || std::exchange(drawn[n], true))
                return std::nullopt;
        }
    }
    return r;
}
} // namespace

std::string EncodeRecovery(const RecoveryState& state) {
    std::string text = std::string(kFormat) + "\nfolder " + Escape(state.docDir) + "\nname " + Escape(state.docName) +
                       "\nchanged " + (state.docChanged ? "1" : "0") + "\n";
    for (const std::string& name : state.document.names)
        text += "sheet " + Escape(name) + "\n";
    text += "cells ";
    for (std::size_t b = 0; b < state.document.cells.size(); ++b)
        text += (b ? "," : "") + Escape(state.document.cells[b]);
    text += "\nrun";
    std::string calls;
    if (const auto& r = state.run) {
        const SettingRecord& s = r->settings;
        for (const int n : {int(s.RunMode), int(s.MinNumber), int(s.MaxNumber), r->drawCount, int(r->rolling)})
            text += " " + std::to_string(n);
        for (std::size_t i = 0; i < r->calls.size(); ++i)
            calls += (i ? " " : "") + std::to_string(r->calls[i]);
    } else {
        text += " none";
    }
    return text + "\ncalls " + calls + "\nend\n";
}

std::optional<RecoveryState> ParseRecovery(std::string_view text) {
    if (!ItemsOf(text, kRecoveryBounds) || text.empty() || text.back() != '\n')
        return std::nullopt;
    const auto lines = Split(text.substr(0, text.size() - 1), '\n');
    if (lines.size() != kLines || lines[0] != kFormat || lines[kLines - 1] != "end")
        return std::nullopt;
    RecoveryState state;
    const auto folder = Text(lines[1], "folder");
    const auto name = Text(lines[2], "name");
    const auto changed = Value(lines[3], "changed");
    // A NUL would cut the path short at the next save: the document would go to another file.
    const bool goodFolder = folder && folder->size() <= 4096 && folder->starts_with('/') && folder->ends_with('/') &&
                            folder->find('\0') == std::string::npos;
    const bool goodName = name && !name->empty() && name->size() <= 255 && *name != "." && *name != ".." &&
                          name->find_first_of(std::string_view("/\0", 2)) == std::string::npos;
    if (!goodFolder || !goodName || !changed || (*changed != "0" && *changed != "1"))
        return std::nullopt;
    state.docDir = *folder;
    state.docName = *name;
    state.docChanged = *changed == "1";
    for (int s = 0; s < kSheets; ++s) {
        // Bounded as a document bounds it, in CP932 bytes: a name the document holds must come back.
        const auto sheet = Text(lines[4 + s], "sheet");
        const auto stored = sheet ? Utf8ToCp932(*sheet) : std::nullopt;
        if (!stored || stored->size() > kDocumentBounds.lineBytes)
            return std::nullopt;
        state.document.names[s] = *sheet;
    }
    const auto cellsLine = Value(lines[12], "cells");
    const auto cells = cellsLine ? Split(*cellsLine, ',') : std::vector<std::string_view>{};
    if (cells.size() != kBoxes)
        return std::nullopt;
    for (int b = 0; b < kBoxes; ++b) {
        auto cell = Unescape(cells[b]);
        if (!cell || !IsGoodCellText(*cell) || cell->size() > kDocumentBounds.fieldBytes)
            return std::nullopt;
        state.document.cells[b] = std::move(*cell);
    }
    const auto calls = Value(lines[14], "calls");
    if (!calls)
        return std::nullopt;
    if (lines[13] == "run none") {
        if (!calls->empty())
            return std::nullopt;
    } else if (!(state.run = ParseRun(lines[13], *calls))) {
        return std::nullopt;
    }
    return state;
}

RecoveryState CaptureRecovery(const modMain& m) {
    RecoveryState state{m.CaptureDocument(), m.doc.DocDir, m.doc.DocName, m.doc.DocChanged != 0, std::nullopt};
    // The roulette stops only for a moment inside each call; a restored drawn run rolls on.
    if (!m.IsEditMode())
        state.run = RecoveryRun{m.run.SysSetting, m.CallRecord(), m.DrawCount(), m.run.SysSetting.RunMode == 1};
    return state;
}

void RestoreRecovery(modMain& m, const RecoveryState& state) {
    m.ApplyDocument(state.document);
    m.NameDocument(state.docDir, state.docName);
    if (state.docChanged)
        m.MarkChanged();
    else
        m.MarkSaved();
    if (m.doc.DocName != kUntitled) {
        // A saved document that went away or changed on disk since is no longer what the sheets hold. What
        // stands at the name now and is no sheet document was never this document: Save must ask for a
        // name rather than write over it.
        const std::string path = m.doc.DocDir + m.doc.DocName;
        const auto onDisk = ReadDocumentFile(path);
        if (onDisk != state.document)
            m.MarkChanged();
        struct stat st {};
        if (!onDisk && ::lstat(path.c_str(), &st) == 0) {
            m.NameDocument(m.AppFolder, std::string(kUntitled));
        }
    }
    SetWindowTitle(m);
    if (const auto& run = state.run) {
        // The run's range and mode become the settings again, as when it started.
        m.ApplySettings(run->settings);
        SaveSettings(m);
        m.RestoreRun(m.run.SysSetting, run->calls, run->drawCount, run->rolling);
    }
    m.Refresh();
}

bool WriteRecovery(const std::string& folder, const RecoveryState& state) {
    return !folder.empty() &&
           WriteFileAtomically(folder + kRecoveryFileName, EncodeRecovery(state), FileRole::Own).empty();
}

RecoveryFile ReadRecovery(const std::string& folder) {
    if (folder.empty())
        return {};
    const FileBytes file = ReadItems(folder + kRecoveryFileName, kRecoveryBounds, Links::Refuse);
    if (file.status == FileBytes::Status::Missing)
        return {};
    if (file.status == FileBytes::Status::Read)
        if (auto state = ParseRecovery(file.bytes))
            return {RecoveryFile::Status::Read, std::move(*state)};
    return {RecoveryFile::Status::Bad, {}};
}

bool DeleteRecovery(const std::string& folder) {
    if (folder.empty())
        return true;
    if (::unlink((folder + kRecoveryFileName).c_str()) != 0)
        return errno == ENOENT;
    SyncFolder(folder);
    return true;
}

bool SetAsideRecovery(const std::string& folder, const char* suffix) {
    const std::string path = folder + kRecoveryFileName, aside = path + suffix;
    // rename() would replace a link or a FIFO there without a word.
    struct stat st {};
    if (folder.empty() || (::lstat(aside.c_str(), &st) == 0 ? !S_ISREG(st.st_mode) : errno != ENOENT) ||
        ::rename(path.c_str(), aside.c_str()) != 0)
        return false;
    SyncFolder(folder);
    return true;
}

RecoveryLock::RecoveryLock(const std::string& folder) {
    if (folder.empty())
        return;
    // Never through a link, never waiting on a FIFO, never reading what it holds.
    fd_ = ::open((folder + kRecoveryFileName + ".lock").c_str(),
                 O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            status_ = Status::HeldByOther;
        return;
    }
    // A lock file that already stood opens on a read-only file system too.
    if (::access(folder.c_str(), W_OK) == 0) {
        status_ = Status::Owned;
        return;
    }
    ::close(std::exchange(fd_, -1));
}

RecoveryLock::~RecoveryLock() {
    if (fd_ >= 0)
        ::close(fd_);
}
