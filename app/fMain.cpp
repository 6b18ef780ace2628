#include "app/fMain.h"

#include "controls/taskdialog/TaskDialogEx.h"

#include "sync/Compare.h"
#include "sync/CopyRun.h"
#include "sync/InStep.h"
#include "sync/Settings.h"
#include "sync/StickDrive.h"

#include <memory>
#include <utility>

namespace {
constexpr int kClientWidth = 331;
constexpr int kClientHeight = 469;
constexpr TColor kPanelTextColor = 7485192;
// "<IMG src="idx:0"> " puts the warning triangle of StdImages before a path.
constexpr char kFailureMarker[] = "<IMG src=\"idx:0\"> ";
// The second image: a file that both sides changed.
constexpr char kConflictMarker[] = "<IMG src=\"idx:1\"> ";

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

void TKorvandelMain::bScanClick(TComponent*) {
    SwapButtons(bScan, bScanCancel);
    bCopy->SetEnabled(false);
    SetFoldersEnabled(false);

    FCancelScan = false;
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
    CompareFolders(
        FFileSystem, FCopyList, FCancelScan, [] { Application->ProcessMessages(); },
        StickDir->Text(), DiskDir->Text(), &FRecord);
    if (!FCancelScan)
        SaveRecord();

    ToStick->BeginUpdate();
    ToDisk->BeginUpdate();
    // An entry that fails from the start (a folder that could not be listed) is
    // marked at once, so that nothing is left out unseen.
    for (const auto& entry : FCopyList)
        (entry->ToStickFlag ? ToStick : ToDisk)
            ->AddItem((!entry->Copied    ? kFailureMarker
                       : entry->Conflict ? kConflictMarker
                                         : "") +
                          entry->SourcePath,
                      entry.get());
    ToStick->EndUpdate();
    ToDisk->EndUpdate();

    ScanProg->Hide();
    SwapButtons(bScanCancel, bScan);
    SetFoldersEnabled(true);
    bCopy->SetEnabled(!FCopyList.empty());
}

void TKorvandelMain::bCopyClick(TComponent*) {
    CopyProg->SetPosition(0);
    CopyProg->SetMax(static_cast<int>(FCopyList.size()) - 1);
    CopyProg->Show();
    SwapButtons(bCopy, bCancel);
    FCancelCopy = false;
    SetFoldersEnabled(false);
    bScan->SetEnabled(false);

    const TCopyRunResult result = RunCopy(
        FFileSystem, FCopyList, FCancelCopy, [] { Application->ProcessMessages(); },
        [this](int position) { CopyProg->SetPosition(position); }, FComputerName);
    RecordCopied(FRecord, FCopyList);
    SaveRecord();

    CopyProg->Hide();
    SwapButtons(bCancel, bCopy);
    SetFoldersEnabled(true);
    bScan->SetEnabled(true);

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
                 "digt; "
                 "Korvandel beginnt einen neuen.";
    if (result.FailedCount > 0) {
        ShowReport(
            this, Application->Title, instruction,
            std::to_string(result.FailedCount) + " Dateien konnten nicht kopiert werden\r\n" +
                std::to_string(result.CopiedCount) + " Dateien wurden erfolgreich kopiert" + notes,
            "", tiWarning);
        // One batch per list: thousands of failures are marked without a
        // repaint each.
        for (THTMListBox* list : {ToStick, ToDisk}) {
            list->BeginUpdate();
            for (int i = 0; i < list->Count(); ++i) {
                const auto* entry = static_cast<const TCopyEntry*>(list->Objects(i));
                if (!entry->Copied)
                    list->SetString(i, kFailureMarker + entry->SourcePath);
            }
            list->EndUpdate();
        }
    } else {
        ShowReport(this, Application->Title, instruction,
                   "Alle " + std::to_string(result.CopiedCount) +
                       " Dateien wurden erfolgreich kopiert." + notes,
                   "", tiInformation);
        ToStick->Clear();
        ToDisk->Clear();
        FCopyList.clear();
    }
}

// A record that cannot be written leaves the one before, which only makes the
// next comparison more careful.
void TKorvandelMain::SaveRecord() {
    if (FRecordFile)
        FRecordFile->Save(FFileSystem, FRecord);
}

void TKorvandelMain::bCancelClick(TComponent*) {
    FCancelCopy = true;
}

void TKorvandelMain::bScanCancelClick(TComponent*) {
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
