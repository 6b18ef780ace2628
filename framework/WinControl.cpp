#include "framework/Controls.h"

#include "framework/Errors.h"
#include "framework/Forms.h"
#include "framework/HintWindow.h"
#include "framework/WindowClass.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace {
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
    if (!hwnd) {
        ReportSystemFailure("window creation", "CreateWindowEx " + params.WindowClass,
                            GetLastError());
        return;
    }
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

LRESULT TWinControl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    std::optional<LRESULT> result;
    switch (msg) {
    case WM_ERASEBKGND:
    case WM_PAINT:
        result = OnPaintMessage(msg);
        break;
    case WM_WINDOWPOSCHANGED:
        FollowWindowBounds();
        break;
    case WM_SIZE:
        RealignControls();
        Resize();
        break;
    case WM_TIMER:
        TimerTick(wParam);
        return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        result = OnChildNotification(msg, wParam, lParam);
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return OnFocusMessage(msg, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
        result = OnKeyMessage(msg, wParam);
        break;
    default:
        result = OnMouseMessage(msg, wParam, lParam);
        break;
    }
    return result ? *result : DefaultHandler(msg, wParam, lParam);
}

std::optional<LRESULT> TWinControl::OnPaintMessage(UINT msg) {
    // System controls paint themselves.
    if (!FOwnClass)
        return std::nullopt;
    if (msg == WM_PAINT)
        WmPaint();
    // The background is part of the painting: erasing it first would flicker.
    return msg == WM_ERASEBKGND ? 1 : 0;
}

std::optional<LRESULT> TWinControl::OnChildNotification(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
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
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (TWinControl* child = ChildWithId(item->CtlID))
            if (child->HandleMeasureItem(item))
                return TRUE;
        break;
    }
    default: // WM_CTLCOLOR*
        if (auto* child = FromHandle(reinterpret_cast<HWND>(lParam)))
            if (HBRUSH brush = child->HandleCtlColor(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    }
    return std::nullopt;
}

TWinControl* TWinControl::ChildWithId(UINT id) const {
    // Found among our own children by the id each was made with: the system's
    // child lookup asks the window server, and WM_MEASUREITEM comes once for
    // every item added to an owner-drawn list.
    for (TControl* c : FControls) {
        auto* child = c->IsWindowed() ? static_cast<TWinControl*>(c) : nullptr;
        if (child && child->HandleAllocated() && child->FControlId == id)
            return child;
    }
    return nullptr;
}

LRESULT TWinControl::OnFocusMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The system control moves its caret and repaints first.
    const LRESULT result = DefaultHandler(msg, wParam, lParam);
    if (msg == WM_SETFOCUS) {
        if (TCustomForm* form = Form())
            form->FocusChanged(this);
        DoEnter();
    } else {
        DoExit();
    }
    return result;
}

std::optional<LRESULT> TWinControl::OnKeyMessage(UINT msg, WPARAM& wParam) {
    // A handler that clears the key or character keeps it from the system control.
    if (msg == WM_CHAR) {
        char ch = static_cast<char>(wParam);
        KeyPress(ch);
        if (!ch)
            return 0;
        wParam = static_cast<unsigned char>(ch);
        return std::nullopt;
    }
    WORD key = static_cast<WORD>(wParam);
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN)
        KeyDown(key, ShiftStateNow());
    else
        KeyUp(key, ShiftStateNow());
    return key ? std::nullopt : std::optional<LRESULT>(0);
}

std::optional<LRESULT> TWinControl::OnMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSELEAVE:
        WmMouseLeave();
        break;
    case WM_CAPTURECHANGED:
        // Our own releases are no loss; a capture that moved elsewhere is.
        if (!FMouse.Releasing && reinterpret_cast<HWND>(lParam) != FHandle)
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
        if (msg < WM_MOUSEFIRST || msg > WM_MOUSELAST || msg == WM_MOUSEWHEEL)
            break;
        // A disabled control takes no mouse input, even when sent to it.
        if (!EnabledChain() || RouteMouse(msg, wParam, lParam))
            return 0;
        break;
    }
    return std::nullopt;
}

void TWinControl::WmMouseLeave() {
    FMouse.Tracking = false;
    UpdateHover(nullptr);
    if (MouseInControl())
        MouseLeave();
    if (const TControl* hint = HintControl())
        if (hint == this || hint->Parent() == this)
            HideHint();
}

void TWinControl::HoldMouse(TControl* holder) {
    FMouse.Holder = holder;
    SetCapture(FHandle);
}

void TWinControl::ReleaseMouse() {
    FMouse.Holder = nullptr;
    ReleaseOwnCapture();
}

void TWinControl::ReleaseOwnCapture() {
    if (!FHandle || GetCapture() != FHandle)
        return;
    FMouse.Releasing = true;
    ReleaseCapture();
    FMouse.Releasing = false;
}

void TWinControl::MouseCaptureChanged() {
    if (TControl* holder = std::exchange(FMouse.Holder, nullptr))
        holder->CaptureLost();
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

namespace {
bool IsButtonPress(UINT msg) {
    return msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN ||
           msg == WM_MBUTTONDOWN;
}

bool IsButtonRelease(UINT msg) {
    return msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
}
} // namespace

bool TWinControl::RouteMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    const TShiftState shift =
        ShiftOf(wParam) | (msg == WM_LBUTTONDBLCLK ? TShiftState{ssDouble} : 0u);
    if (!FMouse.Tracking) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, FHandle, 0};
        FMouse.Tracking = TrackMouseEvent(&tme) != FALSE;
    }
    // Hover follows the cursor, also while the mouse is captured and moves outside.
    const bool inside = PointInRect(ClientRect(), x, y);
    if (inside && !MouseInControl())
        MouseEnter();
    else if (!inside && MouseInControl())
        MouseLeave();
    TControl* const under = ControlAtPos(x, y);
    TControl* const heldChild = FMouse.Holder != this ? FMouse.Holder : nullptr;
    if (msg == WM_MOUSEMOVE) {
        // A control that holds the mouse is hot only while the mouse is on it.
        UpdateHover(heldChild && under != heldChild ? nullptr : under);
        UpdateHint(under ? under : this);
    }
    TControl* const target = heldChild ? heldChild : under;
    if (!target) {
        MouseToSelf(msg, shift, x, y);
        return false;
    }
    const int cx = x - target->Left(), cy = y - target->Top();
    if (msg == WM_MOUSEMOVE) {
        target->MouseMove(shift, cx, cy);
    } else if (IsButtonPress(msg)) {
        HoldMouse(target);
        target->MouseDown(ButtonOf(msg), shift, cx, cy);
    } else if (IsButtonRelease(msg)) {
        ReleaseMouse();
        target->MouseUp(ButtonOf(msg), shift, cx, cy);
    }
    return true;
}

void TWinControl::MouseToSelf(UINT msg, TShiftState shift, int x, int y) {
    if (msg == WM_MOUSEMOVE) {
        MouseMove(shift, x, y);
    } else if (IsButtonPress(msg)) {
        // Our own windows hold the mouse from a press to its release.
        if (FOwnClass)
            HoldMouse(this);
        MouseDown(ButtonOf(msg), shift, x, y);
    } else if (IsButtonRelease(msg)) {
        if (FMouse.Holder == this)
            ReleaseMouse();
        MouseUp(ButtonOf(msg), shift, x, y);
    }
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
    if (FMouse.Holder == control)
        FMouse.Holder = nullptr;
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
    // Stable: controls of equal tab order keep the order they were made in.
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
