#include "controls/frame/AdvToolBarStylers.h"

#include "framework/Forms.h"
#include "framework/SystemInfo.h"
#include "framework/Theme.h"

#include <algorithm>

namespace {

TGradientBackgroundValues Gradient(TColor from, TColor to, TGradientDirection direction,
                                   int steps = 64) {
    return {from, to, direction, steps};
}

// One scheme: the groups it assigns. What a scheme leaves out stays as it
// was: the caption strip's text colour, the caption border colour and, where
// SetsButtons is false, the button appearance.
struct TScheme {
    TToolBarStyle Style; // the one whose glow colours and ordinal it has
    TTelvarStyle ComponentStyle;
    TToolBarStylerValues Values;
    TColor Color, ColorTo, ColorHot, ColorHotTo, DockColor, DockColorTo;
    TVistaBackgroundValues Page;
    TVistaBackgroundValues Pager;
    TCaptionAppearanceValues Caption;
    bool SetsButtons;
    TButtonAppearanceValues Button;
    TQATAppearanceValues QAT;
    TColor TabHot, TabText, GroupText;
    bool RoundEdges = true;
    int Bevel = 0;
    bool UseBevel = false;
};

constexpr TColor kHandleHot = 13891839, kHandleHotTo = 7782911, kHandleDown = 557032,
                 kHandleDownTo = 8182519;

// clang-format off
const TScheme kSchemes[] = {
    {.Style = bsOffice2003Blue, .ComponentStyle = tsOffice2003Blue,
     .Values = {.BorderColor = 9262895, .BorderColorHot = 9262895, .DragGripStyle = dsDots,
                .FloatingWindowBorderColor = 9262895, .FloatingWindowBorderWidth = 1,
                .RightHandleColor = 16640730, .RightHandleColorTo = 14986888,
                .RightHandleColorHot = kHandleHot, .RightHandleColorHotTo = kHandleHotTo,
                .RightHandleColorDown = kHandleDown, .RightHandleColorDownTo = kHandleDownTo},
     .Color = 16640730, .ColorTo = 14986888, .ColorHot = 16775410, .ColorHotTo = 16640730,
     .DockColor = 16640730, .DockColorTo = 14986888,
     .Page = {.BorderColor = 14986888, .Color = 16640730, .ColorTo = 16440004,
              .ColorMirror = 16440004, .ColorMirrorTo = 16440004},
     .Pager = {.BorderColor = 15780526, .Color = 14986888, .ColorTo = 14986888,
               .ColorMirror = 14986888, .ColorMirrorTo = 14986888},
     .Caption = {.CaptionColor = 9262895, .CaptionColorTo = 9262895, .CaptionTextColor = clWhite,
                 .CaptionBorderColor = clHighlight, .CaptionColorHot = 14986888,
                 .CaptionColorHotTo = 14986888, .CaptionTextColorHot = clWhite},
     .SetsButtons = true,
     .Button = {.Color = 16640730, .ColorTo = 14986888, .ColorChecked = 9229823,
                .ColorCheckedTo = 5812223, .ColorDown = 5149182, .ColorDownTo = 9556991,
                .ColorHot = 13432063, .ColorHotTo = 9556223, .BorderDownColor = clNavy,
                .BorderHotColor = clNavy, .BorderCheckedColor = clNavy},
     .QAT = {.BorderColor = 9262895, .Color = 16640730, .ColorTo = 14986888,
             .FullSizeBorderColor = 9262895, .FullSizeColor = 16440004,
             .FullSizeColorTo = 14986888},
     .TabHot = 13432063, .TabText = clBlack, .GroupText = clBlack},
    {.Style = bsOffice2003Silver, .ComponentStyle = tsOffice2003Silver,
     .Values = {.BorderColor = 9598070, .BorderColorHot = 9598070, .DragGripStyle = dsDots,
                .FloatingWindowBorderColor = 9598070, .FloatingWindowBorderWidth = 1,
                .RightHandleColor = 15524577, .RightHandleColorTo = 11769496,
                .RightHandleColorHot = kHandleHot, .RightHandleColorHotTo = kHandleHotTo,
                .RightHandleColorDown = kHandleDown, .RightHandleColorDownTo = kHandleDownTo},
     .Color = 15524577, .ColorTo = 11769496, .ColorHot = 16249843, .ColorHotTo = 15524577,
     .DockColor = 15524577, .DockColorTo = 13152947,
     .Page = {.BorderColor = 11769496, .Color = 16249843, .ColorTo = 15128792,
              .ColorMirror = 15128792, .ColorMirrorTo = 15128792},
     .Pager = {.BorderColor = 15128792, .Color = 15128792, .ColorTo = 15128792,
               .ColorMirror = 15128792, .ColorMirrorTo = 15128792},
     .Caption = {.CaptionColor = 9598070, .CaptionColorTo = 9598070, .CaptionTextColor = clWhite,
                 .CaptionBorderColor = clHighlight, .CaptionColorHot = 11769496,
                 .CaptionColorHotTo = 11769496, .CaptionTextColorHot = clWhite},
     .SetsButtons = true,
     .Button = {.Color = 15524577, .ColorTo = 11769496, .ColorChecked = 9229823,
                .ColorCheckedTo = 5812223, .ColorDown = 5149182, .ColorDownTo = 9556991,
                .ColorHot = 13432063, .ColorHotTo = 9556223, .BorderDownColor = 7364725,
                .BorderHotColor = 7364725, .BorderCheckedColor = 7364725},
     .QAT = {.BorderColor = 9598070, .Color = 15524577, .ColorTo = 11769496,
             .FullSizeBorderColor = 9598070, .FullSizeColor = 15128792,
             .FullSizeColorTo = 11769496},
     .TabHot = 13432063, .TabText = clBlack, .GroupText = clBlack},
    {.Style = bsOffice2003Olive, .ComponentStyle = tsOffice2003Olive,
     .Values = {.BorderColor = 6915743, .BorderColorHot = 6915743, .DragGripStyle = dsDots,
                .FloatingWindowBorderColor = 6915743, .FloatingWindowBorderWidth = 1,
                .RightHandleColor = 13627626, .RightHandleColorTo = 9224369,
                .RightHandleColorHot = kHandleHot, .RightHandleColorHotTo = kHandleHotTo,
                .RightHandleColorDown = kHandleDown, .RightHandleColorDownTo = kHandleDownTo},
     .Color = 13627626, .ColorTo = 9224369, .ColorHot = 14547440, .ColorHotTo = 13627626,
     .DockColor = 13627626, .DockColorTo = 9224369,
     .Page = {.BorderColor = 9224369, .Color = 13627626, .ColorTo = 13627626,
              .ColorMirror = 13627626, .ColorMirrorTo = 13627626},
     .Pager = {.BorderColor = 9224369, .Color = 9224369, .ColorTo = 9224369,
               .ColorMirror = 9224369, .ColorMirrorTo = 9224369},
     .Caption = {.CaptionColor = 6915743, .CaptionColorTo = 6915743, .CaptionTextColor = clWhite,
                 .CaptionBorderColor = clHighlight, .CaptionColorHot = 9224369,
                 .CaptionColorHotTo = 9224369, .CaptionTextColorHot = clWhite},
     .SetsButtons = true,
     .Button = {.Color = 13627626, .ColorTo = 9224369, .ColorChecked = 9229823,
                .ColorCheckedTo = 5812223, .ColorDown = 5149182, .ColorDownTo = 9556991,
                .ColorHot = 13432063, .ColorHotTo = 9556223, .BorderDownColor = 3892018,
                .BorderHotColor = 3892018, .BorderCheckedColor = 3892018},
     .QAT = {.BorderColor = 6915743, .Color = 13627626, .ColorTo = 9224369,
             .FullSizeBorderColor = 6915743, .FullSizeColor = 13627626, .FullSizeColorTo = 9224369},
     .TabHot = 13432063, .TabText = clBlack, .GroupText = clBlack},
    {.Style = bsOffice2003Classic, .ComponentStyle = tsCustom,
     .Values = {.BorderColor = clGray, .BorderColorHot = clGray, .DragGripStyle = dsDots,
                .FloatingWindowBorderColor = clGray, .FloatingWindowBorderWidth = 1,
                .RightHandleColor = clWhite, .RightHandleColorTo = 13226453,
                .RightHandleColorHot = kHandleHot, .RightHandleColorHotTo = kHandleHotTo,
                .RightHandleColorDown = kHandleDown, .RightHandleColorDownTo = kHandleDownTo},
     .Color = clWhite, .ColorTo = 13226453, .ColorHot = clWhite, .ColorHotTo = clWhite,
     .DockColor = 13226453, .DockColorTo = 13226453,
     .Page = {.BorderColor = clGray, .Color = clWhite, .ColorTo = clWhite, .ColorMirror = clWhite,
              .ColorMirrorTo = clWhite},
     .Pager = {.BorderColor = 15780526, .Color = 8421504, .ColorTo = 13226453,
               .ColorMirror = 13226453, .ColorMirrorTo = 13226453},
     .Caption = {.CaptionColor = clGray, .CaptionColorTo = clGray, .CaptionTextColor = clWhite,
                 .CaptionBorderColor = clHighlight, .CaptionColorHot = 13226453,
                 .CaptionColorHotTo = 13226453, .CaptionTextColorHot = clWhite},
     .SetsButtons = true,
     .Button = {.Color = clWhite, .ColorTo = 13226453, .ColorChecked = 14731440,
                .ColorCheckedTo = 14731440, .ColorDown = 11899524, .ColorDownTo = 11899524,
                .ColorHot = 14731440, .ColorHotTo = 14731440, .BorderDownColor = clNavy,
                .BorderHotColor = clNavy, .BorderCheckedColor = clNavy},
     .QAT = {.BorderColor = clGray, .Color = clWhite, .ColorTo = 13226453,
             .FullSizeBorderColor = clGray, .FullSizeColor = clWhite, .FullSizeColorTo = 13226453},
     .TabHot = 14731440, .TabText = clBlack, .GroupText = clBlack},
    {.Style = bsOffice2007Luna, .ComponentStyle = tsOffice2007Luna,
     .Values = {.BorderColor = 14668485, .BorderColorHot = 14731181, .DragGripStyle = dsNone,
                .FloatingWindowBorderColor = 14922381, .FloatingWindowBorderWidth = 1,
                .RightHandleColor = 14668485, .RightHandleColorTo = 14731181,
                .RightHandleColorHot = kHandleHot, .RightHandleColorHotTo = kHandleHotTo,
                .RightHandleColorDown = kHandleDown, .RightHandleColorDownTo = kHandleDownTo},
     .Color = 15587527, .ColorTo = 16181721, .ColorHot = 16773606, .ColorHotTo = 16444126,
     .DockColor = 15587527, .DockColorTo = 16445929,
     .Page = {.BorderColor = 14922381, .Color = 16445929, .ColorTo = 15587527,
              .ColorMirror = 15587527, .ColorMirrorTo = 16773863},
     .Pager = {.BorderColor = 15780526, .Color = 15525858, .ColorTo = 15590878,
               .ColorMirror = 15524312, .ColorMirrorTo = 15723487},
     .Caption = {.CaptionColor = 15915714, .CaptionColorTo = 15784385,
                 .CaptionTextColor = 11168318, .CaptionBorderColor = clHighlight,
                 .CaptionColorHot = 16769224, .CaptionColorHotTo = 16772566,
                 .CaptionTextColorHot = 11168318},
     .SetsButtons = false, .Button = {},
     .QAT = {.BorderColor = 11708063, .Color = 16313052, .ColorTo = 16313052,
             .FullSizeBorderColor = 13476222, .FullSizeColor = 15584690,
             .FullSizeColorTo = 15386026},
     .TabHot = 0, .TabText = 0, .GroupText = 0},
    {.Style = bsOffice2007Obsidian, .ComponentStyle = tsOffice2007Obsidian,
     .Values = {.BorderColor = 5392195, .BorderColorHot = 5392195, .DragGripStyle = dsNone,
                .FloatingWindowBorderColor = 5392195, .FloatingWindowBorderWidth = 1,
                .RightHandleColor = 12958644, .RightHandleColorTo = 15527141,
                .RightHandleColorHot = kHandleHot, .RightHandleColorHotTo = kHandleHotTo,
                .RightHandleColorDown = kHandleDown, .RightHandleColorDownTo = kHandleDownTo},
     .Color = 12958644, .ColorTo = 15527141, .ColorHot = 15527141, .ColorHotTo = 12958644,
     .DockColor = 5392195, .DockColorTo = 4079166,
     .Page = {.BorderColor = 12631218, .Color = 13616833, .ColorTo = 15527141,
              .ColorMirror = 15527141, .ColorMirrorTo = 15527141},
     .Pager = {.BorderColor = 0, .Color = 5392195, .ColorTo = 5392195, .ColorMirror = 4079166,
               .ColorMirrorTo = 4079166},
     .Caption = {.CaptionColor = 5392195, .CaptionColorTo = 4079166, .CaptionTextColor = clWhite,
                 .CaptionBorderColor = clHighlight, .CaptionColorHot = 6379602,
                 .CaptionColorHotTo = 5392195, .CaptionTextColorHot = clWhite},
     .SetsButtons = false, .Button = {},
     .QAT = {.BorderColor = 4079166, .Color = 5392195, .ColorTo = 5392195,
             .FullSizeBorderColor = 4079166, .FullSizeColor = 5392195, .FullSizeColorTo = 4079166},
     .TabHot = 14671574, .TabText = clWhite, .GroupText = clBlack},
    {.Style = bsWindowsXP, .ComponentStyle = tsWindowsXP,
     .Values = {.BorderColor = clBtnShadow, .BorderColorHot = clBtnShadow,
                .DragGripStyle = dsDoubleLine, .FloatingWindowBorderColor = clBtnShadow,
                .FloatingWindowBorderWidth = 1, .RightHandleColor = clBtnFace,
                .RightHandleColorTo = clBtnFace, .RightHandleColorHot = kHandleHot,
                .RightHandleColorHotTo = kHandleHotTo, .RightHandleColorDown = kHandleDown,
                .RightHandleColorDownTo = kHandleDownTo},
     .Color = clBtnFace, .ColorTo = clBtnFace, .ColorHot = clBtnFace, .ColorHotTo = clBtnFace,
     .DockColor = clBtnFace, .DockColorTo = clBtnFace,
     .Page = {.BorderColor = clBtnShadow, .Color = clBtnFace, .ColorTo = clBtnFace,
              .ColorMirror = clBtnFace, .ColorMirrorTo = clBtnFace},
     .Pager = {.BorderColor = 0, .Color = clBtnFace, .ColorTo = clBtnFace,
               .ColorMirror = clBtnFace, .ColorMirrorTo = clBtnFace},
     .Caption = {.CaptionColor = clHighlight, .CaptionColorTo = clHighlight,
                 .CaptionTextColor = clWhite, .CaptionBorderColor = clHighlight,
                 .CaptionColorHot = clHighlight, .CaptionColorHotTo = clHighlight,
                 .CaptionTextColorHot = clWhite},
     .SetsButtons = true,
     .Button = {.Color = clBtnFace, .ColorTo = clBtnFace, .ColorChecked = 12179676,
                .ColorCheckedTo = 12179676, .ColorDown = 11899524, .ColorDownTo = 11899524,
                .ColorHot = 15717318, .ColorHotTo = 15717318, .BorderDownColor = clHighlight,
                .BorderHotColor = clHighlight, .BorderCheckedColor = clHighlight},
     .QAT = {.BorderColor = clBtnShadow, .Color = clBtnFace, .ColorTo = clBtnFace,
             .FullSizeBorderColor = clBtnShadow, .FullSizeColor = clBtnFace,
             .FullSizeColorTo = clBtnFace},
     .TabHot = 15717318, .TabText = clBlack, .GroupText = clBlack, .RoundEdges = false,
     .Bevel = 2, .UseBevel = true},
    {.Style = bsWhidbeyStyle, .ComponentStyle = tsWhidbey,
     .Values = {.BorderColor = 10070188, .BorderColorHot = 10070188, .DragGripStyle = dsDots,
                .FloatingWindowBorderColor = 10070188, .FloatingWindowBorderWidth = 1,
                .RightHandleColor = 16120314, .RightHandleColorTo = 11059392,
                .RightHandleColorHot = kHandleHot, .RightHandleColorHotTo = kHandleHotTo,
                .RightHandleColorDown = kHandleDown, .RightHandleColorDownTo = kHandleDownTo},
     .Color = 16120314, .ColorTo = 11059392, .ColorHot = clWhite, .ColorHotTo = 16120314,
     .DockColor = 16120314, .DockColorTo = 11059392,
     .Page = {.BorderColor = 10070188, .Color = clWhite, .ColorTo = clWhite,
              .ColorMirror = clWhite, .ColorMirrorTo = clWhite},
     .Pager = {.BorderColor = 15780526, .Color = 8756637, .ColorTo = 8756637,
               .ColorMirror = 8756637, .ColorMirrorTo = 8756637},
     .Caption = {.CaptionColor = 8756637, .CaptionColorTo = 8756637, .CaptionTextColor = clWhite,
                 .CaptionBorderColor = clHighlight, .CaptionColorHot = 11059392,
                 .CaptionColorHotTo = 11059392, .CaptionTextColorHot = clWhite},
     .SetsButtons = true,
     .Button = {.Color = 16120314, .ColorTo = 11059392, .ColorChecked = 14731440,
                .ColorCheckedTo = 14731440, .ColorDown = 11899524, .ColorDownTo = 11899524,
                .ColorHot = 14731440, .ColorHotTo = 14731440, .BorderDownColor = 7364725,
                .BorderHotColor = 7364725, .BorderCheckedColor = 7364725},
     .QAT = {.BorderColor = 10070188, .Color = 16120314, .ColorTo = 11059392,
             .FullSizeBorderColor = 10070188, .FullSizeColor = 16120314,
             .FullSizeColorTo = 11059392},
     .TabHot = 14731440, .TabText = clBlack, .GroupText = clBlack},
    {.Style = bsOffice2007Silver, .ComponentStyle = tsOffice2007Silver,
     .Values = {.BorderColor = 13289414, .BorderColorHot = 13289414, .DragGripStyle = dsNone,
                .FloatingWindowBorderColor = 10000536, .FloatingWindowBorderWidth = 1,
                .RightHandleColor = 15195349, .RightHandleColorTo = 16053486,
                .RightHandleColorHot = kHandleHot, .RightHandleColorHotTo = kHandleHotTo,
                .RightHandleColorDown = kHandleDown, .RightHandleColorDownTo = kHandleDownTo},
     .Color = 15195349, .ColorTo = 16053486, .ColorHot = 16053486, .ColorHotTo = 15195349,
     .DockColor = 15195349, .DockColorTo = 16053486,
     .Page = {.BorderColor = 10000536, .Color = 16183790, .ColorTo = 16053486,
              .ColorMirror = 16053486, .ColorMirrorTo = 16053486},
     .Pager = {.BorderColor = 10000536, .Color = 15460583, .ColorTo = 15460583,
               .ColorMirror = 16248553, .ColorMirrorTo = 16248553},
     .Caption = {.CaptionColor = 15460583, .CaptionColorTo = 16248553,
                 .CaptionTextColor = 5854291, .CaptionBorderColor = clHighlight,
                 .CaptionColorHot = 16183790, .CaptionColorHotTo = 16053486,
                 .CaptionTextColorHot = 5854291},
     .SetsButtons = false, .Button = {},
     .QAT = {.BorderColor = 10000536, .Color = 15460583, .ColorTo = 16248553,
             .FullSizeBorderColor = 10000536, .FullSizeColor = 15460583,
             .FullSizeColorTo = 16248553},
     .TabHot = 14542308, .TabText = 5854291, .GroupText = 5854291},
};
// clang-format on

const TScheme& SchemeOf(TToolBarStyle style) {
    // Office XP shares the Windows XP scheme.
    const TToolBarStyle own = style == bsOfficeXP ? bsWindowsXP : style;
    for (const TScheme& scheme : kSchemes)
        if (scheme.Style == own)
            return scheme;
    return kSchemes[0];
}

// The tab and group looks of the schemes that give no table of their own:
// selected tabs take the page, groups the page and the caption.
TTabAppearanceValues TabLike(const TScheme& s) {
    const TVistaBackgroundValues& page = s.Page;
    TTabAppearanceValues tab;
    tab.BorderColorHot = s.TabHot;
    tab.BorderColorSelected = tab.BorderColorSelectedHot = page.BorderColor;
    tab.ColorSelected = tab.ColorMirrorSelected = page.Color;
    tab.ColorSelectedTo = tab.ColorMirrorSelectedTo = page.ColorTo;
    tab.ColorHot = tab.ColorMirrorHot = s.TabHot;
    tab.ColorHotTo = tab.ColorMirrorHotTo = page.Color;
    tab.TextColor = tab.TextColorHot = tab.TextColorSelected = s.TabText;
    tab.BackGround = Gradient(page.ColorTo, clNone, gdHorizontal);
    return tab;
}

TGroupAppearanceValues GroupLike(const TScheme& s) {
    const TVistaBackgroundValues& page = s.Page;
    TGroupAppearanceValues group;
    static_cast<TVistaBackgroundValues&>(group) = page;
    group.TextColor = s.GroupText;
    group.CaptionAppearance = s.Caption;
    group.PageAppearance = page;
    group.TabAppearance = TabLike(s);
    group.ToolBarAppearance = {.BorderColor = page.BorderColor,
                               .BorderColorHot = page.BorderColor,
                               .Color = Gradient(page.Color, page.ColorTo, gdHorizontal),
                               .ColorHot = Gradient(page.ColorTo, page.Color, gdHorizontal)};
    return group;
}

// The Luna tabs and groups, which have tables of their own.
TTabAppearanceValues LunaTab() {
    TTabAppearanceValues tab;
    tab.BorderColor = clNone;
    tab.BorderColorHot = 15383705;
    tab.BorderColorSelected = 14922381;
    tab.BorderColorSelectedHot = 6343929;
    tab.BorderColorDisabled = tab.BorderColorDown = clNone;
    tab.ColorSelected = 16709360;
    tab.ColorSelectedTo = 16445929;
    tab.ColorDisabled = clWhite;
    tab.ColorDisabledTo = clSilver;
    tab.ColorHot = 14542308;
    tab.ColorHotTo = 16768709;
    tab.ColorMirrorHot = 14016477;
    tab.ColorMirrorHotTo = 10736609;
    tab.ColorMirrorSelected = 16445929;
    tab.ColorMirrorSelectedTo = 16181984;
    tab.ColorMirrorDisabled = clWhite;
    tab.ColorMirrorDisabledTo = clSilver;
    tab.Gradient = tab.GradientSelected = tab.GradientMirrorSelected = ggVertical;
    tab.GradientDisabled = tab.GradientMirrorDisabled = tab.GradientMirrorHot = ggVertical;
    tab.GradientHot = ggRadial;
    tab.TextColor = tab.TextColorHot = tab.TextColorSelected = 9126421;
    tab.TextColorDisabled = clGray;
    tab.BackGround = Gradient(16767935, clNone, gdHorizontal);
    return tab;
}

TGroupAppearanceValues LunaGroup(const TCaptionAppearanceValues& caption) {
    TGroupAppearanceValues group;
    static_cast<TVistaBackgroundValues&>(group) = {.BorderColor = 12763842,
                                                   .Color = 15851212,
                                                   .ColorTo = 14213857,
                                                   .ColorMirror = 14213857,
                                                   .ColorMirrorTo = 10871273};
    group.TextColor = 9126421;
    group.CaptionAppearance = caption;
    group.PageAppearance = {.BorderColor = 12763842,
                            .Color = 14086910,
                            .ColorTo = 16382457,
                            .ColorMirror = 16382457,
                            .ColorMirrorTo = 16382457};
    TTabAppearanceValues& gt = group.TabAppearance;
    gt.BorderColor = gt.BorderColorHot = gt.BorderColorSelected = gt.BorderColorSelectedHot =
        10534860;
    gt.BorderColorDisabled = gt.BorderColorDown = clNone;
    gt.Color = clBtnFace;
    gt.ColorTo = clWhite;
    gt.ColorSelected = 10412027;
    gt.ColorSelectedTo = 12249340;
    gt.ColorHot = 14542308;
    gt.ColorHotTo = 16768709;
    gt.ColorMirror = gt.ColorMirrorTo = clWhite;
    gt.ColorMirrorHot = 14016477;
    gt.ColorMirrorHotTo = 10736609;
    gt.ColorMirrorSelected = 12249340;
    gt.ColorMirrorSelectedTo = 13955581;
    gt.ColorDisabled = gt.ColorDisabledTo = gt.ColorMirrorDisabled = gt.ColorMirrorDisabledTo =
        clNone;
    gt.Gradient = gt.GradientMirror = ggRadial;
    gt.GradientHot = gt.GradientMirrorHot = gt.GradientSelected = gt.GradientMirrorSelected =
        ggVertical;
    gt.GradientDisabled = gt.GradientMirrorDisabled = ggVertical;
    gt.TextColor = gt.TextColorHot = gt.TextColorSelected = 9126421;
    gt.TextColorDisabled = clWhite;
    group.ToolBarAppearance = {.BorderColor = 13423059,
                               .BorderColorHot = 13092807,
                               .Color = Gradient(15530237, 16382457, gdHorizontal),
                               .ColorHot = Gradient(15660277, 16645114, gdHorizontal)};
    return group;
}

} // namespace

// ---- the theme

int ThemeSchemeOfColorName(const std::wstring& name) {
    if (name == L"NormalColor")
        return 1;
    if (name == L"HomeStead")
        return 2;
    if (name == L"Metallic")
        return 3;
    return 0;
}

int CurrentThemeScheme() {
    return IsXPOrLater() ? ThemeSchemeOfColorName(ThemeColorName()) : 0;
}

TThemeNotifierWindow::TThemeNotifierWindow(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
}

LRESULT TThemeNotifierWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_THEMECHANGED && OnThemeChanged)
        OnThemeChanged();
    return TWinControl::WindowProc(msg, wParam, lParam);
}

void TThemeFollower::Listen(TComponent* owner, TComponent* from) {
    for (TComponent* o = from; o; o = o->Owner())
        if (auto* windowed = dynamic_cast<TWinControl*>(o)) {
            FNotifier = new TThemeNotifierWindow(owner);
            FNotifier->OnThemeChanged = [this] { Adapt(); };
            FNotifier->SetParent(windowed);
            return;
        }
}

void TThemeFollower::Adapt() const {
    if (FOn)
        FAdapt(CurrentThemeScheme());
}

// ---- TAdvToolBarOfficeStyler

TAdvToolBarOfficeStyler::TAdvToolBarOfficeStyler(TComponent* owner)
    : TComponent(owner), FTheme([this](int scheme) {
          static constexpr TToolBarStyle kStyles[] = {bsOffice2003Classic, bsOffice2003Blue,
                                                      bsOffice2003Olive, bsOffice2003Silver};
          SetStyle(kStyles[scheme]);
      }) {
    auto notify = [this](int code) { return [this, code] { GroupChanged(code); }; };
    for (auto* group : {&Color, &ColorHot, &DockColor})
        group->OnChange = notify(scAppearance);
    Values.OnChange = ButtonAppearance.OnChange = CaptionAppearance.OnChange =
        ContainerAppearance.OnChange = GroupAppearance.OnChange = PageAppearance.OnChange =
            QATAppearance.OnChange = TabAppearance.OnChange = notify(scAppearance);
    PagerCaption.OnChange = notify(scPagerCaption);
    Font.OnChange = CaptionFont.OnChange = notify(scAppearance);

    FTheme.Listen(this, owner);

    SetStyle(bsWindowsXP);
    SetStyle(bsOffice2003Blue);
}

TAdvToolBarOfficeStyler::~TAdvToolBarOfficeStyler() {
    DestroyComponents();
}

void TAdvToolBarOfficeStyler::GroupChanged(int code) {
    if (!FApplying)
        NotifyControls(code);
}

void TAdvToolBarOfficeStyler::AddControl(IToolBarStylerClient* control) {
    if (std::find(FControls.begin(), FControls.end(), control) == FControls.end())
        FControls.push_back(control);
}

void TAdvToolBarOfficeStyler::RemoveControl(IToolBarStylerClient* control) {
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
}

void TAdvToolBarOfficeStyler::NotifyControls(int code) {
    // A control may detach while it is told.
    const std::vector<IToolBarStylerClient*> controls = FControls;
    for (IToolBarStylerClient* control : controls)
        if (std::find(FControls.begin(), FControls.end(), control) != FControls.end())
            control->StylerChanged(code);
}

void TAdvToolBarOfficeStyler::SetComponentStyle(TTelvarStyle style) {
    SetStyle(static_cast<TToolBarStyle>(style));
}

void TAdvToolBarOfficeStyler::SetAutoThemeAdapt(bool value) {
    FTheme.SetOn(value);
    if (!Loading())
        FTheme.Adapt();
}

void TAdvToolBarOfficeStyler::Loaded() {
    TComponent::Loaded();
    FTheme.Adapt();
}

void TAdvToolBarOfficeStyler::RenameSystemFonts() {
    const std::string name = IsVistaOrLater() ? "Segoe UI" : "Tahoma";
    if (TabAppearance.SystemFont)
        TabAppearance.Font.SetName(name);
    if (PagerCaption.SystemFont)
        PagerCaption.Font.SetName(name);
    if (GroupAppearance.SystemFont)
        GroupAppearance.Font.SetName(name);
    if (ButtonAppearance.SystemFont)
        ButtonAppearance.Font.SetName(name);
    if (SystemFont) {
        Font.SetName(name);
        CaptionFont.SetName(name);
    }
}

void TAdvToolBarOfficeStyler::SetStyle(TToolBarStyle style) {
    if (style == FStyle)
        return;
    FStyle = style;
    FComponentStyle = tsCustom;
    FSharpQATCurve = false;
    FApplying = true;
    RenameSystemFonts();
    if (style != bsCustom)
        ApplyScheme(style);
    FApplying = false;
    NotifyControls(scStyle);
}

void TAdvToolBarOfficeStyler::ApplyScheme(TToolBarStyle style) {
    const TScheme& s = SchemeOf(style);
    const bool luna = style == bsOffice2007Luna;
    Values.Assign(s.Values);
    Color.Assign(Gradient(s.Color, s.ColorTo, gdVertical));
    ColorHot.Assign(Gradient(s.ColorHot, s.ColorHotTo, gdVertical));
    DockColor.Assign(Gradient(s.DockColor, s.DockColorTo, gdHorizontal, 128));
    PageAppearance.Assign(s.Page);
    PagerCaption.Edit(
        [&](TVistaTextBackgroundValues& v) { static_cast<TVistaBackgroundValues&>(v) = s.Pager; });
    CaptionAppearance.Edit([&](TCaptionAppearanceValues& v) {
        const TColor border = v.CaptionBorderColor;
        v = s.Caption;
        v.CaptionBorderColor = border;
    });
    if (s.SetsButtons)
        ButtonAppearance.Assign(s.Button);
    QATAppearance.Assign(s.QAT);
    // The normal tab colours stay with the scheme that set them.
    TabAppearance.Edit([&](TTabAppearanceValues& v) {
        const TTabAppearanceValues kept = v;
        v = luna ? LunaTab() : TabLike(s);
        v.Color = kept.Color;
        v.ColorTo = kept.ColorTo;
        v.ColorMirror = kept.ColorMirror;
        v.ColorMirrorTo = kept.ColorMirrorTo;
        v.GradientMirror = kept.GradientMirror;
    });
    GroupAppearance.Edit([&](TGroupAppearanceValues& v) {
        const TColor border = v.CaptionAppearance.CaptionBorderColor;
        v = luna ? LunaGroup(s.Caption) : GroupLike(s);
        v.CaptionAppearance.CaptionBorderColor = border;
    });

    SetGlowAppearanceStyle(GlowButtonAppearance, static_cast<TTelvarStyle>(s.Style));
    if (style == bsOffice2007Silver) {
        GlowButtonAppearance.ColorMirrorTo = 15657703;
        GlowButtonAppearance.BorderColor = 13289414;
    }
    CompactGlowButtonAppearance.Assign(GlowButtonAppearance);
    if (luna) {
        TGlowButtonAppearance& c = CompactGlowButtonAppearance;
        c.BorderColorHot = 15193781;
        c.BorderColorDown = c.BorderColorChecked = 12034958;
        c.ColorHot = 16250863;
        c.ColorHotTo = 16246742;
        c.ColorMirrorHot = 16247491;
        c.ColorMirrorHotTo = 16246742;
        c.ColorDown = c.ColorChecked = 14599853;
        c.ColorDownTo = c.ColorCheckedTo = 13544844;
        c.ColorMirrorDown = c.ColorMirrorChecked = 16766645;
        c.ColorMirrorDownTo = c.ColorMirrorCheckedTo = 13014131;
    }

    FRoundEdges = s.RoundEdges;
    FBevel = s.Bevel;
    FUseBevel = s.UseBevel;
    FSharpQATCurve = style == bsOffice2007Obsidian;
    FComponentStyle = s.ComponentStyle;
}
