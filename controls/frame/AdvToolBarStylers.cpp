#include "controls/frame/AdvToolBarStylers.h"

#include "framework/Forms.h"

#include <uxtheme.h>

#include <algorithm>
#include <optional>

namespace {

TGradientBackgroundValues Gradient(TColor from, TColor to, TGradientDirection direction,
                                   int steps = 64) {
    return {from, to, direction, steps};
}

TVistaBackgroundValues Box(TColor border, TColor color, TColor colorTo, TColor mirror,
                           TColor mirrorTo) {
    return {border, color, colorTo, mirror, mirrorTo, ggVertical, ggVertical};
}

// One scheme: the groups it assigns. What is empty stays as it was.
struct TScheme {
    TTelvarStyle ComponentStyle;
    TToolBarStylerValues Values;
    TGradientBackgroundValues Color, ColorHot, DockColor;
    TVistaBackgroundValues Page;
    TVistaBackgroundValues Pager;     // the caption strip, text colour kept
    TCaptionAppearanceValues Caption; // border colour kept
    std::optional<TButtonAppearanceValues> Button;
    TQATAppearanceValues QAT;
    TTabAppearanceValues Tab;
    TGroupAppearanceValues Group;
    TTelvarStyle Glow; // the glow button colours of this component style
    bool RoundEdges = true;
    int Bevel = 0;
    bool UseBevel = false;
};

// The tab and group looks of the schemes that give no table of their own:
// selected tabs take the page, groups the page and the caption.
TTabAppearanceValues TabLike(const TVistaBackgroundValues& page, TColor hot, TColor text) {
    TTabAppearanceValues tab;
    tab.BorderColorHot = hot;
    tab.BorderColorSelected = tab.BorderColorSelectedHot = page.BorderColor;
    tab.ColorSelected = tab.ColorMirrorSelected = page.Color;
    tab.ColorSelectedTo = tab.ColorMirrorSelectedTo = page.ColorTo;
    tab.ColorHot = tab.ColorMirrorHot = hot;
    tab.ColorHotTo = tab.ColorMirrorHotTo = page.Color;
    tab.TextColor = tab.TextColorHot = tab.TextColorSelected = text;
    tab.BackGround = Gradient(page.ColorTo, clNone, gdHorizontal);
    return tab;
}

TGroupAppearanceValues GroupLike(const TVistaBackgroundValues& page,
                                 const TCaptionAppearanceValues& caption,
                                 const TTabAppearanceValues& tab, TColor text) {
    TGroupAppearanceValues group;
    static_cast<TVistaBackgroundValues&>(group) = page;
    group.TextColor = text;
    group.CaptionAppearance = caption;
    group.PageAppearance = page;
    group.TabAppearance = tab;
    group.ToolBarAppearance = {page.BorderColor, page.BorderColor,
                               Gradient(page.Color, page.ColorTo, gdHorizontal),
                               Gradient(page.ColorTo, page.Color, gdHorizontal)};
    return group;
}

TCaptionAppearanceValues Caption(TColor color, TColor colorTo, TColor text, TColor hot,
                                 TColor hotTo) {
    return {color, colorTo, text, clHighlight, hot, hotTo, text};
}

TToolBarStylerValues Frame(TColor border, TColor borderHot, TColor floating, TColor handle,
                           TColor handleTo) {
    return {border,   borderHot, dsNone,  floating, 1,      handle,
            handleTo, 13891839,  7782911, 557032,   8182519};
}

TScheme Office2003Blue() {
    TScheme s{};
    s.ComponentStyle = tsOffice2003Blue;
    s.Values = Frame(9262895, 9262895, 9262895, 16640730, 14986888);
    s.Values.DragGripStyle = dsDots;
    s.Color = Gradient(16640730, 14986888, gdVertical);
    s.ColorHot = Gradient(16775410, 16640730, gdVertical);
    s.DockColor = Gradient(16640730, 14986888, gdHorizontal, 128);
    s.Page = Box(14986888, 16640730, 16440004, 16440004, 16440004);
    s.Pager = Box(15780526, 14986888, 14986888, 14986888, 14986888);
    s.Caption = Caption(9262895, 9262895, clWhite, 14986888, 14986888);
    s.Button = TButtonAppearanceValues{16640730, 14986888, 9229823, 5812223, 5149182, 9556991,
                                       13432063, 9556223,  clNavy,  clNavy,  clNavy};
    s.QAT = {9262895, 16640730, 14986888, 9262895, 16440004, 14986888};
    s.Tab = TabLike(s.Page, 13432063, clBlack);
    s.Group = GroupLike(s.Page, s.Caption, s.Tab, clBlack);
    s.Glow = tsOffice2003Blue;
    return s;
}

TScheme Office2003Silver() {
    TScheme s{};
    s.ComponentStyle = tsOffice2003Silver;
    s.Values = Frame(9598070, 9598070, 9598070, 15524577, 11769496);
    s.Values.DragGripStyle = dsDots;
    s.Color = Gradient(15524577, 11769496, gdVertical);
    s.ColorHot = Gradient(16249843, 15524577, gdVertical);
    s.DockColor = Gradient(15524577, 13152947, gdHorizontal, 128);
    s.Page = Box(11769496, 16249843, 15128792, 15128792, 15128792);
    s.Pager = Box(15128792, 15128792, 15128792, 15128792, 15128792);
    s.Caption = Caption(9598070, 9598070, clWhite, 11769496, 11769496);
    s.Button = TButtonAppearanceValues{15524577, 11769496, 9229823, 5812223, 5149182, 9556991,
                                       13432063, 9556223,  7364725, 7364725, 7364725};
    s.QAT = {9598070, 15524577, 11769496, 9598070, 15128792, 11769496};
    s.Tab = TabLike(s.Page, 13432063, clBlack);
    s.Group = GroupLike(s.Page, s.Caption, s.Tab, clBlack);
    s.Glow = tsOffice2003Silver;
    return s;
}

TScheme Office2003Olive() {
    TScheme s{};
    s.ComponentStyle = tsOffice2003Olive;
    s.Values = Frame(6915743, 6915743, 6915743, 13627626, 9224369);
    s.Values.DragGripStyle = dsDots;
    s.Color = Gradient(13627626, 9224369, gdVertical);
    s.ColorHot = Gradient(14547440, 13627626, gdVertical);
    s.DockColor = Gradient(13627626, 9224369, gdHorizontal, 128);
    s.Page = Box(9224369, 13627626, 13627626, 13627626, 13627626);
    s.Pager = Box(9224369, 9224369, 9224369, 9224369, 9224369);
    s.Caption = Caption(6915743, 6915743, clWhite, 9224369, 9224369);
    s.Button = TButtonAppearanceValues{13627626, 9224369, 9229823, 5812223, 5149182, 9556991,
                                       13432063, 9556223, 3892018, 3892018, 3892018};
    s.QAT = {6915743, 13627626, 9224369, 6915743, 13627626, 9224369};
    s.Tab = TabLike(s.Page, 13432063, clBlack);
    s.Group = GroupLike(s.Page, s.Caption, s.Tab, clBlack);
    s.Glow = tsOffice2003Olive;
    return s;
}

TScheme Office2003Classic() {
    TScheme s{};
    s.ComponentStyle = tsCustom;
    s.Values = Frame(clGray, clGray, clGray, clWhite, 13226453);
    s.Values.DragGripStyle = dsDots;
    s.Color = Gradient(clWhite, 13226453, gdVertical);
    s.ColorHot = Gradient(clWhite, clWhite, gdVertical);
    s.DockColor = Gradient(13226453, 13226453, gdHorizontal, 128);
    s.Page = Box(clGray, clWhite, clWhite, clWhite, clWhite);
    s.Pager = Box(15780526, 8421504, 13226453, 13226453, 13226453);
    s.Caption = Caption(clGray, clGray, clWhite, 13226453, 13226453);
    s.Button = TButtonAppearanceValues{clWhite,  13226453, 14731440, 14731440, 11899524, 11899524,
                                       14731440, 14731440, clNavy,   clNavy,   clNavy};
    s.QAT = {clGray, clWhite, 13226453, clGray, clWhite, 13226453};
    s.Tab = TabLike(s.Page, 14731440, clBlack);
    s.Group = GroupLike(s.Page, s.Caption, s.Tab, clBlack);
    s.Glow = tsOffice2003Classic;
    return s;
}

TScheme Office2007Luna() {
    TScheme s{};
    s.ComponentStyle = tsOffice2007Luna;
    s.Values = Frame(14668485, 14731181, 14922381, 14668485, 14731181);
    s.Color = Gradient(15587527, 16181721, gdVertical);
    s.ColorHot = Gradient(16773606, 16444126, gdVertical);
    s.DockColor = Gradient(15587527, 16445929, gdHorizontal, 128);
    s.Page = Box(14922381, 16445929, 15587527, 15587527, 16773863);
    s.Pager = Box(15780526, 15525858, 15590878, 15524312, 15723487);
    s.Caption = Caption(15915714, 15784385, 11168318, 16769224, 16772566);
    s.QAT = {11708063, 16313052, 16313052, 13476222, 15584690, 15386026};

    TTabAppearanceValues& tab = s.Tab;
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

    TGroupAppearanceValues& group = s.Group;
    static_cast<TVistaBackgroundValues&>(group) =
        Box(12763842, 15851212, 14213857, 14213857, 10871273);
    group.TextColor = 9126421;
    group.CaptionAppearance = s.Caption;
    group.PageAppearance = Box(12763842, 14086910, 16382457, 16382457, 16382457);
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
    s.Glow = tsOffice2007Luna;
    return s;
}

TScheme Office2007Obsidian() {
    TScheme s{};
    s.ComponentStyle = tsOffice2007Obsidian;
    s.Values = Frame(5392195, 5392195, 5392195, 12958644, 15527141);
    s.Color = Gradient(12958644, 15527141, gdVertical);
    s.ColorHot = Gradient(15527141, 12958644, gdVertical);
    s.DockColor = Gradient(5392195, 4079166, gdHorizontal, 128);
    s.Page = Box(12631218, 13616833, 15527141, 15527141, 15527141);
    s.Pager = Box(0, 5392195, 5392195, 4079166, 4079166);
    s.Caption = Caption(5392195, 4079166, clWhite, 6379602, 5392195);
    s.QAT = {4079166, 5392195, 5392195, 4079166, 5392195, 4079166};
    s.Tab = TabLike(s.Page, 14671574, clWhite);
    s.Group = GroupLike(s.Page, s.Caption, s.Tab, clBlack);
    s.Glow = tsOffice2007Obsidian;
    return s;
}

TScheme WindowsXP() {
    TScheme s{};
    s.ComponentStyle = tsWindowsXP;
    s.Values = Frame(clBtnShadow, clBtnShadow, clBtnShadow, clBtnFace, clBtnFace);
    s.Values.DragGripStyle = dsDoubleLine;
    s.Color = Gradient(clBtnFace, clBtnFace, gdVertical);
    s.ColorHot = Gradient(clBtnFace, clBtnFace, gdVertical);
    s.DockColor = Gradient(clBtnFace, clBtnFace, gdHorizontal, 128);
    s.Page = Box(clBtnShadow, clBtnFace, clBtnFace, clBtnFace, clBtnFace);
    s.Pager = Box(0, clBtnFace, clBtnFace, clBtnFace, clBtnFace);
    s.Caption = Caption(clHighlight, clHighlight, clWhite, clHighlight, clHighlight);
    s.Button = TButtonAppearanceValues{clBtnFace,   clBtnFace,   12179676,   12179676,
                                       11899524,    11899524,    15717318,   15717318,
                                       clHighlight, clHighlight, clHighlight};
    s.QAT = {clBtnShadow, clBtnFace, clBtnFace, clBtnShadow, clBtnFace, clBtnFace};
    s.Tab = TabLike(s.Page, 15717318, clBlack);
    s.Group = GroupLike(s.Page, s.Caption, s.Tab, clBlack);
    s.Glow = tsWindowsXP;
    s.RoundEdges = false;
    s.Bevel = 2;
    s.UseBevel = true;
    return s;
}

TScheme Whidbey() {
    TScheme s{};
    s.ComponentStyle = tsWhidbey;
    s.Values = Frame(10070188, 10070188, 10070188, 16120314, 11059392);
    s.Values.DragGripStyle = dsDots;
    s.Color = Gradient(16120314, 11059392, gdVertical);
    s.ColorHot = Gradient(clWhite, 16120314, gdVertical);
    s.DockColor = Gradient(16120314, 11059392, gdHorizontal, 128);
    s.Page = Box(10070188, clWhite, clWhite, clWhite, clWhite);
    s.Pager = Box(15780526, 8756637, 8756637, 8756637, 8756637);
    s.Caption = Caption(8756637, 8756637, clWhite, 11059392, 11059392);
    s.Button = TButtonAppearanceValues{16120314, 11059392, 14731440, 14731440, 11899524, 11899524,
                                       14731440, 14731440, 7364725,  7364725,  7364725};
    s.QAT = {10070188, 16120314, 11059392, 10070188, 16120314, 11059392};
    s.Tab = TabLike(s.Page, 14731440, clBlack);
    s.Group = GroupLike(s.Page, s.Caption, s.Tab, clBlack);
    s.Glow = tsWhidbey;
    return s;
}

TScheme Office2007Silver() {
    TScheme s{};
    s.ComponentStyle = tsOffice2007Silver;
    s.Values = Frame(13289414, 13289414, 10000536, 15195349, 16053486);
    s.Color = Gradient(15195349, 16053486, gdVertical);
    s.ColorHot = Gradient(16053486, 15195349, gdVertical);
    s.DockColor = Gradient(15195349, 16053486, gdHorizontal, 128);
    s.Page = Box(10000536, 16183790, 16053486, 16053486, 16053486);
    s.Pager = Box(10000536, 15460583, 15460583, 16248553, 16248553);
    s.Caption = Caption(15460583, 16248553, 5854291, 16183790, 16053486);
    s.QAT = {10000536, 15460583, 16248553, 10000536, 15460583, 16248553};
    s.Tab = TabLike(s.Page, 14542308, 5854291);
    s.Group = GroupLike(s.Page, s.Caption, s.Tab, 5854291);
    s.Glow = tsOffice2007Silver;
    return s;
}

TScheme SchemeOf(TToolBarStyle style) {
    switch (style) {
    case bsOffice2003Blue:
        return Office2003Blue();
    case bsOffice2003Silver:
        return Office2003Silver();
    case bsOffice2003Olive:
        return Office2003Olive();
    case bsOffice2003Classic:
        return Office2003Classic();
    case bsOffice2007Luna:
        return Office2007Luna();
    case bsOffice2007Obsidian:
        return Office2007Obsidian();
    case bsWhidbeyStyle:
        return Whidbey();
    case bsOffice2007Silver:
        return Office2007Silver();
    default:
        return WindowsXP();
    }
}

bool TakesOffice2007GlowFirst(TToolBarStyle style) {
    return style == bsOffice2003Blue || style == bsOffice2003Silver || style == bsOffice2003Olive ||
           style == bsWhidbeyStyle;
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

    // The notifier stands on the first windowed control up the owner chain.
    for (TComponent* o = owner; o; o = o->Owner())
        if (auto* windowed = dynamic_cast<TWinControl*>(o)) {
            FNotifier = new TThemeNotifierWindow(this);
            FNotifier->OnThemeChanged = [this] { AdaptToTheme(); };
            FNotifier->SetParent(windowed);
            break;
        }

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
    if (TakesOffice2007GlowFirst(style)) {
        SetGlowHotDownCheckedSet(GlowButtonAppearance, 1);
        CompactGlowButtonAppearance.Assign(GlowButtonAppearance);
    }
    const TScheme s = SchemeOf(style);
    Values.Assign(s.Values);
    Color.Assign(s.Color);
    ColorHot.Assign(s.ColorHot);
    DockColor.Assign(s.DockColor);
    PageAppearance.Assign(s.Page);
    PagerCaption.Edit(
        [&](TVistaTextBackgroundValues& v) { static_cast<TVistaBackgroundValues&>(v) = s.Pager; });
    CaptionAppearance.Edit([&](TCaptionAppearanceValues& v) {
        const TColor border = v.CaptionBorderColor;
        v = s.Caption;
        v.CaptionBorderColor = border;
    });
    if (s.Button)
        ButtonAppearance.Assign(*s.Button);
    QATAppearance.Assign(s.QAT);
    // The normal tab colours stay with the scheme that set them.
    TabAppearance.Edit([&](TTabAppearanceValues& v) {
        const TTabAppearanceValues kept = v;
        v = s.Tab;
        v.Color = kept.Color;
        v.ColorTo = kept.ColorTo;
        v.ColorMirror = kept.ColorMirror;
        v.ColorMirrorTo = kept.ColorMirrorTo;
        v.GradientMirror = kept.GradientMirror;
    });
    GroupAppearance.Edit([&](TGroupAppearanceValues& v) {
        const TColor border = v.CaptionAppearance.CaptionBorderColor;
        v = s.Group;
        v.CaptionAppearance.CaptionBorderColor = border;
    });

    SetGlowAppearanceStyle(GlowButtonAppearance, s.Glow);
    if (style == bsOffice2007Silver) {
        GlowButtonAppearance.ColorMirrorTo = 15657703;
        GlowButtonAppearance.BorderColor = 13289414;
    }
    CompactGlowButtonAppearance.Assign(GlowButtonAppearance);
    if (style == bsOffice2007Luna) {
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
