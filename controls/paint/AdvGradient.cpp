#include "controls/paint/AdvGradient.h"

#include <algorithm>
#include <cmath>

int RoundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

namespace {

struct TChannels {
    int R, G, B;
};

TChannels Split(TColor color) {
    COLORREF rgb = ColorToRGB(color);
    return {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
}

TColor Join(int r, int g, int b) {
    return static_cast<TColor>(r + g * 256 + b * 65536);
}

} // namespace

void DrawGradient(TCanvas& canvas, TColor fromColor, TColor toColor, int steps, const RECT& r,
                  bool horizontal, TColor frameColor) {
    if (steps == 0)
        steps = 1;
    const TChannels from = Split(fromColor);
    const TChannels to = Split(toColor);
    const double stepR = static_cast<double>(to.R - from.R) / steps;
    const double stepG = static_cast<double>(to.G - from.G) / steps;
    const double stepB = static_cast<double>(to.B - from.B) / steps;
    const int extent = horizontal ? r.right - r.left : r.bottom - r.top;
    const double band = static_cast<double>(extent) / steps;
    const int length = static_cast<int>(std::trunc(band)) + 1;

    for (int i = 0; i < steps; ++i) {
        const TColor color =
            Join(from.R + RoundHalfEven(i * stepR), from.G + RoundHalfEven(i * stepG),
                 from.B + RoundHalfEven(i * stepB));
        canvas.Pen.SetColor(color);
        canvas.Brush.SetColor(color);
        const int offset = RoundHalfEven(i * band);
        RECT part = r;
        if (horizontal) {
            part.left = r.left + offset;
            part.right = std::min<LONG>(part.left + length, r.right);
        } else {
            part.top = r.top + offset;
            part.bottom = std::min<LONG>(part.top + length, r.bottom);
        }
        // A filled rectangle covers exactly the half-open band, as pen and brush agree.
        canvas.FillRect(part);
    }

    if (frameColor != clNone) {
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        canvas.Pen.SetColor(frameColor);
        canvas.Rectangle(r);
    }
}

TColor BlendColor(TColor color1, TColor color2, int percent) {
    if (percent >= 100)
        return color1;
    if (percent <= 0)
        return color2;
    const double f = percent / 100.0;
    const TChannels a = Split(color1);
    const TChannels b = Split(color2);
    auto mix = [f](int c1, int c2) { return RoundHalfEven(f * c1 + (1 - f) * c2); };
    return Join(mix(a.R, b.R), mix(a.G, b.G), mix(a.B, b.B));
}
