#include "app/fMain.h"

#include "app/ReportTexts.h"
#include "controls/taskdialog/TaskDialogEx.h"

#include "sync/Compare.h"
#include "sync/CopyRun.h"
#include "sync/FolderCheck.h"
#include "sync/InStep.h"
#include "sync/Paths.h"
#include "sync/Settings.h"
#include "sync/StickDrive.h"

#include <memory>
#include <utility>
#include <vector>

namespace {
constexpr int kClientWidth = 331;
constexpr int kClientHeight = 469;
constexpr TColor kPanelTextColor = 7485192;
// The list images, warning and conflict, as drawn for screens of 96, 120, 144
// and 192 pixels per inch.
struct TListPictures {
    int Size;
    const char* Warning;
    const char* Conflict;
};
constexpr TListPictures kListPictures[] = {{16, "WARNING", "CONFLICT"},
                                           {20, "WARNING20", "CONFLICT20"},
                                           {24, "WARNING24", "CONFLICT24"},
                                           {32, "WARNING32", "CONFLICT32"}};

// The largest pictures that fit `size`: a picture is never stretched, which
// would blur it.
const TListPictures& ListPicturesFor(int size) {
    const TListPictures* chosen = &kListPictures[0];
    for (const TListPictures& pictures : kListPictures)
        if (pictures.Size <= size)
            chosen = &pictures;
    return *chosen;
}

// The copy bar runs over the bytes in this many steps.
constexpr int kCopyBarSteps = 1000;
// The bar's speed and the file's name change at most this often (ms), so that
// thousands of small files are not slowed by their painting.
constexpr DWORD kCopyTextInterval = 250;
// Speed and time left are shown once this much (ms) has been measured.
constexpr DWORD kSpeedKnownAfter = 1000;

TFont TahomaFont(TColor color) {
    TFont font;
    font.SetName("Tahoma");
    font.SetSize(8);
    font.SetColor(color);
    return font;
}
} // namespace

TKorvandelMain::TKorvandelMain(TComponent* owner, TFileSystem& fileSystem)
    : TAdvToolBarForm(owner), FFileSystem(fileSystem) {
    BeginLoading();
    CreateControls();
    EndLoading();
    FormCreate();
}

TKorvandelMain::~TKorvandelMain() {
    FormDestroy();
}

void TKorvandelMain::CreateControls() {
    Name = "KorvandelMain";
    // The layout below is in pixels at 96 pixels per inch; on a screen of
    // another resolution it grows with the fonts, which are in points.
    SetPixelsPerInch(96);
    SetScaled(true);
    SetPosition(TPosition::poScreenCenter);
    SetColor(clBtnFace);
    Font.Assign(TahomaFont(clWindowText));
    SetClientSize(kClientWidth, kClientHeight);

    MainPager = new TAdvToolBarPager(this);
    MainPager->SetBounds(0, 0, kClientWidth, 27);
    MainPager->SetCanMove(true);
    MainPager->SetCaptionButtons(TCaptionButton::cbClose | TCaptionButton::cbMinimize);
    MainPager->Caption().SetIndent(0);
    MainPager->SetParent(this);
    MainPager->SetTabOrder(0);

    // The Luna background; the labels and lists take its font.
    pBack = new TAdvPanel(this);
    pBack->SetBounds(0, 27, kClientWidth, kClientHeight - 27);
    pBack->SetAlign(TAlign::alClient);
    pBack->SetBevelOuter(TBevelCut::bvNone);
    pBack->SetColor(16445929);
    pBack->SetColorTo(15587527);
    pBack->SetColorMirror(15587527);
    pBack->SetColorMirrorTo(16773863);
    pBack->SetBorderColor(16765615);
    pBack->SetShadowColor(clBlack);
    pBack->SetShadowOffset(0);
    pBack->Font.Assign(TahomaFont(kPanelTextColor));
    pBack->SetParent(this);
    pBack->SetTabOrder(1);

    auto place = [this](TWinControl* control, int left, int top, int width, int height,
                        int tabOrder) {
        control->SetBounds(left, top, width, height);
        control->SetTabOrder(tabOrder);
        control->SetParent(pBack);
    };
    // The four buttons keep the window's own Luna colours. Each is a tab
    // stop; a cancel button also takes Escape while it shows.
    auto glowButton = [&](const char* caption, int top, int tabOrder, bool visible,
                          void (TKorvandelMain::*handler)(TComponent*)) {
        auto* button = new TAdvGlowButton(this);
        SetOffice2007LunaAppearance(button->Appearance());
        button->SetCaption(caption);
        button->SetTabStop(true);
        button->SetVisible(visible);
        button->OnClick = [this, handler](TComponent* sender) { (this->*handler)(sender); };
        place(button, 221, top, 100, 33, tabOrder);
        return button;
    };

    // The folders: the label left of the edit, in the panel's font until the
    // edit is first focused and in LabelFont from then on; its access key
    // focuses the edit, and Tab goes on to the browse button.
    auto folderEdit = [&](const char* label, const char* browseText, int top, int tabOrder) {
        auto* edit = new TAdvDirectoryEdit(this);
        edit->SetLabelCaption(label);
        edit->Button()->SetTabStop(true);
        edit->SetLabelPosition(lpLeftCenter);
        edit->SetLabelTransparent(true);
        edit->LabelFont.Assign(TahomaFont(clWindowText));
        edit->SetButtonWidth(ScaleToScreen(18));
        edit->BrowseDialogText = browseText;
        place(edit, 40, top, 281, 21, tabOrder);
        return edit;
    };
    StickDir = folderEdit("&Stick", "W\xE4hlen Sie das Verzeichnis des USB-Sticks", 16, 0);
    DiskDir = folderEdit("&Platte", "W\xE4hlen Sie das Vrzeichnis am Computer", 43, 1);

    // The result lists: markup items in the panel's font, the warning image
    // for failed items, and the Luna selection that the form styler gives
    // below.
    auto resultList = [&](int top, int tabOrder) {
        auto* list = new THTMListBox(this);
        list->SetItemHeight(16);
        list->SetMultiline(true);
        list->SetEllipsis(false);
        list->SetShowSelection(true);
        list->SetShadowOffset(1);
        place(list, 8, top, 313, 124, tabOrder);
        return list;
    };
    // Both bars: lime blocks that shade to pale green at their edges, at
    // every level; the scan bar runs endlessly without text.
    auto progressBar = [&](int top, bool endless) {
        auto* bar = new TAdvProgressBar(this);
        for (auto setColorTo :
             {&TAdvProgressBar::SetLevel0ColorTo, &TAdvProgressBar::SetLevel1ColorTo,
              &TAdvProgressBar::SetLevel2ColorTo, &TAdvProgressBar::SetLevel3ColorTo})
            (bar->*setColorTo)(14811105);
        bar->SetLevel1Color(clLime);
        bar->SetLevel2Color(clLime);
        bar->SetLevel3Color(clLime);
        bar->SetLevel1Perc(100);
        bar->SetLevel2Perc(100);
        bar->SetPosition(50);
        bar->SetShowBorder(true);
        bar->SetSteps(20);
        bar->Font.SetName("Verdana");
        // Given in pixels, not points: it grows with the bar.
        bar->Font.SetHeight(ScaleToScreen(13));
        bar->Font.SetColor(clWindowText);
        bar->SetVisible(false);
        if (endless) {
            bar->SetAnimated(true);
            bar->SetInfinite(true);
            bar->SetShowPercentage(false);
            bar->SetShowPosition(false);
        }
        bar->SetBounds(8, top, 201, 18);
        bar->SetParent(pBack);
        return bar;
    };

    // Tab goes in reading order: the folders, the compare button (or its
    // cancel button), the lists, the copy button (or its cancel button).
    ToStick = resultList(125, 4);
    bScan = glowButton("&Vergleichen", 70, 2, true, &TKorvandelMain::bScanClick);
    bCopy = glowButton("&Kopieren", 399, 6, true, &TKorvandelMain::bCopyClick);
    bCopy->SetEnabled(false);
    ToDisk = resultList(269, 5);

    Label1 = new TLabel(this);
    Label1->SetCaption("Auf den Stick");
    Label1->SetBounds(8, 111, 63, 13);
    Label1->SetParent(pBack);
    Label2 = new TLabel(this);
    Label2->SetCaption("Auf die Platte");
    Label2->SetBounds(8, 255, 65, 13);
    Label2->SetParent(pBack);

    const TListPictures& pictures = ListPicturesFor(ScaleToScreen(16));
    StdImages = new TImageList(this, pictures.Size, pictures.Size);
    StdImages->AddResource(GetModuleHandleA(nullptr), pictures.Warning);
    StdImages->AddResource(GetModuleHandleA(nullptr), pictures.Conflict);
    ToStick->SetImages(StdImages);
    ToDisk->SetImages(StdImages);

    CopyProg = progressBar(408, false);
    CopyFile = new TLabel(this);
    CopyFile->AutoSize = false;
    CopyFile->ShowAccelChar = false;
    CopyFile->SetBounds(8, 427, 201, 13);
    CopyFile->SetVisible(false);
    CopyFile->SetParent(pBack);
    bCancel = glowButton("Abbrechen", 399, 7, false, &TKorvandelMain::bCancelClick);
    ScanProg = progressBar(77, true);
    bScanCancel = glowButton("Abbrechen", 70, 3, false, &TKorvandelMain::bScanCancelClick);
    bCancel->Cancel = true;
    bScanCancel->Cancel = true;

    AdvToolBarOfficeStyler1 = new TAdvToolBarOfficeStyler(this);
    AdvToolBarOfficeStyler1->SetStyle(bsOffice2007Luna);
    // The stored font names, read after the style, win over the system font.
    for (TFont* font :
         {&AdvToolBarOfficeStyler1->Font, &AdvToolBarOfficeStyler1->CaptionFont,
          &AdvToolBarOfficeStyler1->PagerCaption.Font, &AdvToolBarOfficeStyler1->TabAppearance.Font,
          &AdvToolBarOfficeStyler1->GroupAppearance.Font,
          &AdvToolBarOfficeStyler1->ButtonAppearance.Font})
        font->SetName("Tahoma");
    MainPager->SetToolBarStyler(AdvToolBarOfficeStyler1);

    StdPanelStyler = new TAdvPanelStyler(this);
    StdPanelStyler->Settings.Values.Edit([](TAdvPanelValues& v) {
        v.ShadowColor = clBlack;
        v.ShadowOffset = 0;
    });
    StdPanelStyler->SetStyle(psOffice2007Luna);
    pBack->SetStyler(StdPanelStyler);

    // The style is applied as it is set, to everything made so far and
    // without the filter, which holds only for later changes.
    AdvFormStyler1 = new TAdvFormStyler(this);
    AdvFormStyler1->SetStyle(tsOffice2007Luna);
    AdvAppStyler1 = new TAdvAppStyler(this);
    AdvAppStyler1->SetStyle(tsOffice2007Luna);
    AdvFormStyler1->SetAppStyle(AdvAppStyler1);
    AdvFormStyler1->OnApplyStyle = [this](TComponent* sender, TComponent* component, bool& allow) {
        AdvFormStyler1ApplyStyle(sender, component, allow);
    };
}

void TKorvandelMain::AdvFormStyler1ApplyStyle(TComponent*, TComponent* component, bool& allow) {
    allow = !dynamic_cast<TAdvCustomGlowButton*>(component);
}

void TKorvandelMain::FormCreate() {
    FCopyList.clear();
    FComputerName = ReadComputerName(FFileSystem);
    MainPager->Caption().SetCaption("Korvandel auf " + FComputerName);
    // The file functions take exact paths; the program's name is a text.
    FSettingsFile =
        SettingsFileFor(Application ? ExactPath(Application->ExeName()) : std::string());
    const TFolderPair folders = ReadFolders(FFileSystem, FSettingsFile, FComputerName);
    FStickSerial = folders.StickSerial;
    FStickFolder =
        FollowedStickFolder(FFileSystem, folders.Stick, FStickSerial, FFileSystem.ExecutablePath());
    StickDir->SetText(FStickFolder);
    DiskDir->SetText(folders.Disk);
}

void TKorvandelMain::FormDestroy() {
    FCopyList.clear();
    // The folder shown at start keeps its stick: its drive may hold another
    // volume today, or none, without that making it the stick.
    const std::string stick = StickDir->Text();
    std::optional<std::uint32_t> serial = FStickSerial;
    if (stick != FStickFolder || !serial)
        serial = DriveSerialOf(FFileSystem, stick);
    WriteFolders(FFileSystem, FSettingsFile, FComputerName,
                 TFolderPair{stick, DiskDir->Text(), serial});
}

void TKorvandelMain::SetFoldersEnabled(bool enabled) {
    // DiskDir goes first: a focused StickDir then hands the focus past it
    // instead of into it, which would also recolour its label for good.
    DiskDir->SetEnabled(enabled);
    StickDir->SetEnabled(enabled);
}

void TKorvandelMain::SwapButtons(TAdvGlowButton* hidden, TAdvGlowButton* shown) {
    // The keyboard stays on the button's place rather than moving on.
    const bool focused = hidden->Focused();
    shown->Show();
    if (focused)
        shown->SetFocus();
    hidden->Hide();
}

// The two folders must be there and differ; otherwise the user is told which
// field is wrong and why, and nothing is listed.
bool TKorvandelMain::FoldersUsable() {
    const TFolderCheck check = CheckFolders(FFileSystem, StickDir->Text(), DiskDir->Text());
    if (check.Problem == TFolderProblem::None)
        return true;
    ToStick->Clear();
    ToDisk->Clear();
    FCopyList.clear();
    FOtherRoots.clear();
    bCopy->SetEnabled(false);
    ShowReport(this, Application->Title, FolderProblemInstruction(check), FolderProblemText(check),
               "", tiWarning);
    return false;
}

void TKorvandelMain::bScanClick(TComponent*) {
    if (!FoldersUsable())
        return;
    SwapButtons(bScan, bScanCancel);
    bCopy->SetEnabled(false);
    SetFoldersEnabled(false);

    FCancelScan = false;
    FRunStart = GetTickCount();
    FCopyList.clear();
    ToStick->Clear();
    ToDisk->Clear();
    ScanProg->Show();

    // The record belongs to this computer and these two folders.
    FRecordFile = std::make_unique<TSyncRecordFile>(
        SyncRecordFileFor(FSettingsFile, FComputerName, ExactPath(FolderRoot(StickDir->Text())),
                          ExactPath(FolderRoot(DiskDir->Text()))));
    FRecordDamaged =
        FRecordFile->Load(FFileSystem, FRecord) == TRecordLoad::Damaged || FRecordDamaged;
    // The comparison pumps once per folder it enters, until the cancel.
    int folders = 0;
    CompareFolders(
        FFileSystem, FCopyList, FCancelScan,
        [this, &folders] {
            folders += FCancelScan ? 0 : 1;
            Application->ProcessMessages();
        },
        StickDir->Text(), DiskDir->Text(), &FRecord, &FOtherRoots);
    if (!FCancelScan)
        SaveRecord();

    ToStick->BeginUpdate();
    ToDisk->BeginUpdate();
    AddOtherRoots();
    // An entry that fails from the start (a folder that could not be listed) is
    // marked at once, so that nothing is left out unseen.
    for (const auto& entry : FCopyList)
        (entry->ToStickFlag ? ToStick : ToDisk)->AddItem(ItemText(*entry), entry.get());
    ToStick->EndUpdate();
    ToDisk->EndUpdate();

    ScanProg->Hide();
    SwapButtons(bScanCancel, bScan);
    SetFoldersEnabled(true);
    bCopy->SetEnabled(!FCopyList.empty());
    // Lists cut short must not pass for folders in step.
    if (FCancelScan)
        ShowReport(this, Application->Title, "Vergleich abgebrochen",
                   CancelledCompareText(folders, static_cast<int>(FCopyList.size())), "",
                   tiWarning);
}

void TKorvandelMain::bCopyClick(TComponent*) {
    const int total = static_cast<int>(FCopyList.size());
    CopyProg->SetPosition(0);
    CopyProg->SetMax(kCopyBarSteps);
    CopyProg->SetFormat("");
    CopyProg->Show();
    CopyFile->SetCaption("");
    CopyFile->Show();
    SwapButtons(bCopy, bCancel);
    FCancelCopy = false;
    FRunStart = GetTickCount();
    FTextShown = FRunStart - kCopyTextInterval;
    SetFoldersEnabled(false);
    bScan->SetEnabled(false);

    const TPump pump = [] { Application->ProcessMessages(); };
    const TCopyPlan plan = PlanCopy(FFileSystem, FCopyList, pump);
    TCopyRunResult result;
    if (plan.Shortages.empty()) {
        result = RunCopy(
            FFileSystem, FCopyList, plan, FCancelCopy, pump,
            [this](const TCopyStatus& status) { ShowCopyStatus(status); }, FComputerName);
        RecordCopied(FRecord, FCopyList);
        SaveRecord();
    }

    CopyProg->Hide();
    CopyFile->Hide();
    SwapButtons(bCancel, bCopy);
    SetFoldersEnabled(true);
    bScan->SetEnabled(true);

    if (plan.Shortages.empty()) {
        ShowCopyResult(result, total);
        return;
    }
    std::string text;
    for (const TSpaceShortage& shortage : plan.Shortages)
        text += (text.empty() ? "" : "\r\n") + ShortageText(shortage);
    ShowReport(this, Application->Title, "Nicht genug Platz", text, "", tiWarning);
}

void TKorvandelMain::ShowCopyStatus(const TCopyStatus& status) {
    const double done = status.TotalBytes == 0 ? 0.0
                                               : static_cast<double>(status.DoneBytes) /
                                                     static_cast<double>(status.TotalBytes);
    CopyProg->SetPosition(static_cast<int>(done * kCopyBarSteps));
    const DWORD now = GetTickCount();
    if (now - FTextShown < kCopyTextInterval)
        return;
    FTextShown = now;
    CopyFile->SetCaption(std::string(NamePart(FCopyList[status.Index]->SourcePath)));
    const DWORD elapsed = now - FRunStart;
    if (elapsed < kSpeedKnownAfter || status.DoneBytes == 0)
        return;
    const double speed = static_cast<double>(status.DoneBytes) * 1000.0 / elapsed;
    const double left = static_cast<double>(status.TotalBytes - status.DoneBytes) / speed;
    CopyProg->SetFormat(SpeedText(speed, static_cast<std::uint64_t>(left + 0.5)));
}

void TKorvandelMain::ShowCopyResult(const TCopyRunResult& result, int total) {
    const std::string instruction =
        result.Cancelled ? "Abbruch durch den Benutzer" : "Kopierergebnis";
    // Lines that follow the counts, when there is something to say.
    std::string notes;
    if (result.KeptOlderCount > 0)
        notes += "\r\n" + std::to_string(result.KeptOlderCount) +
                 " Dateien waren auf beiden Seiten ge\xe4ndert; die \xe4ltere Fassung liegt "
                 "daneben.";
    if (std::exchange(FRecordDamaged, false))
        notes += "\r\nDer gespeicherte Stand des letzten Abgleichs war besch\xe4"
                 "digt; Korvandel beginnt einen neuen.";
    ShowReport(this, Application->Title, instruction,
               CopyReportContent(result, FCopyList, total) + notes, "",
               result.FailedCount > 0 ? tiWarning : tiInformation);
    if (result.FailedCount == 0 && !result.Cancelled) {
        ToStick->Clear();
        ToDisk->Clear();
        AddOtherRoots();
        FCopyList.clear();
        bCopy->SetEnabled(false);
        return;
    }
    // A cancelled run takes what it copied off the lists and leaves the rest for
    // another "Kopieren"; a finished one leaves everything for another attempt.
    const std::size_t attempted = static_cast<std::size_t>(result.AttemptedCount);
    // Each list holds the entries of its direction in the order of the copy list.
    // One batch per list: thousands of failures are marked without a repaint each.
    ToStick->BeginUpdate();
    ToDisk->BeginUpdate();
    // The next item of ToDisk and of ToStick, below the folders left out.
    int items[2] = {0, 0};
    for (const TOtherRoot& root : FOtherRoots)
        ++items[root.ToStickFlag ? 1 : 0];
    for (std::size_t i = 0; i < FCopyList.size(); ++i) {
        const TCopyEntry& entry = *FCopyList[i];
        THTMListBox* list = entry.ToStickFlag ? ToStick : ToDisk;
        int& item = items[entry.ToStickFlag ? 1 : 0];
        if (result.Cancelled && i < attempted && entry.Copied) {
            list->Delete(item);
            continue;
        }
        if (!entry.Copied)
            list->SetString(item, ItemText(entry));
        ++item;
    }
    ToStick->EndUpdate();
    ToDisk->EndUpdate();
    std::size_t index = 0;
    std::erase_if(FCopyList, [&](const auto& entry) {
        return result.Cancelled && index++ < attempted && entry->Copied;
    });
    bCopy->SetEnabled(!FCopyList.empty());
}

// A mouse click that lands on "Abbrechen" within the double-click time after the
// run started is the second half of the double click that started it; a key
// means what it says.
bool TKorvandelMain::CancelTooSoon(const TAdvGlowButton* button) const {
    return !button->KeyClicking() && GetTickCount() - FRunStart < GetDoubleClickTime();
}

// Such a folder is neither copied nor counted: it stands there so that nothing
// is left out unseen.
void TKorvandelMain::AddOtherRoots() {
    for (const TOtherRoot& root : FOtherRoots)
        (root.ToStickFlag ? ToStick : ToDisk)->AddItem(OtherRootText(root), nullptr);
}

// A record that cannot be written leaves the one before, which only makes the
// next comparison more careful.
void TKorvandelMain::SaveRecord() {
    if (FRecordFile)
        FRecordFile->Save(FFileSystem, FRecord);
}

void TKorvandelMain::bCancelClick(TComponent*) {
    if (!CancelTooSoon(bCancel))
        FCancelCopy = true;
}

void TKorvandelMain::bScanCancelClick(TComponent*) {
    if (!CancelTooSoon(bScanCancel))
        FCancelScan = true;
}

void TKorvandelMain::ShowReport(TComponent* owner, const std::string& title,
                                const std::string& instruction, const std::string& content,
                                const std::string& customButton, TTaskDialogIcon icon) {
    // Freed on the way out, also when showing it failed.
    auto dialog = std::make_unique<TAdvTaskDialogEx>(owner);
    dialog->SetTitle(title);
    dialog->SetInstruction(instruction);
    dialog->SetContent(content);
    if (!customButton.empty())
        dialog->CustomButtons().push_back(customButton);
    else
        dialog->CommonButtons = {cbOK};
    dialog->Icon = icon;
    dialog->Execute();
}
