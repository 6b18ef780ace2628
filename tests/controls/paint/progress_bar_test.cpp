// The segmented progress bar: block arithmetic read back from the pixels,
// levels, the endless window and its timer, the text and its format, and the
// bar on a real form.
#include "controls/paint/AdvProgressBar.h"
#include "framework/Forms.h"
#include "tests/controls/paint/Pixels.h"
#include "tests/support/FreshApplication.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr TColor kBack = RGB(255, 255, 255);
constexpr TColor kBorder = RGB(128, 128, 128);
constexpr TColor kLevel[4] = {RGB(0, 200, 0), RGB(0, 0, 200), RGB(200, 0, 0), RGB(90, 90, 0)};
constexpr TColor kParent = RGB(30, 60, 90);

// Flat single-colour blocks, no text: every pixel tells what covers it.
TGaugeSettings Flat(int position, int max = 100) {
    TGaugeSettings s{kLevel[0], kLevel[0], kLevel[1], kLevel[1],
                     kLevel[2], kLevel[2], kLevel[3], kLevel[3],
                     70,        90,        kBorder,   true,
                     false,     true,      false,     TFont(),
                     false,     false,     20,        GaugePercentage(position, 0, max),
                     position,  max,       kBack,     goHorizontal,
                     false,     "",        false,     0};
    return s;
}

TBitmap& Draw(TBitmap& bmp, const TGaugeSettings& s) {
    DrawGauge(bmp.Canvas(), MakeRect(0, 0, bmp.Width(), bmp.Height()), s);
    return bmp;
}

// The x ranges [from, to] of one colour along row y.
std::vector<std::pair<int, int>> Runs(const TBitmap& bmp, int y, TColor color) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < bmp.Width(); ++x) {
        if (PixelAt(bmp, x, y) != color)
            continue;
        if (!runs.empty() && runs.back().second == x - 1)
            runs.back().second = x;
        else
            runs.push_back({x, x});
    }
    return runs;
}

// Blocks of 7 at a pitch of 9 from x = 2, then the given partial one.
std::vector<std::pair<int, int>> Blocks(int count, int partialWidth = 0) {
    std::vector<std::pair<int, int>> blocks;
    for (int i = 0; i < count; ++i)
        blocks.push_back({2 + 9 * i, 8 + 9 * i});
    if (partialWidth > 0)
        blocks.push_back({2 + 9 * count, 1 + 9 * count + partialWidth});
    return blocks;
}

TEST(GaugeArithmetic, SegmentedHorizontalBlocks) {
    struct {
        const char* name;
        int width, position, max, level;
        std::vector<std::pair<int, int>> blocks;
    } const cases[] = {
        // W = 199: fill 199 is 22 whole blocks, the last at 191..197, then a
        // gap at 198..199 before the frame.
        {"201 px at 100 %", 201, 100, 100, 3, Blocks(22)},
        // Round(99.5) = 100, half to even: 11 blocks and a rest of 1, no partial block.
        {"201 px at 50 %", 201, 50, 100, 0, Blocks(11)},
        // W = 100, so fill = percentage.
        {"fill 9", 102, 9, 100, 0, {{2, 9}}},
        {"fill 10", 102, 10, 100, 0, Blocks(1)},
        {"fill 1", 102, 1, 100, 0, {}},
        {"fill 2", 102, 2, 100, 0, {{2, 2}}},
        {"fill 31: rest 4, partial 3", 102, 31, 100, 0, Blocks(3, 3)},
        {"fill 29: rest 2, no partial", 102, 29, 100, 0, Blocks(3)},
        {"level 1 from 70 %", 102, 70, 100, 1, Blocks(7, 6)},
        {"level 2 from 90 %", 102, 90, 100, 2, Blocks(10)},
        {"negative", 102, -20, 100, 0, {}},
        {"Max = Min", 102, 50, 0, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bmp(c.width, 18);
        Draw(bmp, Flat(c.position, c.max));
        for (int y : {2, 9, 15})
            EXPECT_EQ(Runs(bmp, y, kLevel[c.level]), c.blocks) << "row " << y;
        EXPECT_EQ(Runs(bmp, 1, kLevel[c.level]).size(), 0u) << "the row inside the frame stays";
        EXPECT_EQ(PixelAt(bmp, 0, 9), kBorder);
        EXPECT_EQ(PixelAt(bmp, c.width - 1, 9), kBorder);
        EXPECT_EQ(PixelAt(bmp, 1, 9), kBack);
    }
}

TEST(GaugeArithmetic, OverMaximumRunsPastTheFrame) {
    TBitmap bmp(102, 18);
    TGaugeSettings s = Flat(150);
    Draw(bmp, s);
    EXPECT_EQ(s.Percentage, 150);
    // Block 11 starts at 101 and covers the frame line at the right edge.
    EXPECT_EQ(PixelAt(bmp, 101, 9), kLevel[3]);
    EXPECT_EQ(PixelAt(bmp, 100, 9), kBack);
    EXPECT_EQ(GaugeText(s), "150%");
}

TEST(GaugeArithmetic, AHugePositionDrawsAsFarPastTheFrameAndStaysAnInt) {
    EXPECT_EQ(GaugePercentage(INT_MAX, 0, 1), 1000000000);
    EXPECT_EQ(GaugePercentage(INT_MIN, 0, 1), -1000000000);
    EXPECT_EQ(GaugePercentage(INT_MAX, INT_MIN, INT_MAX), 50);
    for (const bool stacked : {false, true})
        for (const bool smooth : {false, true})
            for (const TGaugeOrientation orientation : {goHorizontal, goVertical}) {
                SCOPED_TRACE(std::string(stacked ? "stacked " : "") + (smooth ? "smooth " : "") +
                             (orientation == goHorizontal ? "horizontal" : "vertical"));
                const auto picture = [&](int position) {
                    TGaugeSettings s = Flat(position);
                    s.Stacked = stacked;
                    s.CompletionSmooth = smooth;
                    s.Orientation = orientation;
                    auto bmp = orientation == goHorizontal ? std::make_unique<TBitmap>(7, 20)
                                                           : std::make_unique<TBitmap>(20, 7);
                    Draw(*bmp, s);
                    return bmp;
                };
                // On a bar this short five times the maximum already runs
                // past everything, and is still drawn in full.
                const auto farPast = picture(500);
                const auto huge = picture(INT_MAX);
                if (orientation == goHorizontal) {
                    // Across, the fill runs over the far frame line.
                    EXPECT_NE(PixelAt(*huge, huge->Width() - 1, huge->Height() / 2), kBorder);
                }
                for (int y = 0; y < huge->Height(); ++y)
                    for (int x = 0; x < huge->Width(); ++x)
                        ASSERT_EQ(PixelAt(*huge, x, y), PixelAt(*farPast, x, y)) << x << "," << y;
            }
}

TEST(GaugeArithmetic, TheLevelFollowsThePercentageBeyondTheDrawingLimit) {
    // Levels set past 100: a bar far over its range is at level 3, though
    // its blocks stop a little past the frame.
    struct {
        int position, level;
    } const cases[] = {{105, 0}, {115, 1}, {300, 3}, {100000, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        TGaugeSettings s = Flat(c.position);
        s.Level1Perc = 110;
        s.Level2Perc = 120;
        // 201 pixels: the blocks stop at 112 %.
        TBitmap bmp(201, 18);
        Draw(bmp, s);
        EXPECT_EQ(PixelAt(bmp, 5, 9), kLevel[c.level]);
        EXPECT_EQ(PixelAt(bmp, 195, 9), kLevel[c.level]);
    }
}

// The colour of each row (or column) of a gradient of `steps` bands over
// `extent` pixels, as the bands painted one after the other leave it: each
// band from its rounded start over its length, later bands over earlier ones.
std::vector<TColor> BandsOneByOne(TColor from, TColor to, int steps, int extent) {
    if (steps == 0)
        steps = 1;
    std::vector<TColor> rows(static_cast<std::size_t>(extent), clNone);
    const double band = static_cast<double>(extent) / steps;
    const int length = static_cast<int>(band) + 1;
    const auto channel = [&](int shift, int i) {
        const int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        return a + RoundHalfEven(i * (static_cast<double>(b - a) / steps));
    };
    for (int i = 0; i < steps; ++i) {
        const TColor color = RGB(channel(0, i), channel(8, i), channel(16, i));
        const int start = RoundHalfEven(i * band);
        for (int p = start; p < std::min(start + length, extent); ++p)
            rows[static_cast<std::size_t>(p)] = color;
    }
    return rows;
}

TEST(GaugeArithmetic, BlockShadingIsTheSameForAnyNumberOfSteps) {
    // Each block: the edge colour to the block colour over the upper (left)
    // half, back over the lower (right) half.
    constexpr TColor color = RGB(0, 255, 0), edge = RGB(225, 255, 225);
    for (const TGaugeOrientation orientation : {goHorizontal, goVertical})
        for (const int thickness : {18, 9, 40})
            for (const int steps : {-3, 0, 1, 2, 3, 7, 20, 64, 1000000}) {
                SCOPED_TRACE(std::to_string(steps) + " steps, thickness " +
                             std::to_string(thickness) +
                             (orientation == goHorizontal ? " horizontal" : " vertical"));
                TGaugeSettings s = Flat(100);
                s.ShowGradient = true;
                s.Level3Color = color;
                s.Level3ColorTo = edge;
                s.Steps = steps;
                s.Orientation = orientation;
                const bool horizontal = orientation == goHorizontal;
                TBitmap bmp(horizontal ? 40 : thickness, horizontal ? thickness : 40);
                Draw(bmp, s);
                // Inside the frame, across the first block.
                const int inner = thickness - 4, half = inner / 2;
                std::vector<TColor> expected = BandsOneByOne(edge, color, steps, half);
                const std::vector<TColor> second = BandsOneByOne(color, edge, steps, inner - half);
                expected.insert(expected.end(), second.begin(), second.end());
                std::vector<TColor> drawn;
                for (int p = 0; p < inner; ++p) {
                    const TColor pixel =
                        horizontal ? PixelAt(bmp, 5, 2 + p) : PixelAt(bmp, 2 + p, bmp.Height() - 5);
                    // Negative steps paint no band: the background shows.
                    drawn.push_back(pixel == kBack ? clNone : pixel);
                }
                EXPECT_EQ(drawn, expected);
            }
}

TEST(GaugeArithmetic, VerticalSmoothAndStacked) {
    {
        SCOPED_TRACE("vertical segmented, fill 10 and 31");
        for (const auto& [position, tops] :
             std::vector<std::pair<int, std::vector<int>>>{{10, {93}}, {31, {93, 84, 75, 70}}}) {
            TBitmap bmp(18, 102);
            TGaugeSettings s = Flat(position);
            s.Orientation = goVertical;
            Draw(bmp, s);
            // Top rows of the blocks, from the bottom up.
            std::vector<int> found;
            for (int y = bmp.Height() - 1; y > 0; --y)
                if (PixelAt(bmp, 9, y) == kLevel[0] && PixelAt(bmp, 9, y - 1) != kLevel[0])
                    found.push_back(y);
            EXPECT_EQ(found, tops);
            EXPECT_EQ(PixelAt(bmp, 9, 99), kLevel[0]);
            EXPECT_EQ(PixelAt(bmp, 9, 100), kBack);
            EXPECT_EQ(PixelAt(bmp, 2, 99), kLevel[0]);
            EXPECT_EQ(PixelAt(bmp, 16, 99), kBack);
        }
    }
    {
        SCOPED_TRACE("smooth: one block to L + fill");
        TBitmap bmp(102, 18);
        TGaugeSettings s = Flat(50);
        s.CompletionSmooth = true;
        Draw(bmp, s);
        EXPECT_EQ(Runs(bmp, 9, kLevel[0]), (std::vector<std::pair<int, int>>{{2, 49}}));
    }
    {
        SCOPED_TRACE("stacked at 100 %: sections of 70, 20 and the rest");
        TBitmap bmp(102, 18);
        TGaugeSettings s = Flat(100);
        s.Stacked = true;
        Draw(bmp, s);
        for (int y : {1, 9, 16}) {
            EXPECT_EQ(Runs(bmp, y, kLevel[0]), (std::vector<std::pair<int, int>>{{2, 69}}));
            EXPECT_EQ(Runs(bmp, y, kLevel[1]), (std::vector<std::pair<int, int>>{{70, 89}}));
            EXPECT_EQ(Runs(bmp, y, kLevel[2]), (std::vector<std::pair<int, int>>{{90, 99}}));
        }
        EXPECT_EQ(Runs(bmp, 9, kLevel[3]).size(), 0u) << "level 3 is not used stacked";
    }
    {
        SCOPED_TRACE("stacked at 80 %: two sections");
        TBitmap bmp(102, 18);
        TGaugeSettings s = Flat(80);
        s.Stacked = true;
        Draw(bmp, s);
        EXPECT_EQ(Runs(bmp, 9, kLevel[0]), (std::vector<std::pair<int, int>>{{2, 69}}));
        EXPECT_EQ(Runs(bmp, 9, kLevel[1]), (std::vector<std::pair<int, int>>{{70, 79}}));
        EXPECT_EQ(Runs(bmp, 9, kLevel[2]).size(), 0u);
    }
}

TEST(GaugeArithmetic, InfiniteWindow) {
    struct {
        int pos;
        std::pair<int, int> visible;
    } const cases[] = {
        // w = 201: N = Round(pos / 100 * 197).
        {0, {2, 11}},      // only the 10 pixels after the left inner edge
        {100, {187, 198}}, // only the 12 pixels before the right inner edge
        {50, {88, 109}},   // N = 98 (98.5 to even): 22 pixels from N - 10
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pos);
        TBitmap bmp(201, 18);
        TGaugeSettings s = Flat(30);
        s.Infinite = true;
        s.InfinitePos = c.pos;
        Draw(bmp, s);
        // Endless: the full bar in level 0 colours (the levels start at 101),
        // cut down to the window.
        const auto row = Runs(bmp, 9, kLevel[0]);
        ASSERT_FALSE(row.empty());
        EXPECT_GE(row.front().first, c.visible.first);
        EXPECT_LE(row.back().second, c.visible.second);
        // Everything in the window that is a block stays: the first and last
        // block pixels inside it are still there.
        TBitmap full(201, 18);
        TGaugeSettings whole = Flat(100);
        Draw(full, whole);
        for (int x = 0; x < 201; ++x) {
            const bool inWindow = x >= c.visible.first && x <= c.visible.second;
            EXPECT_EQ(PixelAt(bmp, x, 9) == kLevel[0], inWindow && PixelAt(full, x, 9) == kLevel[3])
                << "x " << x;
        }
    }
}

TEST(GaugeArithmetic, MainWindowBlocksAreLimeOnTheFirstLineOfTheLowerHalf) {
    TGaugeSettings s = Flat(40);
    s.ShowGradient = true;
    s.Level0Color = clLime;
    s.Level0ColorTo = 14811105;
    TBitmap bmp(201, 18);
    Draw(bmp, s);
    // Block rows 2..15; the lower half starts at 2 + 14 / 2 = 9. Twenty bands
    // on seven rows overlap, so each row shows the last band that reaches it.
    EXPECT_TRUE(Near(PixelAt(bmp, 5, 9), clLime, 16));
    EXPECT_TRUE(Near(PixelAt(bmp, 5, 2), 14811105, 16));
    EXPECT_TRUE(Near(PixelAt(bmp, 5, 15), 14811105, 40));
    // Lime in the middle, paler towards both edges.
    for (int y = 3; y <= 8; ++y)
        EXPECT_LT(GetRValue(PixelAt(bmp, 5, y)), GetRValue(PixelAt(bmp, 5, y - 1))) << y;
    for (int y = 10; y <= 15; ++y)
        EXPECT_GT(GetRValue(PixelAt(bmp, 5, y)), GetRValue(PixelAt(bmp, 5, y - 1))) << y;
    EXPECT_LT(GetRValue(PixelAt(bmp, 5, 9)), GetRValue(PixelAt(bmp, 5, 8)));
    EXPECT_EQ(GetGValue(PixelAt(bmp, 5, 9)), 255);
}

TEST(GaugeText, PercentagePositionAndFormat) {
    struct {
        const char* format;
        bool showPercentage;
        std::string text;
    } const cases[] = {
        {"", true, "38%"},
        {"", false, "30"},
        {"%d of %d", true, "30 of 80"},
        {"%d%%", false, "30%"},
        {"%i", true, "30"},
        {"[%-4d|%03d]", true, "[30  |080]"},
        {"100%%", true, "100%"},
        // Anything that could read another argument type or past the two.
        {"%s", true, "38%"},
        {"%d %d %d", true, "38%"},
        {"%n", true, "38%"},
        {"%5.1f", true, "38%"},
        {"%x", true, "38%"},
        {"%*d", true, "38%"},
        {"%ld", true, "38%"},
        {"50%", true, "38%"},
        {"%123d", true, "38%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        TGaugeSettings s = Flat(30, 80);
        s.ShowPercentage = c.showPercentage;
        s.Format = c.format;
        EXPECT_EQ(GaugeText(s), c.text);
    }
    // A negative figure: the sign stays in front of the zeros.
    const std::pair<const char*, const char*> negatives[] = {
        {"[%04d]", "[-007]"}, {"[%-4d|%d]", "[-7  |80]"}, {"[%4d]", "[  -7]"}, {"[%1d]", "[-7]"}};
    for (const auto& [format, text] : negatives) {
        TGaugeSettings s = Flat(-7, 80);
        s.Format = format;
        EXPECT_EQ(GaugeText(s), text) << format;
    }
}

TEST(GaugeArithmetic, PercentageRoundsHalfToEven) {
    EXPECT_EQ(GaugePercentage(1, 0, 8), 12); // 12.5
    EXPECT_EQ(GaugePercentage(3, 0, 8), 38); // 37.5
    EXPECT_EQ(GaugePercentage(5, 5, 5), 0);  // Max = Min
    EXPECT_EQ(GaugePercentage(60, 50, 150), 60) << "Min is not subtracted from Position";
}

class ProgressBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App = FreshApplication();
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBorderStyle(TFormBorderStyle::bsNone);
        Form->SetBounds(100, 100, 260, 80);
        Form->SetColor(kParent);
        Bar = new TAdvProgressBar(Form.get());
        Bar->SetBounds(20, 30, 201, 18);
        Bar->SetParent(Form.get());
        Form->Show();
    }
    TBitmap& Shot() {
        Picture.SetSize(Form->Width(), Form->Height());
        Form->PaintTo(Picture.Canvas());
        return Picture;
    }
    std::unique_ptr<TApplication> App;
    std::unique_ptr<TForm> Form;
    TAdvProgressBar* Bar = nullptr;
    TBitmap Picture;
};

TEST_F(ProgressBarTest, DefaultsAndRoundedCornersShowTheParent) {
    EXPECT_EQ(Bar->Position(), 50);
    EXPECT_EQ(Bar->Font.Name(), "Verdana");
    EXPECT_EQ(Bar->InfiniteInterval(), 50u);
    EXPECT_EQ(Bar->Steps(), 20);
    TAdvProgressBar fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 128);
    EXPECT_EQ(fresh.Height(), 18);

    TBitmap& shot = Shot();
    EXPECT_EQ(PixelAt(shot, 20, 30), kParent);
    EXPECT_EQ(PixelAt(shot, 220, 30), kParent);
    EXPECT_EQ(PixelAt(shot, 20, 47), kParent);
    EXPECT_EQ(PixelAt(shot, 220, 47), kParent);
    EXPECT_EQ(PixelAt(shot, 20, 39), TColor(0x808080)) << "frame";
    EXPECT_EQ(PixelAt(shot, 21, 39), TColor(0xFFFFFF)) << "inside";

    Bar->SetRounded(false);
    TBitmap& square = Shot();
    EXPECT_EQ(PixelAt(square, 20, 30), TColor(0x808080));
}

TEST_F(ProgressBarTest, PositionRepaintsAtOnceOtherSettersWaitForThePaint) {
    UpdateWindow(Form->Handle());
    RECT pending;
    Bar->SetMax(200);
    EXPECT_TRUE(GetUpdateRect(Form->Handle(), &pending, FALSE));
    Bar->SetPosition(10);
    EXPECT_FALSE(GetUpdateRect(Form->Handle(), &pending, FALSE));
}

TEST_F(ProgressBarTest, TimerRunsOnlyWhileVisibleEndlessAndAnimated) {
    struct {
        bool visible, infinite, animated, running;
    } const cases[] = {
        {true, true, true, true},   {false, true, true, false},   {true, false, true, false},
        {true, true, false, false}, {false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.visible << c.infinite << c.animated);
        // Set in the order the main window stores them: Animated before Infinite.
        Bar->SetVisible(c.visible);
        Bar->SetAnimated(c.animated);
        Bar->SetInfinite(c.infinite);
        EXPECT_EQ(Bar->TimerRunning(), c.running);
        // Back to a stopped bar, whatever the order.
        Bar->SetInfinite(false);
        Bar->SetAnimated(false);
        EXPECT_FALSE(Bar->TimerRunning());
    }
    Bar->Hide();
    Bar->SetAnimated(true);
    Bar->SetInfinite(true);
    EXPECT_FALSE(Bar->TimerRunning());
    Bar->Show();
    EXPECT_TRUE(Bar->TimerRunning());
    Bar->Hide();
    EXPECT_FALSE(Bar->TimerRunning());
}

TEST_F(ProgressBarTest, InfiniteTicksBounceEndToEndIn25Ticks) {
    Bar->SetInfinite(true);
    EXPECT_EQ(Bar->InfinitePos(), 0);
    Bar->InfiniteTick();
    EXPECT_EQ(Bar->InfinitePos(), 0) << "the first tick turns forward";
    std::vector<int> positions;
    for (int i = 0; i < 26; ++i) {
        Bar->InfiniteTick();
        positions.push_back(Bar->InfinitePos());
    }
    EXPECT_EQ(positions[0], 4);
    EXPECT_EQ(positions[24], 100) << "25 ticks from one end to the other";
    EXPECT_EQ(positions[25], 96);
    // Switching Infinite on again starts the window over at the left.
    Bar->SetInfinite(false);
    Bar->SetInfinite(true);
    EXPECT_EQ(Bar->InfinitePos(), 0);
}

TEST_F(ProgressBarTest, TextIsCentredInTheBarFont) {
    Bar->SetBackgroundColor(clWhite);
    Bar->SetPosition(0);
    Bar->Font.SetColor(clBlack);
    TBitmap& shot = Shot();
    // Centred text: dark pixels lie in a box as wide as the measured text.
    const TGaugeSettings s = Bar->Settings();
    TBitmap measure(10, 10);
    measure.Canvas().Font = s.Font;
    const SIZE size = measure.Canvas().TextExtent("0%");
    int minX = 1000, maxX = -1;
    for (int y = 31; y < 47; ++y)
        for (int x = 24; x < 217; ++x)
            if (GetRValue(PixelAt(shot, x, y)) < 128) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    ASSERT_GE(maxX, minX) << "no text drawn";
    const int left = 20 + 201 / 2 - size.cx / 2;
    EXPECT_GE(minX, left);
    EXPECT_LE(maxX, left + size.cx);
}

} // namespace
