// Drawing primitives shared by the painted controls: the banded GDI gradient,
// the colour blend used for fading, and the anti-aliased GDI+ fills and outlines.
#pragma once

#include "controls/paint/AdvGDIP.h"
#include "framework/Graphics.h"

#include <functional>

// Round to nearest, halves to the even integer (the current FPU mode).
int RoundHalfEven(double value);

// Banded gradient over `r`: `horizontal` changes colour from left to right,
// otherwise from top to bottom. Each band is one pixel longer than its share so
// that neighbours overlap and the later band wins; none passes the far edge.
// With a frame colour the outline of `r` is drawn afterwards. Leaves the pen and
// brush in the last colour used.
void DrawGradient(TCanvas& canvas, TColor fromColor, TColor toColor, int steps, const RECT& r,
                  bool horizontal, TColor frameColor = clNone);

// `percent` of color1 mixed with the rest of color2, as a resolved RGB colour.
// At 100 or more color1 and at 0 or less color2 come back untouched (even a
// system colour).
TColor BlendColor(TColor color1, TColor color2, int percent);

// ---- GDI+ primitives

// Kind of a GDI+ fill of one button half.
enum TGDIPGradient { ggRadial, ggVertical, ggDiagonalForward, ggDiagonalBackward };

// Opaque ARGB of a (resolved) colour.
gdip::ARGB MakeGPColor(TColor color);

// Fills one half `r` of a button face: c1 to c2 top to bottom for the linear
// kinds; the radial kind glows from the top centre of an upper half, or the
// bottom centre of a lower half. Uses the surface's current smoothing mode.
void FillGlowHalf(TGPGraphics& graphics, const RECT& r, TColor c1, TColor c2,
                  TGDIPGradient gradient, bool upper);

// One-pixel outline from (x, y) to (x + w, y + h) with corners of `radius`
// (0: square). The caller chooses the smoothing mode.
void DrawRoundedBorder(TGPGraphics& graphics, TColor color, int x, int y, int w, int h, int radius);
// The same outline dotted, for a keyboard-focus ring.
void DrawDottedRoundedBorder(TGPGraphics& graphics, TColor color, int x, int y, int w, int h,
                             int radius);

// Selection colours of a list: an upper gradient, a mirrored lower one and a
// border. Changing a colour notifies the owner, which repaints.
class TGradientStyle {
  public:
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor value) { Change(FBorderColor, value); }
    TColor ColorFrom() const { return FColorFrom; }
    void SetColorFrom(TColor value) { Change(FColorFrom, value); }
    TColor ColorTo() const { return FColorTo; }
    void SetColorTo(TColor value) { Change(FColorTo, value); }
    TColor ColorMirrorFrom() const { return FColorMirrorFrom; }
    void SetColorMirrorFrom(TColor value) { Change(FColorMirrorFrom, value); }
    TColor ColorMirrorTo() const { return FColorMirrorTo; }
    void SetColorMirrorTo(TColor value) { Change(FColorMirrorTo, value); }
    // A plain stored flag: setting it tells nobody.
    bool Direction = false;

    // Copies the five colours (not Direction) and notifies once.
    void Assign(const TGradientStyle& source);

    std::function<void()> OnChange;

  private:
    void Change(TColor& field, TColor value);
    void Changed();
    TColor FBorderColor = clHighlight;
    TColor FColorFrom = clHighlight;
    TColor FColorTo = clNone;
    TColor FColorMirrorFrom = clNone;
    TColor FColorMirrorTo = clNone;
};
