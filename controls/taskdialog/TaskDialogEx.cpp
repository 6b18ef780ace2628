#include "controls/taskdialog/TaskDialogEx.h"

#include "controls/paint/AdvGlowButton.h"

TWinControl* TAdvTaskDialogEx::CreateButton(TComponent* owner) const {
    auto* button = new TAdvGlowButton(owner);
    button->SetTabStop(true);
    return button;
}

void TAdvTaskDialogEx::SetButtonText(TWinControl* button, const std::string& text) const {
    TButtonOperations<TAdvGlowButton>::SetText(button, text);
}

void TAdvTaskDialogEx::SetButtonCancel(TWinControl* button, bool value) const {
    TButtonOperations<TAdvGlowButton>::SetCancel(button, value);
}

void TAdvTaskDialogEx::SetButtonDefault(TWinControl* button, bool value) const {
    TButtonOperations<TAdvGlowButton>::SetDefault(button, value);
}

void TAdvTaskDialogEx::SetButtonModalResult(TWinControl* button, int value) const {
    TButtonOperations<TAdvGlowButton>::SetModalResult(button, value);
}

int TAdvTaskDialogEx::GetButtonModalResult(TWinControl* button) const {
    return TButtonOperations<TAdvGlowButton>::ModalResult(button);
}
