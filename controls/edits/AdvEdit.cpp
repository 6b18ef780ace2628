#include "controls/edits/AdvEdit.h"

#include "framework/SystemInfo.h"

#include <utility>

namespace {
// The text on the clipboard; empty when it holds none.
std::string ClipboardText(HWND owner) {
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(owner))
        return {};
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT))
        if (const auto* chars = static_cast<const char*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    CloseClipboard();
    return text;
}
} // namespace

POINT LabelPlace(TLabelPosition position, const RECT& edit, SIZE label, int textWidth, int margin) {
    const int width = edit.right - edit.left, height = edit.bottom - edit.top;
    const int leftOf = edit.left - textWidth - margin;
    const int inLeft = edit.left - margin;
    const int rightOf = edit.right + margin;
    const int centred = width - label.cx > 0 ? edit.left + (width - label.cx) / 2
                                             : edit.left - (label.cx - width) / 2;
    const int top = edit.top;
    const int middle = edit.top + (height - label.cy) / 2;
    const int bottom = edit.bottom - label.cy;
    const int above = edit.top - label.cy - margin;
    const int below = edit.bottom + margin;
    switch (position) {
    case lpLeftTop:
        return {leftOf, top};
    case lpLeftCenter:
        return {leftOf, middle};
    case lpLeftBottom:
        return {leftOf, bottom};
    case lpTopLeft:
        return {edit.left, above};
    case lpBottomLeft:
        return {edit.left, below};
    case lpLeftTopLeft:
        return {inLeft, top};
    case lpLeftCenterLeft:
        return {inLeft, middle};
    case lpLeftBottomLeft:
        return {inLeft, bottom};
    case lpTopCenter:
        return {centred, above};
    case lpBottomCenter:
        return {centred, below};
    case lpRightTop:
        return {rightOf, top};
    case lpRightCenter:
        return {rightOf, middle};
    case lpRightBottom:
        return {rightOf, bottom};
    }
    return {leftOf, top};
}

TAdvEdit::TAdvEdit(TComponent* owner) : TEdit(owner) {
    LabelFont.OnChange = [this] { PlaceLabel(); };
}

TAdvEdit::~TAdvEdit() {
    // The label and any inner controls go while the edit is still whole.
    DestroyComponents();
}

void TAdvEdit::CreateParams(TCreateParams& params) {
    TEdit::CreateParams(params);
    // Multi-line only so that the text rectangle can be set; Return is
    // consumed, so the text stays on one line. Inner controls are not painted over.
    params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TAdvEdit::HandleCreated() {
    TEdit::HandleCreated();
    ApplyTextRect();
}

void TAdvEdit::Loaded() {
    TEdit::Loaded();
    FNormalFontColor = Font.Color();
    ApplyTextRect();
    PlaceLabel();
    if (!Enabled())
        SetBackground(FDisabledColor);
    if (FLabel && !FLabelAlwaysEnabled)
        FLabel->SetEnabled(Enabled());
}

RECT TAdvEdit::TextRect() const {
    RECT client;
    GetClientRect(Handle(), &client);
    return client;
}

void TAdvEdit::ApplyTextRect() {
    if (!HandleAllocated())
        return;
    RECT r = TextRect();
    SendMessageA(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    Invalidate();
}

void TAdvEdit::SetText(const std::string& text) {
    TEdit::SetText(text);
    if (!Loading() && !ReadOnly())
        SetModified(false);
}

bool TAdvEdit::Modified() const {
    return HandleAllocated() && SendMessageA(Handle(), EM_GETMODIFY, 0, 0) != 0;
}

void TAdvEdit::SetModified(bool modified) {
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETMODIFY, modified, 0);
}

void TAdvEdit::SelectAll() {
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETSEL, 0, static_cast<LPARAM>(Text().size()));
}

// ---- the label

void TAdvEdit::SetLabelCaption(const std::string& caption) {
    FLabelCaption = caption;
    if (!FLabel) {
        FLabel = new TLabel(this);
        FLabel->SetParentFont(ParentFont());
        if (!ParentFont())
            FLabel->Font.Assign(LabelFont);
        FLabel->SetFocusControl(this);
        FLabel->SetEnabled(Enabled() || FLabelAlwaysEnabled);
        FLabel->SetParent(Parent());
    }
    FLabel->SetCaption(caption);
    PlaceLabel();
}

void TAdvEdit::SetLabelPosition(TLabelPosition position) {
    FLabelPosition = position;
    PlaceLabel();
}

void TAdvEdit::SetLabelMargin(int margin) {
    FLabelMargin = margin;
    PlaceLabel();
}

void TAdvEdit::SetLabelTransparent(bool transparent) {
    FLabelTransparent = transparent;
    PlaceLabel();
}

void TAdvEdit::SetLabelAlwaysEnabled(bool alwaysEnabled) {
    FLabelAlwaysEnabled = alwaysEnabled;
    if (FLabel)
        FLabel->SetEnabled(Enabled() || alwaysEnabled);
}

void TAdvEdit::PlaceLabel() {
    if (!FLabel)
        return;
    FLabel->Transparent = FLabelTransparent;
    // Once the edit's own font was changed, the label shows LabelFont.
    if (!ParentFont()) {
        FLabel->SetParentFont(false);
        FLabel->Font.Assign(LabelFont);
    }
    const SIZE size{FLabel->Width(), FLabel->Height()};
    const POINT at =
        LabelPlace(FLabelPosition, BoundsRect(), size, FLabel->TextSize().cx, FLabelMargin);
    FLabel->SetBounds(at.x, at.y, size.cx, size.cy);
    FLabel->SetVisible(Visible());
    FLabel->Invalidate();
}

void TAdvEdit::SetParent(TWinControl* parent) {
    TEdit::SetParent(parent);
    if (FLabel) {
        FLabel->SetParent(parent);
        PlaceLabel();
    }
}

void TAdvEdit::BoundsChanged() {
    TEdit::BoundsChanged();
    PlaceLabel();
    ApplyTextRect();
}

void TAdvEdit::FontChanged() {
    TEdit::FontChanged();
    // A new font resets the system's text rectangle.
    ApplyTextRect();
    PlaceLabel();
}

void TAdvEdit::VisibleChanged() {
    TEdit::VisibleChanged();
    if (FLabel)
        FLabel->SetVisible(Visible());
}

// ---- colours and border

void TAdvEdit::SetBackground(TColor color) {
    FSettingBackground = true;
    SetColor(color);
    FSettingBackground = false;
}

void TAdvEdit::SetColor(TColor color) {
    if (!FSettingBackground)
        FNormalColor = color;
    TEdit::SetColor(color);
}

void TAdvEdit::SetDisabledColor(TColor color) {
    FDisabledColor = color;
    if (!Enabled() && !Loading())
        SetBackground(color);
}

void TAdvEdit::SetDisabledBorder(bool border) {
    FDisabledBorder = border;
    RefreshFrame();
}

void TAdvEdit::EnabledChanged() {
    TEdit::EnabledChanged();
    if (Loading())
        return;
    SetBackground(Enabled() ? FNormalColor : FDisabledColor);
    if (FLabel && !FLabelAlwaysEnabled)
        FLabel->SetEnabled(Enabled());
    RefreshFrame();
}

void TAdvEdit::PaintDisabledBorder() {
    if (Enabled() || !IsComCtl6() || !FDisabledBorder || !HandleAllocated())
        return;
    RECT r;
    GetWindowRect(Handle(), &r);
    OffsetRect(&r, -r.left, -r.top);
    const TWindowDC window(Handle(), true);
    TCanvas canvas(window.Get());
    canvas.Brush.SetColor(clSilver);
    canvas.FrameRect(r);
}

// ---- focus

void TAdvEdit::DoEnter() {
    if (!Loading()) {
        FFocusText = Text();
        if (FocusColor != clNone) {
            SetBackground(FocusColor);
            RefreshFrame();
        }
        FNormalFontColor = Font.Color();
        if (FocusFontColor != clNone)
            Font.SetColor(FocusFontColor);
        if (AutoSelect && !FClickFocus)
            SelectAll();
    }
    TEdit::DoEnter();
}

void TAdvEdit::DoExit() {
    if (!Loading()) {
        if (Enabled() && Color() != FNormalColor) {
            SetBackground(FNormalColor);
            RefreshFrame();
        }
        Font.SetColor(FNormalFontColor);
        // The answer only matters to descendants; leaving is never blocked.
        ValidateText(Text());
    }
    TEdit::DoExit();
}

bool TAdvEdit::ValidateText(const std::string& value) {
    if (FValidating)
        return true;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } guard{FValidating = true};
    bool valid = true;
    DoValidate(value, valid);
    return valid;
}

void TAdvEdit::DoValidate(const std::string& value, bool& isValid) {
    if (OnValueValidate)
        OnValueValidate(this, value, isValid);
}

// ---- keys and clipboard

bool TAdvEdit::WantsSpecialKey(WPARAM key) {
    switch (key) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RETURN:
    case VK_ESCAPE:
        break;
    default:
        return false;
    }
    const TCustomForm* form = Form();
    if (!form || std::exchange(FIgnoreSpecialKey, false))
        return false;
    if (key != VK_ESCAPE || !CanUndo || form->KeyPreview)
        return false;
    SetText(FFocusText);
    if (FocusFontColor != clNone)
        Font.SetColor(FocusFontColor);
    SelectAll();
    // The edit keeps the key; its parent still gets one, as a form would.
    if (HWND parent = ParentHandle()) {
        PostMessageA(parent, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageA(parent, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    }
    return true;
}

void TAdvEdit::KeyDown(WORD& key, TShiftState shift) {
    TEdit::KeyDown(key, shift);
    // A multi-line edit window would close a dialog on Escape.
    if (key == VK_ESCAPE)
        key = 0;
    // Delete counts as an edit even where it removes nothing.
    if (key == VK_DELETE && !ReadOnly())
        SetModified(true);
}

void TAdvEdit::Paste() {
    if (ReadOnly())
        return;
    const std::string pasted = ClipboardText(Handle());
    if (pasted.empty())
        return;
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    const std::string text = Text();
    SetText(text.substr(0, start) + pasted + text.substr(end));
    const auto after = static_cast<LPARAM>(start + pasted.size());
    SendMessageA(Handle(), EM_SETSEL, end > start ? start : after, after);
    SetModified(true);
}

LRESULT TAdvEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETDLGCODE: {
        // Tab, Return and Escape belong to the form as in a one-line edit,
        // unless the edit keeps one of them.
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        const auto* asked = reinterpret_cast<const MSG*>(lParam);
        if (asked && asked->message == WM_KEYDOWN && WantsSpecialKey(asked->wParam))
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_CHAR:
        switch (wParam) {
        case '\r': {
            // Seen by the key handlers, never entered as a line break.
            char key = '\r';
            KeyPress(key);
            return 0;
        }
        case '\n': // Control+Return
            return 1;
        case '\t':
        case VK_ESCAPE:
            return 0;
        default:
            break;
        }
        break;
    case WM_PASTE:
        Paste();
        return 0;
    case WM_NCPAINT: {
        const LRESULT result = TEdit::WindowProc(msg, wParam, lParam);
        PaintDisabledBorder();
        return result;
    }
    case WM_LBUTTONDOWN: {
        // A click that gives the focus leaves the caret at the click.
        FClickFocus = !Focused();
        const LRESULT result = TEdit::WindowProc(msg, wParam, lParam);
        FClickFocus = false;
        return result;
    }
    default:
        break;
    }
    return TEdit::WindowProc(msg, wParam, lParam);
}
