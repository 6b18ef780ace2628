// The emulated dialog's geometry: its layout units, the measures of its texts,
// where each control goes, and the text blocks drawn and hit-tested in the
// rectangles the layout gives them.
#include "controls/taskdialog/AdvMessageForm.h"

#include "controls/html/HtmlRender.h"
#include "framework/Text.h"

#include <algorithm>

namespace {

// Room for the caption buttons beside the title.
constexpr int kTitleButtonsRoom = 50;
// Room for a radio button's circle beside its caption.
constexpr int kRadioCircleRoom = 20;
// The rectangle the footer and the extra information are measured in for the
// window's width: from the margin to this right edge, this high.
constexpr int kWidthProbeRight = 300;
constexpr int kProbeHeight = 100;
// The height content and extra information are measured with where they
// stand; the footer takes kProbeHeight there.
constexpr int kTextProbeHeight = 26;
// Gaps: the progress bar below the icon, between radio buttons, between
// command links, after the last push button, and the verification box's indent.
constexpr int kProgressGapBelowIcon = 3;
constexpr int kRadioGap = 4;
constexpr int kCommandLinkGap = 2;
constexpr int kButtonRowEndGap = 4;
constexpr int kCheckBoxIndent = 3;
// How far the footer's rectangle reaches above its text.
constexpr int kFooterTopGap = 10;

// Backslash-n pairs become carriage returns, for the system's text drawing.
std::string PlainText(const std::string& text) {
    return DecodeLineBreaks(text, "\r");
}

// Backslash-n pairs and line feeds become line breaks of the markup.
std::string MarkupText(const std::string& text) {
    std::string markup = DecodeLineBreaks(text, "<br>");
    ReplaceAll(markup, "\n", "<br>");
    return markup;
}

// Plain text blocks wrap at blanks and break a word that is wider than the
// line; measuring and drawing share these so the measure holds every line.
constexpr UINT kPlainBlockFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX;

// The dialog's markup takes the renderer's default options; measuring and
// hit-testing lay it out without drawing.
THtmlRenderOptions MeasureOptions() {
    THtmlRenderOptions options;
    options.AnchorTestOnly = true;
    options.Selected = true;
    return options;
}

} // namespace

void TAdvMessageForm::ComputeUnits() {
    TCanvas& canvas = MeasureCanvas();
    canvas.Font = Font;
    const SIZE size = canvas.TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int cx = size.cx / 52, cy = size.cy;
    FHorzMargin = MulDiv(8, cx, 4);
    FVertMargin = MulDiv(8, cy, 8);
    FHorzSpacing = MulDiv(10, cx, 4);
    FVertSpacing = MulDiv(10, cy, 8);
    FButtonHeight = MulDiv(14, cy, 8);
    FButtonSpacing = MulDiv(4, cx, 4);
}

SIZE TAdvMessageForm::MeasureText(const std::string& text, int width, UINT format) {
    if (text.empty())
        return SIZE{0, 0};
    TCanvas& canvas = MeasureCanvas();
    canvas.Font = Font;
    RECT r = MakeRect(0, 0, width, 100);
    canvas.DrawText(text, r, DT_CALCRECT | format);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE TAdvMessageForm::MeasureTextBlock(const std::string& text, int width) {
    return MeasureText(PlainText(text), width, kPlainBlockFormat);
}

SIZE TAdvMessageForm::MeasureMarkup(const std::string& text, const RECT& rect) {
    TCanvas& canvas = MeasureCanvas();
    canvas.Font = Font;
    THtmlRenderResult result;
    RenderHtmlText(canvas, MarkupText(text), rect, MeasureOptions(), result);
    return SIZE{result.ExtentX, result.ExtentY};
}

SIZE TAdvMessageForm::MeasureCommandLink(const std::string& caption, const TFont& heading,
                                         const TFont& text) {
    TCanvas& canvas = MeasureCanvas();
    SIZE total{0, 0};
    const std::vector<std::string> lines = CaptionLines(caption);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        canvas.Font = i == 0 ? heading : text;
        const SIZE s = canvas.TextExtent(lines[i]);
        total.cx = std::max<LONG>(total.cx, s.cx + 8);
        total.cy += s.cy + (i == 0 ? 10 : 2);
    }
    canvas.Font = Font;
    return total;
}

SIZE TAdvMessageForm::MeasureInstruction() {
    TCanvas& canvas = MeasureCanvas();
    canvas.Font = Font;
    canvas.Font.SetSize(11);
    canvas.Font.SetStyle(fsBold);
    RECT r = MakeRect(0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0);
    if (!FDialog.Instruction().empty())
        canvas.DrawText(FDialog.Instruction(), r,
                        DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    else
        r = MakeRect(0, 0, 0, 0);
    canvas.Font = Font;
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool TAdvMessageForm::HasIcon() const {
    return FIconImage != nullptr;
}

int TAdvMessageForm::ContentLeft() const {
    return HasIcon() ? FIconImage->Left() + FIconImage->Width() + FHorzSpacing : FHorzMargin;
}

void TAdvMessageForm::PlaceInstruction(int top) {
    const SIZE text = MeasureInstruction();
    const int left = FIconId != 0 ? FHorzMargin + FHorzSpacing + kIconSize : FHorzMargin;
    FInstructionLabel->SetBounds(left, top, text.cx, text.cy);
    FTextLeft = left;
}

int TAdvMessageForm::RequiredClientWidth(bool update) {
    const TTaskDialogOptions& options = FDialog.Options;
    // The widest of the title, the command links, the radio buttons and the
    // verification box, each from the window's left edge.
    int partsWidth = 0;
    if (!FDialog.Title().empty())
        partsWidth = MeasureText(FDialog.Title()).cx + kTitleButtonsRoom;
    if (options.Contains(doCommandLinks) && !FCustomButtonList.empty())
        partsWidth = std::max(partsWidth,
                              options.Contains(doCommandLinksNoIcon)
                                  ? FCommandLinkWidth + FHorzMargin
                                  : 2 * FHorzMargin + FCommandLinkWidth + FHorzSpacing + kIconSize);
    const int instructionWidth = FInstructionLabel->Width();
    const int headWidth =
        FIconId != 0 ? instructionWidth + FHorzSpacing + kIconSize : instructionWidth;
    for (TRadioButton* radio : FRadioList)
        partsWidth = std::max(partsWidth, radio->Left() +
                                              static_cast<int>(MeasureText(radio->Caption()).cx) +
                                              FHorzMargin + kRadioCircleRoom);
    int verifyWidth = 0;
    if (FVerifyCheckBox) {
        const int verifyTextWidth = MeasureText(FVerifyCheckBox->Caption()).cx;
        verifyWidth = 2 * FVertSpacing + verifyTextWidth;
        partsWidth = std::max(partsWidth, FVerifyCheckBox->Left() + verifyTextWidth);
    }
    int footerWidth = 0;
    if (!FDialog.Footer().empty())
        footerWidth = MeasureMarkup(FDialog.Footer(),
                                    MakeRect(FHorzMargin, 0, kWidthProbeRight, kProbeHeight))
                          .cx;
    // The band: verification box, push buttons and the expander with its text.
    int bandWidth = update ? 0 : verifyWidth;
    for (TWinControl* button : FCommonButtonList)
        bandWidth += button->Width() + FButtonSpacing;
    if (!options.Contains(doCommandLinks))
        for (TWinControl* button : FCustomButtonList)
            bandWidth += button->Width() + FButtonSpacing;
    int expandedWidth = 0;
    if (FExpandButton) {
        bandWidth += FExpandButton->Width() + 2 * FHorzSpacing +
                     std::max(MeasureText(FDialog.CollapsControlText).cx,
                              MeasureText(FDialog.ExpandControlText).cx);
        if (!update) {
            const LONG expandedTextWidth =
                options.Contains(doHyperlinks)
                    ? MeasureMarkup(FDialog.ExpandedText(),
                                    MakeRect(FHorzMargin, 0, kWidthProbeRight, kProbeHeight))
                          .cx
                    : MeasureTextBlock(FDialog.ExpandedText(), kWidthProbeRight - FHorzMargin).cx;
            expandedWidth = 2 * FHorzMargin + expandedTextWidth;
        }
    }
    int width =
        std::max({partsWidth, std::max({headWidth, bandWidth, footerWidth}) + 2 * FHorzMargin,
                  expandedWidth, FMinWidth});
    if (!update)
        width = std::min(width, static_cast<int>(GetSystemMetrics(SM_CXSCREEN) -
                                                 2 * GetSystemMetrics(SM_CYEDGE)));
    return width;
}

void TAdvMessageForm::SetClientWidth(int width) {
    SetClientSize(width, ClientRect().bottom);
}

void TAdvMessageForm::StretchProgressBar() {
    if (FProgressBar)
        FProgressBar->SetBounds(FProgressBar->Left(), FProgressBar->Top(),
                                ClientRect().right - 2 * FHorzMargin, FProgressBar->Height());
}

void TAdvMessageForm::ArrangeControls() {
    ComputeUnits();
    int y = PlaceInstructionAndContent();
    y = PlaceProgress(y);
    y = PlaceRadioButtons(y);
    y = PlaceExpandedText(y);
    y = PlaceCommandLinks(y);
    const TBandPlacement band = PlaceBand(y);
    const int bottom = band.Bottom + PlaceFooter(band.Next);
    SetClientSize(ClientRect().right, FVertMargin + bottom);

    if (FCommonButtonList.empty() &&
        (FDialog.Options.Contains(doCommandLinks) || FCustomButtonList.empty()))
        FBandTop = Height();
    if (ExpandedTextShown() && FDialog.Options.Contains(doExpandedFooter))
        FBandTop = FExpandedTop;
}

bool TAdvMessageForm::ExpandedTextShown() const {
    return FExpanded && !FDialog.ExpandedText().empty();
}

int TAdvMessageForm::PlaceInstructionAndContent() {
    int y = FVertMargin;
    // Shown again when a later instruction fills an empty one.
    FInstructionLabel->SetVisible(!FInstructionLabel->Caption().empty());
    if (FInstructionLabel->Visible())
        y += FInstructionLabel->Height() + FVertSpacing;

    const TTaskDialogOptions& options = FDialog.Options;
    const int left = ContentLeft();
    const int right = ClientRect().right - FHorzMargin;
    if (!FDialog.Content().empty()) {
        const SIZE content =
            options.Contains(doHyperlinks)
                ? MeasureMarkup(FDialog.Content(), MakeRect(left, y, right, y + kTextProbeHeight))
                : MeasureTextBlock(FDialog.Content(), right - left);
        FContentHeight = content.cy;
        // Without an instruction the content stands beside the icon.
        int contentBlockHeight = FContentHeight;
        if (FDialog.Instruction().empty() && HasIcon())
            contentBlockHeight = std::max(contentBlockHeight, FIconImage->Height());
        return y + contentBlockHeight + FVertSpacing;
    }
    FContentHeight = 0;
    if (FRadioList.empty() && !options.Contains(doCommandLinks))
        y += FVertSpacing;
    if (FDialog.Instruction().empty() && HasIcon())
        y += FVertSpacing + FVertMargin;
    return y;
}

int TAdvMessageForm::PlaceProgress(int y) {
    if (!FProgressBar)
        return y;
    if (HasIcon())
        y = std::max(y, FIconImage->Top() + FIconImage->Height() + kProgressGapBelowIcon);
    FProgressBar->SetBounds(FProgressBar->Left(), y, FProgressBar->Width(), FProgressBar->Height());
    return y + FProgressBar->Height() + FVertSpacing;
}

int TAdvMessageForm::PlaceRadioButtons(int y) {
    const int clientWidth = ClientRect().right;
    for (TRadioButton* radio : FRadioList) {
        radio->SetBounds(radio->Left(), y, clientWidth - radio->Left() - FHorzMargin,
                         radio->Height());
        y += radio->Height() + kRadioGap;
    }
    if (!FRadioList.empty())
        y += FVertSpacing - kRadioGap;
    return y;
}

int TAdvMessageForm::PlaceExpandedText(int y) {
    FExpandedHeight = 0;
    if (!ExpandedTextShown())
        return y;
    const int left = ContentLeft();
    const int right = ClientRect().right - FHorzMargin;
    const SIZE expanded =
        FDialog.Options.Contains(doHyperlinks)
            ? MeasureMarkup(FDialog.ExpandedText(), MakeRect(left, y, right, y + kTextProbeHeight))
            : MeasureTextBlock(FDialog.ExpandedText(), right - left);
    FExpandedHeight = expanded.cy;
    FExpandedTop = y;
    return y + FExpandedHeight + FVertSpacing;
}

int TAdvMessageForm::PlaceCommandLinks(int y) {
    // Command links stand in a column above the band.
    if (!FDialog.Options.Contains(doCommandLinks))
        return y;
    const int clientWidth = ClientRect().right;
    for (TWinControl* link : FCustomButtonList) {
        const int linkLeft = HasIcon() ? FTextLeft : link->Left();
        link->SetBounds(linkLeft, y, clientWidth - linkLeft - FHorzMargin, link->Height());
        y += link->Height() + kCommandLinkGap;
    }
    FBandTop = y;
    return y + FVertSpacing;
}

TAdvMessageForm::TBandPlacement TAdvMessageForm::PlaceBand(int y) {
    const bool links = FDialog.Options.Contains(doCommandLinks);
    const int clientWidth = ClientRect().right;
    const int spacing = FButtonSpacing;
    auto rowWidth = [spacing](const std::vector<TWinControl*>& list) {
        int sum = 0;
        for (TWinControl* c : list)
            sum += c->Width();
        return list.empty() ? 0 : sum + (static_cast<int>(list.size()) - 1) * spacing;
    };
    // Push buttons stand in a row, custom ones before the common ones,
    // ending at the right.
    const int customRowWidth = links ? 0 : rowWidth(FCustomButtonList);
    const int commonRowWidth = rowWidth(FCommonButtonList);
    const int verifyWidth =
        FVerifyCheckBox ? 2 * FVertSpacing + MeasureText(FVerifyCheckBox->Caption()).cx : 0;
    int buttonLeft =
        clientWidth - customRowWidth - commonRowWidth - FHorzSpacing - kButtonRowEndGap;
    // The tallest of the expander and the push buttons.
    int rowHeight = 0;
    if (FExpandButton) {
        FExpandButton->SetBounds(FVertMargin, y, FExpandButton->Width(), FExpandButton->Height());
        rowHeight = std::max(rowHeight, FExpandButton->Height());
    }
    if (FVerifyCheckBox)
        FVerifyCheckBox->SetBounds(FVertMargin + kCheckBoxIndent, y + rowHeight,
                                   verifyWidth - FVertSpacing, FVerifyCheckBox->Height());
    auto placeRow = [&](const std::vector<TWinControl*>& list) {
        for (TWinControl* c : list) {
            c->SetBounds(buttonLeft, y, c->Width(), c->Height());
            buttonLeft += c->Width() + spacing;
            rowHeight = std::max(rowHeight, c->Height());
        }
        if (!list.empty())
            FBandTop = list.front()->Top();
    };
    if (!links)
        placeRow(FCustomButtonList);
    placeRow(FCommonButtonList);
    if (FVerifyCheckBox)
        return {y + std::max(rowHeight, FVerifyCheckBox->Height() + FVertSpacing),
                y + std::max(rowHeight + FVertSpacing, FVerifyCheckBox->Height() + FVertSpacing)};
    return {y + rowHeight, rowHeight > 0 ? y + rowHeight + FVertSpacing : y};
}

int TAdvMessageForm::PlaceFooter(int y) {
    FFooterHeight = 0;
    if (FDialog.Footer().empty())
        return 0;
    const int footerLeft = FHorzMargin + (FFooterImage ? kFooterIconSpace : 0);
    const SIZE footer =
        MeasureMarkup(FDialog.Footer(),
                      MakeRect(footerLeft, y, ClientRect().right - FHorzMargin, y + kProbeHeight));
    FFooterHeight = footer.cy;
    int footerBlockHeight = FFooterHeight;
    if (FFooterImage) {
        FFooterImage->SetBounds(FFooterImage->Left(), y, kFooterIconSize, kFooterIconSize);
        footerBlockHeight = std::max(footerBlockHeight, kFooterIconSpace);
    }
    return footerBlockHeight + FVertSpacing;
}

RECT TAdvMessageForm::ContentRect() const {
    const int top = FDialog.Instruction().empty()
                        ? FVertMargin
                        : FInstructionLabel->Top() + FInstructionLabel->Height() + FVertSpacing;
    return MakeRect(ContentLeft(), top, ClientRect().right - FHorzMargin, top + FContentHeight);
}

RECT TAdvMessageForm::ExpandedRect() const {
    return MakeRect(ContentLeft(), FExpandedTop, ClientRect().right - FHorzMargin,
                    FExpandedTop + FExpandedHeight);
}

RECT TAdvMessageForm::FooterRect() const {
    const RECT client = ClientRect();
    return MakeRect(FHorzMargin, client.bottom - FFooterHeight - kFooterTopGap,
                    client.right - FHorzMargin, client.bottom);
}

RECT TAdvMessageForm::FooterTextRect() const {
    RECT r = FooterRect();
    if (FFooterImage)
        r.left += kFooterIconSpace;
    return r;
}

void TAdvMessageForm::DrawTextBlock(TCanvas& canvas, const std::string& text, const RECT& r,
                                    bool markup) {
    canvas.Font = Font;
    if (markup) {
        THtmlRenderResult result;
        RenderHtmlText(canvas, MarkupText(text), r, THtmlRenderOptions{}, result);
        return;
    }
    RECT box = r;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.DrawText(PlainText(text), box, kPlainBlockFormat | DT_VCENTER);
}

std::string TAdvMessageForm::LinkAt(int x, int y) {
    struct TArea {
        RECT Rect;
        const std::string& Text;
    };
    // The footer is always markup; content and expanded text only with
    // hyperlinks, else they are drawn as plain text and hold no link.
    const bool hyperlinks = FDialog.Options.Contains(doHyperlinks);
    const TArea areas[] = {
        {FDialog.Footer().empty() ? RECT{} : FooterTextRect(), FDialog.Footer()},
        {hyperlinks ? ContentRect() : RECT{}, FDialog.Content()},
        {hyperlinks && FExpanded ? ExpandedRect() : RECT{}, FDialog.ExpandedText()},
    };
    for (const TArea& area : areas) {
        if (!PointInRect(area.Rect, x, y))
            continue;
        TCanvas& canvas = MeasureCanvas();
        canvas.Font = Font;
        THtmlRenderOptions options = MeasureOptions();
        options.HitX = x;
        options.HitY = y;
        THtmlRenderResult result;
        if (RenderHtmlText(canvas, MarkupText(area.Text), area.Rect, options, result))
            return result.AnchorHref;
        return {};
    }
    return {};
}
