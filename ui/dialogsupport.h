#pragma once
#include <Qt>

class QDialog;

// The small dialogs: fixed size, a title and a close button, no minimise or maximise.
inline constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                Qt::WindowCloseButtonHint;

// Title, client size in twips, the default font, centred on the screen, gone when closed.
void SetUpDialog(QDialog* d, const char* title, int widthTwips, int heightTwips);
