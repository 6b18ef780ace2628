// The task dialog: a component that shows the system's native task dialog
// where the common controls offer it, and an emulated window of its own
// (TAdvMessageForm, AdvMessageForm.h) elsewhere.
#pragma once

#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/Timer.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum TTaskDialogIcon : int {
    tiBlank = 0,
    tiWarning = 1,
    tiQuestion = 2,
    tiError = 3,
    tiInformation = 4,
    tiNotUsed = 5,
    tiShield = 6
};
enum TTaskDialogFooterIcon : int {
    tfiBlank = 0,
    tfiWarning = 1,
    tfiQuestion = 2,
    tfiError = 3,
    tfiInformation = 4,
    tfiShield = 5
};
enum TCommonButton : int { cbOK = 0, cbYes = 1, cbNo = 2, cbCancel = 3, cbRetry = 4, cbClose = 5 };
enum TTaskDialogOption : int {
    doHyperlinks = 0,
    doCommandLinks = 1,
    doCommandLinksNoIcon = 2,
    doExpandedDefault = 3,
    doExpandedFooter = 4,
    doAllowMinimize = 5,
    doVerifyChecked = 6,
    doProgressBar = 7,
    doProgressBarMarquee = 8,
    doTimer = 9,
    doNoDefaultRadioButton = 10,
    doAllowDialogCancel = 11
};
enum TTaskDialogPosition : int { dpScreenCenter = 0, dpOwnerFormCenter = 1 };
enum TNonNativeDialog : int { nndAuto = 0, nndAlways = 1 };
enum TTaskDialogProgressState : int { psNormal = 0, psError = 1, psPaused = 2 };

// A set of enumeration values as a bit mask: bit n for the value n.
template <class E> class TEnumSet {
  public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> values) {
        for (E v : values)
            Include(v);
    }
    constexpr bool Contains(E value) const { return (FBits >> static_cast<int>(value)) & 1u; }
    constexpr void Include(E value) { FBits |= 1u << static_cast<int>(value); }
    constexpr void Exclude(E value) { FBits &= ~(1u << static_cast<int>(value)); }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr unsigned Bits() const { return FBits; }
    constexpr bool operator==(const TEnumSet&) const = default;

  private:
    unsigned FBits = 0;
};

using TCommonButtons = TEnumSet<TCommonButton>;
using TTaskDialogOptions = TEnumSet<TTaskDialogOption>;

// An icon handle the owner destroys; assigning copies the icon.
class TIconImage {
  public:
    TIconImage() = default;
    TIconImage(const TIconImage&) = delete;
    TIconImage& operator=(const TIconImage&) = delete;
    ~TIconImage() { Reset(); }
    HICON Handle() const { return FHandle; }
    bool Empty() const { return FHandle == nullptr; }
    // Takes a copy of `icon`; null empties it.
    void Assign(HICON icon);
    void Assign(const TIconImage& other) { Assign(other.FHandle); }

  private:
    void Reset();
    HICON FHandle = nullptr;
};

class TAdvTaskDialog;
class TAdvMessageForm;

// Which face Execute shows. The rule reads the system; tests force a face.
enum class TDialogFace { dfRule, dfNative, dfEmulated };
void SetDialogFaceOverride(TDialogFace face);

// The rule: emulated before Windows Vista (major version below 6), with a
// common-controls library of major file version 5 or lower, or when forced.
// An unreadable library version leaves the choice to the native dialog.
bool EmulationRequired(DWORD systemMajor, std::optional<DWORD> comctlMajor,
                       TNonNativeDialog nonNative);

// Opens a link that no handler took: the shell's "open" verb in a normal
// window, for openable targets only. Tests replace the opener to record.
void OpenDialogLink(const std::string& href);
using TLinkOpener = std::function<void(const std::string& href)>;
void SetLinkOpener(TLinkOpener opener);

// The button operations for one button class; each acts only on a button of
// that class, and the getter gives 0 for any other.
template <class B> struct TButtonOperations {
    static void SetText(TWinControl* button, const std::string& text) {
        if (auto* b = dynamic_cast<B*>(button))
            b->SetCaption(text);
    }
    static void SetCancel(TWinControl* button, bool value) {
        if (auto* b = dynamic_cast<B*>(button))
            b->Cancel = value;
    }
    static void SetDefault(TWinControl* button, bool value) {
        if (auto* b = dynamic_cast<B*>(button))
            b->Default = value;
    }
    static void SetModalResult(TWinControl* button, int value) {
        if (auto* b = dynamic_cast<B*>(button))
            b->ModalResult = value;
    }
    static int ModalResult(TWinControl* button) {
        auto* b = dynamic_cast<B*>(button);
        return b ? b->ModalResult : 0;
    }
};

class TAdvTaskDialog : public TComponent {
  public:
    explicit TAdvTaskDialog(TComponent* owner);
    ~TAdvTaskDialog() override;

    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& value) { FTitle = value; }
    const std::string& Instruction() const { return FInstruction; }
    void SetInstruction(const std::string& value);
    const std::string& Content() const { return FContent; }
    void SetContent(const std::string& value);
    const std::string& ExpandedText() const { return FExpandedText; }
    void SetExpandedText(const std::string& value);
    const std::string& Footer() const { return FFooter; }
    void SetFooter(const std::string& value);

    TTaskDialogIcon Icon = tiBlank;
    TIconImage& CustomIcon() { return FCustomIcon; }
    const TIconImage& CustomIcon() const { return FCustomIcon; }
    TCommonButtons CommonButtons;
    std::vector<std::string>& CustomButtons() { return FCustomButtons; }
    const std::vector<std::string>& CustomButtons() const { return FCustomButtons; }
    void SetCustomButtons(const std::vector<std::string>& lines) { FCustomButtons = lines; }
    int DefaultButton = 0;
    std::vector<std::string>& RadioButtons() { return FRadioButtons; }
    const std::vector<std::string>& RadioButtons() const { return FRadioButtons; }
    void SetRadioButtons(const std::vector<std::string>& lines) { FRadioButtons = lines; }
    int DefaultRadioButton = 200;
    std::string VerificationText;
    std::string ExpandControlText;
    std::string CollapsControlText;
    TTaskDialogFooterIcon FooterIcon = tfiBlank;
    TTaskDialogOptions Options;
    TTaskDialogPosition DialogPosition = dpScreenCenter;
    bool ApplicationIsParent = true;
    TNonNativeDialog NonNativeDialog = nndAuto;
    int NonNativeMinFormWidth = 350;
    int ProgressBarMin = 0;
    int ProgressBarMax = 100;
    std::string Version() const { return "1.0.0.0"; }

    // Results, set by the native dialog when it returns and by the emulated
    // window while it is used.
    int ChosenRadioButton = 0;
    bool VerificationChecked = false;

    TNotifyEvent OnDialogCreated;
    std::function<void(TComponent*, int buttonId)> OnDialogButtonClick;
    std::function<void(TComponent*, bool& canClose)> OnDialogClose;
    std::function<void(TComponent*, int buttonId)> OnDialogRadioClick;
    std::function<void(TComponent*, bool checked)> OnDialogVerifyClick;
    std::function<void(TComponent*, const std::string& href)> OnDialogHyperlinkClick;
    TNotifyEvent OnDialogTimer;
    std::function<void(TComponent*, int& pos, TTaskDialogProgressState& state)> OnDialogProgress;

    // Shows the dialog modally; the identifier of the button that closed it,
    // or -1 when no dialog could be shown.
    int Execute();

    // The shown windows: the native dialog's (kept after it closed) and the
    // emulated one while it is up.
    HWND DialogHandle() const { return FDialogHandle; }
    TAdvMessageForm* DialogForm() const { return FDialogForm; }

    // How the emulated window makes and drives its push buttons.
    virtual TWinControl* CreateButton(TComponent* owner);
    virtual void SetButtonText(TWinControl* button, const std::string& text);
    virtual void SetButtonCancel(TWinControl* button, bool value);
    virtual void SetButtonDefault(TWinControl* button, bool value);
    virtual void SetButtonModalResult(TWinControl* button, int value);
    virtual int GetButtonModalResult(TWinControl* button);

    // One notification of the native dialog; its answer to the system.
    HRESULT NativeNotification(HWND hwnd, UINT notification, WPARAM wParam, LPARAM lParam);
    // A link that was clicked: the handler gets it, or the shell opens it.
    void HyperlinkClicked(const std::string& href);
    // The window either face is owned by: the owner control's, unless
    // ApplicationIsParent or there is none, then the main form's.
    HWND OwnerWindow() const;

  protected:
    void Notification(TComponent* component, TOperation operation) override;

  private:
    int ExecuteEmulated();
    int ExecuteNative();
    // Sends a changed text to the native dialog and has the emulated one lay out.
    void TextChanged(std::string& field, const std::string& value, int element);

    std::string FTitle, FInstruction, FContent, FExpandedText, FFooter;
    TIconImage FCustomIcon;
    std::vector<std::string> FCustomButtons, FRadioButtons;
    HWND FDialogHandle = nullptr;
    // Texts go to FDialogHandle only while the native dialog runs: a closed
    // dialog's handle may name another window by then.
    bool FNativeShowing = false;
    TAdvMessageForm* FDialogForm = nullptr;
    int FProgressPos = 0;
};
