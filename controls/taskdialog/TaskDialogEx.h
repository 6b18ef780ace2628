// The task dialog whose emulated window has glow buttons.
#pragma once

#include "controls/taskdialog/TaskDialog.h"

class TAdvTaskDialogEx : public TAdvTaskDialog {
  public:
    using TAdvTaskDialog::TAdvTaskDialog;

    TWinControl* CreateButton(TComponent* owner) const override;
    void SetButtonText(TWinControl* button, const std::string& text) const override;
    void SetButtonCancel(TWinControl* button, bool value) const override;
    void SetButtonDefault(TWinControl* button, bool value) const override;
    void SetButtonModalResult(TWinControl* button, int value) const override;
    int GetButtonModalResult(TWinControl* button) const override;
};
