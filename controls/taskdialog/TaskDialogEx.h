// The task dialog whose emulated window has glow buttons.
#pragma once

#include "controls/taskdialog/TaskDialog.h"

class TAdvTaskDialogEx : public TAdvTaskDialog {
  public:
    using TAdvTaskDialog::TAdvTaskDialog;

    TWinControl* CreateButton(TComponent* owner) override;
    void SetButtonText(TWinControl* button, const std::string& text) override;
    void SetButtonCancel(TWinControl* button, bool value) override;
    void SetButtonDefault(TWinControl* button, bool value) override;
    void SetButtonModalResult(TWinControl* button, int value) override;
    int GetButtonModalResult(TWinControl* button) override;
};
