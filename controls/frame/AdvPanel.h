// The gradient panel: a container whose background is a colour gradient,
// optionally in two mirrored halves, with a border, bevels, a caption bar, a
// status bar, a background picture and a mini-HTML text; and the styler
// component that holds one set of panel settings chosen from named presets.
#pragma once

#include "controls/AdvStyleIF.h"
#include "controls/frame/AdvToolBarStylers.h"
#include "controls/html/HtmlRender.h"
#include "controls/html/PictureContainer.h"
#include "framework/StdCtrls.h"

#include <functional>
#include <string>

enum TTextVAlignment { tvaTop, tvaCenter, tvaBottom };
enum TBackgroundPosition {
    bpTopLeft,
    bpTopRight,
    bpBottomLeft,
    bpBottomRight,
    bpTiled,
    bpStretched,
    bpCenter
};
enum TAdvPanelStyle {
    psXP,
    psFlat,
    psTelvar,
    psClassic,
    psOffice2003Blue,
    psOffice2003Olive,
    psOffice2003Silver,
    psOffice2003Classic,
    psOffice2007Luna,
    psOffice2007Obsidian,
    psWhidbey,
    psWindowsXP,
    psCustom,
    psOffice2007Silver
};

// The caption bar's values that a styler hands on (all but its visibility
// and text).
struct TPanelCaptionValues {
    TColor Color = clHighlight, ColorTo = clNone;
    TGradientDirection GradientDirection = gdHorizontal;
    int Height = 20;
    int Indent = 0;
    bool operator==(const TPanelCaptionValues&) const = default;
};

// The status bar's values that a styler hands on (all but its visibility,
// text, height and image).
struct TPanelStatusBarValues {
    TColor Color = clBtnFace, ColorTo = clNone;
    TGradientDirection GradientDirection = gdHorizontal;
    TBorderStyle BorderStyle = TBorderStyle::bsNone;
    TColor BorderColor = clGray;
    bool operator==(const TPanelStatusBarValues&) const = default;
};

// A bar of a panel: styled values, a font, and whether and what it shows.
// Every change tells the owner once.
template <class V> class TPanelBar : public TAppearanceGroup<V> {
  public:
    TPanelBar() {
        Font.OnChange = [this] { this->Changed(); };
    }
    TFont Font;
    bool Visible() const { return FVisible; }
    void SetVisible(bool value) { Change(FVisible, value); }
    const std::string& Text() const { return FText; }
    void SetText(const std::string& value) { Change(FText, value); }
    // Takes over the styled values and the font; visibility and text stay.
    void AssignLook(const TPanelBar& source) {
        this->Assign(*source);
        Font.Assign(source.Font);
    }

  protected:
    template <class T> void Change(T& field, const T& value) {
        if (field == value)
            return;
        field = value;
        this->Changed();
    }

  private:
    bool FVisible = false;
    std::string FText;
};

class TPanelCaption : public TPanelBar<TPanelCaptionValues> {
  public:
    TPanelCaption() { Font.SetColor(clHighlightText); }
    int TopIndent() const { return FTopIndent; }
    void SetTopIndent(int value) { Change(FTopIndent, value); }

  private:
    int FTopIndent = 0;
};

class TPanelStatusBar : public TPanelBar<TPanelStatusBarValues> {
  public:
    int Height() const { return FHeight; }
    void SetHeight(int value) { Change(FHeight, value); }
    // Image of the panel's Images drawn before the text; -1 none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value) { Change(FImageIndex, value); }

  private:
    int FHeight = 18;
    int FImageIndex = -1;
};

// The panel values that a styler's settings hold besides their font, caption
// and status bar.
struct TAdvPanelValues {
    TColor Color = clBtnFace, ColorTo = clNone, ColorMirror = clNone, ColorMirrorTo = clNone;
    TColor BorderColor = clBlack;
    bool BorderShadow = false;
    TBevelCut BevelInner = TBevelCut::bvNone, BevelOuter = TBevelCut::bvRaised;
    int BevelWidth = 1, BorderWidth = 0;
    TBorderStyle BorderStyle = TBorderStyle::bsNone;
    TCursor Cursor = TCursor::crDefault;
    bool ShowHint = false, AnchorHint = false;
    bool Hover = false;
    TColor HoverColor = clNone, HoverFontColor = clNone;
    int Indent = 0, TopIndent = 0;
    TColor URLColor = clBlue, ShadowColor = clGray;
    int ShadowOffset = 2;
    TTextVAlignment TextVAlign = tvaTop;
    bool operator==(const TAdvPanelValues&) const = default;
};

// One complete set of panel settings. Every change, also of the font, the
// caption or the status bar, tells OnChange once; between BeginUpdate and
// the last EndUpdate changes are gathered into one notice at the end.
class TAdvPanelSettings {
  public:
    TAdvPanelSettings();
    TAppearanceGroup<TAdvPanelValues> Values;
    TFont Font;
    TPanelCaption Caption;
    TPanelStatusBar StatusBar;
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    std::function<void()> OnChange;

  private:
    void Changed();
    int FUpdateCount = 0;
};

class TAdvPanelStyler;

// Sizing a panel to its text: with Enabled, the sides that are set follow
// the laid-out text whenever the text, the font or the indents change.
struct TPanelAutoSize {
    bool Enabled = false;
    bool Height = true;
    bool Width = true;
    bool operator==(const TPanelAutoSize&) const = default;
};

class TCustomAdvPanel : public TCustomPanel {
  public:
    explicit TCustomAdvPanel(TComponent* owner);
    static std::string Version() { return "1.7.7.5"; }

    TColor ColorTo() const { return FColorTo; }
    void SetColorTo(TColor value) { Change(FColorTo, value); }
    TColor ColorMirror() const { return FColorMirror; }
    void SetColorMirror(TColor value) { Change(FColorMirror, value); }
    TColor ColorMirrorTo() const { return FColorMirrorTo; }
    void SetColorMirrorTo(TColor value) { Change(FColorMirrorTo, value); }
    TGradientDirection GradientDirection() const { return FGradientDirection; }
    void SetGradientDirection(TGradientDirection value) { Change(FGradientDirection, value); }
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor value) { Change(FBorderColor, value); }
    bool BorderShadow() const { return FBorderShadow; }
    void SetBorderShadow(bool value) { Change(FBorderShadow, value); }
    // Paint through an off-screen bitmap (the framework's double buffer).
    bool Buffered() const { return DoubleBuffered(); }
    void SetBuffered(bool value) { SetDoubleBuffered(value); }

    TPanelCaption Caption;
    TPanelStatusBar StatusBar;

    // Mini-HTML text drawn in the panel.
    const std::string& Text() const { return FText; }
    void SetText(const std::string& value);
    const TPanelAutoSize& AutoSize() const { return FAutoSize; }
    void SetAutoSize(const TPanelAutoSize& value);
    TTextVAlignment TextVAlign() const { return FTextVAlign; }
    void SetTextVAlign(TTextVAlignment value) { Change(FTextVAlign, value); }
    int Indent() const { return FIndent; }
    void SetIndent(int value);
    int TopIndent() const { return FTopIndent; }
    void SetTopIndent(int value);
    int LineSpacing() const { return FLineSpacing; }
    void SetLineSpacing(int value) { Change(FLineSpacing, value); }
    TColor URLColor() const { return FURLColor; }
    void SetURLColor(TColor value) { Change(FURLColor, value); }
    bool Hover() const { return FHover; }
    void SetHover(bool value) { Change(FHover, value); }
    TColor HoverColor() const { return FHoverColor; }
    void SetHoverColor(TColor value) { Change(FHoverColor, value); }
    TColor HoverFontColor() const { return FHoverFontColor; }
    void SetHoverFontColor(TColor value) { Change(FHoverFontColor, value); }
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor value) { Change(FShadowColor, value); }
    int ShadowOffset() const { return FShadowOffset; }
    void SetShadowOffset(int value) { Change(FShadowOffset, value); }
    bool Ellipsis() const { return FEllipsis; }
    void SetEllipsis(bool value) { Change(FEllipsis, value); }
    // A hovered anchor's href becomes the hint.
    bool AnchorHint = false;
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);
    TPictureContainer* PictureContainer() const { return FPictureContainer; }
    void SetPictureContainer(TPictureContainer* value);

    // Drawn over the gradient; call Invalidate after loading it.
    THTMLPicture Background;
    TBackgroundPosition BackgroundPosition() const { return FBackgroundPosition; }
    void SetBackgroundPosition(TBackgroundPosition value) { Change(FBackgroundPosition, value); }

    // Settings source: its settings are applied when it is set (outside
    // loading), when loading ends and whenever they change.
    TAdvPanelStyler* Styler() const { return FStyler; }
    void SetStyler(TAdvPanelStyler* value);
    // Takes over a settings set; text, size, hint and the bars' visibility
    // and texts stay.
    void ApplySettings(const TAdvPanelSettings& settings);

    std::function<void(TComponent*, const std::string& anchor)> OnAnchorClick;
    std::function<void(TComponent*, const std::string& anchor)> OnAnchorEnter;
    std::function<void(TComponent*, const std::string& anchor)> OnAnchorExit;
    // With AnchorHint: may change the href the hint shows for anchor `index`.
    std::function<void(TComponent*, int index, std::string& anchor)> OnAnchorHint;
    // A left click, or double click, on the visible caption bar.
    TNotifyEvent OnCaptionClick;
    TNotifyEvent OnCaptionDBlClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    std::function<void(TComponent*, TCanvas&, const RECT&)> OnPaint;

    // Where the text is laid out: inside the border, moved by the indents,
    // above the status bar and below the caption bar when they show.
    RECT TextRect() const;
    // The href of the anchor at a client point, or empty.
    std::string AnchorAt(int x, int y);

  protected:
    void PaintWindow(TCanvas& canvas) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void FontChanged() override;

  private:
    // Sizes the panel to its text when AutoSize asks for it.
    void AdjustToText();
    void PaintBackground(TCanvas& canvas, const RECT& r);
    void PaintBorder(TCanvas& canvas, const RECT& r);
    void PaintPicture(TCanvas& canvas, const RECT& r);
    void PaintCaptionBar(TCanvas& canvas);
    void PaintStatusBar(TCanvas& canvas);
    THtmlRenderOptions RenderOptions() const;
    // Lays the text out in the text rectangle (after the vertical alignment)
    // and draws it unless `hitOnly`; true when the hit point is on an anchor.
    bool RenderText(TCanvas& canvas, bool hitOnly, int hitX, int hitY, THtmlRenderResult& result);
    void SetHoverAnchor(int index, const std::string& href);

    TColor FColorTo = clNone, FColorMirror = clNone, FColorMirrorTo = clNone;
    TGradientDirection FGradientDirection = gdVertical;
    TColor FBorderColor = clBlack;
    bool FBorderShadow = false;
    std::string FText;
    TPanelAutoSize FAutoSize;
    TTextVAlignment FTextVAlign = tvaTop;
    int FIndent = 0, FTopIndent = 0, FLineSpacing = 0;
    TColor FURLColor = clBlue, FHoverColor = clNone, FHoverFontColor = clNone;
    TColor FShadowColor = clGray;
    int FShadowOffset = 2;
    bool FHover = false;
    bool FEllipsis = false;
    TImageList* FImages = nullptr;
    TPictureContainer* FPictureContainer = nullptr;
    THTMLPictureCache FPictureCache;
    TBackgroundPosition FBackgroundPosition = bpTopLeft;
    TAdvPanelStyler* FStyler = nullptr;
    int FHoverAnchor = -1;
    std::string FHoverHref;
    TCursor FRestCursor = TCursor::crDefault;
};

class TAdvPanel : public TCustomAdvPanel {
  public:
    using TCustomAdvPanel::TCustomAdvPanel;
};

class TAdvPanelStyler : public TComponent, public IComponentStyle {
  public:
    // A new styler holds the psXP preset.
    explicit TAdvPanelStyler(TComponent* owner);
    ~TAdvPanelStyler() override;

    TAdvPanelSettings Settings;
    TAdvPanelStyle Style() const { return FStyle; }
    // Fills the settings with a preset in one change; psCustom changes nothing.
    void SetStyle(TAdvPanelStyle style);
    // Takes the matching preset; tsCustom changes nothing.
    void SetComponentStyle(TTelvarStyle style) override;
    // Follows the Windows XP colour theme after loading and on theme changes.
    bool AutoThemeAdapt() const { return FTheme.On(); }
    void SetAutoThemeAdapt(bool value);
    std::string Comments;
    // The styler's own window for theme changes; null without a window to stand on.
    TThemeNotifierWindow* ThemeNotifier() const { return FTheme.Notifier(); }

  protected:
    void Loaded() override;

  private:
    void ApplyToPanels();
    TAdvPanelStyle FStyle = psCustom;
    TThemeFollower FTheme;
};
