#pragma once

#include <QRect>
#include <cmath>

// The window's layout is given in twips: 15 to a logical pixel at 96 dpi. Qt
// scales logical pixels for high-dpi screens.
constexpr int TwipsPerPixel = 15;

inline int twipsToPixels(int twips)
{
    return int(std::lround(double(twips) / TwipsPerPixel));
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}
