#pragma once
// Window geometry is designed in twips; at 96 dpi 15 twips make one pixel.

#include <QRect>
#include <cmath>

constexpr int TwipsToPixels(double twips) { return static_cast<int>(twips / 15.0 + 0.5); }

inline QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}
