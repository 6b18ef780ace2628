// The HTML list box on a real form: item heights measured at insertion and
// again, drawing read back from the pixels, anchors, keyboard lookup, the
// blink timer, sorting and the style table.
#include "controls/html/HTMListB.h"
#include "framework/Forms.h"
#include "framework/HintWindow.h"
#include "tests/controls/paint/Pixels.h"
#include "tests/support/FreshApplication.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Makes the item drawing reachable, as a derived control may.
class TTestListBox : public THTMListBox {
  public:
    using THTMListBox::DrawItem;
    using THTMListBox::THTMListBox;
};

constexpr TColor kLunaFrom = 15465983, kLunaTo = 11267071;
constexpr TColor kLunaMirrorFrom = 6936319, kLunaMirrorTo = 9889023;

void SetLuna(THTMListBox& list) {
    list.SelectionColors().SetBorderColor(clSilver);
    list.SelectionColors().SetColorFrom(kLunaFrom);
    list.SelectionColors().SetColorTo(kLunaTo);
    list.SelectionColors().SetColorMirrorFrom(kLunaMirrorFrom);
    list.SelectionColors().SetColorMirrorTo(kLunaMirrorTo);
    list.SetSelectionFontColor(clBlack);
}

// Each channel of `c` between the same channels of `a` and `b`.
bool Between(TColor c, TColor a, TColor b) {
    auto in = [](int v, int x, int y) { return v >= std::min(x, y) && v <= std::max(x, y); };
    return in(GetRValue(c), GetRValue(a), GetRValue(b)) &&
           in(GetGValue(c), GetGValue(a), GetGValue(b)) &&
           in(GetBValue(c), GetBValue(a), GetBValue(b));
}

class HtmlListBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App = FreshApplication();
        SetCursorPos(0, 0);
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBorderStyle(TFormBorderStyle::bsNone);
        Form->SetBounds(100, 100, 400, 500);
        Form->Font.SetName("Tahoma");
        Form->Font.SetSize(8);
        Form->Font.SetColor(RGB(8, 55, 114));
        Images = new TImageList(Form.get(), 16, 16);
        std::vector<std::uint32_t> red(16 * 16, 0xFFFF0000u);
        std::vector<std::uint16_t> opaque(16, 0);
        TGdiObject<HBITMAP> image(CreateBitmap(16, 16, 1, 32, red.data()));
        TGdiObject<HBITMAP> mask(CreateBitmap(16, 16, 1, 1, opaque.data()));
        ASSERT_EQ(Images->Add(image.Get(), mask.Get()), 0);
        List = new TTestListBox(Form.get());
        List->SetBounds(8, 8, 313, 124);
        List->SetParent(Form.get());
        List->SetImages(Images);
        List->SetMultiline(true);
        Form->Show();
        Gh = List->MeasureCanvas().TextHeight("gh");
        RECT client;
        GetClientRect(List->Handle(), &client);
        Client = client;
        ClientRight = client.right;
    }
    void TearDown() override {
        Form.reset();
        App.reset();
    }

    // Words each wider than half the text width, so that each takes a line.
    std::string Words(int count) {
        const int avail = Client.right - 2;
        std::string word;
        while (List->MeasureCanvas().TextWidth(word) < avail / 2 + 10)
            word += 'm';
        std::string text;
        for (int i = 0; i < count; ++i)
            text += (i ? " " : "") + word;
        return text;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (int i = 0; i < List->Count(); ++i)
            texts.push_back(List->Strings(i));
        return texts;
    }

    std::string NativeText(int index) const {
        const auto length = SendMessageA(List->Handle(), LB_GETTEXTLEN, index, 0);
        std::string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)), '\0');
        SendMessageA(List->Handle(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        return text;
    }

    void Key(WORD key) { SendMessageA(List->Handle(), WM_KEYDOWN, key, 0); }

    std::unique_ptr<TApplication> App;
    std::unique_ptr<TForm> Form;
    TImageList* Images = nullptr;
    TTestListBox* List = nullptr;
    int Gh = 0;
    RECT Client{};
    int ClientRight = 0;
};

TEST_F(HtmlListBoxTest, ItemsAreMeasuredWhenAdded) {
    ASSERT_GT(Gh, 0);
    List->SetBounds(8, 8, 313, 124);
    struct {
        const char* name;
        std::string text;
        int height;
    } const cases[] = {
        {"one-line path", "C:\\stick\\docs\\a.txt", Gh},
        {"marked path: the image decides", "<IMG src=\"idx:0\"> C:\\stick\\docs\\a.txt",
         std::max(Gh, 16)},
        {"path wrapping at its blanks", Words(3), 3 * Gh},
        {"taller than the client area", Words(30), static_cast<int>(Client.bottom)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // One item at a time: a scroll bar appearing resizes the client area,
        // which measures every item again.
        List->Clear();
        const int index = List->AddItem(c.text, nullptr);
        EXPECT_EQ(List->ItemHeights(index), c.height);
    }

    // A list taller than 255 pixels still gives no item more than 255.
    List->SetBounds(8, 8, 313, 400);
    List->Clear();
    List->AddItem(Words(40), nullptr);
    EXPECT_EQ(List->ItemHeights(0), 255);
}

TEST_F(HtmlListBoxTest, RemeasuringMakesItemsTwoPixelsLower) {
    const std::string plain = "C:\\a.txt";
    const std::string marked = "<IMG src=\"idx:0\"> C:\\b.txt";
    struct {
        const char* name;
        std::function<void()> change;
    } const changes[] = {
        {"resize", [&] { List->SetBounds(8, 8, 300, 124); }},
        {"line spacing", [&] { List->SetLineSpacing(3); }},
        {"multiline", [&] { List->SetMultiline(false); }},
        {"images", [&] { List->SetImages(nullptr); }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.name);
        List->Clear();
        List->AddItem(plain, nullptr);
        List->AddItem(marked, nullptr);
        c.change();
        // The same texts added now are measured with the new settings.
        List->AddItem(plain, nullptr);
        List->AddItem(marked, nullptr);
        EXPECT_EQ(List->ItemHeights(0), List->ItemHeights(2) - 2);
        EXPECT_EQ(List->ItemHeights(1), List->ItemHeights(3) - 2);
        if (std::string(c.name) == "resize") {
            // A one-line item measured again after a resize: a text line less two pixels.
            EXPECT_EQ(List->ItemHeights(0), Gh - 2);
        }
    }

    // Without AutoItemHeight every item is ItemHeight high.
    List->SetAutoItemHeight(false);
    EXPECT_EQ(List->ItemHeights(0), 16);
    List->SetItemHeight(20);
    EXPECT_EQ(List->ItemHeights(1), 20);
}

TEST_F(HtmlListBoxTest, ReplacingATextKeepsTheObjectAndTheSystemListHoldsTheTexts) {
    int entries[3] = {};
    List->AddItem("C:\\one.txt", &entries[0]);
    List->AddItem("C:\\two.txt", &entries[1]);
    List->AddItem("C:\\three.txt", &entries[2]);
    List->SetItemIndex(2);
    List->SetString(1, "<IMG src=\"idx:0\"> C:\\two.txt");
    EXPECT_EQ(List->Objects(1), &entries[1]);
    EXPECT_EQ(List->ItemIndex(), 2);
    EXPECT_EQ(List->ItemHeights(1), std::max(Gh, 16));
    // What a screen reader asks the system list for.
    EXPECT_EQ(SendMessageA(List->Handle(), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(NativeText(0), "C:\\one.txt");
    EXPECT_EQ(NativeText(1), "<IMG src=\"idx:0\"> C:\\two.txt");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(SendMessageA(List->Handle(), LB_GETITEMDATA, i, 0),
                  reinterpret_cast<LRESULT>(&entries[i]));
}

TEST_F(HtmlListBoxTest, ReplacingTextsInsideABatchLeavesTheDrawingToItsEnd) {
    int entries[30] = {};
    for (int i = 0; i < 30; ++i)
        List->AddItem("C:\\file " + std::to_string(i) + ".txt", &entries[i]);
    List->SetItemIndex(3);
    UpdateWindow(List->Handle());
    const auto pending = [&] {
        RECT r;
        return GetUpdateRect(List->Handle(), &r, FALSE) != FALSE;
    };
    ASSERT_FALSE(pending());
    List->BeginUpdate();
    for (int i = 0; i < 30; i += 2)
        List->SetString(i, "<IMG src=\"idx:0\"> C:\\file " + std::to_string(i) + ".txt");
    // Nothing asked for a repaint, and the drawing is still off: an item
    // added now leaves nothing to paint either.
    EXPECT_FALSE(pending());
    List->AddItem("C:\\one more.txt", nullptr);
    EXPECT_FALSE(pending());
    List->EndUpdate();
    EXPECT_TRUE(pending()) << "the end of the batch repaints";
    EXPECT_EQ(List->ItemIndex(), 3);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(List->Objects(i), &entries[i]);
        EXPECT_EQ(List->ItemHeights(i), i % 2 ? Gh : std::max(Gh, 16)) << i;
    }
}

TEST_F(HtmlListBoxTest, ReplacedTextsGetTheirHeightsAndKeepTheSelectionAndTheTopItem) {
    // Replaced one by one, and inside a batch; before the top item, on the
    // selected item (out of sight), on the top item and further down.
    const std::vector<int> replaced = {0, 5, 30, 31, 45, 59};
    for (const bool batch : {false, true}) {
        SCOPED_TRACE(batch ? "inside a batch" : "one by one");
        List->Clear();
        std::vector<int> entries(60);
        for (int i = 0; i < 60; ++i)
            List->AddItem("C:\\file " + std::to_string(i) + ".txt", &entries[i]);
        List->SetItemIndex(5);
        SendMessageA(List->Handle(), LB_SETTOPINDEX, 30, 0);
        ASSERT_EQ(List->TopIndex(), 30);
        if (batch)
            List->BeginUpdate();
        for (const int i : replaced)
            List->SetString(i, "<IMG src=\"idx:0\"> C:\\file " + std::to_string(i) + ".txt");
        if (batch)
            List->EndUpdate();
        EXPECT_EQ(List->ItemIndex(), 5);
        EXPECT_EQ(List->TopIndex(), 30);
        ASSERT_EQ(SendMessageA(List->Handle(), LB_GETCOUNT, 0, 0), 60);
        for (int i = 0; i < 60; ++i) {
            const bool marked = std::find(replaced.begin(), replaced.end(), i) != replaced.end();
            const std::string text = std::string(marked ? "<IMG src=\"idx:0\"> " : "") +
                                     "C:\\file " + std::to_string(i) + ".txt";
            EXPECT_EQ(List->Strings(i), text) << i;
            EXPECT_EQ(NativeText(i), text) << i;
            EXPECT_EQ(List->Objects(i), &entries[i]) << i;
            EXPECT_EQ(SendMessageA(List->Handle(), LB_GETITEMDATA, i, 0),
                      reinterpret_cast<LRESULT>(&entries[i]))
                << i;
            EXPECT_EQ(List->ItemHeights(i), marked ? std::max(Gh, 16) : Gh) << i;
        }
    }
}

TEST_F(HtmlListBoxTest, AFreedImageListOrPictureContainerIsForgotten) {
    auto* container = new TPictureContainer(Form.get());
    List->SetPictureContainer(container);
    List->AddItem("<IMG src=\"idx:0\"> C:\\a.txt", nullptr);
    delete Images;
    Images = nullptr;
    delete container;
    EXPECT_EQ(List->Images(), nullptr);
    EXPECT_EQ(List->PictureContainer(), nullptr);
    // Measuring and drawing go on without them.
    List->AddItem("<IMG src=\"idx:0\"> C:\\b.txt", nullptr);
    EXPECT_GT(List->ItemHeights(1), 0);
    UpdateWindow(List->Handle());
}

TEST_F(HtmlListBoxTest, PlainTextAndItsIndexCheck) {
    List->AddItem("<B>C:\\a</B> <FONT color=\"clRed\">b</FONT>", nullptr);
    EXPECT_EQ(List->GetItemPlainText(0), "C:\\a b");
    for (int bad : {-1, 1}) {
        try {
            List->GetItemPlainText(bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const EHTMListBoxError& e) {
            EXPECT_STREQ(e.what(), "Item index out of range");
        }
    }
}

TEST_F(HtmlListBoxTest, HorizontalExtentWaitsForTheLastEndUpdate) {
    List->SetScrollHorizontal(true);
    const auto extent = [&] {
        return static_cast<int>(SendMessageA(List->Handle(), LB_GETHORIZONTALEXTENT, 0, 0));
    };
    const std::string wide = Words(3);
    const int wideWidth = List->MeasureCanvas().TextWidth(wide);
    // A stray EndUpdate must not leave the count below zero.
    List->EndUpdate();
    List->BeginUpdate();
    List->AddItem(wide, nullptr);
    EXPECT_EQ(extent(), 0) << "deferred while the batch is open";
    List->BeginUpdate();
    List->EndUpdate();
    EXPECT_EQ(extent(), 0) << "the outer batch is still open";
    List->EndUpdate();
    EXPECT_GE(extent(), wideWidth);
    EXPECT_LE(extent(), wideWidth + 10);
    List->Clear();
    EXPECT_EQ(extent(), 0);
    // An emptied list starts its widest item anew.
    List->AddItem(wide, nullptr);
    EXPECT_GE(extent(), wideWidth);
}

TEST_F(HtmlListBoxTest, HorizontalScrollingSwitchedOnLaterScrollsAndHitsWhatShows) {
    const std::string wide = Words(3);
    List->AddItem(wide + " <A href=\"far\">far</A>", nullptr);
    List->SetScrollHorizontal(true);
    EXPECT_TRUE(GetWindowLongA(List->Handle(), GWL_STYLE) & WS_HSCROLL);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    ASSERT_TRUE(GetScrollInfo(List->Handle(), SB_HORZ, &info)) << "the list has a scroll bar";
    EXPECT_GT(info.nMax, static_cast<int>(info.nPage)) << "the item is wider than the list";
    const RECT r = List->ItemRect(0);
    const int y = (r.top + r.bottom) / 2;
    const int farX = 3 + List->MeasureCanvas().TextWidth(wide + " ") +
                     List->MeasureCanvas().TextWidth("far") / 2;
    ASSERT_GT(farX, ClientRight) << "the anchor starts out of sight";
    EXPECT_EQ(List->AnchorAtPoint(farX - ClientRight, y).second, -1);
    SendMessageA(List->Handle(), WM_HSCROLL, SB_RIGHT, 0);
    const int scrolled = GetScrollPos(List->Handle(), SB_HORZ);
    ASSERT_GT(scrolled, 0);
    EXPECT_EQ(List->AnchorAtPoint(farX - scrolled, y), std::make_pair(std::string("far"), 0));
}

TEST_F(HtmlListBoxTest, ABatchLeavesTheViewWhereItWas) {
    // Long batches scroll the system list while nothing is drawn; the view
    // the user had comes back at the end, and a single insertion never moves it.
    for (int i = 0; i < 20; ++i)
        List->AddItem("before " + std::to_string(i), nullptr);
    SendMessageA(List->Handle(), LB_SETTOPINDEX, 5, 0);
    ASSERT_EQ(List->TopIndex(), 5);
    List->BeginUpdate();
    for (int i = 0; i < 1000; ++i)
        List->AddItem("batch " + std::to_string(i), nullptr);
    List->EndUpdate();
    EXPECT_EQ(List->TopIndex(), 5);
    EXPECT_EQ(List->ItemRect(5).top, 0);
    EXPECT_EQ(List->Count(), 1020);
    EXPECT_EQ(List->Strings(1019), "batch 999");
    List->AddItem("single", nullptr);
    EXPECT_EQ(List->TopIndex(), 5);
}

TEST_F(HtmlListBoxTest, DrawsLastRowFillGradientSelectionAndFrame) {
    SetLuna(*List);
    List->AddItem("C:\\stick\\a.txt", nullptr);
    const int h = List->ItemHeights(0);
    TBitmap bmp(List->Width(), List->Height());
    bmp.Canvas().Brush.SetColor(RGB(1, 2, 3));
    bmp.Canvas().FillRect(MakeRect(0, 0, bmp.Width(), bmp.Height()));
    const RECT row = MakeRect(0, 0, Client.right, h);
    {
        TCanvas canvas(bmp.Canvas().Handle());
        canvas.Font = List->Font;
        List->DrawItem(canvas, 0, row, true, false);
    }
    GdiFlush();
    // The last item fills the control below it in the list colour.
    EXPECT_EQ(PixelAt(bmp, 5, h), ColorToRGB(clWindow));
    EXPECT_EQ(PixelAt(bmp, 5, List->Height() - 1), ColorToRGB(clWindow));
    // Silver frame all round, then pale yellow above the middle and orange below.
    for (int x : {0, ClientRight / 2, ClientRight - 1}) {
        EXPECT_EQ(PixelAt(bmp, x, 0), clSilver);
        EXPECT_EQ(PixelAt(bmp, x, h - 1), clSilver);
    }
    EXPECT_EQ(PixelAt(bmp, 0, h / 2), clSilver);
    const int right = Client.right - 2;
    EXPECT_EQ(PixelAt(bmp, right + 1, h / 2), clSilver);
    EXPECT_TRUE(Between(PixelAt(bmp, right, 1), kLunaFrom, kLunaTo));
    EXPECT_TRUE(Between(PixelAt(bmp, right, h / 2 - 1), kLunaFrom, kLunaTo));
    EXPECT_TRUE(Between(PixelAt(bmp, right, h / 2), kLunaMirrorFrom, kLunaMirrorTo));
    EXPECT_TRUE(Between(PixelAt(bmp, right, h - 2), kLunaMirrorFrom, kLunaMirrorTo));
    // Black text on the selection.
    int dark = 0;
    for (int y = 1; y < h - 1; ++y)
        for (int x = 2; x < 60; ++x)
            dark += GetRValue(PixelAt(bmp, x, y)) < 80 && GetBValue(PixelAt(bmp, x, y)) < 80;
    EXPECT_GT(dark, 0);

    // Unselected: the list colour with the text in the font colour.
    {
        TCanvas canvas(bmp.Canvas().Handle());
        canvas.Font = List->Font;
        List->DrawItem(canvas, 0, row, false, false);
    }
    GdiFlush();
    EXPECT_EQ(PixelAt(bmp, 0, 0), ColorToRGB(clWindow));
    EXPECT_EQ(PixelAt(bmp, right, h / 2), ColorToRGB(clWindow));
    int blue = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 2; x < 60; ++x)
            blue += PixelAt(bmp, x, y) == RGB(8, 55, 114);
    EXPECT_GT(blue, 0);
}

// An item drawn unselected into a bitmap as tall as `height`, white below it.
std::unique_ptr<TBitmap> DrawnItem(TTestListBox& list, int index, int width, int height) {
    auto bmp = std::make_unique<TBitmap>(width, height);
    bmp->Canvas().Brush.SetColor(clWhite);
    bmp->Canvas().FillRect(MakeRect(0, 0, width, height));
    TCanvas canvas(bmp->Canvas().Handle());
    canvas.Font = list.Font;
    list.DrawItem(canvas, index, MakeRect(0, 0, width, list.ItemHeights(index)), false, false);
    GdiFlush();
    return bmp;
}

// A name is drawn as the system draws it in one piece: its blanks as wide as
// the system's, however much its glyphs advance less than their measured widths.
TEST_F(HtmlListBoxTest, NamesAreDrawnExactlyAsTheyAreWithEveryAmpersand) {
    const std::string names[] = {
        "C:\\M\xFCller&S\xF6hne.txt",
        "C:\\R&D Bericht.doc",
        "C:\\Tom && Jerry.txt",
        "C:\\a&b & c&amp.txt",
        "C:\\v1.2..final...&.txt",
        "C:\\Users\\Anna\\Dokumente\\Bewerbung Stadtwerke.doc",
        "E:\\Sync\\Steuer 2025\\Rechnung  Handwerker.pdf",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        List->Clear();
        List->AddItem(name, nullptr);
        ASSERT_EQ(List->ItemHeights(0), Gh) << "one line";
        const auto drawn = DrawnItem(*List, 0, ClientRight, Gh);

        TBitmap expected(ClientRight, Gh);
        TCanvas& e = expected.Canvas();
        e.Brush.SetColor(clWindow);
        e.FillRect(MakeRect(0, 0, ClientRight, Gh));
        e.Font = List->Font;
        e.Brush.SetStyle(TBrushStyle::bsClear);
        RECT line = MakeRect(3, 0, ClientRight, Gh);
        e.DrawText(name, line, DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS | DT_NOPREFIX);
        GdiFlush();
        int differing = 0;
        for (int y = 0; y < Gh; ++y)
            for (int x = 0; x < ClientRight; ++x)
                differing += PixelAt(*drawn, x, y) != PixelAt(expected, x, y);
        EXPECT_EQ(differing, 0);
    }
}

// An item is as tall as the lines its drawing shows: the last line band holds
// text, and nothing passes the right edge.
TEST_F(HtmlListBoxTest, ItemHeightsFollowTheLinesTheDrawingShows) {
    const auto expectLines = [&](int index, int lines) {
        EXPECT_EQ(List->ItemHeights(index), lines * Gh);
        RECT client;
        GetClientRect(List->Handle(), &client);
        const auto drawn = DrawnItem(*List, index, client.right, List->ItemHeights(index));
        bool lastLine = false;
        for (int y = (lines - 1) * Gh; y < lines * Gh; ++y)
            for (int x = 0; x < client.right; ++x)
                lastLine |= PixelAt(*drawn, x, y) == RGB(8, 55, 114);
        EXPECT_TRUE(lastLine) << "the last line shows text";
    };
    TCanvas& measure = List->MeasureCanvas();
    const std::string path = "C:\\Dokumente\\Projekte\\2026\\Unterlagen zum Antrag\\"
                             "Ein-sehr-langer-Ordnername-fuer-die-Ablage\\Antrag.txt";
    List->AddItem(path, nullptr);
    const int room = ClientRight - 3;
    ASSERT_GT(measure.TextWidth(path), room);
    expectLines(0, List->ItemHeights(0) / Gh);
    EXPECT_GE(List->ItemHeights(0), 3 * Gh);

    // With the list's own scroll bar shown, a name that fills the line
    // (the bar's width or less short of it) still takes one line.
    List->Clear();
    for (int i = 0; i < 20; ++i)
        List->AddItem("C:\\f" + std::to_string(i) + ".txt", nullptr);
    RECT client;
    GetClientRect(List->Handle(), &client);
    ASSERT_LT(client.right, ClientRight) << "the scroll bar shows";
    std::string name = "C:\\Daten\\";
    while (measure.TextWidth(name + "ax.txt") <= client.right - 3 - 4)
        name += 'a';
    name += "x.txt";
    ASSERT_GT(measure.TextWidth(name), client.right - 3 - GetSystemMetrics(SM_CXVSCROLL));
    List->AddItem(name, nullptr);
    expectLines(20, 1);
    List->UpdateItemHeights();
    EXPECT_EQ(List->ItemHeights(20), Gh - 2) << "measured again, still one line";
}

TEST_F(HtmlListBoxTest, AnchorAtPointFindsTheHrefAndItsItem) {
    List->AddItem("C:\\plain.txt", nullptr);
    List->AddItem("<A href=\"http://example.org/\">link</A> and more text", nullptr);
    const RECT second = List->ItemRect(1);
    const int linkWidth = List->MeasureCanvas().TextWidth("link");
    const int y = (second.top + second.bottom) / 2;
    EXPECT_EQ(List->AnchorAtPoint(2 + linkWidth / 2, y),
              std::make_pair(std::string("http://example.org/"), 1));
    EXPECT_EQ(List->AnchorAtPoint(2 + linkWidth + List->MeasureCanvas().TextWidth(" and mo"), y),
              std::make_pair(std::string(), -1));
    EXPECT_EQ(List->AnchorAtPoint(5, (List->ItemRect(0).top + List->ItemRect(0).bottom) / 2),
              std::make_pair(std::string(), -1));
    EXPECT_EQ(List->AnchorAtPoint(5, second.bottom + 20), std::make_pair(std::string(), -1));
}

TEST_F(HtmlListBoxTest, AnchorsUnderTheMouseSetTheHandCursorEventsAndHints) {
    List->AddItem("<B>C:\\plain.txt</B>", nullptr);
    List->AddItem("<A href=\"one\">one</A> and <A href=\"two\">two</A>", nullptr);
    List->SetCursor(TCursor::crIBeam);
    std::vector<std::string> events;
    List->OnAnchorEnter = [&](TComponent*, int index, const std::string& href) {
        events.push_back("enter " + std::to_string(index) + " " + href);
    };
    List->OnAnchorExit = [&](TComponent*, int index, const std::string& href) {
        events.push_back("exit " + std::to_string(index) + " " + href);
    };
    List->OnAnchorHint = [](TComponent*, int, std::string& href) { href = "go to " + href; };
    List->AnchorHint = true;
    List->ItemHint = true;
    const RECT r = List->ItemRect(1);
    const int y = (r.top + r.bottom) / 2;
    TCanvas& canvas = List->MeasureCanvas();
    const int one = 3 + canvas.TextWidth("one") / 2;
    const int two = 3 + canvas.TextWidth("one and ") + canvas.TextWidth("two") / 2;
    const int between = 3 + canvas.TextWidth("one an");
    const auto move = [&](int x, int atY) {
        SendMessageA(List->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, atY));
    };

    move(one, y);
    EXPECT_EQ(List->Cursor(), TCursor::crHandPoint);
    EXPECT_EQ(List->Hint(), "go to one");
    move(one + 1, y);
    move(two, y);
    EXPECT_EQ(List->Cursor(), TCursor::crHandPoint);
    EXPECT_EQ(List->Hint(), "go to two");
    move(between, y);
    EXPECT_EQ(List->Cursor(), TCursor::crIBeam) << "the cursor from before comes back";
    EXPECT_EQ(List->Hint(), "one and two") << "the item's plain text";
    const RECT first = List->ItemRect(0);
    move(5, (first.top + first.bottom) / 2);
    EXPECT_EQ(List->Hint(), "C:\\plain.txt");
    List->HTMLHint = true;
    move(6, (first.top + first.bottom) / 2);
    EXPECT_EQ(List->Hint(), "<B>C:\\plain.txt</B>");
    EXPECT_EQ(events,
              (std::vector<std::string>{"enter 1 one", "exit 1 one", "enter 1 two", "exit 1 two"}));
}

TEST_F(HtmlListBoxTest, HintsStandOnTheirItemOrBesideTheMouseAndEndWithTheItem) {
    List->AddItem("C:\\erste.txt", nullptr);
    List->AddItem("<A href=\"ziel\">Link</A> C:\\zweite.txt", nullptr);
    List->AnchorHint = true;
    List->ItemHint = true;
    List->SetShowHint(true);
    // The tip is placed from the real mouse position, so the mouse goes there.
    const auto move = [&](int x, int y) {
        const POINT screen = List->ClientToScreen({x, y});
        SetCursorPos(screen.x, screen.y);
        SendMessageA(List->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        return screen;
    };
    const RECT first = List->ItemRect(0), second = List->ItemRect(1);
    const int firstY = (first.top + first.bottom) / 2, secondY = (second.top + second.bottom) / 2;
    const int afterLink = 3 + List->MeasureCanvas().TextWidth("Link C:\\zw");

    move(20, firstY);
    move(21, firstY);
    ASSERT_EQ(HintControl(), List);
    EXPECT_EQ(HintText(), "C:\\erste.txt");
    const POINT corner = List->ClientToScreen({first.left, first.top});
    EXPECT_EQ(HintPoint().x, corner.x);
    EXPECT_EQ(HintPoint().y, corner.y);

    // Onto the next item: the first tip ends at once, the next move shows
    // the second one on its own corner.
    move(afterLink, secondY);
    EXPECT_EQ(HintControl(), nullptr);
    move(afterLink + 1, secondY);
    ASSERT_EQ(HintControl(), List);
    EXPECT_EQ(HintText(), "Link C:\\zweite.txt");
    EXPECT_EQ(HintPoint().y, List->ClientToScreen({second.left, second.top}).y);

    // An anchor's href stands 10 pixels right of and above the mouse.
    move(5, secondY);
    const POINT mouse = move(6, secondY);
    ASSERT_EQ(HintControl(), List);
    EXPECT_EQ(HintText(), "ziel");
    EXPECT_EQ(HintPoint().x, mouse.x + 10);
    EXPECT_EQ(HintPoint().y, mouse.y - 10);
}

TEST_F(HtmlListBoxTest, OnlyWebAndMailLinksGoToTheShell) {
    std::vector<std::string> opened;
    std::vector<std::pair<int, std::string>> clicked;
    List->ShellOpen = [&](const std::string& href) { opened.push_back(href); };
    List->OnAnchorClick = [&](TComponent*, int index, const std::string& href) {
        clicked.push_back({index, href});
    };
    struct {
        std::string href;
        bool shell;
    } const cases[] = {
        {"http://example.org/", true},
        {"HTTPS://example.org/x", true},
        {"ftp://host/file", true},
        {"MailTo:someone@example.org", true},
        {"file:///C:/Windows/notepad.exe", false},
        {"C:\\Windows\\notepad.exe", false},
        {"ms-settings:display", false},
        {"javascript://%0Aalert(1)", false},
        {"foo://bar", false},
        {"x-mailto:someone", false},
        {"see http://example.org", false},
        {"kopie", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.href);
        opened.clear();
        clicked.clear();
        List->Clear();
        List->AddItem("C:\\first.txt", nullptr);
        List->AddItem("<A href=\"" + c.href + "\">link</A>", nullptr);
        const RECT r = List->ItemRect(1);
        const LPARAM at = MAKELPARAM(4, (r.top + r.bottom) / 2);
        SendMessageA(List->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(List->Handle(), WM_LBUTTONUP, 0, at);
        if (c.shell) {
            EXPECT_EQ(opened, std::vector<std::string>{c.href});
            EXPECT_TRUE(clicked.empty());
        } else {
            EXPECT_TRUE(opened.empty());
            EXPECT_EQ(clicked, (std::vector<std::pair<int, std::string>>{{1, c.href}}));
        }
    }
}

TEST_F(HtmlListBoxTest, KeyboardLookupInThePlainTexts) {
    for (const char* text : {"Apfel", "Birne", "<B>Banane</B>", "Kirsche", "bohne"})
        List->AddItem(text, nullptr);
    struct {
        const char* name;
        bool incremental;
        std::vector<WORD> keys;
        int selected;
        std::string lookup;
    } const cases[] = {
        {"one letter, nothing selected", false, {'B'}, 1, "B"},
        {"a second press starts at the selection", false, {'B', 'B'}, 1, "B"},
        {"the last letter alone counts", false, {'B', 'K'}, 3, "K"},
        {"markup is not looked at", false, {'<'}, -1, "<"},
        {"arrows clear the text", false, {'K', VK_DOWN}, 4, ""},
        {"accumulates", true, {'B', 'A'}, 2, "BA"},
        {"case does not matter", true, {'B', 'O'}, 4, "BO"},
        {"backspace takes a letter off", true, {'B', 'A', VK_BACK}, 2, "B"},
        {"no match starts over with the key", true, {'B', 'K'}, 3, "K"},
        {"escape clears", true, {'B', 'I', VK_ESCAPE}, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        List->IncrLookup = c.incremental;
        List->SetItemIndex(-1);
        Key(VK_ESCAPE);
        for (WORD key : c.keys)
            Key(key);
        EXPECT_EQ(List->ItemIndex(), c.selected);
        EXPECT_EQ(List->LookupText(), c.lookup);
    }
    // A typed character does not reach the system list's own search in the markup.
    List->SetItemIndex(0);
    SendMessageA(List->Handle(), WM_CHAR, '<', 0);
    EXPECT_EQ(List->ItemIndex(), 0);
}

TEST_F(HtmlListBoxTest, BlinkingTextTurnsEveryFifthTick) {
    List->AddItem("C:\\steady.txt", nullptr);
    List->AddItem("<blink>C:\\blinking.txt</blink>", nullptr);
    List->SetEnableBlink(true);
    std::vector<bool> visible;
    std::vector<bool> blinkRowInvalid;
    for (int tick = 1; tick <= 15; ++tick) {
        ValidateRect(List->Handle(), nullptr);
        List->BlinkTick();
        visible.push_back(List->BlinkVisible());
        RECT pending;
        const bool any = GetUpdateRect(List->Handle(), &pending, FALSE) != FALSE;
        const RECT blinkRow = List->ItemRect(1);
        blinkRowInvalid.push_back(any && EqualRect(&pending, &blinkRow));
        EXPECT_EQ(any, tick % 5 == 0) << "tick " << tick;
    }
    const std::vector<bool> expected{true,  true, true, true, false, false, false, false,
                                     false, true, true, true, true,  true,  false};
    EXPECT_EQ(visible, expected);
    EXPECT_TRUE(blinkRowInvalid[4]) << "only the blinking row is drawn again";
    List->SetEnableBlink(false);
    EXPECT_TRUE(List->BlinkVisible());
}

TEST_F(HtmlListBoxTest, SortingKeepsEachObjectWithItsText) {
    int a = 0, b = 0, c = 0, d = 0;
    struct {
        bool withHtml;
        std::vector<std::string> order;
    } const cases[] = {
        {false, {"alpha", "Beta", "<I>gamma</I>", "<B>zeta</B>"}},
        {true, {"<B>zeta</B>", "<I>gamma</I>", "alpha", "Beta"}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.withHtml ? "markup" : "plain text");
        List->SetSorted(false);
        List->Clear();
        List->AddItem("<B>zeta</B>", &a);
        List->AddItem("alpha", &b);
        List->AddItem("Beta", &c);
        List->AddItem("<I>gamma</I>", &d);
        List->SetSortWithHTML(k.withHtml);
        List->SetSorted(true);
        EXPECT_EQ(Texts(), k.order);
        for (int i = 0; i < List->Count(); ++i) {
            const std::string& t = List->Strings(i);
            void* expected = t == "<B>zeta</B>" ? &a : t == "alpha" ? &b : t == "Beta" ? &c : &d;
            EXPECT_EQ(List->Objects(i), expected) << t;
        }
        // Items added later stay where they are put.
        List->AddItem("aaa", nullptr);
        EXPECT_EQ(List->Strings(List->Count() - 1), "aaa");
    }
}

TEST_F(HtmlListBoxTest, StyleTableSetsTheSelectionColours) {
    struct {
        TTelvarStyle style;
        TColor border, from, to, mirrorFrom, mirrorTo, font;
    } const cases[] = {
        {tsOffice2003Olive, clNone, 12775167, clNone, clNone, clNone, clBlack},
        {tsOffice2007Obsidian, clSilver, kLunaFrom, kLunaTo, kLunaMirrorFrom, kLunaMirrorTo,
         clBlack},
        {tsWhidbey, clNone, clHighlight, clNone, clNone, clNone, clHighlightText},
        // Custom leaves the Whidbey colours as they are.
        {tsCustom, clNone, clHighlight, clNone, clNone, clNone, clHighlightText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        List->SetComponentStyle(c.style);
        const TGradientStyle& s = List->SelectionColors();
        EXPECT_EQ(s.BorderColor(), c.border);
        EXPECT_EQ(s.ColorFrom(), c.from);
        EXPECT_EQ(s.ColorTo(), c.to);
        EXPECT_EQ(s.ColorMirrorFrom(), c.mirrorFrom);
        EXPECT_EQ(s.ColorMirrorTo(), c.mirrorTo);
        EXPECT_EQ(List->SelectionFontColor(), c.font);
    }
}

} // namespace
