#include "framework/Controls.h"

#include "framework/Forms.h"
#include "framework/HintWindow.h"

#include <vector>

RECT MakeRect(int left, int top, int right, int bottom) {
    RECT r{left, top, right, bottom};
    return r;
}

POINT CentredIn(const RECT& area, SIZE size, THalving halving) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (halving == THalving::Apart)
        return POINT{area.left + width / 2 - size.cx / 2, area.top + height / 2 - size.cy / 2};
    return POINT{area.left + (width - size.cx) / 2, area.top + (height - size.cy) / 2};
}

bool PointInRect(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

TShiftState ShiftStateNow() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        s |= ssShift;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    if (GetKeyState(VK_CONTROL) < 0)
        s |= ssCtrl;
    return s;
}

HCURSOR CursorHandle(TCursor cursor) {
    // In the order of TCursor; crDefault has none of its own.
    static const LPCSTR kIds[] = {nullptr,    IDC_ARROW,    IDC_HAND,     IDC_IBEAM, IDC_SIZEWE,
                                  IDC_SIZENS, IDC_SIZENWSE, IDC_SIZENESW, IDC_WAIT};
    const LPCSTR id = kIds[static_cast<int>(cursor)];
    return id ? LoadCursorA(nullptr, id) : nullptr;
}

// ---- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    Font.OnChange = [this] {
        if (!FUpdatingParentFont)
            FParentFont = false;
        FontChanged();
    };
}

TControl::~TControl() {
    ReleaseHeldMouse();
    if (HintControl() == this)
        HideHint();
    if (FHookForm)
        FHookForm->RemoveMessageHook(this);
    if (FParent)
        FParent->RemoveControl(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FHookForm)
        FHookForm = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent)
        return;
    if (FParent)
        FParent->RemoveControl(this);
    FParent = parent;
    if (parent) {
        parent->InsertControl(this);
        if (FParentFont)
            ParentFontChanged(parent->Font);
    }
}

void TControl::ParentFontChanged(const TFont& font) {
    FUpdatingParentFont = true;
    Font.Assign(font);
    FUpdatingParentFont = false;
}

void TControl::SetParentFont(bool parentFont) {
    FParentFont = parentFont;
    if (parentFont && FParent)
        ParentFontChanged(FParent->Font);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    Invalidate();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    BoundsChanged();
    Invalidate();
}

void TControl::ChangeScale(int m, int d) {
    SetBounds(MulDiv(FLeft, m, d), MulDiv(FTop, m, d), MulDiv(FWidth, m, d), MulDiv(FHeight, m, d));
}

void TControl::SetAlign(TAlign align) {
    if (align == FAlign)
        return;
    FAlign = align;
    if (FParent)
        FParent->RealignControls();
}

void TControl::SetVisible(bool visible) {
    if (visible == FVisible)
        return;
    Invalidate();
    if (!visible)
        ReleaseHeldMouse();
    FVisible = visible;
    VisibleChanged();
    Invalidate();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled)
        return;
    if (!enabled)
        ReleaseHeldMouse();
    FEnabled = enabled;
    EnabledChanged();
    Invalidate();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FVisible)
            return false;
    return true;
}

bool TControl::EnabledChain() const {
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FEnabled)
            return false;
    return true;
}

void TControl::SetCaption(const std::string& caption) {
    if (caption == FCaption)
        return;
    FCaption = caption;
    TextChanged();
    Invalidate();
}

void TControl::SetColor(TColor color) {
    if (color == FColor)
        return;
    FColor = color;
    ColorChanged();
    Invalidate();
}

void TControl::Invalidate() {
    if (FParent && FParent->HandleAllocated() && FVisible) {
        RECT r = BoundsRect();
        InvalidateRect(FParent->Handle(), &r, FALSE);
    }
}

TCustomForm* TControl::Form() const {
    const TControl* c = this;
    while (c->FParent)
        c = c->FParent;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

POINT TControl::ClientToScreen(POINT p) const {
    for (const TControl* c = this; c; c = c->FParent) {
        if (c->IsWindowed()) {
            ::ClientToScreen(static_cast<const TWinControl*>(c)->Handle(), &p);
            return p;
        }
        p.x += c->FLeft;
        p.y += c->FTop;
    }
    return p;
}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
}

void TControl::Paint(TCanvas&) {}
void TControl::CaptureLost() {}
void TControl::FormMessage(UINT, WPARAM, LPARAM, LRESULT&) {}

TWinControl* TControl::MouseWindow() const {
    return IsWindowed() ? static_cast<TWinControl*>(const_cast<TControl*>(this)) : FParent;
}

bool TControl::MouseHeld() const {
    const TWinControl* window = MouseWindow();
    return window && window->FMouse.Holder == this;
}

void TControl::ReleaseHeldMouse() {
    if (MouseHeld()) {
        MouseWindow()->ReleaseMouse();
        CaptureLost();
    }
    if (!IsWindowed())
        return;
    // Disabling or hiding a parent takes the mouse from what is inside it.
    for (TControl* child : std::vector<TControl*>(static_cast<TWinControl*>(this)->FControls))
        child->ReleaseHeldMouse();
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == FCursor)
        return;
    FCursor = cursor;
    // Under the mouse now: ask the window again, as a mouse move would.
    const TWinControl* window = MouseWindow();
    if (!window || !window->HandleAllocated())
        return;
    POINT p{};
    if (GetCursorPos(&p) && WindowFromPoint(p) == window->FHandle)
        SendMessageA(window->FHandle, WM_SETCURSOR, reinterpret_cast<WPARAM>(window->FHandle),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void TControl::SetHint(const std::string& hint) {
    FHint = hint;
    if (HintControl() == this)
        UpdateHint(this);
}

void TControl::SetShowHint(bool show) {
    FShowHint = show;
    if (!show && HintControl() == this)
        HideHint();
}
void TControl::MouseDown(TMouseButton, TShiftState, int, int) {}
void TControl::MouseUp(TMouseButton, TShiftState, int, int) {}
void TControl::MouseMove(TShiftState, int, int) {}
void TControl::MouseEnter() {
    FMouseInControl = true;
}
void TControl::MouseLeave() {
    FMouseInControl = false;
}
bool TControl::DialogChar(char) {
    return false;
}

bool TControl::ShowsFocusCues() const {
    const TCustomForm* form = Form();
    return !form || form->ShowsCue(UISF_HIDEFOCUS);
}

bool TControl::ShowsAccelCues() const {
    const TCustomForm* form = Form();
    return !form || form->ShowsCue(UISF_HIDEACCEL);
}
void TControl::FontChanged() {
    Invalidate();
}
void TControl::EnabledChanged() {}
void TControl::VisibleChanged() {
    if (FParent && FAlign != TAlign::alNone)
        FParent->RealignControls();
}
void TControl::TextChanged() {}
void TControl::ColorChanged() {}
void TControl::BoundsChanged() {}
