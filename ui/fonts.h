#pragma once
#include <QFont>
#include <QRect>

// Layout is given in twips; 15 twips make one logical pixel.
constexpr int Twips(int twips) { return twips / 15; }
inline QRect TwipsRect(int left, int top, int width, int height) {
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}

// The designed faces mapped to the nearest installed ones (IPA P Gothic, Liberation Sans).
void InstallFontSubstitutions();
// Fonts, the default font and Qt's own translations (はい, いいえ, キャンセル) for the application.
void SetUpApplication();
QFont GothicFont(double pointSize = 9.0);
QFont ArialFont(double pointSize, bool bold = true);
