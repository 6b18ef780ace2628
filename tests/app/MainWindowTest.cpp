// The main window driven as a user would: folders typed in, buttons clicked,
// cancel pressed from inside the running pump, the report read and closed.
#include "app/fMain.h"
#include "app/ReportTexts.h"
#include "controls/taskdialog/AdvMessageForm.h"
#include "framework/Text.h"
#include "sync/CopyList.h"
#include "sync/FailReason.h"
#include "sync/Settings.h"
#include "tests/controls/paint/Pixels.h"
#include "tests/support/FreshApplication.h"
#include "tests/support/HeldKeys.h"
#include "tests/support/VistaAnswer.h"
#include "tests/sync/ForwardingFileSystem.h"
#include "tests/support/RemoveTree.h"
#include "tests/support/ScreenResolution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---- files

std::string TempBase() {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "korvandel-app-" + std::to_string(GetCurrentProcessId()) + "\\";
}

// A FILETIME for 2024-03-05 12:00:00 UTC plus some seconds.
FILETIME TimeAt(int secondsLater) {
    SYSTEMTIME st{2024, 3, 0, 5, 12, 0, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER v{{ft.dwLowDateTime, ft.dwHighDateTime}};
    v.QuadPart += static_cast<ULONGLONG>(secondsLater) * 10000000ULL;
    return FILETIME{v.LowPart, v.HighPart};
}

void PutFile(const std::string& path, const std::string& contents, int secondsLater) {
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    const FILETIME ft = TimeAt(secondsLater);
    SetFileTime(file, nullptr, nullptr, &ft);
    CloseHandle(file);
}

std::string FileText(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    char buffer[256];
    DWORD read = 0;
    ::ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

// ---- the report, read from either face of the task dialog

struct TReport {
    std::string Title;
    std::string Instruction;
    std::string Content;
    std::string Text; // instruction and content, one line apart
    bool Warning = false;
    bool Information = false;
    bool Emulated = false;
};

std::vector<TReport>* gReports = nullptr;
// What the reader does with a report once read; by default it presses OK.
std::function<void(HWND report)> gOnReport;

// True when the picture shows the system icon `id` on white.
bool ShowsIcon(TBitmap& picture, LPCSTR id) {
    TBitmap expected(32, 32);
    expected.Canvas().Brush.SetColor(clWhite);
    expected.Canvas().FillRect(MakeRect(0, 0, 32, 32));
    DrawIconEx(expected.Canvas().Handle(), 0, 0, LoadIcon(nullptr, id), 32, 32, 0, nullptr,
               DI_NORMAL);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (expected.Canvas().Pixel(x, y) != picture.Canvas().Pixel(x, y))
                return false;
    return true;
}

// The system's dialog: its static texts in order (instruction, then content).
BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    auto* texts = reinterpret_cast<std::vector<std::string>*>(param);
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof(cls));
    if (!SameText(cls, "Static") || (GetWindowLongA(child, GWL_STYLE) & SS_ICON))
        return TRUE;
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof(text));
    if (text[0])
        texts->push_back(text);
    return TRUE;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM param) {
    if (GetWindowLongA(child, GWL_STYLE) & SS_ICON) {
        *reinterpret_cast<HICON*>(param) =
            reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

void PressOk(HWND report) {
    if (auto* form = dynamic_cast<TAdvMessageForm*>(TWinControl::FromHandle(report))) {
        TWinControl* ok = form->CommonButtonList().at(0);
        const LPARAM middle = MAKELPARAM(ok->Width() / 2, ok->Height() / 2);
        PostMessageA(ok->Handle(), WM_MOUSEMOVE, 0, middle);
        PostMessageA(ok->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
        PostMessageA(ok->Handle(), WM_LBUTTONUP, 0, middle);
    } else
        PostMessageA(GetDlgItem(report, IDOK), BM_CLICK, 0, 0);
}

// Reads every report the window shows, native or emulated, and hands it on.
LRESULT CALLBACK ReportHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code != HC_ACTION || !gReports)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    TReport report;
    char title[256] = {};
    GetWindowTextA(msg->hwnd, title, sizeof(title));
    report.Title = title;
    auto* form = dynamic_cast<TAdvMessageForm*>(TWinControl::FromHandle(msg->hwnd));
    if (msg->message == WM_SHOWWINDOW && msg->wParam && form) {
        report.Emulated = true;
        report.Instruction = form->InstructionLabel()->Caption();
        report.Content = form->Dialog().Content();
        if (TDialogImage* icon = form->IconImage()) {
            report.Warning = ShowsIcon(icon->Picture, IDI_WARNING);
            report.Information = ShowsIcon(icon->Picture, IDI_INFORMATION);
        }
    } else if (msg->message == WM_INITDIALOG) {
        std::vector<std::string> texts;
        EnumChildWindows(msg->hwnd, CollectStatic, reinterpret_cast<LPARAM>(&texts));
        texts.resize(2);
        report.Instruction = texts[0];
        report.Content = texts[1];
        HICON icon = nullptr;
        EnumChildWindows(msg->hwnd, FindIcon, reinterpret_cast<LPARAM>(&icon));
        report.Warning = icon && icon == LoadIcon(nullptr, IDI_WARNING);
        report.Information = icon && icon == LoadIcon(nullptr, IDI_INFORMATION);
    } else
        return CallNextHookEx(nullptr, code, wParam, lParam);
    report.Text = report.Instruction + "\r\n" + report.Content;
    gReports->push_back(report);
    if (gOnReport)
        gOnReport(msg->hwnd);
    else
        PressOk(msg->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The text of a failed item: the warning image, the path, the reason small and grey.
std::string Marked(const std::string& path, const std::string& reason) {
    return "<IMG src=\"idx:0\"> " + path + " <FONT size=\"7\" color=\"#808080\">" + reason +
           "</FONT>";
}

// ---- fixture

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        base = TempBase();
        RemoveTree(base);
        CreateDirectoryA(base.c_str(), nullptr);
        stick = base + "stick";
        disk = base + "disk";
        CreateDirectoryA(stick.c_str(), nullptr);
        CreateDirectoryA(disk.c_str(), nullptr);
        app = FreshApplication();
        app->Title = "Korvandel";
        settings = SettingsFileFor(app->ExeName());
        DeleteFileA(settings.c_str());
        RemoveRecords();
        gReports = &reports;
        hook = SetWindowsHookExA(WH_CALLWNDPROCRET, ReportHook, nullptr, GetCurrentThreadId());
    }

    void TearDown() override {
        UnhookWindowsHookEx(hook);
        gReports = nullptr;
        gOnReport = nullptr;
        SetDialogFaceOverride(TDialogFace::dfRule);
        window.reset();
        app.reset();
        DeleteFileA(settings.c_str());
        RemoveRecords();
        RemoveTree(base);
    }

    // Every test starts without a record of the folders in step: the folders are
    // the same for all of them.
    void RemoveRecords() const {
        const std::string folder = settings.substr(0, settings.rfind('\\') + 1);
        WIN32_FIND_DATAA data;
        const HANDLE find = FindFirstFileA((folder + "~Korvandel Stand *.dat").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return;
        do
            DeleteFileA((folder + data.cFileName).c_str());
        while (FindNextFileA(find, &data));
        FindClose(find);
    }

    TKorvandelMain& Open(TFileSystem& fileSystem = SystemFileSystem()) {
        window = std::make_unique<TKorvandelMain>(nullptr, fileSystem);
        app->SetMainForm(window.get());
        window->Show();
        return *window;
    }

    void Close() {
        app->SetMainForm(nullptr);
        window.reset();
    }

    // Closes the window; the next start on this computer finds both folders again.
    void ExpectFoldersSavedOnClose() {
        Close();
        TKorvandelMain& again = Open();
        EXPECT_EQ(again.StickDir->Text(), stick);
        EXPECT_EQ(again.DiskDir->Text(), disk);
        Close();
        DeleteFileA(settings.c_str());
    }

    // Presses and releases the left button in the middle of a control, as a user would.
    static void Click(TWinControl* button) {
        const LPARAM middle = MAKELPARAM(button->Width() / 2, button->Height() / 2);
        SendMessageA(button->Handle(), WM_MOUSEMOVE, 0, middle);
        SendMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
        SendMessageA(button->Handle(), WM_LBUTTONUP, 0, middle);
    }

    // Presses `button` at the n-th pump from now, once the double-click time since
    // the run started has passed: a click sooner is taken for the second half of a
    // double click.
    void PressAtPump(int n, TWinControl* button) {
        int count = 0;
        app->OnPump = [=](int) mutable {
            if (++count == n) {
                Sleep(GetDoubleClickTime() + 50);
                Click(button);
            }
        };
    }

    static std::vector<std::string> Texts(const THTMListBox* list) {
        std::vector<std::string> texts;
        for (int i = 0; i < list->Count(); ++i)
            texts.push_back(list->Strings(i));
        return texts;
    }

    std::string base, stick, disk, settings;
    std::unique_ptr<TApplication> app;
    std::unique_ptr<TKorvandelMain> window;
    std::vector<TReport> reports;
    HHOOK hook = nullptr;
};

struct TState {
    bool folders, scan, scanEnabled, scanCancel, scanProg, copy, copyEnabled, cancel, copyProg;
    bool operator==(const TState&) const = default;
};

TState StateOf(const TKorvandelMain& w) {
    return {w.StickDir->Enabled() && w.DiskDir->Enabled(),
            w.bScan->Visible(),
            w.bScan->Enabled(),
            w.bScanCancel->Visible(),
            w.ScanProg->Visible(),
            w.bCopy->Visible(),
            w.bCopy->Enabled(),
            w.bCancel->Visible(),
            w.CopyProg->Visible()};
}

std::ostream& operator<<(std::ostream& os, const TState& s) {
    return os << s.folders << s.scan << s.scanEnabled << s.scanCancel << s.scanProg << s.copy
              << s.copyEnabled << s.cancel << s.copyProg;
}

constexpr TState kIdleNothingToCopy{true, true, true, false, false, true, false, false, false};
constexpr TState kIdleReady{true, true, true, false, false, true, true, false, false};
// A hidden button keeps its enabled state.
constexpr TState kComparing{false, false, true, true, true, true, false, false, false};
constexpr TState kCopying{false, true, false, false, false, false, true, true, true};

TEST_F(MainWindowTest, StartsIdleWithItsControlsInPlace) {
    TKorvandelMain& w = Open();
    EXPECT_EQ(w.MainPager->Caption().Caption(),
              "Korvandel auf " + ReadComputerName(SystemFileSystem()));
    EXPECT_EQ(w.StickDir->Text(), "");
    EXPECT_EQ(w.DiskDir->Text(), "");
    EXPECT_EQ(StateOf(w), kIdleNothingToCopy);

    RECT client;
    GetClientRect(w.Handle(), &client);
    EXPECT_EQ(client.right, 331);
    EXPECT_EQ(client.bottom, 469);
    struct {
        TControl* control;
        RECT bounds;
    } const places[] = {
        {w.MainPager, {0, 0, 331, 27}},  {w.pBack, {0, 27, 331, 469}},
        {w.StickDir, {40, 16, 321, 37}}, {w.DiskDir, {40, 43, 321, 64}},
        {w.bScan, {221, 70, 321, 103}},  {w.bScanCancel, {221, 70, 321, 103}},
        {w.ScanProg, {8, 77, 209, 95}},  {w.ToStick, {8, 125, 321, 249}},
        {w.ToDisk, {8, 269, 321, 393}},  {w.CopyProg, {8, 408, 209, 426}},
        {w.bCopy, {221, 399, 321, 432}}, {w.bCancel, {221, 399, 321, 432}},
    };
    for (const auto& p : places) {
        const RECT r = p.control->BoundsRect();
        EXPECT_TRUE(EqualRect(&r, &p.bounds)) << p.control->Caption() << " at " << r.left << ","
                                              << r.top << "," << r.right << "," << r.bottom;
    }
    EXPECT_EQ(w.Label1->Caption(), "Auf den Stick");
    EXPECT_EQ(w.Label2->Caption(), "Auf die Platte");
    // Two images on a transparent background: the orange warning triangle, and two
    // pages with a pale blue one behind and an orange flash for a conflict.
    ASSERT_EQ(w.StdImages->Count(), 2);
    const struct {
        POINT Clear[2];
        POINT Orange;
    } images[] = {{{{0, 0}, {15, 15}}, {4, 13}}, {{{0, 15}, {15, 0}}, {8, 8}}};
    for (int index = 0; index < 2; ++index) {
        TBitmap image(16, 16);
        image.Canvas().Brush.SetColor(clWhite);
        image.Canvas().FillRect(MakeRect(0, 0, 16, 16));
        w.StdImages->Draw(image.Canvas(), 0, 0, index);
        for (const POINT& clear : images[index].Clear)
            EXPECT_EQ(image.Canvas().Pixel(clear.x, clear.y), RGB(255, 255, 255)) << index;
        const COLORREF orange =
            image.Canvas().Pixel(images[index].Orange.x, images[index].Orange.y);
        EXPECT_GT(GetRValue(orange), 200) << index;
        EXPECT_LT(GetBValue(orange), 100) << index;
    }
    TBitmap conflict(16, 16);
    w.StdImages->Draw(conflict.Canvas(), 0, 0, 1);
    const COLORREF behind = conflict.Canvas().Pixel(3, 3);
    EXPECT_GT(GetBValue(behind), GetRValue(behind));

    // The caption bar's minimise button works with the mouse only and
    // leaves the keyboard focus where it was.
    const HWND focus = GetFocus();
    Click(w.MainPager->MinButton());
    EXPECT_TRUE(IsIconic(w.Handle()));
    EXPECT_EQ(GetFocus(), focus);
    ShowWindow(w.Handle(), SW_RESTORE);
}

// The window's keys as the system delivers them: a key-down (with Alt a
// system key-down) to the window with the focus, and the character it
// translates to.
void Key(UINT msg, WPARAM key) {
    const LPARAM scan = LPARAM(MapVirtualKeyA(UINT(key), 0)) << 16;
    const LPARAM alt = msg == WM_SYSKEYDOWN || msg == WM_SYSCHAR ? KF_ALTDOWN << 16 : 0;
    PostMessageA(GetFocus(), msg, key, scan | alt | 1 | (msg == WM_KEYUP ? 0xC0000000 : 0));
    Application->ProcessMessages();
}

void Press(WPARAM key) {
    Key(WM_KEYDOWN, key);
    Key(WM_KEYUP, key);
}

// Alt and a letter: the access key.
void AltKey(char letter) {
    Key(WM_SYSKEYDOWN, VK_MENU);
    Key(WM_SYSCHAR, static_cast<WPARAM>(letter));
}

// The window with the focus now and after each of `steps` Tabs (Shift+Tab
// with `back`).
std::vector<HWND> TabWalk(int steps, bool back = false) {
    const THeldKeys shift(back ? std::vector<int>{VK_SHIFT} : std::vector<int>{});
    std::vector<HWND> order{GetFocus()};
    for (int i = 0; i < steps; ++i) {
        Key(WM_KEYDOWN, VK_TAB);
        order.push_back(GetFocus());
    }
    return order;
}

std::vector<HWND> Handles(std::initializer_list<TWinControl*> controls) {
    std::vector<HWND> handles;
    for (TWinControl* c : controls)
        handles.push_back(c->Handle());
    return handles;
}

TEST_F(MainWindowTest, TabAndShiftTabPassEveryControlInReadingOrderSkippingUnavailableOnes) {
    PutFile(stick + "\\a.txt", "a", 0);
    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    TWinControl* const stickButton = w.StickDir->Button();
    TWinControl* const diskButton = w.DiskDir->Button();
    // Each walk goes once round from its first control, forwards and then back.
    const auto round = [&](std::initializer_list<TWinControl*> controls) {
        std::vector<HWND> forwards = Handles(controls);
        forwards.push_back(forwards.front());
        std::vector<HWND> backwards(forwards.rbegin(), forwards.rend());
        const int steps = static_cast<int>(controls.size());
        EXPECT_EQ(TabWalk(steps), forwards);
        EXPECT_EQ(TabWalk(steps, true), backwards);
    };
    {
        SCOPED_TRACE("at the start, nothing to copy");
        EXPECT_TRUE(w.StickDir->Focused());
        round({w.StickDir, stickButton, w.DiskDir, diskButton, w.bScan, w.ToStick, w.ToDisk});
    }
    // Presses `key` on `start` and walks three Tabs from the focus at the
    // first pump of the run, while `cancel` shows; the test's own pumps pass,
    // and so do those of the walk itself.
    const auto walkDuringRun = [&](TAdvGlowButton* start, WPARAM key, TAdvGlowButton* cancel) {
        std::vector<HWND> walk;
        bool walked = false;
        app->OnPump = [&](int) {
            if (cancel->Visible() && !std::exchange(walked, true))
                walk = TabWalk(3);
        };
        start->SetFocus();
        Press(key);
        app->OnPump = nullptr;
        return walk;
    };
    const std::vector<HWND> comparing = walkDuringRun(w.bScan, VK_RETURN, w.bScanCancel);
    {
        SCOPED_TRACE("comparing: only the cancel button and the lists");
        EXPECT_EQ(comparing, Handles({w.bScanCancel, w.ToStick, w.ToDisk, w.bScanCancel}));
    }
    {
        SCOPED_TRACE("compared: the focus is back on the button, and Kopieren is a stop");
        EXPECT_TRUE(w.bScan->Focused());
        round({w.bScan, w.ToStick, w.ToDisk, w.bCopy, w.StickDir, stickButton, w.DiskDir,
               diskButton});
    }
    {
        SCOPED_TRACE("a disabled folder with its button is passed by");
        w.DiskDir->SetEnabled(false);
        w.StickDir->SetFocus();
        round({w.StickDir, stickButton, w.bScan, w.ToStick, w.ToDisk, w.bCopy});
        w.DiskDir->SetEnabled(true);
    }
    const std::vector<HWND> copying = walkDuringRun(w.bCopy, VK_SPACE, w.bCancel);
    {
        SCOPED_TRACE("copying: the lists and the cancel button");
        EXPECT_EQ(copying, Handles({w.bCancel, w.ToStick, w.ToDisk, w.bCancel}));
    }
    ASSERT_EQ(reports.size(), 1u);
}

TEST_F(MainWindowTest, TheFolderEditsCarryTheirLabelsAndBrowseButtons) {
    TKorvandelMain& w = Open();
    constexpr TColor kPanelText = 7485192;
    const struct {
        TAdvDirectoryEdit* Edit;
        const char* Label;
        const char* BrowseText;
    } edits[] = {
        {w.StickDir, "&Stick", "W\xE4hlen Sie das Verzeichnis des USB-Sticks"},
        {w.DiskDir, "&Platte", "W\xE4hlen Sie das Vrzeichnis am Computer"},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.Label);
        EXPECT_EQ(e.Edit->BrowseDialogText, e.BrowseText);
        // The label ends 4 pixels before the edit and is centred on it.
        const TLabel* label = e.Edit->EditLabel();
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->Caption(), e.Label);
        EXPECT_EQ(label->Parent(), w.pBack);
        EXPECT_TRUE(label->Transparent);
        EXPECT_EQ(label->Left() + label->Width(), 40 - 4);
        EXPECT_EQ(label->Top(), e.Edit->Top() + (21 - label->Height()) / 2);
        // The button: the right 18 pixels of the client area, top to bottom.
        RECT client;
        GetClientRect(e.Edit->Handle(), &client);
        const RECT holder = e.Edit->Button()->BoundsRect();
        const RECT expected = MakeRect(client.right - 18, 0, client.right, client.bottom);
        EXPECT_TRUE(EqualRect(&holder, &expected))
            << holder.left << "," << holder.top << "," << holder.right << "," << holder.bottom;
        EXPECT_TRUE(e.Edit->Button()->SpeedButton()->HasGlyph());
    }

    // The window gives the focus to StickDir: its label shows LabelFont from
    // the start, DiskDir's the panel's colour until DiskDir is focused.
    EXPECT_TRUE(w.StickDir->Focused());
    EXPECT_EQ(w.StickDir->EditLabel()->Font.Color(), clWindowText);
    EXPECT_EQ(w.DiskDir->EditLabel()->Font.Color(), kPanelText);
    EXPECT_EQ(w.DiskDir->Font.Color(), kPanelText);
    w.DiskDir->SetFocus();
    EXPECT_EQ(w.DiskDir->EditLabel()->Font.Color(), clWindowText);
    EXPECT_EQ(w.DiskDir->Font.Color(), clWindowText) << "focused";
    EXPECT_EQ(w.StickDir->Font.Color(), kPanelText) << "left";
}

TEST_F(MainWindowTest, WearsAFramelessLunaCaptionBar) {
    for (const bool vista : {false, true}) {
        SCOPED_TRACE(vista ? "Vista" : "before Vista");
        const TVistaAnswer answer(vista);
        TKorvandelMain& w = Open();
        const DWORD style = static_cast<DWORD>(GetWindowLongA(w.Handle(), GWL_STYLE));
        EXPECT_EQ(style & WS_CAPTION, 0u);
        EXPECT_NE(style & WS_SYSMENU, 0u);
        const RECT pager = w.MainPager->BoundsRect();
        const RECT expected = vista ? MakeRect(0, 0, 331, 27) : MakeRect(1, 1, 329, 28);
        EXPECT_TRUE(EqualRect(&pager, &expected))
            << pager.left << "," << pager.top << "," << pager.right << "," << pager.bottom;
        // The panel fills the rest of the inset area.
        const RECT back = w.pBack->BoundsRect();
        const RECT backExpected = vista ? MakeRect(0, 27, 331, 469) : MakeRect(1, 28, 329, 467);
        EXPECT_TRUE(EqualRect(&back, &backExpected))
            << back.left << "," << back.top << "," << back.right << "," << back.bottom;
        EXPECT_TRUE(w.MainPager->CanMove());
        EXPECT_EQ(w.MainPager->ToolBarStyler(), w.AdvToolBarOfficeStyler1);
        EXPECT_EQ(w.AdvToolBarOfficeStyler1->Style(), bsOffice2007Luna);
        EXPECT_EQ(w.AdvToolBarOfficeStyler1->PagerCaption.Font.Name(), "Tahoma");
        // Minimise and close work; the maximise button between them does not.
        const int width = w.MainPager->Width();
        EXPECT_EQ(w.MainPager->MinButton()->Left(), width - 58);
        EXPECT_TRUE(w.MainPager->MinButton()->Enabled());
        EXPECT_EQ(w.MainPager->MaxButton()->Left(), width - 40);
        EXPECT_FALSE(w.MainPager->MaxButton()->Enabled());
        EXPECT_EQ(w.MainPager->CloseButton()->Left(), width - 22);
        EXPECT_TRUE(w.MainPager->CloseButton()->Enabled());
        const RECT text = w.MainPager->TextRect();
        EXPECT_EQ(text.left, 0);
        EXPECT_EQ(text.right, width - 58);
        // Of fixed size: the top edge is part of the strip, no sizing zone,
        // and no size loop starts there.
        const POINT top = w.MainPager->ClientToScreen(POINT{165, 0});
        for (const HWND hwnd : {w.MainPager->Handle(), w.Handle()}) {
            const LRESULT hit = SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(top.x, top.y));
            EXPECT_EQ(hit, HTCLIENT);
        }
        PostMessageA(w.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
        SendMessageA(w.Handle(), WM_SYSCOMMAND, SC_SIZE | WMSZ_TOP, MAKELPARAM(top.x, top.y));
        MSG escape;
        EXPECT_TRUE(PeekMessageA(&escape, w.Handle(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE))
            << "the Escape that would end a size loop is still waiting";
        Close();
    }
}

// The size `text` takes in `font`, measured by the system.
SIZE TextSizeIn(const TFont& font, const std::string& text) {
    TBitmap bitmap(1, 1);
    bitmap.Canvas().Font = font;
    return bitmap.Canvas().TextExtent(text);
}

TEST_F(MainWindowTest, EveryTextFitsItsControlOnScreensOf96To144PixelsPerInch) {
    for (const int ppi : {96, 120, 144}) {
        SCOPED_TRACE(std::to_string(ppi) + " pixels per inch");
        TScreenResolution screen(ppi);
        TKorvandelMain& w = Open();
        // The layout is stored at 96 pixels per inch and grows with the screen.
        RECT client;
        GetClientRect(w.Handle(), &client);
        EXPECT_EQ(client.right, MulDiv(331, ppi, 96));
        EXPECT_EQ(client.bottom, MulDiv(469, ppi, 96));
        // The fonts in points are the screen's; the bars' font in pixels grows with them.
        for (TControl* c : std::initializer_list<TControl*>{w.pBack, w.Label1, w.ToStick})
            EXPECT_EQ(c->Font.Height(), MulDiv(8, ppi, 72)) << c->Name;
        EXPECT_EQ(w.CopyProg->Font.Height(), MulDiv(13, ppi, 96));

        // Labels: their text fits, above their list or left of their edit.
        const std::pair<TLabel*, TControl*> labels[] = {{w.Label1, w.ToStick},
                                                        {w.Label2, w.ToDisk},
                                                        {w.StickDir->EditLabel(), w.StickDir},
                                                        {w.DiskDir->EditLabel(), w.DiskDir}};
        for (const auto& [label, next] : labels) {
            SCOPED_TRACE(label->Caption());
            const SIZE text = label->TextSize();
            EXPECT_GE(label->Width(), text.cx);
            EXPECT_GE(label->Height(), text.cy);
            if (next == w.ToStick || next == w.ToDisk)
                EXPECT_LE(label->Top() + label->Height(), next->Top());
            else
                EXPECT_LE(label->Left() + label->Width(), next->Left());
        }
        // Edits: a line of text fits the client area.
        for (TAdvDirectoryEdit* edit : {w.StickDir, w.DiskDir}) {
            RECT r;
            GetClientRect(edit->Handle(), &r);
            EXPECT_GE(r.bottom, TextSizeIn(edit->Font, "Ag").cy) << edit->LabelCaption();
        }
        // Buttons, bars and the caption strip hold their text.
        for (TAdvGlowButton* b : {w.bScan, w.bCopy, w.bCancel, w.bScanCancel}) {
            const SIZE text = TextSizeIn(b->Font, b->Caption());
            EXPECT_GE(b->Width(), text.cx) << b->Caption();
            EXPECT_GE(b->Height(), text.cy) << b->Caption();
        }
        for (TAdvProgressBar* bar : {w.CopyProg, w.ScanProg}) {
            const SIZE text = TextSizeIn(bar->Font, "100% (100)");
            EXPECT_GE(bar->Width(), text.cx);
            EXPECT_GE(bar->Height(), text.cy);
        }
        // The copy bar's widest speed text, and a line of the copied file's name.
        const SIZE speed =
            TextSizeIn(w.CopyProg->Font, SpeedText(99.9 * 1024 * 1024, 59 * 60 + 59));
        EXPECT_GE(w.CopyProg->Width(), speed.cx);
        EXPECT_GE(w.CopyFile->Height(), TextSizeIn(w.CopyFile->Font, "Ag").cy);
        EXPECT_LE(w.CopyFile->Top() + w.CopyFile->Height(), w.pBack->ClientRect().bottom);
        const RECT strip = w.MainPager->TextRect();
        const SIZE caption = TextSizeIn(w.AdvToolBarOfficeStyler1->PagerCaption.Font,
                                        w.MainPager->Caption().Caption());
        EXPECT_GE(strip.bottom - strip.top, caption.cy);
        EXPECT_EQ(w.MainPager->Caption().Height(), w.MainPager->Height());

        // List rows are as tall as their line of text; a marked row holds its image too.
        const std::string path = "C:\\Daten\\Briefe\\Antrag gjpqy.txt";
        w.ToStick->AddItem(path, nullptr);
        w.ToStick->AddItem("<IMG src=\"idx:0\"> " + path, nullptr);
        const int line = TextSizeIn(w.ToStick->Font, "Ag").cy;
        EXPECT_EQ(w.ToStick->ItemHeights(0), line);
        EXPECT_GE(w.ToStick->ItemHeights(1), line);
        EXPECT_GE(w.ToStick->ItemHeights(1), w.StdImages->Height());
        Close();
    }
}

// Finer screens get the warning and conflict images drawn larger, never
// stretched, and the caption buttons' glyphs grow with their buttons.
TEST_F(MainWindowTest, TheWarningImageAndTheCaptionGlyphsGrowWithTheScreen) {
    const std::pair<int, int> cases[] = {{96, 16}, {110, 16}, {120, 20}, {144, 24}, {192, 32}};
    for (const auto& [ppi, size] : cases) {
        SCOPED_TRACE(std::to_string(ppi) + " pixels per inch");
        TScreenResolution screen(ppi);
        TKorvandelMain& w = Open();
        ASSERT_EQ(w.StdImages->Count(), 2); // the warning and the conflict image
        EXPECT_EQ(w.StdImages->Width(), size);
        EXPECT_EQ(w.StdImages->Height(), size);
        // The triangle fills the picture: drawn for this size, not a small one
        // in a large frame. Its corners stay transparent.
        TBitmap image(size, size);
        image.Canvas().Brush.SetColor(clWhite);
        image.Canvas().FillRect(MakeRect(0, 0, size, size));
        w.StdImages->Draw(image.Canvas(), 0, 0, 0);
        EXPECT_EQ(image.Canvas().Pixel(0, 0), RGB(255, 255, 255));
        EXPECT_EQ(image.Canvas().Pixel(size - 1, 0), RGB(255, 255, 255));
        for (const int x : {1, size / 2, size - 2}) {
            const COLORREF base = image.Canvas().Pixel(x, size * 7 / 8);
            EXPECT_NE(base, RGB(255, 255, 255)) << "the base at " << x;
        }
        const COLORREF body = image.Canvas().Pixel(size / 4, size * 13 / 16);
        EXPECT_GT(GetRValue(body), 200);
        EXPECT_LT(GetBValue(body), 100);

        // A marked row is as tall as the image it shows, or as its text.
        w.ToStick->AddItem("<IMG src=\"idx:0\"> C:\\x", nullptr);
        EXPECT_EQ(w.ToStick->ItemHeights(0),
                  std::max<int>(size, TextSizeIn(w.ToStick->Font, "Ag").cy));

        const int glyph = MulDiv(14, ppi, 96);
        EXPECT_EQ(w.MainPager->CaptionGlyphs()->Width(), glyph);
        EXPECT_EQ(w.MainPager->CaptionGlyphs()->Height(), glyph);
        Close();
    }
}

// The program declares that it scales itself, so that Windows does not
// stretch its window as a picture; the system takes it at its word.
TEST_F(MainWindowTest, TheManifestDeclaresSystemWideResolutionAwareness) {
    const HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                               SizeofResource(nullptr, found));
    // Each part inside the one before it.
    std::size_t at = 0;
    for (const char* part :
         {"<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">", "<windowsSettings>",
          "<dpiAware "
          "xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
          "</windowsSettings>", "</application>", "</assembly>"}) {
        at = manifest.find(part, at);
        ASSERT_NE(at, std::string::npos) << part;
    }
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    using TIsAware = BOOL(WINAPI*)();
    const auto isAware = reinterpret_cast<TIsAware>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "IsProcessDPIAware")));
    ASSERT_NE(isAware, nullptr);
    EXPECT_TRUE(isAware());
}

// What a window surface shows, painted into a bitmap as a paint would.
std::unique_ptr<TBitmap> Painted(TWinControl& control) {
    auto bmp = std::make_unique<TBitmap>(control.Width(), control.Height());
    control.PaintTo(bmp->Canvas());
    return bmp;
}

bool SameGlow(const TGlowButtonAppearance& a, const TGlowButtonAppearance& b) {
    return static_cast<const TGlowAppearanceValues&>(a) ==
           static_cast<const TGlowAppearanceValues&>(b);
}

struct TSelectionLook {
    TColor border, from, to, mirrorFrom, mirrorTo, font;
    bool operator==(const TSelectionLook&) const = default;
};

TSelectionLook SelectionOf(THTMListBox& list) {
    TGradientStyle& s = list.SelectionColors();
    return {s.BorderColor(),     s.ColorFrom(),     s.ColorTo(),
            s.ColorMirrorFrom(), s.ColorMirrorTo(), list.SelectionFontColor()};
}

TEST_F(MainWindowTest, StartsInLunaAndLaterStylesPassTheGlowButtonsBy) {
    TKorvandelMain& w = Open();
    TGlowButtonAppearance luna;
    SetOffice2007LunaAppearance(luna);
    TAdvGlowButton* const buttons[] = {w.bScan, w.bCopy, w.bCancel, w.bScanCancel};
    for (TAdvGlowButton* b : buttons)
        EXPECT_TRUE(SameGlow(b->Appearance(), luna)) << b->Caption();
    EXPECT_EQ(luna.Color, 15653832u);

    // The style components, linked as the window stores them.
    EXPECT_EQ(w.StdPanelStyler->Style(), psOffice2007Luna);
    EXPECT_EQ(w.pBack->Styler(), w.StdPanelStyler);
    EXPECT_EQ(w.AdvFormStyler1->Style(), tsOffice2007Luna);
    EXPECT_EQ(w.AdvFormStyler1->AppStyle(), w.AdvAppStyler1);
    EXPECT_EQ(w.AdvAppStyler1->FormStylers(), std::vector<TAdvFormStyler*>{w.AdvFormStyler1});
    EXPECT_EQ(w.AdvAppStyler1->Style(), tsOffice2007Luna);
    EXPECT_FALSE(w.AdvFormStyler1->AutoThemeAdapt());
    EXPECT_FALSE(w.AdvAppStyler1->AutoThemeAdapt());

    // The panel, its font and the controls that take it.
    EXPECT_EQ(w.pBack->Align(), TAlign::alClient);
    EXPECT_FALSE(w.pBack->ParentFont());
    for (TControl* c :
         std::initializer_list<TControl*>{w.pBack, w.Label1, w.Label2, w.ToStick, w.ToDisk}) {
        EXPECT_EQ(c->Font.Name(), "Tahoma") << c->Name;
        EXPECT_EQ(c->Font.Size(), 8) << c->Name;
        EXPECT_EQ(c->Font.Color(), 7485192u) << c->Name;
    }
    const TSelectionLook lunaSelection{clSilver, 15465983, 11267071, 6936319, 9889023, clBlack};
    EXPECT_EQ(SelectionOf(*w.ToStick), lunaSelection);
    EXPECT_EQ(SelectionOf(*w.ToDisk), lunaSelection);

    // The two halves of the background, left of every control.
    auto back = Painted(*w.pBack);
    const int bottom = w.pBack->Height() - 1, middle = w.pBack->Height() / 2;
    EXPECT_EQ(PixelAt(*back, 2, 0), 16445929u);
    EXPECT_EQ(PixelAt(*back, 2, middle), 15587527u);
    EXPECT_TRUE(Near(PixelAt(*back, 2, bottom), 16773863, 1));
    const auto caption = Painted(*w.MainPager);
    const TColor captionPixel = PixelAt(*caption, 60, 2);

    // A later style reaches the panel, the caption bar and the lists, never
    // the glow buttons. Obsidian selects list items as Luna does; Office
    // 2003 blue does not.
    for (const TTelvarStyle style : {tsOffice2007Obsidian, tsOffice2003Blue}) {
        SCOPED_TRACE(style);
        w.AdvAppStyler1->SetStyle(style);
        EXPECT_EQ(w.AdvFormStyler1->Style(), style);
        EXPECT_EQ(w.AdvToolBarOfficeStyler1->Style(), static_cast<TToolBarStyle>(style));
        back = Painted(*w.pBack);
        EXPECT_NE(PixelAt(*back, 2, 0), 16445929u);
        EXPECT_NE(PixelAt(*Painted(*w.MainPager), 60, 2), captionPixel);
        for (TAdvGlowButton* b : buttons)
            EXPECT_TRUE(SameGlow(b->Appearance(), luna)) << b->Caption();
        EXPECT_EQ(SelectionOf(*w.ToStick) == lunaSelection, style == tsOffice2007Obsidian);
        EXPECT_EQ(SelectionOf(*w.ToDisk), SelectionOf(*w.ToStick));
    }
    EXPECT_EQ(w.StdPanelStyler->Style(), psOffice2003Blue);
    EXPECT_EQ(PixelAt(*back, 2, 0), 16640730u);
    EXPECT_EQ(w.pBack->ColorMirror(), clNone);
}

// The list's client area as the list paints it, its items drawn by the window.
std::unique_ptr<TBitmap> ListPicture(THTMListBox& list) {
    RECT client;
    GetClientRect(list.Handle(), &client);
    auto bmp = std::make_unique<TBitmap>(client.right, client.bottom);
    SendMessageA(list.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bmp->Canvas().Handle()),
                 PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    return bmp;
}

// For each column of `area`, how many of its pixels are not `background`;
// columns outside the bitmap count none.
std::vector<int> InkColumns(const TBitmap& bmp, const RECT& area, TColor background) {
    std::vector<int> columns;
    for (int x = area.left; x < area.right; ++x) {
        int ink = 0;
        for (int y = area.top; y < area.bottom && x >= 0 && x < bmp.Width(); ++y)
            ink += PixelAt(bmp, x, y) != background;
        columns.push_back(ink);
    }
    return columns;
}

int FirstInk(const std::vector<int>& columns) {
    const auto at = std::find_if(columns.begin(), columns.end(), [](int ink) { return ink > 0; });
    return static_cast<int>(at - columns.begin());
}

// The system's own output of each text piece in its font, `width` columns
// wide: a piece starts where the measured ones before it end, and has a band
// of its own, so that the columns add up as on one line.
struct TPiece {
    TFont Font;
    std::string Text;
};
std::vector<int> SystemColumns(const std::vector<TPiece>& pieces, int width, TColor background) {
    const int band = 3 * TextSizeIn(pieces.front().Font, "Ag").cy;
    TBitmap bitmap(width, band * static_cast<int>(pieces.size()));
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush.SetColor(background);
    canvas.FillRect(MakeRect(0, 0, bitmap.Width(), bitmap.Height()));
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    int left = 0, top = 0;
    for (const TPiece& piece : pieces) {
        canvas.Font = piece.Font;
        RECT r = MakeRect(left, top, width, top + band);
        canvas.DrawText(piece.Text, r, DT_SINGLELINE | DT_NOPREFIX);
        canvas.DrawText(piece.Text, r, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        left = r.right;
        top += band;
    }
    GdiFlush();
    return InkColumns(bitmap, MakeRect(0, 0, width, bitmap.Height()), background);
}

// Equal ink columns from the text's start; a difference is named by its first column.
void ExpectSameColumns(const std::vector<int>& shown, const std::vector<int>& system,
                       const std::string& item) {
    const auto [a, b] = std::mismatch(shown.begin(), shown.end(), system.begin(), system.end());
    EXPECT_TRUE(a == shown.end() && b == system.end())
        << item << ": the ink differs from column " << (a - shown.begin()) << " of the text on";
}

// Names are shown exactly, as the window sets its lists up: a blank is as wide
// as the system draws it in the name, before a failure's reason too.
TEST_F(MainWindowTest, ListItemsShowNamesWithTheirBlanksAsTheSystemDrawsThem) {
    TKorvandelMain& w = Open();
    THTMListBox& list = *w.ToStick;
    TCopyEntry failed;
    failed.SourcePath = "E:\\Sync\\Antrag  Eltern & Co.txt";
    failed.Copied = false;
    failed.Reason = TFailReason::AccessDenied;
    const std::string path = "C:\\Users\\Anna\\Dokumente\\Bewerbung Stadtwerke.doc";
    list.AddItem(path, nullptr);
    list.AddItem(ItemText(failed), nullptr);
    const auto picture = ListPicture(list);
    const TColor background = ColorToRGB(list.Color());
    TFont reasonFont = list.Font;
    reasonFont.SetSize(7);
    reasonFont.SetColor(RGB(0x80, 0x80, 0x80));
    const int width = picture->Width();

    // The plain name, which also shows where the list starts its text.
    const std::vector<int> name = SystemColumns({{list.Font, path}}, width, background);
    const RECT first = list.ItemRect(0);
    const std::vector<int> row =
        InkColumns(*picture, MakeRect(0, first.top, width, first.bottom), background);
    ASSERT_LT(FirstInk(row), width) << "the name is drawn";
    const int origin = FirstInk(row) - FirstInk(name);
    ASSERT_GE(origin, 0);
    ExpectSameColumns(std::vector<int>(row.begin() + origin, row.end()),
                      std::vector<int>(name.begin(), name.end() - origin), list.Strings(0));

    // The failure: its image, then the name and the reason, each as one piece.
    const std::vector<int> failure = SystemColumns(
        {{list.Font, " " + failed.SourcePath + " "}, {reasonFont, FailReasonText(failed.Reason)}},
        width, background);
    const RECT second = list.ItemRect(1);
    ASSERT_LT(second.bottom - second.top, 2 * TextSizeIn(list.Font, "Ag").cy) << "one line";
    const int text = origin + w.StdImages->Width();
    ExpectSameColumns(
        InkColumns(*picture, MakeRect(text, second.top, width, second.bottom), background),
        std::vector<int>(failure.begin(), failure.end() - text), list.Strings(1));
}

// The close button of the caption bar and Close in its system menu both end
// the program, and the folders are saved when the window goes.
HHOOK gMenuHook = nullptr;
int gDownPresses = 0;
LRESULT CALLBACK ChooseMenuItem(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_MENU && gDownPresses > 0 && msg->hwnd) {
        for (; gDownPresses > 0; --gDownPresses)
            PostMessageA(msg->hwnd, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(msg->hwnd, WM_KEYDOWN, VK_RETURN, 0);
    }
    return CallNextHookEx(gMenuHook, code, wParam, lParam);
}

// Down presses from an unselected menu to the item with `id`; separators are skipped.
int DownPressesTo(HMENU menu, UINT id) {
    int presses = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR)
            continue;
        ++presses;
        if (GetMenuItemID(menu, i) == id)
            return presses;
    }
    return -1;
}

TEST_F(MainWindowTest, TheCaptionBarClosesTheProgramAndTheFoldersAreSaved) {
    for (const bool systemMenu : {false, true}) {
        SCOPED_TRACE(systemMenu ? "Close in the system menu" : "the close button");
        app.reset();
        app = FreshApplication();
        TKorvandelMain& w = Open();
        w.StickDir->SetText(stick);
        w.DiskDir->SetText(disk);
        if (systemMenu) {
            gDownPresses = DownPressesTo(GetSystemMenu(w.Handle(), FALSE), SC_CLOSE);
            ASSERT_GT(gDownPresses, 0);
            gMenuHook =
                SetWindowsHookExA(WH_MSGFILTER, ChooseMenuItem, nullptr, GetCurrentThreadId());
            SendMessageA(w.MainPager->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 12));
            UnhookWindowsHookEx(gMenuHook);
        } else {
            Click(w.MainPager->CloseButton());
        }
        app->ProcessMessages();
        EXPECT_TRUE(app->Terminated());
        ExpectFoldersSavedOnClose();
    }
}

// The stick came back under G: while E: is gone or holds another stick; the
// program runs from the stick or from the computer.
TEST_F(MainWindowTest, TheStickFolderFollowsTheStickToItsNewLetter) {
    struct TDrives : TForwardingFileSystem {
        bool VolumeSerial(const std::string& path, std::uint32_t& serial) override {
            const auto drive = Serials.find(path);
            if (drive != Serials.end())
                serial = drive->second;
            return drive != Serials.end();
        }
        std::string ExecutablePath() override { return Program; }
        std::map<std::string, std::uint32_t> Serials;
        std::string Program;
    };
    struct TCase {
        const char* what;
        std::map<std::string, std::uint32_t> serials;
        std::string program;
        std::string shown;
        std::string savedSerial;
    };
    const TCase cases[] = {
        {"E: is gone", {{"G:\\", 0x1234ABCD}}, "G:\\Korvandel.exe", "G:\\Sync", "1234ABCD"},
        {"another stick at E:",
         {{"E:\\", 0x0BADF00D}, {"G:\\", 0x1234ABCD}},
         "G:\\Korvandel.exe",
         "G:\\Sync",
         "1234ABCD"},
        // Nothing says where the stick is; the other stick is not taken for it.
        {"run from the computer",
         {{"E:\\", 0x0BADF00D}, {"C:\\", 0x00C0FFEE}},
         "C:\\Korvandel.exe",
         "E:\\Sync",
         "1234ABCD"},
    };
    const std::string section = "[" + ReadComputerName(SystemFileSystem()) + "]\r\n";
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        PutFile(settings,
                section + "Stick=E:\\Sync\r\nDisk=" + disk + "\r\nStickSerial=1234ABCD\r\n", 0);
        TDrives drives;
        drives.Serials = c.serials;
        drives.Program = c.program;
        EXPECT_EQ(Open(drives).StickDir->Text(), c.shown);
        EXPECT_EQ(window->DiskDir->Text(), disk);
        Close();
        EXPECT_EQ(FileText(settings), section + "Stick=" + c.shown + "\r\nDisk=" + disk +
                                          "\r\nStickSerial=" + c.savedSerial + "\r\n");
    }
}

// A folder that the user picks is remembered with the serial of its drive.
TEST_F(MainWindowTest, AChosenStickFolderIsRememberedWithItsDrivesSerial) {
    TForwardingFileSystem fs;
    Open(fs).StickDir->SetText(stick);
    std::uint32_t serial = 0;
    ASSERT_TRUE(SystemFileSystem().VolumeSerial(stick, serial));
    Close();
    EXPECT_EQ(
        ReadFolders(SystemFileSystem(), settings, ReadComputerName(SystemFileSystem())).StickSerial,
        serial);
}

TEST_F(MainWindowTest, TheKeyboardStaysAliveThroughACompareAndACopyRun) {
    PutFile(stick + "\\a.txt", "a", 0);
    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    // Started by their access keys, the runs disable the folder edit that has
    // the focus.
    const struct {
        char Key;
        TWinControl* Focus; // after the run
        TWinControl* Next;  // after a Tab
    } runs[] = {{'v', w.bScan, w.ToStick}, {'k', w.ToStick, w.ToDisk}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.Key);
        w.StickDir->SetFocus();
        ASSERT_TRUE(w.StickDir->Focused());
        AltKey(run.Key);
        EXPECT_TRUE(run.Focus->Focused()) << "the next control in tab order that stays";
        // The focus went past DiskDir, which the user never entered.
        EXPECT_EQ(w.DiskDir->EditLabel()->Font.Color(), 7485192u);
        Key(WM_KEYDOWN, VK_TAB);
        EXPECT_TRUE(run.Next->Focused()) << "Tab works";
    }
    ASSERT_EQ(reports.size(), 1u);
}

TEST_F(MainWindowTest, AccessKeysEnterSpaceAndEscapePressWhatTheMouseWould) {
    PutFile(stick + "\\root1.txt", "1", 0);
    PutFile(stick + "\\a\\inner.txt", "2", 0);
    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    int browsed = 0;
    SetFolderBrowser([&](BROWSEINFOA&) -> LPITEMIDLIST {
        ++browsed;
        return nullptr;
    });
    // Pumps inside a run; the test's own pass.
    int pumps = 0;
    const auto running = [&] { return w.bScanCancel->Visible() || w.bCancel->Visible(); };
    app->OnPump = [&](int) { pumps += running(); };

    // The labels' keys focus their edits; without Alt a letter is typed.
    AltKey('p');
    EXPECT_TRUE(w.DiskDir->Focused());
    AltKey('S');
    EXPECT_TRUE(w.StickDir->Focused());
    Key(WM_CHAR, 'p');
    EXPECT_EQ(w.StickDir->Text(), "p") << "typed over the selected text";
    EXPECT_TRUE(w.StickDir->Focused());
    w.StickDir->SetText(stick);
    // A disabled button's key does nothing, nor does Escape while no run goes.
    AltKey('k');
    Press(VK_ESCAPE);
    EXPECT_EQ(pumps, 0);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(StateOf(w), kIdleNothingToCopy);

    AltKey('v');
    EXPECT_GT(pumps, 0) << "compared";
    EXPECT_EQ(w.ToDisk->Count(), 2);
    // Enter and Space on the browse buttons open the folder dialog.
    w.StickDir->Button()->SetFocus();
    Press(VK_RETURN);
    w.DiskDir->Button()->SetFocus();
    Press(VK_SPACE);
    EXPECT_EQ(browsed, 2);
    SetFolderBrowser(nullptr);

    // Escape during a comparison presses "Abbrechen": at the pump in the
    // folder "a" the stick's root is listed, "a" no more. Alt+V and Alt+K
    // do nothing meanwhile.
    int runPumps = 0;
    bool sending = false;
    const auto atRunPump = [&](int n, const std::function<void()>& keys) {
        runPumps = 0;
        app->OnPump = [&, n, keys](int) {
            if (sending || !running() || ++runPumps != n)
                return;
            sending = true;
            keys();
            sending = false;
        };
    };
    atRunPump(2, [] {
        AltKey('v');
        AltKey('k');
        Press(VK_ESCAPE);
    });
    w.ToDisk->SetFocus();
    Press(VK_RETURN);
    EXPECT_EQ(runPumps, 0) << "Enter on a list presses nothing";
    w.bScan->SetFocus();
    Press(VK_RETURN);
    EXPECT_EQ(Texts(w.ToDisk), (std::vector<std::string>{stick + "\\root1.txt"}));
    // A key is no second half of a double click: it cancels at once.
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].Text.find("Vergleich abgebrochen"), std::string::npos);
    reports.clear();
    EXPECT_EQ(StateOf(w), kIdleReady);

    // And during a copy, before its file.
    atRunPump(1, [] { Press(VK_ESCAPE); });
    AltKey('k');
    app->OnPump = nullptr;
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].Text.find("Abbruch durch den Benutzer"), std::string::npos);
    EXPECT_NE(reports[0].Text.find("Abgebrochen: 0 von 1 Dateien kopiert."), std::string::npos)
        << reports[0].Text;
    EXPECT_EQ(StateOf(w), kIdleReady) << "the file not copied stays for Kopieren";
}

TEST_F(MainWindowTest, ComparesCopiesMarksFailuresAndCopiesAgain) {
    PutFile(stick + "\\a.txt", "a", 0);
    PutFile(stick + "\\sub\\b.txt", "b", 0);
    PutFile(stick + "\\ro.txt", "new", 100);
    PutFile(disk + "\\ro.txt", "old", 0);
    SetFileAttributesA((disk + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    PutFile(disk + "\\c.txt", "c", 50);
    PutFile(disk + "\\deep\\er\\d.txt", "d", 50);

    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk + "\\");
    std::vector<TState> during;
    app->OnPump = [&](int) { during.push_back(StateOf(w)); };
    Click(w.bScan);
    ASSERT_FALSE(during.empty());
    EXPECT_EQ(during.front(), kComparing);
    EXPECT_EQ(StateOf(w), kIdleReady);

    ASSERT_EQ(w.ToDisk->Count(), 3);
    ASSERT_EQ(w.ToStick->Count(), 2);
    for (const THTMListBox* list : {w.ToDisk, w.ToStick})
        for (int i = 0; i < list->Count(); ++i) {
            const auto* entry = static_cast<const TCopyEntry*>(list->Objects(i));
            EXPECT_EQ(list->Strings(i), entry->SourcePath);
            EXPECT_EQ(entry->ToStickFlag, list == w.ToStick);
        }
    EXPECT_EQ(w.CopyList().size(), 5u);
    // Each list holds its entries in the order the comparison found them.
    for (const THTMListBox* list : {w.ToDisk, w.ToStick}) {
        std::vector<const void*> listed, found;
        for (int i = 0; i < list->Count(); ++i)
            listed.push_back(list->Objects(i));
        for (const auto& entry : w.CopyList())
            if (entry->ToStickFlag == (list == w.ToStick))
                found.push_back(entry.get());
        EXPECT_EQ(listed, found);
    }
    // Which item holds the read-only target, its entry and its height before the copy.
    int failedIndex = -1;
    for (int i = 0; i < w.ToDisk->Count(); ++i)
        if (w.ToDisk->Strings(i) == stick + "\\ro.txt")
            failedIndex = i;
    ASSERT_GE(failedIndex, 0);
    const void* failedEntry = w.ToDisk->Objects(failedIndex);
    const int plainHeight = w.ToDisk->ItemHeights(failedIndex);

    during.clear();
    Click(w.bCopy);
    ASSERT_FALSE(during.empty());
    EXPECT_EQ(during.front(), kCopying);
    EXPECT_EQ(StateOf(w), kIdleReady) << "Kopieren stays enabled after a run";
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Title, "Korvandel");
    EXPECT_NE(reports[0].Text.find("Kopierergebnis"), std::string::npos) << reports[0].Text;
    EXPECT_NE(reports[0].Text.find("1 Dateien konnten nicht kopiert werden\r\n"
                                   "4 Dateien wurden erfolgreich kopiert"),
              std::string::npos)
        << reports[0].Text;
    EXPECT_TRUE(reports[0].Warning);

    EXPECT_NE(reports[0].Text.find("\r\n\r\nZugriff verweigert: 1"), std::string::npos)
        << reports[0].Text;
    // Everything stays listed; only the failed item carries the marker, and its
    // reason after the path, smaller and grey.
    const auto marked = [&w] {
        std::vector<std::string> paths;
        for (const THTMListBox* list : {w.ToDisk, w.ToStick})
            for (int i = 0; i < list->Count(); ++i) {
                const auto* entry = static_cast<const TCopyEntry*>(list->Objects(i));
                if (list->Strings(i) == Marked(entry->SourcePath, "Zugriff verweigert"))
                    paths.push_back(entry->SourcePath);
                else
                    EXPECT_EQ(list->Strings(i), entry->SourcePath);
            }
        return paths;
    };
    EXPECT_EQ(w.ToDisk->Count(), 3);
    EXPECT_EQ(w.ToStick->Count(), 2);
    EXPECT_EQ(marked(), std::vector<std::string>{stick + "\\ro.txt"});
    // The marked item shows the 16-pixel warning image and keeps its entry.
    EXPECT_EQ(w.ToDisk->Objects(failedIndex), failedEntry);
    EXPECT_GT(w.ToDisk->ItemHeights(failedIndex), plainHeight);
    EXPECT_GE(w.ToDisk->ItemHeights(failedIndex), 16);
    EXPECT_EQ(FileText(disk + "\\sub\\b.txt"), "b");
    EXPECT_EQ(FileText(stick + "\\deep\\er\\d.txt"), "d");
    EXPECT_EQ(FileText(disk + "\\ro.txt"), "old");

    // A second run tries every entry again; now another one fails. Both are
    // marked: the first keeps its marker although its copy succeeds now.
    SetFileAttributesA((disk + "\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA((disk + "\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Click(w.bCopy);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[1].Text.find("1 Dateien konnten nicht kopiert werden\r\n"
                                   "4 Dateien wurden erfolgreich kopiert"),
              std::string::npos)
        << reports[1].Text;
    EXPECT_EQ(w.ToDisk->Count() + w.ToStick->Count(), 5);
    std::vector<std::string> both = marked();
    std::sort(both.begin(), both.end());
    EXPECT_EQ(both, (std::vector<std::string>{stick + "\\ro.txt", stick + "\\sub\\b.txt"}));
    EXPECT_EQ(FileText(disk + "\\ro.txt"), "new");

    // With every target writable, a third run copies everything and empties the lists.
    SetFileAttributesA((disk + "\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    Click(w.bCopy);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_NE(reports[2].Text.find("Alle 5 Dateien wurden erfolgreich kopiert."), std::string::npos)
        << reports[2].Text;
    EXPECT_TRUE(reports[2].Information);
    EXPECT_EQ(w.ToDisk->Count() + w.ToStick->Count(), 0);
    EXPECT_TRUE(w.CopyList().empty());
    // Nothing is left to copy: Kopieren says so by being disabled.
    EXPECT_EQ(StateOf(w), kIdleNothingToCopy);

    // The copies carry their sources' times, so a new comparison finds nothing.
    Click(w.bScan);
    EXPECT_EQ(w.CopyList().size(), 0u);
    EXPECT_EQ(StateOf(w), kIdleNothingToCopy);
}

// Both sides edited since they were last in step: the newer goes under the name,
// the other is kept beside it, the list shows the conflict image and the report
// counts it; a damaged record is said to be started anew.
TEST_F(MainWindowTest, BothSidesEditedKeepsTheOlderBesideAndSaysSo) {
    PutFile(stick + "\\a.txt", "start", 0);
    PutFile(disk + "\\a.txt", "start", 0);
    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    Click(w.bScan);
    EXPECT_EQ(w.ToDisk->Count() + w.ToStick->Count(), 0);
    const std::string record = w.SyncRecordFile();
    ASSERT_NE(GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES) << record;
    EXPECT_EQ(record.substr(0, record.rfind('\\')), settings.substr(0, settings.rfind('\\')));

    PutFile(stick + "\\a.txt", "stick edit", 100);
    PutFile(disk + "\\a.txt", "computer edit", 200);
    Click(w.bScan);
    ASSERT_EQ(Texts(w.ToStick),
              std::vector<std::string>{"<IMG src=\"idx:1\"> " + disk + "\\a.txt"});
    Click(w.bCopy);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Content, "Alle 1 Dateien wurden erfolgreich kopiert.\r\n"
                                  "1 Dateien waren auf beiden Seiten ge\xe4ndert; die \xe4ltere "
                                  "Fassung liegt daneben.");
    EXPECT_EQ(FileText(stick + "\\a.txt"), "computer edit");
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((stick + "\\a (Konflikt *).txt").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_EQ(FileText(stick + "\\" + found.cFileName), "stick edit");

    // Damaged: today's rules, and the next report says that a new record begins.
    PutFile(record, "KVSR damaged", 0);
    PutFile(disk + "\\b.txt", "b", 0);
    Click(w.bScan);
    EXPECT_EQ(Texts(w.ToDisk), std::vector<std::string>{stick + "\\" + found.cFileName});
    Click(w.bCopy);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].Content, "Alle 2 Dateien wurden erfolgreich kopiert.\r\n"
                                  "Der gespeicherte Stand des letzten Abgleichs war "
                                  "besch\xe4"
                                  "digt; Korvandel beginnt einen neuen.");
}

TEST_F(MainWindowTest, CancelledComparisonListsWhatWasFound) {
    PutFile(stick + "\\root1.txt", "1", 0);
    PutFile(stick + "\\a\\inner.txt", "2", 0);
    PutFile(stick + "\\a\\deeper\\x.txt", "3", 0);
    PutFile(disk + "\\only-on-disk.txt", "4", 0);
    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    // Pumps: the stick root, "a", then "a\\deeper", where the cancel is pressed.
    PressAtPump(3, w.bScanCancel);
    Click(w.bScan);
    EXPECT_EQ(StateOf(w), kIdleReady);
    // The outer folders finish their files; "deeper" and the other direction add nothing.
    std::vector<std::string> listed = Texts(w.ToDisk);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{stick + "\\a\\inner.txt", stick + "\\root1.txt"}));
    EXPECT_EQ(w.ToStick->Count(), 0);
    // It does not pass for folders in step: a report says how far it got.
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Instruction, "Vergleich abgebrochen");
    EXPECT_NE(reports[0].Content.find("nach 3 Ordnern abgebrochen; bis dahin wurden 2 Dateien"),
              std::string::npos)
        << reports[0].Content;
    EXPECT_TRUE(reports[0].Warning || !reports[0].Emulated);
}

// A folder that is there but cannot be listed shows at once as a failed item of its
// direction, fails in the report, and is tried again by the next comparison.
TEST_F(MainWindowTest, FolderThatCannotBeListedIsAMarkedFailure) {
    struct TLockedFileSystem : TForwardingFileSystem {
        TReadResult ListFolder(const std::string& folder,
                               std::vector<TFolderEntry>& entries) override {
            if (Locked && folder == LockedFolder) {
                entries.clear();
                return TReadResult::Failed;
            }
            return TForwardingFileSystem::ListFolder(folder, entries);
        }
        std::string LockedFolder;
        bool Locked = true;
    } fileSystem;
    PutFile(stick + "\\ok.txt", "ok", 0);
    PutFile(stick + "\\locked\\inside.txt", "in", 0);
    fileSystem.LockedFolder = ExactPath(stick + "\\locked\\");
    TKorvandelMain& w = Open(fileSystem);
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    Click(w.bScan);
    std::vector<std::string> listed = Texts(w.ToDisk);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{
                          Marked(stick + "\\locked\\", "Ordner kann nicht gelesen werden"),
                          stick + "\\ok.txt"}));
    EXPECT_EQ(w.ToStick->Count(), 0);
    EXPECT_EQ(StateOf(w), kIdleReady);

    Click(w.bCopy);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].Warning);
    EXPECT_NE(reports[0].Text.find("1 Dateien konnten nicht kopiert werden\r\n"
                                   "1 Dateien wurden erfolgreich kopiert"),
              std::string::npos)
        << reports[0].Text;
    EXPECT_EQ(Texts(w.ToDisk).size(), 2u);
    EXPECT_EQ(FileText(disk + "\\ok.txt"), "ok");

    fileSystem.Locked = false;
    Click(w.bScan);
    EXPECT_EQ(Texts(w.ToDisk), std::vector<std::string>{stick + "\\locked\\inside.txt"});
    Close(); // while the window's file system is still there
}

// The computer folder inside the stick folder: the stick's walk leaves it out and
// says so at the top of its list, and it takes no part in a copy run, neither a
// failed one nor one that copies everything.
TEST_F(MainWindowTest, TheOtherRootInsideATreeIsShownLeftOutAndNeverCopied) {
    const std::string inner = stick + "\\Daten";
    const std::string leftOut = inner + "\\ <FONT size=\"7\" color=\"#808080\">Ordner der "
                                        "anderen Seite \x96 nicht abgeglichen</FONT>";
    CreateDirectoryA(inner.c_str(), nullptr);
    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(inner);
    Click(w.bScan);
    EXPECT_EQ(Texts(w.ToDisk), std::vector<std::string>{leftOut});
    EXPECT_EQ(w.ToDisk->Objects(0), nullptr);
    EXPECT_EQ(w.ToStick->Count(), 0);
    EXPECT_TRUE(w.CopyList().empty());
    EXPECT_EQ(StateOf(w), kIdleNothingToCopy) << "the left-out folder alone is nothing to copy";
    EXPECT_TRUE(reports.empty());

    // Beside files to copy and a failure: the counts and the marks leave it out.
    PutFile(stick + "\\a.txt", "a", 100);
    PutFile(stick + "\\ro.txt", "new", 100);
    PutFile(inner + "\\ro.txt", "old", 0);
    SetFileAttributesA((inner + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Click(w.bScan);
    std::vector<std::string> listed = Texts(w.ToDisk);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0], leftOut);
    std::sort(listed.begin() + 1, listed.end());
    EXPECT_EQ(listed[1], stick + "\\a.txt");
    EXPECT_EQ(listed[2], stick + "\\ro.txt");
    EXPECT_EQ(w.CopyList().size(), 2u);
    EXPECT_EQ(StateOf(w), kIdleReady);
    Click(w.bCopy);
    SetFileAttributesA((inner + "\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].Text.find("1 Dateien konnten nicht kopiert werden\r\n"
                                   "1 Dateien wurden erfolgreich kopiert"),
              std::string::npos)
        << reports[0].Text;
    // The failure is marked on its own item, below the left-out folder.
    listed = Texts(w.ToDisk);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0], leftOut);
    std::sort(listed.begin() + 1, listed.end());
    EXPECT_EQ(listed[1], Marked(stick + "\\ro.txt", "Zugriff verweigert"));
    EXPECT_EQ(listed[2], stick + "\\a.txt");
    EXPECT_EQ(FileText(inner + "\\a.txt"), "a");
    EXPECT_EQ(GetFileAttributesA((inner + "\\Daten").c_str()), INVALID_FILE_ATTRIBUTES)
        << "no copy of the tree into itself";

    // A run that copies everything leaves the note standing.
    Click(w.bCopy);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[1].Text.find("Alle 2 Dateien wurden erfolgreich kopiert."), std::string::npos)
        << reports[1].Text;
    EXPECT_EQ(Texts(w.ToDisk), std::vector<std::string>{leftOut});
    EXPECT_EQ(StateOf(w), kIdleNothingToCopy);
}

TEST_F(MainWindowTest, CancelledCopySaysSoAndKeepsWhatWasNotCopied) {
    for (int i = 0; i < 6; ++i)
        PutFile(stick + "\\f" + std::to_string(i) + ".txt", "x", 0);
    PutFile(disk + "\\f0.txt", "old", -100);
    SetFileAttributesA((disk + "\\f0.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    Click(w.bScan);
    ASSERT_EQ(w.ToDisk->Count(), 6);
    // Pressed at the fourth pump: before the fourth file at the latest.
    PressAtPump(4, w.bCancel);
    Click(w.bCopy);
    SetFileAttributesA((disk + "\\f0.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].Text.find("Abbruch durch den Benutzer"), std::string::npos);
    // What reached the computer, and what is still listed.
    std::vector<std::string> copied, listed;
    for (int i = 0; i < 6; ++i)
        if (FileText(disk + "\\f" + std::to_string(i) + ".txt") == "x")
            copied.push_back(stick + "\\f" + std::to_string(i) + ".txt");
    bool failureListed = false;
    for (const auto& entry : w.CopyList()) {
        listed.push_back(entry->SourcePath);
        failureListed |= entry->Reason == TFailReason::AccessDenied;
    }
    ASSERT_LT(copied.size(), 6u) << "the cancel took effect";
    EXPECT_EQ(copied.size() + listed.size(), 6u) << "only the copied items left the lists";
    for (const std::string& path : copied)
        EXPECT_EQ(std::count(listed.begin(), listed.end(), path), 0) << path;
    EXPECT_EQ(w.ToDisk->Count(), static_cast<int>(listed.size()));
    const std::string expected = "Abgebrochen: " + std::to_string(copied.size()) +
                                 " von 6 Dateien kopiert" +
                                 (failureListed ? ", 1 fehlgeschlagen." : ".");
    EXPECT_NE(reports[0].Text.find(expected), std::string::npos) << reports[0].Text;
    EXPECT_EQ(StateOf(w), kIdleReady);

    // The rest goes with the next "Kopieren".
    app->OnPump = nullptr;
    Click(w.bCopy);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[1].Text.find("Alle " + std::to_string(listed.size()) +
                                   " Dateien wurden erfolgreich kopiert."),
              std::string::npos)
        << reports[1].Text;
    EXPECT_EQ(StateOf(w), kIdleNothingToCopy);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(FileText(disk + "\\f" + std::to_string(i) + ".txt"), "x") << i;
}

// The second click of a double click on "Vergleichen" or "Kopieren" lands on
// "Abbrechen", which takes the same place: it must not cancel the run.
TEST_F(MainWindowTest, ACancelClickWithinTheDoubleClickTimeIsIgnored) {
    PutFile(stick + "\\a\\one.txt", "1", 0);
    PutFile(stick + "\\b\\two.txt", "2", 0);
    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    for (TAdvGlowButton* button : {w.bScan, w.bCopy}) {
        TAdvGlowButton* cancel = button == w.bScan ? w.bScanCancel : w.bCancel;
        app->OnPump = [&](int) { Click(cancel); };
        Click(button);
        app->OnPump = nullptr;
    }
    ASSERT_EQ(reports.size(), 1u) << "no report of a cancelled comparison";
    EXPECT_NE(reports[0].Text.find("Alle 2 Dateien wurden erfolgreich kopiert."), std::string::npos)
        << reports[0].Text;
    EXPECT_EQ(FileText(disk + "\\b\\two.txt"), "2");
}

TEST_F(MainWindowTest, ClosingDuringARunFinishesItShowsTheReportThenEndsAndSaves) {
    PutFile(stick + "\\a\\one.txt", "1", 0);
    PutFile(stick + "\\b\\two.txt", "2", 0);
    // The close request comes from inside the pump of a comparison, then of a copy run.
    for (const bool duringCopy : {false, true}) {
        SCOPED_TRACE(duringCopy ? "closed while copying" : "closed while comparing");
        // Each case is a program run of its own.
        app.reset();
        app = FreshApplication();
        app->Title = "Korvandel";
        reports.clear();
        TKorvandelMain& w = Open();
        w.StickDir->SetText(stick);
        w.DiskDir->SetText(disk);
        if (duringCopy) {
            Click(w.bScan);
            ASSERT_EQ(w.ToDisk->Count(), 2);
        }
        TWinControl* button = duringCopy ? w.bCopy : w.bScan;
        bool visibleAfterClose = false;
        int count = 0;
        app->OnPump = [&](int) {
            if (++count == 1)
                SendMessageA(w.Handle(), WM_CLOSE, 0, 0);
            else
                visibleAfterClose = IsWindowVisible(w.Handle()) != FALSE;
        };
        // The press goes through the program's own message loop, which then ends.
        const LPARAM middle = MAKELPARAM(button->Width() / 2, button->Height() / 2);
        PostMessageA(button->Handle(), WM_MOUSEMOVE, 0, middle);
        PostMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
        PostMessageA(button->Handle(), WM_LBUTTONUP, 0, middle);
        app->Run();
        EXPECT_TRUE(app->Terminated()) << "the close request is recorded by the pump";
        EXPECT_GT(count, 1) << "the run went on pumping";
        EXPECT_TRUE(visibleAfterClose) << "the window stays until the run is over";
        EXPECT_EQ(StateOf(w), duringCopy ? kIdleNothingToCopy : kIdleReady);
        if (duringCopy) {
            ASSERT_EQ(reports.size(), 1u) << "the report still shows";
            EXPECT_NE(reports[0].Text.find("Kopierergebnis"), std::string::npos) << reports[0].Text;
            EXPECT_NE(reports[0].Text.find("Alle 2 Dateien wurden erfolgreich kopiert."),
                      std::string::npos)
                << reports[0].Text;
            EXPECT_EQ(FileText(disk + "\\b\\two.txt"), "2");
            EXPECT_EQ(w.ToDisk->Count(), 0);
        } else {
            EXPECT_TRUE(reports.empty());
            EXPECT_EQ(w.ToDisk->Count(), 2) << "the run went on to its end";
        }
        ExpectFoldersSavedOnClose();
    }
}

// A letter that names no drive here, as a stick that came back under another.
char UnusedDriveLetter() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Z'; letter > 'C'; --letter)
        if (!(drives & (1u << (letter - 'A'))))
            return letter;
    return 0;
}

TEST_F(MainWindowTest, WrongFoldersAreNamedBeforeAnythingIsListedOrCreated) {
    PutFile(stick + "\\a.txt", "a", 0);
    const char drive = UnusedDriveLetter();
    ASSERT_NE(drive, 0);
    const std::string gone = std::string(1, drive) + ":\\Sync";
    const std::string typo = base + "Sycn";
    struct TCase {
        std::string Stick, Disk, Instruction, Content;
    };
    const TCase cases[] = {
        {"", disk,
         "Bitte das Feld \x84Stick\x93 pr\xfc"
         "fen.",
         "Im Feld \x84Stick\x93 ist kein Ordner angegeben."},
        {stick, typo,
         "Bitte das Feld \x84Platte\x93 pr\xfc"
         "fen.",
         "Der Ordner " + typo + " existiert nicht."},
        {gone, disk,
         "Bitte das Feld \x84Stick\x93 pr\xfc"
         "fen.",
         "Das Laufwerk " + gone.substr(0, 3) +
             " ist nicht vorhanden. Steckt der Stick an einem anderen Laufwerk?"},
        {stick, stick + "\\",
         "Bitte die Felder \x84Stick\x93 und \x84Platte\x93 pr\xfc"
         "fen.",
         "Beide Felder f\xfchren zum selben Ordner " + stick + "\\."},
        {stick, base + "\xe4\x3f\x3f",
         "Bitte das Feld \x84Platte\x93 pr\xfc"
         "fen.",
         "Der Name des Ordners " + base + "\xe4\x3f\x3f enth\xe4lt Zeichen"},
    };
    TKorvandelMain& w = Open();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Stick + " | " + c.Disk);
        // A comparison that found something first, so that emptying shows.
        w.StickDir->SetText(stick);
        w.DiskDir->SetText(disk);
        Click(w.bScan);
        ASSERT_EQ(w.ToDisk->Count(), 1);
        reports.clear();
        w.StickDir->SetText(c.Stick);
        w.DiskDir->SetText(c.Disk);
        Click(w.bScan);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].Instruction, c.Instruction);
        EXPECT_EQ(reports[0].Content.substr(0, c.Content.size()), c.Content);
        EXPECT_EQ(w.ToDisk->Count() + w.ToStick->Count(), 0);
        EXPECT_TRUE(w.CopyList().empty());
        EXPECT_EQ(StateOf(w), kIdleNothingToCopy);
    }
    EXPECT_EQ(GetFileAttributesA(typo.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing is created";
}

// Volumes as small as a test makes them; everything else as the system has it.
struct TSmallVolumes : TForwardingFileSystem {
    bool VolumeOf(const std::string& folder, TVolume& volume) override {
        volume = folder.starts_with(StickRoot) ? TVolume{1, StickFree, false}
                                               : TVolume{2, std::uint64_t{1} << 40, false};
        return true;
    }
    std::string StickRoot;
    std::uint64_t StickFree = 0;
};

TEST_F(MainWindowTest, ACopyThatDoesNotFitCopiesNothingAndSaysWhatIsMissing) {
    PutFile(disk + "\\big.bin", std::string(3 << 20, 'b'), 0);
    PutFile(disk + "\\small.txt", "s", 0);
    PutFile(stick + "\\back.txt", "back", 0);
    TSmallVolumes fs;
    fs.StickRoot = ExactPath(stick);
    fs.StickFree = 5 << 20; // needs 3 MB and a byte, plus 3 MB for the temporary copy
    TKorvandelMain& w = Open(fs);
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    Click(w.bScan);
    ASSERT_EQ(w.ToStick->Count(), 2);
    Click(w.bCopy);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Instruction, "Nicht genug Platz");
    EXPECT_EQ(reports[0].Content, "Auf dem Stick ist nicht genug Platz: 6,0 MB werden gebraucht, "
                                  "5,0 MB sind frei. Es wurde nichts kopiert.");
    EXPECT_EQ(FileText(stick + "\\small.txt"), "<missing>");
    EXPECT_EQ(FileText(disk + "\\back.txt"), "<missing>") << "not even the side that has room";
    EXPECT_EQ(w.ToStick->Count() + w.ToDisk->Count(), 3);
    EXPECT_EQ(StateOf(w), kIdleReady);

    fs.StickFree = 7 << 20;
    Click(w.bCopy);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].Content, "Alle 3 Dateien wurden erfolgreich kopiert.");
    Close();
}

// A stick that writes one chunk in 100 ms: the copy of one file takes two seconds.
struct TSlowStick : TForwardingFileSystem {
    TFailReason CopyFileSafely(const std::string& source, const std::string& target,
                               const TPathState& targetNow, const TCopyProgress& progress,
                               TCopiedStates& copied) override {
        const std::uint64_t size = StateOf(source).Size;
        for (int chunk = 1; chunk <= 20; ++chunk) {
            Sleep(100);
            if (!progress(size * chunk / 20))
                return TFailReason::Other;
        }
        return TForwardingFileSystem::CopyFileSafely(source, target, targetNow, progress, copied);
    }
};

TEST_F(MainWindowTest, ALongFileKeepsTheWindowAnsweringShowsItsBytesAndCanBeCancelled) {
    PutFile(stick + "\\video & more.mp4", std::string(1 << 20, 'v'), 0);
    TSlowStick fs;
    TKorvandelMain& w = Open(fs);
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    Click(w.bScan);
    ASSERT_EQ(w.ToDisk->Count(), 1);

    // Pumps during the file; the bar over its bytes, the file's name, speed and
    // time left once a second has been measured.
    std::vector<int> positions;
    std::vector<std::string> names, barTexts;
    app->OnPump = [&](int) {
        positions.push_back(w.CopyProg->Position());
        names.push_back(w.CopyFile->Caption());
        barTexts.push_back(w.CopyProg->Format());
    };
    Click(w.bCopy);
    EXPECT_GE(positions.size(), 15u) << "a pump after every chunk";
    EXPECT_EQ(w.CopyProg->Max(), 1000);
    EXPECT_TRUE(std::any_of(positions.begin(), positions.end(), [](int p) {
        return p > 100 && p < 900;
    })) << "the bar moves within the file";
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_NE(std::find(names.begin(), names.end(), "video & more.mp4"), names.end());
    EXPECT_TRUE(std::any_of(barTexts.begin(), barTexts.end(), [](const std::string& t) {
        return t.find(" MB/s \x96 noch 0:0") != std::string::npos;
    }));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(FileText(disk + "\\video & more.mp4").size(), 256u) << "the first bytes read";

    // Cancelled in the middle of the file: the run stops there.
    PutFile(stick + "\\video & more.mp4", std::string(1 << 20, 'w'), 100);
    Click(w.bScan);
    ASSERT_EQ(w.ToDisk->Count(), 1);
    PressAtPump(8, w.bCancel);
    Click(w.bCopy);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[1].Text.find("Abgebrochen: 0 von 1 Dateien kopiert."), std::string::npos)
        << reports[1].Text;
    EXPECT_EQ(FileText(disk + "\\video & more.mp4"), std::string(256, 'v')) << "left as it was";
    EXPECT_EQ(w.ToDisk->Count(), 1);
    EXPECT_EQ(StateOf(w), kIdleReady);
    Close();
}

} // namespace

namespace {

class ReportFaceTest : public MainWindowTest, public ::testing::WithParamInterface<TDialogFace> {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetDialogFaceOverride(GetParam());
    }
};

TEST_P(ReportFaceTest, FailedCopyReportsExactTextsWithTheWarningIcon) {
    PutFile(stick + "\\ok.txt", "ok", 100);
    PutFile(stick + "\\ro.txt", "new", 100);
    PutFile(disk + "\\ro.txt", "old", 0);
    SetFileAttributesA((disk + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    Click(w.bScan);
    ASSERT_EQ(w.ToDisk->Count(), 2);
    Click(w.bCopy);
    SetFileAttributesA((disk + "\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(reports.size(), 1u);
    const TReport& r = reports[0];
    EXPECT_EQ(r.Emulated, GetParam() == TDialogFace::dfEmulated);
    EXPECT_EQ(r.Title, "Korvandel");
    EXPECT_EQ(r.Instruction, "Kopierergebnis");
    EXPECT_EQ(r.Content, "1 Dateien konnten nicht kopiert werden\r\n"
                         "1 Dateien wurden erfolgreich kopiert\r\n"
                         "\r\n"
                         "Zugriff verweigert: 1");
    if (r.Emulated) {
        // Wine's task dialog has no picture for the warning's icon number
        // (the configuration test checks that 84 is passed); the emulated
        // window draws the system icon.
        EXPECT_TRUE(r.Warning);
        EXPECT_FALSE(r.Information);
    }
}

TEST_P(ReportFaceTest, ClosingTheWindowWhileTheReportShowsEndsBoth) {
    PutFile(stick + "\\one.txt", "1", 0);
    TKorvandelMain& w = Open();
    w.StickDir->SetText(stick);
    w.DiskDir->SetText(disk);
    Click(w.bScan);
    ASSERT_EQ(w.ToDisk->Count(), 1);
    HWND report = nullptr;
    gOnReport = [&](HWND shown) {
        report = shown;
        PostMessageA(w.Handle(), WM_CLOSE, 0, 0);
    };
    const LPARAM middle = MAKELPARAM(w.bCopy->Width() / 2, w.bCopy->Height() / 2);
    PostMessageA(w.bCopy->Handle(), WM_MOUSEMOVE, 0, middle);
    PostMessageA(w.bCopy->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageA(w.bCopy->Handle(), WM_LBUTTONUP, 0, middle);
    app->Run();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(app->Terminated()) << "the close request ends the program";
    EXPECT_FALSE(IsWindow(report)) << "no report is left waiting";
    EXPECT_EQ(w.ToDisk->Count(), 0) << "the run finished as usual";
    Close();
}

INSTANTIATE_TEST_SUITE_P(BothFaces, ReportFaceTest,
                         ::testing::Values(TDialogFace::dfEmulated, TDialogFace::dfNative),
                         [](const ::testing::TestParamInfo<TDialogFace>& info) {
                             return info.param == TDialogFace::dfEmulated ? std::string("Emulated")
                                                                          : std::string("Native");
                         });

} // namespace
