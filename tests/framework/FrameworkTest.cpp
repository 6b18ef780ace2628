// The window layer: components, the loop and pump, dialog keys, fonts,
// windowless children, canvas rules and the owner-drawn list box.
#include "framework/Errors.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "tests/support/FreshApplication.h"
#include "tests/support/KeyboardCues.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

class FrameworkTest : public ::testing::Test {
  protected:
    void SetUp() override { app = FreshApplication(); }
    void TearDown() override { app.reset(); }
    std::unique_ptr<TApplication> app;
};

class TRecorder : public TComponent {
  public:
    TRecorder(TComponent* owner, std::vector<std::string>& log, std::string name)
        : TComponent(owner), FLog(log) {
        Name = std::move(name);
    }
    ~TRecorder() override { FLog.push_back("free " + Name); }
    TComponent* Watched = nullptr;

  protected:
    void Loaded() override { FLog.push_back("loaded " + Name + (Loading() ? " (loading)" : "")); }
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == TOperation::opRemove && component == Watched)
            Watched = nullptr;
    }

  private:
    std::vector<std::string>& FLog;
};

class TLoadingRoot : public TComponent {
  public:
    explicit TLoadingRoot(std::vector<std::string>& log) : TComponent(nullptr) {
        BeginLoading();
        first = new TRecorder(this, log, "a");
        second = new TRecorder(this, log, "b");
        log.push_back(std::string("during build: ") + (first->Loading() ? "loading" : "loaded"));
        EndLoading();
    }
    TRecorder* first;
    TRecorder* second;
};

TEST_F(FrameworkTest, ComponentsLoadInCreationOrderAndAreFreedByTheirOwner) {
    std::vector<std::string> log;
    {
        TLoadingRoot root(log);
        EXPECT_FALSE(root.first->Loading());
        // A free notification clears the reference to a component freed elsewhere.
        auto* watched = new TRecorder(&root, log, "c");
        root.first->Watched = watched;
        root.first->FreeNotification(watched);
        delete watched;
        EXPECT_EQ(root.first->Watched, nullptr);
        EXPECT_EQ(root.Components().size(), 2u);
    }
    const std::vector<std::string> expected{
        "during build: loading", "loaded a", "loaded b", "free c", "free b", "free a"};
    EXPECT_EQ(log, expected);
}

// Notes in the log when it goes, as a member of a component.
struct TMarker {
    std::vector<std::string>& log;
    std::string text;
    ~TMarker() { log.push_back(text); }
};

// A composite whose part is freed by its owner.
class TComposite : public TComponent {
  public:
    TComposite(TComponent* owner, std::vector<std::string>& log)
        : TComponent(owner), FMember{log, "member of composite"} {
        new TRecorder(this, log, "part");
    }

  private:
    TMarker FMember;
};

TEST_F(FrameworkTest, OwnedPartsGoBeforeTheMembersOfTheirOwner) {
    std::vector<std::string> log;
    {
        TComponent root(nullptr);
        new TComposite(&root, log);
    }
    const std::vector<std::string> expected{"free part", "member of composite"};
    EXPECT_EQ(log, expected);
}

TEST_F(FrameworkTest, TheApplicationFreesOnlyAMainFormItWasGiven) {
    std::vector<std::string> log;
    auto kept = std::make_unique<TForm>(nullptr);
    new TRecorder(kept.get(), log, "on kept form");
    app->SetMainForm(kept.get());
    auto adopted = std::make_unique<TForm>(nullptr);
    new TRecorder(adopted.get(), log, "on adopted form");
    TForm* adoptedForm = adopted.get();
    app->AdoptMainForm(std::move(adopted));
    EXPECT_EQ(app->MainForm(), adoptedForm);
    app.reset();
    EXPECT_EQ(log, std::vector<std::string>{"free on adopted form"});
    kept.reset();
    EXPECT_EQ(log.back(), "free on kept form");
}

TEST_F(FrameworkTest, PumpHandlesWaitingMessagesAndRecordsAQuit) {
    TForm form(nullptr);
    int clicks = 0;
    auto* button = new TButton(&form);
    button->SetParent(&form);
    button->OnClick = [&](TComponent*) { ++clicks; };
    PostMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button->Handle()));
    PostMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button->Handle()));
    int pumps = 0;
    app->OnPump = [&](int count) { pumps = count; };
    app->ProcessMessages();
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(app->Terminated());

    // Closing the main form only asks the application to end.
    app->SetMainForm(&form);
    form.Close();
    app->ProcessMessages();
    EXPECT_TRUE(app->Terminated());
    EXPECT_EQ(pumps, 2);
    app->SetMainForm(nullptr);
}

TEST_F(FrameworkTest, TheApplicationKeepsComForTheShellDialogsWhileItLives) {
    // While it lives a further start only counts up; after it, COM is down again.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
    app.reset();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();
}

TEST_F(FrameworkTest, ModalLoopEndsWithItsResultOrWhenTheApplicationEnds) {
    TForm dialog(nullptr);
    auto* ok = new TButton(&dialog);
    ok->SetParent(&dialog);
    ok->ModalResult = mrOk;
    PostMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ok->Handle()));
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_FALSE(dialog.Visible());

    // The main form is closed while the dialog's loop runs: the loop ends.
    TForm mainForm(nullptr);
    app->SetMainForm(&mainForm);
    PostMessageA(mainForm.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_TRUE(app->Terminated());
    EXPECT_FALSE(dialog.Visible());
    // An application that is ending shows no modal form for long.
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    app->SetMainForm(nullptr);
}

// Refuses to close by throwing, as a faulty close check might.
class TThrowingCloseForm : public TForm {
  public:
    using TForm::TForm;

  protected:
    bool CloseQuery() override { throw std::runtime_error("close check failed"); }
};

TEST_F(FrameworkTest, KeyHandlerExceptionsStopAtThePumpAndEveryModalExitEnablesTheWindows) {
    std::vector<std::string> reports;
    SetExceptionHook([&](const std::string& where, const std::string& what) {
        reports.push_back(where + ": " + what);
    });
    TForm owner(nullptr);
    owner.Show();
    ASSERT_TRUE(IsWindowEnabled(owner.Handle()));

    // A key handler reached through the form's key handling throws inside
    // the modal loop; the loop goes on and the next key ends it.
    TForm dialog(nullptr);
    dialog.KeyPreview = true;
    dialog.OnKeyDown = [&](TComponent*, WORD& key, TShiftState) {
        if (key == VK_F2)
            throw std::runtime_error("key failed");
        dialog.SetModalResult(mrOk);
    };
    PostMessageA(dialog.Handle(), WM_KEYDOWN, VK_F2, 0);
    PostMessageA(dialog.Handle(), WM_KEYDOWN, VK_F3, 0);
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    EXPECT_EQ(reports, std::vector<std::string>{"dialog key: key failed"});

    // An exception that leaves the modal loop itself still enables the windows.
    TThrowingCloseForm refusing(nullptr);
    auto* ok = new TButton(&refusing);
    ok->SetParent(&refusing);
    ok->ModalResult = mrOk;
    PostMessageA(refusing.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ok->Handle()));
    EXPECT_THROW(refusing.ShowModal(), std::runtime_error);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    EXPECT_FALSE(refusing.Modal());
    SetExceptionHook(nullptr);
}

struct TDialogFixture {
    TDialogFixture() : form(nullptr) {
        form.SetBounds(0, 0, 300, 200);
        first = new TEdit(&form);
        first->SetBounds(10, 10, 100, 20);
        first->SetParent(&form);
        disabled = new TEdit(&form);
        disabled->SetBounds(10, 40, 100, 20);
        disabled->SetParent(&form);
        disabled->SetEnabled(false);
        last = new TEdit(&form);
        last->SetBounds(10, 70, 100, 20);
        last->SetParent(&form);
        // Tab order is its own, not the order of creation.
        last->SetTabOrder(1);
        disabled->SetTabOrder(2);
        first->SetTabOrder(0);
        label = new TLabel(&form);
        label->SetCaption("&Ziel");
        label->SetFocusControl(last);
        label->SetParent(&form);
        ok = new TButton(&form);
        ok->Default = true;
        ok->SetTabStop(false);
        ok->SetParent(&form);
        cancel = new TButton(&form);
        cancel->Cancel = true;
        cancel->SetTabStop(false);
        cancel->SetParent(&form);
        ok->OnClick = [this](TComponent*) { log += "ok "; };
        cancel->OnClick = [this](TComponent*) { log += "cancel "; };
        form.Show();
    }
    void Key(UINT msg, WPARAM key) {
        PostMessageA(GetFocus(), msg, key, 0);
        Application->ProcessMessages();
    }
    TForm form;
    TEdit *first, *disabled, *last;
    TLabel* label;
    TButton *ok, *cancel;
    std::string log;
};

TEST_F(FrameworkTest, DialogKeysMoveFocusAndPressTheDefaultAndCancelButtons) {
    TDialogFixture f;
    ASSERT_TRUE(f.first->Focused());
    f.Key(WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(f.last->Focused()) << "the disabled edit is skipped";
    f.Key(WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(f.first->Focused()) << "tab wraps around";
    f.Key(WM_KEYDOWN, VK_RETURN);
    f.Key(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(f.log, "ok cancel ");
    f.Key(WM_SYSCHAR, 'z');
    EXPECT_TRUE(f.last->Focused()) << "Alt+Z focuses the label's control";

    // Enter on a focused push button presses that one, not the default button.
    f.log.clear();
    f.cancel->SetFocus();
    ASSERT_TRUE(f.cancel->Focused());
    f.Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(f.log, "cancel ");

    // A freed control is forgotten by the form and by the label that pointed at it.
    auto* gone = new TEdit(&f.form);
    gone->SetParent(&f.form);
    gone->SetFocus();
    f.label->SetFocusControl(gone);
    ASSERT_EQ(f.form.ActiveControl(), gone);
    delete gone;
    EXPECT_EQ(f.form.ActiveControl(), nullptr);
    EXPECT_EQ(f.label->FocusControl(), nullptr);
    SendMessageA(f.form.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    f.Key(WM_SYSCHAR, 'z');
}

// The label painted alone into a white bitmap, against the system's own text
// with the underline hidden or shown.
bool LabelShowsUnderline(TLabel& label) {
    const auto paint = [&label](bool own, UINT flags) {
        auto bitmap = std::make_unique<TBitmap>(label.Width(), label.Height());
        bitmap->Canvas().Brush.SetColor(clWhite);
        bitmap->Canvas().FillRect(label.ClientRect());
        if (own) {
            label.Paint(bitmap->Canvas());
        } else {
            bitmap->Canvas().Font = label.Font;
            bitmap->Canvas().Brush.SetStyle(TBrushStyle::bsClear);
            RECT r = label.ClientRect();
            bitmap->Canvas().DrawText(flags ? WithoutAccelChar(label.Caption()) : label.Caption(),
                                      r, DT_SINGLELINE | DT_LEFT | DT_TOP | flags);
        }
        return bitmap;
    };
    const auto same = [&label](TBitmap& a, TBitmap& b) {
        for (int y = 0; y < label.Height(); ++y)
            for (int x = 0; x < label.Width(); ++x)
                if (a.Canvas().Pixel(x, y) != b.Canvas().Pixel(x, y))
                    return false;
        return true;
    };
    const auto painted = paint(true, 0);
    const auto hidden = paint(false, DT_NOPREFIX), shown = paint(false, 0);
    EXPECT_FALSE(same(*hidden, *shown)) << "an underline to tell apart";
    EXPECT_TRUE(same(*painted, *hidden) || same(*painted, *shown));
    return same(*painted, *shown);
}

TEST(CentringTest, BothHalvingsOnOddAndEvenExtentsAndOversizedBoxes) {
    const struct {
        RECT Area;
        SIZE Box;
        POINT Difference, Apart;
    } cases[] = {
        // An even area and an odd box: halves taken apart sit one pixel further on.
        {{10, 20, 110, 220}, {31, 50}, {44, 95}, {45, 95}},
        {{0, 0, 101, 101}, {30, 31}, {35, 35}, {35, 35}},
        // A box larger than its area starts before it.
        {{0, 0, 101, 100}, {140, 140}, {-19, -20}, {-20, -20}},
        {{-50, -40, 50, 60}, {20, 21}, {-10, -1}, {-10, 0}},
    };
    for (const auto& c : cases) {
        const POINT difference = CentredIn(c.Area, c.Box);
        const POINT apart = CentredIn(c.Area, c.Box, THalving::Apart);
        EXPECT_EQ(difference.x, c.Difference.x) << c.Box.cx;
        EXPECT_EQ(difference.y, c.Difference.y) << c.Box.cy;
        EXPECT_EQ(apart.x, c.Apart.x) << c.Box.cx;
        EXPECT_EQ(apart.y, c.Apart.y) << c.Box.cy;
    }
}

TEST(AccelCharTest, TheLetterAndTheCaptionWithoutItsUnderline) {
    const struct {
        const char* Caption;
        char Letter;
        const char* Shown;
    } cases[] = {{"&Datei", 'D', "Datei"}, {"Ver&gleichen", 'g', "Vergleichen"},
                 {"A&&B", 0, "A&B"},       {"R&&&D", 'D', "R&D"},
                 {"plain", 0, "plain"},    {"", 0, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(AcceleratorOf(c.Caption), c.Letter) << c.Caption;
        EXPECT_EQ(WithoutAccelChar(c.Caption), c.Shown) << c.Caption;
    }
}

TEST_F(FrameworkTest, KeyboardCuesWaitForTabOrAltUnlessTheSystemShowsThem) {
    const TAlwaysShownCues notAlways(false);
    TDialogFixture f;
    const auto cues = [&f] {
        return std::pair{f.first->ShowsFocusCues(), f.label->ShowsAccelCues()};
    };
    EXPECT_EQ(cues(), std::pair(false, false)) << "hidden from the first show";
    EXPECT_FALSE(LabelShowsUnderline(*f.label));
    f.Key(WM_SYSKEYDOWN, VK_MENU);
    EXPECT_EQ(cues(), std::pair(false, true)) << "Alt shows the underlines";
    EXPECT_TRUE(LabelShowsUnderline(*f.label));
    f.Key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(cues(), std::pair(true, true)) << "Tab shows the focus";

    // The system may hide and show them again, and the form paints again; a
    // form shown later starts hidden.
    ValidateRect(f.form.Handle(), nullptr);
    SendMessageA(f.form.Handle(), WM_UPDATEUISTATE,
                 MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    EXPECT_EQ(cues(), std::pair(false, false));
    EXPECT_TRUE(GetUpdateRect(f.form.Handle(), nullptr, FALSE));
    SendMessageA(f.form.Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    EXPECT_EQ(cues(), std::pair(true, false));
    TForm other(nullptr);
    auto* edit = new TEdit(&other);
    edit->SetParent(&other);
    f.form.Show();
    other.Show();
    EXPECT_FALSE(edit->ShowsFocusCues());
    EXPECT_TRUE(f.first->ShowsFocusCues()) << "each form has its own";

    // A user who has them always shown sees them at once.
    const TAlwaysShownCues always(true);
    EXPECT_TRUE(edit->ShowsFocusCues());
    EXPECT_TRUE(edit->ShowsAccelCues());
    EXPECT_TRUE(LabelShowsUnderline(*f.label));
}

TEST_F(FrameworkTest, FontFollowsTheParentUntilChanged) {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* follower = new TLabel(&form);
    follower->SetParent(panel);
    auto* own = new TLabel(&form);
    own->SetParent(panel);
    own->Font.SetColor(clRed);
    panel->Font.SetName("Verdana");
    panel->Font.SetColor(clBlue);
    EXPECT_EQ(follower->Font.Name(), "Verdana");
    EXPECT_EQ(follower->Font.Color(), clBlue);
    EXPECT_TRUE(follower->ParentFont());
    EXPECT_FALSE(own->ParentFont());
    EXPECT_EQ(own->Font.Name(), "Tahoma");
    EXPECT_EQ(own->Font.Color(), clRed);
}

// Throws from its message handler, as a faulty control might.
class TThrowing : public TCustomControl {
  public:
    using TCustomControl::TCustomControl;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_USER || msg == WM_NCDESTROY)
            throw std::runtime_error("handler failed");
        return TCustomControl::WindowProc(msg, wParam, lParam);
    }
};

TEST_F(FrameworkTest, NoExceptionLeavesTheWindowProcedureAndAGoneWindowIsUnbound) {
    TForm form(nullptr);
    auto* control = new TThrowing(&form);
    control->SetParent(&form);
    const HWND hwnd = control->Handle();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 0);
    DestroyWindow(hwnd);
    EXPECT_FALSE(control->HandleAllocated());
    EXPECT_EQ(TWinControl::FromHandle(hwnd), nullptr);
}

// A top-level window of a given class and owner.
class TPopup : public TCustomControl {
  public:
    TPopup(std::string windowClass, HWND owner)
        : TCustomControl(nullptr), FClass(std::move(windowClass)), FOwner(owner) {}

  protected:
    void CreateParams(TCreateParams& params) override {
        TCustomControl::CreateParams(params);
        params.Style = WS_POPUP;
        if (!FClass.empty())
            params.WindowClass = FClass;
        params.WndParent = FOwner;
    }

  private:
    std::string FClass;
    HWND FOwner;
};

TEST_F(FrameworkTest, AWindowThatCannotBeMadeIsReported) {
    struct TCase {
        const char* name;
        std::string windowClass; // empty: our own class
        HWND owner;
        bool made;
    };
    TForm form(nullptr);
    const TCase cases[] = {
        {"own class, no owner", "", nullptr, true},
        {"own class, owned by a form", "", form.Handle(), true},
        {"unknown class", "KorvandelNoSuchClass", nullptr, false},
        {"owner handle that is no window", "", reinterpret_cast<HWND>(0x7FFF0001), false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> reports;
        SetExceptionHook([&](const std::string& where, const std::string& what) {
            reports.push_back(where + ": " + what);
        });
        TPopup popup(c.windowClass, c.owner);
        popup.HandleNeeded();
        SetExceptionHook(nullptr);
        EXPECT_EQ(popup.HandleAllocated(), c.made);
        if (c.made) {
            EXPECT_TRUE(reports.empty());
            continue;
        }
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].rfind("window creation: CreateWindowEx ", 0), 0u) << reports[0];
        EXPECT_NE(reports[0].find("failed with error"), std::string::npos) << reports[0];
    }
}

class TSwatch : public TGraphicControl {
  public:
    TSwatch(TComponent* owner, TColor color) : TGraphicControl(owner), FFill(color) {}
    void Paint(TCanvas& canvas) override {
        canvas.Brush.SetColor(FFill);
        canvas.FillRect(ClientRect());
    }
    void MouseDown(TMouseButton, TShiftState, int x, int y) override {
        events += "down " + std::to_string(x) + "," + std::to_string(y) + " ";
    }
    void MouseUp(TMouseButton, TShiftState, int x, int y) override {
        events += "up " + std::to_string(x) + "," + std::to_string(y) + " ";
    }
    void MouseEnter() override {
        TGraphicControl::MouseEnter();
        events += "enter ";
    }
    void MouseLeave() override {
        TGraphicControl::MouseLeave();
        events += "leave ";
    }
    std::string events;

  private:
    TColor FFill;
};

TEST_F(FrameworkTest, WindowlessChildrenArePaintedInZOrderAndGetTheMouse) {
    TForm form(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    form.SetBounds(0, 0, 100, 100);
    form.SetColor(clWhite);
    auto* bottom = new TSwatch(&form, clRed);
    bottom->SetBounds(10, 10, 40, 40);
    bottom->SetParent(&form);
    auto* top = new TSwatch(&form, clBlue);
    top->SetBounds(30, 30, 40, 40);
    top->SetParent(&form);
    form.Show();

    TBitmap shot(100, 100);
    form.Update();
    HDC dc = GetDC(form.Handle());
    BitBlt(shot.Canvas().Handle(), 0, 0, 100, 100, dc, 0, 0, SRCCOPY);
    ReleaseDC(form.Handle(), dc);
    EXPECT_EQ(shot.Canvas().Pixel(5, 5), RGB(255, 255, 255));
    EXPECT_EQ(shot.Canvas().Pixel(15, 15), RGB(255, 0, 0));
    EXPECT_EQ(shot.Canvas().Pixel(35, 35), RGB(0, 0, 255)) << "the later child lies on top";

    SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(35, 35));
    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(35, 35));
    // Held down, the child keeps the mouse even outside its bounds.
    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(90, 90));
    SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(15, 15));
    EXPECT_EQ(top->events, "enter down 5,5 up 60,60 leave ");
    EXPECT_EQ(bottom->events, "enter ");
}

TEST_F(FrameworkTest, CanvasTextBackgroundFollowsTheBrushAndLinesExcludeTheirEnd) {
    TBitmap bitmap(60, 30);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush.SetColor(clWhite);
    canvas.FillRect(MakeRect(0, 0, 60, 30));
    canvas.Font.SetColor(clBlack);

    canvas.Brush.SetColor(clLime);
    canvas.TextOut(0, 0, " ");
    EXPECT_EQ(canvas.Pixel(1, 2), RGB(0, 255, 0)) << "solid brush: opaque text background";
    canvas.Brush.SetColor(clNone);
    canvas.TextOut(20, 0, " ");
    EXPECT_EQ(canvas.Pixel(21, 2), RGB(255, 255, 255)) << "clear brush: transparent text";
    canvas.Brush.SetColor(clRed);
    EXPECT_EQ(canvas.Brush.Style(), TBrushStyle::bsSolid) << "a colour makes the brush solid";
    // The canvas keeps its brush between fills: each fill still takes the current
    // colour, and a clear one paints nothing.
    canvas.FillRect(MakeRect(40, 0, 45, 5));
    canvas.Brush.SetColor(clNone);
    canvas.Brush.SetStyle(TBrushStyle::bsSolid);
    canvas.FillRect(MakeRect(45, 0, 50, 5));
    canvas.Brush.SetColor(clBlue);
    canvas.FillRect(MakeRect(50, 0, 55, 5));
    canvas.Brush.SetColor(clRed);
    canvas.FrameRect(MakeRect(55, 0, 60, 5));
    EXPECT_EQ(canvas.Pixel(41, 1), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(46, 1), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(51, 1), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(55, 0), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(57, 2), RGB(255, 255, 255)) << "a frame leaves its inside";

    canvas.Pen.SetColor(clBlue);
    canvas.MoveTo(0, 20);
    canvas.LineTo(10, 20);
    EXPECT_EQ(canvas.Pixel(0, 20), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(9, 20), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(10, 20), RGB(255, 255, 255));
}

class TTallList : public TListBox {
  public:
    using TListBox::TListBox;

  protected:
    int MeasureItem(int index) override { return 10 + static_cast<int>(Strings(index).size()); }
};

TEST_F(FrameworkTest, ListItemsKeepTheirObjectsAndHeightsWhenTextsChange) {
    TForm form(nullptr);
    auto* list = new TTallList(&form);
    list->SetBounds(0, 0, 200, 100);
    list->SetParent(&form);
    int a = 1, b = 2;
    list->AddItem("ab", &a);
    list->AddItem("abcd", &b);
    EXPECT_EQ(list->ItemHeights(0), 12);
    EXPECT_EQ(list->ItemHeights(1), 14);
    list->SetItemIndex(1);
    list->SetString(1, "abcdefgh");
    EXPECT_EQ(list->Objects(1), &b);
    EXPECT_EQ(list->Strings(1), "abcdefgh");
    EXPECT_EQ(list->ItemHeights(1), 18) << "a new text is measured again";
    EXPECT_EQ(list->ItemIndex(), 1) << "the selection stays";
    EXPECT_THROW(list->Objects(2), EListError);
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
}

TEST_F(FrameworkTest, WhatIsSetBeforeTheWindowExistsReachesIt) {
    TForm form(nullptr);
    auto* list = new TTallList(&form);
    int a = 1;
    list->AddItem("ab", &a);
    list->AddItem("abcd", nullptr);
    auto* bar = new TProgressBar(&form);
    bar->SetRange(0, 40);
    bar->SetPosition(30);
    auto* check = new TCheckBox(&form);
    check->SetChecked(true);
    EXPECT_TRUE(check->Checked());
    for (TWinControl* control : std::initializer_list<TWinControl*>{list, bar, check}) {
        control->SetBounds(0, 0, 200, 100);
        control->SetParent(&form);
    }
    EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(list->ItemHeights(1), 14);
    EXPECT_EQ(SendMessageA(list->Handle(), LB_GETITEMDATA, 0, 0), reinterpret_cast<LRESULT>(&a));

    // On a parent whose window is not made yet, adding and deleting items
    // bring no window with them; the items that are left go in once, when
    // the window is made.
    TForm other(nullptr);
    auto* late = new TTallList(&other);
    late->SetBounds(0, 0, 200, 100);
    late->SetParent(&other);
    late->AddItem("ab", &a);
    late->AddItem("abc", nullptr);
    late->AddItem("abcd", nullptr);
    late->Delete(1);
    EXPECT_FALSE(other.HandleAllocated());
    EXPECT_EQ(SendMessageA(late->Handle(), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(late->ItemHeights(1), 14) << "the item after the deleted one";
    EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETRANGE, FALSE, 0), 40);
    EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETPOS, 0, 0), 30);
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(FrameworkTest, RadioButtonsOnOneParentCheckOneAnother) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    TRadioButton* radios[2];
    for (int i = 0; i < 2; ++i) {
        radios[i] = new TRadioButton(&form);
        radios[i]->SetBounds(0, 30 * i, 100, 20);
        radios[i]->SetParent(&form);
    }
    radios[0]->SetChecked(true);
    form.Show();
    EXPECT_TRUE(radios[0]->Checked());
    // A click as the user makes it checks the second and clears the first.
    SendMessageA(radios[1]->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(radios[1]->Checked());
    EXPECT_FALSE(radios[0]->Checked());
}

// Counts the changes of its bounds it is told of.
class TBoundsWatcher : public TCustomControl {
  public:
    using TCustomControl::TCustomControl;
    int Changes = 0;

  protected:
    void BoundsChanged() override {
        TCustomControl::BoundsChanged();
        ++Changes;
    }
};

TEST_F(FrameworkTest, StoredBoundsFollowWhatTheSystemDoesToTheWindows) {
    TForm form(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    form.SetBounds(100, 100, 300, 200);
    auto* child = new TBoundsWatcher(&form);
    child->SetBounds(10, 10, 50, 20);
    child->SetParent(&form);
    form.Show();
    const auto bounds = [](const TControl& control) {
        const RECT r = control.BoundsRect();
        return std::vector<LONG>{r.left, r.top, r.right, r.bottom};
    };
    const auto window = [](HWND hwnd) {
        RECT r;
        GetWindowRect(hwnd, &r);
        return std::vector<LONG>{r.left, r.top, r.right, r.bottom};
    };
    // Moved and sized on the windows themselves, as a size loop or another
    // program does, without the framework's knowledge.
    SetWindowPos(form.Handle(), nullptr, 120, 130, 350, 240, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(bounds(form), (std::vector<LONG>{120, 130, 470, 370}));
    child->Changes = 0;
    MoveWindow(child->Handle(), 20, 25, 60, 30, TRUE);
    EXPECT_EQ(bounds(*child), (std::vector<LONG>{20, 25, 80, 55})) << "in the parent's client area";
    EXPECT_EQ(child->Changes, 1);
    // The framework's own change is told once, as before.
    child->SetBounds(5, 5, 40, 20);
    EXPECT_EQ(child->Changes, 2);
    EXPECT_EQ(bounds(*child), (std::vector<LONG>{5, 5, 45, 25}));

    ShowWindow(form.Handle(), SW_SHOWMAXIMIZED);
    EXPECT_EQ(bounds(form), window(form.Handle())) << "maximised";
    ShowWindow(form.Handle(), SW_RESTORE);
    EXPECT_EQ(bounds(form), (std::vector<LONG>{120, 130, 470, 370}));
    // The icon of a minimised window is no size of the form's.
    ShowWindow(form.Handle(), SW_MINIMIZE);
    EXPECT_EQ(bounds(form), (std::vector<LONG>{120, 130, 470, 370})) << "minimised";
    ShowWindow(form.Handle(), SW_RESTORE);
    EXPECT_EQ(bounds(form), (std::vector<LONG>{120, 130, 470, 370}));
}

} // namespace
