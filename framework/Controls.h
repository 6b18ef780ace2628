// Controls: windowless ones that their parent paints and routes the mouse to,
// and windowed ones bound to their HWND.
//
// For a new control:
// - Mouse: override MouseDown/MouseMove/MouseUp and MouseEnter/MouseLeave; the
//   framework captures the mouse from a button press to its release and routes
//   nothing to a disabled control. Override CaptureLost to drop a pressed look
//   when the mouse is taken away (another window took it, the control was
//   disabled or hidden while held); the framework's own state is already
//   clear when it is called. A control freed while held lets go of the mouse.
// - Cursor and hint: SetCursor(TCursor::crHandPoint), SetHint(text) with
//   SetShowHint(true); both may change while the mouse is over the control.
// - Windows are made on first need (Handle(), HandleNeeded()); override
//   CreateParams (base first) to change Style, ExStyle or WindowClassStyle.
// - Paint in PaintWindow (windowed) or Paint (windowless); the canvas is an
//   off-screen bitmap while DoubleBuffered() is true, clipped to what is invalid.
// - Exceptions that leave a handler are reported through framework/Errors.h.
#pragma once

#include "framework/Classes.h"
#include "framework/Graphics.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TWinControl;
class TCustomForm;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
// ssDouble marks the press of a double click.
enum TShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssDouble = 32
};
using TShiftState = unsigned;
enum class TAlign { alNone, alTop, alBottom, alClient };
// Mouse cursors; crDefault takes the parent's (or the window class's).
enum class TCursor {
    crDefault,
    crArrow,
    crHandPoint,
    crIBeam,
    crSizeWE,
    crSizeNS,
    crSizeNWSE,
    crSizeNESW,
    crHourGlass
};
// The system cursor for a TCursor; null for crDefault.
HCURSOR CursorHandle(TCursor cursor);

// Results that end a modal form.
enum TModalResult : int {
    mrNone = 0,
    mrOk = IDOK,
    mrCancel = IDCANCEL,
    mrAbort = IDABORT,
    mrRetry = IDRETRY,
    mrIgnore = IDIGNORE,
    mrYes = IDYES,
    mrNo = IDNO,
    mrClose = 8
};

RECT MakeRect(int left, int top, int right, int bottom);
// How centring halves: the difference of the two extents, or each extent on
// its own, which can be one pixel off the first (an even area, an odd box).
enum class THalving { Difference, Apart };
// The top-left corner that centres a box of `size` in `area`.
POINT CentredIn(const RECT& area, SIZE size, THalving halving = THalving::Difference);
bool PointInRect(const RECT& r, int x, int y);
TShiftState ShiftStateNow();

class TControl : public TComponent {
  public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    RECT BoundsRect() const { return MakeRect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
    virtual void SetBounds(int left, int top, int width, int height);
    virtual RECT ClientRect() const { return MakeRect(0, 0, FWidth, FHeight); }
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);

    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    // Visible up to the form, and enabled up to the form.
    bool Showing() const;
    bool EnabledChain() const;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& caption);

    // The font follows the parent's until it is changed.
    TFont Font;
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool parentFont);
    TColor Color() const { return FColor; }
    virtual void SetColor(TColor color);

    virtual bool IsWindowed() const { return false; }
    virtual void Invalidate();
    // The form this control stands on, or null.
    TCustomForm* Form() const;
    POINT ClientToScreen(POINT p) const;

    TNotifyEvent OnClick;
    virtual void Click();

    // Windowless controls are painted by their parent onto its canvas with the
    // origin moved to the control's top-left corner.
    virtual void Paint(TCanvas& canvas);

    // Mouse input, in client coordinates.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseEnter();
    virtual void MouseLeave();
    bool MouseInControl() const { return FMouseInControl; }
    // The mouse this control held was taken away: another window took the
    // capture, or the control was disabled or hidden while held.
    virtual void CaptureLost();
    // True between a routed button press and its release.
    bool MouseHeld() const;

    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor cursor);
    const std::string& Hint() const { return FHint; }
    // Where the tip of this control's hint stands, in screen coordinates, for
    // the mouse at `cursor`; below the mouse unless a control knows better.
    virtual POINT HintPosition(POINT cursor) const { return {cursor.x, cursor.y + 20}; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool show);

    // Called after the form this control is hooked to (TCustomForm::
    // AddMessageHook) has handled a message; may change the result.
    virtual void FormMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Dialog keys: a default or cancel button clicks on Enter or Escape, an
    // accelerator character (Alt + letter) reaches the control that owns it.
    virtual bool IsDefaultButton() const { return false; }
    virtual bool IsCancelButton() const { return false; }
    // What Enter or Escape does to the button they pick; a toggle may also flip.
    virtual void DialogKeyClick() { Click(); }
    virtual bool DialogChar(char ch);
    // Keyboard cues as the form shows them now (TCustomForm::ShowsCue).
    bool ShowsFocusCues() const;
    bool ShowsAccelCues() const;

    // Scales the lengths a stored description gives in pixels (the bounds,
    // and in a descendant its other lengths) by m / d, from the resolution
    // the form was designed at to the screen's.
    virtual void ChangeScale(int m, int d);

  protected:
    void Notification(TComponent* component, TOperation operation) override;
    // Stores a property's new value and repaints, unless nothing changed.
    template <class T> void Change(T& field, const T& value) {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }
    virtual void FontChanged();
    virtual void EnabledChanged();
    virtual void VisibleChanged();
    virtual void TextChanged();
    virtual void ColorChanged();
    virtual void BoundsChanged();
    void ParentFontChanged(const TFont& font);

  private:
    friend class TWinControl;
    friend class TCustomForm;
    // Lets go of the mouse if this control holds it, and tells it so.
    void ReleaseHeldMouse();
    // The window that routes the mouse to this control: itself or its parent.
    TWinControl* MouseWindow() const;
    TWinControl* FParent = nullptr;
    TCustomForm* FHookForm = nullptr; // the form whose messages this control sees
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = TAlign::alNone;
    bool FVisible = true;
    bool FEnabled = true;
    bool FParentFont = true;
    bool FMouseInControl = false;
    bool FUpdatingParentFont = false;
    bool FShowHint = false;
    TCursor FCursor = TCursor::crDefault;
    TColor FColor = clBtnFace;
    std::string FCaption;
    std::string FHint;
};

// Parameters for creating a control's window.
struct TCreateParams {
    std::string WindowClass;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    // Class styles of our own window class; one class is registered per value.
    UINT WindowClassStyle = CS_DBLCLKS;
    std::string Caption;
    // The owner of a top-level window; a child's parent is always its parent
    // control's window.
    HWND WndParent = nullptr;
};

class TWinControl : public TControl {
  public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, made now if it does not exist yet and the parent chain
    // allows it (a child window needs a parent that can have one).
    HWND Handle() const;
    void HandleNeeded();
    bool HandleAllocated() const { return FHandle != nullptr; }
    // Own-class windows paint through an off-screen bitmap while true.
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool value) { FDoubleBuffered = value; }
    bool IsWindowed() const override { return true; }
    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    void Invalidate() override;
    void Update();
    // Makes the system draw the frame again, so that a changed border shows.
    void RefreshFrame();
    // Paints the client area as WM_PAINT would, onto any canvas; a child that
    // shows its parent through its corners draws the parent with this.
    void PaintTo(TCanvas& canvas);
    // Scales the children first, so that a control that lays out its own
    // children when resized has the last word.
    void ChangeScale(int m, int d) override;

    // Children in z-order, the first at the bottom.
    const std::vector<TControl*>& Controls() const { return FControls; }

    int TabOrder() const { return FTabOrder; }
    void SetTabOrder(int order);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool tabStop) { FTabStop = tabStop; }
    bool CanFocus() const;
    void SetFocus();
    bool Focused() const;
    // The focus is inside this control (on it or a window within it).
    bool ContainsFocus() const;
    // Windowed children that take part in tab order, in tab order.
    std::vector<TWinControl*> TabList() const;

    // A canvas for measuring text outside painting, in this control's font.
    TCanvas& MeasureCanvas();

    std::function<void(TComponent*, WORD& key, TShiftState)> OnKeyDown;
    std::function<void(TComponent*)> OnEnter;
    std::function<void(TComponent*)> OnExit;

    // The control bound to a window of ours, or null for any other window.
    static TWinControl* FromHandle(HWND hwnd);

    // Message handling; the window procedure of every bound window ends here.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Runs the window's original procedure (the system class's, or DefWindowProc).
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);
    // Handles a message of this control's own at once, as its window would,
    // without the system's message dispatch that SendMessage goes through.
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);

  protected:
    virtual void CreateParams(TCreateParams& params);
    void CreateHandle();
    // The window now exists: a system control gets the state that was set
    // on the object before.
    virtual void HandleCreated();
    void DestroyHandle();
    HWND ParentHandle() const;

    // Our own windows paint through here, into an off-screen bitmap.
    virtual void PaintWindow(TCanvas& canvas);
    void PaintControls(TCanvas& canvas);
    void RealignControls();

    // Notifications that the parent reflects back to the control that sent them.
    virtual bool HandleCommand(WORD code);
    virtual bool HandleNotify(NMHDR* header, LRESULT& result);
    virtual bool HandleDrawItem(DRAWITEMSTRUCT* item);
    virtual bool HandleMeasureItem(MEASUREITEMSTRUCT* item);
    virtual HBRUSH HandleCtlColor(HDC dc);

    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void DoEnter();
    virtual void DoExit();
    virtual void Resize();
    virtual void TimerTick(UINT_PTR id);

    void FontChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void TextChanged() override;
    void ColorChanged() override;

    // Own window class (painted by PaintWindow) rather than a system control.
    bool OwnClass() const { return FOwnClass; }
    // The control under a client point: a windowless child, or this one.
    TControl* ControlAt(int x, int y);

  private:
    friend class TControl;
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam,
                                          LPARAM lParam) noexcept;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    TControl* ControlAtPos(int x, int y) const;
    void UpdateHover(TControl* control);
    TWinControl* ChildWithId(UINT id) const;

    // WindowProc by message group; an empty result leaves the message to
    // DefaultHandler.
    std::optional<LRESULT> OnPaintMessage(UINT msg);
    std::optional<LRESULT> OnChildNotification(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnFocusMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> OnKeyMessage(UINT msg, WPARAM& wParam);
    std::optional<LRESULT> OnMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void WmMouseLeave();
    void WmPaint();

    // Mouse input to this window or the windowless child it goes to; true
    // when a child took it.
    bool RouteMouse(UINT msg, WPARAM wParam, LPARAM lParam);
    void MouseToSelf(UINT msg, TShiftState shift, int x, int y);
    bool SetCursorFor(LPARAM lParam);
    // Captures the mouse for `holder` (this window or a windowless child).
    void HoldMouse(TControl* holder);
    // Ends the hold without reporting a loss.
    void ReleaseMouse();
    // Releases the capture of this window without reporting a loss.
    void ReleaseOwnCapture();
    // The capture went elsewhere: the holder is told.
    void MouseCaptureChanged();
    // The system moved or sized the window (a size loop, a maximise): the
    // stored bounds take what the window has.
    void FollowWindowBounds();

    HWND FHandle = nullptr;
    UINT FControlId = 0; // the child window id it was made with
    WNDPROC FDefWndProc = nullptr;
    bool FOwnClass = false;
    bool FDoubleBuffered = true;
    bool FCreatingHandle = false;
    std::vector<TControl*> FControls;
    TControl* FMouseControl = nullptr; // windowless child under the mouse
    // The mouse from a press to its release, and the system's part in it.
    struct TMouseCapture {
        // Who holds it: nobody (null), this window, or a windowless child.
        TControl* Holder = nullptr;
        bool Releasing = false; // our own ReleaseCapture runs: no loss to report
        bool Tracking = false;  // the system reports the mouse leaving the window
    };
    TMouseCapture FMouse;
    int FTabOrder = -1;
    bool FTabStop = false;
    TGdiObject<HBRUSH> FCtlBrush;
    TBitmap FBuffer;
    std::unique_ptr<TBitmap> FMeasure;
};

// A windowed control of our own window class that paints itself.
class TCustomControl : public TWinControl {
  public:
    using TWinControl::TWinControl;
};

// A windowless control.
class TGraphicControl : public TControl {
  public:
    using TControl::TControl;
};
