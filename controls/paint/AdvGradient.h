// Drawing primitives shared by the painted controls: the banded GDI gradient
// and the colour blend used for fading.
#pragma once

#include "framework/Graphics.h"

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
