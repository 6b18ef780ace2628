#include "controls/edits/AdvEdBtn.h"

#include "framework/SystemInfo.h"
#include "framework/Theme.h"

#include <algorithm>

namespace {
// Parts and states of the theme class "button".
constexpr int kPushButtonPart = 1;
constexpr int kStateNormal = 1, kStateHot = 2, kStatePressed = 3;

// The text height (tmHeight) of a font.
int TextMetricHeight(HFONT font) {
    TBitmap measure(1, 1);
    const TSelectScope select(measure.Canvas().Handle(), font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(measure.Canvas().Handle(), &metrics);
    return metrics.tmHeight;
}
} // namespace

// ---- TAdvSpeedButton

TAdvSpeedButton::TAdvSpeedButton(TComponent* owner) : TGraphicControl(owner) {}

TAdvSpeedButton::~TAdvSpeedButton() = default;

void TAdvSpeedButton::LoadGlyph(HINSTANCE instance, const char* name) {
    const TGdiObject<HBITMAP> bitmap(
        static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap)
        return;
    BITMAP info{};
    GetObject(bitmap.Get(), sizeof(info), &info);
    FGlyph = std::make_unique<TImageList>(nullptr, info.bmWidth, info.bmHeight);
    FGlyph->AddResource(instance, name);
    Invalidate();
}

bool TAdvSpeedButton::HasGlyph() const {
    return FGlyph && FGlyph->Count() > 0;
}

SIZE TAdvSpeedButton::GlyphSize() const {
    return HasGlyph() ? SIZE{FGlyph->Width(), FGlyph->Height()} : SIZE{0, 0};
}

POINT TAdvSpeedButton::GlyphPlace(bool down) const {
    // Centred in the client area inset by 2; a caption puts the glyph at the left.
    const SIZE glyph = GlyphSize();
    const int innerWidth = Width() - 4, innerHeight = Height() - 4;
    POINT at{2, 2};
    if (Caption().empty() && glyph.cx < innerWidth)
        at.x += (innerWidth - glyph.cx) / 2;
    if (glyph.cy < innerHeight)
        at.y += (innerHeight - glyph.cy) / 2;
    if (down) {
        ++at.x;
        ++at.y;
    }
    return at;
}

bool TAdvSpeedButton::PaintThemed(TCanvas& canvas) const {
    if (!IsComCtl6() || !Parent() || !ThemeActive())
        return false;
    const TThemeData theme(Parent()->Handle(), L"button");
    if (!theme)
        return false;
    canvas.Brush.SetColor(clWhite);
    canvas.FillRect(ClientRect());
    // One pixel wider and taller: the right and bottom edge fall outside.
    const int state = FDown ? kStatePressed : MouseInControl() ? kStateHot : kStateNormal;
    theme.DrawBackground(canvas.Handle(), kPushButtonPart, state,
                         MakeRect(0, 0, Width() + 1, Height() + 1));
    return true;
}

void TAdvSpeedButton::Paint(TCanvas& canvas) {
    if (!PaintThemed(canvas)) {
        RECT face = ClientRect();
        DrawFrameControl(canvas.Handle(), &face, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (FDown ? DFCS_PUSHED : 0));
    }
    PaintFocus(canvas);
    const POINT glyph = GlyphPlace(FDown);
    if (HasGlyph())
        FGlyph->Draw(canvas, glyph.x, glyph.y, 0);
    if (Caption().empty())
        return;
    canvas.Font = Font;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    if (HasGlyph()) {
        canvas.TextOut(glyph.x + GlyphSize().cx + 2, glyph.y - 1, Caption());
        return;
    }
    RECT text = ClientRect();
    InflateRect(&text, -3, -1);
    if (FDown)
        OffsetRect(&text, 1, 1);
    canvas.DrawText(Caption(), text, DT_CENTER | DT_TOP | DT_SINGLELINE);
}

void TAdvSpeedButton::PaintFocus(TCanvas& canvas) {
    const auto* holder = dynamic_cast<const TWinControl*>(Parent());
    if (!holder || !holder->Focused() || !ShowsFocusCues())
        return;
    // Inside the face's edges, around the glyph.
    RECT r = ClientRect();
    InflateRect(&r, -2, -2);
    canvas.DrawFocusRect(r);
}

void TAdvSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    FDown = true;
    Invalidate();
}

void TAdvSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!MouseHeld())
        return;
    const bool down = (shift & ssLeft) && PointInRect(ClientRect(), x, y);
    if (down != FDown) {
        FDown = down;
        Invalidate();
    }
}

void TAdvSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    // The handler runs with the button still drawn pressed.
    if (OnMouseUp)
        OnMouseUp(button);
    if (FDown) {
        FDown = false;
        Invalidate();
    }
}

void TAdvSpeedButton::MouseEnter() {
    TGraphicControl::MouseEnter();
    Invalidate();
}

void TAdvSpeedButton::MouseLeave() {
    TGraphicControl::MouseLeave();
    Invalidate();
}

void TAdvSpeedButton::CaptureLost() {
    FDown = false;
    Invalidate();
}

// ---- TEditButton

TEditButton::TEditButton(TComponent* owner)
    : TCustomControl(owner), FSpeedButton(new TAdvSpeedButton(this)) {
    FSpeedButton->OnMouseUp = [this](TMouseButton button) { ButtonMouseUp(button); };
    FSpeedButton->SetParent(this);
    SetBounds(0, 0, FButtonWidth, 25);
}

void TEditButton::SetButtonWidth(int width) {
    FButtonWidth = width;
    SetBounds(Left(), Top(), width, Height());
}

void TEditButton::SetBounds(int left, int top, int, int height) {
    TCustomControl::SetBounds(left, top, FButtonWidth, height);
}

void TEditButton::BoundsChanged() {
    TCustomControl::BoundsChanged();
    FSpeedButton->SetBounds(0, 0, Width(), Height());
}

LRESULT TEditButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // A push button to the form: Enter presses it rather than a default button.
    if (msg == WM_GETDLGCODE)
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    return TCustomControl::WindowProc(msg, wParam, lParam);
}

void TEditButton::Click() {
    TCustomControl::Click();
    if (OnButtonClick)
        OnButtonClick(this);
}

void TEditButton::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (key == ' ')
        Click();
}

void TEditButton::DoEnter() {
    TCustomControl::DoEnter();
    Invalidate();
}

void TEditButton::DoExit() {
    TCustomControl::DoExit();
    Invalidate();
}

void TEditButton::ButtonMouseUp(TMouseButton button) {
    if (button != TMouseButton::mbLeft)
        return;
    Click();
    if (FocusTarget && FocusTarget->TabStop() && FocusTarget->CanFocus() && !FocusTarget->Focused())
        FocusTarget->SetFocus();
    else if (TabStop() && CanFocus() && !Focused())
        SetFocus();
}

// ---- TAdvEditBtn

TAdvEditBtn::TAdvEditBtn(TComponent* owner) : TAdvEdit(owner), FButton(new TEditButton(this)) {
    FButton->FocusTarget = this;
    FButton->OnButtonClick = [this](TComponent*) { ButtonClick(); };
    FButton->SetParent(this);
    SetButtonWidth(17);
}

void TAdvEditBtn::ButtonClick() {
    if (OnClickBtn)
        OnClickBtn(this);
}

void TAdvEditBtn::SetButtonWidth(int width) {
    FButton->SetButtonWidth(width);
    LayoutButton();
}

void TAdvEditBtn::LoadGlyph(HINSTANCE instance, const char* name) {
    FButton->SpeedButton()->LoadGlyph(instance, name);
}

void TAdvEditBtn::SetButtonCaption(const std::string& caption) {
    FButton->SpeedButton()->SetCaption(caption);
}

int TAdvEditBtn::MinHeight() {
    const int text = TextMetricHeight(Font.Handle());
    // The system font does not change while the program runs.
    static const int system = TextMetricHeight(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    return text + std::min(text, system) / 4;
}

void TAdvEditBtn::LayoutButton() {
    if (!HandleAllocated())
        return;
    if (const int minHeight = MinHeight(); Height() < minHeight) {
        // The new height lays the button out again.
        SetBounds(Left(), Top(), Width(), minHeight);
        return;
    }
    // The right ButtonWidth pixels of the client area, top to bottom.
    RECT client;
    GetClientRect(Handle(), &client);
    FButton->SetBounds(client.right - ButtonWidth(), 0, ButtonWidth(), client.bottom);
    ApplyTextRect();
}

RECT TAdvEditBtn::TextRect() const {
    RECT client;
    GetClientRect(Handle(), &client);
    return MakeRect(1, 1, client.right - FButton->Width() - 4, client.bottom + 1);
}

void TAdvEditBtn::HandleCreated() {
    TAdvEdit::HandleCreated();
    LayoutButton();
}

void TAdvEditBtn::Loaded() {
    TAdvEdit::Loaded();
    LayoutButton();
    FButton->SetEnabled(Enabled());
}

void TAdvEditBtn::BoundsChanged() {
    TAdvEdit::BoundsChanged();
    LayoutButton();
}

void TAdvEditBtn::FontChanged() {
    TAdvEdit::FontChanged();
    LayoutButton();
}

void TAdvEditBtn::EnabledChanged() {
    TAdvEdit::EnabledChanged();
    // A disabled holder takes no mouse input; the button keeps its look.
    FButton->SetEnabled(Enabled());
}

void TAdvEditBtn::KeyDown(WORD& key, TShiftState shift) {
    TAdvEdit::KeyDown(key, shift);
    if (key == VK_F4 && OnClickBtn && !(shift & (ssCtrl | ssAlt)))
        OnClickBtn(this);
}
