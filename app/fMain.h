// The main window: two folders, compare, review, copy, report.
#pragma once

#include "controls/edits/AdvDirectoryEdit.h"
#include "controls/frame/AdvAppStyler.h"
#include "controls/frame/AdvPanel.h"
#include "controls/frame/AdvToolBar.h"
#include "controls/html/HTMListB.h"
#include "controls/paint/AdvGlowButton.h"
#include "controls/paint/AdvProgressBar.h"
#include "controls/taskdialog/TaskDialog.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "sync/CopyList.h"
#include "sync/CopyRun.h"
#include "sync/FileSystem.h"
#include "sync/SyncRecord.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class TKorvandelMain : public TAdvToolBarForm {
  public:
    // fileSystem is the one that the comparison and the copy run work on.
    explicit TKorvandelMain(TComponent* owner, TFileSystem& fileSystem = SystemFileSystem());
    ~TKorvandelMain() override;

    TAdvToolBarPager* MainPager;
    TAdvPanel* pBack;
    TAdvDirectoryEdit* StickDir;
    TAdvDirectoryEdit* DiskDir;
    THTMListBox* ToStick;
    TAdvGlowButton* bScan;
    TAdvGlowButton* bCopy;
    THTMListBox* ToDisk;
    TLabel* Label1;
    TLabel* Label2;
    TImageList* StdImages;
    TAdvProgressBar* CopyProg;
    TLabel* CopyFile; // the name of the file being copied
    TAdvGlowButton* bCancel;
    TAdvProgressBar* ScanProg;
    TAdvGlowButton* bScanCancel;
    TAdvToolBarOfficeStyler* AdvToolBarOfficeStyler1;
    TAdvPanelStyler* StdPanelStyler;
    TAdvFormStyler* AdvFormStyler1;
    TAdvAppStyler* AdvAppStyler1;

    const TCopyList& CopyList() const { return FCopyList; }
    const std::vector<TOtherRoot>& OtherRoots() const { return FOtherRoots; }
    const std::string& SettingsFile() const { return FSettingsFile; }
    // The record of the folders last compared; empty before the first comparison.
    const std::string& SyncRecordFile() const {
        static const std::string none;
        return FRecordFile ? FRecordFile->Path() : none;
    }

    void bScanClick(TComponent* sender);
    void bCopyClick(TComponent* sender);
    void bCancelClick(TComponent* sender);
    void bScanCancelClick(TComponent* sender);
    // Keeps later styles off the glow buttons, which keep their own colours.
    void AdvFormStyler1ApplyStyle(TComponent* sender, TComponent* component, bool& allow);

  private:
    void CreateControls();
    void FormCreate();
    void FormDestroy();
    void ShowReport(TComponent* owner, const std::string& title, const std::string& instruction,
                    const std::string& content, const std::string& customButton,
                    TTaskDialogIcon icon);
    void SetFoldersEnabled(bool enabled);
    // Shows `shown` in the place of `hidden`, with the focus if `hidden` had it.
    void SwapButtons(TAdvGlowButton* hidden, TAdvGlowButton* shown);
    void SaveRecord();
    bool FoldersUsable();
    void ShowCopyStatus(const TCopyStatus& status);
    void ShowCopyResult(const TCopyRunResult& result, int total);
    bool CancelTooSoon(const TAdvGlowButton* button) const;
    // Puts the folders left out as the other side's root at the top of their lists.
    void AddOtherRoots();

    std::string FSettingsFile;
    std::string FComputerName;
    // The stick folder as shown at start, and the serial remembered for it.
    std::string FStickFolder;
    std::optional<std::uint32_t> FStickSerial;
    TCopyList FCopyList;
    std::vector<TOtherRoot> FOtherRoots; // of the last comparison
    bool FCancelCopy = false;
    bool FCancelScan = false;
    // When the running comparison or copy run started, and when the copy bar's
    // text was last set (GetTickCount).
    DWORD FRunStart = 0;
    DWORD FTextShown = 0;
    TFileSystem& FFileSystem;
    // What both folders held when last in step, for the two folders last compared.
    TSyncRecord FRecord;
    std::unique_ptr<TSyncRecordFile> FRecordFile;
    bool FRecordDamaged = false; // until a report has said that a new one begins
};
