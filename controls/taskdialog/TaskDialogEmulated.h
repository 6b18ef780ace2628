// The emulated face of the task dialog: a window of its own (AdvMessageForm.h),
// shown where the system offers no native task dialog.
#pragma once

#include "controls/taskdialog/TaskDialogFace.h"

#include <memory>

class TAdvMessageForm;

class TEmulatedTaskDialogFace : public TTaskDialogFace {
  public:
    explicit TEmulatedTaskDialogFace(TAdvTaskDialog& dialog);
    ~TEmulatedTaskDialogFace() override;

    std::optional<int> Show() override;
    void TextChanged(TTaskDialogText text) override;
    HWND Window() const override;
    // The window while it is shown.
    TAdvMessageForm* Form() const { return FForm.get(); }

  protected:
    void ShowProgress(int position, TTaskDialogProgressState state) override;

  private:
    std::unique_ptr<TAdvMessageForm> FForm;
};

// The emulated window of a dialog that shows in it; null otherwise.
TAdvMessageForm* EmulatedForm(const TAdvTaskDialog& dialog);
