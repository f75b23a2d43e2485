#include "keymap.h"

#include "modmain.h"

#include <QKeyEvent>

int VirtualKeyCode(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (keypad ? vk::Numpad0 : vk::Digit0) + (key - Qt::Key_0);
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
    case Qt::Key_At: // whichever key types "@" on the operator's layout
        return vk::At;
    case Qt::Key_Comma:
        return keypad ? vk::Separator : 0;
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
