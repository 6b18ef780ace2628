// Layout state of one RenderHtmlText call: lays the markup out line by line,
// measuring each line and then drawing or hit-testing it on its aligned place.
#pragma once

#include "controls/html/HtmlRender.h"
#include "controls/html/MarkupImages.h"

#include <string>
#include <string_view>

class THtmlLayout {
  public:
    // `textFlags` are the DrawText flags the whole text is measured and drawn with.
    THtmlLayout(TCanvas& canvas, const RECT& rect, const THtmlRenderOptions& options,
                THtmlRenderResult& result, UINT textFlags)
        : FCanvas(canvas), FRect(rect), FOptions(options), FResult(result), FTextFlags(textFlags),
          FBaseFont(canvas.Font), FSources{options.Images, options.PictureContainer,
                                           options.PictureCache} {}

    // Lays out markup whose entities and line breaks are already replaced;
    // true when the hit point lies on an anchor.
    bool Run(const std::string& text);

  private:
    struct TTag;
    enum class TAlignment { taLeft, taRight, taCenter };
    // Measuring lays a line out and decides where it ends; the second pass runs
    // on the line's markup only, to draw it or to hit-test it on the aligned line.
    enum class TPass { psMeasure, psAnchorTest, psDraw };
    enum class TPieceResult { prKeep, prDrop, prBreak };

    // Consumes the line's markup from the front of `rest` (a view, so that
    // taking a piece off costs nothing however long the text) and returns it.
    std::string LayoutLine(std::string_view& rest, const RECT& lineRect, TPass pass);
    // Measures, draws or hit-tests one piece of text. Measuring with
    // WordWrap may shorten `raw` to the part that stays on the line.
    TPieceResult TextPiece(std::string& raw);
    int PieceWidth(const std::string& text);
    // Whether a measured piece stays on the line; may cut it to the start
    // that fits, which then ends the line.
    bool FitPiece(std::string& raw, std::string& text, int& width);
    void DrawPiece(const std::string& text, int& right);
    void HitTestAnchorText(int before, int after);
    bool HandleTag(const std::string& text, bool closingAllowed);
    void OpenTag(const TTag& tag);
    void CloseTag(const TTag& tag);
    void OpenAnchor(const TTag& tag);
    void CloseAnchor();
    void FontTag(const TTag& tag);
    void ParagraphTag(const TTag& tag);
    void BodyTag(const TTag& tag);
    bool ImageTag(const TTag& tag);
    bool ListItem();
    void HorizontalRule();
    void FillLine();
    void SetStyle(TFontStyle style, bool on);
    TColor BrushColor() const {
        return FCanvas.Brush.Style() == TBrushStyle::bsClear ? clNone : FCanvas.Brush.Color();
    }
    bool Drawing() const { return FPass == TPass::psDraw; }
    bool Measuring() const { return FPass != TPass::psDraw; }
    bool HoverApplies() const {
        return !FOptions.HoverOnly || FAnchorCount == FOptions.HoverAnchorIndex;
    }
    int LineBottom() const {
        return FPass == TPass::psMeasure ? FTop + FLine.Height + FLine.SuperscriptExtra : FBottom;
    }
    int GhHeight() { return FCanvas.TextHeight("gh"); }

    TCanvas& FCanvas;
    const RECT FRect;
    const THtmlRenderOptions& FOptions;
    THtmlRenderResult& FResult;
    const UINT FTextFlags;
    TFont FBaseFont;
    TMarkupImageSources FSources;
    // The brush colour at entry, kept by a clear brush too: it is the
    // background the caller painted, which hidden blinking text takes.
    TColor FEntryBrushColor = clNone;

    // Render state over the whole text.
    bool FInAnchor = false;
    std::string FAnchorHref;
    int FAnchorCount = 0;
    bool FHidden = false, FShadow = false, FErrorMarking = false;
    bool FSubscript = false, FSuperscript = false;
    int FListLevel = 0, FImageCount = 0, FImageUnderPoint = -1;
    bool FParagraphFill = false;
    TAlignment FAlignment = TAlignment::taLeft;
    int FParagraphIndent = 0, FCarriedOffset = 0;
    TColor FBrushBeforeFont = clNone, FBrushBeforeParagraph = clNone,
           FBrushBeforeHighlight = clNone;
    TColor FBrushBeforeHover = clNone;
    TColor FFontColorBeforeHighlight, FFontColorBeforeHover;
    // The font before the open rotation, selected again when it closes.
    TFont FFontBeforeRotation;
    bool FRotated = false;

    // Geometry of the line being laid out.
    struct TLine {
        int Height = 0, Width = 0, SubscriptExtra = 0, SuperscriptExtra = 0, BaselineRaise = 0,
            TrailingSpaceWidth = 0;
    } FLine;
    int FLineIndex = 0;

    // The pass over the current line.
    TPass FPass = TPass::psMeasure;
    int FLeft = 0, FTop = 0, FRight = 0, FBottom = 0, FCurrentX = 0;
    bool FLineBreak = false, FListItemSeen = false, FAnchorTextHit = false, FAnchorImageHit = false;
    std::string FLaidText;

    // The open anchor, for its hit rectangle and focus rectangle.
    int FAnchorStartWidth = 0, FAnchorStartTop = 0, FAnchorLine = -1;
    bool FHitRecordOpen = false;
    POINT FFocusStart{};
};
