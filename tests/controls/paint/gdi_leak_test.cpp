// Painting leaves no GDI objects behind: many glow buttons made, painted and
// freed, and many markup texts rendered, end where they started.
#include "controls/html/HTMListB.h"
#include "controls/paint/AdvGlowButton.h"
#include "framework/Forms.h"
#include "tests/support/FreshApplication.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class GdiLeakTest : public ::testing::Test {
  protected:
    void SetUp() override { app = FreshApplication(); }
    void TearDown() override { app.reset(); }
    std::unique_ptr<TApplication> app;
};

TEST_F(GdiLeakTest, FontCopiesShareTheirHandleUntilOneChanges) {
    const int before = LiveGdiObjects();
    TFont font;
    const HFONT handle = font.Handle();
    TFont copy(font);
    TFont assigned;
    assigned.SetName("Arial");
    assigned.Handle();
    assigned = font;
    EXPECT_EQ(copy.Handle(), handle);
    EXPECT_EQ(assigned.Handle(), handle);
    copy.SetColor(clRed);
    EXPECT_EQ(copy.Handle(), handle) << "the colour is not part of the GDI font";
    EXPECT_EQ(LiveGdiObjects(), before + 1);
    copy.SetStyle(fsBold);
    EXPECT_NE(copy.Handle(), handle);
    EXPECT_EQ(font.Handle(), handle);

    // A canvas draws with the very handle of the font given to it.
    TBitmap bitmap(20, 20);
    bitmap.Canvas().Font = font;
    bitmap.Canvas().TextOut(0, 0, "x");
    EXPECT_EQ(GetCurrentObject(bitmap.Canvas().Handle(), OBJ_FONT), handle);
}

TEST_F(GdiLeakTest, OwnersThatHandOverAnObjectCountItOnce) {
    const int before = LiveGdiObjects();
    {
        TGdiObject<HBRUSH> first(CreateSolidBrush(RGB(1, 2, 3)));
        TGdiObject<HBRUSH> second(CreateSolidBrush(RGB(4, 5, 6)));
        EXPECT_EQ(LiveGdiObjects(), before + 2);
        second = std::move(first); // frees second's own brush
        EXPECT_EQ(LiveGdiObjects(), before + 1);
        TGdiObject<HBRUSH> third(std::move(second));
        EXPECT_EQ(LiveGdiObjects(), before + 1);
        EXPECT_TRUE(third);
        EXPECT_FALSE(second);
    }
    EXPECT_EQ(LiveGdiObjects(), before);
}

TEST_F(GdiLeakTest, ACanvasKeepsItsPenWhileThePenStaysTheSame) {
    TBitmap bitmap(40, 40);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush.SetColor(clWhite);
    canvas.FillRect(MakeRect(0, 0, 40, 40));
    const int before = LiveGdiObjects();
    canvas.Pen.SetColor(clRed);
    canvas.MoveTo(0, 1);
    canvas.LineTo(40, 1);
    const HGDIOBJ red = GetCurrentObject(canvas.Handle(), OBJ_PEN);
    for (int y = 2; y < 10; ++y) {
        canvas.MoveTo(0, y);
        canvas.LineTo(40, y);
    }
    EXPECT_EQ(GetCurrentObject(canvas.Handle(), OBJ_PEN), red) << "a run of lines makes one pen";
    EXPECT_EQ(LiveGdiObjects(), before + 1);

    struct TChange {
        const char* Name;
        std::function<void(TPen&)> Apply;
    };
    const TChange changes[] = {
        {"colour", [](TPen& pen) { pen.SetColor(clBlue); }},
        {"width", [](TPen& pen) { pen.SetWidth(3); }},
        {"style", [](TPen& pen) { pen.SetStyle(PS_DOT); }},
    };
    int y = 12;
    for (const TChange& c : changes) {
        SCOPED_TRACE(c.Name);
        const HGDIOBJ previous = GetCurrentObject(canvas.Handle(), OBJ_PEN);
        c.Apply(canvas.Pen);
        canvas.MoveTo(0, y);
        canvas.LineTo(40, y);
        EXPECT_NE(GetCurrentObject(canvas.Handle(), OBJ_PEN), previous);
        EXPECT_EQ(LiveGdiObjects(), before + 1) << "the pen it replaced is gone";
        y += 6;
    }
    EXPECT_EQ(canvas.Pixel(5, 1), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(5, 12), RGB(0, 0, 255)) << "the new colour draws";

    canvas.Pen.SetColor(clNone);
    canvas.MoveTo(0, 35);
    canvas.LineTo(40, 35);
    EXPECT_EQ(canvas.Pixel(5, 35), RGB(255, 255, 255)) << "no pen draws nothing";
}

TEST_F(GdiLeakTest, ManyGlowButtonsAndMarkupTextsLeaveNothingBehind) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    form.Show();
    TBitmap target(300, 200);
    // Warm up what is made once and kept (the form's buffer, cached stock objects).
    auto roundOfButtons = [&](int count) {
        for (int i = 0; i < count; ++i) {
            auto* button = new TAdvGlowButton(&form);
            button->SetBounds(10, 10, 100, 33);
            button->SetCaption("Vergleichen");
            button->SetParent(&form);
            button->PaintTo(target.Canvas());
            SendMessageA(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
            button->FadeTick();
            button->Update();
            delete button;
        }
    };
    roundOfButtons(1);
    const int beforeButtons = LiveGdiObjects();
    roundOfButtons(1000);
    EXPECT_EQ(LiveGdiObjects(), beforeButtons);

    const std::string markup = "<B>Fett</B> und <I>schr\xE4g</I> <FONT color=\"clRed\">rot</FONT> "
                               "<A href=\"x\">Verweis</A><BR><U>unten</U>";
    THtmlRenderOptions options;
    THtmlRenderResult result;
    const RECT r = MakeRect(0, 0, 300, 200);
    RenderHtmlText(target.Canvas(), markup, r, options, result);
    const int beforeTexts = LiveGdiObjects();
    for (int i = 0; i < 10000; ++i)
        RenderHtmlText(target.Canvas(), markup, r, options, result);
    EXPECT_EQ(LiveGdiObjects(), beforeTexts);
}

} // namespace
