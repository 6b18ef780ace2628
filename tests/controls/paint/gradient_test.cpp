#include "controls/paint/AdvGradient.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Pixel of a 32-bit DIB as a colour value (red in the low byte).
TColor PixelAt(const TBitmap& bmp, int x, int y) {
    const std::uint32_t bgra = bmp.Bits()[y * bmp.Width() + x];
    return ((bgra >> 16) & 0xFF) | (bgra & 0xFF00) | ((bgra & 0xFF) << 16);
}

// A bitmap filled with one colour, so that untouched pixels are recognisable.
struct TCanvasFixture : ::testing::Test {
    static constexpr TColor Background = 0x123456;
    TBitmap Bmp;
    void Prepare(int w, int h) {
        Bmp.SetSize(w, h);
        Bmp.Canvas().Brush.SetColor(Background);
        Bmp.Canvas().FillRect(MakeRectLocal(0, 0, w, h));
    }
    static RECT MakeRectLocal(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
};

using DrawGradientTest = TCanvasFixture;

TEST_F(DrawGradientTest, BlackToRedInFiveVerticalStepsPaintsTwoRowsEach) {
    Prepare(4, 10);
    DrawGradient(Bmp.Canvas(), clBlack, clRed, 5, MakeRectLocal(0, 0, 4, 10), false);
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
    DrawGradient(Bmp.Canvas(), clBlack, clWhite, 3, MakeRectLocal(2, 3, 9, 10), true);
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
    DrawGradient(Bmp.Canvas(), RGB(0, 0, 0), RGB(0, 200, 0), 4, MakeRectLocal(0, 0, 10, 2), true);
    const int green[10] = {0, 0, 50, 50, 50, 100, 100, 100, 150, 150};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(PixelAt(Bmp, x, 1), static_cast<TColor>(RGB(0, green[x], 0))) << "column " << x;
}

TEST_F(DrawGradientTest, MoreStepsThanPixelsGivesOneLastBandPerPixel) {
    // 40 steps over 8 columns: band 0.2, each band one pixel; the band painted
    // last on a column wins and the right edge is never passed.
    Prepare(10, 1);
    DrawGradient(Bmp.Canvas(), RGB(0, 0, 0), RGB(0, 0, 200), 40, MakeRectLocal(0, 0, 8, 1), true);
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
    DrawGradient(Bmp.Canvas(), clNavy, clWhite, 0, MakeRectLocal(0, 0, 3, 3), false);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(PixelAt(Bmp, 1, y), clNavy);
}

TEST_F(DrawGradientTest, FrameColourOutlinesTheRectangleOverTheBands) {
    Prepare(8, 8);
    DrawGradient(Bmp.Canvas(), clWhite, clBlack, 2, MakeRectLocal(1, 1, 7, 7), false, clRed);
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
    DrawGradient(Bmp.Canvas(), clWindowText, clWindowText, 1, MakeRectLocal(0, 0, 2, 2), false);
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

} // namespace
