#include "controls/taskdialog/TaskDialog.h"

#include "controls/html/ShellLink.h"
#include "controls/taskdialog/AdvMessageForm.h"

namespace {

TDialogFace gFaceOverride = TDialogFace::dfRule;
TLinkOpener gLinkOpener;

} // namespace

// ---- Free functions

void SetDialogFaceOverride(TDialogFace face) {
    gFaceOverride = face;
}

bool EmulationRequired(DWORD systemMajor, std::optional<DWORD> comctlMajor,
                       TNonNativeDialog nonNative) {
    return systemMajor < 6 || (comctlMajor && *comctlMajor <= 5) || nonNative == nndAlways;
}

void SetLinkOpener(TLinkOpener opener) {
    gLinkOpener = std::move(opener);
}

void OpenDialogLink(const std::string& href) {
    OpenIfShellLink(href, gLinkOpener ? gLinkOpener : TLinkOpener(OpenShellLink));
}

// ---- TIconImage

void TIconImage::Reset() {
    if (FHandle)
        DestroyIcon(FHandle);
    FHandle = nullptr;
}

void TIconImage::Assign(HICON icon) {
    if (icon == FHandle)
        return;
    Reset();
    if (icon)
        FHandle = CopyIcon(icon);
}

// ---- TAdvTaskDialog

TAdvTaskDialog::TAdvTaskDialog(TComponent* owner) : TComponent(owner) {}

TAdvTaskDialog::~TAdvTaskDialog() = default;

void TAdvTaskDialog::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FDialogForm)
        FDialogForm = nullptr;
}

int TAdvTaskDialog::Execute() {
    bool emulated = NonNativeDialog == nndAlways;
    if (gFaceOverride == TDialogFace::dfEmulated)
        emulated = true;
    else if (gFaceOverride == TDialogFace::dfRule)
        emulated = EmulationRequired(LOBYTE(LOWORD(GetVersion())), CommonControlsMajorVersion(),
                                     NonNativeDialog);
    return emulated ? ExecuteEmulated() : ExecuteNative();
}

HWND TAdvTaskDialog::OwnerWindow() const {
    if (auto* ownerControl = dynamic_cast<TWinControl*>(Owner());
        ownerControl && !ApplicationIsParent)
        return ownerControl->Handle();
    if (Application && Application->MainForm())
        return Application->MainForm()->Handle();
    return nullptr;
}

int TAdvTaskDialog::ExecuteEmulated() {
    auto form = std::make_unique<TAdvMessageForm>(nullptr, *this);
    struct TClear {
        TAdvTaskDialog& Dialog;
        ~TClear() { Dialog.FDialogForm = nullptr; }
    } clear{*this};
    FDialogForm = form.get();
    form->BuildDialog();
    if (OnDialogCreated)
        OnDialogCreated(this);
    form->SetColor(clWhite);
    auto* ownerForm = dynamic_cast<TCustomForm*>(Owner());
    if (DialogPosition == dpOwnerFormCenter && ownerForm) {
        const RECT o = ownerForm->BoundsRect();
        form->SetBounds(o.left + (o.right - o.left - form->Width()) / 2,
                        o.top + (o.bottom - o.top - form->Height()) / 2, form->Width(),
                        form->Height());
    }
    return form->ShowModal();
}

void TAdvTaskDialog::HyperlinkClicked(const std::string& href) {
    if (OnDialogHyperlinkClick)
        OnDialogHyperlinkClick(this, href);
    else
        OpenDialogLink(href);
}

TWinControl* TAdvTaskDialog::CreateButton(TComponent* owner) {
    return new TButton(owner);
}

void TAdvTaskDialog::SetButtonText(TWinControl* button, const std::string& text) {
    TButtonOperations<TButton>::SetText(button, text);
}

void TAdvTaskDialog::SetButtonCancel(TWinControl* button, bool value) {
    TButtonOperations<TButton>::SetCancel(button, value);
}

void TAdvTaskDialog::SetButtonDefault(TWinControl* button, bool value) {
    TButtonOperations<TButton>::SetDefault(button, value);
}

void TAdvTaskDialog::SetButtonModalResult(TWinControl* button, int value) {
    TButtonOperations<TButton>::SetModalResult(button, value);
}

int TAdvTaskDialog::GetButtonModalResult(TWinControl* button) {
    return TButtonOperations<TButton>::ModalResult(button);
}
