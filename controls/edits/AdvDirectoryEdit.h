// The directory edit: the edit with a button whose button, or F4, opens the
// shell's folder browser placed below the edit; the chosen folder becomes the
// text.
#pragma once

#include "controls/edits/AdvEdBtn.h"

#include <shlobj.h>

#include <functional>
#include <string>

// Where the folder dialog goes: at `below`, the screen point under the edit's
// left end, moved left of it when it would pass the work area's right edge and
// up when it would reach its bottom.
POINT BrowseDialogPlace(POINT below, SIZE dialog, const RECT& workArea);

// Shows the folder browser for `info` and returns the chosen item (null on
// cancel), allocated by the shell's allocator. Tests put their own in place.
using TFolderBrowser = std::function<LPITEMIDLIST(BROWSEINFOA& info)>;
// An empty browser brings back the shell's.
void SetFolderBrowser(TFolderBrowser browser);

class TAdvDirectoryEdit : public TAdvEditBtn {
  public:
    explicit TAdvDirectoryEdit(TComponent* owner);
    // The text above the folder tree.
    std::string BrowseDialogText = "Select Directory";
    // False asks the dialog for no new-folder button.
    bool AllowNewFolder = true;
    // May change the folder the dialog starts from.
    std::function<void(TComponent* sender, std::string& initialPath)> OnShowDirectoryDialog;
    // A folder was chosen; `ok` tells whether it has a file-system path.
    std::function<void(TComponent* sender, const std::string& newDirectory, bool ok)> OnDialogClose;
    // The folder dialog; nothing while the edit is disabled.
    void ButtonClick() override;

  protected:
    // Valid when `value` names an existing folder.
    virtual void DirectoryIsValid(TComponent* sender, const std::string& value, bool& isValid);
    void KeyDown(WORD& key, TShiftState shift) override;

  private:
    static int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data) noexcept;
    // The dialog exists: pre-select the folder and place it below the edit.
    void DialogCreated(HWND dialog);
};
