// The mini-HTML renderer shared by the list box, the emulated task dialog and
// the gradient panel: lays markup out line by line in a rectangle and measures,
// draws or hit-tests it, plus the colour parser and the tag stripper.
#pragma once

#include "controls/html/PictureContainer.h"
#include "framework/Graphics.h"

#include <string>

struct THtmlRenderOptions {
    TImageList* Images = nullptr;
    int HitX = 0, HitY = 0;
    // 0-based anchor that gets a focus rectangle; -1 none.
    int FocusAnchorIndex = -1;
    // 1-based hovered anchor; -1 none.
    int HoverAnchorIndex = -1;
    int ShadowOffset = 1;
    // The second pass of each line measures and hit-tests instead of drawing.
    bool AnchorTestOnly = false;
    // Only the measuring pass runs; nothing is drawn.
    bool MeasureOnly = false;
    bool ScaleImages = false;
    // Text of a selected item: colour markup is ignored.
    bool Selected = false;
    // Blink phase; false draws blinking text in the background colour.
    bool BlinkVisible = true;
    // Anchor underline and hover colours only for the hovered anchor.
    bool HoverOnly = false;
    // Break lines at blanks; false keeps each line in one row and ends
    // overflowing pieces with an ellipsis.
    bool WordWrap = true;
    // A lone "&" underlines the next character (unless the text holds " & ");
    // false shows every "&" as it is, as in a file name, and "&amp;" as one.
    bool ShowAccelChar = true;
    double ImageScale = 1.0;
    TColor URLColor = clBlue;
    TColor HoverColor = clNone, HoverFontColor = clNone;
    TColor ShadowColor = clGray;
    THTMLPictureCache* PictureCache = nullptr;
    TPictureContainer* PictureContainer = nullptr;
    int LineSpacing = 0;
};

struct THtmlRenderResult {
    // Href of the anchor under the hit point; written only when one is found,
    // so the caller clears it.
    std::string AnchorHref;
    // Href of anchor FocusAnchorIndex + 1; cleared by every call.
    std::string FocusHref;
    int ExtentX = 0, ExtentY = 0;
    int AnchorCount = 0;
    // 1-based anchor under the hit point, -1 if none, and its rectangle.
    int HitAnchorIndex = -1;
    RECT HitAnchorRect{};
};

// Lays `text` out in `rect` (lines from rect.top, text from rect.left + 1) and
// measures, draws or hit-tests it. True when the hit point lies on an anchor.
// The canvas brush and font are as they were on return; the pen may change.
bool RenderHtmlText(TCanvas& canvas, const std::string& text, const RECT& rect,
                    const THtmlRenderOptions& options, THtmlRenderResult& result);

// "#RRGGBB" (upper-case hex) or a colour name such as "clRed"; unknown names
// give black.
TColor ParseHtmlColor(const std::string& value);

// The text without tags and without Z sections; BR and HR become line breaks.
std::string StripHtmlTags(const std::string& text);
