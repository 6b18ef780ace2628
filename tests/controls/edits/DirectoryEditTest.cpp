// The edit with a button and the directory edit: the button's place and
// clicks, its glyph, and the folder dialog through a recording browser and
// once through the shell's own.
#include "controls/edits/AdvDirectoryEdit.h"
#include "framework/Errors.h"
#include "tests/support/FreshApplication.h"
#include "tests/support/HeldKeys.h"
#include "tests/support/KeyboardCues.h"
#include "tests/support/VistaAnswer.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string TempFolder(const std::string& name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

// The path the shell gives for a folder's item, as the edit will get it.
std::string ShellPath(const std::string& folder) {
    LPITEMIDLIST item = ILCreateFromPathA(folder.c_str());
    char path[MAX_PATH + 1] = {};
    if (item) {
        SHGetPathFromIDListA(item, path);
        CoTaskMemFree(item);
    }
    return path;
}

// What the browser was asked, one entry a call.
struct TBrowseCall {
    HWND Owner;
    std::string Title;
    UINT Flags;
    std::string Name;
};

class DirectoryEditTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App = FreshApplication();
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(100, 100, 400, 200);
        Panel = new TPanel(Form.get());
        Panel->SetBounds(0, 0, 400, 200);
        Panel->SetParent(Form.get());
        First = new TEdit(Form.get());
        First->SetBounds(10, 10, 60, 21);
        First->SetParent(Panel);
        Edit = new TAdvDirectoryEdit(Form.get());
        Edit->SetBounds(40, 60, 281, 21);
        Edit->SetParent(Panel);
        Edit->BrowseDialogText = "Ordner";
        Form->Show();
        App->ProcessMessages();
        // The browser answers with the item of `Chosen`, or cancels.
        SetFolderBrowser([this](BROWSEINFOA& info) -> LPITEMIDLIST {
            Calls.push_back({info.hwndOwner, info.lpszTitle, info.ulFlags, info.pszDisplayName});
            if (Throw)
                throw std::runtime_error("the dialog failed");
            if (NoPath) {
                LPITEMIDLIST computer = nullptr;
                SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
                return computer;
            }
            return Chosen.empty() ? nullptr : ILCreateFromPathA(Chosen.c_str());
        });
    }
    void TearDown() override {
        SetFolderBrowser(nullptr);
        Form.reset();
        App.reset();
    }

    std::unique_ptr<TApplication> App;
    std::unique_ptr<TForm> Form;
    TPanel* Panel = nullptr;
    TEdit* First = nullptr;
    TAdvDirectoryEdit* Edit = nullptr;
    std::vector<TBrowseCall> Calls;
    std::string Chosen;
    bool NoPath = false;
    bool Throw = false;
};

TEST_F(DirectoryEditTest, TheButtonFillsTheRightEndOfTheClientAreaAndTheTextStopsBeforeIt) {
    for (const int width : {18, 30}) {
        SCOPED_TRACE(width);
        Edit->SetButtonWidth(width);
        for (const SIZE size : {SIZE{281, 21}, SIZE{150, 30}}) {
            Edit->SetBounds(40, 60, size.cx, size.cy);
            RECT client;
            GetClientRect(Edit->Handle(), &client);
            const RECT holder = Edit->Button()->BoundsRect();
            const RECT expected = MakeRect(client.right - width, 0, client.right, client.bottom);
            EXPECT_TRUE(EqualRect(&holder, &expected))
                << holder.left << "," << holder.top << "," << holder.right << "," << holder.bottom;
            // The rectangle reads back with the edit's own insets inside it:
            // measure them on the client rectangle first.
            const auto textRect = [&] {
                RECT r;
                SendMessageA(Edit->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
                return r;
            };
            SendMessageA(Edit->Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&client));
            const RECT whole = textRect();
            Edit->SetButtonWidth(width);
            const RECT text = textRect();
            EXPECT_EQ(text.left - whole.left, 1);
            EXPECT_EQ(text.right + (client.right - whole.right), client.right - width - 4);
            const RECT button = Edit->Button()->SpeedButton()->BoundsRect();
            EXPECT_EQ(button.right - button.left, width);
            EXPECT_EQ(button.bottom - button.top, client.bottom);
        }
    }
    // The holder keeps its width whatever it is given.
    Edit->Button()->SetBounds(0, 0, 50, 10);
    EXPECT_EQ(Edit->Button()->Width(), 30);

    // An edit too low for its font grows to fit it.
    Edit->SetBounds(40, 60, 281, 5);
    TEXTMETRICA metrics{};
    {
        TCanvas& canvas = Edit->MeasureCanvas();
        const TSelectScope select(canvas.Handle(), Edit->Font.Handle());
        GetTextMetricsA(canvas.Handle(), &metrics);
    }
    EXPECT_GT(Edit->Height(), metrics.tmHeight);
}

TEST_F(DirectoryEditTest, TheButtonShowsTheFolderGlyphAndSinksWhenPressed) {
    // The resource itself: the pixel table of the open folder.
    const char* const rows[] = {
        "...KKK......", "..KYYYKKKKK.", "..KYYYYYYYK.", ".KKKYYYYYYK.",
        "KYYYKKKKKYK.", "KYYYYYYYKYK.", "KYYYKKKKKKKK", "KYYKSSSSSSSK",
        "KYKSSSSSSSK.", "KKSSSSSSSK..", ".KKKKKKKK...",
    };
    TImageList glyph(nullptr, 12, 11);
    ASSERT_EQ(glyph.AddResource(GetModuleHandleA(nullptr), "AdvDirectoryEdit"), 0);
    TBitmap image(12, 11);
    image.Canvas().Brush.SetColor(clFuchsia);
    image.Canvas().FillRect(MakeRect(0, 0, 12, 11));
    glyph.Draw(image.Canvas(), 0, 0, 0);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 12; ++x) {
            const char c = rows[y][x];
            const COLORREF expected = c == 'K'   ? RGB(0, 0, 0)
                                      : c == 'Y' ? RGB(255, 255, 0)
                                      : c == 'S' ? RGB(192, 192, 192)
                                                 : RGB(255, 0, 255);
            EXPECT_EQ(image.Canvas().Pixel(x, y), expected) << x << "," << y;
        }

    // On the 18 x 17 button it stands at (3, 3), at (4, 4) while pressed.
    TAdvSpeedButton* button = Edit->Button()->SpeedButton();
    ASSERT_TRUE(button->HasGlyph());
    const SIZE size = button->GlyphSize();
    EXPECT_EQ(size.cx, 12);
    EXPECT_EQ(size.cy, 11);
    RECT client;
    GetClientRect(Edit->Handle(), &client);
    const POINT up = button->GlyphPlace(false), down = button->GlyphPlace(true);
    EXPECT_EQ(up.x, 2 + (18 - 4 - 12) / 2);
    EXPECT_EQ(up.y, 2 + (client.bottom - 4 - 11) / 2);
    EXPECT_EQ(down.x, up.x + 1);
    EXPECT_EQ(down.y, up.y + 1);
    TBitmap face(18, client.bottom);
    Edit->Button()->PaintTo(face.Canvas());
    EXPECT_EQ(face.Canvas().Pixel(up.x + 3, up.y), RGB(0, 0, 0)) << "the folder's tab";
    EXPECT_EQ(face.Canvas().Pixel(up.x + 1, up.y + 5), RGB(255, 255, 0)) << "its body";
}

// Every pixel of two pictures of one size is the same.
bool SamePicture(TBitmap& a, TBitmap& b) {
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Canvas().Pixel(x, y) != b.Canvas().Pixel(x, y))
                return false;
    return true;
}

TEST_F(DirectoryEditTest, WithAThemeTheButtonIsTheThemesPushButtonInItsState) {
    TEditButton* holder = Edit->Button();
    TAdvSpeedButton* button = holder->SpeedButton();
    const int w = button->Width(), h = button->Height();
    TImageList glyph(nullptr, 12, 11);
    ASSERT_EQ(glyph.AddResource(GetModuleHandleA(nullptr), "AdvDirectoryEdit"), 0);
    // The face as it must look: white, the theme's push button one pixel
    // wider and taller (its right and bottom edge fall outside), the glyph.
    const auto expected = [&](int state, bool down) {
        auto bmp = std::make_unique<TBitmap>(w, h);
        bmp->Canvas().Brush.SetColor(clWhite);
        bmp->Canvas().FillRect(MakeRect(0, 0, w, h));
        const HTHEME theme = OpenThemeData(holder->Handle(), L"button");
        const RECT part = MakeRect(0, 0, w + 1, h + 1);
        DrawThemeBackground(theme, bmp->Canvas().Handle(), BP_PUSHBUTTON, state, &part, nullptr);
        CloseThemeData(theme);
        const POINT at = button->GlyphPlace(down);
        glyph.Draw(bmp->Canvas(), at.x, at.y, 0);
        return bmp;
    };
    const auto painted = [&] {
        auto bmp = std::make_unique<TBitmap>(w, h);
        holder->PaintTo(bmp->Canvas());
        return bmp;
    };
    const TComCtl6Answer comctl6(true);
    ASSERT_TRUE(IsThemeActive()) << "the test prefix runs with a theme";
    auto normal = expected(PBS_NORMAL, false), hot = expected(PBS_HOT, false);
    auto pressed = expected(PBS_PRESSED, true);
    ASSERT_FALSE(SamePicture(*normal, *hot)) << "the theme tells the states apart";
    ASSERT_FALSE(SamePicture(*normal, *pressed));

    EXPECT_TRUE(SamePicture(*painted(), *normal)) << "normal";
    SendMessageA(holder->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(button->MouseInControl());
    EXPECT_TRUE(SamePicture(*painted(), *hot)) << "hot under the mouse";
    SendMessageA(holder->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(SamePicture(*painted(), *pressed)) << "pressed";
    SendMessageA(holder->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageA(holder->Handle(), WM_MOUSELEAVE, 0, 0);
    // There is no disabled look.
    Edit->SetEnabled(false);
    EXPECT_TRUE(SamePicture(*painted(), *normal)) << "disabled";

    // Without the new common controls: the classic raised push button.
    const TComCtl6Answer classic(false);
    auto frame = std::make_unique<TBitmap>(w, h);
    RECT face = MakeRect(0, 0, w, h);
    DrawFrameControl(frame->Canvas().Handle(), &face, DFC_BUTTON, DFCS_BUTTONPUSH);
    const POINT at = button->GlyphPlace(false);
    glyph.Draw(frame->Canvas(), at.x, at.y, 0);
    EXPECT_TRUE(SamePicture(*painted(), *frame)) << "classic";
}

TEST_F(DirectoryEditTest, TheButtonIsRepaintedWhenTheMouseEntersAndLeavesIt) {
    const HWND holder = Edit->Button()->Handle();
    TAdvSpeedButton* button = Edit->Button()->SpeedButton();
    const RECT face = button->BoundsRect();
    for (const bool enter : {true, false}) {
        SCOPED_TRACE(enter ? "enter" : "leave");
        App->ProcessMessages();
        ValidateRect(holder, nullptr);
        if (enter)
            SendMessageA(holder, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        else
            SendMessageA(holder, WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(button->MouseInControl(), enter);
        RECT dirty;
        ASSERT_TRUE(GetUpdateRect(holder, &dirty, FALSE));
        EXPECT_TRUE(EqualRect(&dirty, &face))
            << dirty.left << "," << dirty.top << "," << dirty.right << "," << dirty.bottom;
    }
}

// Presses and releases the mouse on the holder at client points.
void MouseOn(TEditButton* holder, UINT down, UINT up, POINT press, POINT release) {
    const WPARAM held = down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON;
    SendMessageA(holder->Handle(), down, held, MAKELPARAM(press.x, press.y));
    SendMessageA(holder->Handle(), WM_MOUSEMOVE, held,
                 MAKELPARAM(static_cast<WORD>(release.x), static_cast<WORD>(release.y)));
    SendMessageA(holder->Handle(), up, 0,
                 MAKELPARAM(static_cast<WORD>(release.x), static_cast<WORD>(release.y)));
}

TEST_F(DirectoryEditTest, TheButtonClicksOnTheLeftReleaseOfAPressThatBeganOnIt) {
    auto* edit = new TAdvEditBtn(Form.get());
    edit->SetBounds(40, 100, 200, 21);
    edit->SetParent(Panel);
    std::vector<bool> pressedLook;
    edit->OnClickBtn = [&](TComponent*) {
        pressedLook.push_back(edit->Button()->SpeedButton()->Down());
    };
    First->SetFocus();
    const struct {
        const char* Name;
        UINT Down, Up;
        POINT Release;
        bool Enabled;
        std::vector<bool> Clicks; // the pressed look at each click
    } cases[] = {
        {"released on it", WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, true, {true}},
        {"dragged off", WM_LBUTTONDOWN, WM_LBUTTONUP, {-30, 40}, true, {false}},
        {"right button", WM_RBUTTONDOWN, WM_RBUTTONUP, {5, 5}, true, {}},
        {"edit disabled", WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        pressedLook.clear();
        edit->SetEnabled(c.Enabled);
        MouseOn(edit->Button(), c.Down, c.Up, {5, 5}, c.Release);
        EXPECT_EQ(pressedLook, c.Clicks);
        EXPECT_FALSE(edit->Button()->SpeedButton()->Down()) << "up again";
        EXPECT_EQ(edit->Focused(), !c.Clicks.empty()) << "a click focuses the edit";
        First->SetFocus();
    }
}

TEST_F(DirectoryEditTest, F4OpensTheDialogWithAnyModifierButNotWhileDisabled) {
    int buttonEvents = 0;
    Edit->OnClickBtn = [&](TComponent*) { ++buttonEvents; };
    const struct {
        const char* Name;
        std::vector<int> Held;
        UINT Message;
        LPARAM Flags;
        int ButtonEvents;
    } cases[] = {
        {"alone", {}, WM_KEYDOWN, 1, 1},
        {"Shift", {VK_SHIFT}, WM_KEYDOWN, 1, 1},
        {"Control", {VK_CONTROL}, WM_KEYDOWN, 1, 0},
        {"Alt", {VK_MENU}, WM_SYSKEYDOWN, 1 | (KF_ALTDOWN << 16), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Calls.clear();
        buttonEvents = 0;
        {
            const THeldKeys held(c.Held);
            SendMessageA(Edit->Handle(), c.Message, VK_F4, c.Flags);
        }
        App->ProcessMessages();
        EXPECT_EQ(Calls.size(), 1u);
        EXPECT_EQ(buttonEvents, c.ButtonEvents);
    }
    EXPECT_TRUE(IsWindow(Form->Handle())) << "Alt+F4 in the edit did not close the window";
    EXPECT_TRUE(IsWindowVisible(Form->Handle()));

    Calls.clear();
    Edit->SetEnabled(false);
    SendMessageA(Edit->Handle(), WM_KEYDOWN, VK_F4, 1);
    Edit->ButtonClick();
    EXPECT_TRUE(Calls.empty());
}

TEST_F(DirectoryEditTest, ControlReturnIsFollowedByAnUpKeyAndReturnAloneIsNot) {
    std::vector<WORD> keys;
    Edit->OnKeyDown = [&](TComponent*, WORD& key, TShiftState) { keys.push_back(key); };
    for (const bool control : {true, false}) {
        SCOPED_TRACE(control ? "Control+Return" : "Return");
        keys.clear();
        {
            const THeldKeys held(control ? std::vector<int>{VK_CONTROL} : std::vector<int>{});
            SendMessageA(Edit->Handle(), WM_KEYDOWN, VK_RETURN, 1);
        }
        // The Up key is posted: it arrives after the Return has been handled.
        ASSERT_EQ(keys, std::vector<WORD>{VK_RETURN});
        App->ProcessMessages();
        const std::vector<WORD> expected =
            control ? std::vector<WORD>{VK_RETURN, VK_UP} : std::vector<WORD>{VK_RETURN};
        EXPECT_EQ(keys, expected);
    }
}

TEST_F(DirectoryEditTest, TheDialogIsAskedWithTheTitleFlagsOwnerAndInitialPath) {
    const std::string folder = TempFolder("korvandel-dir-a");
    char current[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof(current), current);
    const std::string longPath = "C:\\" + std::string(300, 'x');
    const struct {
        const char* Name;
        std::string Text;
        bool AllowNewFolder;
        std::string ChangedTo; // by OnShowDirectoryDialog, when not empty
        std::string Name_;
        UINT Flags;
    } cases[] = {
        {"the text", folder, true, "", folder, BIF_RETURNONLYFSDIRS},
        {"no text: the current folder", "", false, "", current, 513},
        {"changed by the event", folder, true, "D:\\", "D:\\", BIF_RETURNONLYFSDIRS},
        {"too long: cut to the buffer", longPath, true, "", longPath.substr(0, MAX_PATH),
         BIF_RETURNONLYFSDIRS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Calls.clear();
        Edit->SetText(c.Text);
        Edit->AllowNewFolder = c.AllowNewFolder;
        Edit->OnShowDirectoryDialog = nullptr;
        if (!c.ChangedTo.empty())
            Edit->OnShowDirectoryDialog = [&](TComponent*, std::string& path) {
                path = c.ChangedTo;
            };
        Edit->ButtonClick();
        ASSERT_EQ(Calls.size(), 1u);
        EXPECT_EQ(Calls[0].Name, c.Name_);
        EXPECT_EQ(Calls[0].Flags, c.Flags);
        EXPECT_EQ(Calls[0].Title, "Ordner");
        EXPECT_EQ(Calls[0].Owner, Form->Handle()) << "the window waits, not just the panel";
    }
}

TEST_F(DirectoryEditTest, TheChosenFolderBecomesTheTextOnlyWhenItDiffers) {
    const std::string shell = ShellPath(TempFolder("korvandel-dir-b"));
    ASSERT_FALSE(shell.empty());
    std::string otherCase = shell;
    for (char& ch : otherCase)
        ch = static_cast<char>(ch == toupper(ch) ? tolower(ch) : toupper(ch));
    const std::string root = ShellPath("C:\\");
    const struct {
        const char* Name;
        std::string Chosen; // empty: cancel
        bool NoPath, Throw;
        std::string Before, After;
        bool Modified;
        std::vector<std::string> Closed; // OnDialogClose: "ok:path" or "no:path"
    } cases[] = {
        {"cancel", "", false, false, "C:\\x", "C:\\x", true, {}},
        {"the same text", shell, false, false, shell, shell, false, {"ok:" + shell}},
        {"another case", shell, false, false, otherCase, shell, true, {"ok:" + shell}},
        {"a drive root", "C:\\", false, false, "", root, true, {"ok:" + root}},
        {"no file-system path", "", true, false, "C:\\x", "C:\\x", true, {"no:"}},
        {"the dialog failed", shell, false, true, "C:\\x", "C:\\x", true, {}},
    };
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root.back(), '\\');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Chosen = c.Chosen;
        NoPath = c.NoPath;
        Throw = c.Throw;
        std::vector<std::string> closed;
        Edit->OnDialogClose = [&](TComponent*, const std::string& path, bool ok) {
            closed.push_back((ok ? "ok:" : "no:") + path);
        };
        Edit->SetText(c.Before);
        // Set where the text stays, to show that the flag is left alone then.
        Edit->SetModified(c.Modified && c.Before == c.After);
        std::vector<std::string> reported;
        SetExceptionHook([&](const std::string& where, const std::string& what) {
            reported.push_back(where + ": " + what);
        });
        Edit->ButtonClick();
        SetExceptionHook(nullptr);
        EXPECT_EQ(Edit->Text(), c.After);
        EXPECT_EQ(Edit->Modified(), c.Modified);
        EXPECT_EQ(closed, c.Closed);
        EXPECT_EQ(reported, c.Throw ? std::vector<std::string>{"folder dialog: the dialog failed"}
                                    : std::vector<std::string>{})
            << "a failing dialog is reported, not dropped";
    }
}

TEST_F(DirectoryEditTest, TheFirstSpecialKeyAfterTheDialogIsLeftAlone) {
    Edit->SetText("start");
    Edit->SetFocus();
    SendMessageA(Edit->Handle(), WM_CHAR, 'x', 1);
    Edit->ButtonClick();
    const auto escape = [&] {
        PostMessageA(Edit->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
        App->ProcessMessages();
    };
    escape();
    EXPECT_EQ(Edit->Text(), "x");
    escape();
    EXPECT_EQ(Edit->Text(), "start");
}

TEST_F(DirectoryEditTest, AsATabStopTheButtonShowsItsFocusAndEnterOrSpaceOpenTheDialog) {
    const TAlwaysShownCues notAlways(false);
    TEditButton* button = Edit->Button();
    button->SetTabStop(true);
    const auto key = [&](UINT msg, WPARAM code) {
        const LPARAM scan = LPARAM(MapVirtualKeyA(UINT(code), 0)) << 16;
        PostMessageA(GetFocus(), msg, code, scan | 1 | (msg == WM_KEYUP ? 0xC0000000 : 0));
        App->ProcessMessages();
    };
    const auto tab = [&](bool back) {
        const THeldKeys shift(back ? std::vector<int>{VK_SHIFT} : std::vector<int>{});
        key(WM_KEYDOWN, VK_TAB);
        return GetFocus();
    };
    // The holder painted alone.
    const auto shot = [&] {
        auto bitmap = std::make_unique<TBitmap>(button->Width(), button->Height());
        button->PaintTo(bitmap->Canvas());
        return bitmap;
    };
    const auto unfocused = shot();

    // From the edit Tab goes on to its button, and Shift+Tab back.
    First->SetFocus();
    const std::vector<HWND> order{tab(false), tab(false), tab(false), tab(true), tab(true)};
    const std::vector<HWND> expected{Edit->Handle(), button->Handle(), First->Handle(),
                                     button->Handle(), Edit->Handle()};
    EXPECT_EQ(order, expected);

    // A dotted rectangle inside the face's edges while the button has the focus.
    button->SetFocus();
    const auto focused = shot();
    int dotted = 0;
    for (int y = 0; y < button->Height(); ++y)
        for (int x = 0; x < button->Width(); ++x) {
            const bool changed = focused->Canvas().Pixel(x, y) != unfocused->Canvas().Pixel(x, y);
            const bool onRing =
                (x == 2 || x == button->Width() - 3 || y == 2 || y == button->Height() - 3) &&
                x >= 2 && x <= button->Width() - 3 && y >= 2 && y <= button->Height() - 3;
            EXPECT_TRUE(!changed || onRing) << x << "," << y;
            dotted += changed;
        }
    EXPECT_GT(dotted, 8);
    SendMessageA(Form->Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    const auto hidden = shot();
    int shown = 0;
    for (int y = 0; y < button->Height(); ++y)
        for (int x = 0; x < button->Width(); ++x)
            shown += hidden->Canvas().Pixel(x, y) != unfocused->Canvas().Pixel(x, y);
    EXPECT_EQ(shown, 0) << "no rectangle while focus cues are hidden";

    // Enter and Space press it; the focus stays on it.
    key(WM_KEYDOWN, VK_RETURN);
    key(WM_KEYUP, VK_RETURN);
    EXPECT_EQ(Calls.size(), 1u);
    key(WM_KEYDOWN, VK_SPACE);
    key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(Calls.size(), 2u);
    EXPECT_TRUE(button->Focused());
    key(WM_KEYDOWN, 'A');
    EXPECT_EQ(Calls.size(), 2u) << "other keys do nothing";

    // With the edit disabled neither is a stop.
    Edit->SetEnabled(false);
    First->SetFocus();
    EXPECT_EQ(tab(false), First->Handle());
    EXPECT_EQ(tab(true), First->Handle());
}

TEST_F(DirectoryEditTest, OnlyAnExistingFolderValidates) {
    const std::string folder = TempFolder("korvandel-dir-c");
    const std::string file = folder + "\\file.txt";
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const struct {
        std::string Value;
        bool Valid;
    } cases[] = {{folder, true}, {folder + "\\", true}, {file, false}, {folder + "\\none", false}};
    for (const auto& c : cases)
        EXPECT_EQ(Edit->ValidateText(c.Value), c.Valid) << c.Value;
    DeleteFileA(file.c_str());
}

// A stand-in for the shell's dialog window: it keeps the paths it is asked
// to select.
std::vector<std::string> gSelections;
LRESULT CALLBACK SelectionRecorder(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == BFFM_SETSELECTIONA) {
        gSelections.push_back(wParam ? reinterpret_cast<const char*>(lParam) : "<item>");
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(DirectoryEditTest, TheDialogPreselectsTheTextWithoutItsTrailingBackslash) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = SelectionRecorder;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "KorvandelSelectionRecorder";
    RegisterClassA(&cls);
    const HWND dialog = CreateWindowExA(0, cls.lpszClassName, "", WS_POPUP, 0, 0, 300, 400, nullptr,
                                        nullptr, cls.hInstance, nullptr);
    ASSERT_NE(dialog, nullptr);
    // The browser tells its callback that the dialog is there, then cancels.
    SetFolderBrowser([dialog](BROWSEINFOA& info) -> LPITEMIDLIST {
        info.lpfn(dialog, BFFM_INITIALIZED, 0, info.lParam);
        return nullptr;
    });
    char current[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof(current), current);
    const struct {
        std::string Text, Selected;
    } cases[] = {
        {"C:\\Daten\\Stick\\", "C:\\Daten\\Stick"},
        {"C:\\Daten\\Stick", "C:\\Daten\\Stick"},
        {"D:\\", "D:"},
        {"", current},
        // Only an empty text stands for the current folder.
        {"\\", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        gSelections.clear();
        Edit->SetText(c.Text);
        Edit->ButtonClick();
        EXPECT_EQ(gSelections, std::vector<std::string>{c.Selected});
        EXPECT_EQ(Edit->Text(), c.Text) << "the text keeps its backslash";
    }
    DestroyWindow(dialog);
}

TEST(BrowseDialogPlaceTest, BelowTheEditInsideTheWorkArea) {
    const RECT work = MakeRect(0, 0, 1000, 700);
    const SIZE dialog{300, 400};
    const struct {
        const char* Name;
        POINT Below, At;
    } cases[] = {
        {"fits", {100, 200}, {100, 200}},
        {"right edge reached exactly", {700, 200}, {700, 200}},
        {"past the right edge", {701, 200}, {401, 200}},
        {"bottom reached exactly", {100, 300}, {100, 300}},
        {"past the bottom", {100, 301}, {100, 300}},
        {"both", {900, 650}, {600, 300}},
    };
    for (const auto& c : cases) {
        const POINT at = BrowseDialogPlace(c.Below, dialog, work);
        EXPECT_EQ(at.x, c.At.x) << c.Name;
        EXPECT_EQ(at.y, c.At.y) << c.Name;
    }
}

// The shell's own browser: found once it shows, measured, and cancelled.
struct TShellDialog {
    HWND Window = nullptr;
    RECT Bounds{};
    bool OwnerEnabled = true;
    int Ticks = 0;
};
TShellDialog gShellDialog;
HWND gOwner = nullptr;

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM) {
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    if (std::string(name) == "#32770" && IsWindowVisible(hwnd)) {
        gShellDialog.Window = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK CancelShellDialog(HWND, UINT, UINT_PTR id, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, 0);
    if (!gShellDialog.Window && ++gShellDialog.Ticks < 200)
        return;
    KillTimer(nullptr, id);
    if (!gShellDialog.Window)
        return;
    GetWindowRect(gShellDialog.Window, &gShellDialog.Bounds);
    gShellDialog.OwnerEnabled = IsWindowEnabled(gOwner) != FALSE;
    PostMessageA(gShellDialog.Window, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(DirectoryEditTest, TheShellsBrowserOpensBelowTheEditAndCancels) {
    SetFolderBrowser(nullptr);
    const std::string folder = TempFolder("korvandel-dir-d");
    Edit->SetText(folder + "\\");
    Edit->SetModified(true);
    gShellDialog = {};
    gOwner = Form->Handle();
    bool closed = false;
    Edit->OnDialogClose = [&](TComponent*, const std::string&, bool) { closed = true; };
    SetTimer(nullptr, 0, 50, CancelShellDialog);
    Edit->ButtonClick();
    ASSERT_NE(gShellDialog.Window, nullptr) << "the dialog showed";
    EXPECT_FALSE(gShellDialog.OwnerEnabled) << "the window waited for it";

    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const RECT& b = gShellDialog.Bounds;
    const POINT expected = BrowseDialogPlace(Edit->ClientToScreen(POINT{0, Edit->Height()}),
                                             SIZE{b.right - b.left, b.bottom - b.top}, work);
    EXPECT_EQ(b.left, expected.x);
    EXPECT_EQ(b.top, expected.y);
    EXPECT_EQ(Edit->Text(), folder + "\\");
    EXPECT_TRUE(Edit->Modified());
    EXPECT_FALSE(closed);
}

} // namespace
