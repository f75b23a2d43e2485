// libFuzzer target for the recovery file reader, all in memory: no files, no Qt event loop.
//
// Every input is checked two ways:
//  1. All or nothing: ParseRecovery either refuses the input or returns a state every part of
//     which the program can take: 200 cells each empty, "@" or a number 0..99; the document's
//     folder absolute and ending in "/", its name a file name; and a run, if there is one, with a
//     mode and range the settings accept, calls 0..99 and exactly as many as its draw count, the
//     roulette rolling only in RandRun, and in RandRun every call within the range and none twice.
//     (That a refused file is set aside and an accepted one restored is pinned by the tests.)
//  2. Round trip: the format has one spelling per state, so EncodeRecovery of an accepted state
//     gives back exactly the input bytes (and so parses back to the same state).
// Any violation calls abort() so that libFuzzer keeps the input.

#include "recoveryjournal.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzzsupport.h"

namespace {

bool InRange(const RecoveryRun& r) {
    return (r.RunMode == 0 || r.RunMode == 1) && r.MinNumber >= 0 && r.MinNumber <= 75 && r.MaxNumber >= 24 &&
           r.MaxNumber <= 99 && r.MinNumber <= r.MaxNumber;
}

void CheckRun(const RecoveryRun& r) {
    Check(InRange(r), "accepted run has a mode or range the settings refuse");
    Check(!r.rolling || r.RunMode == 1, "accepted RealRun has a rolling roulette");
    Check(r.calls.size() == static_cast<std::size_t>(r.drawCount),
          "accepted draw count is not the number of calls");
    std::array<bool, 100> called{};
    for (const std::int16_t n : r.calls) {
        Check(n >= 0 && n <= 99, "accepted call is not a number 0..99");
        if (r.RunMode == 1) {
            Check(n >= r.MinNumber && n <= r.MaxNumber, "accepted RandRun call is outside its range");
            Check(!called[static_cast<std::size_t>(n)], "accepted RandRun draws a number twice");
        }
        called[static_cast<std::size_t>(n)] = true;
    }
}

void CheckState(const RecoveryState& state) {
    for (const std::string& cell : state.cells)
        Check(IsUsableCell(cell), "accepted cell is not empty, \"@\" or 0..99");
    const std::string& dir = state.docDir;
    Check(!dir.empty() && dir.front() == '/' && dir.back() == '/' && dir.find('\0') == std::string::npos,
          "accepted folder is not absolute with a final / and no NUL");
    const std::string& name = state.docName;
    Check(!name.empty() && name != "." && name != ".." &&
              name.find_first_of(std::string_view("/\0", 2)) == std::string::npos,
          "accepted document name is not a file name");
    if (state.run)
        CheckRun(*state.run);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const auto parsed = ParseRecovery(text);
    if (!parsed)
        return 0;
    CheckState(*parsed);
    Check(EncodeRecovery(*parsed) == text, "an accepted file is not what the program writes for its state");
    return 0;
}
