#include "controls/taskdialog/TaskDialogEmulated.h"

#include "controls/taskdialog/AdvMessageForm.h"

TEmulatedTaskDialogFace::TEmulatedTaskDialogFace(TAdvTaskDialog& dialog)
    : TTaskDialogFace(dialog) {}

TEmulatedTaskDialogFace::~TEmulatedTaskDialogFace() = default;

std::optional<int> TEmulatedTaskDialogFace::Show() {
    struct TClose {
        std::unique_ptr<TAdvMessageForm>& Form;
        ~TClose() { Form.reset(); }
    } close{FForm};
    FForm = std::make_unique<TAdvMessageForm>(nullptr, *this);
    TAdvMessageForm& form = *FForm;
    form.BuildDialog();
    ReportCreated();
    form.SetColor(clWhite);
    auto* ownerForm = dynamic_cast<TCustomForm*>(Dialog().Owner());
    if (Dialog().DialogPosition == dpOwnerFormCenter && ownerForm) {
        const POINT at = CentredIn(ownerForm->BoundsRect(), SIZE{form.Width(), form.Height()});
        form.SetBounds(at.x, at.y, form.Width(), form.Height());
    }
    return form.ShowModal();
}

void TEmulatedTaskDialogFace::TextChanged(TTaskDialogText) {
    if (FForm)
        FForm->UpdateDialog();
}

HWND TEmulatedTaskDialogFace::Window() const {
    return FForm ? FForm->Handle() : nullptr;
}

void TEmulatedTaskDialogFace::ShowProgress(int position, TTaskDialogProgressState) {
    if (FForm && FForm->ProgressBar())
        FForm->ProgressBar()->SetPosition(position);
}

TAdvMessageForm* EmulatedForm(const TAdvTaskDialog& dialog) {
    auto* face = dynamic_cast<TEmulatedTaskDialogFace*>(dialog.Face());
    return face ? face->Form() : nullptr;
}
