// The task dialog: a component that holds the dialog's properties, events
// and results. Shown, it takes one of two faces (TaskDialogFace.h): the
// system's native task dialog where the common controls offer it, an emulated
// window of its own elsewhere.
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

class TTaskDialogFace;

// The texts that a shown dialog takes anew when they change.
enum class TTaskDialogText { tdtInstruction, tdtContent, tdtExpanded, tdtFooter };

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

    // Results, kept as the shown face reports them: the native dialog's when
    // it returns, the emulated window's while it is used.
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

    // The face shown while Execute runs; null before and after.
    TTaskDialogFace* Face() const { return FFace; }

    // How the emulated window makes and drives its push buttons.
    virtual TWinControl* CreateButton(TComponent* owner) const;
    virtual void SetButtonText(TWinControl* button, const std::string& text) const;
    virtual void SetButtonCancel(TWinControl* button, bool value) const;
    virtual void SetButtonDefault(TWinControl* button, bool value) const;
    virtual void SetButtonModalResult(TWinControl* button, int value) const;
    virtual int GetButtonModalResult(TWinControl* button) const;

    // The window either face is owned by: the owner control's, unless
    // ApplicationIsParent or there is none, then the main form's.
    HWND OwnerWindow() const;

  private:
    // Shows the dialog in `face`, which meanwhile takes the changed texts.
    std::optional<int> ShowIn(TTaskDialogFace& face);
    // Keeps a changed text and has the shown face show it.
    void TextChanged(std::string& field, const std::string& value, TTaskDialogText text);

    std::string FTitle, FInstruction, FContent, FExpandedText, FFooter;
    TIconImage FCustomIcon;
    std::vector<std::string> FCustomButtons, FRadioButtons;
    TTaskDialogFace* FFace = nullptr;
};
