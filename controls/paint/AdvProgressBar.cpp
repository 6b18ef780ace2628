#include "controls/paint/AdvProgressBar.h"

#include <algorithm>

namespace {

constexpr int kBlockWidth = 7;
constexpr int kBlockPitch = 9;
constexpr int kWindowBefore = 10;
constexpr int kWindowAfter = 12;

struct TLevel {
    TColor Color, ColorTo;
};

TLevel LevelColors(const TGaugeSettings& s, int level) {
    switch (level) {
    case 0:
        return {s.Level0Color, s.Level0ColorTo};
    case 1:
        return {s.Level1Color, s.Level1ColorTo};
    case 2:
        return {s.Level2Color, s.Level2ColorTo};
    default:
        return {s.Level3Color, s.Level3ColorTo};
    }
}

// The banded gradient of DrawGradient, worked out per pixel row (or column)
// instead of per band: a bar's Steps is not limited, and a million bands over
// a block a few pixels thick would cost a million fills for the same picture.
// Band i starts at Round(i * extent / steps) and overlaps the next, so a row
// shows the last band that starts at or before it.
void DrawBands(TCanvas& canvas, TColor fromColor, TColor toColor, int steps, const RECT& r,
               bool horizontal) {
    if (steps == 0)
        steps = 1;
    if (steps < 0)
        return; // no band at all, as in DrawGradient
    const COLORREF from = ColorToRGB(fromColor), to = ColorToRGB(toColor);
    const auto channel = [steps](int a, int b, int i) {
        return a + RoundHalfEven(i * (static_cast<double>(b - a) / steps));
    };
    const int extent = horizontal ? r.right - r.left : r.bottom - r.top;
    const double band = static_cast<double>(extent) / steps;
    const auto start = [band](int i) { return RoundHalfEven(i * band); };
    int p = 0;
    while (p < extent) {
        // The estimate can be one off either way after rounding; the exact
        // starts decide.
        int i = static_cast<int>(std::min((p + 0.5) / band, steps - 1.0));
        while (i + 1 < steps && start(i + 1) <= p)
            ++i;
        while (i > 0 && start(i) > p)
            --i;
        const int end = i + 1 < steps ? std::min(start(i + 1), extent) : extent;
        canvas.Brush.SetColor(RGB(channel(GetRValue(from), GetRValue(to), i),
                                  channel(GetGValue(from), GetGValue(to), i),
                                  channel(GetBValue(from), GetBValue(to), i)));
        canvas.FillRect(horizontal ? MakeRect(r.left + p, r.top, r.left + end, r.bottom)
                                   : MakeRect(r.left, r.top + p, r.right, r.top + end));
        p = end;
    }
}

// One block: two mirrored gradient halves across the bar, from the edge colour
// to the block colour and back.
void DrawBlock(TCanvas& canvas, const TGaugeSettings& s, TLevel level, const RECT& r) {
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    if (!s.ShowGradient) {
        canvas.Brush.SetColor(level.Color);
        canvas.FillRect(r);
        return;
    }
    RECT first = r, second = r;
    if (s.Orientation == goHorizontal) {
        first.bottom = second.top = r.top + (r.bottom - r.top) / 2;
        DrawBands(canvas, level.ColorTo, level.Color, s.Steps, first, false);
        DrawBands(canvas, level.Color, level.ColorTo, s.Steps, second, false);
    } else {
        first.right = second.left = r.left + (r.right - r.left) / 2;
        DrawBands(canvas, level.ColorTo, level.Color, s.Steps, first, true);
        DrawBands(canvas, level.Color, level.ColorTo, s.Steps, second, true);
    }
}

void DrawSegments(TCanvas& canvas, const TGaugeSettings& s, TLevel level, const RECT& r, int fill) {
    const bool horizontal = s.Orientation == goHorizontal;
    // Block i of the given length along the bar, counted from the start edge.
    auto block = [&](int start, int length) {
        const RECT b =
            horizontal
                ? MakeRect(r.left + 2 + start, r.top + 2, r.left + 2 + start + length, r.bottom - 2)
                : MakeRect(r.left + 2, std::max<int>(r.bottom - 2 - start - length, r.top + 2),
                           r.right - 2, r.bottom - 2 - start);
        DrawBlock(canvas, s, level, b);
    };
    if (fill > kBlockPitch) {
        const int whole = fill / kBlockPitch;
        for (int i = 0; i < whole; ++i)
            block(i * kBlockPitch, kBlockWidth);
        if (fill % kBlockPitch > 2)
            block(whole * kBlockPitch, fill % kBlockPitch - 1);
    } else if (fill >= 2) {
        block(0, fill - 1);
    }
}

void DrawStacked(TCanvas& canvas, const TGaugeSettings& s, const RECT& r, int percentage, int w) {
    int lengths[3] = {RoundHalfEven(std::min(percentage, s.Level1Perc) / 100.0 * w), 0, 0};
    int sections = 1;
    if (percentage >= s.Level1Perc) {
        lengths[1] = RoundHalfEven(
            w * static_cast<double>(std::min(percentage, s.Level2Perc) - s.Level1Perc) / 100.0);
        ++sections;
    }
    if (percentage >= s.Level2Perc) {
        lengths[2] =
            percentage == 100
                ? w - lengths[0] - lengths[1]
                : RoundHalfEven(w * static_cast<double>(percentage - s.Level2Perc) / 100.0);
        ++sections;
    }
    if (s.Orientation == goHorizontal) {
        int left = r.left + 2;
        int right = r.left + lengths[0];
        for (int i = 0; i < sections; ++i) {
            if (i > 0) {
                left = right;
                right = left + lengths[i];
            }
            DrawBlock(canvas, s, LevelColors(s, i), MakeRect(left, r.top + 1, right, r.bottom - 1));
        }
    } else {
        int bottom = r.bottom - 2;
        int top = r.bottom - lengths[0] + 1;
        for (int i = 0; i < sections; ++i) {
            if (i > 0) {
                // The third section leaves one pixel free above the second.
                bottom = i == 2 ? top - 1 : top;
                top = bottom - lengths[i];
            }
            DrawBlock(canvas, s, LevelColors(s, i), MakeRect(r.left + 1, top, r.right - 1, bottom));
        }
    }
}

void DrawInfiniteWindow(TCanvas& canvas, const TGaugeSettings& s, const RECT& r) {
    canvas.Brush.SetColor(s.BackgroundColor);
    if (s.Orientation == goHorizontal) {
        const int w = r.right - r.left;
        const int n = w > 4 ? RoundHalfEven(s.InfinitePos / 100.0 * (w - 4)) : 0;
        canvas.FillRect(MakeRect(r.left + 2, r.top + 1,
                                 std::max<int>(r.left + 2, r.left + n - kWindowBefore),
                                 r.bottom - 1));
        canvas.FillRect(MakeRect(std::min<int>(r.right - 2, r.left + n + kWindowAfter), r.top + 2,
                                 r.right - 2, r.bottom - 2));
    } else {
        const int h = r.bottom - r.top;
        const int n = h > 4 ? RoundHalfEven(s.InfinitePos / 100.0 * (h - 4)) : 0;
        canvas.FillRect(MakeRect(r.left + 2, r.top + 2, r.right - 2,
                                 std::max<int>(r.top + 2, r.top + n - kWindowBefore)));
        canvas.FillRect(MakeRect(r.left + 2, std::min<int>(r.bottom - 2, r.top + n + kWindowAfter),
                                 r.right - 2, r.bottom - 2));
    }
}

void DrawGaugeText(TCanvas& canvas, const TGaugeSettings& s, const RECT& r) {
    const std::string text = GaugeText(s);
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.Font = s.Font;
    if (s.Orientation == goHorizontal) {
        const SIZE size = canvas.TextExtent(text);
        canvas.TextOut(r.left + (r.right - r.left) / 2 - size.cx / 2,
                       r.top + (r.bottom - r.top) / 2 - size.cy / 2, text);
    } else {
        canvas.Font.SetOrientation(900);
        const SIZE size = canvas.TextExtent(text);
        canvas.TextOut(r.left + (r.right - r.left) / 2 - size.cy / 2,
                       r.top + (r.bottom - r.top) / 2 + size.cx / 2, text);
    }
}

// One placeholder's figure as printf writes it: right-aligned in `width`,
// left-aligned with the flag '-', padded with zeros after the sign with '0'.
std::string PadFigure(int value, char flag, std::size_t width) {
    std::string figure = std::to_string(value);
    if (figure.size() >= width)
        return figure;
    const std::size_t fill = width - figure.size();
    if (flag == '-')
        return figure.append(fill, ' ');
    return figure.insert(flag == '0' && value < 0 ? 1 : 0, fill, flag == '0' ? '0' : ' ');
}

// Appends the format with its placeholders filled to `out`; false when the
// format is not acceptable. A placeholder is %d or %i with at most one flag
// ('-' or '0') and a width of at most two digits, and there are two of them at
// most, one for each argument.
bool ExpandFormat(const std::string& format, const int (&args)[2], std::string& out) {
    int used = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        std::size_t j = i + 1;
        if (j < format.size() && format[j] == '%') {
            out += '%';
            i = j;
            continue;
        }
        char flag = 0;
        if (j < format.size() && (format[j] == '-' || format[j] == '0'))
            flag = format[j++];
        const std::size_t widthStart = j;
        std::size_t width = 0;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9')
            width = width * 10 + static_cast<std::size_t>(format[j++] - '0');
        if (j - widthStart > 2 || j >= format.size() || (format[j] != 'd' && format[j] != 'i') ||
            used == 2)
            return false;
        out += PadFigure(args[used++], flag, width);
        i = j;
    }
    return true;
}

} // namespace

int GaugePercentage(int position, int min, int max) {
    if (max == min)
        return 0;
    // Far past the range the figure stops growing; it must stay an int.
    constexpr double kLimit = 1e9;
    const double percent = static_cast<double>(position) / (static_cast<double>(max) - min) * 100.0;
    return RoundHalfEven(std::clamp(percent, -kLimit, kLimit));
}

std::string GaugeText(const TGaugeSettings& s) {
    if (!s.Format.empty()) {
        std::string text;
        if (ExpandFormat(s.Format, {s.Position, s.Max}, text))
            return text;
    } else if (!s.ShowPercentage) {
        return std::to_string(s.Position);
    }
    return std::to_string(s.Percentage) + "%";
}

void DrawGauge(TCanvas& canvas, const RECT& r, const TGaugeSettings& settings) {
    TGaugeSettings s = settings;
    if (s.Rounded) {
        canvas.Brush.SetColor(kGaugeTransparent);
        canvas.FillRect(r);
    }
    int percentage = s.Percentage;
    if (s.Infinite) {
        percentage = 100;
        s.Level1Perc = s.Level2Perc = 101;
    }
    canvas.Brush.SetColor(s.BackgroundColor);
    canvas.Pen.SetColor(s.ShowBorder ? s.BorderColor : s.BackgroundColor);
    if (s.Rounded)
        canvas.RoundRect(r.left, r.top, r.right, r.bottom, 6, 6);
    else
        canvas.Rectangle(r);

    const int w = s.Orientation == goHorizontal ? (r.right - r.left) - 2 : (r.bottom - r.top) - 2;
    // The level comes from the whole percentage, as levels may lie past 100.
    const int level = percentage < s.Level1Perc   ? 0
                      : percentage < s.Level2Perc ? 1
                      : percentage < 100          ? 2
                                                  : 3;
    // Past the far edge by more than a block nothing more shows, so a huge
    // percentage draws as that much and costs no more.
    if (w > 0)
        percentage = std::min(percentage, 100 + 100 * (2 * kBlockPitch + 4) / w + 1);
    if (percentage > 0) {
        if (s.Stacked) {
            DrawStacked(canvas, s, r, percentage, w);
        } else {
            const TLevel colors = LevelColors(s, level);
            if (s.CompletionSmooth) {
                const int fill = RoundHalfEven(percentage / 100.0 * w);
                DrawBlock(canvas, s, colors,
                          s.Orientation == goHorizontal
                              ? MakeRect(r.left + 2, r.top + 2, r.left + fill, r.bottom - 2)
                              : MakeRect(r.left + 2, r.bottom - fill, r.right - 2, r.bottom - 2));
            } else {
                DrawSegments(canvas, s, colors, r,
                             RoundHalfEven(static_cast<double>(percentage) * w / 100.0));
            }
        }
    }
    if (s.Infinite)
        DrawInfiniteWindow(canvas, s, r);
    if (s.ShowPosition)
        DrawGaugeText(canvas, s, r);
}

// ---- TAdvProgressBar

TAdvProgressBar::TAdvProgressBar(TComponent* owner)
    : TGraphicControl(owner), FTimer(new TTimer(this)) {
    SetBounds(0, 0, 128, 18);
    Font.SetName("Verdana");
    Font.SetSize(10);
    SetParentFont(false);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(50);
    FTimer->SetOnTimer([this](TComponent*) { InfiniteTick(); });
}

void TAdvProgressBar::UpdateTimer() {
    FTimer->SetEnabled(FInfinite && FAnimated && Visible());
}

void TAdvProgressBar::SetAnimated(bool value) {
    FAnimated = value;
    UpdateTimer();
    Invalidate();
}

void TAdvProgressBar::SetInfinite(bool value) {
    FInfinite = value;
    if (value)
        FInfinitePos = 0;
    UpdateTimer();
    Invalidate();
}

void TAdvProgressBar::VisibleChanged() {
    TGraphicControl::VisibleChanged();
    UpdateTimer();
}

void TAdvProgressBar::SetPosition(int value) {
    if (value == FPosition)
        return;
    FPosition = value;
    Invalidate();
    if (Parent() && Parent()->HandleAllocated())
        Parent()->Update();
}

void TAdvProgressBar::InfiniteTick() {
    if (FInfiniteForward) {
        FInfinitePos += 4;
        if (FInfinitePos >= 100) {
            FInfinitePos = 100;
            FInfiniteForward = false;
        }
    } else {
        FInfinitePos -= 4;
        if (FInfinitePos <= 0) {
            FInfinitePos = 0;
            FInfiniteForward = true;
        }
    }
    Invalidate();
}

TGaugeSettings TAdvProgressBar::Settings() const {
    return TGaugeSettings{FLevel0Color,
                          FLevel0ColorTo,
                          FLevel1Color,
                          FLevel1ColorTo,
                          FLevel2Color,
                          FLevel2ColorTo,
                          FLevel3Color,
                          FLevel3ColorTo,
                          FLevel1Perc,
                          FLevel2Perc,
                          FBorderColor,
                          FShowBorder,
                          FStacked,
                          FShowPercentage,
                          FShowPosition,
                          Font,
                          FCompletionSmooth,
                          FShowGradient,
                          FSteps,
                          GaugePercentage(FPosition, FMin, FMax),
                          FPosition,
                          FMax,
                          FBackgroundColor,
                          FOrientation,
                          FRounded,
                          FFormat,
                          FInfinite,
                          FInfinitePos};
}

void TAdvProgressBar::Paint(TCanvas& canvas) {
    if (!Parent() || Width() <= 0 || Height() <= 0)
        return;
    const TGaugeSettings settings = Settings();
    TBitmap bitmap(Width(), Height());
    DrawGauge(bitmap.Canvas(), ClientRect(), settings);
    // The rounded corners keep what the parent drew beneath them.
    if (FRounded)
        GdiTransparentBlt(canvas.Handle(), 0, 0, Width(), Height(), bitmap.Canvas().Handle(), 0, 0,
                          Width(), Height(), kGaugeTransparent);
    else
        BitBlt(canvas.Handle(), 0, 0, Width(), Height(), bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
}

void TAdvProgressBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TAdvProgressBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TAdvProgressBar::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}
