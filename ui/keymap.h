#pragma once
class QKeyEvent;

// The keyboard rules speak in Windows virtual-key codes and a modifier mask
// (1 Shift, 2 Ctrl, 4 Alt). Returns 0 for keys the rules do not know.
int VirtualKeyCode(const QKeyEvent& event);
int ShiftMask(const QKeyEvent& event);
