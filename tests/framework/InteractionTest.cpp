// The interaction core: who holds the mouse and when it is lost, disabled
// controls, the focus when its control goes, window creation on first need,
// the form's message hooks, cursors, hints, painting and boundary errors.
#include "framework/Errors.h"
#include "framework/Forms.h"
#include "framework/HintWindow.h"
#include "framework/StdCtrls.h"
#include "framework/Timer.h"
#include "tests/support/FreshApplication.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

class InteractionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app = FreshApplication();
        SetCursorPos(0, 0);
    }
    void TearDown() override { app.reset(); }
    std::unique_ptr<TApplication> app;
};

// Records the mouse as a control sees it.
template <class Base> class TProbe : public Base {
  public:
    using Base::Base;
    void MouseDown(TMouseButton, TShiftState, int, int) override { events += "down "; }
    void MouseUp(TMouseButton, TShiftState, int, int) override { events += "up "; }
    void CaptureLost() override { events += "lost "; }
    void FormMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg == WM_USER + 7) {
            messages.push_back(result);
            result = 42;
        }
    }
    std::string events;
    std::vector<LRESULT> messages;
};
using TWindowless = TProbe<TGraphicControl>;
using TWindowed = TProbe<TCustomControl>;

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

struct TMouseFixture {
    TMouseFixture() : form(nullptr), other(nullptr) {
        form.SetBorderStyle(TFormBorderStyle::bsNone);
        form.SetBounds(100, 100, 300, 200);
        a = new TWindowless(&form);
        a->SetBounds(10, 10, 50, 50);
        a->SetParent(&form);
        b = new TWindowless(&form);
        b->SetBounds(100, 10, 50, 50);
        b->SetParent(&form);
        w = new TWindowed(&form);
        w->SetBounds(200, 10, 50, 50);
        w->SetParent(&form);
        form.Show();
        other.Handle();
    }
    void Click(HWND hwnd, int x, int y) {
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
        SendMessageA(hwnd, WM_LBUTTONUP, 0, At(x, y));
    }
    TForm form, other;
    TWindowless *a, *b;
    TWindowed* w;
};

struct TLossCase {
    const char* name;
    std::function<void(TMouseFixture&, TControl*)> takeAway;
};

const TLossCase kLossCases[] = {
    {"another window takes the capture",
     [](TMouseFixture& f, TControl*) { SetCapture(f.other.Handle()); }},
    {"cancel mode",
     [](TMouseFixture& f, TControl* c) {
         auto* window = c->IsWindowed() ? static_cast<TWinControl*>(c) : &f.form;
         SendMessageA(window->Handle(), WM_CANCELMODE, 0, 0);
     }},
    {"disabled while held", [](TMouseFixture&, TControl* c) { c->SetEnabled(false); }},
    {"hidden while held", [](TMouseFixture&, TControl* c) { c->Hide(); }},
    {"parent disabled while held", [](TMouseFixture& f, TControl*) { f.form.SetEnabled(false); }},
};

TEST_F(InteractionTest, AWindowlessControlThatLosesTheMouseHearsOnceAndNextClicksGoWhereTheyAre) {
    for (const TLossCase& c : kLossCases) {
        SCOPED_TRACE(c.name);
        TMouseFixture f;
        SendMessageA(f.form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
        ASSERT_TRUE(f.a->MouseHeld());
        EXPECT_EQ(GetCapture(), f.form.Handle());
        c.takeAway(f, f.a);
        EXPECT_EQ(f.a->events, "down lost ");
        EXPECT_FALSE(f.a->MouseHeld());
        EXPECT_NE(GetCapture(), f.form.Handle());
        ReleaseCapture();
        f.form.SetEnabled(true);
        // The next click belongs to the control under the mouse.
        f.Click(f.form.Handle(), 110, 20);
        EXPECT_EQ(f.b->events, "down up ");
        EXPECT_EQ(f.a->events, "down lost ");
    }
}

TEST_F(InteractionTest, AWindowedControlThatLosesTheMouseHearsOnce) {
    for (const TLossCase& c : kLossCases) {
        SCOPED_TRACE(c.name);
        TMouseFixture f;
        SendMessageA(f.w->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
        ASSERT_TRUE(f.w->MouseHeld());
        EXPECT_EQ(GetCapture(), f.w->Handle());
        c.takeAway(f, f.w);
        EXPECT_EQ(f.w->events, "down lost ");
        EXPECT_FALSE(f.w->MouseHeld());
        ReleaseCapture();
    }
}

TEST_F(InteractionTest, AReleaseIsNoLossAndAFreedHolderLetsGoOfTheMouse) {
    TMouseFixture f;
    f.Click(f.form.Handle(), 20, 20);
    f.Click(f.w->Handle(), 5, 5);
    EXPECT_EQ(f.a->events, "down up ");
    EXPECT_EQ(f.w->events, "down up ");
    EXPECT_EQ(GetCapture(), nullptr);

    SendMessageA(f.form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    delete f.a;
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageA(f.form.Handle(), WM_LBUTTONUP, 0, At(20, 20)); // reaches nobody freed
    f.Click(f.form.Handle(), 110, 20);
    EXPECT_EQ(f.b->events, "down up ");
}

TEST_F(InteractionTest, DisabledControlsTakeNoMouseInputEvenWhenSentToThem) {
    TMouseFixture f;
    f.a->SetEnabled(false);
    f.w->SetEnabled(false);
    f.Click(f.form.Handle(), 20, 20);
    f.Click(f.w->Handle(), 5, 5);
    EXPECT_EQ(f.a->events, "");
    EXPECT_EQ(f.w->events, "");

    // A control inside a disabled parent is disabled too.
    f.w->SetEnabled(true);
    auto* panel = new TPanel(&f.form);
    panel->SetBounds(0, 100, 100, 100);
    panel->SetParent(&f.form);
    auto* inner = new TWindowed(&f.form);
    inner->SetBounds(0, 0, 50, 50);
    inner->SetParent(panel);
    panel->SetEnabled(false);
    f.Click(inner->Handle(), 5, 5);
    EXPECT_EQ(inner->events, "");
    panel->SetEnabled(true);
    f.Click(inner->Handle(), 5, 5);
    EXPECT_EQ(inner->events, "down up ");
}

struct TFocusFixture {
    TFocusFixture() : form(nullptr) {
        form.SetBounds(0, 0, 300, 200);
        first = AddEdit(0);
        second = AddEdit(1);
        ok = new TButton(&form);
        ok->Default = true;
        ok->SetTabStop(false);
        ok->SetParent(&form);
        ok->OnClick = [this](TComponent*) { log += "ok "; };
        cancel = new TButton(&form);
        cancel->Cancel = true;
        cancel->SetTabStop(false);
        cancel->SetParent(&form);
        cancel->OnClick = [this](TComponent*) { log += "cancel "; };
        form.Show();
    }
    TEdit* AddEdit(int order) {
        auto* edit = new TEdit(&form);
        edit->SetBounds(10, 10 + 30 * order, 100, 20);
        edit->SetTabOrder(order);
        edit->SetParent(&form);
        return edit;
    }
    void Key(WPARAM key) {
        PostMessageA(GetFocus(), WM_KEYDOWN, key, 0);
        Application->ProcessMessages();
    }
    TForm form;
    TEdit *first, *second;
    TButton *ok, *cancel;
    std::string log;
};

TEST_F(InteractionTest, TheFocusMovesOnWhenItsControlIsDisabledOrHidden) {
    TFocusFixture f;
    ASSERT_TRUE(f.first->Focused());
    f.first->SetEnabled(false);
    EXPECT_TRUE(f.second->Focused());
    f.first->SetEnabled(true);
    f.second->Hide();
    EXPECT_TRUE(f.first->Focused()) << "wraps around to the start";
}

TEST_F(InteractionTest, WithNothingToTakeTheFocusTheFormKeepsTheKeyboard) {
    TFocusFixture f;
    f.second->SetEnabled(false);
    f.first->SetEnabled(false);
    EXPECT_EQ(GetFocus(), f.form.Handle());
    f.Key(VK_RETURN);
    f.Key(VK_ESCAPE);
    EXPECT_EQ(f.log, "ok cancel ");
    f.second->SetEnabled(true);
    f.Key(VK_TAB);
    EXPECT_TRUE(f.second->Focused());
}

// A frameless form with a shadow, as a subclass sets it up.
class TShadowForm : public TForm {
  public:
    using TForm::TForm;

  protected:
    void CreateParams(TCreateParams& params) override {
        TForm::CreateParams(params);
        params.Style = WS_POPUP | WS_CLIPCHILDREN;
        params.WindowClassStyle |= CS_DROPSHADOW;
    }
};

TEST_F(InteractionTest, WindowsAreMadeOnFirstNeedWithTheParametersOfTheSubclass) {
    TShadowForm form(nullptr), second(nullptr);
    TForm plain(nullptr);
    auto* child = new TWindowed(&form);
    child->SetParent(&form);
    child->SetBounds(1, 2, 30, 40);
    child->SetCaption("Kind");
    EXPECT_FALSE(form.HandleAllocated());
    EXPECT_FALSE(child->HandleAllocated());

    // The child needs its form's window; asking for its own makes both.
    const HWND hwnd = child->Handle();
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(form.HandleAllocated());
    EXPECT_EQ(GetParent(hwnd), form.Handle());
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, 30);
    char text[16] = {};
    GetWindowTextA(hwnd, text, sizeof(text));
    EXPECT_STREQ(text, "Kind");

    const LONG style = GetWindowLongA(form.Handle(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_NE(GetClassLongA(form.Handle(), GCL_STYLE) & CS_DROPSHADOW, 0u);
    EXPECT_NE(GetClassLongA(form.Handle(), GCL_STYLE) & CS_DBLCLKS, 0u);
    // One class per distinct class style.
    EXPECT_EQ(GetClassWord(second.Handle(), GCW_ATOM), GetClassWord(form.Handle(), GCW_ATOM));
    EXPECT_NE(GetClassWord(plain.Handle(), GCW_ATOM), GetClassWord(form.Handle(), GCW_ATOM));
    EXPECT_EQ(GetClassWord(plain.Handle(), GCW_ATOM), GetClassWord(hwnd, GCW_ATOM));

    // Without a parent a child window cannot be made.
    TWindowed orphan(nullptr);
    EXPECT_EQ(orphan.Handle(), nullptr);
}

TEST_F(InteractionTest, HookedControlsSeeTheFormsMessagesAfterItAndMayChangeTheResult) {
    TForm form(nullptr);
    auto* first = new TWindowless(&form);
    auto* second = new TWindowless(&form);
    form.AddMessageHook(first);
    form.AddMessageHook(second);
    form.AddMessageHook(first); // once only
    EXPECT_EQ(SendMessageA(form.Handle(), WM_USER + 7, 0, 0), 42);
    EXPECT_EQ(first->messages, std::vector<LRESULT>{0});
    EXPECT_EQ(second->messages, std::vector<LRESULT>{42}) << "each sees the result so far";

    delete first;
    EXPECT_EQ(SendMessageA(form.Handle(), WM_USER + 7, 0, 0), 42);
    EXPECT_EQ(second->messages.size(), 2u);
    form.RemoveMessageHook(second);
    EXPECT_EQ(SendMessageA(form.Handle(), WM_USER + 7, 0, 0), 0);

    // A control that outlives its form forgets it.
    auto* form2 = new TForm(nullptr);
    TWindowless survivor(nullptr);
    form2->AddMessageHook(&survivor);
    delete form2;
}

TEST_F(InteractionTest, TheCursorIsThatOfTheControlUnderTheMouse) {
    TMouseFixture f;
    f.a->SetCursor(TCursor::crHandPoint);
    f.form.SetCursor(TCursor::crSizeWE);
    auto ask = [&] {
        SendMessageA(f.form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(f.form.Handle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    SetCursorPos(100 + 20, 100 + 20);
    EXPECT_EQ(ask(), CursorHandle(TCursor::crHandPoint));
    SetCursorPos(100 + 120, 100 + 20);
    EXPECT_EQ(ask(), CursorHandle(TCursor::crSizeWE)) << "a default cursor is the parent's";
    SetCursorPos(100 + 20, 100 + 20);
    ask();
    f.a->SetCursor(TCursor::crIBeam);
    EXPECT_EQ(GetCursor(), CursorHandle(TCursor::crIBeam)) << "a change shows at once";
}

TEST_F(InteractionTest, OneHintFollowsTheControlUnderTheMouse) {
    TMouseFixture f;
    f.a->SetHint("Erster");
    f.a->SetShowHint(true);
    f.b->SetHint("Zweiter"); // shown only when asked for
    SendMessageA(f.form.Handle(), WM_MOUSEMOVE, 0, At(20, 20));
    EXPECT_EQ(HintControl(), f.a);
    EXPECT_EQ(HintText(), "Erster");
    f.a->SetHint("Neu");
    EXPECT_EQ(HintText(), "Neu") << "a changed hint shows while the mouse stays";
    SendMessageA(f.form.Handle(), WM_MOUSEMOVE, 0, At(110, 20));
    EXPECT_EQ(HintControl(), nullptr);
    f.b->SetShowHint(true);
    SendMessageA(f.form.Handle(), WM_MOUSEMOVE, 0, At(110, 20));
    EXPECT_EQ(HintText(), "Zweiter");
    delete f.b;
    EXPECT_EQ(HintControl(), nullptr);
}

// Records what each paint was given.
class TPaintProbe : public TCustomControl {
  public:
    using TCustomControl::TCustomControl;
    std::vector<RECT> clips;
    std::vector<bool> memory;
    bool fail = false;

  protected:
    void PaintWindow(TCanvas& canvas) override {
        RECT clip;
        GetClipBox(canvas.Handle(), &clip);
        clips.push_back(clip);
        memory.push_back(GetObjectType(canvas.Handle()) == OBJ_MEMDC);
        // Leave the context changed: the next paint must not see it.
        SetBkColor(canvas.Handle(), RGB(1, 2, 3));
        if (fail)
            throw std::runtime_error("paint failed");
        TCustomControl::PaintWindow(canvas);
    }
};

// A shown form with a paint probe that has painted once.
struct TPaintFixture {
    TPaintFixture() : form(nullptr) {
        form.SetBounds(0, 0, 200, 200);
        probe = new TPaintProbe(&form);
        probe->SetBounds(0, 0, 100, 100);
        probe->SetParent(&form);
        form.Show();
        probe->Update();
    }
    TForm form;
    TPaintProbe* probe;
};

TEST_F(InteractionTest, PaintingCoversOnlyTheInvalidPartThroughTheBufferWhenDoubleBuffered) {
    TPaintFixture f;
    TPaintProbe* probe = f.probe;
    probe->clips.clear();
    probe->memory.clear();

    RECT part = MakeRect(10, 20, 30, 40);
    InvalidateRect(probe->Handle(), &part, FALSE);
    probe->Update();
    probe->SetDoubleBuffered(false);
    InvalidateRect(probe->Handle(), &part, FALSE);
    probe->Update();
    ASSERT_EQ(probe->clips.size(), 2u);
    for (const RECT& clip : probe->clips)
        EXPECT_TRUE(EqualRect(&clip, &part));
    EXPECT_EQ(probe->memory, (std::vector<bool>{true, false}));
}

TEST_F(InteractionTest, ExceptionsAtTheBoundariesAreReportedAndAFailedPaintStillEnds) {
    std::vector<std::string> reports;
    SetExceptionHook([&](const std::string& where, const std::string& what) {
        reports.push_back(where + ": " + what);
    });
    {
        TPaintFixture f;
        TPaintProbe* probe = f.probe;
        probe->fail = true;
        probe->Invalidate();
        probe->Update();
        EXPECT_FALSE(GetUpdateRect(probe->Handle(), nullptr, FALSE)) << "the paint was ended";
        ASSERT_EQ(reports.size(), 1u);

        TTimer timer(nullptr);
        timer.SetInterval(1);
        timer.SetOnTimer([](TComponent*) { throw std::logic_error("tick failed"); });
        for (int i = 0; i < 500 && reports.size() < 2; ++i) {
            Sleep(2);
            app->ProcessMessages();
        }
        timer.SetEnabled(false);
    }
    SetExceptionHook(nullptr);
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports[0], "paint: paint failed");
    EXPECT_EQ(reports[1], "timer: tick failed");
}

TEST_F(InteractionTest, TheWrappersCountTheGdiObjectsTheyHold) {
    const int before = LiveGdiObjects();
    {
        TFont font;
        font.Handle();
        EXPECT_EQ(LiveGdiObjects(), before + 1);
        TBitmap bitmap(10, 10);
        EXPECT_EQ(LiveGdiObjects(), before + 3) << "the bitmap and its context";
        bitmap.Canvas().Brush.SetColor(clRed);
        bitmap.Canvas().FillRect(MakeRect(0, 0, 5, 5));
        EXPECT_EQ(LiveGdiObjects(), before + 4);
    }
    EXPECT_EQ(LiveGdiObjects(), before);
}

} // namespace
