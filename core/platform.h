#pragma once
#include <string>

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
};
