#include "HtmlTestSupport.h"

#include "framework/Controls.h"

#include <fstream>

namespace {

COLORREF BitsPixel(const TBitmap& bitmap, int x, int y) {
    if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height())
        return CLR_INVALID;
    const std::uint32_t bgra = bitmap.Bits()[y * bitmap.Width() + x];
    return RGB(bgra >> 16 & 0xFF, bgra >> 8 & 0xFF, bgra & 0xFF);
}

void AppendLE(std::string& bytes, unsigned value, int count) {
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>(value >> (8 * i) & 0xFF);
}

// LZW data of `count` pixels of one palette index with 2-bit codes: a clear
// code after every two literals keeps the code width at three bits.
std::string GifPixels(int count, int index) {
    std::string data;
    unsigned buffer = 0;
    int bits = 0;
    auto put = [&](unsigned code) {
        buffer |= code << bits;
        bits += 3;
        while (bits >= 8) {
            data += static_cast<char>(buffer & 0xFF);
            buffer >>= 8;
            bits -= 8;
        }
    };
    constexpr unsigned clear = 4, end = 5;
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0)
            put(clear);
        put(static_cast<unsigned>(index));
    }
    put(end);
    if (bits > 0)
        data += static_cast<char>(buffer & 0xFF);
    std::string blocks;
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::string chunk = data.substr(at, 255);
        blocks += static_cast<char>(chunk.size());
        blocks += chunk;
    }
    return blocks + '\0';
}

} // namespace

std::string Str(const RECT& r) {
    // Appended piece by piece: GCC 12 misreads "(" + std::string as an overlapping copy.
    std::string text = "(";
    for (const LONG value : {r.left, r.top, r.right, r.bottom}) {
        text += std::to_string(value);
        text += ',';
    }
    text.back() = ')';
    return text;
}

void THtmlCanvasTest::SetUp() {
    Canvas.Font.SetName("Tahoma");
    Canvas.Font.SetSize(8);
    Canvas.Font.SetColor(clBlack);
    Clear();
    Gh = Canvas.TextHeight("gh");

    // One opaque red 16 x 16 image.
    Images = std::make_unique<TImageList>(nullptr, 16, 16);
    std::vector<std::uint32_t> red(16 * 16, 0xFFFF0000u);
    std::vector<std::uint16_t> opaque(16, 0);
    TGdiObject<HBITMAP> image(CreateBitmap(16, 16, 1, 32, red.data()));
    TGdiObject<HBITMAP> mask(CreateBitmap(16, 16, 1, 1, opaque.data()));
    ASSERT_EQ(Images->Add(image.Get(), mask.Get()), 0);
}

void THtmlCanvasTest::Clear(TColor color) {
    Canvas.Brush.SetColor(color);
    Canvas.FillRect(MakeRect(0, 0, Bitmap.Width(), Bitmap.Height()));
}

bool THtmlCanvasTest::Render(const std::string& text, const RECT& rect, THtmlRenderResult& result) {
    const bool hit = RenderHtmlText(Canvas, text, rect, Options, result);
    GdiFlush();
    return hit;
}

THtmlRenderResult THtmlCanvasTest::Measure(const std::string& text, int width) {
    THtmlRenderOptions options = Options;
    options.MeasureOnly = true;
    THtmlRenderResult result;
    RenderHtmlText(Canvas, text, MakeRect(0, 0, width, 4096), options, result);
    return result;
}

COLORREF THtmlCanvasTest::Pixel(int x, int y) const {
    GdiFlush();
    return BitsPixel(Bitmap, x, y);
}

int THtmlCanvasTest::CountColor(const RECT& area, COLORREF color) const {
    GdiFlush();
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += BitsPixel(Bitmap, x, y) == color;
    return count;
}

RECT THtmlCanvasTest::InkBounds(const RECT& area, COLORREF background) const {
    GdiFlush();
    RECT ink{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (BitsPixel(Bitmap, x, y) != background) {
                ink.left = std::min<LONG>(ink.left, x);
                ink.top = std::min<LONG>(ink.top, y);
                ink.right = std::max<LONG>(ink.right, x + 1);
                ink.bottom = std::max<LONG>(ink.bottom, y + 1);
            }
    return ink.left < ink.right ? ink : RECT{};
}

bool SameArea(const TBitmap& a, const TBitmap& b, const RECT& area) {
    GdiFlush();
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (BitsPixel(a, x, y) != BitsPixel(b, x, y))
                return false;
    return true;
}

std::string BmpFile(int width, int height, COLORREF color) {
    const int stride = (width * 3 + 3) / 4 * 4;
    std::string bytes = "BM";
    AppendLE(bytes, 54 + stride * height, 4);
    AppendLE(bytes, 0, 4);
    AppendLE(bytes, 54, 4);
    AppendLE(bytes, 40, 4);
    AppendLE(bytes, width, 4);
    AppendLE(bytes, height, 4);
    AppendLE(bytes, 1, 2);
    AppendLE(bytes, 24, 2);
    AppendLE(bytes, 0, 4);
    AppendLE(bytes, stride * height, 4);
    AppendLE(bytes, 2835, 4);
    AppendLE(bytes, 2835, 4);
    AppendLE(bytes, 0, 4);
    AppendLE(bytes, 0, 4);
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row += static_cast<char>(GetBValue(color));
            row += static_cast<char>(GetGValue(color));
            row += static_cast<char>(GetRValue(color));
        }
        row.resize(stride, '\0');
        bytes += row;
    }
    return bytes;
}

std::string GifFile(int width, int height, const std::vector<COLORREF>& palette,
                    const std::vector<TGifFrameShape>& frames) {
    std::string bytes = "GIF89a";
    AppendLE(bytes, width, 2);
    AppendLE(bytes, height, 2);
    bytes += '\x81'; // global table of four colours
    bytes += '\0';
    bytes += '\0';
    for (int i = 0; i < 4; ++i) {
        const COLORREF c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
        bytes += static_cast<char>(GetRValue(c));
        bytes += static_cast<char>(GetGValue(c));
        bytes += static_cast<char>(GetBValue(c));
    }
    for (const TGifFrameShape& frame : frames) {
        bytes += "\x21\xF9\x04";
        bytes += '\0';
        AppendLE(bytes, frame.Delay, 2);
        bytes += '\0';
        bytes += '\0';
        bytes += '\x2C';
        AppendLE(bytes, frame.X, 2);
        AppendLE(bytes, frame.Y, 2);
        AppendLE(bytes, frame.Width, 2);
        AppendLE(bytes, frame.Height, 2);
        bytes += '\0';
        bytes += '\x02';
        bytes += GifPixels(frame.Width * frame.Height, frame.ColorIndex);
    }
    return bytes + '\x3B';
}

std::string TempFilePath(const std::string& name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "korvandel_html_" + std::to_string(GetCurrentProcessId()) + "_" +
           name;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
}
