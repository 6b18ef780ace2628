#include "HtmlTestSupport.h"

#include "framework/Controls.h"

#include <shellapi.h>

#include <cstdint>
#include <cstdio>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

class PictureTest : public THtmlCanvasTest {
  protected:
    void TearDown() override {
        for (const std::string& path : FFiles)
            std::remove(path.c_str());
    }
    std::string File(const std::string& name, const std::string& bytes) {
        const std::string path = TempFilePath(name);
        WriteBytes(path, bytes);
        FFiles.push_back(path);
        return path;
    }

  private:
    std::vector<std::string> FFiles;
};

TEST_F(PictureTest, BitmapBytesDecodeToTheirSize) {
    THTMLPicture picture;
    picture.LoadFromBytes(BmpFile(5, 3, kBlue));
    ASSERT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(picture.Height(), 3);
    EXPECT_EQ(picture.FrameCount(), 0);
    picture.DrawAt(Canvas, 20, 10);
    EXPECT_EQ(CountColor(kWhole, kBlue), 15);
    EXPECT_EQ(Pixel(20, 10), kBlue);
    EXPECT_EQ(Pixel(24, 12), kBlue);

    // Stretch draws into the rectangle, otherwise the natural size at its corner.
    Clear();
    picture.Stretch = true;
    picture.Draw(Canvas, MakeRect(0, 0, 10, 6));
    EXPECT_EQ(CountColor(kWhole, kBlue), 60);
}

TEST_F(PictureTest, PicturesThatCannotLoadStayEmpty) {
    THTMLPicture picture;
    EXPECT_THROW(picture.LoadFromBytes("not a picture at all"), EPictureError);
    EXPECT_TRUE(picture.Empty());
    try {
        picture.LoadFromBytes("");
        ADD_FAILURE() << "empty bytes loaded";
    } catch (const EPictureError& e) {
        EXPECT_STREQ(e.what(), "Empty image stream created");
    }

    struct {
        std::string Url;
        bool Loads;
    } cases[] = {
        {"FILE://" + File("good.bmp", BmpFile(2, 2, kRed)), true},
        {"file://" + File("good2.bmp", BmpFile(2, 2, kRed)), true},
        {"FILE://" + File("broken.bmp", "BM this is no bitmap"), false},
        {"FILE://" + TempFilePath("missing.bmp"), false},
        {"RES://NO_SUCH_RESOURCE", false},
        // Other schemes are only recorded; nothing is downloaded.
        {"http://example.invalid/p.gif", false},
    };
    for (const auto& c : cases) {
        THTMLPicture loaded;
        loaded.LoadFromURL(c.Url);
        EXPECT_EQ(loaded.URL(), c.Url);
        EXPECT_EQ(!loaded.Empty(), c.Loads) << c.Url;
    }
}

// Bitmaps whose header or pixels are cut short or out of range stay empty,
// whatever the system's loader would make of them; a top-down one loads.
TEST_F(PictureTest, BitmapsWithoutAWholeHeaderAndPixelsStayEmpty) {
    const std::string good = BmpFile(4, 3, kRed); // rows of 12 bytes from 54 on
    auto with = [&good](std::size_t at, std::uint32_t value, int bytes = 4) {
        std::string changed = good;
        for (int i = 0; i < bytes; ++i)
            changed[at + i] = static_cast<char>(value >> 8 * i & 0xFF);
        return changed;
    };
    const struct {
        const char* Name;
        std::string Bytes;
    } broken[] = {
        {"text after BM", "BM this is no bitmap"},
        {"file header only", good.substr(0, 14)},
        {"info header only", good.substr(0, 54)},
        {"last row cut", good.substr(0, good.size() - 1)},
        {"header size 20", with(14, 20)},
        {"header past the end", with(14, 4000)},
        {"width 0", with(18, 0)},
        {"negative width", with(18, 0xFFFFFFFCu)},
        {"height 0", with(22, 0)},
        {"more rows than bytes", with(22, 0x7FFFFFFF)},
        {"row wider than the file", with(18, 0x7FFFFFFF)},
        {"two planes", with(26, 2, 2)},
        {"7 bits per pixel", with(28, 7, 2)},
        {"pixels inside the header", with(10, 20)},
        {"pixels past the end", with(10, 200)},
    };
    for (const auto& c : broken) {
        THTMLPicture picture;
        EXPECT_THROW(picture.LoadFromBytes(c.Bytes), EPictureError) << c.Name;
        EXPECT_TRUE(picture.Empty()) << c.Name;
    }

    THTMLPicture topDown;
    topDown.LoadFromBytes(with(22, static_cast<std::uint32_t>(-3)));
    ASSERT_FALSE(topDown.Empty());
    EXPECT_EQ(topDown.Width(), 4);
    EXPECT_EQ(topDown.Height(), 3);
}

TEST_F(PictureTest, GifFramesHaveDelaysPositionsAndShowOneAtATime) {
    const std::string gif =
        GifFile(10, 8, {kRed, kGreen, kBlue, kWhite}, {{0, 0, 10, 8, 20, 0}, {2, 3, 4, 2, 50, 1}});
    THTMLPicture picture;
    picture.LoadFromBytes(gif);
    ASSERT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), 10);
    EXPECT_EQ(picture.Height(), 8);
    ASSERT_EQ(picture.FrameCount(), 2);
    EXPECT_EQ(picture.Frames()[0].Delay, 20);
    EXPECT_EQ(picture.Frames()[1].Delay, 50);
    EXPECT_EQ(picture.Frames()[1].X, 2);
    EXPECT_EQ(picture.Frames()[1].Y, 3);

    picture.DrawAt(Canvas, 30, 20);
    EXPECT_EQ(CountColor(kWhole, kRed), 80);

    int changes = 0;
    picture.OnFrameChange = [&](THTMLPicture&) { ++changes; };
    picture.SetFrame(2);
    picture.SetFrame(2);
    picture.SetFrame(3); // past the last frame: ignored
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(picture.Frame(), 2);
    Clear();
    picture.DrawAt(Canvas, 30, 20);
    EXPECT_EQ(CountColor(kWhole, kGreen), 8);
    EXPECT_EQ(Pixel(32, 23), kGreen);
    EXPECT_EQ(Pixel(35, 24), kGreen);
}

TEST_F(PictureTest, AnimationStepsFollowTheFrameDelays) {
    TPictureContainer container(nullptr);
    TPictureItem& item = container.Items.Add();
    item.Name = "anim";
    item.Picture.LoadFromBytes(
        GifFile(4, 4, {kRed, kGreen, kBlue, kWhite}, {{0, 0, 4, 4, 20, 0}, {0, 0, 4, 4, 30, 1}}));
    THTMLPictureCache cache;
    cache.Get("http://example.invalid/still"); // not animated, never moves

    // 100 ms ticks against the delays shown so far: 20, then 20 + 30, then + 20.
    const int frameAfterTick[] = {1, 2, 2, 2, 1, 1, 2};
    for (int tick = 0; tick < static_cast<int>(std::size(frameAfterTick)); ++tick) {
        const int before = item.Picture.Frame();
        const bool changed = AnimatePictures(&cache, &container);
        EXPECT_EQ(item.Picture.Frame(), frameAfterTick[tick]) << "tick " << tick + 1;
        EXPECT_EQ(changed, before != frameAfterTick[tick]) << "tick " << tick + 1;
    }
    EXPECT_FALSE(AnimatePictures(nullptr, nullptr));
}

TEST_F(PictureTest, ContainerFindsNamesCaseInsensitively) {
    TPictureContainer container(nullptr);
    container.Items.Add().Name = "Logo";
    TPictureItem& second = container.Items.Add();
    second.Name = "LOGO";
    container.Items.Add().Name = "Other";
    EXPECT_EQ(container.FindPicture("logo"), &container.Items.Items(0).Picture);
    EXPECT_EQ(container.FindPicture("none"), nullptr);
    container.Items.Delete(0);
    EXPECT_EQ(container.FindPicture("logo"), &second.Picture);
    EXPECT_THROW(container.Items.Delete(5), EListError);
    EXPECT_THROW(container.Items.Items(-1), EListError);
}

TEST_F(PictureTest, FilePictureUsedTwiceIsLoadedOnce) {
    const std::string path = File("shared.bmp", BmpFile(4, 4, kRed));
    const std::string markup = "<IMG src=\"FILE://" + path + "\">";
    THTMLPictureCache cache;
    Options.PictureCache = &cache;
    THtmlRenderResult result;
    Render(markup, MakeRect(0, 0, 200, 50), result);
    Render(markup, MakeRect(0, 60, 200, 110), result);
    ASSERT_EQ(cache.Count(), 1);
    EXPECT_EQ(CountColor(kWhole, kRed), 32);

    // The file changes, the cached picture does not: it was not read again.
    WriteBytes(path, BmpFile(4, 4, kGreen));
    Clear();
    Render(markup, MakeRect(0, 0, 200, 50), result);
    EXPECT_EQ(CountColor(kWhole, kRed), 16);
    EXPECT_EQ(cache.Count(), 1);

    // URLs match exactly: another spelling is another entry, loaded now.
    Clear();
    Render("<IMG src=\"file://" + path + "\">", MakeRect(0, 0, 200, 50), result);
    EXPECT_EQ(cache.Count(), 2);
    EXPECT_EQ(CountColor(kWhole, kGreen), 16);
}

struct TStretchCase {
    const char* Attributes;
    int Width, Height;
};

class StretchTest : public PictureTest, public ::testing::WithParamInterface<TStretchCase> {};

TEST_P(StretchTest, WidthAndHeightStretchOnlyTogether) {
    const TStretchCase& c = GetParam();
    TPictureContainer container(nullptr);
    TPictureItem& item = container.Items.Add();
    item.Name = "Pic";
    item.Picture.LoadFromBytes(BmpFile(4, 4, kBlue));
    Options.PictureContainer = &container;
    THtmlRenderResult result;
    Render(std::string("<IMG src=\"pic\"") + c.Attributes + ">", MakeRect(0, 0, 300, 100), result);
    EXPECT_EQ(CountColor(kWhole, kBlue), c.Width * c.Height);
    EXPECT_EQ(Pixel(1, 0), kBlue);
    EXPECT_EQ(result.ExtentX, c.Width + 2);
    EXPECT_EQ(result.ExtentY, std::max(Gh, c.Height));
}

INSTANTIATE_TEST_SUITE_P(Attributes, StretchTest,
                         ::testing::Values(TStretchCase{" width=\"20\" height=\"30\"", 20, 30},
                                           TStretchCase{" width=\"20\"", 4, 4},
                                           TStretchCase{" height=\"30\"", 4, 4},
                                           TStretchCase{" width=\"0\" height=\"30\"", 4, 4},
                                           TStretchCase{"", 4, 4}));

TEST_F(PictureTest, BrokenPictureFileIsNotDrawnAndDoesNotFail) {
    const std::string path = File("broken.gif", "GIF89a\x05\x00 truncated");
    THTMLPictureCache cache;
    Options.PictureCache = &cache;
    THtmlRenderResult result;
    EXPECT_NO_THROW(Render("<IMG src=\"file://" + path + "\">x", MakeRect(0, 0, 300, 100), result));
    EXPECT_EQ(result.ExtentY, Gh);
    EXPECT_EQ(result.ExtentX, Canvas.TextWidth("x") + 2);
    ASSERT_EQ(cache.Count(), 1);
    EXPECT_TRUE(cache.Items(0).Empty());
}

TEST_F(PictureTest, BodyGradientPaintsSixtyFourBands) {
    // Red 0 to 128: band i has red 2i and covers extent / 64 pixels.
    struct {
        const char* Dir;
        RECT Area;
        bool Horizontal;
    } cases[] = {{"", MakeRect(10, 20, 138, 60), true},
                 {" dir=\"h\"", MakeRect(0, 0, 192, 30), true},
                 {" dir=\"v\"", MakeRect(10, 0, 60, 64), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Dir);
        Clear();
        const RECT& r = c.Area;
        THtmlRenderResult result;
        Render(std::string("<BODY bgcolor=\"#000000\" bgcolorto=\"#800000\"") + c.Dir + ">", r,
               result);
        const int band = (c.Horizontal ? r.right - r.left : r.bottom - r.top) / 64;
        for (int i = 0; i < 64; ++i)
            for (int k = 0; k < band; ++k) {
                const int x = c.Horizontal ? r.left + band * i + k : r.left + 7;
                const int y = c.Horizontal ? r.top + 7 : r.top + band * i + k;
                ASSERT_EQ(Pixel(x, y), RGB(2 * i, 0, 0)) << "band " << i;
            }
        // The whole rectangle and nothing outside it.
        EXPECT_EQ(Str(InkBounds(kWhole)), Str(r));
    }
}

TEST_F(PictureTest, BodyBackgroundsTileAndSitInTheCorners) {
    TPictureContainer container(nullptr);
    TPictureItem& tile = container.Items.Add();
    tile.Name = "tile";
    tile.Picture.LoadFromBytes(BmpFile(3, 3, kBlue));
    TPictureItem& corner = container.Items.Add();
    corner.Name = "corner";
    corner.Picture.LoadFromBytes(BmpFile(2, 2, kRed));
    Options.PictureContainer = &container;
    const RECT r = MakeRect(10, 10, 30, 27);
    THtmlRenderResult result;
    Render("<BODY background=\"tile\" bgtopright=\"corner\">", r, result);
    EXPECT_EQ(CountColor(kWhole, kBlue), 20 * 17 - 4);
    EXPECT_EQ(CountColor(kWhole, kRed), 4);
    EXPECT_EQ(Pixel(28, 10), kRed);
    EXPECT_EQ(Str(InkBounds(kWhole)), Str(r));

    Clear();
    Options.Selected = true; // a selected item keeps its selection colours
    Render("<BODY background=\"tile\" bgcolor=\"#00FF00\">", r, result);
    EXPECT_EQ(Str(InkBounds(kWhole)), Str(RECT{}));
}

TEST_F(PictureTest, ShellIconsReserveTheirIconSize) {
    int small = 0, large = 0, height = 0;
    struct {
        const char* Source;
        int* Width;
    } cases[] = {
        {"ssys:0", &small},
        {"SSYS:C:\\", &small},
        {"lsys:C:\\", &large},
        // A file that does not exist is looked up by its type.
        {"ssys:C:\\no such folder\\letter.txt", &small},
    };
    SHFILEINFOA info{};
    auto list = [&](UINT size) {
        return reinterpret_cast<HIMAGELIST>(
            SHGetFileInfoA("x.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                           SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | size));
    };
    ImageList_GetIconSize(list(SHGFI_SMALLICON), &small, &height);
    ImageList_GetIconSize(list(SHGFI_LARGEICON), &large, &height);
    ASSERT_GT(small, 0);
    ASSERT_GT(large, small);
    for (const auto& c : cases) {
        Clear();
        THtmlRenderResult result;
        Render(std::string("<IMG src=\"") + c.Source + "\">", MakeRect(0, 0, 300, 100), result);
        EXPECT_EQ(result.ExtentX, *c.Width + 2) << c.Source;
        EXPECT_NE(Str(InkBounds(kWhole)), Str(RECT{})) << c.Source;
    }
}

} // namespace
