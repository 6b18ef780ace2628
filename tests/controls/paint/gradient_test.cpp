#include "controls/paint/AdvGradient.h"
#include "framework/Forms.h"
#include "tests/controls/paint/Pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A bitmap filled with one colour, so that untouched pixels are recognisable.
struct TCanvasFixture : ::testing::Test {
    static constexpr TColor Background = 0x123456;
    TBitmap Bmp;
    void Prepare(int w, int h) {
        Bmp.SetSize(w, h);
        Bmp.Canvas().Brush.SetColor(Background);
        Bmp.Canvas().FillRect(MakeRect(0, 0, w, h));
    }
};

using DrawGradientTest = TCanvasFixture;

TEST_F(DrawGradientTest, BlackToRedInFiveVerticalStepsPaintsTwoRowsEach) {
    Prepare(4, 10);
    DrawGradient(Bmp.Canvas(), clBlack, clRed, 5, MakeRect(0, 0, 4, 10), false);
    const int expectedRed[10] = {0, 0, 51, 51, 102, 102, 153, 153, 204, 204};
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(PixelAt(Bmp, x, y), static_cast<TColor>(expectedRed[y])) << "row " << y;
    // Pen and brush stay in the last band's colour.
    EXPECT_EQ(Bmp.Canvas().Brush.Color(), 204u);
    EXPECT_EQ(Bmp.Canvas().Pen.Color(), 204u);
}

TEST_F(DrawGradientTest, StaysInsideItsRectangle) {
    Prepare(12, 12);
    DrawGradient(Bmp.Canvas(), clBlack, clWhite, 3, MakeRect(2, 3, 9, 10), true);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x < 9 && y >= 3 && y < 10;
            EXPECT_EQ(PixelAt(Bmp, x, y) == Background, !inside) << x << "," << y;
        }
}

TEST_F(DrawGradientTest, HorizontalBandsFollowTheRoundedOffsets) {
    // Extent 10 in 4 steps: band 2.5, offsets 0, 2 (2.5 to even), 5, 8 (7.5 to even);
    // each band 3 wide, the later one wins.
    Prepare(10, 2);
    DrawGradient(Bmp.Canvas(), RGB(0, 0, 0), RGB(0, 200, 0), 4, MakeRect(0, 0, 10, 2), true);
    const int green[10] = {0, 0, 50, 50, 50, 100, 100, 100, 150, 150};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(PixelAt(Bmp, x, 1), static_cast<TColor>(RGB(0, green[x], 0))) << "column " << x;
}

TEST_F(DrawGradientTest, MoreStepsThanPixelsGivesOneLastBandPerPixel) {
    // 40 steps over 8 columns: band 0.2, each band one pixel; the band painted
    // last on a column wins and the right edge is never passed.
    Prepare(10, 1);
    DrawGradient(Bmp.Canvas(), RGB(0, 0, 0), RGB(0, 0, 200), 40, MakeRect(0, 0, 8, 1), true);
    for (int x = 0; x < 8; ++x) {
        int last = -1;
        for (int i = 0; i < 40; ++i)
            if (RoundHalfEven(i * 0.2) == x)
                last = i;
        ASSERT_GE(last, 0);
        EXPECT_EQ(PixelAt(Bmp, x, 0), static_cast<TColor>(RGB(0, 0, 5 * last))) << "column " << x;
    }
    EXPECT_EQ(PixelAt(Bmp, 8, 0), Background);
    EXPECT_EQ(PixelAt(Bmp, 9, 0), Background);
}

TEST_F(DrawGradientTest, ZeroStepsDrawsOneBandOfTheFromColour) {
    Prepare(3, 3);
    DrawGradient(Bmp.Canvas(), clNavy, clWhite, 0, MakeRect(0, 0, 3, 3), false);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(PixelAt(Bmp, 1, y), clNavy);
}

TEST_F(DrawGradientTest, FrameColourOutlinesTheRectangleOverTheBands) {
    Prepare(8, 8);
    DrawGradient(Bmp.Canvas(), clWhite, clBlack, 2, MakeRect(1, 1, 7, 7), false, clRed);
    for (int i = 1; i < 7; ++i) {
        EXPECT_EQ(PixelAt(Bmp, i, 1), clRed);
        EXPECT_EQ(PixelAt(Bmp, i, 6), clRed);
        EXPECT_EQ(PixelAt(Bmp, 1, i), clRed);
        EXPECT_EQ(PixelAt(Bmp, 6, i), clRed);
    }
    // The inside keeps the bands (clear brush), the outside is untouched.
    EXPECT_EQ(PixelAt(Bmp, 3, 2), clWhite);
    // 255 + Round(-127.5): the half goes to the even -128.
    EXPECT_EQ(PixelAt(Bmp, 3, 5), static_cast<TColor>(RGB(127, 127, 127)));
    EXPECT_EQ(PixelAt(Bmp, 0, 0), Background);
    EXPECT_EQ(PixelAt(Bmp, 7, 7), Background);
    EXPECT_EQ(Bmp.Canvas().Pen.Color(), clRed);
}

TEST_F(DrawGradientTest, SystemColoursAreResolvedBeforeSplitting) {
    Prepare(2, 2);
    DrawGradient(Bmp.Canvas(), clWindowText, clWindowText, 1, MakeRect(0, 0, 2, 2), false);
    EXPECT_EQ(PixelAt(Bmp, 0, 0), static_cast<TColor>(ColorToRGB(clWindowText)));
}

struct TBlendCase {
    TColor A, B;
    int Percent;
    TColor Expected;
};

TEST(BlendColorTest, MixesChannelsWithHalvesToEven) {
    const std::vector<TBlendCase> cases = {
        {clWindow, clBlack, 100, clWindow}, // untouched, not resolved
        {clWindow, clBlack, 250, clWindow},
        {clBlack, clBtnFace, 0, clBtnFace}, // untouched, not resolved
        {clBlack, clBtnFace, -20, clBtnFace},
        {RGB(100, 0, 255), RGB(0, 100, 0), 20, RGB(20, 80, 51)},
        // 0.5 * 1 = 0.5 rounds to 0, 0.5 * 3 = 1.5 rounds to 2, 0.5 * 5 = 2.5 to 2.
        {RGB(1, 3, 5), RGB(0, 0, 0), 50, RGB(0, 2, 2)},
        // In between, system colours are resolved first.
        {clWindow, clWindow, 20, ColorToRGB(clWindow)},
        {clBtnFace, clBtnFace, 99, ColorToRGB(clBtnFace)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlendColor(c.A, c.B, c.Percent), c.Expected)
            << std::hex << c.A << " " << c.B << " @" << std::dec << c.Percent;
}

// GDI+ runs while an application object exists.
class TGdiplusFixture : public TCanvasFixture {
  protected:
    void SetUp() override { App = std::make_unique<TApplication>(); }
    void TearDown() override { App.reset(); }
    std::unique_ptr<TApplication> App;
};

TEST(MakeGPColorTest, IsOpaqueArgbOfTheResolvedColour) {
    EXPECT_EQ(MakeGPColor(RGB(0x12, 0x34, 0x56)), 0xFF123456u);
    EXPECT_EQ(MakeGPColor(clBlack), 0xFF000000u);
    const COLORREF face = ColorToRGB(clBtnFace);
    EXPECT_EQ(MakeGPColor(clBtnFace),
              0xFF000000u | GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face));
}

using RoundedBorderTest = TGdiplusFixture;

TEST_F(RoundedBorderTest, RadiusZeroIsAPlainRectangleOutline) {
    Prepare(12, 10);
    {
        TGPGraphics graphics(Bmp.Canvas().Handle());
        DrawRoundedBorder(graphics, clRed, 1, 1, 8, 6, 0);
    }
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool edge = ((x == 1 || x == 9) && y >= 1 && y <= 7) ||
                              ((y == 1 || y == 7) && x >= 1 && x <= 9);
            EXPECT_EQ(PixelAt(Bmp, x, y), edge ? clRed : Background) << x << "," << y;
        }
}

TEST_F(RoundedBorderTest, RoundedCornersLeaveTheCornerPixelsAlone) {
    Prepare(20, 16);
    {
        TGPGraphics graphics(Bmp.Canvas().Handle());
        graphics.SetSmoothingMode(gdip::SmoothingModeAntiAlias);
        DrawRoundedBorder(graphics, clRed, 0, 0, 19, 15, 3);
    }
    for (auto [x, y] : {std::pair{0, 0}, {19, 0}, {0, 15}, {19, 15}})
        EXPECT_EQ(PixelAt(Bmp, x, y), Background) << x << "," << y;
    // Mid-edges are on the straight parts of the outline.
    for (auto [x, y] : {std::pair{10, 0}, {10, 15}, {0, 8}, {19, 8}})
        EXPECT_TRUE(Near(PixelAt(Bmp, x, y), clRed, 40)) << x << "," << y;
    EXPECT_EQ(PixelAt(Bmp, 10, 8), Background);
}

TEST_F(RoundedBorderTest, DottedOutlineLeavesGapsOnItsEdges) {
    Prepare(40, 10);
    {
        TGPGraphics graphics(Bmp.Canvas().Handle());
        DrawDottedRoundedBorder(graphics, clBlack, 0, 0, 39, 9, 0);
    }
    int drawn = 0, gaps = 0;
    for (int x = 2; x < 38; ++x)
        (PixelAt(Bmp, x, 0) == Background ? gaps : drawn)++;
    EXPECT_GT(drawn, 10);
    EXPECT_GT(gaps, 10);
}

using FillGlowHalfTest = TGdiplusFixture;

TEST_F(FillGlowHalfTest, VerticalRunsFromTheFirstColourAtTheTopToTheSecondAtTheBottom) {
    Prepare(30, 40);
    {
        TGPGraphics graphics(Bmp.Canvas().Handle());
        FillGlowHalf(graphics, RECT{0, 20, 30, 40}, clWhite, clBlack, ggVertical, false);
    }
    EXPECT_TRUE(Near(PixelAt(Bmp, 15, 20), clWhite, 16));
    EXPECT_TRUE(Near(PixelAt(Bmp, 15, 39), clBlack, 16));
    EXPECT_TRUE(Near(PixelAt(Bmp, 15, 30), RGB(128, 128, 128), 16));
    // Only the half is painted.
    EXPECT_EQ(PixelAt(Bmp, 15, 19), Background);
}

TEST_F(FillGlowHalfTest, RadialGlowsFromTheNearEdgeCentre) {
    // Upper half: the second colour at the top centre, the first towards the
    // far corners. Lower half: the first colour at the bottom centre.
    Prepare(60, 40);
    {
        TGPGraphics graphics(Bmp.Canvas().Handle());
        FillGlowHalf(graphics, RECT{0, 20, 60, 40}, clBlue, clRed, ggRadial, false);
        FillGlowHalf(graphics, RECT{0, 0, 60, 20}, clWhite, clBlack, ggRadial, true);
    }
    EXPECT_TRUE(Near(PixelAt(Bmp, 30, 0), clBlack, 40));
    EXPECT_TRUE(Near(PixelAt(Bmp, 0, 19), clWhite, 40));
    EXPECT_TRUE(Near(PixelAt(Bmp, 30, 39), clBlue, 40));
    EXPECT_TRUE(Near(PixelAt(Bmp, 0, 21), clRed, 40));
}

TEST(GradientStyleTest, ColourChangesNotifyButDirectionAndEqualValuesDoNot) {
    TGradientStyle style;
    int changes = 0;
    style.OnChange = [&] { ++changes; };
    EXPECT_EQ(style.BorderColor(), clHighlight);
    EXPECT_EQ(style.ColorFrom(), clHighlight);
    EXPECT_EQ(style.ColorTo(), clNone);
    EXPECT_EQ(style.ColorMirrorFrom(), clNone);
    EXPECT_EQ(style.ColorMirrorTo(), clNone);

    style.SetColorTo(clNone);
    style.SetBorderColor(clHighlight);
    EXPECT_EQ(changes, 0);
    style.SetBorderColor(clSilver);
    style.SetColorFrom(1);
    style.SetColorTo(2);
    style.SetColorMirrorFrom(3);
    style.SetColorMirrorTo(4);
    EXPECT_EQ(changes, 5);
    style.Direction = true;
    EXPECT_EQ(changes, 5);
}

TEST(GradientStyleTest, AssignCopiesTheColoursNotTheDirectionAndNotifiesOnce) {
    TGradientStyle source;
    source.SetBorderColor(clSilver);
    source.SetColorFrom(15465983);
    source.SetColorTo(11267071);
    source.SetColorMirrorFrom(6936319);
    source.SetColorMirrorTo(9889023);
    source.Direction = true;
    TGradientStyle target;
    int changes = 0;
    target.OnChange = [&] { ++changes; };
    target.Assign(source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(target.BorderColor(), clSilver);
    EXPECT_EQ(target.ColorFrom(), 15465983u);
    EXPECT_EQ(target.ColorTo(), 11267071u);
    EXPECT_EQ(target.ColorMirrorFrom(), 6936319u);
    EXPECT_EQ(target.ColorMirrorTo(), 9889023u);
    EXPECT_FALSE(target.Direction);
}

} // namespace
