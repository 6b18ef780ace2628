#include "controls/taskdialog/TaskDialogFace.h"

#include "controls/taskdialog/TaskDialogEmulated.h"
#include "controls/taskdialog/TaskDialogNative.h"
#include "framework/SystemInfo.h"

namespace {

TDialogFace gFaceOverride = TDialogFace::dfRule;

} // namespace

// ---- Reports

void TTaskDialogFace::ReportCreated() {
    if (FDialog.OnDialogCreated)
        FDialog.OnDialogCreated(&FDialog);
}

void TTaskDialogFace::ReportButtonClick(int id) {
    if (FDialog.OnDialogButtonClick)
        FDialog.OnDialogButtonClick(&FDialog, id);
}

bool TTaskDialogFace::ReportCloseQuery() {
    bool canClose = true;
    if (FDialog.OnDialogClose)
        FDialog.OnDialogClose(&FDialog, canClose);
    return canClose;
}

void TTaskDialogFace::ReportRadioClick(int id) {
    if (FDialog.OnDialogRadioClick)
        FDialog.OnDialogRadioClick(&FDialog, id);
}

void TTaskDialogFace::ReportVerifyClick(bool checked) {
    if (FDialog.OnDialogVerifyClick)
        FDialog.OnDialogVerifyClick(&FDialog, checked);
}

void TTaskDialogFace::ReportHyperlink(const std::string& href) {
    if (FDialog.OnDialogHyperlinkClick)
        FDialog.OnDialogHyperlinkClick(&FDialog, href);
    else
        OpenDialogLink(href);
}

void TTaskDialogFace::ReportTick(std::optional<int> position) {
    if (FDialog.OnDialogTimer)
        FDialog.OnDialogTimer(&FDialog);
    if (position && FDialog.OnDialogProgress) {
        TTaskDialogProgressState state = psNormal;
        FDialog.OnDialogProgress(&FDialog, *position, state);
        ShowProgress(*position, state);
    }
}

void TTaskDialogFace::KeepRadio(int id) {
    FDialog.ChosenRadioButton = id;
}

void TTaskDialogFace::KeepVerification(bool checked) {
    FDialog.VerificationChecked = checked;
}

// ---- The choice

void SetDialogFaceOverride(TDialogFace face) {
    gFaceOverride = face;
}

bool EmulationRequired(DWORD systemMajor, std::optional<DWORD> comctlMajor,
                       TNonNativeDialog nonNative) {
    return systemMajor < 6 || (comctlMajor && *comctlMajor <= 5) || nonNative == nndAlways;
}

std::unique_ptr<TTaskDialogFace> ChooseTaskDialogFace(TAdvTaskDialog& dialog) {
    bool emulated = dialog.NonNativeDialog == nndAlways;
    if (gFaceOverride == TDialogFace::dfEmulated)
        emulated = true;
    else if (gFaceOverride == TDialogFace::dfRule)
        emulated = EmulationRequired(SystemMajorVersion(), CommonControlsMajorVersion(),
                                     dialog.NonNativeDialog);
    if (emulated)
        return std::make_unique<TEmulatedTaskDialogFace>(dialog);
    return std::make_unique<TNativeTaskDialogFace>(dialog);
}

std::unique_ptr<TTaskDialogFace> StandInTaskDialogFace(TAdvTaskDialog& dialog) {
    return std::make_unique<TEmulatedTaskDialogFace>(dialog);
}
