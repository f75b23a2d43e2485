#pragma once
#include <QFont>

// The program's faces ("ＭＳ Ｐゴシック", Arial) mapped to the nearest installed ones (IPA P Gothic,
// Liberation Sans).
void InstallFontSubstitutions();
// Fonts, the default font and Qt's own translations (はい, いいえ, キャンセル) for the application.
void SetUpApplication();
QFont GothicFont(double pointSize = 9.0);
QFont ArialFont(double pointSize, bool bold = true);
