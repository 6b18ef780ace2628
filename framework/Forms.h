// Forms and the application object: message loop, pump, modal loops.
//
// For a new control or form:
// - A control that must see its form's messages (a caption bar watching
//   activation and size) calls Form()->AddMessageHook(this) and overrides
//   TControl::FormMessage; the form calls it after handling each message and
//   drops a freed control by itself.
// - A form subclass changes its window in CreateParams (base first): a frameless
//   form sets WS_POPUP without WS_CAPTION, a shadow with CS_DROPSHADOW in
//   WindowClassStyle. The window is made when first needed (Show, Handle()).
// - When the focused control is disabled or hidden the form moves the focus on
//   in tab order; with nothing to take it the form keeps the keyboard itself.
#pragma once

#include "framework/Controls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum class TPosition { poDesigned, poScreenCenter };

class TCustomForm : public TWinControl {
  public:
    // A form is top-level: it has no parent; `owner` frees it.
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition position) { FPosition = position; }
    void SetClientSize(int width, int height);
    RECT ClientRect() const override;

    bool KeyPreview = false;

    // The resolution the form's stored description was made at, and whether
    // the description is scaled to the screen's when loading ends: its
    // bounds and other lengths in pixels grow by ScreenPixelsPerInch() /
    // PixelsPerInch(). Fonts are sized in points and follow the screen anyway.
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int pixelsPerInch) { FPixelsPerInch = pixelsPerInch; }
    bool Scaled() const { return FScaled; }
    void SetScaled(bool scaled) { FScaled = scaled; }
    // A length the description gives in pixels, as it is on this screen.
    int ScaleToScreen(int designPixels) const;

    void Show();
    void Close();
    int ShowModal();
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int result) { FModalResult = result; }
    bool Modal() const { return FModal; }

    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control);
    // Moves the focus to the next (or previous) control in tab order.
    void SelectNext(bool forward);

    // Whether the keyboard cue UISF_HIDEFOCUS or UISF_HIDEACCEL names shows:
    // focus rectangles and accelerator underlines are hidden from the first
    // show until Tab or Alt is pressed or the system shows them (its
    // WM_UPDATEUISTATE), and always shown when the user chose so.
    bool ShowsCue(WORD cue) const;

    // Handles Tab, Enter, Escape and accelerators before the message is
    // dispatched; true when the message is used up.
    bool DialogKey(const MSG& msg);
    void FocusChanged(TWinControl* control);
    // `control` had the focus and is being disabled or hidden.
    void FocusLeaving(TWinControl* control);

    // Controls told of every message after the form handled it.
    void AddMessageHook(TControl* control);
    void RemoveMessageHook(TControl* control);

  protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;
    // Called when the user or the program asks the form to close; a main form
    // asks the application to end.
    virtual void DoClose();
    // Asked when a modal result would end the modal loop; false keeps the
    // form open.
    virtual bool CloseQuery() { return true; }

  private:
    void CenterOnScreen();
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void CallMessageHooks(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The next control in tab order after `from` (or everything inside it)
    // that can take the focus; null when there is none.
    TWinControl* NextControl(const TWinControl* from, bool forward) const;
    std::vector<TControl*> FMessageHooks;
    TControl* FindButton(bool defaultButton) const;
    bool AcceleratorChar(char ch);
    // Shows the keyboard cues named from now on, and tells the system so.
    void ShowKeyboardCues(WORD cues);
    // Takes a change of the cues (UIS_SET or UIS_CLEAR); what shows them
    // paints again.
    void UpdateCues(WORD action, WORD cues);
    TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSingle;
    TPosition FPosition = TPosition::poDesigned;
    int FModalResult = 0;
    bool FModal = false;
    bool FShownOnce = false;
    int FPixelsPerInch = 96;
    bool FScaled = false;
    TWinControl* FActiveControl = nullptr; // forgotten when freed
    WORD FHiddenCues = 0;                  // UISF_HIDEFOCUS, UISF_HIDEACCEL
};

using TForm = TCustomForm;

class TApplication {
  public:
    TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;
    ~TApplication();

    std::string Title = "";
    TCustomForm* MainForm() const { return FMainForm; }
    // Names the main form; the caller keeps it.
    void SetMainForm(TCustomForm* form) { FMainForm = form; }
    // Names the main form and keeps it: it is freed with the application.
    void AdoptMainForm(std::unique_ptr<TCustomForm> form);
    std::string ExeName() const;

    // Shows the main form and runs the message loop until the application ends.
    void Run();
    // Handles every waiting message and returns without waiting. A quit
    // message met here is recorded: the loop and every modal loop then end.
    void ProcessMessages();
    // Handles one message, waiting for it when none is there.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    void Minimize();

    // Called at the start of each ProcessMessages with its running count,
    // so that tests can act in the middle of a long handler.
    std::function<void(int)> OnPump;

  private:
    bool ProcessMessage(MSG& msg);
    TCustomForm* FMainForm = nullptr;
    std::unique_ptr<TCustomForm> FOwnedMainForm;
    bool FTerminated = false;
    int FPumpCount = 0;
    ULONG_PTR FGdiplusToken = 0;
    bool FOleInitialized = false;
};

// The one application object of the program.
extern TApplication* Application;
