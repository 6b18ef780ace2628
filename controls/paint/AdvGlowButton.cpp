#include "controls/paint/AdvGlowButton.h"

#include "framework/SystemInfo.h"
#include "framework/Text.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr UINT_PTR kFadeTimer = 1;
constexpr UINT_PTR kRepeatTimer = 2;
constexpr int kFadeStep = 20;
constexpr TColor kFocusRingColor = 0xE4AD89;
constexpr TColor kFocusDotColor = 0x808080;
constexpr TColor kDisabledTextColor = 0x808080;

// Each channel times its percentage, halves to even; 0 stays 0.
TColor Scale(TColor color, int red, int green, int blue) {
    auto scale = [](int channel, int percent) { return RoundHalfEven(channel * percent / 100.0); };
    return RGB(scale(GetRValue(color), red), scale(GetGValue(color), green),
               scale(GetBValue(color), blue));
}

TColor Pressed(TColor hot) {
    return Scale(hot, 90, 90, 100);
}

TColor Dimmed(TColor normal) {
    return Scale(normal, 95, 95, 95);
}

// Blends the colours of `face` (keeping its gradient kinds) between two looks.
void BlendFace(TGlowFace& face, const TGlowFace& a, const TGlowFace& b, int percent, bool border) {
    face.Color = BlendColor(a.Color, b.Color, percent);
    face.ColorTo = BlendColor(a.ColorTo, b.ColorTo, percent);
    face.Mirror = BlendColor(a.Mirror, b.Mirror, percent);
    face.MirrorTo = BlendColor(a.MirrorTo, b.MirrorTo, percent);
    if (border)
        face.Border = BlendColor(a.Border, b.Border, percent);
}

bool OutlineFontInstalled(HDC dc, const TFont& font, const TGPFontFamily& family) {
    if (!family.Available())
        return false;
    TSelectScope select(dc, font.Handle());
    TEXTMETRICA metrics{};
    if (!GetTextMetricsA(dc, &metrics))
        return false;
    return (metrics.tmPitchAndFamily & TMPF_VECTOR) && !(metrics.tmPitchAndFamily & TMPF_DEVICE);
}

} // namespace

// ---- TGlowButtonAppearance

TGlowButtonAppearance::TGlowButtonAppearance() {
    ColorDown = ColorChecked = Pressed(ColorHot);
    ColorDownTo = ColorCheckedTo = Pressed(ColorHotTo);
    ColorMirrorDown = ColorMirrorChecked = Pressed(ColorMirrorHot);
    ColorMirrorDownTo = ColorMirrorCheckedTo = Pressed(ColorMirrorHotTo);
    ColorDisabled = Dimmed(Color);
    ColorDisabledTo = Dimmed(ColorTo);
    ColorMirrorDisabled = Dimmed(ColorMirror);
    ColorMirrorDisabledTo = Dimmed(ColorMirrorTo);
}

void TGlowButtonAppearance::Assign(const TGlowButtonAppearance& source) {
    static_cast<TGlowAppearanceValues&>(*this) = source;
    SetSystemFont(source.FSystemFont);
}

void TGlowButtonAppearance::SetSystemFont(bool value) {
    if (value == FSystemFont)
        return;
    FSystemFont = value;
    if (OnChange)
        OnChange();
}

TGlowFace TGlowButtonAppearance::Normal() const {
    return {Color, ColorTo, ColorMirror, ColorMirrorTo, BorderColor, Gradient, GradientMirror};
}

TGlowFace TGlowButtonAppearance::Hot() const {
    return {ColorHot,       ColorHotTo,  ColorMirrorHot,   ColorMirrorHotTo,
            BorderColorHot, GradientHot, GradientMirrorHot};
}

TGlowFace TGlowButtonAppearance::Down() const {
    return {ColorDown,       ColorDownTo,  ColorMirrorDown,   ColorMirrorDownTo,
            BorderColorDown, GradientDown, GradientMirrorDown};
}

TGlowFace TGlowButtonAppearance::Checked() const {
    return {ColorChecked,       ColorCheckedTo,  ColorMirrorChecked,   ColorMirrorCheckedTo,
            BorderColorChecked, GradientChecked, GradientMirrorChecked};
}

TGlowFace TGlowButtonAppearance::Disabled() const {
    return {ColorDisabled,       ColorDisabledTo,  ColorMirrorDisabled,   ColorMirrorDisabledTo,
            BorderColorDisabled, GradientDisabled, GradientMirrorDisabled};
}

namespace {

// The hot, pressed and checked colours of a style: set 1 the Office 2007 ones,
// set 2 those with the pressed border on the checked look too, set 3 the
// Windows XP ones.
void SetGlowHotDownCheckedSet(TGlowAppearanceValues& a, int set) {
    if (set == 3) {
        a.ColorHot = a.ColorHotTo = a.ColorMirrorHot = a.ColorMirrorHotTo = 15717318;
        a.BorderColorHot = clHighlight;
        a.ColorDown = a.ColorDownTo = a.ColorMirrorDown = a.ColorMirrorDownTo = 11899524;
        a.BorderColorDown = clHighlight;
        a.ColorChecked = a.ColorCheckedTo = a.ColorMirrorChecked = a.ColorMirrorCheckedTo =
            12179676;
        a.BorderColorChecked = clBlack;
    } else {
        a.ColorHot = 15465983;
        a.ColorHotTo = 11332863;
        a.ColorMirrorHot = 5888767;
        a.ColorMirrorHotTo = 10807807;
        a.BorderColorHot = 10079963;
        a.ColorDown = 7778289;
        a.ColorDownTo = 4296947;
        a.ColorMirrorDown = 946929;
        a.ColorMirrorDownTo = 5021693;
        a.BorderColorDown = 4548219;
        a.ColorChecked = 11918331;
        a.ColorCheckedTo = 7915518;
        a.ColorMirrorChecked = 10480637;
        a.ColorMirrorCheckedTo = 5682430;
        if (set == 2)
            a.BorderColorChecked = 4548219;
    }
    a.GradientHot = a.GradientMirrorHot = ggVertical;
    a.GradientDown = a.GradientMirrorDown = ggVertical;
    a.GradientChecked = a.GradientMirrorChecked = ggVertical;
}

} // namespace

void SetGlowAppearanceStyle(TGlowAppearanceValues& a, TTelvarStyle style) {
    struct TRow {
        TColor Color, ColorTo, ColorMirror, ColorMirrorTo, BorderColor;
        int Set;
    };
    static constexpr TRow kRows[] = {
        {15653832, 16178633, 15586496, 16245200, 14727579, 1}, // tsOffice2003Blue
        {15586496, 15128792, 15586496, 13152947, 9598070, 1},  // tsOffice2003Silver
        {13627626, 13627626, 13627626, 9224369, 9224369, 1},   // tsOffice2003Olive
        {16777215, 13226453, 16777215, 13226453, 0, 1},        // tsOffice2003Classic
        {15653832, 16178633, 15586496, 16245200, 14727579, 2}, // tsOffice2007Luna
        {14671574, 15000283, 14144974, 15197664, 12631218, 2}, // tsOffice2007Obsidian
        {16777215, 12179676, 12179676, 12179676, 12179676, 3}, // tsWindowsXP
        {16777215, 14675440, 14675440, 14675440, 10070188, 1}, // tsWhidbey
        {0, 0, 0, 0, 0, 0},                                    // tsCustom
        {15987697, 16119283, 15657703, 16316406, 13421257, 2}, // tsOffice2007Silver
    };
    if (style == tsCustom)
        return;
    const TRow& row = kRows[style];
    a.Color = row.Color;
    a.ColorTo = row.ColorTo;
    a.ColorMirror = row.ColorMirror;
    a.ColorMirrorTo = row.ColorMirrorTo;
    a.BorderColor = row.BorderColor;
    a.Gradient = a.GradientMirror = ggVertical;
    SetGlowHotDownCheckedSet(a, row.Set);
}

void SetOffice2007LunaAppearance(TGlowButtonAppearance& a) {
    SetGlowAppearanceStyle(a, tsOffice2007Luna);
}

// ---- TAdvCustomGlowButton

TAdvCustomGlowButton::TAdvCustomGlowButton(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 100, 41);
    FAppearance.OnChange = [this] { Invalidate(); };
}

void TAdvCustomGlowButton::SetComponentStyle(TTelvarStyle style) {
    SetGlowAppearanceStyle(FAppearance, style);
    Invalidate();
}

void TAdvCustomGlowButton::SetAppearance(const TGlowButtonAppearance& value) {
    FAppearance.Assign(value);
    Invalidate();
}

void TAdvCustomGlowButton::SetDown(bool value) {
    if (Loading()) {
        FDownWhenLoaded = value;
        return;
    }
    if (!IsGrouped() && !IsToggle())
        value = false;
    if (value == FDown || (FDown && IsGrouped() && !FAllowAllUp))
        return;
    FDown = value;
    if (IsGrouped() && value)
        ReleaseGroup();
    Invalidate();
}

void TAdvCustomGlowButton::Loaded() {
    TCustomControl::Loaded();
    if (FDownWhenLoaded)
        SetDown(true);
}

void TAdvCustomGlowButton::ReleaseGroup() {
    if (!Parent())
        return;
    for (TControl* control : Parent()->Controls()) {
        auto* other = dynamic_cast<TAdvCustomGlowButton*>(control);
        if (other && other != this && other->FGroupIndex == FGroupIndex && other->FDown) {
            other->FDown = false;
            other->Invalidate();
        }
    }
}

int TAdvCustomGlowButton::EffectiveState() const {
    if (!Enabled())
        return stDisabled;
    if ((IsToggle() && FDown) || FPress == TPress::psMouse || FPress == TPress::psKey)
        return stDown;
    return FDown && IsGrouped() ? stExclusive : stUp;
}

bool TAdvCustomGlowButton::Pressed() const {
    return FPress == TPress::psMouse || FPress == TPress::psKey || FPress == TPress::psReleasing;
}

bool TAdvCustomGlowButton::Tracking() const {
    return FPress == TPress::psMouse || FPress == TPress::psMouseOutside;
}

std::string TAdvCustomGlowButton::ShownCaption() const {
    return ShowsAccelCues() ? Caption() : WithoutAccelChar(Caption());
}

bool TAdvCustomGlowButton::FocusShown() const {
    return Focused() && ShowsFocusCues();
}

bool TAdvCustomGlowButton::HotFocus() const {
    return FFocusType == TFocusType::ftHot || FFocusType == TFocusType::ftHotBorder;
}

void TAdvCustomGlowButton::RepaintNow() {
    Invalidate();
    Update();
}

// ---- clicks and dialog keys

void TAdvCustomGlowButton::Click() {
    if (TCustomForm* form = Form())
        form->SetModalResult(ModalResult);
    TCustomControl::Click();
}

bool TAdvCustomGlowButton::Active() const {
    if (Focused())
        return true;
    // A default button gives way while another glow button has the focus.
    return Default && !dynamic_cast<TAdvCustomGlowButton*>(FromHandle(GetFocus()));
}

bool TAdvCustomGlowButton::IsDefaultButton() const {
    return Active() && CanFocus() && !(ShiftStateNow() & (ssShift | ssCtrl | ssAlt));
}

bool TAdvCustomGlowButton::IsCancelButton() const {
    return Cancel && CanFocus() && !(ShiftStateNow() & (ssShift | ssCtrl | ssAlt));
}

void TAdvCustomGlowButton::DialogKeyClick() {
    if (IsToggle())
        SetDown(!FDown);
    // Shown pressed while the click runs.
    const TPress before = std::exchange(FPress, TPress::psKey);
    RepaintNow();
    Click();
    FPress = before == TPress::psKey ? TPress::psNone : before;
    Invalidate();
}

bool TAdvCustomGlowButton::DialogChar(char ch) {
    const char accel = AcceleratorOf(Caption());
    if (!accel || !CanFocus() || !SameTextChar(accel, ch))
        return false;
    Click();
    return true;
}

// ---- fading

void TAdvCustomGlowButton::EnsureFadeTimer() {
    if (FFade.Running)
        return;
    FFade.Running = true;
    if (HandleAllocated())
        SetTimer(Handle(), kFadeTimer, GlowFadeInterval, nullptr);
}

void TAdvCustomGlowButton::StopFadeTimer() {
    FFade.Running = false;
    if (HandleAllocated())
        KillTimer(Handle(), kFadeTimer);
}

void TAdvCustomGlowButton::FadeTick() {
    if (!FFade.Running || FFade.Kind == fkFinished)
        return;
    int& step = FFade.Kind == fkHot ? FFade.HotStep : FFade.DownStep;
    step += FFade.Delta;
    if ((step > 100 && FFade.Delta > 0) || (step < 0 && FFade.Delta < 0)) {
        step = std::clamp(step, 0, 100);
        // A finished release lets go of the pressed look.
        if (FFade.Kind == fkPress && FFade.Delta < 0 && !Tracking())
            FPress = TPress::psNone;
        FFade.Kind = fkFinished;
        StopFadeTimer();
        return;
    }
    Invalidate();
}

void TAdvCustomGlowButton::TimerTick(UINT_PTR id) {
    if (id == kFadeTimer)
        FadeTick();
    else if (id == kRepeatTimer)
        DoRepeatClick();
}

void TAdvCustomGlowButton::DoRepeatClick() {
    if (FPress != TPress::psMouse || !MouseHeld()) {
        KillTimer(Handle(), kRepeatTimer);
        return;
    }
    // The first pause is longer; from now on the short one.
    SetTimer(Handle(), kRepeatTimer, RepeatPause, nullptr);
    Click();
}

// ---- mouse

void TAdvCustomGlowButton::MouseEnter() {
    TCustomControl::MouseEnter();
    if (OnMouseEnter)
        OnMouseEnter(this);
    if (FPress == TPress::psMouseOutside)
        FPress = TPress::psMouse;
    EnsureFadeTimer();
    // The hover fade goes on from wherever it stands.
    if (!Pressed() && FFade.Kind != fkPress) {
        FFade.Delta = kFadeStep;
        FFade.Kind = fkHot;
    }
    Invalidate();
}

void TAdvCustomGlowButton::MouseLeave() {
    TCustomControl::MouseLeave();
    if (OnMouseLeave)
        OnMouseLeave(this);
    // Leaving fades out from full hot; dragging out fades from where it is
    // and comes back pressed on re-entry.
    const bool draggedOut = FPress == TPress::psMouse;
    FPress = draggedOut ? TPress::psMouseOutside : TPress::psNone;
    if (!draggedOut)
        FFade.HotStep = 100;
    FFade.Delta = -kFadeStep;
    FFade.Kind = fkHot;
    Invalidate();
    EnsureFadeTimer();
}

void TAdvCustomGlowButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    if (RepeatClick)
        SetTimer(Handle(), kRepeatTimer, InitRepeatPause, nullptr);
    FPress = TPress::psMouse;
    if (TabStop())
        SetFocus();
    EnsureFadeTimer();
    FFade.Delta = kFadeStep;
    FFade.Kind = fkPress;
    if (IsToggle()) {
        SetDown(!FDown);
        RepaintNow();
    } else {
        Invalidate();
    }
}

void TAdvCustomGlowButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button != TMouseButton::mbLeft) {
        TCustomControl::MouseUp(button, shift, x, y);
        return;
    }
    KillTimer(Handle(), kRepeatTimer);
    FFade.Delta = -kFadeStep;
    FFade.Kind = fkPress;
    EnsureFadeTimer();

    bool clicked = false;
    if (Tracking()) {
        // Released inside, the pressed look fades; outside it is gone already.
        FPress = FPress == TPress::psMouse ? TPress::psReleasing : TPress::psNone;
        clicked = PointInRect(ClientRect(), x, y);
        if (!IsGrouped()) {
            if (IsToggle()) {
                if (!clicked && FDown)
                    SetDown(false);
                RepaintNow();
            }
            if (clicked)
                Invalidate();
        } else {
            if (clicked)
                SetDown(!FDown);
            if (FDown)
                RepaintNow();
        }
    }
    TCustomControl::MouseUp(button, shift, x, y);
    if (clicked)
        Click();
    if (IsToggle() || IsGrouped())
        RepaintNow();
    Invalidate();
}

// ---- keyboard and focus

void TAdvCustomGlowButton::KeyDown(WORD& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if ((key == VK_RETURN || key == VK_SPACE) && !Tracking()) {
        FPress = TPress::psKey;
        RepaintNow();
    }
}

void TAdvCustomGlowButton::KeyUp(WORD& key, TShiftState shift) {
    TCustomControl::KeyUp(key, shift);
    if (!Tracking())
        FPress = TPress::psNone;
    RepaintNow();
}

void TAdvCustomGlowButton::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (key == ' ' || key == '\r')
        Click();
}

void TAdvCustomGlowButton::DoEnter() {
    TCustomControl::DoEnter();
    Invalidate();
}

void TAdvCustomGlowButton::DoExit() {
    TCustomControl::DoExit();
    // A mouse press goes on without the focus; its release still clicks.
    if (!Tracking())
        FPress = TPress::psNone;
    Invalidate();
}

void TAdvCustomGlowButton::CaptureLost() {
    TCustomControl::CaptureLost();
    // The press ends without a click; the pressed look fades out.
    KillTimer(Handle(), kRepeatTimer);
    const bool wasPressed = FPress != TPress::psNone;
    FPress = TPress::psNone;
    if (wasPressed) {
        FFade.Delta = -kFadeStep;
        FFade.Kind = fkPress;
        EnsureFadeTimer();
    }
    Invalidate();
}

// ---- painting

TGlowFace TAdvCustomGlowButton::CurrentFace() const {
    const TGlowButtonAppearance& a = FAppearance;
    const bool disabled = !Enabled() && FShowDisabled;
    const int state = EffectiveState();
    const bool downToggle = IsToggle() && FDown;

    TGlowFace face;
    if (disabled)
        face = a.Disabled();
    else if (state == stDown && !IsToggle())
        face = a.Down();
    else if (state == stExclusive || (state == stDown && IsToggle())) {
        face = a.Checked();
        if (FFade.Running &&
            (MouseInControl() || (!IsToggle() && (!IsGrouped() || state == stDown))))
            BlendFace(face, a.Checked(), a.Down(), FFade.DownStep, false);
    } else if (MouseInControl())
        face = a.Hot();
    else
        face = a.Normal();

    if (FFade.Running) {
        const bool pressed = Pressed();
        if (!pressed && !FTransparent && state != stExclusive && !downToggle)
            BlendFace(face, a.Hot(), a.Normal(), FFade.HotStep, true);
        else if (IsToggle() && pressed)
            BlendFace(face, a.Down(), a.Checked(), FFade.DownStep, false);
        else if (pressed && state != stExclusive)
            BlendFace(face, a.Down(), a.Hot(), FFade.DownStep, true);
    }
    // No fade shows on a disabled button.
    if (disabled)
        face = a.Disabled();
    if (FocusShown() && HotFocus() && !Pressed())
        face = a.Hot();
    return face;
}

TFont TAdvCustomGlowButton::CaptionFont() const {
    TFont font = Font;
    if (!ParentFont() && FAppearance.SystemFont())
        font.SetName(IsVistaOrLater() ? "Segoe UI" : "Tahoma");
    return font;
}

void TAdvCustomGlowButton::DrawCaption(TGPGraphics& graphics, const TFont& font,
                                       const TGPFontFamily& family, const RECT& r) {
    const TGPFont gpFont(family, static_cast<float>(font.Size()),
                         static_cast<int>(font.Style() & (fsBold | fsItalic | fsUnderline)),
                         gdip::UnitPoint);
    TGPStringFormat format(FWordWrap ? 0 : gdip::StringFormatFlagsNoWrap);
    format.SetAlign(gdip::StringAlignmentCenter);
    format.SetLineAlign(gdip::StringAlignmentCenter);
    format.SetHotkeyPrefix(ShowsAccelCues() ? gdip::HotkeyPrefixShow : gdip::HotkeyPrefixNone);
    format.SetTrimming(FTrimming);
    graphics.SetTextRenderingHint(FAntiAlias == TAntiAlias::aaClearType
                                      ? gdip::TextRenderingHintClearTypeGridFit
                                      : gdip::TextRenderingHintAntiAlias);
    const TGPSolidBrush brush(MakeGPColor(Enabled() ? font.Color() : kDisabledTextColor));
    // Two pixels in from the left, so the caption sits a pixel right of centre.
    const gdip::RectF layout(r.left + 2, r.top, r.right - r.left - 2, r.bottom - r.top);
    graphics.DrawString(ToWide(ShownCaption()), gpFont, layout, format, brush);
}

void TAdvCustomGlowButton::DrawCaptionGdi(TCanvas& canvas, const TFont& font, const RECT& r) {
    canvas.Font = font;
    canvas.Font.SetColor(Enabled() ? font.Color() : kDisabledTextColor);
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    RECT text = MakeRect(r.left + 2, r.top, r.right, r.bottom);
    const std::string caption = ShownCaption();
    const UINT prefix = ShowsAccelCues() ? 0 : DT_NOPREFIX;
    UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix;
    if (FWordWrap) {
        flags = DT_CENTER | DT_WORDBREAK | prefix;
        RECT measure = text;
        const int height = canvas.DrawText(caption, measure, flags | DT_CALCRECT);
        text.top += (r.bottom - r.top - height) / 2;
    }
    canvas.DrawText(caption, text, flags);
}

void TAdvCustomGlowButton::PaintParent(HDC dc) {
    TWinControl* parent = Parent();
    if (!parent)
        return;
    const TDCStateScope state(dc);
    IntersectClipRect(dc, 0, 0, Width(), Height());
    OffsetViewportOrgEx(dc, -Left(), -Top(), nullptr);
    TCanvas parentCanvas(dc);
    parent->PaintTo(parentCanvas);
}

void TAdvCustomGlowButton::ShowParentInCorners(TCanvas& canvas) {
    HDC dc = canvas.Handle();
    POINT points[] = {{0, 0}, {Width() - 1, 0}, {0, Height() - 1}, {Width() - 1, Height() - 1}};
    // Clip regions are in device units, whatever origin the canvas has.
    LPtoDP(dc, points, 4);
    TGdiObject<HRGN> corners(CreateRectRgn(0, 0, 0, 0));
    for (const POINT p : points) {
        TGdiObject<HRGN> corner(CreateRectRgn(p.x, p.y, p.x + 1, p.y + 1));
        CombineRgn(corners.Get(), corners.Get(), corner.Get(), RGN_OR);
    }
    const TDCStateScope state(dc);
    ExtSelectClipRgn(dc, corners.Get(), RGN_AND);
    PaintParent(dc);
}

void TAdvCustomGlowButton::PaintWindow(TCanvas& canvas) {
    const RECT r = ClientRect();
    const int h = r.bottom - r.top;
    const TGlowFace face = CurrentFace();
    const int state = EffectiveState();
    const bool focused = FocusShown();
    // A transparent button at rest shows only its parent and caption.
    const bool idle =
        FTransparent && !MouseInControl() && !(focused && HotFocus()) && state != stDown;
    const bool caption = FShowCaption && !Caption().empty();
    const TFont font = CaptionFont();
    // One font family per paint, for the test and for the text.
    std::optional<TGPFontFamily> family;
    if (caption && FAntiAlias != TAntiAlias::aaNone)
        family.emplace(ToWide(font.Name()));
    const bool gdiplusText = family && OutlineFontInstalled(canvas.Handle(), font, *family);

    // The halves are filled past the bottom edge; keep that off the canvas.
    const TClipScope clip(canvas.Handle(), r);
    if (FTransparent)
        PaintParent(canvas.Handle());
    {
        TGPGraphics graphics(canvas.Handle());
        const int radius = FRounded ? 3 : 0;
        if (!idle) {
            // The upper half goes last and covers the row the halves share.
            FillGlowHalf(graphics, MakeRect(r.left, r.top + h / 2 - 1, r.right, r.bottom),
                         face.MirrorTo, face.Mirror, face.GradientMirror, false);
            FillGlowHalf(graphics, MakeRect(r.left, r.top, r.right, r.bottom - h / 2), face.Color,
                         face.ColorTo, face.Gradient, true);
        }
        graphics.SetSmoothingMode(gdip::SmoothingModeAntiAlias);
        if (FBorderStyle == TGlowBorderStyle::bsSingle && !idle)
            DrawRoundedBorder(graphics, face.Border, r.left, r.top, r.right - 1, r.bottom - 1,
                              radius);
        if (focused &&
            (FFocusType == TFocusType::ftBorder || FFocusType == TFocusType::ftHotBorder)) {
            DrawRoundedBorder(graphics, kFocusRingColor, r.left + 1, r.top + 1, r.right - 3,
                              r.bottom - 3, radius);
            DrawDottedRoundedBorder(graphics, kFocusDotColor, r.left + 2, r.top + 2, r.right - 5,
                                    r.bottom - 5, radius);
        }
        if (gdiplusText)
            DrawCaption(graphics, font, *family, r);
    }
    // GDI text only once GDI+ has let go of the device context.
    if (caption && !gdiplusText)
        DrawCaptionGdi(canvas, font, r);

    if (OnDrawButton)
        OnDrawButton(this, canvas, state == stDown ? 2 : (MouseInControl() ? 1 : 0), r);
    if (!idle)
        ShowParentInCorners(canvas);
}
