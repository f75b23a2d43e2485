#include "keymap.h"

#include "modmain.h"

#include <QKeyEvent>

namespace {
// X11 and Wayland report evdev key codes plus 8: the top-row keys 1…9, 0 are 10…19 on
// every layout, whatever symbol Shift or AltGr makes of them.
constexpr quint32 kTopRowFirstScanCode = 10;
constexpr quint32 kTopRowLastScanCode = 19;

// The digit a top-row key stands for, or -1.
int TopRowDigit(const QKeyEvent& event) {
    const quint32 scan = event.nativeScanCode();
    if (scan >= kTopRowFirstScanCode && scan <= kTopRowLastScanCode)
        return static_cast<int>(scan - kTopRowFirstScanCode + 1) % 10;
    // No scan code (another platform, a synthesized event): the symbol is all there is.
    if (scan == 0 && event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9)
        return event.key() - Qt::Key_0;
    return -1;
}
} // namespace

int VirtualKeyCode(const QKeyEvent& event) {
    const int key = event.key();
    // Whichever key and modifiers type "@" on the operator's layout make the free hole,
    // even when that key is a digit key (Shift+2 on a US keyboard).
    if (key == Qt::Key_At || event.text() == QLatin1String("@"))
        return vk::At;
    if (event.modifiers() & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return vk::Numpad0 + (key - Qt::Key_0);
        if (key == Qt::Key_Comma)
            return vk::Separator;
    } else if (const int digit = TopRowDigit(event); digit >= 0) {
        return vk::Digit0 + digit;
    }
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vk::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Return;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Down:
        return vk::Down;
    default:
        return 0;
    }
}

int ShiftMask(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    // Backtab is Tab with Shift even where the platform drops the modifier.
    return ((mods & Qt::ShiftModifier) || event.key() == Qt::Key_Backtab ? kShiftMask : 0) |
           (mods & Qt::ControlModifier ? kCtrlMask : 0) | (mods & Qt::AltModifier ? kAltMask : 0);
}
