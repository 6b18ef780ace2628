// The frameless form and its caption bar on real windows: styles, hit tests,
// region and maximised placement on both kinds of system, the caption
// buttons and their glyphs, the text, the mouse on the strip, the system menu
// and the pixels of the face.
#include "controls/frame/AdvToolBar.h"
#include "framework/Errors.h"
#include "tests/controls/paint/Pixels.h"
#include "tests/support/FreshApplication.h"
#include "tests/support/VistaAnswer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// Keeps the system commands it is sent instead of carrying them out, unless
// told to, and counts the system's size and move loops.
class TTestForm : public TAdvToolBarForm {
  public:
    using TAdvToolBarForm::TAdvToolBarForm;
    std::vector<WPARAM> Commands;
    bool CarryOutCommands = false;
    int SizeMoveLoops = 0;

  protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_ENTERSIZEMOVE)
            ++SizeMoveLoops;
        if (msg == WM_SYSCOMMAND) {
            Commands.push_back(wParam);
            if (!CarryOutCommands)
                return 0;
        }
        return TAdvToolBarForm::WindowProc(msg, wParam, lParam);
    }
};

class TTestPager : public TAdvToolBarPager {
  public:
    using TAdvToolBarPager::PaintWindow;
    using TAdvToolBarPager::TAdvToolBarPager;
};

constexpr int kFormWidth = 331;
constexpr int kFormHeight = 200;

class CaptionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App = FreshApplication();
        SetCursorPos(0, 0);
    }
    void TearDown() override {
        Form.reset();
        App.reset();
    }

    // A frameless form of 331 x 200 with a Luna caption bar as the main window has.
    void Make(TCaptionButtons buttons = TCaptionButton::cbClose | TCaptionButton::cbMinimize) {
        Form = std::make_unique<TTestForm>(nullptr);
        Form->SetBounds(100, 100, kFormWidth, kFormHeight);
        Styler = new TAdvToolBarOfficeStyler(Form.get());
        Styler->SetStyle(bsOffice2007Luna);
        Styler->PagerCaption.Font.SetName("Tahoma");
        Pager = new TTestPager(Form.get());
        Pager->SetBounds(0, 0, kFormWidth, 27);
        Pager->SetCanMove(true);
        Pager->SetCaptionButtons(buttons);
        Pager->Caption().SetIndent(0);
        Pager->SetToolBarStyler(Styler);
        Pager->SetParent(Form.get());
        Form->Show();
    }

    // The pager painted as it is now.
    TBitmap& Shot() {
        Bmp.SetSize(Pager->Width(), Pager->Height());
        Pager->PaintWindow(Bmp.Canvas());
        return Bmp;
    }
    // A caption button painted as it is now.
    TBitmap& ShotOf(TAdvGlowButton* button) {
        Bmp.SetSize(button->Width(), button->Height());
        button->PaintTo(Bmp.Canvas());
        return Bmp;
    }
    LRESULT HitTest(TWinControl* control, int x, int y) {
        const POINT p = control->ClientToScreen(POINT{x, y});
        return SendMessageA(control->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    }

    std::unique_ptr<TApplication> App;
    std::unique_ptr<TTestForm> Form;
    TAdvToolBarOfficeStyler* Styler = nullptr;
    TTestPager* Pager = nullptr;
    TBitmap Bmp;
};

// ---- the frameless form

TEST_F(CaptionTest, TheFormHasNoFrameButASystemMenuAndADropShadow) {
    Make();
    const DWORD style = static_cast<DWORD>(GetWindowLongA(Form->Handle(), GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, 0u);
    EXPECT_EQ(style & WS_THICKFRAME, 0u);
    EXPECT_NE(style & WS_POPUP, 0u);
    EXPECT_NE(style & WS_SYSMENU, 0u);
    const auto classStyle = GetClassLongPtrA(Form->Handle(), GCL_STYLE);
    EXPECT_NE(classStyle & CS_DROPSHADOW, 0u);
    EXPECT_NE(classStyle & CS_DBLCLKS, 0u);
    RECT window, client;
    GetWindowRect(Form->Handle(), &window);
    GetClientRect(Form->Handle(), &client);
    EXPECT_EQ(client.right, window.right - window.left);
    EXPECT_EQ(client.bottom, window.bottom - window.top);
}

TEST_F(CaptionTest, HitTestZonesOfAFramelessWindow) {
    const int w = 300, h = 200;
    const struct {
        int x, y;
        LRESULT zone;
    } cases[] = {
        {150, 100, HTCLIENT},      {150, 2, HTTOP},         {150, 3, HTCLIENT},
        {2, 100, HTLEFT},          {3, 100, HTCLIENT},      {289, 100, HTRIGHT},
        {288, 100, HTCLIENT},      {150, 189, HTBOTTOM},    {150, 188, HTCLIENT},
        {285, 185, HTBOTTOMRIGHT}, {19, 19, HTTOPLEFT},     {20, 2, HTTOP},
        {285, 10, HTTOPRIGHT},     {10, 185, HTBOTTOMLEFT}, {280, 195, HTBOTTOM},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FrameHitTest(c.x, c.y, w, h, HTCLIENT), c.zone) << c.x << ", " << c.y;
}

TEST_F(CaptionTest, TheStripHandsItsBordersToASizableFormOnBothKindsOfSystem) {
    for (const bool vista : {false, true}) {
        TVistaAnswer answer(vista);
        Make();
        Form->SetBorderStyle(TFormBorderStyle::bsSizeable);
        SCOPED_TRACE(vista ? "Vista" : "before Vista");
        const int w = Pager->Width();
        EXPECT_EQ(Pager->Left(), vista ? 0 : 1);
        EXPECT_EQ(Pager->Top(), vista ? 0 : 1);
        EXPECT_EQ(w, vista ? kFormWidth : kFormWidth - 3);
        // Top rows, left columns and right columns of the strip go through.
        for (const POINT p : {POINT{100, 2}, POINT{2, 10}, POINT{w - 5, 10}})
            EXPECT_EQ(HitTest(Pager, p.x, p.y), HTTRANSPARENT) << p.x << ", " << p.y;
        for (const POINT p : {POINT{100, 3}, POINT{3, 10}, POINT{w - 6, 10}})
            EXPECT_NE(HitTest(Pager, p.x, p.y), HTTRANSPARENT) << p.x << ", " << p.y;
        // The form answers there with its zones, in its own coordinates.
        EXPECT_EQ(HitTest(Form.get(), 100, 1), HTTOP);
        EXPECT_EQ(HitTest(Form.get(), 1, 10), HTTOPLEFT);
        EXPECT_EQ(HitTest(Form.get(), kFormWidth - 2, 100), HTRIGHT);
        EXPECT_EQ(HitTest(Form.get(), 100, 100), HTCLIENT);

        ShowWindow(Form->Handle(), SW_SHOWMAXIMIZED);
        EXPECT_EQ(HitTest(Form.get(), 1, 1), HTCLIENT) << "no sizing zones when maximised";
        EXPECT_EQ(HitTest(Form.get(), 100, 100), HTCLIENT);
        Form.reset();
    }
}

TEST_F(CaptionTest, AFixedSizeFormHasNoSizingZonesAndStartsNoSizeLoop) {
    Make();
    Form->CarryOutCommands = true;
    const int w = Pager->Width();
    // The strip keeps its borders: they move the window as the rest of it does.
    for (const POINT p : {POINT{100, 1}, POINT{1, 10}, POINT{w - 2, 10}})
        EXPECT_EQ(HitTest(Pager, p.x, p.y), HTCLIENT) << p.x << ", " << p.y;
    for (const POINT p : {POINT{100, 1}, POINT{1, 100}, POINT{kFormWidth - 2, 100},
                          POINT{100, kFormHeight - 2}, POINT{kFormWidth - 2, kFormHeight - 2}})
        EXPECT_EQ(HitTest(Form.get(), p.x, p.y), HTCLIENT) << p.x << ", " << p.y;

    // A press on a sizing zone, as the system sees it: an Escape is waiting
    // to end a size loop that might start.
    const auto pressOnTopEdge = [&] {
        Form->SizeMoveLoops = 0;
        PostMessageA(Form->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
        const POINT p = Form->ClientToScreen(POINT{100, 1});
        SendMessageA(Form->Handle(), WM_NCLBUTTONDOWN, HTTOP, MAKELPARAM(p.x, p.y));
        MSG msg;
        while (PeekMessageA(&msg, Form->Handle(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        }
        return Form->SizeMoveLoops;
    };
    RECT before, after;
    GetWindowRect(Form->Handle(), &before);
    EXPECT_EQ(pressOnTopEdge(), 0) << "the size command is refused";
    // Asked through the system menu's command as well.
    PostMessageA(Form->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_SIZE, 0);
    EXPECT_EQ(Form->SizeMoveLoops, 0);
    GetWindowRect(Form->Handle(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));

    // A sizable one starts the loop, and its zones follow a size the system made.
    Form->SetBorderStyle(TFormBorderStyle::bsSizeable);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(Form->Handle(), GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0u) << "still frameless";
    EXPECT_EQ(pressOnTopEdge(), 1);
    SetWindowPos(Form->Handle(), nullptr, 0, 0, 300, 180,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(HitTest(Form.get(), 295, 100), HTRIGHT);
    EXPECT_EQ(HitTest(Form.get(), 150, 175), HTBOTTOM);
    EXPECT_EQ(HitTest(Form.get(), 295, 175), HTBOTTOMRIGHT);
    SetWindowPos(Form->Handle(), nullptr, 0, 0, 400, 260,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(HitTest(Form.get(), 330, 100), HTCLIENT);
    EXPECT_EQ(HitTest(Form.get(), 398, 100), HTRIGHT);
}

TEST_F(CaptionTest, BeforeVistaTheWindowIsRoundedAndMovesOnlyWhenRestored) {
    {
        TVistaAnswer answer(false);
        Make();
        Form->SetBounds(100, 100, 300, 180);
        TGdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(GetWindowRgn(Form->Handle(), region.Get()), ERROR);
        TGdiObject<HRGN> rounded(CreateRoundRectRgn(3, 3, 297, 177, 18, 18));
        // The system's own rounded rectangle, one pixel in on the far sides.
        RECT box, expected;
        GetRgnBox(region.Get(), &box);
        GetRgnBox(rounded.Get(), &expected);
        EXPECT_TRUE(EqualRect(&box, &expected))
            << box.left << "," << box.top << "," << box.right << "," << box.bottom;
        EXPECT_EQ(box.left, 3);
        EXPECT_EQ(box.top, 3);
        EXPECT_FALSE(PtInRegion(region.Get(), 3, 3)) << "rounded corner";
        EXPECT_TRUE(PtInRegion(region.Get(), 150, 3));
        EXPECT_TRUE(PtInRegion(region.Get(), 3, 90));
        EXPECT_TRUE(Pager->CanMove());

        ShowWindow(Form->Handle(), SW_SHOWMAXIMIZED);
        EXPECT_FALSE(Pager->CanMove());
        ShowWindow(Form->Handle(), SW_RESTORE);
        EXPECT_TRUE(Pager->CanMove());
        Form.reset();
    }
    TVistaAnswer answer(true);
    Make();
    Form->SetBounds(100, 100, 300, 180);
    TGdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(GetWindowRgn(Form->Handle(), region.Get()), ERROR) << "a plain rectangle";
}

TEST_F(CaptionTest, BeforeVistaTheRegionFollowsASizeTheSystemMade) {
    TVistaAnswer answer(false);
    Make();
    TGdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    const auto boxOf = [](HRGN rgn) {
        RECT box;
        GetRgnBox(rgn, &box);
        return std::vector<LONG>{box.left, box.top, box.right, box.bottom};
    };
    const auto regionBox = [&] {
        GetWindowRgn(Form->Handle(), region.Get());
        return boxOf(region.Get());
    };
    // The system's rounded rectangle inset by 3 in a window of w x h.
    const auto rounded = [&](int w, int h) {
        TGdiObject<HRGN> expected(CreateRoundRectRgn(3, 3, w - 3, h - 3, 18, 18));
        return boxOf(expected.Get());
    };
    // Frameless: window and client coordinates are the same.
    const auto centreOf = [&](TWinControl* control) {
        RECT r;
        GetWindowRect(control->Handle(), &r);
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ScreenToClient(Form->Handle(), &p);
        return p;
    };
    // A size the framework did not make, as the system's size loop makes it.
    SetWindowPos(Form->Handle(), nullptr, 0, 0, 400, 260,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(regionBox(), rounded(400, 260));
    for (TAdvGlowButton* button : {Pager->MinButton(), Pager->CloseButton()}) {
        const POINT p = centreOf(button);
        EXPECT_TRUE(PtInRegion(region.Get(), p.x, p.y)) << "a caption button can be reached";
    }

    // Maximised: the region is the whole window less its 3-pixel inset.
    ShowWindow(Form->Handle(), SW_SHOWMAXIMIZED);
    RECT window;
    GetWindowRect(Form->Handle(), &window);
    ASSERT_GT(window.right - window.left, 400);
    EXPECT_EQ(regionBox(), rounded(window.right - window.left, window.bottom - window.top));
    const POINT close = centreOf(Pager->CloseButton());
    EXPECT_TRUE(PtInRegion(region.Get(), close.x, close.y));
    ShowWindow(Form->Handle(), SW_RESTORE);
    EXPECT_EQ(regionBox(), rounded(400, 260));
}

TEST_F(CaptionTest, AMaximisedWindowCoversTheWorkArea) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    monitor.rcMonitor = MakeRect(1024, 0, 2304, 1024);
    monitor.rcWork = MakeRect(1024, 30, 2304, 994);
    MINMAXINFO info{};
    MaximizedPlacement(monitor, false, info);
    EXPECT_EQ(info.ptMaxPosition.x, -3);
    EXPECT_EQ(info.ptMaxPosition.y, 27);
    EXPECT_EQ(info.ptMaxSize.x, 1286);
    EXPECT_EQ(info.ptMaxSize.y, 970);
    MaximizedPlacement(monitor, true, info);
    EXPECT_EQ(info.ptMaxPosition.x, 0);
    EXPECT_EQ(info.ptMaxPosition.y, 30);
    EXPECT_EQ(info.ptMaxSize.x, 1280);
    EXPECT_EQ(info.ptMaxSize.y, 964);

    // The window asks its own monitor.
    for (const bool vista : {false, true}) {
        TVistaAnswer answer(vista);
        Make();
        MONITORINFO own{};
        own.cbSize = sizeof(own);
        GetMonitorInfoA(MonitorFromWindow(Form->Handle(), MONITOR_DEFAULTTONEAREST), &own);
        MINMAXINFO asked{};
        SendMessageA(Form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&asked));
        const int d = vista ? 0 : 3;
        EXPECT_EQ(asked.ptMaxPosition.x, own.rcWork.left - own.rcMonitor.left - d);
        EXPECT_EQ(asked.ptMaxSize.x, own.rcWork.right - own.rcWork.left + 2 * d);
        EXPECT_EQ(asked.ptMaxSize.y, own.rcWork.bottom - own.rcWork.top + 2 * d);
        Form.reset();
    }
}

// ---- caption buttons and glyphs

TEST_F(CaptionTest, ThreeButtonsStandRightAndOnlyTheChosenOnesWork) {
    Make();
    const int w = Pager->Width();
    ASSERT_NE(Pager->CloseButton(), nullptr);
    const struct {
        TAdvGlowButton* button;
        int left;
        bool enabled;
    } cases[] = {{Pager->CloseButton(), w - 22, true},
                 {Pager->MaxButton(), w - 40, false},
                 {Pager->MinButton(), w - 58, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.button->Left(), c.left);
        EXPECT_EQ(c.button->Top(), 4);
        EXPECT_EQ(c.button->Width(), 16);
        EXPECT_EQ(c.button->Height(), 16);
        EXPECT_EQ(c.button->Enabled(), c.enabled);
        EXPECT_TRUE(c.button->Visible());
    }
    RECT text = Pager->TextRect();
    EXPECT_EQ(text.left, 0);
    EXPECT_EQ(text.right, w - 58);
    EXPECT_EQ(text.bottom, 27);

    // The buttons follow the width.
    Form->SetBounds(100, 100, 400, kFormHeight);
    EXPECT_EQ(Pager->CloseButton()->Left(), Pager->Width() - 22);

    Pager->SetCaptionButtons(0);
    EXPECT_EQ(Pager->CloseButton(), nullptr);
    EXPECT_EQ(Pager->MinButton(), nullptr);
    EXPECT_EQ(Pager->TextRect().right, Pager->Width()) << "the text takes the strip again";
    Pager->SetCaptionButtons(TCaptionButton::cbMaximize);
    EXPECT_TRUE(Pager->MaxButton()->Enabled());
    EXPECT_FALSE(Pager->CloseButton()->Enabled());
}

// On a screen of more pixels per inch the stored layout grows, and with the
// strip the buttons, their gaps and the room the text leaves them.
TEST_F(CaptionTest, TheButtonsGrowWithTheStripOnAScaledForm) {
    for (const int ppi : {120, 144}) {
        SCOPED_TRACE(ppi);
        Make();
        Form->ChangeScale(ppi, 96);
        const auto scaled = [ppi](int pixels) { return MulDiv(pixels, ppi, 96); };
        const int w = Pager->Width(), size = scaled(16), gap = scaled(2);
        ASSERT_EQ(Pager->CaptionRect().bottom, scaled(27));
        const int closeLeft = w - size - scaled(6);
        const struct {
            TAdvGlowButton* button;
            int left;
        } cases[] = {{Pager->CloseButton(), closeLeft},
                     {Pager->MaxButton(), closeLeft - size - gap},
                     {Pager->MinButton(), closeLeft - 2 * (size + gap)}};
        for (const auto& c : cases) {
            EXPECT_EQ(c.button->Left(), c.left);
            EXPECT_EQ(c.button->Top(), scaled(4));
            EXPECT_EQ(c.button->Width(), size);
            EXPECT_EQ(c.button->Height(), size);
        }
        EXPECT_EQ(Pager->TextRect().right, w - scaled(58));
    }
}

// Pixels of image `index` drawn on white: true where the glyph colour shows.
std::vector<std::string> Glyph(const TImageList& list, int index, TColor color) {
    TBitmap bmp(list.Width(), list.Height());
    bmp.Canvas().Brush.SetColor(clWhite);
    bmp.Canvas().FillRect(MakeRect(0, 0, list.Width(), list.Height()));
    list.Draw(bmp.Canvas(), 0, 0, index);
    std::vector<std::string> rows;
    for (int y = 0; y < list.Height(); ++y) {
        std::string row;
        for (int x = 0; x < list.Width(); ++x) {
            const TColor p = PixelAt(bmp, x, y);
            row += p == color ? '#' : p == clWhite ? '.' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST_F(CaptionTest, GlyphsAreDrawnByTheirLinesInTheTextColour) {
    Make();
    const TImageList& list = *Pager->CaptionGlyphs();
    ASSERT_EQ(list.Count(), 3);
    const std::vector<std::string> close = Glyph(list, 0, clBlue);
    const std::vector<std::string> maximize = Glyph(list, 1, clBlue);
    const std::vector<std::string> minimize = Glyph(list, 2, clBlue);
    // Last points are left out.
    EXPECT_EQ(close[10][3], '#');
    EXPECT_EQ(close[4][3], '#');
    EXPECT_EQ(close[3][11], '.');
    EXPECT_EQ(close[11][11], '.');
    EXPECT_EQ(close[0][0], '.');
    EXPECT_EQ(maximize[3], "..#########...");
    EXPECT_EQ(maximize[4], "..#########...");
    EXPECT_EQ(maximize[10], "..#########...");
    EXPECT_EQ(maximize[7], "..#.......#...");
    EXPECT_EQ(maximize[11], "..............");
    EXPECT_EQ(minimize[8], "...######.....");
    EXPECT_EQ(minimize[9], "...######.....");
    EXPECT_EQ(minimize[7], "..............");
    for (const auto& glyph : {close, maximize, minimize})
        for (const std::string& row : glyph)
            EXPECT_EQ(row.find('?'), std::string::npos) << row;

    // A new text colour reaches the glyphs.
    Styler->PagerCaption.Edit([](TVistaTextBackgroundValues& v) { v.TextColor = clRed; });
    EXPECT_EQ(Glyph(*Pager->CaptionGlyphs(), 2, clRed)[8], "...######.....");

    // Maximised, the middle glyph is the restore glyph.
    Pager->SetCaptionButtons(TCaptionButton::cbClose | TCaptionButton::cbMinimize |
                             TCaptionButton::cbMaximize);
    ShowWindow(Form->Handle(), SW_SHOWMAXIMIZED);
    const std::vector<std::string> restore = Glyph(*Pager->CaptionGlyphs(), 1, clRed);
    EXPECT_EQ(restore[2], "....#######...");
    EXPECT_EQ(restore[5], "..#######.#...");
    EXPECT_EQ(restore[10], "..#######.....");
    EXPECT_EQ(restore[8], "..#.....#.....");
}

// The box of the points of `area` where `isInk` holds.
template <class TIsInk> RECT BoxOf(const RECT& area, TIsInk isInk) {
    RECT box = MakeRect(area.right, area.bottom, area.left, area.top);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (isInk(x, y)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

// The box of the '#' cells of a glyph.
RECT GlyphBox(const std::vector<std::string>& glyph) {
    const RECT all =
        MakeRect(0, 0, static_cast<int>(glyph[0].size()), static_cast<int>(glyph.size()));
    return BoxOf(all, [&](int x, int y) { return glyph[y][x] == '#'; });
}

// On finer screens the glyphs grow with the buttons and stay sharp: every
// pixel is the text colour or background, and the strokes thicken.
TEST_F(CaptionTest, GlyphsGrowSharplyWithTheScreen) {
    RECT designCross{}, designBar{}; // at 96 pixels per inch, the first round
    for (const int ppi : {96, 120, 144, 192}) {
        SCOPED_TRACE(ppi);
        Make();
        if (ppi != 96)
            Form->ChangeScale(ppi, 96);
        const auto scaled = [ppi](int pixels) { return MulDiv(pixels, ppi, 96); };
        const TImageList& list = *Pager->CaptionGlyphs();
        ASSERT_EQ(list.Width(), scaled(14));
        ASSERT_EQ(list.Height(), scaled(14));
        ASSERT_EQ(list.Count(), 3);
        const std::vector<std::string> close = Glyph(list, 0, clBlue);
        const std::vector<std::string> minimize = Glyph(list, 2, clBlue);
        for (const auto& glyph : {close, minimize})
            for (const std::string& row : glyph)
                EXPECT_EQ(row.find('?'), std::string::npos) << row;
        // The cross and the bar grow by the screen's factor, the bar's two
        // rows included.
        const RECT cross = GlyphBox(close), bar = GlyphBox(minimize);
        if (ppi == 96) {
            designCross = cross;
            designBar = bar;
            ASSERT_EQ(designBar.bottom - designBar.top, 2);
        }
        for (const auto& [box, design] :
             {std::pair{cross, designCross}, std::pair{bar, designBar}}) {
            EXPECT_NEAR(box.right - box.left, scaled(design.right - design.left), 1);
            EXPECT_NEAR(box.bottom - box.top, scaled(design.bottom - design.top), 1);
        }

        // The button shows the whole glyph in its middle.
        const TBitmap& button = ShotOf(Pager->CloseButton());
        const int offset = (Pager->CloseButton()->Width() - list.Width()) / 2;
        int inked = 0, shown = 0;
        for (int y = 0; y < list.Height(); ++y)
            for (int x = 0; x < list.Width(); ++x)
                if (close[y][x] == '#') {
                    ++inked;
                    shown += PixelAt(button, x + offset, y + offset) == clBlue;
                }
        EXPECT_EQ(shown, inked);
    }
}

TEST_F(CaptionTest, ButtonsShowTheirGlyphEnabledOrDisabled) {
    Make();
    // The close cross starts at (3, 10) of the glyph, at (1, 1) in the button.
    EXPECT_EQ(PixelAt(ShotOf(Pager->CloseButton()), 4, 11), clBlue);
    EXPECT_EQ(PixelAt(ShotOf(Pager->MinButton()), 4, 9), clBlue);
    const TBitmap& disabled = ShotOf(Pager->MaxButton());
    const TColor line = PixelAt(disabled, 3, 4);
    EXPECT_NE(line, clBlue) << "the disabled style";
    EXPECT_NE(line, PixelAt(disabled, 7, 7)) << "the glyph still shows";
}

// ---- the text

// The box of the pixels that differ from the caption face.
RECT InkBox(const TBitmap& shot, const RECT& area, const TBitmap& empty) {
    return BoxOf(
        area, [&](int x, int y) { return PixelAt(shot, x, y) != PixelAt(empty, x, y); });
}

TEST_F(CaptionTest, TheTextIsCentredLeftOfTheButtons) {
    Make();
    TBitmap empty(Pager->Width(), Pager->Height());
    Pager->PaintWindow(empty.Canvas());
    Pager->Caption().SetCaption("Korvandel auf RECHNER");
    const RECT text = Pager->TextRect();
    const RECT ink = InkBox(Shot(), text, empty);
    ASSERT_LT(ink.left, ink.right) << "the text is drawn";
    const int left = ink.left - text.left, right = text.right - ink.right;
    EXPECT_LE(std::abs(left - right), 2) << left << " / " << right;
    const int top = ink.top - text.top, bottom = text.bottom - ink.bottom;
    EXPECT_LE(std::abs(top - bottom), 3) << top << " / " << bottom;
    // Nothing of it under the buttons.
    const RECT right_part = MakeRect(text.right, 0, Pager->Width(), 27);
    EXPECT_EQ(InkBox(Shot(), right_part, empty).left, right_part.right);
}

TEST_F(CaptionTest, AnAmpersandUnderlinesTheNextCharacterInsteadOfShowing) {
    Make();
    TBitmap empty(Pager->Width(), Pager->Height());
    Pager->PaintWindow(empty.Canvas());
    const RECT text = Pager->TextRect();
    Pager->Caption().SetCaption("PCXY");
    const RECT plain = InkBox(Shot(), text, empty);
    Pager->Caption().SetCaption("PC&XY");
    const RECT marked = InkBox(Shot(), text, empty);
    EXPECT_LE(std::abs((marked.right - marked.left) - (plain.right - plain.left)), 1)
        << "no ampersand drawn";
    EXPECT_GT(marked.bottom, plain.bottom) << "an underline below the X";
}

TEST_F(CaptionTest, ALongCaptionWrapsInsideTheTextRectangle) {
    Make();
    TBitmap empty(Pager->Width(), Pager->Height());
    Pager->PaintWindow(empty.Canvas());
    Pager->Caption().SetCaption("Korvandel auf EINEM-RECHNER-MIT-SEHR-LANGEM-NAMEN und mehr Text");
    const RECT right_part = MakeRect(Pager->TextRect().right, 0, Pager->Width(), 27);
    const TBitmap& shot = Shot();
    EXPECT_EQ(InkBox(shot, right_part, empty).left, right_part.right);
}

// ---- the mouse on the strip

TEST_F(CaptionTest, APressOnTheStripMovesTheWindowAndAPressOnAButtonDoesNot) {
    Make();
    int closes = 0;
    Pager->OnCloseButtonClick = [&](TComponent* sender) {
        EXPECT_EQ(sender, Pager->CloseButton());
        ++closes;
    };
    SendMessageA(Pager->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 12));
    SendMessageA(Pager->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 12));
    EXPECT_EQ(Form->Commands, std::vector<WPARAM>{0xF011});
    SendMessageA(Pager->Handle(), WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(60, 12));
    SendMessageA(Pager->Handle(), WM_MBUTTONUP, 0, MAKELPARAM(60, 12));
    EXPECT_EQ(Form->Commands.size(), 2u) << "the middle button drags too";

    HWND close = Pager->CloseButton()->Handle();
    SendMessageA(close, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    SendMessageA(close, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(Form->Commands.size(), 2u);

    Pager->SetCanMove(false);
    SendMessageA(Pager->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 12));
    SendMessageA(Pager->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 12));
    EXPECT_EQ(Form->Commands.size(), 2u);
}

TEST_F(CaptionTest, ADoubleClickMaximisesOnlyWithTheMaximiseButton) {
    Make();
    SendMessageA(Pager->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(60, 12));
    SendMessageA(Pager->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 12));
    EXPECT_FALSE(IsZoomed(Form->Handle()));
    Pager->SetCaptionButtons(TCaptionButton::cbClose | TCaptionButton::cbMinimize |
                             TCaptionButton::cbMaximize);
    SendMessageA(Pager->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(60, 12));
    SendMessageA(Pager->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 12));
    EXPECT_TRUE(IsZoomed(Form->Handle()));
    SendMessageA(Pager->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(60, 12));
    SendMessageA(Pager->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 12));
    EXPECT_FALSE(IsZoomed(Form->Handle()));
}

// Picks the first item of the menu that opens.
HHOOK gMenuHook = nullptr;
LRESULT CALLBACK PickFirstItem(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_MENU) {
        const MSG* msg = reinterpret_cast<MSG*>(lParam);
        static HWND picked = nullptr;
        if (msg->hwnd && msg->hwnd != picked) {
            picked = msg->hwnd;
            PostMessageA(msg->hwnd, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(msg->hwnd, WM_KEYDOWN, VK_RETURN, 0);
        }
    }
    return CallNextHookEx(gMenuHook, code, wParam, lParam);
}

TEST_F(CaptionTest, ARightClickOpensTheSystemMenuAndItsCommandReachesTheForm) {
    Make();
    // A command of our own at the top of the form's system menu.
    constexpr UINT kTestCommand = 0x1230;
    InsertMenuA(GetSystemMenu(Form->Handle(), FALSE), 0, MF_BYPOSITION | MF_STRING, kTestCommand,
                "Test");
    gMenuHook = SetWindowsHookExA(WH_MSGFILTER, PickFirstItem, nullptr, GetCurrentThreadId());
    ASSERT_NE(gMenuHook, nullptr);
    SendMessageA(Pager->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, 12));
    UnhookWindowsHookEx(gMenuHook);
    ASSERT_EQ(Form->Commands.size(), 1u);
    EXPECT_EQ(Form->Commands[0], kTestCommand);
}

// Closes every menu that opens with Escape.
LRESULT CALLBACK EscapeMenus(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_MENU) {
        const MSG* msg = reinterpret_cast<MSG*>(lParam);
        static HWND escaped = nullptr;
        if (msg->hwnd && msg->hwnd != escaped) {
            escaped = msg->hwnd;
            PostMessageA(msg->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        }
    }
    return CallNextHookEx(gMenuHook, code, wParam, lParam);
}

TEST_F(CaptionTest, TheStripIsRepaintedWhenTheSystemMenuCloses) {
    Make();
    Form->CarryOutCommands = true;
    App->ProcessMessages();
    RECT dirty;
    ASSERT_FALSE(GetUpdateRect(Pager->Handle(), &dirty, FALSE)) << "painted at the start";
    // Alt+Space, then Escape: the system draws its menu icon over the strip.
    gMenuHook = SetWindowsHookExA(WH_MSGFILTER, EscapeMenus, nullptr, GetCurrentThreadId());
    ASSERT_NE(gMenuHook, nullptr);
    SendMessageA(Form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    UnhookWindowsHookEx(gMenuHook);
    ASSERT_EQ(Form->Commands.size(), 1u) << "no command chosen";
    ASSERT_TRUE(GetUpdateRect(Pager->Handle(), &dirty, FALSE));
    const RECT strip = Pager->ClientRect();
    EXPECT_TRUE(EqualRect(&dirty, &strip))
        << dirty.left << "," << dirty.top << "," << dirty.right << "," << dirty.bottom;
}

// ---- styler, parent and pixels

TEST_F(CaptionTest, TheButtonsTakeTheGlowColoursOfTheStyler) {
    Make();
    EXPECT_EQ(Pager->CloseButton()->Appearance().Color, 15653832u);
    Styler->SetStyle(bsOffice2007Obsidian);
    EXPECT_EQ(Pager->CloseButton()->Appearance().Color, 14671574u);
    EXPECT_EQ(Pager->MinButton()->Appearance().BorderColor, 12631218u);

    // Without a styler the internal one takes over.
    delete Styler;
    Styler = nullptr;
    EXPECT_EQ(Pager->ToolBarStyler(), nullptr);
    EXPECT_EQ(Pager->CurrentStyler().Name, "InternalStyler");
    EXPECT_EQ(Pager->CurrentStyler().Style(), bsOffice2003Blue);
}

TEST_F(CaptionTest, APagerInsideAPagerIsAnInvalidParent) {
    Make();
    auto* inner = new TAdvToolBarPager(Form.get());
    try {
        inner->SetParent(Pager);
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Invalid Parent");
    }
    EXPECT_EQ(inner->Parent(), nullptr);
}

TEST_F(CaptionTest, TheFaceShowsTheLunaHalvesAndBorder) {
    Make();
    const TBitmap& shot = Shot();
    const TVistaTextBackgroundValues& face = *Styler->PagerCaption;
    const int x = 150;
    // Upper half: the gradient over the whole face, to about its middle.
    EXPECT_TRUE(Near(PixelAt(shot, x, 2), BlendColor(face.ColorTo, face.Color, 2 * 100 / 28), 2));
    EXPECT_TRUE(Near(PixelAt(shot, x, 12), BlendColor(face.ColorTo, face.Color, 12 * 100 / 28), 2));
    // The row between the halves is the plain mirror colour.
    EXPECT_EQ(PixelAt(shot, x, 14), face.ColorMirror);
    // Lower half: the mirror gradient from its top.
    EXPECT_TRUE(Near(PixelAt(shot, x, 16),
                     BlendColor(face.ColorMirrorTo, face.ColorMirror, 2 * 100 / 14), 3));
    EXPECT_TRUE(Near(PixelAt(shot, x, 26),
                     BlendColor(face.ColorMirrorTo, face.ColorMirror, 12 * 100 / 14), 3));
    // The border runs round the top and the sides.
    EXPECT_TRUE(Near(PixelAt(shot, x, 0), face.BorderColor, 40));
    EXPECT_TRUE(Near(PixelAt(shot, 0, 10), face.BorderColor, 40));
    EXPECT_TRUE(Near(PixelAt(shot, shot.Width() - 1, 20), face.BorderColor, 40));
    EXPECT_FALSE(Near(PixelAt(shot, 1, 10), face.BorderColor, 10));
}

TEST_F(CaptionTest, BeforeVistaCornerStrokesFrameTheStrip) {
    {
        TVistaAnswer answer(false);
        Make();
        const TBitmap& shot = Shot();
        const TColor outline = Styler->CaptionAppearance->CaptionTextColor;
        EXPECT_EQ(PixelAt(shot, 6, 0), outline);
        EXPECT_EQ(PixelAt(shot, 0, 6), outline);
        EXPECT_EQ(PixelAt(shot, 1, 3), outline);
        EXPECT_EQ(PixelAt(shot, shot.Width() - 1, 6), outline);
        EXPECT_EQ(PixelAt(shot, shot.Width() - 2, 3), outline);
        EXPECT_NE(PixelAt(shot, 7, 0), outline);
        Form.reset();
    }
    TVistaAnswer answer(true);
    Make();
    EXPECT_NE(PixelAt(Shot(), 0, 6), Styler->CaptionAppearance->CaptionTextColor);
}

} // namespace
