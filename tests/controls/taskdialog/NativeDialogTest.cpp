// The native face shown for real: the system's task dialog, chosen through
// the face seam (the rule picks the emulated window under Wine), driven
// through its window.
#include "controls/taskdialog/AdvMessageForm.h"
#include "controls/taskdialog/TaskDialogNativeConfig.h"
#include "framework/Text.h"
#include "tests/support/FreshApplication.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

TAdvTaskDialog* gShown = nullptr;

HWND ShownWindow(const TAdvTaskDialog& dialog) {
    return dialog.Face() ? dialog.Face()->Window() : nullptr;
}
bool gGaveUp = false;

// Ends a dialog that the test failed to close, so that it fails instead of hanging:
// the system's by its window, the emulated one, whose modal loop ends with the
// message loop, by a quit.
void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
    if (!gShown)
        return;
    if (EmulatedForm(*gShown)) {
        gGaveUp = true;
        PostQuitMessage(0);
    } else if (IsWindow(ShownWindow(*gShown))) {
        gGaveUp = true;
        DestroyWindow(ShownWindow(*gShown));
    }
}

struct TChild {
    std::string Class;
    std::string Text;
    HWND Handle;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
    char cls[64] = {}, text[512] = {};
    GetClassNameA(hwnd, cls, sizeof(cls));
    GetWindowTextA(hwnd, text, sizeof(text));
    reinterpret_cast<std::vector<TChild>*>(param)->push_back({cls, text, hwnd});
    return TRUE;
}

std::vector<TChild> Children(HWND dialog) {
    std::vector<TChild> children;
    EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND ChildOfClass(HWND dialog, const char* cls) {
    for (const TChild& c : Children(dialog))
        if (SameText(c.Class, cls))
            return c.Handle;
    return nullptr;
}

void Press(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

class NativeDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app = FreshApplication();
        SetDialogFaceOverride(TDialogFace::dfNative);
        SetLinkOpener([this](const std::string& href) { opened.push_back(href); });
    }
    void TearDown() override {
        SetTaskDialogIndirectOverride(nullptr);
        SetLinkOpener(nullptr);
        SetDialogFaceOverride(TDialogFace::dfRule);
        app.reset();
    }

    // Executes the dialog; `act` runs when the system reports it created.
    int Run(TAdvTaskDialog& dialog, std::function<void(HWND)> act) {
        dialog.OnDialogCreated = [&dialog, act](TComponent*) { act(ShownWindow(dialog)); };
        const int result = ExecuteEither(dialog);
        EXPECT_EQ(EmulatedForm(dialog), nullptr) << "no emulated window was made";
        return result;
    }

    // Executes whichever face the test chose; a window left open is ended
    // from outside, so that the test fails instead of hanging.
    int ExecuteEither(TAdvTaskDialog& dialog) {
        gShown = &dialog;
        gGaveUp = false;
        const UINT_PTR guard = SetTimer(nullptr, 0, 10000, GiveUp);
        const int result = dialog.Execute();
        KillTimer(nullptr, guard);
        gShown = nullptr;
        EXPECT_FALSE(gGaveUp) << "the dialog had to be ended from outside";
        return result;
    }

    std::unique_ptr<TApplication> app;
    std::vector<std::string> opened;
};

TEST_F(NativeDialogTest, ButtonsReturnTheirIdentifiers) {
    struct TCase {
        const char* Name;
        TCommonButtons Common;
        std::vector<std::string> Custom;
        int Press;
    };
    const TCase cases[] = {
        {"OK", {cbOK}, {}, IDOK},
        {"Close", {cbOK, cbClose}, {}, IDCLOSE},
        {"first custom", {}, {"Eins", "Zwei"}, 100},
        {"second custom", {cbOK}, {"Eins", "Zwei"}, 101},
    };
    ASSERT_EQ(IDCLOSE, 8);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TAdvTaskDialog dialog(nullptr);
        dialog.SetTitle("Korvandel");
        dialog.SetInstruction("Kopierergebnis");
        dialog.SetContent("erste\\nzweite");
        dialog.Icon = tiWarning;
        dialog.CommonButtons = c.Common;
        dialog.SetCustomButtons(c.Custom);
        std::string title;
        bool twoLines = false;
        const int result = Run(dialog, [&](HWND hwnd) {
            char text[64] = {};
            GetWindowTextA(hwnd, text, sizeof(text));
            title = text;
            for (const TChild& child : Children(hwnd))
                twoLines |= child.Text == "erste\nzweite";
            Press(hwnd, c.Press);
        });
        EXPECT_EQ(result, c.Press);
        EXPECT_EQ(title, "Korvandel");
        EXPECT_TRUE(twoLines) << "backslash-n became a line feed";
    }
}

TEST_F(NativeDialogTest, RefusingCloseKeepsItOpen) {
    TAdvTaskDialog dialog(nullptr);
    dialog.CommonButtons = {cbOK};
    dialog.Options = {doTimer};
    int asked = 0, ticks = 0;
    bool openAfterRefusal = false;
    dialog.OnDialogClose = [&](TComponent*, bool& canClose) { canClose = ++asked > 1; };
    dialog.OnDialogTimer = [&](TComponent*) {
        HWND hwnd = ShownWindow(dialog);
        if (++ticks == 1)
            Press(hwnd, IDOK);
        else if (ticks == 3) {
            openAfterRefusal = IsWindowVisible(hwnd) != FALSE;
            Press(hwnd, IDOK);
        }
    };
    EXPECT_EQ(Run(dialog, [](HWND) {}), IDOK);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(openAfterRefusal);
}

TEST_F(NativeDialogTest, ProgressRangeAndPositionReachTheBar) {
    TAdvTaskDialog dialog(nullptr);
    dialog.CommonButtons = {cbOK};
    dialog.Options = {doProgressBar};
    dialog.ProgressBarMin = 10;
    dialog.ProgressBarMax = 60;
    int ticks = 0;
    PBRANGE range{};
    LRESULT position = 0;
    dialog.OnDialogProgress = [&](TComponent*, int& pos, TTaskDialogProgressState&) {
        pos = 10 + 5 * ++ticks;
        if (ticks == 4) {
            HWND bar = ChildOfClass(ShownWindow(dialog), PROGRESS_CLASSA);
            SendMessageA(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
            position = SendMessageA(bar, PBM_GETPOS, 0, 0);
            Press(ShownWindow(dialog), IDOK);
        }
    };
    EXPECT_EQ(Run(dialog, [](HWND) {}), IDOK);
    EXPECT_EQ(range.iLow, 10);
    EXPECT_EQ(range.iHigh, 60);
    EXPECT_EQ(position, 25) << "the position of the tick before";
}

TEST_F(NativeDialogTest, HyperlinkClicksReachTheHandlerOrTheOpener) {
    for (const bool handler : {false, true}) {
        SCOPED_TRACE(handler ? "with a handler" : "without a handler");
        opened.clear();
        TAdvTaskDialog dialog(nullptr);
        dialog.CommonButtons = {cbOK};
        dialog.Options = {doHyperlinks};
        dialog.SetContent("Siehe <a href=\"https://example.org/hilfe\">die Hilfe</a>.");
        std::vector<std::string> handled;
        if (handler)
            dialog.OnDialogHyperlinkClick = [&](TComponent*, const std::string& href) {
                handled.push_back(href);
            };
        Run(dialog, [](HWND hwnd) {
            // The link control tells the dialog of a click as it would on a press.
            HWND link = ChildOfClass(hwnd, "SysLink");
            ASSERT_NE(link, nullptr);
            NMLINK click{};
            click.hdr.hwndFrom = link;
            click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(link));
            click.hdr.code = NM_CLICK;
            lstrcpyW(click.item.szUrl, L"https://example.org/hilfe");
            SendMessageW(hwnd, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
            Press(hwnd, IDOK);
        });
        const std::vector<std::string> expected{"https://example.org/hilfe"};
        EXPECT_EQ(handled, handler ? expected : std::vector<std::string>{});
        EXPECT_EQ(opened, handler ? std::vector<std::string>{} : expected);
    }
}

TEST_F(NativeDialogTest, TextsChangedWhileShownReachTheDialog) {
    TAdvTaskDialog dialog(nullptr);
    dialog.CommonButtons = {cbOK};
    dialog.SetInstruction("Bitte warten");
    dialog.SetContent("Anfang");
    bool updated = false;
    Run(dialog, [&](HWND hwnd) {
        dialog.SetContent("Ende");
        for (const TChild& child : Children(hwnd))
            updated |= child.Text == "Ende";
        Press(hwnd, IDOK);
    });
    EXPECT_TRUE(updated);
}

TEST_F(NativeDialogTest, TheDialogIsOwnedByTheFormAndDisablesIt) {
    TOwnerAndMainForms forms(*app);
    TForm& owner = forms.Owner;
    TForm& main = forms.Main;
    for (const bool applicationIsParent : {false, true}) {
        SCOPED_TRACE(applicationIsParent ? "application is parent" : "owner form");
        TAdvTaskDialog dialog(&owner);
        dialog.ApplicationIsParent = applicationIsParent;
        dialog.CommonButtons = {cbOK};
        HWND expected = applicationIsParent ? main.Handle() : owner.Handle();
        HWND ownerWindow = nullptr;
        bool parentEnabled = true;
        Run(dialog, [&](HWND hwnd) {
            ownerWindow = GetWindow(hwnd, GW_OWNER);
            parentEnabled = IsWindowEnabled(expected) != FALSE;
            Press(hwnd, IDOK);
        });
        EXPECT_EQ(ownerWindow, expected);
        EXPECT_FALSE(parentEnabled) << "the form under the dialog takes no input";
        EXPECT_TRUE(IsWindowEnabled(expected)) << "and takes it again afterwards";
    }
    app->SetMainForm(nullptr);
}

// Closes whichever face is shown with its OK button.
void PressOk(TAdvTaskDialog& dialog) {
    if (TAdvMessageForm* form = EmulatedForm(dialog))
        PostMessageA(form->CommonButtonList()[0]->Handle(), BM_CLICK, 0, 0);
    else
        Press(ShownWindow(dialog), IDOK);
}

TEST_F(NativeDialogTest, BothFacesReportTheVerificationBoxAsItStarts) {
    for (const TDialogFace face : {TDialogFace::dfNative, TDialogFace::dfEmulated})
        for (const bool checked : {false, true})
            for (const char* text : {"Nicht mehr fragen", ""}) {
                SCOPED_TRACE(std::string(face == TDialogFace::dfNative ? "native" : "emulated") +
                             (checked ? ", checked" : ", unchecked") +
                             (*text ? ", with a box" : ", without a box"));
                SetDialogFaceOverride(face);
                TAdvTaskDialog dialog(nullptr);
                dialog.CommonButtons = {cbOK};
                dialog.VerificationText = text;
                if (checked)
                    dialog.Options = {doVerifyChecked};
                // A stale result from before must not survive the run.
                dialog.VerificationChecked = !checked;
                dialog.OnDialogCreated = [&dialog](TComponent*) { PressOk(dialog); };
                EXPECT_EQ(ExecuteEither(dialog), IDOK);
                EXPECT_EQ(dialog.VerificationChecked, checked);
            }
}

HRESULT WINAPI FailingTaskDialog(const TASKDIALOGCONFIG*, int*, int*, BOOL*) {
    return E_OUTOFMEMORY;
}

TEST_F(NativeDialogTest, WhenTheSystemDialogFailsTheOwnWindowShowsTheReport) {
    SetTaskDialogIndirectOverride(FailingTaskDialog);
    TAdvTaskDialog dialog(nullptr);
    dialog.SetTitle("Korvandel");
    dialog.SetInstruction("Kopierergebnis");
    dialog.CommonButtons = {cbOK};
    std::string shownInstruction;
    dialog.OnDialogCreated = [&](TComponent*) {
        ASSERT_NE(EmulatedForm(dialog), nullptr);
        shownInstruction = EmulatedForm(dialog)->InstructionLabel()->Caption();
        PressOk(dialog);
    };
    EXPECT_EQ(ExecuteEither(dialog), IDOK);
    EXPECT_EQ(shownInstruction, "Kopierergebnis");
    EXPECT_EQ(EmulatedForm(dialog), nullptr);
}

} // namespace
