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

// ---- GDI+ primitives

gdip::ARGB MakeGPColor(TColor color) {
    const COLORREF rgb = ColorToRGB(color);
    return 0xFF000000u | (static_cast<gdip::ARGB>(GetRValue(rgb)) << 16) |
           (static_cast<gdip::ARGB>(GetGValue(rgb)) << 8) | GetBValue(rgb);
}

void FillGlowHalf(TGPGraphics& graphics, const RECT& r, TColor c1, TColor c2,
                  TGDIPGradient gradient, bool upper) {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    // Width and height are the far edges, not the extent: what lies beyond the
    // control is clipped, and the whole half is covered whatever its offset.
    const float fillW = static_cast<float>(r.right);
    const float fillH = static_cast<float>(r.bottom);
    graphics.FillRectangle(TGPSolidBrush(MakeGPColor(upper ? c1 : c2)), r.left, r.top, fillW,
                           fillH);

    TGPGraphicsPath ellipse;
    const int y0 = upper ? r.top - h / 2 + 2 : r.top;
    ellipse.AddEllipse(r.left, y0, fillW, fillH);

    if (gradient == ggRadial) {
        TGPPathGradientBrush brush(ellipse);
        brush.SetCenterPoint(r.left + w / 2, upper ? r.top : r.bottom);
        brush.SetCenterColor(MakeGPColor(upper ? c2 : c1));
        const gdip::ARGB surround = MakeGPColor(upper ? c1 : c2);
        brush.SetSurroundColors(&surround, 1);
        graphics.FillRectangle(brush, r.left, r.top, fillW, fillH);
        return;
    }
    const gdip::LinearGradientMode mode = gradient == ggVertical ? gdip::LinearGradientModeVertical
                                          : gradient == ggDiagonalForward
                                              ? gdip::LinearGradientModeForwardDiagonal
                                              : gdip::LinearGradientModeBackwardDiagonal;
    const gdip::RectF area(r.left, r.top, w, h);
    TGPLinearGradientBrush brush(area, MakeGPColor(c1), MakeGPColor(c2), mode, gdip::WrapModeTile);
    graphics.FillRectangle(brush, r.left, r.top, fillW, fillH);
}

namespace {

void DrawOutline(TGPGraphics& graphics, const TGPPen& pen, int x, int y, int w, int h, int radius) {
    if (radius == 0) {
        graphics.DrawRectangle(pen, x, y, w, h);
        return;
    }
    const int d = 2 * radius;
    // GDI+ joins consecutive segments of a figure with straight lines.
    TGPGraphicsPath path;
    path.AddLine(x + radius, y, x + w - d, y);
    path.AddArc(x + w - d, y, d, d, 270, 90);
    path.AddLine(x + w, y + radius, x + w, y + h - d);
    path.AddArc(x + w - d, y + h - d, d, d, 0, 90);
    path.AddLine(x + w - d, y + h, x + radius, y + h);
    path.AddArc(x, y + h - d, d, d, 90, 90);
    path.AddLine(x, y + h - d, x, y + radius);
    path.AddArc(x, y, d, d, 180, 90);
    path.CloseFigure();
    graphics.DrawPath(pen, path);
}

} // namespace

void DrawRoundedBorder(TGPGraphics& graphics, TColor color, int x, int y, int w, int h,
                       int radius) {
    DrawOutline(graphics, TGPPen(MakeGPColor(color), 1.0f), x, y, w, h, radius);
}

void DrawDottedRoundedBorder(TGPGraphics& graphics, TColor color, int x, int y, int w, int h,
                             int radius) {
    TGPPen pen(MakeGPColor(color), 1.0f);
    pen.SetDashStyle(gdip::DashStyleDot);
    DrawOutline(graphics, pen, x, y, w, h, radius);
}

// ---- TGradientStyle

void TGradientStyle::Change(TColor& field, TColor value) {
    if (field == value)
        return;
    field = value;
    Changed();
}

void TGradientStyle::Changed() {
    if (OnChange)
        OnChange();
}

void TGradientStyle::Assign(const TGradientStyle& source) {
    FBorderColor = source.FBorderColor;
    FColorFrom = source.FColorFrom;
    FColorTo = source.FColorTo;
    FColorMirrorFrom = source.FColorMirrorFrom;
    FColorMirrorTo = source.FColorMirrorTo;
    Changed();
}
