#include "framework/Forms.h"

#include "framework/Errors.h"

#include <objidl.h>
#include <ole2.h>
#include <gdiplus.h>

#include <algorithm>
#include <vector>

TApplication* Application = nullptr;

// ---- TCustomForm

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    SetColor(clBtnFace);
}

TCustomForm::~TCustomForm() {
    // The controls refer to the form; they go before any of its members.
    DestroyComponents();
    if (Application && Application->MainForm() == this)
        Application->SetMainForm(nullptr);
}

void TCustomForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    switch (FBorderStyle) {
    case TFormBorderStyle::bsNone:
        // No frame, but the task bar still offers minimise and close.
        params.Style |= WS_SYSMENU | WS_MINIMIZEBOX;
        break;
    case TFormBorderStyle::bsSingle:
        params.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_BORDER;
        break;
    case TFormBorderStyle::bsSizeable:
        params.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
        break;
    case TFormBorderStyle::bsDialog:
        params.Style |= WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    params.ExStyle |= WS_EX_CONTROLPARENT;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == FBorderStyle)
        return;
    FBorderStyle = style;
    if (HandleAllocated()) {
        TCreateParams params;
        CreateParams(params);
        SetWindowLongA(Handle(), GWL_STYLE,
                       static_cast<LONG>(params.Style | (Visible() ? WS_VISIBLE : 0)));
        SetWindowLongA(Handle(), GWL_EXSTYLE, static_cast<LONG>(params.ExStyle));
        RefreshFrame();
    }
}

namespace {
// The frame around the client area of a window with these parameters.
RECT FrameOf(const TCreateParams& params) {
    RECT r = MakeRect(0, 0, 0, 0);
    AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
    return r;
}
} // namespace

void TCustomForm::SetClientSize(int width, int height) {
    TCreateParams params;
    CreateParams(params);
    const RECT frame = FrameOf(params);
    SetBounds(Left(), Top(), width + frame.right - frame.left, height + frame.bottom - frame.top);
}

RECT TCustomForm::ClientRect() const {
    RECT r = MakeRect(0, 0, 0, 0);
    if (HandleAllocated()) {
        GetClientRect(Handle(), &r);
        return r;
    }
    // No window yet: what the window will have.
    TCreateParams params;
    const_cast<TCustomForm*>(this)->CreateParams(params);
    const RECT frame = FrameOf(params);
    return MakeRect(0, 0, std::max<LONG>(0, Width() - (frame.right - frame.left)),
                    std::max<LONG>(0, Height() - (frame.bottom - frame.top)));
}

int TCustomForm::ScaleToScreen(int designPixels) const {
    return FScaled && FPixelsPerInch > 0
               ? MulDiv(designPixels, ScreenPixelsPerInch(), FPixelsPerInch)
               : designPixels;
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    const int screen = ScreenPixelsPerInch();
    if (!FScaled || FPixelsPerInch <= 0 || screen == FPixelsPerInch)
        return;
    // Only the client area scales: the frame is the system's, and the place
    // is where the form is put on the screen.
    const RECT client = TCustomForm::ClientRect();
    for (TControl* c : std::vector<TControl*>(Controls()))
        c->ChangeScale(screen, FPixelsPerInch);
    SetClientSize(MulDiv(client.right, screen, FPixelsPerInch),
                  MulDiv(client.bottom, screen, FPixelsPerInch));
    RealignControls();
}

void TCustomForm::CenterOnScreen() {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const POINT at = CentredIn(work, SIZE{Width(), Height()});
    SetBounds(at.x, at.y, Width(), Height());
}

void TCustomForm::Show() {
    const bool first = !FShownOnce;
    if (first) {
        FShownOnce = true;
        if (FPosition == TPosition::poScreenCenter)
            CenterOnScreen();
    }
    HandleNeeded();
    // Focus rectangles and underlines wait for the keyboard.
    if (first)
        SendMessageA(Handle(), WM_UPDATEUISTATE,
                     MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    SetVisible(true);
    SetForegroundWindow(Handle());
    if (!FActiveControl) {
        std::vector<TWinControl*> tabs = TabList();
        for (TWinControl* c : tabs)
            if (c->CanFocus()) {
                SetReference(FActiveControl, c);
                break;
            }
    }
    if (FActiveControl)
        FActiveControl->SetFocus();
}

void TCustomForm::Close() {
    DoClose();
}

void TCustomForm::DoClose() {
    if (FModal)
        FModalResult = mrCancel;
    else if (Application && Application->MainForm() == this)
        Application->Terminate();
    else
        Hide();
}

namespace {
BOOL CALLBACK CollectEnabledWindow(HWND hwnd, LPARAM list) {
    if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}
} // namespace

namespace {
// Disables every other window of the thread for one modal loop and enables
// them again however the loop is left, an exception included.
class TModalScope {
  public:
    TModalScope(HWND form, bool& modal) : FModal(modal) {
        EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow,
                          reinterpret_cast<LPARAM>(&FDisabled));
        FDisabled.erase(std::remove(FDisabled.begin(), FDisabled.end(), form), FDisabled.end());
        for (HWND hwnd : FDisabled)
            EnableWindow(hwnd, FALSE);
        FModal = true;
    }
    ~TModalScope() {
        for (HWND hwnd : FDisabled)
            EnableWindow(hwnd, TRUE);
        FModal = false;
    }
    TModalScope(const TModalScope&) = delete;
    TModalScope& operator=(const TModalScope&) = delete;

  private:
    std::vector<HWND> FDisabled;
    bool& FModal;
};
} // namespace

int TCustomForm::ShowModal() {
    {
        TModalScope scope(Handle(), FModal);
        FModalResult = mrNone;
        Show();
        while (FModalResult == mrNone) {
            if (!Application || Application->Terminated()) {
                FModalResult = mrCancel;
                break;
            }
            Application->HandleMessage();
            if (FModalResult != mrNone && !CloseQuery())
                FModalResult = mrNone;
        }
    }
    Hide();
    return FModalResult;
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FActiveControl)
        FActiveControl = nullptr;
    std::erase(FMessageHooks, component);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    SetReference(FActiveControl, control);
    if (control && Visible())
        control->SetFocus();
}

void TCustomForm::FocusChanged(TWinControl* control) {
    if (control != this)
        SetReference(FActiveControl, control);
}

namespace {
bool Within(const TControl* control, const TControl* container) {
    for (const TControl* c = control; c; c = c->Parent())
        if (c == container)
            return true;
    return false;
}
} // namespace

TWinControl* TCustomForm::NextControl(const TWinControl* from, bool forward) const {
    const std::vector<TWinControl*> list = TabList();
    const std::size_t n = list.size();
    // Where `from` stands: its own entry, from which Tab goes on into the
    // stops inside it (an edit's button), or, for a control that is no stop
    // itself, the entry of the last control inside it.
    std::size_t at = n;
    bool listed = false;
    for (std::size_t i = 0; i < n && from && !listed; ++i) {
        listed = list[i] == from;
        if (listed || Within(list[i], from))
            at = i;
    }
    for (std::size_t step = 1; step <= n; ++step) {
        std::size_t i;
        if (at == n)
            i = forward ? step - 1 : n - step;
        else
            i = forward ? (at + step) % n : (at + n - step) % n;
        // Not `from` itself, nor what lies inside a control that is no stop.
        const bool skipped = from && Within(list[i], from) && (!listed || list[i] == from);
        if (list[i]->CanFocus() && !skipped)
            return list[i];
    }
    return nullptr;
}

void TCustomForm::SelectNext(bool forward) {
    // The focus may sit in a window inside a control (an edit in a composite).
    const TWinControl* current = nullptr;
    for (TWinControl* c : TabList())
        if (c->ContainsFocus())
            current = c;
    if (TWinControl* next = NextControl(current, forward))
        next->SetFocus();
}

void TCustomForm::FocusLeaving(TWinControl* control) {
    if (TWinControl* next = NextControl(control, true))
        next->SetFocus();
    else if (HandleAllocated())
        // Nothing can take it: the form keeps the keyboard for its dialog keys.
        ::SetFocus(Handle());
}

void TCustomForm::AddMessageHook(TControl* control) {
    if (!control || control->FHookForm == this)
        return;
    if (control->FHookForm)
        control->FHookForm->RemoveMessageHook(control);
    control->FHookForm = this;
    FMessageHooks.push_back(control);
    // Each side hears of the other's end: the form drops the hook, the
    // control its form.
    FreeNotification(control);
}

void TCustomForm::RemoveMessageHook(TControl* control) {
    if (!control || control->FHookForm != this)
        return;
    control->FHookForm = nullptr;
    FMessageHooks.erase(std::remove(FMessageHooks.begin(), FMessageHooks.end(), control),
                        FMessageHooks.end());
}

void TCustomForm::CallMessageHooks(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // A hook may free or unhook controls, itself included.
    for (TControl* control : std::vector<TControl*>(FMessageHooks))
        if (std::find(FMessageHooks.begin(), FMessageHooks.end(), control) != FMessageHooks.end())
            control->FormMessage(msg, wParam, lParam, result);
}

namespace {
template <class F> bool ForEachControl(const TWinControl* parent, F&& f) {
    for (TControl* c : parent->Controls()) {
        if (f(c))
            return true;
        if (c->IsWindowed() && ForEachControl(static_cast<TWinControl*>(c), f))
            return true;
    }
    return false;
}
} // namespace

TControl* TCustomForm::FindButton(bool defaultButton) const {
    TControl* found = nullptr;
    ForEachControl(this, [&](TControl* c) {
        if ((defaultButton ? c->IsDefaultButton() : c->IsCancelButton()) && c->Showing() &&
            c->EnabledChain()) {
            found = c;
            return true;
        }
        return false;
    });
    return found;
}

bool TCustomForm::AcceleratorChar(char ch) {
    return ForEachControl(
        this, [ch](TControl* c) { return c->Showing() && c->EnabledChain() && c->DialogChar(ch); });
}

bool TCustomForm::ShowsCue(WORD cue) const {
    BOOL always = FALSE;
    if (SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &always, 0) && always)
        return true;
    return !(FHiddenCues & cue);
}

void TCustomForm::ShowKeyboardCues(WORD cues) {
    // Through the system, which passes the state on to the system controls
    // inside (their own focus rectangles) and back to the form.
    if ((FHiddenCues & cues) && HandleAllocated())
        SendMessageA(Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, cues), 0);
}

void TCustomForm::UpdateCues(WORD action, WORD cues) {
    const WORD before = FHiddenCues;
    if (action == UIS_SET)
        FHiddenCues |= cues;
    else if (action == UIS_CLEAR)
        FHiddenCues &= static_cast<WORD>(~cues);
    if (FHiddenCues == before)
        return;
    Invalidate();
    ForEachControl(this, [](TControl* c) {
        if (c->IsWindowed())
            c->Invalidate();
        return false;
    });
}

bool TCustomForm::DialogKey(const MSG& msg) {
    if (msg.message == WM_KEYDOWN && KeyPreview) {
        WORD key = static_cast<WORD>(msg.wParam);
        KeyDown(key, ShiftStateNow());
        if (!key)
            return true;
    }
    if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_MENU)
        ShowKeyboardCues(UISF_HIDEACCEL);
    if (msg.message == WM_SYSCHAR)
        return AcceleratorChar(static_cast<char>(msg.wParam));
    if (msg.message != WM_KEYDOWN)
        return false;
    const LRESULT code =
        SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    switch (msg.wParam) {
    case VK_TAB:
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))
            return false;
        if (GetKeyState(VK_CONTROL) < 0)
            return false;
        ShowKeyboardCues(UISF_HIDEFOCUS);
        SelectNext(GetKeyState(VK_SHIFT) >= 0);
        return true;
    case VK_RETURN:
    case VK_ESCAPE: {
        if (code & DLGC_WANTALLKEYS)
            return false;
        const bool enter = msg.wParam == VK_RETURN;
        // Enter on a focused push button presses that button, not the default
        // one; the system button itself reacts only to the space bar.
        if (enter && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
            TWinControl* focused = TWinControl::FromHandle(msg.hwnd);
            if (!focused)
                return false;
            focused->DialogKeyClick();
            return true;
        }
        if (TControl* button = FindButton(enter)) {
            button->DialogKeyClick();
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

LRESULT TCustomForm::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = HandleMessage(msg, wParam, lParam);
    if (!FMessageHooks.empty())
        CallMessageHooks(msg, wParam, lParam, result);
    return result;
}

LRESULT TCustomForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        DoClose();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && FActiveControl && FActiveControl->CanFocus()) {
            FActiveControl->SetFocus();
            return 0;
        }
        break;
    case WM_UPDATEUISTATE:
        UpdateCues(LOWORD(wParam), HIWORD(wParam) & (UISF_HIDEFOCUS | UISF_HIDEACCEL));
        break;
    default:
        break;
    }
    return TWinControl::WindowProc(msg, wParam, lParam);
}

// ---- TApplication

TApplication::TApplication() {
    Application = this;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    // The shell's folder browser and OLE pictures need COM on this thread.
    FOleInitialized = SUCCEEDED(OleInitialize(nullptr));
    // GDI+ runs from before the first window to after the last.
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&FGdiplusToken, &input, nullptr);
}

TApplication::~TApplication() {
    FOwnedMainForm.reset();
    if (FGdiplusToken)
        Gdiplus::GdiplusShutdown(FGdiplusToken);
    if (FOleInitialized)
        OleUninitialize();
    if (Application == this)
        Application = nullptr;
}

void TApplication::AdoptMainForm(std::unique_ptr<TCustomForm> form) {
    FMainForm = form.get();
    FOwnedMainForm = std::move(form);
}

std::string TApplication::ExeName() const {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    // Keys that arrive while no window has the focus go to the active form.
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!root && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST)
        root = GetActiveWindow();
    auto* form = dynamic_cast<TCustomForm*>(TWinControl::FromHandle(root));
    try {
        if (form && form->DialogKey(msg))
            return true;
    } catch (...) {
        // Key handlers run here, outside any window procedure: the loop and
        // a modal loop around it go on, the key is used up.
        ReportBoundaryException("dialog key");
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    if (OnPump)
        OnPump(++FPumpCount);
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg) && !FTerminated)
        WaitMessage();
}

void TApplication::Run() {
    if (FMainForm) {
        SetWindowTextA(FMainForm->Handle(), Title.c_str());
        FMainForm->Show();
    }
    while (!FTerminated)
        HandleMessage();
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

void TApplication::Minimize() {
    if (FMainForm)
        ShowWindow(FMainForm->Handle(), SW_MINIMIZE);
}
