// The configuration of the system's native task dialog, made from a task
// dialog component. Needs the Vista declarations of the common controls:
// only the sources built with them include it.
#pragma once

#include "controls/taskdialog/TaskDialogNative.h"

#include <array>
#include <commctrl.h>
#include <list>
#include <string>
#include <vector>

// The structure with the UTF-16 buffers it points into; it stays where it
// was made, since the structure points into its own members.
struct TNativeTaskDialogConfig {
    TNativeTaskDialogConfig() = default;
    TNativeTaskDialogConfig(const TNativeTaskDialogConfig&) = delete;
    TNativeTaskDialogConfig& operator=(const TNativeTaskDialogConfig&) = delete;

    TASKDIALOGCONFIG Config{};
    std::list<std::wstring> Texts;
    // Each caption in its own fixed buffer, cut to fit.
    std::vector<std::array<wchar_t, 1024>> ButtonCaptions, RadioCaptions;
    std::vector<TASKDIALOG_BUTTON> Buttons, RadioButtons;
};

// Fills `out` from the face's dialog; `parent` becomes the dialog's parent
// window, and the face gets the dialog's notifications.
void BuildNativeConfig(TNativeTaskDialogFace& face, HWND parent, TNativeTaskDialogConfig& out);

// The system's "TaskDialogIndirect", looked up at run time so that the
// program still starts where the common controls lack it.
using TTaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
TTaskDialogIndirectFn FindTaskDialogIndirect();
// Tests stand in for the system's function; null gives the system's back.
void SetTaskDialogIndirectOverride(TTaskDialogIndirectFn taskDialog);
