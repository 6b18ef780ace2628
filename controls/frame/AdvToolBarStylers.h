// The colour schemes of the caption bar and its toolbar family: one styler
// component holds the whole palette, and setting its Style loads a scheme
// that every attached control repaints from.
#pragma once

#include "controls/AdvStyleIF.h"
#include "controls/paint/AdvGlowButton.h"
#include "framework/Controls.h"

#include <functional>
#include <string>
#include <vector>

enum TToolBarStyle {
    bsOffice2003Blue,
    bsOffice2003Silver,
    bsOffice2003Olive,
    bsOffice2003Classic,
    bsOffice2007Luna,
    bsOffice2007Obsidian,
    bsWindowsXP,
    bsWhidbeyStyle,
    bsCustom,
    bsOffice2007Silver,
    bsOfficeXP
};

enum TGradientDirection { gdHorizontal, gdVertical };
enum TDragGripStyle { dsDots, dsSingleLine, dsDoubleLine, dsFlatDots, dsNone };
enum TBackGroundDisplay { bdTile, bdCenter, bdStretch };

// What an attached control hears; the value is the change code it gets.
enum TStylerChange : int {
    scAppearance = 1, // a value of a group other than the caption strip
    scStyle = 2,      // a whole scheme was loaded
    scPagerCaption = 11
};

// ---- the groups of values

struct TGradientBackgroundValues {
    TColor Color = clBtnFace, ColorTo = clNone;
    TGradientDirection Direction = gdHorizontal;
    int Steps = 64;
    bool operator==(const TGradientBackgroundValues&) const = default;
};

// A box of two halves, each with its own gradient, and a border.
struct TVistaBackgroundValues {
    TColor BorderColor = clNone;
    TColor Color = clWhite, ColorTo = clWhite, ColorMirror = clWhite, ColorMirrorTo = clWhite;
    TGDIPGradient Gradient = ggVertical, GradientMirror = ggVertical;
    bool operator==(const TVistaBackgroundValues&) const = default;
};

struct TVistaTextBackgroundValues : TVistaBackgroundValues {
    TColor TextColor = clBlue;
    bool operator==(const TVistaTextBackgroundValues&) const = default;
};

struct TCaptionAppearanceValues {
    TColor CaptionColor = clHighlight, CaptionColorTo = clNone;
    TColor CaptionTextColor = clHighlightText;
    TColor CaptionBorderColor = clHighlight;
    TColor CaptionColorHot = clHighlight, CaptionColorHotTo = clNone;
    TColor CaptionTextColorHot = clHighlightText;
    bool operator==(const TCaptionAppearanceValues&) const = default;
};

struct TButtonAppearanceValues {
    TColor Color = clBtnFace, ColorTo = clNone;
    TColor ColorChecked = clNone, ColorCheckedTo = clNone;
    TColor ColorDown = clNone, ColorDownTo = clNone;
    TColor ColorHot = clNone, ColorHotTo = clNone;
    TColor BorderDownColor = clNone, BorderHotColor = clNone, BorderCheckedColor = clNone;
    bool operator==(const TButtonAppearanceValues&) const = default;
};

struct TContainerAppearanceValues {
    TColor LineColor = clBtnShadow;
    bool Line3D = true;
    bool operator==(const TContainerAppearanceValues&) const = default;
};

struct TTabAppearanceValues {
    TColor BorderColor = clNone, BorderColorHot = clNone, BorderColorSelected = clNone,
           BorderColorSelectedHot = clNone, BorderColorDisabled = clNone, BorderColorDown = clNone;
    TColor Color = clBtnFace, ColorTo = clWhite;
    TColor ColorSelected = clWhite, ColorSelectedTo = clWhite;
    TColor ColorDisabled = clWhite, ColorDisabledTo = clSilver;
    TColor ColorHot = clWhite, ColorHotTo = clWhite;
    TColor ColorMirror = clWhite, ColorMirrorTo = clWhite;
    TColor ColorMirrorHot = clWhite, ColorMirrorHotTo = clWhite;
    TColor ColorMirrorSelected = clWhite, ColorMirrorSelectedTo = clWhite;
    TColor ColorMirrorDisabled = clWhite, ColorMirrorDisabledTo = clSilver;
    TGDIPGradient Gradient = ggVertical, GradientMirror = ggVertical;
    TGDIPGradient GradientHot = ggVertical, GradientMirrorHot = ggVertical;
    TGDIPGradient GradientSelected = ggVertical, GradientMirrorSelected = ggVertical;
    TGDIPGradient GradientDisabled = ggVertical, GradientMirrorDisabled = ggVertical;
    TColor TextColor = clBlack, TextColorHot = clBlack, TextColorSelected = clBlack,
           TextColorDisabled = clGray;
    TGradientBackgroundValues BackGround;
    bool operator==(const TTabAppearanceValues&) const = default;
};

struct TToolBarAppearanceValues {
    TColor BorderColor = clNone, BorderColorHot = clNone;
    TGradientBackgroundValues Color, ColorHot;
    bool operator==(const TToolBarAppearanceValues&) const = default;
};

// The look of a tab group: its own box and text colour, and the caption,
// page, tab and toolbar looks inside it.
struct TGroupAppearanceValues : TVistaBackgroundValues {
    TColor TextColor = clBlack;
    TCaptionAppearanceValues CaptionAppearance;
    TVistaBackgroundValues PageAppearance;
    TTabAppearanceValues TabAppearance;
    TToolBarAppearanceValues ToolBarAppearance;
    bool operator==(const TGroupAppearanceValues&) const = default;
};

struct TQATAppearanceValues {
    TColor BorderColor = clNone, Color = clBtnFace, ColorTo = clNone;
    TColor FullSizeBorderColor = clNone, FullSizeColor = clBtnFace, FullSizeColorTo = clNone;
    bool operator==(const TQATAppearanceValues&) const = default;
};

// The styler's own values that belong to no group.
struct TToolBarStylerValues {
    TColor BorderColor = clBtnShadow, BorderColorHot = clBtnShadow;
    TDragGripStyle DragGripStyle = dsDots;
    TColor FloatingWindowBorderColor = clBtnShadow;
    int FloatingWindowBorderWidth = 2;
    TColor RightHandleColor = 8421504, RightHandleColorTo = 8421504;
    TColor RightHandleColorHot = clNone, RightHandleColorHotTo = clNone;
    TColor RightHandleColorDown = clNone, RightHandleColorDownTo = clNone;
    bool operator==(const TToolBarStylerValues&) const = default;
};

// A persistent group: its values are read directly and changed through Edit
// or Assign, which tell the owner once when anything differs.
template <class V> class TAppearanceGroup {
  public:
    const V& operator*() const { return FValues; }
    const V* operator->() const { return &FValues; }
    void Assign(const V& values) {
        if (values == FValues)
            return;
        FValues = values;
        Changed();
    }
    template <class F> void Edit(F&& edit) {
        V values = FValues;
        edit(values);
        Assign(values);
    }
    std::function<void()> OnChange;

  protected:
    void Changed() {
        if (OnChange)
            OnChange();
    }

  private:
    V FValues{};
};

// A group with a text font; SystemFont lets a style change rename the font
// to the system's UI font.
template <class V> class TFontAppearanceGroup : public TAppearanceGroup<V> {
  public:
    TFontAppearanceGroup() {
        Font.OnChange = [this] { this->Changed(); };
    }
    TFont Font;
    bool SystemFont = true;
};

// Controls attached to a styler hear of its changes with a change code.
class IToolBarStylerClient {
  public:
    virtual void StylerChanged(int code) = 0;

  protected:
    ~IToolBarStylerClient() = default;
};

// A hidden window that calls back when the system's visual theme changes.
class TThemeNotifierWindow : public TWinControl {
  public:
    explicit TThemeNotifierWindow(TComponent* owner);
    std::function<void()> OnThemeChanged;

  protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// Following the Windows XP colour theme, as every styler can: a switch, and the
// window that hears of theme changes. While the switch is on, Adapt hands the
// current scheme (CurrentThemeScheme) to the styler's own rule.
class TThemeFollower {
  public:
    explicit TThemeFollower(std::function<void(int scheme)> adapt) : FAdapt(std::move(adapt)) {}
    TThemeFollower(const TThemeFollower&) = delete; // the notifier calls back into this one
    TThemeFollower& operator=(const TThemeFollower&) = delete;
    // The notifier is owned by `owner` and stands on the first windowed control
    // found from `from` up the owner chain; there is none without one.
    void Listen(TComponent* owner, TComponent* from);
    bool On() const { return FOn; }
    void SetOn(bool value) { FOn = value; }
    void Adapt() const;
    TThemeNotifierWindow* Notifier() const { return FNotifier; }

  private:
    std::function<void(int scheme)> FAdapt;
    bool FOn = false;
    TThemeNotifierWindow* FNotifier = nullptr;
};

// The Windows XP colour theme in use: 1 blue, 2 olive, 3 silver, 0 for any
// other theme, no active theme, an older system or a missing function.
int CurrentThemeScheme();
// The scheme of a theme's colour name ("NormalColor", "HomeStead",
// "Metallic"; exact and case-sensitive), 0 for any other.
int ThemeSchemeOfColorName(const std::wstring& name);

class TAdvToolBarOfficeStyler : public TComponent, public IComponentStyle {
  public:
    // A new styler holds the Office 2003 blue scheme, over the Windows XP one.
    explicit TAdvToolBarOfficeStyler(TComponent* owner);
    ~TAdvToolBarOfficeStyler() override;

    TToolBarStyle Style() const { return FStyle; }
    // Loads a scheme; setting the current style again does nothing.
    void SetStyle(TToolBarStyle style);
    // The component style that matches the loaded scheme, tsCustom for none.
    TTelvarStyle ComponentStyle() const { return FComponentStyle; }
    void SetComponentStyle(TTelvarStyle style) override;

    // Follows the Windows XP colour theme after loading and on theme changes.
    bool AutoThemeAdapt() const { return FTheme.On(); }
    void SetAutoThemeAdapt(bool value);
    // Renames Font and CaptionFont with every style change.
    bool SystemFont = true;
    // The styler's own window for theme changes; null without a window to stand on.
    TThemeNotifierWindow* ThemeNotifier() const { return FTheme.Notifier(); }

    TBitmap BackGround;
    bool BackGroundTransparent = true;
    TBackGroundDisplay BackGroundDisplay = bdTile;

    TAppearanceGroup<TToolBarStylerValues> Values;
    TAppearanceGroup<TGradientBackgroundValues> Color;
    TAppearanceGroup<TGradientBackgroundValues> ColorHot;
    TAppearanceGroup<TGradientBackgroundValues> DockColor;
    TFontAppearanceGroup<TButtonAppearanceValues> ButtonAppearance;
    TAppearanceGroup<TCaptionAppearanceValues> CaptionAppearance;
    TAppearanceGroup<TContainerAppearanceValues> ContainerAppearance;
    TFontAppearanceGroup<TGroupAppearanceValues> GroupAppearance;
    TAppearanceGroup<TVistaBackgroundValues> PageAppearance;
    TFontAppearanceGroup<TVistaTextBackgroundValues> PagerCaption;
    TAppearanceGroup<TQATAppearanceValues> QATAppearance;
    TFontAppearanceGroup<TTabAppearanceValues> TabAppearance;
    TGlowButtonAppearance GlowButtonAppearance;
    TGlowButtonAppearance CompactGlowButtonAppearance;
    TFont Font;
    TFont CaptionFont;

    // Flags of the loaded scheme for the toolbars' outline.
    bool RoundEdges() const { return FRoundEdges; }
    int Bevel() const { return FBevel; }
    bool UseBevel() const { return FUseBevel; }
    bool SharpQATCurve() const { return FSharpQATCurve; }

    // Attached controls hear of every change until they detach.
    void AddControl(IToolBarStylerClient* control);
    void RemoveControl(IToolBarStylerClient* control);
    // Tells every attached control; the glow appearances are plain values, so
    // whoever changes one calls this.
    void NotifyControls(int code);

  protected:
    void Loaded() override;

  private:
    void RenameSystemFonts();
    void ApplyScheme(TToolBarStyle style);
    void GroupChanged(int code);

    TToolBarStyle FStyle = bsCustom;
    TTelvarStyle FComponentStyle = tsCustom;
    bool FRoundEdges = false;
    int FBevel = 0;
    bool FUseBevel = false;
    bool FSharpQATCurve = false;
    bool FApplying = false;
    TThemeFollower FTheme;
    std::vector<IToolBarStylerClient*> FControls;
};
