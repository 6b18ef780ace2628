// Reading back what was drawn into an off-screen bitmap.
#pragma once

#include "framework/Graphics.h"

#include <cstdint>
#include <cstdlib>

// A pixel of a 32-bit DIB as a colour value (red in the low byte).
inline TColor PixelAt(const TBitmap& bmp, int x, int y) {
    const std::uint32_t bgra = bmp.Bits()[y * bmp.Width() + x];
    return ((bgra >> 16) & 0xFF) | (bgra & 0xFF00) | ((bgra & 0xFF) << 16);
}

// Every channel within `tolerance`, for anti-aliased and blended pixels.
inline bool Near(TColor actual, TColor expected, int tolerance) {
    return std::abs(int(GetRValue(actual)) - int(GetRValue(expected))) <= tolerance &&
           std::abs(int(GetGValue(actual)) - int(GetGValue(expected))) <= tolerance &&
           std::abs(int(GetBValue(actual)) - int(GetBValue(expected))) <= tolerance;
}
