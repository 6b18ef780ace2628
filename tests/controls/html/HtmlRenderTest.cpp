#include "HtmlTestSupport.h"

#include "framework/Controls.h"

#include <algorithm>
#include <random>

namespace {

const RECT kArea = MakeRect(10, 5, 390, 115);

class RenderTest : public THtmlCanvasTest {
  protected:
    // A second bitmap in the same font, white, for what the system draws itself.
    std::unique_ptr<TBitmap> Expected() {
        auto bitmap = std::make_unique<TBitmap>(Bitmap.Width(), Bitmap.Height());
        TCanvas& canvas = bitmap->Canvas();
        canvas.Font.Assign(Canvas.Font);
        canvas.Brush.SetColor(clWhite);
        canvas.FillRect(kWhole);
        canvas.Brush.SetColor(clNone);
        return bitmap;
    }
    // The system's own text output of `pieces` side by side in `line`, each
    // starting where the measured ones before it end, as the renderer places
    // the text on either side of a tag. Within a piece Wine's glyphs advance
    // less than their measured widths, so a piece is one call, never its
    // words at their measured places.
    static void DrawPieces(TCanvas& canvas, const std::vector<std::string>& pieces, RECT line,
                           UINT flags) {
        for (const std::string& piece : pieces) {
            RECT measured = line;
            canvas.DrawText(piece, measured, flags | DT_CALCRECT);
            canvas.DrawText(piece, line, flags);
            line.left = measured.right;
        }
    }
    // A copy of what the bitmap shows now.
    std::unique_ptr<TBitmap> Snapshot() {
        auto bitmap = std::make_unique<TBitmap>(Bitmap.Width(), Bitmap.Height());
        BitBlt(bitmap->Canvas().Handle(), 0, 0, Bitmap.Width(), Bitmap.Height(), Canvas.Handle(), 0,
               0, SRCCOPY);
        return bitmap;
    }
    int Width(const std::string& text, TFontStyles style = 0) {
        const TFontStyles saved = Canvas.Font.Style();
        Canvas.Font.SetStyle(style);
        const int width = Canvas.TextWidth(text);
        Canvas.Font.SetStyle(saved);
        return width;
    }
};

TEST_F(RenderTest, EmptyTextDrawsNothingAndIsOneGhHigh) {
    THtmlRenderResult result;
    Options.HitX = 12;
    Options.HitY = 8;
    EXPECT_FALSE(Render("", kArea, result));
    EXPECT_EQ(result.ExtentY, Gh);
    EXPECT_EQ(result.ExtentX, 0);
    EXPECT_EQ(result.AnchorCount, 0);
    EXPECT_EQ(result.HitAnchorIndex, -1);
    EXPECT_EQ(Str(InkBounds(kWhole)), Str(RECT{}));
}

// Plain markup against the system's own single-line text output at the text
// origin (left + 1, top), bottom-aligned in a "gh" high line. The shown text
// is written as the pieces a line is drawn in, split by "|" where a tag
// stood: the text between two tags goes to the system in one piece, blanks
// and all.
struct TPlainCase {
    const char* Markup;
    const char* Shown;
    bool Prefix;
    // Rendered as names, without access keys (ShowAccelChar false).
    bool Names = false;
};

std::vector<std::string> SplitPieces(const std::string& shown) {
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    for (auto bar = shown.find('|'); bar != std::string::npos; bar = shown.find('|', start)) {
        pieces.push_back(shown.substr(start, bar - start));
        start = bar + 1;
    }
    pieces.push_back(shown.substr(start));
    return pieces;
}

class PlainTextTest : public RenderTest, public ::testing::WithParamInterface<TPlainCase> {};

TEST_P(PlainTextTest, DrawsLikeTheSystemText) {
    const TPlainCase& c = GetParam();
    Options.ShowAccelChar = !c.Names;
    THtmlRenderResult result;
    Render(c.Markup, kArea, result);
    EXPECT_EQ(result.ExtentY, Gh);

    auto expected = Expected();
    RECT line = MakeRect(kArea.left + 1, kArea.top, kArea.right, kArea.top + Gh);
    DrawPieces(expected->Canvas(), SplitPieces(c.Shown), line,
               DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS |
                   (c.Prefix ? 0u : static_cast<UINT>(DT_NOPREFIX)));
    EXPECT_TRUE(SameArea(Bitmap, *expected, kWhole)) << c.Markup;
}

INSTANTIATE_TEST_SUITE_P(
    Markup, PlainTextTest,
    ::testing::Values(
        // A lone "&" underlines the next character unless " & " occurs.
        TPlainCase{"a&b", "a&b", true}, TPlainCase{"a & b", "a & b", false},
        TPlainCase{"&amp;", "&&", true}, TPlainCase{"&amp; & x", "&& & x", false},
        // Sweeps repeat until nothing changes.
        TPlainCase{"&amp;amp; & x", "&&& & x", false}, TPlainCase{"&permil;", "\x89", true},
        TPlainCase{"&amp;permil; & x", "&\x89 & x", false},
        TPlainCase{"&PerMil; & x", "\x89 & x", false},
        TPlainCase{"&sect;&reg;&copy;&para;&trade;&euro;", "\xA7\xAE\xA9\xB6\x99\x80", true},
        TPlainCase{"&quot;q&quot;", "\"q\"", true},
        // Decoded per piece, so never read as a tag.
        TPlainCase{"&lt;B&gt;", "<B>", true}, TPlainCase{"x&nbsp;y", "x y", true},
        // A "<" near the end goes with what follows it.
        TPlainCase{"ab<", "ab", true}, TPlainCase{"ab<c", "ab", true},
        TPlainCase{"ab<cd", "ab", true}, TPlainCase{"</B", "", true},
        TPlainCase{"a<Q>b", "a|b", true}, TPlainCase{"a<#b>c", "a#bc", true},
        TPlainCase{"a\nb", "ab", true}, TPlainCase{"a\tb", "a\tb", true},
        TPlainCase{"<Z>gone</Z>kept", "kept", true}, TPlainCase{"kept<Z>gone", "kept", true},
        TPlainCase{"C:\\Programme\\Korvandel\\Settings.prp",
                   "C:\\Programme\\Korvandel\\Settings.prp", true},
        // Names show every ampersand as it is; "&amp;" is one.
        TPlainCase{"M\xFCller&S\xF6hne.txt", "M\xFCller&S\xF6hne.txt", false, true},
        TPlainCase{"R&D Bericht.doc", "R&D Bericht.doc", false, true},
        TPlainCase{"Tom && Jerry.txt", "Tom && Jerry.txt", false, true},
        TPlainCase{"&&&x&", "&&&x&", false, true}, TPlainCase{"R&amp;D", "R&D", false, true},
        TPlainCase{"&amp; & x", "& & x", false, true},
        TPlainCase{"C:\\A&B\\v1.2..final...txt", "C:\\A&B\\v1.2..final...txt", false, true}));

// The entity rule as written for the markup: each sweep replaces the first
// occurrence (any case) of every entity, until a sweep changes nothing.
std::string SweepEntities(std::string text) {
    const std::pair<std::string, std::string> entities[] = {
        {"&amp;", "&&"},      {"&quot;", "\""},    {"&sect;", "\xA7"},
        {"&permil;", "\x89"}, {"&reg;", "\xAE"},   {"&copy;", "\xA9"},
        {"&para;", "\xB6"},   {"&trade;", "\x99"}, {"&euro;", "\x80"}};
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) {
            return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        });
        return s;
    };
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto& [name, with] : entities)
            if (const std::size_t at = lower(text).find(name); at != std::string::npos) {
                text.replace(at, name.size(), with);
                changed = true;
            }
    }
    return text;
}

// Random runs of entity fragments, many forming new entities once their
// neighbours are replaced, show what the sweeps leave; a piece then decodes
// the lower-case "&nbsp;", "&lt;" and "&gt;".
TEST_F(RenderTest, EntitiesEndAsRepeatedSweepsLeaveThem) {
    const char* fragments[] = {"&",      "&",     "&",       ";",     "amp",   "AmP;",  "amp;",
                               "&amp",   "quot;", "permil;", "sect;", "reg;",  "copy;", "para;",
                               "trade;", "euro;", "lt;",     "gt;",   "nbsp;", "x"};
    std::mt19937 random(4711);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (int n = 1 + static_cast<int>(random() % 12); n > 0; --n)
            text += fragments[random() % std::size(fragments)];
        std::string shown = SweepEntities(text);
        for (const auto& [entity, plain] :
             {std::pair<std::string, std::string>{"&nbsp;", " "}, {"&lt;", "<"}, {"&gt;", ">"}})
            for (std::size_t at = shown.find(entity); at != std::string::npos;
                 at = shown.find(entity, at + 1))
                shown.replace(at, entity.size(), plain);

        Clear();
        THtmlRenderResult result;
        Render(text, kArea, result);
        auto expected = Expected();
        RECT line = MakeRect(kArea.left + 1, kArea.top, kArea.right, kArea.top + Gh);
        expected->Canvas().DrawText(shown, line, DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS);
        ASSERT_TRUE(SameArea(Bitmap, *expected, kWhole)) << text << " shows as " << shown;
    }
}

// The lines a word without blanks takes: the longest start that fits `room`
// (`firstRoom` on the first line) and ends after a "\" or "/", or, where none
// does, the longest start that fits at all.
std::vector<std::string> PathLines(TCanvas& canvas, std::string text, int firstRoom, int room) {
    std::vector<std::string> lines;
    for (int r = firstRoom; !text.empty(); r = room) {
        std::size_t n = canvas.TextWidth(text) <= r ? text.size() : 0;
        for (std::size_t i = 0; n < text.size() && i < text.size(); ++i)
            if ((text[i] == '\\' || text[i] == '/') && canvas.TextWidth(text.substr(0, i + 1)) <= r)
                n = i + 1;
        if (n == 0)
            for (n = 1; n < text.size() && canvas.TextWidth(text.substr(0, n + 1)) <= r;)
                ++n;
        lines.push_back(text.substr(0, n));
        text.erase(0, n);
    }
    return lines;
}

TEST_F(RenderTest, AWordWiderThanTheLineBreaksAfterAPathDelimiterOrElseAtTheEdge) {
    const RECT narrow = MakeRect(10, 5, 130, 115);
    const int room = narrow.right - (narrow.left + 1);
    const std::string path = "C:\\Dokumente\\Projekte\\2026\\Unterlagen\\Antrag.txt";
    const std::string longPart = "C:\\Daten\\Ein-sehr-langer-Ordnername-ohne-Ende\\Datei.txt";
    const std::string marker = "<IMG src=\"idx:0\"> ";
    ASSERT_GT(Width(path), room);
    ASSERT_GT(Width("Ein-sehr-langer-Ordnername-ohne-Ende\\"), room);
    Options.Images = Images.get();
    // Image, blank, then the text, all on the bottom of the image.
    const int image = std::max(16, Gh);
    const int afterImage = 16 + Width(" ");
    struct {
        const char* name;
        std::string text;
        bool wrap;
        std::string word;   // what breaks over the lines
        bool marked, after; // behind the image, after the word "Datei "
    } const cases[] = {
        {"a path breaks after its delimiters", path, true, path, false, false},
        {"forward slashes too", "C:/Dokumente/Projekte/2026/Unterlagen/Antrag.txt", true,
         "C:/Dokumente/Projekte/2026/Unterlagen/Antrag.txt", false, false},
        {"a part wider than the line breaks inside", longPart, true, longPart, false, false},
        {"after other words it starts the next line", "Datei " + path, true, path, false, true},
        {"behind the image", marker + path, true, path, true, false},
        {"one row: ended with an ellipsis", path, false, path, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Clear();
        Options.WordWrap = c.wrap;
        THtmlRenderResult result;
        Render(c.text, narrow, result);

        auto expected = Expected();
        TCanvas& e = expected->Canvas();
        const int left = narrow.left + 1;
        int top = narrow.top;
        std::vector<std::string> lines;
        if (!c.wrap) {
            RECT line = MakeRect(left, top, narrow.right, top + Gh);
            e.DrawText(path, line, DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS | DT_END_ELLIPSIS);
            top += Gh;
        } else if (c.marked) {
            lines = PathLines(Canvas, c.word, room - afterImage, room);
            ImageList_Draw(Images->Handle(), 0, e.Handle(), left, top, ILD_NORMAL);
            e.TextOut(left + 16, top + image - Gh, " " + lines[0]);
            lines.erase(lines.begin());
            top += image;
        } else {
            lines = PathLines(Canvas, c.word, room, room);
            if (c.after)
                lines.insert(lines.begin(), "Datei ");
        }
        if (c.wrap && c.word == path) {
            // The rule breaks after delimiters where the parts allow it.
            for (std::size_t i = c.after ? 1 : 0; i + 1 < lines.size(); ++i)
                EXPECT_EQ(lines[i].back(), '\\') << lines[i];
        }
        for (const std::string& line : lines) {
            e.TextOut(left, top, line);
            top += Gh;
        }
        EXPECT_EQ(result.ExtentY, top - narrow.top);
        EXPECT_TRUE(SameArea(Bitmap, *expected, kWhole));
        EXPECT_LE(InkBounds(kWhole).right, narrow.right);
    }
}

// A name that fits a line of its own but not the rest of a line moves to the
// next line whole; one wider than any line is broken where it passes the edge.
TEST_F(RenderTest, ANameIsBrokenOnlyWhereItIsWiderThanALine) {
    const RECT narrow = MakeRect(10, 5, 130, 115);
    const int room = narrow.right - (narrow.left + 1);
    const int afterImage = 16 + Width(" ");
    std::string fits = "Bericht";
    while (Width(fits) <= room - afterImage)
        fits += 'x';
    ASSERT_LE(Width(fits), room - 8) << "a name that fits a line of its own";
    std::string wide = fits;
    while (Width(wide) <= room)
        wide += 'y';
    Options.Images = Images.get();
    const int image = std::max(16, Gh);
    for (const auto& [name, lines] :
         {std::pair{fits, std::vector<std::string>{"", fits}},
          std::pair{wide, PathLines(Canvas, wide, room - afterImage, room)}}) {
        SCOPED_TRACE(name);
        Clear();
        THtmlRenderResult result;
        Render("<IMG src=\"idx:0\"> " + name, narrow, result);
        auto expected = Expected();
        TCanvas& e = expected->Canvas();
        // Each line as the system draws it, clipped at the right edge.
        const auto line = [&](int x, int bottom, const std::string& text) {
            RECT r = MakeRect(x, bottom - Gh, narrow.right, bottom);
            e.DrawText(text, r, DT_SINGLELINE | DT_BOTTOM);
        };
        const int left = narrow.left + 1;
        ImageList_Draw(Images->Handle(), 0, e.Handle(), left, narrow.top, ILD_NORMAL);
        line(left + 16, narrow.top + image, " " + lines[0]);
        int top = narrow.top + image;
        for (std::size_t i = 1; i < lines.size(); ++i, top += Gh)
            line(left, top + Gh, lines[i]);
        EXPECT_EQ(result.ExtentY, top - narrow.top);
        EXPECT_TRUE(SameArea(Bitmap, *expected, kWhole));
    }
}

// The failure marker of the main window and its image placements.
struct TImageCase {
    const char* Markup;
    bool UseImages;
    bool ImageShown;
    // Line height and the text's top, from the measured "gh" height.
    int (*LineHeight)(int gh);
    int (*TextTop)(int gh);
};

int ImageLine(int gh) {
    return std::max(16, gh);
}

class ImagePlacementTest : public RenderTest, public ::testing::WithParamInterface<TImageCase> {};

TEST_P(ImagePlacementTest, PlacesImageAndText) {
    const TImageCase& c = GetParam();
    Options.Images = c.UseImages ? Images.get() : nullptr;
    THtmlRenderResult result;
    Render(c.Markup, kArea, result);
    EXPECT_EQ(result.ExtentY, c.LineHeight(Gh));

    const int left = kArea.left + 1, top = kArea.top;
    if (c.ImageShown) {
        EXPECT_EQ(CountColor(kWhole, kImageRed), 256);
        EXPECT_EQ(Pixel(left, top), kImageRed);
        EXPECT_EQ(Pixel(left + 15, top + 15), kImageRed);
    } else {
        EXPECT_EQ(CountColor(kWhole, kImageRed), 0);
    }
    // The blank after the tag is a piece of its own and gives the gap.
    const int textLeft = left + (c.ImageShown ? 16 : 0);
    auto expected = Expected();
    expected->Canvas().TextOut(textLeft, top + c.TextTop(Gh), " C:\\x");
    EXPECT_TRUE(SameArea(Bitmap, *expected, MakeRect(textLeft, 0, 400, 120)));
    EXPECT_EQ(result.ExtentX, textLeft - left + Width(" C:\\x") + 2);
}

INSTANTIATE_TEST_SUITE_P(
    Marker, ImagePlacementTest,
    ::testing::Values(
        // Text sits on the bottom of the image.
        TImageCase{"<IMG src=\"idx:0\"> C:\\x", true, true, ImageLine,
                   [](int gh) { return ImageLine(gh) - gh; }},
        TImageCase{"<IMG src=\"idx:0\" align=\"top\"> C:\\x", true, true, ImageLine,
                   [](int) { return 0; }},
        TImageCase{"<IMG src=\"idx:0\" align=\"middle\"> C:\\x", true, true, ImageLine,
                   [](int gh) { return ImageLine(gh) - gh - (ImageLine(gh) - gh) / 2; }},
        TImageCase{"<IMG src=\"idx:0\" wrap> C:\\x", true, true, [](int gh) { return gh; },
                   [](int) { return 0; }},
        // An index past the list, or no list: nothing reserved, nothing drawn.
        TImageCase{"<IMG src=\"idx:1\"> C:\\x", true, false, [](int gh) { return gh; },
                   [](int) { return 0; }},
        TImageCase{"<IMG src=\"idx:0\"> C:\\x", false, false, [](int gh) { return gh; },
                   [](int) { return 0; }}));

TEST_F(RenderTest, ImageThatDoesNotFitStartsTheNextLine) {
    Options.Images = Images.get();
    const int word = Width("abc ");
    // Room for the word and a few pixels, not for the image after it.
    const RECT r = MakeRect(0, 0, 1 + word + 8, 200);
    THtmlRenderResult result;
    Render("abc <IMG src=\"idx:0\">x", r, result);
    EXPECT_EQ(result.ExtentY, Gh + ImageLine(Gh));
    EXPECT_EQ(Pixel(1, Gh), kImageRed);
    EXPECT_EQ(Pixel(1, Gh - 1), kWhite);
}

struct TExtentCase {
    const char* Markup;
    int Lines;
    int QuarterExtras;
};

class LineCountTest : public RenderTest, public ::testing::WithParamInterface<TExtentCase> {};

TEST_P(LineCountTest, ExtentYCountsLines) {
    const TExtentCase& c = GetParam();
    EXPECT_EQ(Measure(c.Markup).ExtentY, c.Lines * Gh + c.QuarterExtras * (Gh / 4)) << c.Markup;
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, LineCountTest,
    ::testing::Values(TExtentCase{"a<BR>b", 2, 0}, TExtentCase{"a<br>b<Br>c", 3, 0},
                      TExtentCase{"a\r\nb", 2, 0}, TExtentCase{"a<B>b</B>", 1, 0},
                      TExtentCase{"a<BLINK>b</BLINK>", 1, 0}, TExtentCase{"a<HR>b", 2, 0},
                      TExtentCase{"<P>a</P>b", 2, 0}, TExtentCase{"a<P align=\"right\">b", 1, 0},
                      TExtentCase{"<UL><LI>a</LI><LI>b</LI></UL>", 4, 0},
                      TExtentCase{"<LI>a<LI>b", 2, 0}, TExtentCase{"a<SUB>b</SUB>", 1, 1},
                      TExtentCase{"a<SUP>b</SUP>", 1, 1},
                      TExtentCase{"<SUP>a</SUP><SUB>b</SUB>", 1, 2}, TExtentCase{"<SUBX>a", 1, 0},
                      TExtentCase{"<Z>a<BR></Z>b", 2, 0}));

TEST_F(RenderTest, SubscriptSitsAQuarterLower) {
    THtmlRenderResult result;
    Render("x", kArea, result);
    const RECT plain = InkBounds(kWhole);
    Clear();
    Render("<SUB>x</SUB>", kArea, result);
    const RECT lowered = InkBounds(kWhole);
    EXPECT_EQ(lowered.bottom - plain.bottom, Gh / 4);
    EXPECT_EQ(lowered.left, plain.left);
}

TEST_F(RenderTest, WrapsAtBlanksButKeepsGluedWords) {
    const int room = 1 + Width("aaa bbb ") + 1;
    const RECT r = MakeRect(0, 0, room, 200);
    struct {
        const char* Markup;
        int Spacing;
        int Height;
    } cases[] = {
        {"aaa bbb ccc", 0, 2 * Gh},
        {"aaa bbb ccc", 3, 2 * (Gh + 3)},
        // "ccc" continues "bbb" without a blank, so it stays on the line.
        {"aaa bbb<B>ccc</B>", 0, Gh},
        {"aaa bbb ccc ddd eee fff", 0, 3 * Gh},
    };
    for (const auto& c : cases) {
        Options.LineSpacing = c.Spacing;
        THtmlRenderResult result;
        Clear();
        Render(c.Markup, r, result);
        EXPECT_EQ(result.ExtentY, c.Height) << c.Markup;
    }
    Options.LineSpacing = 0;
    THtmlRenderResult result;
    Render("aaa bbb ccc", r, result);
    EXPECT_EQ(result.ExtentX, Width("aaa bbb") + 2);
}

TEST_F(RenderTest, LinesBelowTheRectangleAreLeftOut) {
    const RECT r = MakeRect(0, 0, 300, 2 * Gh);
    THtmlRenderResult result;
    Render("a<BR>b<BR>c", r, result);
    EXPECT_EQ(result.ExtentY, 2 * Gh);
    EXPECT_EQ(Str(InkBounds(MakeRect(0, 2 * Gh, 400, 120))), Str(RECT{}));
    EXPECT_EQ(Measure("a<BR>b<BR>c").ExtentY, 3 * Gh);
}

// Measuring, hit-testing and drawing stack the lines alike, with the line
// spacing added to every line.
TEST_F(RenderTest, EveryModeAdvancesLinesByTheirMeasuredHeight) {
    Options.Images = Images.get();
    Options.LineSpacing = 3;
    const int image = ImageLine(Gh);
    const struct {
        const char* Markup;
        int Height;
    } cases[] = {
        {"a<BR>b", 2 * (Gh + 3)},
        // WRAP gives the image's line the "gh" height back; the spacing stays.
        {"<IMG src=\"idx:0\" wrap> a<BR>b", 2 * (Gh + 3)},
        {"<IMG src=\"idx:0\" align=\"top\"> a<BR>b", image + 3 + Gh + 3},
        {"<SUB>a</SUB><BR>b", Gh + 3 + Gh / 4 + Gh + 3},
    };
    const struct {
        const char* Name;
        bool MeasureOnly, AnchorTestOnly;
    } modes[] = {{"measure", true, false}, {"anchor test", false, true}, {"draw", false, false}};
    for (const auto& c : cases)
        for (const auto& mode : modes) {
            Options.MeasureOnly = mode.MeasureOnly;
            Options.AnchorTestOnly = mode.AnchorTestOnly;
            THtmlRenderResult result;
            Clear();
            Render(c.Markup, kArea, result);
            EXPECT_EQ(result.ExtentY, c.Height) << c.Markup << " " << mode.Name;
        }

    // The second line is drawn where the first one's rectangle ends.
    Options.MeasureOnly = Options.AnchorTestOnly = false;
    Clear();
    THtmlRenderResult result;
    Render("<IMG src=\"idx:0\" wrap> a<BR>b", kArea, result);
    auto expected = Expected();
    const int left = kArea.left + 1, top = kArea.top;
    ImageList_Draw(Images->Handle(), 0, expected->Canvas().Handle(), left, top, ILD_TRANSPARENT);
    expected->Canvas().TextOut(left + 16, top + 3, " a");
    expected->Canvas().TextOut(left, top + (Gh + 3) + 3, "b");
    EXPECT_TRUE(SameArea(Bitmap, *expected, kWhole));
}

TEST_F(RenderTest, EndTagsReturnToTheEntryFontNotTheEnclosingOne) {
    struct {
        const char* Markup;
        int Width;
    } cases[] = {
        {"<B>x</B>x", Width("x", fsBold) + Width("x")},
        // "</B" not followed by ">" only resets the colour: the bold stays.
        {"<B>x</BLINK>x", 2 * Width("x", fsBold)},
        {"<B><I>x</I>x</B>x", Width("x", fsBold | fsItalic) + Width("x", fsBold) + Width("x")},
        {"<U>x</UL>x", 2 * Width("x")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Measure(c.Markup).ExtentX, c.Width + 2) << c.Markup;

    // Nested FONT: the inner end tag goes back to the entry face and size.
    TFont big(Canvas.Font);
    big.SetName("COURIER NEW");
    big.SetSize(10);
    TCanvas& canvas = Canvas;
    const TFont entry(canvas.Font);
    canvas.Font.Assign(big);
    const int inner = canvas.TextWidth("a");
    canvas.Font.Assign(entry);
    EXPECT_EQ(
        Measure("<FONT face=\"Courier New\" size=\"4\"><FONT size=\"2\">a</FONT>b</FONT>").ExtentX,
        inner + Width("b") + 2);
}

TEST_F(RenderTest, NestedFontColourEndsInTheEntryColour) {
    const std::string markup =
        "<FONT color=\"#FF0000\">rrr<FONT color=\"#0000FF\">bbb</FONT>kkk</FONT>";
    THtmlRenderResult result;
    Render(markup, kArea, result);
    const int x0 = kArea.left + 1, x1 = x0 + Width("rrr"), x2 = x1 + Width("bbb");
    const RECT line = MakeRect(0, kArea.top, 0, kArea.top + Gh);
    auto span = [&](int from, int to) { return MakeRect(from, line.top, to, line.bottom); };
    EXPECT_GT(CountColor(span(x0, x1), RGB(255, 0, 0)), 0);
    EXPECT_GT(CountColor(span(x1, x2), RGB(0, 0, 255)), 0);
    EXPECT_GT(CountColor(span(x2, 400), RGB(0, 0, 0)), 0);
    EXPECT_EQ(CountColor(span(x2, 400), RGB(255, 0, 0)), 0);
}

// The end of a rotation selects the font from before it, so a FONT change
// inside ends there too, while the state before the rotation stays.
TEST_F(RenderTest, RotationEndSelectsTheFontFromBeforeIt) {
    const std::string inside = "<FONT face=\"Courier New\" size=\"5\">r</R>";
    struct {
        const char* Before;
        int Tail;
    } cases[] = {
        {"", Width("cd")},
        {"<B>", Width("cd", fsBold)},
        {"<U><I>", Width("cd", fsUnderline | fsItalic)},
    };
    for (const char* angle : {"90", "0", "360"})
        for (const auto& c : cases) {
            const std::string rotated =
                c.Before + std::string("ab<R a=\"") + angle + "\">" + inside;
            EXPECT_EQ(Measure(rotated + "cd").ExtentX - Measure(rotated).ExtentX, c.Tail)
                << rotated;
        }

    // Drawn: an unturned rotation shows exactly what the FONT alone shows.
    THtmlRenderResult result;
    Clear();
    Render("ab<R a=\"360\">" + inside + "cd<BR>ef", kArea, result);
    const auto rotated = Snapshot();
    Clear();
    Render("ab<FONT face=\"Courier New\" size=\"5\">r</FONT>cd<BR>ef", kArea, result);
    EXPECT_TRUE(SameArea(Bitmap, *rotated, kWhole));
}

TEST_F(RenderTest, BlinkHiddenPhaseDrawsInTheBackgroundColour) {
    const std::string markup = "<BLINK>xxx</BLINK>yyy";
    const int blinkEnd = kArea.left + 1 + Width("xxx");
    // The caller's background, under a solid brush of its colour or under a
    // clear brush that still holds that colour.
    const struct {
        TColor Background;
        TBrushStyle Style;
    } brushes[] = {{clWhite, TBrushStyle::bsSolid}, {clYellow, TBrushStyle::bsClear}};
    for (const auto& brush : brushes)
        for (const bool visible : {true, false}) {
            Clear(brush.Background);
            Canvas.Brush.SetStyle(brush.Style);
            Options.BlinkVisible = visible;
            THtmlRenderResult result;
            Render(markup, kArea, result);
            const RECT ink = InkBounds(kWhole, ColorToRGB(brush.Background));
            if (visible)
                EXPECT_LT(ink.left, blinkEnd) << brush.Background;
            else
                EXPECT_GE(ink.left, blinkEnd) << brush.Background;
            EXPECT_GT(ink.right, blinkEnd) << brush.Background;
        }
}

// Colour markup shows, and a selected item's text ignores it.
struct TColourCase {
    const char* Markup;
    COLORREF Color;
    bool KeptWhenSelected;
};

class ColourTest : public RenderTest, public ::testing::WithParamInterface<TColourCase> {};

TEST_P(ColourTest, ShowsUnlessSelected) {
    const TColourCase& c = GetParam();
    Options.ShadowColor = clLime;
    for (const bool selected : {false, true}) {
        Clear();
        Options.Selected = selected;
        THtmlRenderResult result;
        Render(c.Markup, kArea, result);
        const bool shown = CountColor(kWhole, c.Color) > 0;
        EXPECT_EQ(shown, !selected || c.KeptWhenSelected) << c.Markup << " selected " << selected;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Markup, ColourTest,
    ::testing::Values(TColourCase{"<FONT color=\"#FF0000\">xxxx</FONT>", RGB(255, 0, 0), false},
                      TColourCase{"<FONT color=\"clRed\">xxxx</FONT>", RGB(255, 0, 0), false},
                      TColourCase{"<FONT bgcolor=\"#00FF00\">xxxx</FONT>", RGB(0, 255, 0), false},
                      TColourCase{"<BODY bgcolor=\"#00FF00\">xxxx", RGB(0, 255, 0), false},
                      TColourCase{"<A href=\"u\">xxxx</A>", RGB(0, 0, 255), false},
                      TColourCase{"<HI>xxxx</HI>", GetSysColor(COLOR_HIGHLIGHT), true},
                      TColourCase{"<E>xxxx</E>", RGB(255, 0, 0), true},
                      TColourCase{"<SHAD>HHHH</SHAD>", RGB(0, 255, 0), true},
                      TColourCase{"<P bgcolor=\"#00FF00\">xx</P>", RGB(0, 255, 0), true}));

TEST_F(RenderTest, ParagraphAndRuleFillTheWholeLine) {
    THtmlRenderResult result;
    Render("<P bgcolor=\"#00FF00\">x</P>y", kArea, result);
    // The fill runs from the rectangle's left to its right over the line only.
    EXPECT_EQ(Pixel(kArea.left, kArea.top), RGB(0, 255, 0));
    EXPECT_EQ(Pixel(kArea.right - 1, kArea.top + Gh - 1), RGB(0, 255, 0));
    EXPECT_EQ(Pixel(kArea.right, kArea.top), kWhite);
    EXPECT_EQ(CountColor(MakeRect(0, kArea.top + Gh, 400, 120), RGB(0, 255, 0)), 0);

    Clear();
    Render("x<HR>y", kArea, result);
    const int y = kArea.top + Gh + 1;
    EXPECT_EQ(CountColor(MakeRect(kArea.left + 1, y, kArea.right, y + 1), RGB(0, 0, 0)),
              kArea.right - kArea.left - 1);
}

TEST_F(RenderTest, AlignedLinesMoveAsAWhole) {
    const std::string text = "abc def";
    const int width = Width(text);
    struct {
        const char* Markup;
        int Left;
    } cases[] = {
        {"<P align=\"right\">abc def", kArea.right - width},
        {"abc def<P align=\"center\">",
         kArea.left + 1 + (kArea.right - kArea.left - 1 - width) / 2},
        {"<P align=\"left\" indent=\"7\">abc def", kArea.left + 1 + 7},
    };
    for (const auto& c : cases) {
        Clear();
        THtmlRenderResult result;
        Render(c.Markup, kArea, result);
        auto expected = Expected();
        DrawPieces(expected->Canvas(), {"abc def"},
                   MakeRect(c.Left, kArea.top, kArea.right, kArea.top + Gh),
                   DT_SINGLELINE | DT_BOTTOM | DT_NOPREFIX);
        EXPECT_TRUE(SameArea(Bitmap, *expected, kWhole)) << c.Markup;
    }
}

TEST_F(RenderTest, IndentOffsetAndListItemsMoveTheText) {
    const int a = Width("a");
    struct {
        const char* Markup;
        int ExtentX;
    } cases[] = {
        {"<IND x=\"40\">a", 40 + a},
        // An indent behind the text so far does nothing.
        {"abc<IND x=\"1\">a", Width("abc") + a},
        {"<IND x=\"oops\">a", a},
        {"<OFS x=\"30\">a", 30 + a},
        // A list item is indented 12 pixels per level.
        {"<UL><LI>a", 12 + a},
        {"<UL><UL><LI>a", 24 + a},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Measure(c.Markup).ExtentX, c.ExtentX + 2) << c.Markup;

    // The offset is a canvas position, and it carries over to the next lines.
    THtmlRenderResult result;
    Render("<OFS x=\"30\">a<BR>b</O><BR>c", kArea, result);
    auto expected = Expected();
    expected->Canvas().TextOut(30, kArea.top, "a");
    expected->Canvas().TextOut(kArea.left + 1 + 30, kArea.top + Gh, "b");
    expected->Canvas().TextOut(kArea.left + 1, kArea.top + 2 * Gh, "c");
    EXPECT_TRUE(SameArea(Bitmap, *expected, kWhole));
}

TEST_F(RenderTest, HoverColoursFollowTheHoveredAnchor) {
    const std::string markup = "<A href=\"a\">one</A> <A href=\"b\">two</A>";
    const int left = kArea.left + 1;
    const RECT one = MakeRect(left, kArea.top, left + Width("one"), kArea.top + Gh);
    const RECT two =
        MakeRect(left + Width("one "), kArea.top, left + Width("one two"), kArea.top + Gh);
    const COLORREF aqua = RGB(0, 255, 255);
    Options.HoverColor = clAqua;
    Options.HoverAnchorIndex = 2;
    for (const bool hoverOnly : {true, false}) {
        Clear();
        Options.HoverOnly = hoverOnly;
        THtmlRenderResult result;
        Render(markup, kArea, result);
        EXPECT_EQ(CountColor(one, aqua) > 0, !hoverOnly);
        EXPECT_GT(CountColor(two, aqua), 0);
        // The brush goes back after each anchor.
        EXPECT_EQ(CountColor(MakeRect(one.right, one.top, two.left, one.bottom), aqua), 0);
    }
}

TEST_F(RenderTest, AnchorHitTestsWithAnchorTestOnly) {
    const std::string markup = "go <A href=\"first\">one</A> and <A href=\"second\">two</A>";
    const int left = kArea.left + 1, top = kArea.top;
    const int oneStart = left + Width("go "), oneEnd = left + Width("go one");
    const int twoStart = left + Width("go one and "), twoEnd = left + Width("go one and two");
    Options.AnchorTestOnly = true;
    struct {
        int X, Y;
        bool Hit;
        const char* Href;
        int Index;
    } cases[] = {
        {(oneStart + oneEnd) / 2, top + Gh / 2, true, "first", 1},
        {(twoStart + twoEnd) / 2, top + Gh / 2, true, "second", 2},
        {(oneEnd + twoStart) / 2, top + Gh / 2, false, "", -1},
        // Below the line the measuring pass still records the anchor; only
        // the result tells that the point is off the text.
        {(oneStart + oneEnd) / 2, top + Gh + 2, false, "first", 1},
        {(oneStart + oneEnd) / 2, top, false, "", -1},
    };
    for (const auto& c : cases) {
        Options.HitX = c.X;
        Options.HitY = c.Y;
        THtmlRenderResult result;
        EXPECT_EQ(Render(markup, kArea, result), c.Hit) << c.X << "," << c.Y;
        EXPECT_EQ(result.AnchorHref, c.Href);
        EXPECT_EQ(result.HitAnchorIndex, c.Index);
        EXPECT_EQ(result.AnchorCount, 2);
        if (c.Hit && c.Index == 1) {
            // The rectangle of the first anchor, where it is the one hit.
            EXPECT_EQ(Str(result.HitAnchorRect), Str(MakeRect(oneStart, top, oneEnd, top + Gh)));
        }
    }
    // Anchor tests draw nothing; measuring alone reports no hit.
    EXPECT_EQ(Str(InkBounds(kWhole)), Str(RECT{}));
    Options.MeasureOnly = true;
    Options.HitX = (oneStart + oneEnd) / 2;
    Options.HitY = top + Gh / 2;
    THtmlRenderResult result;
    EXPECT_FALSE(Render(markup, kArea, result));
}

TEST_F(RenderTest, AnchorImagesAndCentredAnchorsHit) {
    Options.Images = Images.get();
    Options.AnchorTestOnly = true;
    Options.HitX = kArea.left + 1 + 8;
    Options.HitY = kArea.top + 8;
    THtmlRenderResult result;
    EXPECT_TRUE(Render("<A href=\"pic\"><IMG src=\"idx:0\"></A> text", kArea, result));
    EXPECT_EQ(result.AnchorHref, "pic");
    EXPECT_FALSE(Render("<IMG src=\"idx:0\"> <A href=\"pic\">text</A>", kArea, result));

    // The second pass tests the aligned line.
    const int width = Width("mid");
    const int start = kArea.left + 1 + (kArea.right - kArea.left - 1 - width) / 2;
    Options.HitX = start + width / 2;
    Options.HitY = kArea.top + Gh / 2;
    EXPECT_TRUE(Render("<P align=\"center\"><A href=\"c\">mid</A>", kArea, result));
    Options.HitX = kArea.left + 1 + width / 2;
    EXPECT_FALSE(Render("<P align=\"center\"><A href=\"c\">mid</A>", kArea, result));
}

TEST_F(RenderTest, FocusAnchorGivesItsHrefAndARectangle) {
    Options.FocusAnchorIndex = 1;
    THtmlRenderResult result;
    result.FocusHref = "stale";
    Render("<A href=\"a\">one</A> <A href=\"b\">two</A>", kArea, result);
    EXPECT_EQ(result.FocusHref, "b");
    // The dotted rectangle leaves pixels that are neither ink nor background
    // left of the second anchor's text.
    const int start = kArea.left + 1 + Width("one ");
    EXPECT_NE(Pixel(start - 1, kArea.top + 1), kWhite);
}

TEST_F(RenderTest, CanvasBrushAndFontComeBackAsTheyWere) {
    Canvas.Brush.SetColor(clYellow);
    Canvas.Font.SetColor(clMaroon);
    Canvas.Font.SetStyle(fsItalic);
    const TFont entry(Canvas.Font);
    THtmlRenderResult result;
    Render("<B><FONT face=\"Arial\" size=\"5\" color=\"#FF0000\" bgcolor=\"#00FF00\">x<HI>y<A "
           "href=\"z\">z<R a=\"90\">r<P bgcolor=\"#0000FF\">p<BODY bgcolor=\"clRed\">",
           kArea, result);
    EXPECT_TRUE(Canvas.Font.SameAs(entry));
    EXPECT_EQ(Canvas.Brush.Color(), clYellow);
    EXPECT_EQ(Canvas.Brush.Style(), TBrushStyle::bsSolid);

    // A clear brush that keeps a colour comes back clear and in that colour.
    Canvas.Brush.SetStyle(TBrushStyle::bsClear);
    Render("<FONT bgcolor=\"#00FF00\">x", kArea, result);
    EXPECT_EQ(Canvas.Brush.Style(), TBrushStyle::bsClear);
    EXPECT_EQ(Canvas.Brush.Color(), clYellow);
}

TEST(ParseHtmlColor, HexAndNames) {
    const std::pair<const char*, TColor> cases[] = {
        {"#FF0000", 0x0000FF},
        {"#00FF00", 0x00FF00},
        {"#0000FF", 0xFF0000},
        {"#123456", 0x563412},
        {"#12", 0x000012},
        {"#", 0},
        // Lower-case hex digits are not read; callers upper-case first.
        {"#ff0000", 0},
        {"clRed", clRed},
        {"CLNAVY", clNavy},
        {"clTeal", clTeal},
        {"clMaroon", clMaroon},
        {"clBackground", SystemColor(COLOR_BACKGROUND)},
        {"clHighlight", clHighlight},
        {"clBtnHighlight", SystemColor(20)},
        {"cl3DDkShadow", SystemColor(21)},
        {"clInfoBk", SystemColor(24)},
        {"red", clBlack},
        {"clNoSuchColour", clBlack},
    };
    for (const auto& [value, color] : cases)
        EXPECT_EQ(ParseHtmlColor(value), color) << value;
}

TEST(StripHtmlTags, DropsTagsAndZSections) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\x", "C:\\x"},
        {"<IMG src=\"idx:0\"> C:\\x", " C:\\x"},
        {"a<BR>b<hr>c", "a\r\nb\r\nc"},
        {"a<Z>hidden</Z>b", "ab"},
        {"a<z>one</z>b<Z>two</Z>c", "abc"},
        // The two spellings are separate: "</Z>" does not close "<z>".
        {"a<z>h</Z>b", "ahb"},
        {"<B>bold</B> &amp;", "bold &amp;"},
        {"a < b", "a < b"},
        {"a<B", "a<B"},
        {"<bR><Hr><b r>", "\r\n\r\n"},
        {"a<z>open", "aopen"},
        {"<z>a<Z>b</z>c</Z>d", "cd"},
        // Tags and sections before a Z section go as well.
        {"<B>a</B><z>h</z>b", "ab"},
        {"<Z>x</Z>y<z>w</z>v", "yv"},
        {"", ""},
    };
    for (const auto& [text, plain] : cases)
        EXPECT_EQ(StripHtmlTags(text), plain) << text;
}

// The rule step by step, each step over the whole text as it is by then.
std::string StripModel(std::string text) {
    auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (const char* lineTag : {"<br>", "<hr>"})
        for (std::size_t at = lower(text).find(lineTag); at != std::string::npos;
             at = lower(text).find(lineTag, at + 2))
            text.replace(at, 4, "\r\n");
    for (const auto& [open, close] :
         {std::pair<std::string, std::string>{"<z>", "</z>"}, {"<Z>", "</Z>"}})
        for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
            const std::size_t end = text.find(close, at);
            if (end == std::string::npos)
                break;
            text.erase(at, end + close.size() - at);
        }
    for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at)) {
        const std::size_t gt = text.find('>', at);
        if (gt == std::string::npos)
            break;
        text.erase(at, gt + 1 - at);
    }
    return text;
}

TEST(StripHtmlTags, RandomTextsFollowTheRule) {
    const char* parts[] = {"a",    " ",   "<",    ">",    "<br>",  "<BR>",
                           "<hR>", "<b>", "</B>", "<z>",  "</z>",  "<Z>",
                           "</Z>", "<",   "z>",   "\r\n", "&amp;", "<IMG src=\"x\">"};
    std::mt19937 random(20261210);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int n = random() % 24; n > 0; --n)
            text += parts[random() % std::size(parts)];
        ASSERT_EQ(StripHtmlTags(text), StripModel(text)) << text;
    }
}

// Line feeds vanish and carriage returns break the line as BR does, in any
// mix, drawn and measured alike.
TEST_F(RenderTest, LineBreaksOfRandomTextsActAsBr) {
    const char* parts[] = {"a", "bb ", " ", "\r", "\n", "\r\n", "<B>", "</B>", "<BR>", "&lt;"};
    std::mt19937 random(1210);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int n = random() % 12; n > 0; --n)
            text += parts[random() % std::size(parts)];
        std::string model;
        for (const char c : text)
            if (c == '\r')
                model += "<BR>";
            else if (c != '\n')
                model += c;

        const THtmlRenderResult measured = Measure(text), expected = Measure(model);
        ASSERT_EQ(measured.ExtentX, expected.ExtentX) << text;
        ASSERT_EQ(measured.ExtentY, expected.ExtentY) << text;
        THtmlRenderResult result;
        Clear();
        Render(model, kArea, result);
        const auto drawn = Snapshot();
        Clear();
        Render(text, kArea, result);
        ASSERT_TRUE(SameArea(Bitmap, *drawn, kWhole)) << text;
    }
}

// Random markup from a fixed seed: every call ends, leaves the canvas as it
// found it and reports at least one line. The tags include numbers far out of
// range either way; font sizes stay within what GDI can realise, as a font it
// cannot make measures one pixel high.
TEST_F(RenderTest, RandomMarkupNeverBreaksTheRenderer) {
    const char* tags[] = {"<B>",
                          "</B>",
                          "<I>",
                          "</I>",
                          "<U>",
                          "</U>",
                          "<S>",
                          "</S>",
                          "<A href=\"x\">",
                          "</A>",
                          "<A>",
                          "<BR>",
                          "<HR>",
                          "<UL>",
                          "</UL>",
                          "<LI>",
                          "</LI>",
                          "<SUB>",
                          "</SUB>",
                          "<SUP>",
                          "<Z>",
                          "</Z>",
                          "<SHAD>",
                          "</SHAD>",
                          "<E>",
                          "</E>",
                          "<HI>",
                          "</HI>",
                          "<BLINK>",
                          "</BLINK>",
                          "<IMG src=\"idx:0\">",
                          "<IMG src=\"idx:7\" align=\"top\">",
                          "<IMG src=\"idx:0\" align=\"middle\" wrap>",
                          "<IMG src=\"file://C:\\nowhere.gif\">",
                          "<IMG src=\"named\" width=\"20\" height=\"9\">",
                          "<FONT face=\"Arial\" size=\"5\">",
                          "<FONT color=\"#FF00\" bgcolor=\"clRed\">",
                          "<FONT size=99>",
                          "</FONT>",
                          "<P align=\"center\" bgcolor=\"#00FF00\">",
                          "<P bgcolor=\"x\" bgcolorto=\"clBlue\">",
                          "<P align=\"right\" indent=\"40\">",
                          "</P>",
                          "<BODY bgcolor=\"#FFFFFF\">",
                          "<BODY bgcolor=\"#FFFFFF\" bgcolorto=\"#000000\" dir=\"v\">",
                          "<IND x=\"30\">",
                          "<IND x=\"oops\">",
                          "<OFS x=\"20\">",
                          "</O>",
                          "<R a=\"90\">",
                          "</R>",
                          "<#x>",
                          "&amp;",
                          "&nbsp;",
                          "&lt;",
                          "&gt;",
                          "&permil;",
                          "&",
                          "<",
                          ">",
                          "\"",
                          "\r\n",
                          "\t",
                          " & ",
                          " ",
                          "word",
                          "C:\\Pfad\\Datei.txt",
                          "</",
                          "<>",
                          "</>",
                          "<FONT size=\"200\">",
                          "<FONT size=\"-200\">",
                          "<R a=\"99999999999\">",
                          "<R a=\"-2147483648\">",
                          "<IND x=\"99999999999\">",
                          "<OFS x=\"-99999999999\">",
                          "<P indent=\"-99999999999\">",
                          "<IMG src=\"idx:99999999999\">",
                          "<IMG src=\"idx:-99999999999\">",
                          "<IMG src=\"named\" width=\"99999999\" height=\"99999999\">",
                          "<IMG src=\"named\" width=\"-7\" height=\"-7\">"};
    std::mt19937 random(20240611);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    THTMLPictureCache cache;
    TPictureContainer container(nullptr);
    TPictureItem& named = container.Items.Add();
    named.Name = "named";
    named.Picture.LoadFromBytes(BmpFile(3, 3, RGB(0, 0, 255)));
    Options.PictureCache = &cache;
    Options.PictureContainer = &container;
    Options.Images = Images.get();

    Canvas.Brush.SetColor(clSilver);
    const TFont entry(Canvas.Font);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = pick(14); n > 0; --n) {
            if (pick(4) == 0) {
                // A made-up tag: random letters, maybe quoted attributes, maybe unclosed.
                text += pick(3) == 0 ? "</" : "<";
                for (int k = pick(5); k > 0; --k)
                    text += static_cast<char>("ABEFHILOPRSUZMX"[pick(15)]);
                if (pick(2))
                    text += pick(2) ? " x=\"" + std::to_string(pick(500)) + "\"" : " a=7";
                if (pick(5))
                    text += '>';
            } else {
                text += tags[pick(std::size(tags))];
            }
        }
        Options.WordWrap = pick(2) == 0;
        Options.Selected = pick(3) == 0;
        Options.AnchorTestOnly = pick(3) == 0;
        Options.MeasureOnly = pick(4) == 0;
        Options.HoverOnly = pick(2) == 0;
        Options.HoverAnchorIndex = pick(3) - 1;
        Options.HoverColor = pick(2) ? clNone : clAqua;
        Options.FocusAnchorIndex = pick(3) - 1;
        Options.HitX = pick(200);
        Options.HitY = pick(60);
        const RECT r = MakeRect(pick(20), pick(20), 20 + pick(360), 20 + pick(100));
        THtmlRenderResult result;
        RenderHtmlText(Canvas, text, r, Options, result);
        ASSERT_TRUE(Canvas.Font.SameAs(entry)) << text;
        ASSERT_EQ(Canvas.Brush.Color(), clSilver) << text;
        ASSERT_EQ(Canvas.Brush.Style(), TBrushStyle::bsSolid) << text;
        ASSERT_GE(result.ExtentY, Gh) << text;
        ASSERT_GE(result.ExtentX, 0) << text;
    }
}

} // namespace
