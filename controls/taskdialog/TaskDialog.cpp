#include "controls/taskdialog/TaskDialog.h"

#include "controls/html/ShellLink.h"
#include "controls/taskdialog/TaskDialogFace.h"

namespace {

TLinkOpener gLinkOpener;

} // namespace

// ---- Free functions

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

int TAdvTaskDialog::Execute() {
    std::optional<int> result = ShowIn(*ChooseTaskDialogFace(*this));
    // The report must still reach the user: our own window stands in.
    if (!result)
        result = ShowIn(*StandInTaskDialogFace(*this));
    return result.value_or(-1);
}

std::optional<int> TAdvTaskDialog::ShowIn(TTaskDialogFace& face) {
    struct TShown {
        TTaskDialogFace*& Face;
        ~TShown() { Face = nullptr; }
    } shown{FFace};
    FFace = &face;
    return face.Show();
}

HWND TAdvTaskDialog::OwnerWindow() const {
    if (auto* ownerControl = dynamic_cast<TWinControl*>(Owner());
        ownerControl && !ApplicationIsParent)
        return ownerControl->Handle();
    if (Application && Application->MainForm())
        return Application->MainForm()->Handle();
    return nullptr;
}

void TAdvTaskDialog::TextChanged(std::string& field, const std::string& value,
                                 TTaskDialogText text) {
    if (field == value)
        return;
    field = value;
    if (FFace)
        FFace->TextChanged(text);
}

void TAdvTaskDialog::SetContent(const std::string& value) {
    TextChanged(FContent, value, TTaskDialogText::tdtContent);
}

void TAdvTaskDialog::SetExpandedText(const std::string& value) {
    TextChanged(FExpandedText, value, TTaskDialogText::tdtExpanded);
}

void TAdvTaskDialog::SetFooter(const std::string& value) {
    TextChanged(FFooter, value, TTaskDialogText::tdtFooter);
}

void TAdvTaskDialog::SetInstruction(const std::string& value) {
    TextChanged(FInstruction, value, TTaskDialogText::tdtInstruction);
}

TWinControl* TAdvTaskDialog::CreateButton(TComponent* owner) const {
    return new TButton(owner);
}

void TAdvTaskDialog::SetButtonText(TWinControl* button, const std::string& text) const {
    TButtonOperations<TButton>::SetText(button, text);
}

void TAdvTaskDialog::SetButtonCancel(TWinControl* button, bool value) const {
    TButtonOperations<TButton>::SetCancel(button, value);
}

void TAdvTaskDialog::SetButtonDefault(TWinControl* button, bool value) const {
    TButtonOperations<TButton>::SetDefault(button, value);
}

void TAdvTaskDialog::SetButtonModalResult(TWinControl* button, int value) const {
    TButtonOperations<TButton>::SetModalResult(button, value);
}

int TAdvTaskDialog::GetButtonModalResult(TWinControl* button) const {
    return TButtonOperations<TButton>::ModalResult(button);
}
