// The native face of the task dialog: the system's task dialog, shown where
// the common controls offer it. The declarations here need none of Vista's;
// the configuration handed to the system is in TaskDialogNativeConfig.h.
#pragma once

#include "controls/taskdialog/TaskDialogFace.h"

class TNativeTaskDialogFace : public TTaskDialogFace {
  public:
    using TTaskDialogFace::TTaskDialogFace;

    std::optional<int> Show() override;
    void TextChanged(TTaskDialogText text) override;
    HWND Window() const override { return FWindow; }

    // One notification of the system's dialog; the answer to the system.
    HRESULT Notification(HWND hwnd, UINT notification, WPARAM wParam, LPARAM lParam);

  protected:
    void ShowProgress(int position, TTaskDialogProgressState state) override;

  private:
    HWND FWindow = nullptr;
    // Texts go to FWindow only while the system's dialog runs: a closed
    // dialog's handle may name another window by then.
    bool FShowing = false;
    int FProgressPos = 0;
};
