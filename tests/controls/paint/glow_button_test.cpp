// The glow button on a real form: appearance defaults, the fade engine driven
// tick by tick, the mouse, the keyboard, toggles and groups, and its pixels.
#include "controls/paint/AdvGlowButton.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"
#include "tests/controls/paint/Pixels.h"
#include "tests/support/FreshApplication.h"
#include "tests/support/KeyboardCues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// Makes the paint and the repeat tick reachable, as a derived control may.
class TTestButton : public TAdvGlowButton {
  public:
    using TAdvCustomGlowButton::DoRepeatClick;
    using TAdvCustomGlowButton::PaintWindow;
    using TAdvGlowButton::TAdvGlowButton;
};

// percent of a mixed with the rest of b; exact for the channel values used here
// (multiples of 5) and steps of 20.
TColor Mix(TColor a, TColor b, int percent) {
    auto mix = [percent](int x, int y) { return (x * percent + y * (100 - percent)) / 100; };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
               mix(GetBValue(a), GetBValue(b)));
}

// One flat colour per look, so that every face pixel shows the look exactly.
constexpr TColor kParent = RGB(0, 160, 80);
constexpr TColor kNormal = RGB(0, 0, 0);
constexpr TColor kHot = RGB(250, 100, 50);
constexpr TColor kDown = RGB(0, 250, 150);
constexpr TColor kChecked = RGB(100, 0, 200);
constexpr TColor kDisabled = RGB(200, 200, 200);

void SetFlat(TGlowButtonAppearance& a) {
    auto set = [](TColor& c1, TColor& c2, TColor& m1, TColor& m2, TColor& border, TColor c) {
        c1 = c2 = m1 = m2 = border = c;
    };
    set(a.Color, a.ColorTo, a.ColorMirror, a.ColorMirrorTo, a.BorderColor, kNormal);
    set(a.ColorHot, a.ColorHotTo, a.ColorMirrorHot, a.ColorMirrorHotTo, a.BorderColorHot, kHot);
    set(a.ColorDown, a.ColorDownTo, a.ColorMirrorDown, a.ColorMirrorDownTo, a.BorderColorDown,
        kDown);
    set(a.ColorChecked, a.ColorCheckedTo, a.ColorMirrorChecked, a.ColorMirrorCheckedTo,
        a.BorderColorChecked, kChecked);
    set(a.ColorDisabled, a.ColorDisabledTo, a.ColorMirrorDisabled, a.ColorMirrorDisabledTo,
        a.BorderColorDisabled, kDisabled);
}

class GlowButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App = FreshApplication();
        // Keep the real cursor away from the form.
        SetCursorPos(0, 0);
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBorderStyle(TFormBorderStyle::bsNone);
        Form->SetBounds(200, 200, 300, 200);
        Form->SetColor(kParent);
        Button = AddButton(20, 30, "");
        SetFlat(Button->Appearance());
        Form->Show();
    }
    void TearDown() override {
        Form.reset();
        App.reset();
    }

    TTestButton* AddButton(int x, int y, const std::string& caption) {
        auto* b = new TTestButton(Form.get());
        b->SetBounds(x, y, 100, 33);
        b->SetCaption(caption);
        b->SetParent(Form.get());
        b->OnClick = [this, b](TComponent*) { Clicks.push_back(b); };
        return b;
    }

    // The button painted as it is now, into a bitmap of its own.
    TBitmap& Paint(TTestButton* b = nullptr) {
        b = b ? b : Button;
        Shot.SetSize(b->Width(), b->Height());
        b->PaintWindow(Shot.Canvas());
        return Shot;
    }
    // A face pixel away from border and caption, in the upper and lower half.
    TColor Face() {
        Paint();
        const TColor upper = PixelAt(Shot, 10, 8);
        EXPECT_EQ(PixelAt(Shot, 10, 25), upper) << "both halves show the same look";
        return upper;
    }

    void Mouse(UINT msg, int x, int y, WPARAM keys = 0) {
        SendMessageA(Button->Handle(), msg, keys, MAKELPARAM(x, y));
    }
    void Enter() { Mouse(WM_MOUSEMOVE, 50, 15); }
    void Press() { Mouse(WM_LBUTTONDOWN, 50, 15, MK_LBUTTON); }
    void Release(int x = 50, int y = 15) { Mouse(WM_LBUTTONUP, x, y); }
    // Ticks until the fade ends; returns the number of ticks.
    int RunFade() {
        int ticks = 0;
        while (Button->Fading() && ticks < 20) {
            Button->FadeTick();
            ++ticks;
        }
        return ticks;
    }
    // Whether the tick asked for a repaint.
    bool TickRepaints() {
        ValidateRect(Button->Handle(), nullptr);
        Button->FadeTick();
        return GetUpdateRect(Button->Handle(), nullptr, FALSE) != FALSE;
    }
    int ClicksOf(TControl* c) const { return int(std::count(Clicks.begin(), Clicks.end(), c)); }

    std::unique_ptr<TApplication> App;
    std::unique_ptr<TForm> Form;
    TTestButton* Button = nullptr;
    TBitmap Shot;
    std::vector<TControl*> Clicks;
};

// ---- appearance

struct TColorCase {
    const char* Name;
    TColor Actual, Expected;
};

TEST(GlowAppearanceTest, DefaultsDerivePressedCheckedAndDisabledColours) {
    const TGlowButtonAppearance a;
    const TColorCase cases[] = {
        {"BorderColor", a.BorderColor, 12632256},
        {"BorderColorHot", a.BorderColorHot, 16711680},
        {"BorderColorDown", a.BorderColorDown, 8388608},
        {"BorderColorChecked", a.BorderColorChecked, 16711680},
        {"BorderColorDisabled", a.BorderColorDisabled, 8421504},
        {"Color", a.Color, 16777215},
        {"ColorTo", a.ColorTo, 16777215},
        {"ColorMirror", a.ColorMirror, 12632256},
        {"ColorMirrorTo", a.ColorMirrorTo, 16777215},
        {"ColorHot", a.ColorHot, 16117985},
        {"ColorHotTo", a.ColorHotTo, 16372402},
        {"ColorMirrorHot", a.ColorMirrorHot, 16107693},
        {"ColorMirrorHotTo", a.ColorMirrorHotTo, 16775412},
        // Red 225 * 0.9 = 202.5 goes to the even 202 (0xCA).
        {"ColorDown", a.ColorDown, 16111818},
        {"ColorDownTo", a.ColorDownTo, 16367008},
        {"ColorMirrorDown", a.ColorMirrorDown, 16102556},
        {"ColorMirrorDownTo", a.ColorMirrorDownTo, 16768988},
        {"ColorChecked", a.ColorChecked, 16111818},
        {"ColorCheckedTo", a.ColorCheckedTo, 16367008},
        {"ColorMirrorChecked", a.ColorMirrorChecked, 16102556},
        {"ColorMirrorCheckedTo", a.ColorMirrorCheckedTo, 16768988},
        {"ColorDisabled", a.ColorDisabled, 15921906},
        {"ColorDisabledTo", a.ColorDisabledTo, 15921906},
        {"ColorMirrorDisabled", a.ColorMirrorDisabled, 11974326},
        {"ColorMirrorDisabledTo", a.ColorMirrorDisabledTo, 15921906},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.Actual, c.Expected) << c.Name;
    EXPECT_EQ(a.Gradient, ggVertical);
    EXPECT_EQ(a.GradientMirror, ggVertical);
    EXPECT_EQ(a.GradientHot, ggRadial);
    EXPECT_EQ(a.GradientMirrorChecked, ggVertical);
    EXPECT_EQ(a.GradientDisabled, ggRadial);
    EXPECT_TRUE(a.SystemFont());
}

TEST(GlowAppearanceTest, LunaSetsTheMainWindowColoursAndKeepsTheDisabledOnes) {
    TGlowButtonAppearance a;
    a.ColorDisabled = 1234;
    SetOffice2007LunaAppearance(a);
    const TColorCase cases[] = {
        {"BorderColor", a.BorderColor, 14727579},
        {"BorderColorHot", a.BorderColorHot, 10079963},
        {"BorderColorDown", a.BorderColorDown, 4548219},
        {"BorderColorChecked", a.BorderColorChecked, 4548219},
        {"BorderColorDisabled", a.BorderColorDisabled, 8421504},
        {"Color", a.Color, 15653832},
        {"ColorTo", a.ColorTo, 16178633},
        {"ColorMirror", a.ColorMirror, 15586496},
        {"ColorMirrorTo", a.ColorMirrorTo, 16245200},
        {"ColorHot", a.ColorHot, 15465983},
        {"ColorHotTo", a.ColorHotTo, 11332863},
        {"ColorMirrorHot", a.ColorMirrorHot, 5888767},
        {"ColorMirrorHotTo", a.ColorMirrorHotTo, 10807807},
        {"ColorDown", a.ColorDown, 7778289},
        {"ColorDownTo", a.ColorDownTo, 4296947},
        {"ColorMirrorDown", a.ColorMirrorDown, 946929},
        {"ColorMirrorDownTo", a.ColorMirrorDownTo, 5021693},
        {"ColorChecked", a.ColorChecked, 11918331},
        {"ColorCheckedTo", a.ColorCheckedTo, 7915518},
        {"ColorMirrorChecked", a.ColorMirrorChecked, 10480637},
        {"ColorMirrorCheckedTo", a.ColorMirrorCheckedTo, 5682430},
        {"ColorDisabled", a.ColorDisabled, 1234},
        {"ColorDisabledTo", a.ColorDisabledTo, 15921906},
        {"ColorMirrorDisabled", a.ColorMirrorDisabled, 11974326},
        {"ColorMirrorDisabledTo", a.ColorMirrorDisabledTo, 15921906},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.Actual, c.Expected) << c.Name;
    for (TGDIPGradient g :
         {a.Gradient, a.GradientMirror, a.GradientHot, a.GradientMirrorHot, a.GradientDown,
          a.GradientMirrorDown, a.GradientChecked, a.GradientMirrorChecked})
        EXPECT_EQ(g, ggVertical);
    EXPECT_EQ(a.GradientDisabled, ggRadial);
    EXPECT_EQ(a.GradientMirrorDisabled, ggRadial);
}

TEST(GlowAppearanceTest, AssignCopiesEveryValueAndOnlySystemFontNotifies) {
    TGlowButtonAppearance source;
    SetOffice2007LunaAppearance(source);
    source.SetSystemFont(false);
    TGlowButtonAppearance target;
    int changes = 0;
    target.OnChange = [&] { ++changes; };
    target.ColorHot = 1;
    EXPECT_EQ(changes, 0) << "a colour is a plain stored value";
    target.Assign(source);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(target.SystemFont());
    EXPECT_EQ(target.ColorHot, 15465983u);
    EXPECT_EQ(target.GradientHot, ggVertical);
    EXPECT_EQ(target.ColorMirrorCheckedTo, 5682430u);
}

// ---- fade engine

TEST_F(GlowButtonTest, EnterFadesToHotInFiveRepaintsAndEndsOnTheSixthTick) {
    EXPECT_FALSE(Button->Fading());
    Enter();
    ASSERT_TRUE(Button->Fading());
    EXPECT_EQ(Face(), kNormal);
    for (int step = 20; step <= 100; step += 20) {
        EXPECT_TRUE(TickRepaints()) << step;
        EXPECT_EQ(Face(), Mix(kHot, kNormal, step)) << step;
    }
    EXPECT_FALSE(TickRepaints()) << "the sixth tick only ends the fade";
    EXPECT_FALSE(Button->Fading());
    EXPECT_EQ(Face(), kHot);
}

TEST_F(GlowButtonTest, LeaveFadesOutFromFullHotAndEnterResumesFromTheCurrentStep) {
    Enter();
    Button->FadeTick();
    Button->FadeTick();
    EXPECT_EQ(Face(), Mix(kHot, kNormal, 40));
    SendMessageA(Button->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Face(), kHot) << "leaving in the middle starts from 100";
    Button->FadeTick();
    Button->FadeTick();
    EXPECT_EQ(Face(), Mix(kHot, kNormal, 60));
    Enter();
    Button->FadeTick();
    EXPECT_EQ(Face(), Mix(kHot, kNormal, 80)) << "entering again goes on from 60";
    EXPECT_EQ(RunFade(), 2);
    EXPECT_EQ(Face(), kHot);

    SendMessageA(Button->Handle(), WM_MOUSELEAVE, 0, 0);
    for (int step = 80; step >= 0; step -= 20) {
        EXPECT_TRUE(TickRepaints());
        EXPECT_EQ(Face(), Mix(kHot, kNormal, step)) << step;
    }
    EXPECT_EQ(RunFade(), 1);
    EXPECT_EQ(Face(), kNormal);
}

TEST_F(GlowButtonTest, PressAndReleaseInsideBlendsHotToDownAndBackAndClicksOnce) {
    std::vector<int> drawStates;
    Button->OnDrawButton = [&](TComponent*, TCanvas&, int state, const RECT&) {
        drawStates.push_back(state);
    };
    Enter();
    RunFade();
    Press();
    EXPECT_EQ(GetCapture(), Button->Handle());
    EXPECT_EQ(Face(), kHot);
    for (int step = 20; step <= 100; step += 20) {
        Button->FadeTick();
        EXPECT_EQ(Face(), Mix(kDown, kHot, step)) << step;
    }
    EXPECT_EQ(RunFade(), 1);
    EXPECT_EQ(Face(), kDown);
    EXPECT_TRUE(Clicks.empty());

    Release();
    EXPECT_EQ(ClicksOf(Button), 1);
    EXPECT_EQ(GetCapture(), nullptr);
    for (int step = 80; step >= 0; step -= 20) {
        Button->FadeTick();
        EXPECT_EQ(Face(), Mix(kDown, kHot, step)) << step;
    }
    EXPECT_EQ(RunFade(), 1);
    EXPECT_EQ(Face(), kHot);
    EXPECT_EQ(ClicksOf(Button), 1);
    EXPECT_NE(std::find(drawStates.begin(), drawStates.end(), 2), drawStates.end());
    EXPECT_EQ(drawStates.back(), 1);
}

TEST_F(GlowButtonTest, DraggedOutAndReleasedOutsideDoesNotClick) {
    Enter();
    RunFade();
    Press();
    Button->FadeTick();
    Mouse(WM_MOUSEMOVE, -10, 50, MK_LBUTTON);
    // Outside, the face is up and fades from hot towards normal.
    EXPECT_EQ(Face(), kHot);
    Button->FadeTick();
    EXPECT_EQ(Face(), Mix(kHot, kNormal, 80));
    Release(-10, 50);
    RunFade();
    EXPECT_EQ(Face(), kNormal);
    EXPECT_TRUE(Clicks.empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GlowButtonTest, DraggedBackInWhileHeldIsPressedAgainAndClicks) {
    Enter();
    Press();
    RunFade();
    EXPECT_EQ(Face(), kDown);
    Mouse(WM_MOUSEMOVE, 150, 15, MK_LBUTTON);
    RunFade();
    EXPECT_EQ(Face(), kNormal);
    Mouse(WM_MOUSEMOVE, 50, 15, MK_LBUTTON);
    EXPECT_EQ(Face(), kDown);
    Release();
    EXPECT_EQ(ClicksOf(Button), 1);
}

TEST_F(GlowButtonTest, DisabledShowsTheDisabledLookWithoutFade) {
    Button->SetEnabled(false);
    Enter();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Face(), kDisabled);
        Button->FadeTick();
    }
    Press();
    EXPECT_EQ(Face(), kDisabled);
    Button->SetShowDisabled(false);
    EXPECT_NE(Face(), kDisabled);
}

TEST_F(GlowButtonTest, LosingTheMouseWhileHeldEndsThePressWithoutAClick) {
    // Another window takes the capture, or the system cancels the mode.
    const std::vector<std::pair<const char*, std::function<void()>>> losses{
        {"capture taken", [this] { SetCapture(Form->Handle()); }},
        {"cancel mode", [this] { SendMessageA(Button->Handle(), WM_CANCELMODE, 0, 0); }},
    };
    for (const auto& [name, takeAway] : losses) {
        SCOPED_TRACE(name);
        Enter();
        Press();
        RunFade();
        ASSERT_EQ(Face(), kDown);
        takeAway();
        ReleaseCapture();
        RunFade();
        EXPECT_NE(Face(), kDown) << "no longer pressed";
        Release();
        EXPECT_TRUE(Clicks.empty()) << "a release after the loss is no click";
        // The next press works as ever.
        Press();
        Release();
        EXPECT_EQ(ClicksOf(Button), 1);
        Clicks.clear();
        SendMessageA(Button->Handle(), WM_MOUSELEAVE, 0, 0);
        RunFade();
    }
}

TEST_F(GlowButtonTest, ADisabledButtonTakesNoClicksAndADisabledPressIsOver) {
    Button->SetEnabled(false);
    Press();
    Release();
    EXPECT_TRUE(Clicks.empty()) << "button messages sent to a disabled button";

    // Disabled while held, then enabled again: not pressed any more.
    Button->SetEnabled(true);
    Enter();
    Press();
    RunFade();
    Button->SetEnabled(false);
    EXPECT_EQ(GetCapture(), nullptr);
    Button->SetEnabled(true);
    RunFade();
    EXPECT_NE(Face(), kDown);
    Release();
    EXPECT_TRUE(Clicks.empty());
}

// ---- pixels

TEST_F(GlowButtonTest, UpperHalfCoversTheSharedRowAndTheCornersShowTheParent) {
    TGlowButtonAppearance& a = Button->Appearance();
    a.Color = a.ColorTo = RGB(255, 255, 255);
    a.BorderColor = RGB(0, 0, 255);
    const int h = Button->Height();
    for (bool rounded : {true, false}) {
        Button->SetRounded(rounded);
        // Through the window's own paint, read back from the screen.
        Button->Invalidate();
        Button->Update();
        TBitmap shot(Button->Width(), h);
        HDC dc = GetDC(Button->Handle());
        BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), h, dc, 0, 0, SRCCOPY);
        ReleaseDC(Button->Handle(), dc);

        const int w = shot.Width();
        for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
            EXPECT_EQ(PixelAt(shot, x, y), kParent)
                << "rounded " << rounded << " " << x << "," << y;
        EXPECT_EQ(PixelAt(shot, 50, h - h / 2 - 1), RGB(255, 255, 255)) << "the shared row";
        EXPECT_EQ(PixelAt(shot, 50, h - h / 2), kNormal) << "the first row of the mirror";
        EXPECT_TRUE(Near(PixelAt(shot, 50, 0), RGB(0, 0, 255), 24));
        EXPECT_TRUE(Near(PixelAt(shot, 0, h / 2), RGB(0, 0, 255), 24));
        // Next to a corner the square outline runs on; the rounded one has turned away.
        EXPECT_EQ(Near(PixelAt(shot, 1, 0), RGB(0, 0, 255), 24), !rounded) << rounded;
    }
}

TEST_F(GlowButtonTest, PaintsOnlyItsOwnRectangleOnACanvasWithAnotherOrigin) {
    // As a caller drawing several controls into one picture would.
    constexpr TColor kOutside = RGB(5, 10, 15);
    TBitmap big(140, 80);
    big.Canvas().Brush.SetColor(kOutside);
    big.Canvas().FillRect(MakeRect(0, 0, 140, 80));
    SetViewportOrgEx(big.Canvas().Handle(), 20, 30, nullptr);
    Button->PaintTo(big.Canvas());
    SetViewportOrgEx(big.Canvas().Handle(), 0, 0, nullptr);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 140; ++x) {
            const bool inside = x >= 20 && x < 120 && y >= 30 && y < 63;
            if (!inside) {
                // Outside the button nothing is drawn.
                ASSERT_EQ(PixelAt(big, x, y), kOutside) << x << "," << y;
            }
        }
    for (auto [x, y] : {std::pair{20, 30}, {119, 30}, {20, 62}, {119, 62}})
        EXPECT_EQ(PixelAt(big, x, y), kParent) << x << "," << y;
    EXPECT_EQ(PixelAt(big, 30, 38), kNormal);
}

TEST_F(GlowButtonTest, FocusRingShowsOnlyWithTheFocusWhileTheFormShowsFocusCues) {
    const TAlwaysShownCues notAlways(false);
    Button->SetTabStop(true);
    const int y = Button->Height() / 2 + 4;
    const auto ring = [&] { return Near(PixelAt(Paint(), 1, y), 0xE4AD89, 24); };
    const auto cues = [&](WORD action) {
        SendMessageA(Form->Handle(), WM_UPDATEUISTATE, MAKEWPARAM(action, UISF_HIDEFOCUS), 0);
    };
    EXPECT_EQ(PixelAt(Paint(), 1, y), kNormal);
    Button->SetFocus();
    ASSERT_TRUE(Button->Focused());
    EXPECT_EQ(PixelAt(Paint(), 1, y), kNormal) << "no cue before the keyboard is used";
    cues(UIS_CLEAR);
    EXPECT_TRUE(ring());
    Button->SetFocusType(TFocusType::ftHotBorder);
    EXPECT_TRUE(ring());
    EXPECT_EQ(PixelAt(Paint(), 10, 8), kHot);
    Button->SetFocusType(TFocusType::ftNone);
    EXPECT_EQ(PixelAt(Paint(), 1, y), kNormal);
    Button->SetFocusType(TFocusType::ftHot);
    EXPECT_EQ(PixelAt(Paint(), 10, 8), kHot) << "a hot focus shows the hot look";
    cues(UIS_SET);
    EXPECT_EQ(PixelAt(Paint(), 10, 8), kNormal) << "hidden cues hide the hot focus too";
    Button->SetFocusType(TFocusType::ftBorder);
    EXPECT_FALSE(ring());
    {
        const TAlwaysShownCues always(true);
        EXPECT_TRUE(ring()) << "always shown";
    }
    ::SetFocus(Form->Handle());
    cues(UIS_CLEAR);
    EXPECT_FALSE(ring()) << "only with the focus";
}

// An outline font that GDI+ finds on this system, or an empty name. Without
// anti-aliasing, Wine draws Tahoma from its hinted outline but centres it by the
// unhinted widths, so that path is checked in another font where there is one.
std::string InstalledOutlineFont(bool antiAliased) {
    const std::vector<const char*> fonts =
        antiAliased ? std::vector<const char*>{"Tahoma", "Arial", "DejaVu Sans", "Liberation Sans"}
                    : std::vector<const char*>{"Arial", "DejaVu Sans", "Liberation Sans", "Tahoma"};
    for (const char* name : fonts)
        if (TGPFontFamily(ToWide(name)).Available())
            return name;
    return {};
}

// The caption through GDI+ (an installed outline font) and through GDI (no
// anti-aliasing, or a font GDI+ does not know).
enum class TCaptionPath { GdiplusText, GdiNoAntiAlias, GdiUnknownFont };

class GlowCaptionTest : public GlowButtonTest, public ::testing::WithParamInterface<TCaptionPath> {
  protected:
    void SetUp() override {
        GlowButtonTest::SetUp();
        const std::string installed =
            InstalledOutlineFont(GetParam() != TCaptionPath::GdiNoAntiAlias);
        if (installed.empty() && GetParam() != TCaptionPath::GdiUnknownFont)
            GTEST_SKIP() << "no outline font known to GDI+";
        Button->Appearance().SetSystemFont(false);
        Button->Font.SetName(GetParam() == TCaptionPath::GdiUnknownFont ? "No Such Font Anywhere"
                                                                        : installed);
        if (GetParam() == TCaptionPath::GdiNoAntiAlias)
            Button->SetAntiAlias(TAntiAlias::aaNone);
    }
};

TEST_P(GlowCaptionTest, IsCentredOnePixelRightOfTheMiddle) {
    Button->SetCaption("Kopieren");
    Button->Font.SetColor(clWhite);
    Paint();
    int left = Shot.Width(), right = -1, top = Shot.Height(), bottom = -1;
    for (int y = 3; y < Shot.Height() - 3; ++y)
        for (int x = 3; x < Shot.Width() - 3; ++x)
            if (PixelAt(Shot, x, y) != kNormal) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, left) << "the caption is drawn";
    TCanvas& measure = Button->MeasureCanvas();
    EXPECT_NEAR(right - left + 1, measure.TextWidth("Kopieren"), 4);
    EXPECT_NEAR((left + right + 1) / 2.0, (Shot.Width() + 2) / 2.0, 1.5);
    EXPECT_NEAR((top + bottom + 1) / 2.0, Shot.Height() / 2.0, 2.5);
}

TEST_P(GlowCaptionTest, IsGreyWhenDisabled) {
    // Black bold stems on a white face leave some pixels fully covered.
    TGlowButtonAppearance& a = Button->Appearance();
    a.Color = a.ColorTo = a.ColorMirror = a.ColorMirrorTo = clWhite;
    a.ColorDisabled = a.ColorDisabledTo = a.ColorMirrorDisabled = a.ColorMirrorDisabledTo = clWhite;
    Button->SetCaption("IIII");
    Button->Font.SetColor(clBlack);
    Button->Font.SetHeight(24);
    Button->Font.SetStyle(fsBold);
    auto darkest = [this] {
        Paint();
        int lowest = 255;
        for (int y = 3; y < Shot.Height() - 3; ++y)
            for (int x = 3; x < Shot.Width() - 3; ++x) {
                const TColor c = PixelAt(Shot, x, y);
                lowest =
                    std::min({lowest, int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c))});
            }
        return lowest;
    };
    EXPECT_LT(darkest(), 0x30) << "enabled, the caption is in the font colour";
    Button->SetEnabled(false);
    const int grey = darkest();
    EXPECT_GE(grey, 0x80 - 8) << "nothing darker than the grey caption";
    EXPECT_LE(grey, 0x80 + 8) << "but the caption is there";
}

// The access key is underlined while the form shows underlines, and otherwise
// the caption looks as it would without the ampersand.
TEST_P(GlowCaptionTest, UnderlinesItsAccessKeyOnlyWhileTheFormShowsUnderlines) {
    const TAlwaysShownCues notAlways(false);
    Button->Font.SetColor(clWhite);
    const auto shot = [this](const std::string& caption) {
        Button->SetCaption(caption);
        auto bitmap = std::make_unique<TBitmap>(Button->Width(), Button->Height());
        Button->PaintWindow(bitmap->Canvas());
        return bitmap;
    };
    // Where two pictures differ: the rows from the first to the last; none if alike.
    const auto differing = [this](TBitmap& a, TBitmap& b) {
        std::pair rows{Button->Height(), -1};
        for (int y = 0; y < Button->Height(); ++y)
            for (int x = 0; x < Button->Width(); ++x)
                if (PixelAt(a, x, y) != PixelAt(b, x, y))
                    rows = {std::min(rows.first, y), std::max(rows.second, y)};
        return rows;
    };
    const std::pair none{Button->Height(), -1};
    const auto plain = shot("Vergleichen");
    EXPECT_EQ(differing(*shot("&Vergleichen"), *plain), none) << "no underline before Alt";
    SendMessageA(Form->Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    EXPECT_EQ(differing(*shot("Vergleichen"), *plain), none) << "nothing to underline";
    // A line of its own below the middle of the caption.
    const auto [first, last] = differing(*shot("&Vergleichen"), *plain);
    EXPECT_GT(first, Button->Height() / 2);
    EXPECT_LE(last - first, 1);
}

std::string CaptionPathName(const ::testing::TestParamInfo<TCaptionPath>& info) {
    const char* names[] = {"GdiplusText", "GdiNoAntiAlias", "GdiUnknownFont"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Paths, GlowCaptionTest,
                         ::testing::Values(TCaptionPath::GdiplusText, TCaptionPath::GdiNoAntiAlias,
                                           TCaptionPath::GdiUnknownFont),
                         CaptionPathName);

TEST_F(GlowButtonTest, TransparentAtRestShowsTheParentAndGlowsWhenEntered) {
    Button->SetTransparent(true);
    Paint();
    for (auto [x, y] : {std::pair{10, 8}, {50, 16}, {99, 32}})
        EXPECT_EQ(PixelAt(Shot, x, y), kParent);
    Enter();
    RunFade();
    EXPECT_EQ(Face(), kHot);
}

// ---- toggles and groups

TEST_F(GlowButtonTest, ToggleFlipsOnPressAndFlipsBackWhenReleasedOutside) {
    Button->SetStyle(TGlowButtonStyle::bsCheck);
    Enter();
    Press();
    Release();
    EXPECT_TRUE(Button->Down());
    RunFade();
    EXPECT_EQ(Face(), kChecked);
    Press();
    Release();
    EXPECT_FALSE(Button->Down());
    Press();
    EXPECT_TRUE(Button->Down());
    Mouse(WM_MOUSEMOVE, 150, 15, MK_LBUTTON);
    Release(150, 15);
    EXPECT_FALSE(Button->Down()) << "released outside, the press is undone";
    EXPECT_EQ(ClicksOf(Button), 2);
}

TEST_F(GlowButtonTest, GroupButtonsReleaseEachOther) {
    TTestButton* second = AddButton(20, 80, "");
    TTestButton* other = AddButton(20, 130, "");
    Button->SetGroupIndex(1);
    second->SetGroupIndex(1);
    other->SetGroupIndex(2);
    other->SetDown(true);
    auto click = [](TTestButton* b) {
        SendMessageA(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    };
    click(Button);
    EXPECT_TRUE(Button->Down());
    click(second);
    EXPECT_TRUE(second->Down());
    EXPECT_FALSE(Button->Down());
    EXPECT_TRUE(other->Down()) << "another group is left alone";
    click(second);
    EXPECT_TRUE(second->Down()) << "the last one stays down without AllowAllUp";
    second->SetAllowAllUp(true);
    click(second);
    EXPECT_FALSE(second->Down());
    EXPECT_EQ(ClicksOf(second), 3);
    SendMessageA(Button->Handle(), WM_MOUSELEAVE, 0, 0);
    RunFade();
    EXPECT_EQ(Face(), kNormal);
    Button->SetDown(true);
    EXPECT_EQ(Face(), kChecked);
}

TEST_F(GlowButtonTest, PlainButtonNeverStaysDown) {
    Button->SetDown(true);
    EXPECT_FALSE(Button->Down());
}

TEST(GlowButtonLoadingTest, DownWhileLoadingIsAppliedAfterLoading) {
    class TLoadingForm : public TForm {
      public:
        TLoadingForm() : TForm(nullptr) {
            BeginLoading();
            Button = new TAdvGlowButton(this);
            Button->SetStyle(TGlowButtonStyle::bsCheck);
            Button->SetDown(true);
            DownWhileLoading = Button->Down();
            EndLoading();
        }
        TAdvGlowButton* Button;
        bool DownWhileLoading;
    };
    TApplication app;
    TLoadingForm form;
    EXPECT_FALSE(form.DownWhileLoading);
    EXPECT_TRUE(form.Button->Down());
}

TEST_F(GlowButtonTest, RepeatClickClicksWhileHeld) {
    Button->RepeatClick = true;
    Press();
    Button->DoRepeatClick();
    Button->DoRepeatClick();
    EXPECT_EQ(ClicksOf(Button), 2);
    Release();
    EXPECT_EQ(ClicksOf(Button), 3) << "the release clicks as well";
    Button->DoRepeatClick();
    EXPECT_EQ(ClicksOf(Button), 3);
}

// ---- keyboard

void CALLBACK EndStuckLoop(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}

class GlowKeyTest : public GlowButtonTest {
  protected:
    void SetUp() override {
        GlowButtonTest::SetUp();
        Edit = new TEdit(Form.get());
        Edit->SetBounds(150, 30, 100, 20);
        Edit->SetParent(Form.get());
        Edit->SetTabOrder(0);
        Button->SetCaption("&Vergleichen");
        Button->SetTabStop(true);
        Button->ModalResult = mrRetry;
        Ok = AddButton(20, 80, "OK");
        Ok->Default = true;
        Ok->ModalResult = mrOk;
        Cancel = AddButton(20, 130, "Abbrechen");
        Cancel->Cancel = true;
        Cancel->ModalResult = mrCancel;
        Edit->SetFocus();
    }
    // Posted like real input, so the form's dialog keys and the translation
    // into characters take part.
    void Key(HWND target, UINT msg, WPARAM key) {
        const LPARAM scan = LPARAM(MapVirtualKeyA(UINT(key), 0)) << 16;
        PostMessageA(target, msg, key, scan | 1 | (msg == WM_KEYUP ? 0xC0000000 : 0));
        Application->ProcessMessages();
    }
    TEdit* Edit = nullptr;
    TTestButton* Ok = nullptr;
    TTestButton* Cancel = nullptr;
};

TEST_F(GlowKeyTest, SpaceShowsTheButtonPressedAndClicksIt) {
    Button->SetFocus();
    Key(Button->Handle(), WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(ClicksOf(Button), 1);
    EXPECT_EQ(Form->ModalResult(), mrRetry);
    EXPECT_EQ(Face(), kDown) << "held down";
    Key(Button->Handle(), WM_KEYUP, VK_SPACE);
    EXPECT_EQ(PixelAt(Paint(), 10, 8), kNormal);
    EXPECT_EQ(ClicksOf(Button), 1);
}

TEST_F(GlowKeyTest, EnterAndEscapePressTheDefaultAndCancelButtons) {
    struct TCase {
        WPARAM Key;
        HWND Focus;
        bool Ctrl;
        TControl* Clicked;
        int Result;
    };
    const TCase cases[] = {
        {VK_RETURN, Edit->Handle(), false, Ok, mrOk},
        {VK_ESCAPE, Edit->Handle(), false, Cancel, mrCancel},
        // The focused glow button is the one Enter presses.
        {VK_RETURN, Button->Handle(), false, Button, mrRetry},
        {VK_ESCAPE, Button->Handle(), false, Cancel, mrCancel},
        // With a modifier neither key is a dialog key.
        {VK_RETURN, Edit->Handle(), true, nullptr, mrNone},
        {VK_ESCAPE, Edit->Handle(), true, nullptr, mrNone},
    };
    for (const TCase& c : cases) {
        SetFocus(c.Focus);
        Clicks.clear();
        Form->SetModalResult(mrNone);
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = c.Ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        Key(c.Focus, WM_KEYDOWN, c.Key);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        Key(c.Focus, WM_KEYUP, c.Key);
        const std::vector<TControl*> expected =
            c.Clicked ? std::vector<TControl*>{c.Clicked} : std::vector<TControl*>{};
        EXPECT_EQ(Clicks, expected) << "key " << c.Key << " ctrl " << c.Ctrl;
        EXPECT_EQ(Form->ModalResult(), c.Result) << "key " << c.Key << " ctrl " << c.Ctrl;
    }
}

TEST_F(GlowKeyTest, EscapeShowsTheCancelButtonPressedOnlyWhileItClicks) {
    SetFlat(Cancel->Appearance());
    TColor during = 0;
    Cancel->OnClick = [&](TComponent*) { during = PixelAt(Paint(Cancel), 10, 8); };
    Key(Edit->Handle(), WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(during, kDown);
    // The key-up goes to the edit, so nothing else would let go of the look.
    Key(Edit->Handle(), WM_KEYUP, VK_ESCAPE);
    EXPECT_EQ(PixelAt(Paint(Cancel), 10, 8), kNormal);
}

TEST_F(GlowKeyTest, EnterTogglesACheckButtonThatHasTheFocus) {
    Button->SetStyle(TGlowButtonStyle::bsCheck);
    Button->SetFocus();
    Key(Button->Handle(), WM_KEYDOWN, VK_RETURN);
    EXPECT_TRUE(Button->Down());
    EXPECT_EQ(ClicksOf(Button), 1);
}

TEST_F(GlowKeyTest, DefaultButtonEndsAModalLoop) {
    // Should the key go astray, a timer ends the loop instead of the test run.
    const UINT_PTR guard = SetTimer(nullptr, 0, 5000, EndStuckLoop);
    PostMessageA(Edit->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(Form->ShowModal(), mrOk);
    EXPECT_EQ(ClicksOf(Ok), 1);
    KillTimer(nullptr, guard);
}

TEST_F(GlowKeyTest, AcceleratorClicksTheButtonWhileItCanTakeTheFocus) {
    Key(Form->Handle(), WM_SYSCHAR, 'v');
    EXPECT_EQ(ClicksOf(Button), 1);
    EXPECT_EQ(Form->ModalResult(), mrRetry);
    Key(Form->Handle(), WM_SYSCHAR, 'x');
    EXPECT_EQ(ClicksOf(Button), 1);
    Button->SetEnabled(false);
    Key(Form->Handle(), WM_SYSCHAR, 'V');
    EXPECT_EQ(ClicksOf(Button), 1);
    Button->SetEnabled(true);
    Button->SetCaption("A&&B");
    Key(Form->Handle(), WM_SYSCHAR, 'b');
    EXPECT_EQ(ClicksOf(Button), 1) << "&& is a plain ampersand";
}

TEST_F(GlowKeyTest, LeavingTheFocusDropsThePressedLook) {
    Button->SetFocus();
    Key(Button->Handle(), WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(Face(), kDown);
    Edit->SetFocus();
    EXPECT_EQ(Face(), kNormal);
}

} // namespace
