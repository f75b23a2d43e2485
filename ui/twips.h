#pragma once
#include <QRect>

// Places and sizes are given in twips; 15 twips make one logical pixel.
constexpr int Twips(int twips) { return twips / 15; }
inline QRect TwipsRect(int left, int top, int width, int height) {
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}
