#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "grid.h"

// Message-box style codes and answers, as the run and document rules word them.
enum MsgStyle : int {
    vbOKOnlyCritical = 16,             // OK, stop icon
    vbOKOnlyExclamation = 48,          // OK, exclamation icon
    vbYesNoCancelExclamation = 51,     // Yes/No/Cancel, exclamation icon
    vbYesNoExclamation = 52,           // Yes/No, exclamation icon
    vbYesNoExclamationDefaultNo = 308, // the same with No as the default button
    vbNoticeExclamation = 54,          // the range-exhausted notice; its answer is ignored
};
enum MsgAnswer : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// What a call brought a sheet: a line that reached four hit cells with it, or five (a bingo wins).
enum class LineNews : std::uint8_t { None, Reach, Bingo };
struct CallNews {
    bool call = false; // false: no call, the run started, ended, took a call back or was restored
    std::array<LineNews, kSheets> sheets{};
    LineNews Strongest() const { return *std::max_element(sheets.begin(), sheets.end()); }
    bool operator==(const CallNews&) const = default;
};

// Everything the game module needs from outside itself. The window implements it;
// tests fake it.
class Platform {
public:
    virtual ~Platform() = default;
    // A modal question or notice; returns one of MsgAnswer.
    virtual int MsgBox(const std::string& prompt, int style, const std::string& title) = 0;
    // Let pending events run. Anything queued may run inside, including calls back into the module.
    virtual void DoEvents() = 0;
    // The display model changed; the window repaints what differs.
    virtual void Changed() = 0;
    // Uniform single-precision value r with 0 <= r < 1.
    virtual float Rnd() = 0;
    // Reseed the random source from the time of day.
    virtual void Randomize() = 0;
    // After every call, what it brought each sheet; news of no call when a run starts, ends, takes a call back or
    // is restored, so that whatever the last call set going stops.
    virtual void Announce(const CallNews& news) { (void)news; }
};
