#include "controls/frame/AdvPanel.h"

#include "controls/paint/AdvGradient.h"

#include <algorithm>

// ---- TAdvPanelSettings

TAdvPanelSettings::TAdvPanelSettings() {
    Font.SetName("Tahoma");
    Font.SetSize(8);
    Values.OnChange = Font.OnChange = Caption.OnChange = StatusBar.OnChange = [this] { Changed(); };
}

void TAdvPanelSettings::Changed() {
    if (FUpdateCount == 0 && OnChange)
        OnChange();
}

void TAdvPanelSettings::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0)
        return;
    // A closed update tells once, whether or not a value differed: the
    // panels follow a preset that is loaded again.
    Changed();
}

// ---- TCustomAdvPanel

TCustomAdvPanel::TCustomAdvPanel(TComponent* owner) : TCustomPanel(owner) {
    ShowCaption = false;
    Caption.OnChange = StatusBar.OnChange = [this] { Invalidate(); };
}

void TCustomAdvPanel::SetImages(TImageList* value) {
    SetReference(FImages, value);
    Invalidate();
}

void TCustomAdvPanel::SetPictureContainer(TPictureContainer* value) {
    SetReference(FPictureContainer, value);
    Invalidate();
}

void TCustomAdvPanel::SetStyler(TAdvPanelStyler* value) {
    SetReference(FStyler, value);
    if (FStyler && !Loading())
        ApplySettings(FStyler->Settings);
}

void TCustomAdvPanel::Loaded() {
    TCustomPanel::Loaded();
    if (FStyler)
        ApplySettings(FStyler->Settings);
    AdjustToText();
}

void TCustomAdvPanel::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FStyler)
        FStyler = nullptr;
    if (component == FImages)
        FImages = nullptr;
    if (component == FPictureContainer)
        FPictureContainer = nullptr;
}

void TCustomAdvPanel::ApplySettings(const TAdvPanelSettings& settings) {
    const TAdvPanelValues& v = *settings.Values;
    AnchorHint = v.AnchorHint;
    SetBevelInner(v.BevelInner);
    SetBevelOuter(v.BevelOuter);
    SetBevelWidth(v.BevelWidth);
    SetBorderColor(v.BorderColor);
    SetBorderShadow(v.BorderShadow);
    SetBorderStyle(v.BorderStyle);
    SetBorderWidth(v.BorderWidth);
    Caption.AssignLook(settings.Caption);
    SetColor(v.Color);
    SetColorTo(v.ColorTo);
    SetColorMirror(v.ColorMirror);
    SetColorMirrorTo(v.ColorMirrorTo);
    SetCursor(v.Cursor);
    Font.Assign(settings.Font);
    SetHover(v.Hover);
    SetHoverColor(v.HoverColor);
    SetHoverFontColor(v.HoverFontColor);
    SetIndent(v.Indent);
    SetShadowColor(v.ShadowColor);
    SetShadowOffset(v.ShadowOffset);
    SetShowHint(v.ShowHint);
    StatusBar.AssignLook(settings.StatusBar);
    SetTextVAlign(v.TextVAlign);
    SetTopIndent(v.TopIndent);
    SetURLColor(v.URLColor);
}

void TCustomAdvPanel::SetText(const std::string& value) {
    Change(FText, value);
    AdjustToText();
}

void TCustomAdvPanel::SetAutoSize(const TPanelAutoSize& value) {
    FAutoSize = value;
    AdjustToText();
}

void TCustomAdvPanel::SetIndent(int value) {
    Change(FIndent, value);
    AdjustToText();
}

void TCustomAdvPanel::SetTopIndent(int value) {
    Change(FTopIndent, value);
    AdjustToText();
}

void TCustomAdvPanel::FontChanged() {
    TCustomPanel::FontChanged();
    AdjustToText();
}

void TCustomAdvPanel::AdjustToText() {
    if (!FAutoSize.Enabled || Loading() || (!FAutoSize.Width && !FAutoSize.Height))
        return;
    // The text laid out unwrapped when the width follows it, else in the
    // width it has. The indents move the text rectangle without narrowing
    // it, so they are room to add.
    const RECT text = TextRect();
    const int insetX = Width() - (text.right - text.left) + FIndent;
    const int insetY = Height() - (text.bottom - text.top) + FTopIndent;
    constexpr int kUnwrappedWidth = 32767;
    const RECT layout =
        MakeRect(0, 0, FAutoSize.Width ? kUnwrappedWidth : text.right - text.left, kUnwrappedWidth);
    TCanvas& canvas = MeasureCanvas();
    canvas.Font = Font;
    THtmlRenderOptions options = RenderOptions();
    options.MeasureOnly = true;
    THtmlRenderResult result;
    RenderHtmlText(canvas, FText, layout, options, result);
    SetBounds(Left(), Top(), FAutoSize.Width ? result.ExtentX + insetX : Width(),
              FAutoSize.Height ? result.ExtentY + insetY : Height());
}

RECT TCustomAdvPanel::TextRect() const {
    RECT r = ClientRect();
    InflateRect(&r, -(BorderWidth() + 1), -(BorderWidth() + 1));
    if (Caption.Visible())
        r.top = std::min<LONG>(r.bottom, std::max<LONG>(r.top, Caption->Height));
    if (StatusBar.Visible())
        r.bottom = std::max<LONG>(r.top, std::min<LONG>(r.bottom, Height() - StatusBar.Height()));
    OffsetRect(&r, FIndent, FTopIndent);
    return r;
}

THtmlRenderOptions TCustomAdvPanel::RenderOptions() const {
    THtmlRenderOptions o;
    o.Images = FImages;
    o.HoverAnchorIndex = FHoverAnchor;
    o.ShadowOffset = FShadowOffset;
    o.ShadowColor = FShadowColor;
    o.HoverOnly = FHover;
    o.WordWrap = !FEllipsis;
    o.BlinkVisible = false;
    o.URLColor = FURLColor;
    o.HoverColor = FHoverColor;
    o.HoverFontColor = FHoverFontColor;
    o.PictureCache = const_cast<THTMLPictureCache*>(&FPictureCache);
    o.PictureContainer = FPictureContainer;
    o.LineSpacing = FLineSpacing;
    return o;
}

bool TCustomAdvPanel::RenderText(TCanvas& canvas, bool hitOnly, int hitX, int hitY,
                                 THtmlRenderResult& result) {
    canvas.Font = Font;
    RECT r = TextRect();
    THtmlRenderOptions options = RenderOptions();
    options.HitX = hitX;
    options.HitY = hitY;
    if (FTextVAlign != tvaTop) {
        options.AnchorTestOnly = true;
        RenderHtmlText(canvas, FText, r, options, result);
        const int spare = (r.bottom - r.top) - result.ExtentY;
        if (spare > 0)
            r.top += FTextVAlign == tvaCenter ? spare / 2 : spare;
        result = {};
    }
    options.AnchorTestOnly = hitOnly;
    return RenderHtmlText(canvas, FText, r, options, result);
}

void TCustomAdvPanel::PaintWindow(TCanvas& canvas) {
    const RECT r = ClientRect();
    PaintBackground(canvas, r);
    PaintBorder(canvas, r);
    {
        const TDCStateScope state(canvas.Handle());
        RECT clip = r;
        if (Caption.Visible())
            clip.top = std::min<LONG>(clip.bottom, Caption->Height);
        if (FBorderShadow) {
            clip.right -= 2;
            clip.bottom -= 2;
        }
        IntersectClipRect(canvas.Handle(), clip.left, clip.top, clip.right, clip.bottom);
        PaintPicture(canvas, clip);
        if (!FText.empty()) {
            canvas.Brush.SetStyle(TBrushStyle::bsClear);
            THtmlRenderResult result;
            RenderText(canvas, false, -1, -1, result);
        }
    }
    if (Caption.Visible())
        PaintCaptionBar(canvas);
    if (StatusBar.Visible())
        PaintStatusBar(canvas);
    if (OnPaint)
        OnPaint(this, canvas, r);
    PaintControls(canvas);
}

void TCustomAdvPanel::PaintBackground(TCanvas& canvas, const RECT& r) {
    const bool horizontal = FGradientDirection == gdHorizontal;
    if (FColorTo == clNone) {
        canvas.Brush.SetColor(Color());
        canvas.FillRect(r);
    } else if (FColorMirror == clNone) {
        DrawGradient(canvas, Color(), FColorTo, 64, r, horizontal);
    } else {
        RECT first = r, second = r;
        if (horizontal)
            first.right = second.left = (r.left + r.right) / 2;
        else
            first.bottom = second.top = (r.top + r.bottom) / 2;
        DrawGradient(canvas, Color(), FColorTo, 128, first, horizontal);
        DrawGradient(canvas, FColorMirror, FColorMirrorTo, 128, second, horizontal);
    }
}

void TCustomAdvPanel::PaintBorder(TCanvas& canvas, const RECT& r) {
    if (FBorderColor != clNone && BorderWidth() > 0) {
        const int cut = FBorderShadow ? 2 : 0;
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        canvas.Pen.SetColor(FBorderColor);
        canvas.Rectangle(r.left, r.top, r.right - cut, r.bottom - cut);
        if (FBorderShadow) {
            // Two fading lines outside the right and bottom edges.
            const int percents[] = {50, 20};
            for (int i = 0; i < 2; ++i) {
                canvas.Pen.SetColor(BlendColor(FBorderColor, clBtnFace, percents[i]));
                const int x = r.right - 2 + i, y = r.bottom - 2 + i;
                canvas.MoveTo(x, r.top + 1 + i);
                canvas.LineTo(x, y);
                canvas.LineTo(r.left + i, y);
            }
        }
    }
    RECT bevel = r;
    DrawBevel(canvas, bevel, BevelOuter(), BevelWidth());
    if (FBorderColor == clNone) {
        canvas.Brush.SetColor(Color());
        canvas.FrameRect(r);
    }
    DrawBevel(canvas, bevel, BevelInner(), BevelWidth());
}

void TCustomAdvPanel::PaintPicture(TCanvas& canvas, const RECT& r) {
    if (Background.Empty())
        return;
    const int w = Background.Width(), h = Background.Height();
    switch (FBackgroundPosition) {
    case bpStretched:
        Background.StretchDraw(canvas, r);
        return;
    case bpTiled:
        for (int y = r.top; y < r.bottom; y += h)
            for (int x = r.left; x < r.right; x += w)
                Background.DrawAt(canvas, x, y);
        return;
    default:
        break;
    }
    const bool right = FBackgroundPosition == bpTopRight || FBackgroundPosition == bpBottomRight;
    const bool bottom = FBackgroundPosition == bpBottomLeft || FBackgroundPosition == bpBottomRight;
    int x = right ? r.right - w : r.left;
    int y = bottom ? r.bottom - h : r.top;
    if (FBackgroundPosition == bpCenter) {
        x = (r.left + r.right - w) / 2;
        y = (r.top + r.bottom - h) / 2;
    }
    Background.DrawAt(canvas, x, y);
}

void TCustomAdvPanel::PaintCaptionBar(TCanvas& canvas) {
    const TPanelCaptionValues& c = *Caption;
    const RECT bar = MakeRect(0, 0, Width(), std::min(Height(), c.Height));
    if (c.ColorTo == clNone) {
        canvas.Brush.SetColor(c.Color);
        canvas.FillRect(bar);
    } else {
        DrawGradient(canvas, c.Color, c.ColorTo, 64, bar, c.GradientDirection == gdHorizontal);
    }
    RECT text = bar;
    text.left += c.Indent + 2;
    text.top += Caption.TopIndent();
    canvas.Font = Caption.Font;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.DrawText(Caption.Text(), text,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void TCustomAdvPanel::PaintStatusBar(TCanvas& canvas) {
    const TPanelStatusBarValues& s = *StatusBar;
    const RECT bar = MakeRect(0, std::max(0, Height() - StatusBar.Height()), Width(), Height());
    if (s.ColorTo == clNone) {
        canvas.Brush.SetColor(s.Color);
        canvas.FillRect(bar);
    } else {
        DrawGradient(canvas, s.Color, s.ColorTo, 64, bar, s.GradientDirection == gdHorizontal);
    }
    if (s.BorderStyle == TBorderStyle::bsSingle) {
        canvas.Brush.SetColor(s.BorderColor);
        canvas.FrameRect(bar);
    }
    RECT text = bar;
    text.left += 4;
    if (FImages && StatusBar.ImageIndex() >= 0 && StatusBar.ImageIndex() < FImages->Count()) {
        FImages->Draw(canvas, text.left, (bar.top + bar.bottom - FImages->Height()) / 2,
                      StatusBar.ImageIndex());
        text.left += FImages->Width() + 4;
    }
    canvas.Font = StatusBar.Font;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.DrawText(StatusBar.Text(), text,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

// ---- anchors

std::string TCustomAdvPanel::AnchorAt(int x, int y) {
    THtmlRenderResult hit;
    if (FText.empty() || !RenderText(MeasureCanvas(), true, x, y, hit))
        return {};
    return hit.AnchorHref;
}

void TCustomAdvPanel::SetHoverAnchor(int index, const std::string& href) {
    if (index == FHoverAnchor)
        return;
    if (FHoverAnchor >= 0 && OnAnchorExit)
        OnAnchorExit(this, FHoverHref);
    // The hand shows over an anchor; the panel's own cursor comes back after.
    if (FHoverAnchor < 0) {
        FRestCursor = Cursor();
        SetCursor(TCursor::crHandPoint);
    } else if (index < 0) {
        SetCursor(FRestCursor);
    }
    FHoverAnchor = index;
    FHoverHref = href;
    if (AnchorHint) {
        std::string hint = href;
        if (index >= 0 && OnAnchorHint)
            OnAnchorHint(this, index, hint);
        SetHint(hint);
        SetShowHint(!hint.empty());
    }
    if (index >= 0 && OnAnchorEnter)
        OnAnchorEnter(this, href);
    if (FHover)
        Invalidate();
}

void TCustomAdvPanel::MouseMove(TShiftState shift, int x, int y) {
    TCustomPanel::MouseMove(shift, x, y);
    if (FText.empty())
        return;
    THtmlRenderResult hit;
    if (RenderText(MeasureCanvas(), true, x, y, hit))
        SetHoverAnchor(hit.HitAnchorIndex, hit.AnchorHref);
    else
        SetHoverAnchor(-1, {});
}

void TCustomAdvPanel::MouseEnter() {
    TCustomPanel::MouseEnter();
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TCustomAdvPanel::MouseLeave() {
    TCustomPanel::MouseLeave();
    SetHoverAnchor(-1, {});
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TCustomAdvPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomPanel::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    if (Caption.Visible() && y >= 0 && y < Caption->Height) {
        const TNotifyEvent& event = shift & ssDouble ? OnCaptionDBlClick : OnCaptionClick;
        if (event)
            event(this);
        return;
    }
    const std::string href = AnchorAt(x, y);
    if (!href.empty() && OnAnchorClick)
        OnAnchorClick(this, href);
}

// ---- TAdvPanelStyler

namespace {

// The background of a preset; Mirror of clNone keeps one gradient.
struct TPanelPreset {
    TAdvPanelStyle Style;
    TColor Color, ColorTo, ColorMirror, ColorMirrorTo, BorderColor;
    bool BorderShadow;
    TBevelCut BevelOuter;
};

constexpr TBevelCut kFlat = TBevelCut::bvNone, kRaised = TBevelCut::bvRaised;

// clang-format off
constexpr TPanelPreset kPresets[] = {
    {psXP,                 clWhite,    14938354, clNone,   clNone,   clGray,   true,  kFlat},
    {psFlat,               clBtnFace,  clNone,   clNone,   clNone,   clGray,   false, kFlat},
    {psTelvar,             clWhite,    15000804, clNone,   clNone,   clGray,   true,  kFlat},
    {psClassic,            clBtnFace,  clNone,   clNone,   clNone,   clGray,   false, kRaised},
    {psOffice2003Blue,     16640730,   14986888, clNone,   clNone,   clGray,   false, kFlat},
    {psOffice2003Olive,    13627626,   9224369,  clNone,   clNone,   clGray,   false, kFlat},
    {psOffice2003Silver,   15524577,   11769496, clNone,   clNone,   clGray,   false, kFlat},
    {psOffice2003Classic,  clWhite,    14938354, clNone,   clNone,   clGray,   true,  kFlat},
    {psOffice2007Luna,     16445929,   15587527, 15587527, 16773863, 16765615, false, kFlat},
    {psOffice2007Obsidian, 13616833,   12958644, 12958644, 15527141, 16765615, false, kFlat},
    {psWhidbey,            clWhite,    14938354, clNone,   clNone,   clGray,   true,  kFlat},
    {psWindowsXP,          clBtnFace,  clNone,   clNone,   clNone,   clGray,   false, kRaised},
    {psOffice2007Silver,   16381427,   15195349, 15195349, 16513776, 16765615, false, kFlat},
};
// clang-format on

const TPanelPreset* PresetOf(TAdvPanelStyle style) {
    for (const TPanelPreset& preset : kPresets)
        if (preset.Style == style)
            return &preset;
    return nullptr;
}

// The Luna bars and text. The bars of the other presets follow their
// background: the caption shades from the first colour to the second, the
// status bar the other way round, framed in the border colour.
void FillBars(TAdvPanelSettings& settings, const TPanelPreset& p) {
    const bool luna = p.Style == psOffice2007Luna;
    settings.Caption.Edit([&](TPanelCaptionValues& c) {
        c.Color = luna ? 16773091 : p.Color;
        c.ColorTo = luna ? 16765615 : p.ColorTo;
        c.GradientDirection = gdVertical;
    });
    settings.Caption.Font.SetColor(clBlack);
    settings.StatusBar.Edit([&](TPanelStatusBarValues& s) {
        s.Color = luna ? 16245715 : p.ColorTo == clNone ? p.Color : p.ColorTo;
        s.ColorTo = luna ? 16109747 : p.ColorTo == clNone ? clNone : p.Color;
        s.BorderColor = p.BorderColor;
        s.BorderStyle = TBorderStyle::bsSingle;
        s.GradientDirection = gdVertical;
    });
    if (luna) {
        settings.Font.SetColor(7485192);
        settings.StatusBar.Font.SetColor(7485192);
    }
}

} // namespace

TAdvPanelStyler::TAdvPanelStyler(TComponent* owner)
    : TComponent(owner), FTheme([this](int scheme) {
          static constexpr TAdvPanelStyle kStyles[] = {psXP, psOffice2003Blue, psOffice2003Olive,
                                                       psOffice2003Silver};
          SetStyle(kStyles[scheme]);
      }) {
    Settings.OnChange = [this] { ApplyToPanels(); };
    SetStyle(psXP);
    FTheme.Listen(this, Owner());
}

TAdvPanelStyler::~TAdvPanelStyler() {
    DestroyComponents();
}

void TAdvPanelStyler::SetStyle(TAdvPanelStyle style) {
    FStyle = style;
    const TPanelPreset* p = PresetOf(style);
    if (!p)
        return;
    Settings.BeginUpdate();
    Settings.Values.Edit([&](TAdvPanelValues& v) {
        v.Color = p->Color;
        v.ColorTo = p->ColorTo;
        v.ColorMirror = p->ColorMirror;
        v.ColorMirrorTo = p->ColorMirrorTo;
        v.BorderColor = p->BorderColor;
        v.BorderShadow = p->BorderShadow;
        v.BevelOuter = p->BevelOuter;
        v.BevelInner = TBevelCut::bvNone;
        if (style == psOffice2007Luna)
            v.BorderStyle = TBorderStyle::bsNone;
    });
    FillBars(Settings, *p);
    Settings.EndUpdate();
}

void TAdvPanelStyler::SetComponentStyle(TTelvarStyle style) {
    static constexpr TAdvPanelStyle kStyles[] = {
        psOffice2003Blue, psOffice2003Silver,   psOffice2003Olive, psOffice2003Classic,
        psOffice2007Luna, psOffice2007Obsidian, psWindowsXP,       psWhidbey,
        psCustom,         psOffice2007Silver};
    if (style != tsCustom)
        SetStyle(kStyles[style]);
}

void TAdvPanelStyler::SetAutoThemeAdapt(bool value) {
    FTheme.SetOn(value);
    if (!Loading())
        FTheme.Adapt();
}

void TAdvPanelStyler::Loaded() {
    TComponent::Loaded();
    FTheme.Adapt();
}

void TAdvPanelStyler::ApplyToPanels() {
    if (Loading() || !Owner())
        return;
    for (TComponent* component : Owner()->Components())
        if (auto* panel = dynamic_cast<TCustomAdvPanel*>(component);
            panel && panel->Styler() == this)
            panel->ApplySettings(Settings);
}
