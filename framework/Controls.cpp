#include "framework/Controls.h"

#include "framework/Errors.h"
#include "framework/Forms.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <map>

RECT MakeRect(int left, int top, int right, int bottom) {
    RECT r{left, top, right, bottom};
    return r;
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

// ---- hints

namespace {
// The one tooltip of the program; it tracks the control under the mouse.
struct THintState {
    HWND Tip = nullptr;
    const TControl* Control = nullptr;
    std::string Text;
    POINT At{};
};

THintState& Hints() {
    static THintState state;
    return state;
}

TTTOOLINFOA HintTool() {
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.uId = 1;
    return tool;
}

HWND HintWindow() {
    THintState& hints = Hints();
    if (!hints.Tip || !IsWindow(hints.Tip)) {
        hints.Tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                    WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
        TTTOOLINFOA tool = HintTool();
        tool.lpszText = const_cast<char*>("");
        SendMessageA(hints.Tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return hints.Tip;
}

void HideHint() {
    THintState& hints = Hints();
    if (!hints.Control)
        return;
    hints.Control = nullptr;
    hints.Text.clear();
    if (hints.Tip) {
        TTTOOLINFOA tool = HintTool();
        SendMessageA(hints.Tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    }
}

// Shows the hint of `control` (or none) where the control places it; a changed
// text of the same control is a new hint, placed anew.
void UpdateHint(const TControl* control) {
    if (!control || !control->ShowHint() || control->Hint().empty()) {
        HideHint();
        return;
    }
    THintState& hints = Hints();
    if (hints.Control == control && hints.Text == control->Hint())
        return;
    hints.Control = control;
    hints.Text = control->Hint();
    HWND tip = HintWindow();
    TTTOOLINFOA tool = HintTool();
    tool.lpszText = const_cast<char*>(hints.Text.c_str());
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    POINT p{};
    GetCursorPos(&p);
    hints.At = control->HintPosition(p);
    SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(hints.At.x, hints.At.y));
    SendMessageA(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}
} // namespace

const TControl* HintControl() {
    return Hints().Control;
}

const std::string& HintText() {
    return Hints().Text;
}

POINT HintPoint() {
    return Hints().At;
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

bool TControl::MouseHeld() const {
    if (IsWindowed())
        return static_cast<const TWinControl*>(this)->FMouseHeld;
    return FParent && FParent->FCaptureControl == this;
}

void TControl::ReleaseHeldMouse() {
    if (FParent && FParent->FCaptureControl == this) {
        FParent->FCaptureControl = nullptr;
        FParent->ReleaseOwnCapture();
        CaptureLost();
        return;
    }
    if (!IsWindowed())
        return;
    auto* self = static_cast<TWinControl*>(this);
    if (self->FMouseHeld) {
        self->FMouseHeld = false;
        self->ReleaseOwnCapture();
        CaptureLost();
    }
    // Disabling or hiding a parent takes the mouse from what is inside it.
    for (TControl* child : std::vector<TControl*>(self->FControls))
        child->ReleaseHeldMouse();
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == FCursor)
        return;
    FCursor = cursor;
    // Under the mouse now: ask the window again, as a mouse move would.
    const TWinControl* window = IsWindowed() ? static_cast<const TWinControl*>(this) : FParent;
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

// ---- TWinControl

namespace {
constexpr char kOwnClass[] = "KorvandelWindow";

// Our window class with the given class styles, registered on first use:
// the default styles keep the plain name, others get theirs appended.
std::string OwnClassFor(UINT classStyle, WNDPROC proc) {
    static std::map<UINT, std::string> classes;
    auto it = classes.find(classStyle);
    if (it != classes.end())
        return it->second;
    std::string name = kOwnClass;
    if (classStyle != CS_DBLCLKS) {
        char suffix[16];
        std::snprintf(suffix, sizeof(suffix), ".%X", classStyle);
        name += suffix;
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return name;
    classes.emplace(classStyle, name);
    return name;
}

UINT NextControlId() {
    static UINT id = 1000;
    return ++id;
}

TMouseButton ButtonOf(UINT msg) {
    switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return TMouseButton::mbRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return TMouseButton::mbMiddle;
    default:
        return TMouseButton::mbLeft;
    }
}

TShiftState ShiftOf(WPARAM wParam) {
    TShiftState s = 0;
    if (wParam & MK_SHIFT)
        s |= ssShift;
    if (wParam & MK_CONTROL)
        s |= ssCtrl;
    if (wParam & MK_LBUTTON)
        s |= ssLeft;
    if (wParam & MK_RBUTTON)
        s |= ssRight;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    return s;
}
} // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    for (TControl* child : FControls)
        child->FParent = nullptr;
    FControls.clear();
    DestroyHandle();
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.WindowClass = kOwnClass;
    params.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = 0;
    params.Caption = Caption();
}

HWND TWinControl::ParentHandle() const {
    return Parent() ? Parent()->FHandle : nullptr;
}

HWND TWinControl::Handle() const {
    if (!FHandle)
        const_cast<TWinControl*>(this)->HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded() {
    if (FHandle || FCreatingHandle)
        return;
    // The parent's window brings its children's with it.
    if (Parent() && !Parent()->FHandle) {
        Parent()->HandleNeeded();
        if (FHandle)
            return;
    }
    CreateHandle();
}

void TWinControl::CreateHandle() {
    if (FHandle || FCreatingHandle)
        return;
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !ParentHandle())
        return;
    if (Visible())
        params.Style |= WS_VISIBLE;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    FOwnClass = params.WindowClass == kOwnClass;
    if (FOwnClass)
        params.WindowClass = OwnClassFor(params.WindowClassStyle, StaticWndProc);
    FCreatingHandle = true;
    FControlId = (params.Style & WS_CHILD) ? NextControlId() : 0;
    HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(FControlId));
    HWND parent = ParentHandle();
    if (!parent && !(params.Style & WS_CHILD))
        parent = params.WndParent;
    HWND hwnd = CreateWindowExA(params.ExStyle, params.WindowClass.c_str(), params.Caption.c_str(),
                                params.Style, Left(), Top(), Width(), Height(), parent, id,
                                GetModuleHandleA(nullptr), this);
    FCreatingHandle = false;
    if (!hwnd)
        return;
    if (!FOwnClass) {
        // A system control: bind and subclass after the fact.
        FHandle = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        FDefWndProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
    }
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Handle()), FALSE);
    HandleCreated();
    for (TControl* child : FControls)
        if (child->IsWindowed())
            static_cast<TWinControl*>(child)->CreateHandle();
    RealignControls();
}

void TWinControl::DestroyHandle() {
    if (!FHandle)
        return;
    HWND hwnd = FHandle;
    DestroyWindow(hwnd);
    FHandle = nullptr;
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam,
                                            LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<TWinControl*>(cs->lpCreateParams);
        self->FHandle = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->WindowProc(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's code.
        ReportBoundaryException(msg == WM_PAINT   ? "paint"
                                : msg == WM_TIMER ? "timer"
                                                  : "window procedure");
    }
    // The window is gone: unbind it even when its handler threw.
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        if (self->FDefWndProc)
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->FDefWndProc));
        self->FHandle = nullptr;
    }
    return result;
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (FDefWndProc)
        return CallWindowProcA(FDefWndProc, FHandle, msg, wParam, lParam);
    return DefWindowProcA(FHandle, msg, wParam, lParam);
}

void TWinControl::RefreshFrame() {
    if (HandleAllocated())
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    HandleNeeded();
    return HandleAllocated() ? WindowProc(msg, wParam, lParam) : 0;
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
    // Only a window whose procedure is ours carries our object.
    if (!hwnd || GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(StaticWndProc))
        return nullptr;
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return self && self->FHandle == hwnd ? self : nullptr;
}

LRESULT TWinControl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        if (FOwnClass)
            return 1;
        break;
    case WM_PAINT:
        if (FOwnClass) {
            WmPaint();
            return 0;
        }
        break;
    case WM_WINDOWPOSCHANGED:
        FollowWindowBounds();
        break;
    case WM_SIZE:
        RealignControls();
        Resize();
        break;
    case WM_COMMAND:
        if (auto* child = FromHandle(reinterpret_cast<HWND>(lParam)))
            if (child->HandleCommand(HIWORD(wParam)))
                return 0;
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (auto* child = FromHandle(header->hwndFrom))
            if (child->HandleNotify(header, result))
                return result;
        break;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (auto* child = FromHandle(item->hwndItem))
            if (child->HandleDrawItem(item))
                return TRUE;
        break;
    }
    case WM_MEASUREITEM: {
        // Found among our own children by the id each was made with: the
        // system's child lookup asks the window server, and this message
        // comes once for every item added to an owner-drawn list.
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        for (TControl* c : FControls) {
            auto* child = c->IsWindowed() ? static_cast<TWinControl*>(c) : nullptr;
            if (child && child->HandleAllocated() && child->FControlId == item->CtlID) {
                if (child->HandleMeasureItem(item))
                    return TRUE;
                break;
            }
        }
        break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (auto* child = FromHandle(reinterpret_cast<HWND>(lParam)))
            if (HBRUSH brush = child->HandleCtlColor(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_SETFOCUS: {
        LRESULT r = DefaultHandler(msg, wParam, lParam);
        if (TCustomForm* form = Form())
            form->FocusChanged(this);
        DoEnter();
        return r;
    }
    case WM_KILLFOCUS: {
        LRESULT r = DefaultHandler(msg, wParam, lParam);
        DoExit();
        return r;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(wParam);
        KeyDown(key, ShiftStateNow());
        if (!key)
            return 0;
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = static_cast<WORD>(wParam);
        KeyUp(key, ShiftStateNow());
        if (!key)
            return 0;
        break;
    }
    case WM_CHAR: {
        char ch = static_cast<char>(wParam);
        KeyPress(ch);
        if (!ch)
            return 0;
        wParam = static_cast<unsigned char>(ch);
        break;
    }
    case WM_TIMER:
        TimerTick(wParam);
        return 0;
    case WM_MOUSELEAVE:
        FTracking = false;
        UpdateHover(nullptr);
        if (MouseInControl())
            MouseLeave();
        if (const TControl* hint = HintControl())
            if (hint == this || hint->Parent() == this)
                HideHint();
        break;
    case WM_CAPTURECHANGED:
        // Our own releases are no loss; a capture that moved elsewhere is.
        if (!FReleasingCapture && reinterpret_cast<HWND>(lParam) != FHandle)
            MouseCaptureChanged();
        break;
    case WM_CANCELMODE:
        ReleaseOwnCapture();
        MouseCaptureChanged();
        break;
    case WM_SETCURSOR:
        if (SetCursorFor(lParam) && reinterpret_cast<HWND>(wParam) == FHandle)
            return TRUE;
        break;
    default:
        if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) {
            // A disabled control takes no mouse input, even when sent to it.
            if (!EnabledChain())
                return 0;
            if (RouteMouse(msg, wParam, lParam))
                return 0;
        }
        break;
    }
    return DefaultHandler(msg, wParam, lParam);
}

void TWinControl::ReleaseOwnCapture() {
    if (!FHandle || GetCapture() != FHandle)
        return;
    FReleasingCapture = true;
    ReleaseCapture();
    FReleasingCapture = false;
}

void TWinControl::MouseCaptureChanged() {
    if (TControl* child = std::exchange(FCaptureControl, nullptr))
        child->CaptureLost();
    if (std::exchange(FMouseHeld, false))
        CaptureLost();
}

TControl* TWinControl::ControlAt(int x, int y) {
    TControl* child = ControlAtPos(x, y);
    return child ? child : this;
}

bool TWinControl::SetCursorFor(LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT || !FHandle)
        return false;
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(FHandle, &p);
    // The first control up from the one under the mouse that names a cursor.
    for (const TControl* c = ControlAt(p.x, p.y); c; c = c->Parent())
        if (c->Cursor() != TCursor::crDefault) {
            ::SetCursor(CursorHandle(c->Cursor()));
            return true;
        }
    return false;
}

bool TWinControl::RouteMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    const TShiftState shift =
        ShiftOf(wParam) | (msg == WM_LBUTTONDBLCLK ? TShiftState{ssDouble} : 0u);
    if (!FTracking) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, FHandle, 0};
        FTracking = TrackMouseEvent(&tme) != FALSE;
    }
    // Hover follows the cursor, also while the mouse is captured and moves outside.
    const bool inside = PointInRect(ClientRect(), x, y);
    if (inside && !MouseInControl())
        MouseEnter();
    else if (!inside && MouseInControl())
        MouseLeave();
    TControl* const under = ControlAtPos(x, y);
    TControl* target = FCaptureControl ? FCaptureControl : under;
    if (msg == WM_MOUSEMOVE) {
        // A control that holds the mouse is hot only while the mouse is on it.
        UpdateHover(FCaptureControl && under != FCaptureControl ? nullptr : under);
        UpdateHint(under ? under : this);
    }
    if (!target) {
        switch (msg) {
        case WM_MOUSEMOVE:
            MouseMove(shift, x, y);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // Our own windows hold the mouse from a press to its release.
            if (FOwnClass) {
                FMouseHeld = true;
                SetCapture(FHandle);
            }
            MouseDown(ButtonOf(msg), shift, x, y);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (std::exchange(FMouseHeld, false))
                ReleaseOwnCapture();
            MouseUp(ButtonOf(msg), shift, x, y);
            break;
        default:
            break;
        }
        return false;
    }
    const int cx = x - target->Left(), cy = y - target->Top();
    switch (msg) {
    case WM_MOUSEMOVE:
        target->MouseMove(shift, cx, cy);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        FCaptureControl = target;
        SetCapture(FHandle);
        target->MouseDown(ButtonOf(msg), shift, cx, cy);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        FCaptureControl = nullptr;
        ReleaseOwnCapture();
        target->MouseUp(ButtonOf(msg), shift, cx, cy);
        break;
    default:
        break;
    }
    return true;
}

void TWinControl::UpdateHover(TControl* control) {
    if (control == FMouseControl)
        return;
    TControl* old = FMouseControl;
    FMouseControl = control;
    if (old)
        old->MouseLeave();
    if (control)
        control->MouseEnter();
}

TControl* TWinControl::ControlAtPos(int x, int y) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (!c->IsWindowed() && c->Visible() && c->Enabled() && PointInRect(c->BoundsRect(), x, y))
            return c;
    }
    return nullptr;
}

void TWinControl::WmPaint() {
    const TPaintScope paint(FHandle);
    const RECT& r = paint.PaintRect();
    if (IsRectEmpty(&r))
        return;
    if (!FDoubleBuffered) {
        TCanvas canvas(paint.DC());
        PaintTo(canvas);
        return;
    }
    RECT client;
    GetClientRect(FHandle, &client);
    FBuffer.SetSize(std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
    HDC buffer = FBuffer.Canvas().Handle();
    {
        // Only the invalid part is painted and copied.
        const TDCStateScope state(buffer);
        IntersectClipRect(buffer, r.left, r.top, r.right, r.bottom);
        TCanvas canvas(buffer);
        PaintTo(canvas);
    }
    BitBlt(paint.DC(), r.left, r.top, r.right - r.left, r.bottom - r.top, buffer, r.left, r.top,
           SRCCOPY);
}

void TWinControl::PaintTo(TCanvas& canvas) {
    canvas.Font = Font;
    PaintWindow(canvas);
}

void TWinControl::PaintWindow(TCanvas& canvas) {
    canvas.Brush.SetColor(Color());
    canvas.FillRect(ClientRect());
    PaintControls(canvas);
}

void TWinControl::PaintControls(TCanvas& canvas) {
    HDC dc = canvas.Handle();
    RECT clip;
    const int region = GetClipBox(dc, &clip);
    if (region == NULLREGION)
        return;
    for (TControl* c : FControls) {
        if (c->IsWindowed() || !c->Visible())
            continue;
        // Without a clip box every child paints.
        RECT bounds = c->BoundsRect(), common;
        if (region != ERROR && !IntersectRect(&common, &clip, &bounds))
            continue;
        const TDCStateScope state(dc);
        OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        TCanvas childCanvas(dc);
        childCanvas.Font = c->Font;
        c->Paint(childCanvas);
    }
}

void TWinControl::ChangeScale(int m, int d) {
    for (TControl* c : std::vector<TControl*>(FControls))
        c->ChangeScale(m, d);
    TControl::ChangeScale(m, d);
}

void TWinControl::RealignControls() {
    RECT area = ClientRect();
    for (TControl* c : FControls) {
        if (!c->Visible())
            continue;
        switch (c->Align()) {
        case TAlign::alTop:
            c->SetBounds(area.left, area.top, area.right - area.left, c->Height());
            area.top += c->Height();
            break;
        case TAlign::alBottom:
            c->SetBounds(area.left, area.bottom - c->Height(), area.right - area.left, c->Height());
            area.bottom -= c->Height();
            break;
        default:
            break;
        }
    }
    for (TControl* c : FControls)
        if (c->Visible() && c->Align() == TAlign::alClient)
            c->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

void TWinControl::InsertControl(TControl* control) {
    FControls.push_back(control);
    if (control->IsWindowed()) {
        auto* win = static_cast<TWinControl*>(control);
        if (win->FTabOrder < 0) {
            int count = 0;
            for (TControl* c : FControls)
                if (c->IsWindowed() && c != control)
                    ++count;
            win->FTabOrder = count;
        }
        if (FHandle)
            win->CreateHandle();
    }
    if (control->Align() != TAlign::alNone)
        RealignControls();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
    control->Invalidate();
    if (FMouseControl == control)
        FMouseControl = nullptr;
    if (FCaptureControl == control)
        FCaptureControl = nullptr;
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent == Parent())
        return;
    TControl::SetParent(parent);
    if (FHandle && parent && parent->Handle())
        ::SetParent(FHandle, parent->FHandle);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (left == Left() && top == Top() && width == Width() && height == Height())
        return;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (FHandle)
        MoveWindow(FHandle, left, top, width, height, TRUE);
    BoundsChanged();
}

void TWinControl::FollowWindowBounds() {
    // A minimised window's icon is no size of the control's.
    if (IsIconic(FHandle))
        return;
    RECT r;
    GetWindowRect(FHandle, &r);
    if (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(nullptr, GetParent(FHandle), reinterpret_cast<POINT*>(&r), 2);
    if (r.left == Left() && r.top == Top() && r.right - r.left == Width() &&
        r.bottom - r.top == Height())
        return;
    FLeft = r.left;
    FTop = r.top;
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
    BoundsChanged();
}

void TWinControl::Invalidate() {
    if (FHandle)
        InvalidateRect(FHandle, nullptr, FALSE);
}

void TWinControl::Update() {
    if (FHandle)
        UpdateWindow(FHandle);
}

void TWinControl::SetTabOrder(int order) {
    FTabOrder = order;
}

bool TWinControl::CanFocus() const {
    return FHandle && Showing() && EnabledChain();
}

void TWinControl::SetFocus() {
    if (CanFocus())
        ::SetFocus(FHandle);
}

bool TWinControl::Focused() const {
    return FHandle && GetFocus() == FHandle;
}

std::vector<TWinControl*> TWinControl::TabList() const {
    std::vector<TWinControl*> children;
    for (TControl* c : FControls)
        if (c->IsWindowed())
            children.push_back(static_cast<TWinControl*>(c));
    std::stable_sort(children.begin(), children.end(),
                     [](TWinControl* a, TWinControl* b) { return a->FTabOrder < b->FTabOrder; });
    std::vector<TWinControl*> list;
    for (TWinControl* c : children) {
        if (c->FTabStop)
            list.push_back(c);
        std::vector<TWinControl*> inner = c->TabList();
        list.insert(list.end(), inner.begin(), inner.end());
    }
    return list;
}

TCanvas& TWinControl::MeasureCanvas() {
    if (!FMeasure)
        FMeasure = std::make_unique<TBitmap>(1, 1);
    FMeasure->Canvas().Font = Font;
    return FMeasure->Canvas();
}

void TWinControl::HandleCreated() {}

bool TWinControl::HandleCommand(WORD) {
    return false;
}
bool TWinControl::HandleNotify(NMHDR*, LRESULT&) {
    return false;
}
bool TWinControl::HandleDrawItem(DRAWITEMSTRUCT*) {
    return false;
}
bool TWinControl::HandleMeasureItem(MEASUREITEMSTRUCT*) {
    return false;
}

HBRUSH TWinControl::HandleCtlColor(HDC dc) {
    SetTextColor(dc, ColorToRGB(Font.Color()));
    SetBkColor(dc, ColorToRGB(Color()));
    if (!FCtlBrush)
        FCtlBrush.Reset(CreateSolidBrush(ColorToRGB(Color())));
    return FCtlBrush.Get();
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}
void TWinControl::KeyUp(WORD&, TShiftState) {}
void TWinControl::KeyPress(char&) {}
void TWinControl::DoEnter() {
    if (OnEnter)
        OnEnter(this);
}
void TWinControl::DoExit() {
    if (OnExit)
        OnExit(this);
}
void TWinControl::Resize() {}
void TWinControl::TimerTick(UINT_PTR) {}

void TWinControl::FontChanged() {
    if (FHandle) {
        SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Handle()), TRUE);
        Invalidate();
    }
    for (TControl* c : FControls)
        if (c->ParentFont())
            c->ParentFontChanged(Font);
}

bool TWinControl::ContainsFocus() const {
    HWND focus = GetFocus();
    return FHandle && focus && (focus == FHandle || IsChild(FHandle, focus));
}

void TWinControl::EnabledChanged() {
    const bool losesFocus = !Enabled() && ContainsFocus();
    if (FHandle)
        EnableWindow(FHandle, Enabled());
    if (losesFocus)
        if (TCustomForm* form = Form())
            form->FocusLeaving(this);
}

void TWinControl::VisibleChanged() {
    const bool losesFocus = !Visible() && ContainsFocus();
    if (FHandle)
        ShowWindow(FHandle, Visible() ? SW_SHOWNA : SW_HIDE);
    TControl::VisibleChanged();
    if (losesFocus)
        if (TCustomForm* form = Form())
            form->FocusLeaving(this);
}

void TWinControl::TextChanged() {
    if (FHandle)
        SetWindowTextA(FHandle, Caption().c_str());
}

void TWinControl::ColorChanged() {
    FCtlBrush.Reset();
}

// ---- TTimer

namespace {
std::map<UINT_PTR, TTimer*>& Timers() {
    static std::map<UINT_PTR, TTimer*> timers;
    return timers;
}
} // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    Restart();
}

TTimer::~TTimer() {
    FEnabled = false;
    Restart();
}

void TTimer::SetInterval(unsigned ms) {
    if (ms != FInterval) {
        FInterval = ms;
        Restart();
    }
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled != FEnabled) {
        FEnabled = enabled;
        Restart();
    }
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    Restart();
}

void TTimer::Restart() {
    if (FId) {
        KillTimer(nullptr, FId);
        Timers().erase(FId);
        FId = 0;
    }
    if (FEnabled && FInterval > 0 && FOnTimer) {
        FId = SetTimer(nullptr, 0, FInterval, TimerProc);
        if (FId)
            Timers()[FId] = this;
    }
}

void TTimer::Tick() {
    if (FOnTimer)
        FOnTimer(this);
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    auto it = Timers().find(id);
    if (it == Timers().end())
        return;
    try {
        it->second->Tick();
    } catch (...) {
        // A timer handler must not unwind into the message loop.
        ReportBoundaryException("timer");
    }
}
