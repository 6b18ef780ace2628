// The native face: the system's task dialog shown, and its notifications
// reported to the dialog.
#include "controls/taskdialog/TaskDialogNativeConfig.h"

#include "framework/SystemInfo.h"
#include "framework/Text.h"

namespace {

TTaskDialogIndirectFn gTaskDialogOverride = nullptr;

} // namespace

void SetTaskDialogIndirectOverride(TTaskDialogIndirectFn taskDialog) {
    gTaskDialogOverride = taskDialog;
}

TTaskDialogIndirectFn FindTaskDialogIndirect() {
    if (gTaskDialogOverride)
        return gTaskDialogOverride;
    // Looked up once; the library stays loaded for the program's life.
    static const TTaskDialogIndirectFn found = [] {
        return FindProc<TTaskDialogIndirectFn>(LoadLibraryA("comctl32.dll"), "TaskDialogIndirect");
    }();
    return found;
}

std::optional<int> TNativeTaskDialogFace::Show() {
    const TTaskDialogIndirectFn taskDialog = FindTaskDialogIndirect();
    if (!taskDialog)
        return -1;
    TNativeTaskDialogConfig config;
    BuildNativeConfig(*this, Dialog().OwnerWindow(), config);
    FProgressPos = Dialog().ProgressBarMin;
    int button = 0, radio = 0;
    BOOL verified = FALSE;
    FShowing = true;
    const HRESULT shown = taskDialog(&config.Config, &button, &radio, &verified);
    FShowing = false;
    if (FAILED(shown))
        return std::nullopt;
    KeepRadio(radio);
    KeepVerification(verified != FALSE);
    return button;
}

HRESULT TNativeTaskDialogFace::Notification(HWND hwnd, UINT notification, WPARAM wParam,
                                            LPARAM lParam) {
    FWindow = hwnd;
    switch (notification) {
    case TDN_CREATED:
        ReportCreated();
        if (Dialog().Options.Contains(doProgressBar))
            SendMessageW(hwnd, TDM_SET_PROGRESS_BAR_RANGE, 0,
                         MAKELPARAM(Dialog().ProgressBarMin, Dialog().ProgressBarMax));
        return S_OK;
    case TDN_BUTTON_CLICKED:
        ReportButtonClick(static_cast<int>(wParam));
        return ReportCloseQuery() ? S_OK : S_FALSE;
    case TDN_HYPERLINK_CLICKED:
        ReportHyperlink(FromWide(reinterpret_cast<const wchar_t*>(lParam)));
        return S_OK;
    case TDN_TIMER:
        ReportTick(FProgressPos);
        return S_OK;
    case TDN_RADIO_BUTTON_CLICKED:
        ReportRadioClick(static_cast<int>(wParam));
        return S_OK;
    case TDN_VERIFICATION_CLICKED:
        ReportVerifyClick(wParam != 0);
        return S_OK;
    default:
        return S_OK;
    }
}

void TNativeTaskDialogFace::ShowProgress(int position, TTaskDialogProgressState state) {
    FProgressPos = position;
    SendMessageW(FWindow, TDM_SET_PROGRESS_BAR_POS, static_cast<WPARAM>(position), 0);
    // A handler may store any number; what is no state is normal.
    const WPARAM states[] = {PBST_NORMAL, PBST_ERROR, PBST_PAUSED};
    const int index = state >= psNormal && state <= psPaused ? state : psNormal;
    SendMessageW(FWindow, TDM_SET_PROGRESS_BAR_STATE, states[index], 0);
}

void TNativeTaskDialogFace::TextChanged(TTaskDialogText text) {
    if (!FShowing || !FWindow)
        return;
    const TAdvTaskDialog& d = Dialog();
    struct TElement {
        TTaskDialogText Text;
        TASKDIALOG_ELEMENTS Element;
        const std::string& Value;
    };
    const TElement elements[] = {
        {TTaskDialogText::tdtInstruction, TDE_MAIN_INSTRUCTION, d.Instruction()},
        {TTaskDialogText::tdtContent, TDE_CONTENT, d.Content()},
        {TTaskDialogText::tdtExpanded, TDE_EXPANDED_INFORMATION, d.ExpandedText()},
        {TTaskDialogText::tdtFooter, TDE_FOOTER, d.Footer()},
    };
    for (const TElement& e : elements)
        if (e.Text == text) {
            const std::wstring wide = ToWide(e.Value);
            SendMessageW(FWindow, TDM_UPDATE_ELEMENT_TEXT, static_cast<WPARAM>(e.Element),
                         reinterpret_cast<LPARAM>(wide.c_str()));
        }
}
