// The two faces of the task dialog behind one small interface: the system's
// native task dialog (TaskDialogNative.h) and the emulated window
// (TaskDialogEmulated.h). Which one shows is chosen here.
#pragma once

#include "controls/taskdialog/TaskDialog.h"

#include <memory>
#include <optional>
#include <string>

// One face of a dialog. The face reads the dialog's properties, and what the
// user does there it reports through the Report members, which run the
// dialog's events and keep its results.
class TTaskDialogFace {
  public:
    explicit TTaskDialogFace(TAdvTaskDialog& dialog) : FDialog(dialog) {}
    TTaskDialogFace(const TTaskDialogFace&) = delete;
    TTaskDialogFace& operator=(const TTaskDialogFace&) = delete;
    virtual ~TTaskDialogFace() = default;

    // Shows the dialog modally: the identifier of the button that closed it,
    // -1 when the system offers no dialog, nothing when this face failed and
    // another must stand in.
    virtual std::optional<int> Show() = 0;
    // A text of the dialog changed while it is shown.
    virtual void TextChanged(TTaskDialogText text) = 0;
    // The shown window; null while none is.
    virtual HWND Window() const = 0;

    const TAdvTaskDialog& Dialog() const { return FDialog; }

    void ReportCreated();
    void ReportButtonClick(int id);
    // Whether the dialog may close; the close handler decides.
    bool ReportCloseQuery();
    void ReportRadioClick(int id);
    void ReportVerifyClick(bool checked);
    // A link that was clicked: the handler gets it, or the shell opens it.
    void ReportHyperlink(const std::string& href);
    // One tick of the timer: the timer event, then, where the face has a bar
    // position to hand over, the progress handler, whose answer ShowProgress
    // shows.
    void ReportTick(std::optional<int> position);
    // The results as they stand.
    void KeepRadio(int id);
    void KeepVerification(bool checked);

  protected:
    virtual void ShowProgress(int position, TTaskDialogProgressState state) = 0;

  private:
    TAdvTaskDialog& FDialog;
};

// Which face Execute shows. The rule reads the system; tests force a face.
enum class TDialogFace { dfRule, dfNative, dfEmulated };
void SetDialogFaceOverride(TDialogFace face);

// The rule: emulated before Windows Vista (major version below 6), with a
// common-controls library of major file version 5 or lower, or when forced.
// An unreadable library version leaves the choice to the native dialog.
bool EmulationRequired(DWORD systemMajor, std::optional<DWORD> comctlMajor,
                       TNonNativeDialog nonNative);

// The face a dialog shows in first.
std::unique_ptr<TTaskDialogFace> ChooseTaskDialogFace(TAdvTaskDialog& dialog);
// The face that stands in when the first one failed: the emulated window.
std::unique_ptr<TTaskDialogFace> StandInTaskDialogFace(TAdvTaskDialog& dialog);
