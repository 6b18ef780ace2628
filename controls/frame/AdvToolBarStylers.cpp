#include "controls/frame/AdvToolBarStylers.h"

#include "framework/Forms.h"

#include <uxtheme.h>

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
    {bsOffice2003Blue, tsOffice2003Blue,
     {9262895, 9262895, dsDots, 9262895, 1, 16640730, 14986888, kHandleHot, kHandleHotTo, kHandleDown, kHandleDownTo},
     16640730, 14986888, 16775410, 16640730, 16640730, 14986888,
     {14986888, 16640730, 16440004, 16440004, 16440004},
     {15780526, 14986888, 14986888, 14986888, 14986888},
     {9262895, 9262895, clWhite, clHighlight, 14986888, 14986888, clWhite},
     true, {16640730, 14986888, 9229823, 5812223, 5149182, 9556991, 13432063, 9556223, clNavy, clNavy, clNavy},
     {9262895, 16640730, 14986888, 9262895, 16440004, 14986888},
     13432063, clBlack, clBlack},
    {bsOffice2003Silver, tsOffice2003Silver,
     {9598070, 9598070, dsDots, 9598070, 1, 15524577, 11769496, kHandleHot, kHandleHotTo, kHandleDown, kHandleDownTo},
     15524577, 11769496, 16249843, 15524577, 15524577, 13152947,
     {11769496, 16249843, 15128792, 15128792, 15128792},
     {15128792, 15128792, 15128792, 15128792, 15128792},
     {9598070, 9598070, clWhite, clHighlight, 11769496, 11769496, clWhite},
     true, {15524577, 11769496, 9229823, 5812223, 5149182, 9556991, 13432063, 9556223, 7364725, 7364725, 7364725},
     {9598070, 15524577, 11769496, 9598070, 15128792, 11769496},
     13432063, clBlack, clBlack},
    {bsOffice2003Olive, tsOffice2003Olive,
     {6915743, 6915743, dsDots, 6915743, 1, 13627626, 9224369, kHandleHot, kHandleHotTo, kHandleDown, kHandleDownTo},
     13627626, 9224369, 14547440, 13627626, 13627626, 9224369,
     {9224369, 13627626, 13627626, 13627626, 13627626},
     {9224369, 9224369, 9224369, 9224369, 9224369},
     {6915743, 6915743, clWhite, clHighlight, 9224369, 9224369, clWhite},
     true, {13627626, 9224369, 9229823, 5812223, 5149182, 9556991, 13432063, 9556223, 3892018, 3892018, 3892018},
     {6915743, 13627626, 9224369, 6915743, 13627626, 9224369},
     13432063, clBlack, clBlack},
    {bsOffice2003Classic, tsCustom,
     {clGray, clGray, dsDots, clGray, 1, clWhite, 13226453, kHandleHot, kHandleHotTo, kHandleDown, kHandleDownTo},
     clWhite, 13226453, clWhite, clWhite, 13226453, 13226453,
     {clGray, clWhite, clWhite, clWhite, clWhite},
     {15780526, 8421504, 13226453, 13226453, 13226453},
     {clGray, clGray, clWhite, clHighlight, 13226453, 13226453, clWhite},
     true, {clWhite, 13226453, 14731440, 14731440, 11899524, 11899524, 14731440, 14731440, clNavy, clNavy, clNavy},
     {clGray, clWhite, 13226453, clGray, clWhite, 13226453},
     14731440, clBlack, clBlack},
    {bsOffice2007Luna, tsOffice2007Luna,
     {14668485, 14731181, dsNone, 14922381, 1, 14668485, 14731181, kHandleHot, kHandleHotTo, kHandleDown, kHandleDownTo},
     15587527, 16181721, 16773606, 16444126, 15587527, 16445929,
     {14922381, 16445929, 15587527, 15587527, 16773863},
     {15780526, 15525858, 15590878, 15524312, 15723487},
     {15915714, 15784385, 11168318, clHighlight, 16769224, 16772566, 11168318},
     false, {},
     {11708063, 16313052, 16313052, 13476222, 15584690, 15386026},
     0, 0, 0},
    {bsOffice2007Obsidian, tsOffice2007Obsidian,
     {5392195, 5392195, dsNone, 5392195, 1, 12958644, 15527141, kHandleHot, kHandleHotTo, kHandleDown, kHandleDownTo},
     12958644, 15527141, 15527141, 12958644, 5392195, 4079166,
     {12631218, 13616833, 15527141, 15527141, 15527141},
     {0, 5392195, 5392195, 4079166, 4079166},
     {5392195, 4079166, clWhite, clHighlight, 6379602, 5392195, clWhite},
     false, {},
     {4079166, 5392195, 5392195, 4079166, 5392195, 4079166},
     14671574, clWhite, clBlack},
    {bsWindowsXP, tsWindowsXP,
     {clBtnShadow, clBtnShadow, dsDoubleLine, clBtnShadow, 1, clBtnFace, clBtnFace, kHandleHot, kHandleHotTo, kHandleDown, kHandleDownTo},
     clBtnFace, clBtnFace, clBtnFace, clBtnFace, clBtnFace, clBtnFace,
     {clBtnShadow, clBtnFace, clBtnFace, clBtnFace, clBtnFace},
     {0, clBtnFace, clBtnFace, clBtnFace, clBtnFace},
     {clHighlight, clHighlight, clWhite, clHighlight, clHighlight, clHighlight, clWhite},
     true, {clBtnFace, clBtnFace, 12179676, 12179676, 11899524, 11899524, 15717318, 15717318, clHighlight, clHighlight, clHighlight},
     {clBtnShadow, clBtnFace, clBtnFace, clBtnShadow, clBtnFace, clBtnFace},
     15717318, clBlack, clBlack, false, 2, true},
    {bsWhidbeyStyle, tsWhidbey,
     {10070188, 10070188, dsDots, 10070188, 1, 16120314, 11059392, kHandleHot, kHandleHotTo, kHandleDown, kHandleDownTo},
     16120314, 11059392, clWhite, 16120314, 16120314, 11059392,
     {10070188, clWhite, clWhite, clWhite, clWhite},
     {15780526, 8756637, 8756637, 8756637, 8756637},
     {8756637, 8756637, clWhite, clHighlight, 11059392, 11059392, clWhite},
     true, {16120314, 11059392, 14731440, 14731440, 11899524, 11899524, 14731440, 14731440, 7364725, 7364725, 7364725},
     {10070188, 16120314, 11059392, 10070188, 16120314, 11059392},
     14731440, clBlack, clBlack},
    {bsOffice2007Silver, tsOffice2007Silver,
     {13289414, 13289414, dsNone, 10000536, 1, 15195349, 16053486, kHandleHot, kHandleHotTo, kHandleDown, kHandleDownTo},
     15195349, 16053486, 16053486, 15195349, 15195349, 16053486,
     {10000536, 16183790, 16053486, 16053486, 16053486},
     {10000536, 15460583, 15460583, 16248553, 16248553},
     {15460583, 16248553, 5854291, clHighlight, 16183790, 16053486, 5854291},
     false, {},
     {10000536, 15460583, 16248553, 10000536, 15460583, 16248553},
     14542308, 5854291, 5854291},
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
    group.ToolBarAppearance = {page.BorderColor, page.BorderColor,
                               Gradient(page.Color, page.ColorTo, gdHorizontal),
                               Gradient(page.ColorTo, page.Color, gdHorizontal)};
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
    static_cast<TVistaBackgroundValues&>(group) = {12763842, 15851212, 14213857, 14213857,
                                                   10871273};
    group.TextColor = 9126421;
    group.CaptionAppearance = caption;
    group.PageAppearance = {12763842, 14086910, 16382457, 16382457, 16382457};
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
    group.ToolBarAppearance = {13423059, 13092807, Gradient(15530237, 16382457, gdHorizontal),
                               Gradient(15660277, 16645114, gdHorizontal)};
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
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version) || !(version.dwMajorVersion > 5 ||
                                      (version.dwMajorVersion == 5 && version.dwMinorVersion > 0)))
        return 0;
    HMODULE theme = LoadLibraryA("uxtheme.dll");
    if (!theme)
        return 0;
    using TIsThemeActive = BOOL(WINAPI*)();
    using TGetCurrentThemeName = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
    auto isActive = reinterpret_cast<TIsThemeActive>(
        reinterpret_cast<void*>(GetProcAddress(theme, "IsThemeActive")));
    auto themeName = reinterpret_cast<TGetCurrentThemeName>(
        reinterpret_cast<void*>(GetProcAddress(theme, "GetCurrentThemeName")));
    int scheme = 0;
    if (isActive && themeName && isActive()) {
        wchar_t file[255] = {}, color[255] = {}, size[255] = {};
        if (SUCCEEDED(themeName(file, 255, color, 255, size, 255)))
            scheme = ThemeSchemeOfColorName(color);
    }
    FreeLibrary(theme);
    return scheme;
}

TThemeNotifierWindow::TThemeNotifierWindow(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
}

LRESULT TThemeNotifierWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_THEMECHANGED && OnThemeChanged)
        OnThemeChanged();
    return TWinControl::WindowProc(msg, wParam, lParam);
}

TThemeNotifierWindow* MakeThemeNotifier(TComponent* owner, TComponent* from,
                                        std::function<void()> onThemeChanged) {
    for (TComponent* o = from; o; o = o->Owner())
        if (auto* windowed = dynamic_cast<TWinControl*>(o)) {
            auto* notifier = new TThemeNotifierWindow(owner);
            notifier->OnThemeChanged = std::move(onThemeChanged);
            notifier->SetParent(windowed);
            return notifier;
        }
    return nullptr;
}

// ---- TAdvToolBarOfficeStyler

TAdvToolBarOfficeStyler::TAdvToolBarOfficeStyler(TComponent* owner) : TComponent(owner) {
    auto notify = [this](int code) { return [this, code] { GroupChanged(code); }; };
    for (auto* group : {&Color, &ColorHot, &DockColor})
        group->OnChange = notify(scAppearance);
    Values.OnChange = ButtonAppearance.OnChange = CaptionAppearance.OnChange =
        ContainerAppearance.OnChange = GroupAppearance.OnChange = PageAppearance.OnChange =
            QATAppearance.OnChange = TabAppearance.OnChange = notify(scAppearance);
    PagerCaption.OnChange = notify(scPagerCaption);
    Font.OnChange = CaptionFont.OnChange = notify(scAppearance);

    FNotifier = MakeThemeNotifier(this, owner, [this] { AdaptToTheme(); });

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
    FAutoThemeAdapt = value;
    if (!Loading())
        AdaptToTheme();
}

void TAdvToolBarOfficeStyler::Loaded() {
    TComponent::Loaded();
    AdaptToTheme();
}

void TAdvToolBarOfficeStyler::AdaptToTheme() {
    if (!FAutoThemeAdapt)
        return;
    static constexpr TToolBarStyle kStyles[] = {bsOffice2003Classic, bsOffice2003Blue,
                                                bsOffice2003Olive, bsOffice2003Silver};
    SetStyle(kStyles[CurrentThemeScheme()]);
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
