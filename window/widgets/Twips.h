#pragma once

#include <QRect>
#include <cmath>

// The window's layout is given in twips: 15 to a logical pixel at 96 dpi. Qt
// scales logical pixels for high-dpi screens.
constexpr int TwipsPerPixel = 15;

inline int TwipsToPixels(int twips)
{
    return int(std::lround(double(twips) / TwipsPerPixel));
}

inline QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}
