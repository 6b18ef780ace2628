// The test system must have the font the window is drawn in, or every
// measurement and every GDI+ caption of the tests is taken in a stand-in.
#include "framework/Forms.h"
#include "tests/support/FreshApplication.h"

#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FontsTest, TahomaIsInstalledForGdiAndGdiplus) {
    auto app = FreshApplication(); // starts GDI+
    for (const char* name : {"Tahoma", "tahoma"}) {
        TFont font;
        font.SetName(name);
        TBitmap bitmap(1, 1);
        TCanvas& canvas = bitmap.Canvas();
        canvas.Font = font;
        char face[LF_FACESIZE] = {};
        ASSERT_GT(GetTextFaceA(canvas.Handle(), LF_FACESIZE, face), 0);
        EXPECT_STREQ(face, "Tahoma") << "GDI drew \"" << name << "\" in a stand-in font";
    }

    Gdiplus::GpFontFamily* family = nullptr;
    EXPECT_EQ(Gdiplus::DllExports::GdipCreateFontFamilyFromName(L"Tahoma", nullptr, &family),
              Gdiplus::Ok);
    if (family)
        Gdiplus::DllExports::GdipDeleteFontFamily(family);

    // A name no system has falls back, so the check above can fail.
    TFont missing;
    missing.SetName("No Such Font Anywhere");
    TBitmap bitmap(1, 1);
    bitmap.Canvas().Font = missing;
    char face[LF_FACESIZE] = {};
    GetTextFaceA(bitmap.Canvas().Handle(), LF_FACESIZE, face);
    EXPECT_STRNE(face, "No Such Font Anywhere");
}

} // namespace
