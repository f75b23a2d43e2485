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
//  3. The other way round, for an input whose first byte is odd: a state the program can reach, built
//     from the input (names a document can hold, up to 4 KiB of CP932 each; cells a document can hold;
//     a game the rules could have played), written and read back, is the same state.
// Any violation calls abort() so that libFuzzer keeps the input.

#include "cp932.h"
#include "recoveryfile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzzsupport.h"

namespace {

bool InRange(const SettingRecord& s) {
    return (s.RunMode == 0 || s.RunMode == 1) && s.MinNumber >= 0 && s.MinNumber <= 75 && s.MaxNumber >= 24 &&
           s.MaxNumber <= 99 && s.MinNumber <= s.MaxNumber;
}

void CheckRun(const RecoveryRun& r) {
    const SettingRecord& s = r.settings;
    Check(InRange(s), "accepted run has a mode or range the settings refuse");
    Check(r.rolling == (s.RunMode == 1), "accepted run whose roulette rolls in RealRun or stands in RandRun");
    Check(r.calls.size() == static_cast<std::size_t>(r.drawCount), "accepted draw count is not the number of calls");
    std::array<bool, 100> called{};
    for (const std::int16_t n : r.calls) {
        Check(n >= 0 && n <= 99, "accepted call is not a number 0..99");
        if (s.RunMode == 1) {
            Check(n >= s.MinNumber && n <= s.MaxNumber, "accepted RandRun call is outside its range");
            Check(!called[static_cast<std::size_t>(n)], "accepted RandRun draws a number twice");
        }
        called[static_cast<std::size_t>(n)] = true;
    }
}

void CheckState(const RecoveryState& state) {
    for (const std::string& cell : state.document.cells)
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

std::string Without(std::string text, std::string_view characters) {
    std::erase_if(text, [&](char c) { return characters.find(c) != std::string_view::npos; });
    return text;
}

RecoveryState Reachable(FuzzedDataProvider& in) {
    RecoveryState s;
    // One name may be long: a character or two repeated up to the 4 KiB a document holds, so that long names
    // of kanji or kana come up; the others stay short, which keeps each run fast.
    const int longName = in.ConsumeIntegralInRange(0, kSheets - 1);
    for (int i = 0; i < kSheets; ++i) {
        const std::string unit = in.ConsumeRandomLengthString(4);
        std::string bytes;
        const int repeats = in.ConsumeIntegralInRange(0, i == longName ? 2048 : 4);
        for (int n = 0; n < repeats && bytes.size() + unit.size() <= 4096; ++n)
            bytes += unit;
        s.document.names[static_cast<std::size_t>(i)] = Cp932ToUtf8(Without(bytes, "\r\n")).value_or("");
    }
    for (std::string& cell : s.document.cells)
        if (cell = in.ConsumeRandomLengthString(6); !IsUsableCell(cell))
            cell.clear();
    s.docDir = "/" + Without(in.ConsumeRandomLengthString(20), std::string_view("\0", 1)) + "/";
    s.docName = Without(in.ConsumeRandomLengthString(20), std::string_view("/\0", 2));
    if (s.docName.empty() || s.docName == "." || s.docName == "..")
        s.docName = "無題";
    s.docChanged = in.ConsumeBool();
    if (in.ConsumeBool()) {
        RecoveryRun r;
        SettingRecord& range = r.settings;
        range.RunMode = in.ConsumeBool() ? 1 : 0;
        range.MinNumber = in.ConsumeIntegralInRange<std::int16_t>(0, 75);
        range.MaxNumber = in.ConsumeIntegralInRange<std::int16_t>(std::max<std::int16_t>(24, range.MinNumber), 99);
        std::vector<std::int16_t> left; // the roulette draws each number of its range once
        for (std::int16_t n = range.MinNumber; n <= range.MaxNumber; ++n)
            left.push_back(n);
        for (int k = in.ConsumeIntegralInRange(0, 120); k > 0 && !(range.RunMode == 1 && left.empty()); --k) {
            if (range.RunMode == 0) {
                r.calls.push_back(in.ConsumeIntegralInRange<std::int16_t>(0, 99));
            } else {
                const auto i = in.ConsumeIntegralInRange<std::size_t>(0, left.size() - 1);
                r.calls.push_back(left[i]);
                left.erase(left.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        r.drawCount = static_cast<int>(r.calls.size());
        r.rolling = range.RunMode == 1;
        s.run = r;
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (size > 0 && (data[0] & 1)) {
        FuzzedDataProvider in(data + 1, size - 1);
        const RecoveryState state = Reachable(in);
        Check(ParseRecovery(EncodeRecovery(state)) == state, "a state the program can reach does not read back");
        return 0;
    }

    const auto parsed = ParseRecovery(text);
    if (!parsed)
        return 0;
    CheckState(*parsed);
    Check(EncodeRecovery(*parsed) == text, "an accepted file is not what the program writes for its state");
    return 0;
}
