// Shared ground of the markup tests: an off-screen canvas in the main
// window's font, a 16 x 16 image list, pixel queries and small image files
// written byte by byte.
#pragma once

#include "controls/html/HtmlRender.h"
#include "framework/Graphics.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kImageRed = RGB(255, 0, 0);

// The whole test bitmap.
constexpr RECT kWhole{0, 0, 400, 120};

// Rectangles compare and print as text.
std::string Str(const RECT& r);

class THtmlCanvasTest : public ::testing::Test {
  protected:
    void SetUp() override;

    // Fills the bitmap with `color` and gives the canvas a solid brush of it.
    void Clear(TColor color = clWhite);
    // Renders into the bitmap with the options given.
    bool Render(const std::string& text, const RECT& rect, THtmlRenderResult& result);
    THtmlRenderResult Measure(const std::string& text, int width = 380);

    COLORREF Pixel(int x, int y) const;
    int CountColor(const RECT& area, COLORREF color) const;
    // Smallest rectangle holding every pixel that is not `background`; empty if none.
    RECT InkBounds(const RECT& area, COLORREF background = kWhite) const;

    TBitmap Bitmap{400, 120};
    TCanvas& Canvas = Bitmap.Canvas();
    std::unique_ptr<TImageList> Images;
    THtmlRenderOptions Options;
    // "gh" height of the window font: the unit of all expected geometry.
    int Gh = 0;
};

// Pixel-for-pixel equality of two bitmaps of the same size inside `area`.
bool SameArea(const TBitmap& a, const TBitmap& b, const RECT& area);

// A 24-bit Windows bitmap file of one colour.
std::string BmpFile(int width, int height, COLORREF color);

struct TGifFrameShape {
    int X = 0, Y = 0, Width = 1, Height = 1;
    int Delay = 0;
    int ColorIndex = 0;
};
// A GIF with a four-colour palette whose frames are solid rectangles.
std::string GifFile(int width, int height, const std::vector<COLORREF>& palette,
                    const std::vector<TGifFrameShape>& frames);

// A fresh path in the temporary folder, and writing bytes to a file.
std::string TempFilePath(const std::string& name);
void WriteBytes(const std::string& path, const std::string& bytes);
