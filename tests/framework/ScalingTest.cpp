// Other screen resolutions: fonts in points follow the screen, and a form
// whose stored layout asks for it grows from its design resolution.
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "tests/support/FreshApplication.h"
#include "tests/support/ScreenResolution.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr int kResolutions[] = {96, 120, 144};

// The character height (cell height less internal leading) of a font as GDI made it.
int CharacterHeight(const TFont& font) {
    TBitmap bitmap(1, 1);
    bitmap.Canvas().Font = font;
    bitmap.Canvas().TextExtent("x"); // selects the font
    TEXTMETRICA metrics{};
    GetTextMetricsA(bitmap.Canvas().Handle(), &metrics);
    return metrics.tmHeight - metrics.tmInternalLeading;
}

TEST(ScreenResolutionTest, PointsBecomePixelsAtTheScreensResolution) {
    for (const int ppi : kResolutions) {
        SCOPED_TRACE(std::to_string(ppi) + " pixels per inch");
        TScreenResolution screen(ppi);
        EXPECT_EQ(ScreenPixelsPerInch(), ppi);
        // A new font is the system's 8 points on this screen.
        EXPECT_EQ(TFont().Height(), MulDiv(8, ppi, 72));
        for (const int points : {8, 9, 11, 12}) {
            SCOPED_TRACE(std::to_string(points) + " points");
            TFont font;
            font.SetSize(points);
            EXPECT_EQ(font.Height(), MulDiv(points, ppi, 72));
            EXPECT_EQ(font.Size(), points);
            LOGFONTA made{};
            ASSERT_NE(GetObjectA(font.Handle(), sizeof(made), &made), 0);
            EXPECT_EQ(made.lfHeight, -MulDiv(points, ppi, 72));
            EXPECT_EQ(CharacterHeight(font), MulDiv(points, ppi, 72));
        }
    }
    // Without an answer of its own the framework asks the screen.
    HDC dc = GetDC(nullptr);
    const int real = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(ScreenPixelsPerInch(), real);
}

// A form from a stored description made at 96 pixels per inch: a bar along
// the top, a panel filling the rest with a label and a list on it.
class TDescribedForm : public TForm {
  public:
    TDescribedForm(bool scaled) : TForm(nullptr) {
        BeginLoading();
        SetPixelsPerInch(96);
        SetScaled(scaled);
        SetClientSize(300, 200);
        Bar = new TPanel(this);
        Bar->SetBounds(0, 0, 300, 27);
        Bar->SetAlign(TAlign::alTop);
        Bar->SetParent(this);
        Back = new TPanel(this);
        Back->SetBounds(0, 27, 300, 173);
        Back->SetAlign(TAlign::alClient);
        Back->SetParent(this);
        Caption = new TLabel(this);
        Caption->SetBounds(8, 11, 0, 0);
        Caption->SetParent(Back);
        Caption->SetCaption("Auf den Stick"); // sizes the label to its text
        List = new TListBox(this);
        List->SetBounds(8, 25, 281, 124);
        List->SetParent(Back);
        EndLoading();
    }
    TPanel* Bar;
    TPanel* Back;
    TLabel* Caption;
    TListBox* List;
};

class FormScalingTest : public ::testing::Test {
  protected:
    void SetUp() override { app = FreshApplication(); }
    void TearDown() override { app.reset(); }
    std::unique_ptr<TApplication> app;
};

TEST_F(FormScalingTest, AScaledFormGrowsFromItsDesignResolutionToTheScreens) {
    for (const int ppi : kResolutions) {
        SCOPED_TRACE(std::to_string(ppi) + " pixels per inch");
        TScreenResolution screen(ppi);
        auto scale = [ppi](int pixels) { return MulDiv(pixels, ppi, 96); };
        TDescribedForm form(true);
        const RECT client = form.ClientRect();
        EXPECT_EQ(client.right, scale(300));
        EXPECT_EQ(client.bottom, scale(200));
        // The bar keeps its stored height, grown; the panel fills the rest.
        EXPECT_EQ(form.Bar->Height(), scale(27));
        EXPECT_EQ(form.Bar->Width(), client.right);
        EXPECT_EQ(form.Back->Top(), form.Bar->Height());
        EXPECT_EQ(form.Back->Height(), client.bottom - form.Bar->Height());
        const RECT list = form.List->BoundsRect();
        const RECT expected =
            MakeRect(scale(8), scale(25), scale(8) + scale(281), scale(25) + scale(124));
        EXPECT_TRUE(EqualRect(&list, &expected));
        EXPECT_EQ(form.List->ItemHeight(), scale(16));
        // The label, in the screen's font, is as large as its text and stands
        // where it was stored, above the list.
        const SIZE text = form.Caption->TextSize();
        EXPECT_EQ(form.Caption->Left(), scale(8));
        EXPECT_EQ(form.Caption->Top(), scale(11));
        EXPECT_EQ(form.Caption->Width(), text.cx);
        EXPECT_EQ(form.Caption->Height(), text.cy);
        EXPECT_LE(form.Caption->Top() + form.Caption->Height(), form.List->Top());
    }
}

TEST_F(FormScalingTest, AFormThatDoesNotAskKeepsItsPixels) {
    TScreenResolution screen(144);
    TDescribedForm form(false);
    EXPECT_EQ(form.ClientRect().right, 300);
    EXPECT_EQ(form.ClientRect().bottom, 200);
    EXPECT_EQ(form.Bar->Height(), 27);
    EXPECT_EQ(form.List->Width(), 281);
    EXPECT_EQ(form.List->ItemHeight(), 16);
    EXPECT_EQ(form.ScaleToScreen(13), 13);
    form.SetScaled(true);
    EXPECT_EQ(form.ScaleToScreen(13), 20);
}

} // namespace
