#include "framework/Graphics.h"

#include <cmath>

COLORREF ColorToRGB(TColor color) {
    if ((color & 0xFF000000u) == 0xFF000000u)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0x00FFFFFFu;
}

namespace {
int gLiveGdiObjects = 0;
} // namespace

int LiveGdiObjects() {
    return gLiveGdiObjects;
}

void CountGdiObjects(int delta) {
    gLiveGdiObjects += delta;
}

namespace {
std::optional<int>& ScreenPixelsPerInchOverride() {
    static std::optional<int> answer;
    return answer;
}

int ReadScreenPixelsPerInch() {
    const TWindowDC screen(nullptr);
    const int ppi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return ppi > 0 ? ppi : 96;
}
} // namespace

// The resolution changes only with a new logon: read once.
int ScreenPixelsPerInch() {
    static const int ppi = ReadScreenPixelsPerInch();
    return ScreenPixelsPerInchOverride().value_or(ppi);
}

void OverrideScreenPixelsPerInch(std::optional<int> answer) {
    ScreenPixelsPerInchOverride() = answer;
}

int PointsToPixels(int points) {
    return MulDiv(points, ScreenPixelsPerInch(), 72);
}
int PixelsToPoints(int pixels) {
    return MulDiv(pixels, 72, ScreenPixelsPerInch());
}

// ---- TFont

TFont::TFont() = default;

TFont::TFont(const TFont& other)
    : FName(other.FName), FHeight(other.FHeight), FColor(other.FColor), FStyle(other.FStyle),
      FCharset(other.FCharset), FOrientation(other.FOrientation), FHandle(other.FHandle) {}

TFont& TFont::operator=(const TFont& other) {
    Assign(other);
    return *this;
}

bool TFont::SameAs(const TFont& other) const {
    return FName == other.FName && FHeight == other.FHeight && FColor == other.FColor &&
           FStyle == other.FStyle && FCharset == other.FCharset &&
           FOrientation == other.FOrientation;
}

void TFont::Assign(const TFont& other) {
    if (this == &other)
        return;
    if (SameAs(other)) {
        // Nothing changes; take the other's GDI font if it has one.
        if (other.FHandle->Font)
            FHandle = other.FHandle;
        return;
    }
    FName = other.FName;
    FHeight = other.FHeight;
    FColor = other.FColor;
    FStyle = other.FStyle;
    FCharset = other.FCharset;
    FOrientation = other.FOrientation;
    // Same properties, same GDI font: share it instead of making another.
    FHandle = other.FHandle;
    if (OnChange)
        OnChange();
}

void TFont::Changed() {
    FHandle = std::make_shared<THandleHolder>();
    if (OnChange)
        OnChange();
}

void TFont::SetColor(TColor color) {
    if (color != FColor) {
        FColor = color;
        // The colour is not part of the GDI font: keep the handle.
        if (OnChange)
            OnChange();
    }
}

HFONT TFont::Handle() const {
    TGdiObject<HFONT>& handle = FHandle->Font;
    if (!handle) {
        LOGFONTA lf{};
        lf.lfHeight = -FHeight;
        lf.lfEscapement = FOrientation;
        lf.lfOrientation = FOrientation;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
        lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = static_cast<BYTE>(FCharset);
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynA(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
        handle.Reset(CreateFontIndirectA(&lf));
    }
    return handle.Get();
}

// ---- TBrush

void TBrush::SetColor(TColor color) {
    FColor = color;
    FStyle = color == clNone ? TBrushStyle::bsClear : TBrushStyle::bsSolid;
}

void TBrush::SetStyle(TBrushStyle style) {
    FStyle = style;
}

// ---- TCanvas

TCanvas::~TCanvas() {
    Release();
}

void TCanvas::Release() {
    if (FDC) {
        if (FOldFont)
            SelectObject(FDC, FOldFont);
        if (FOldBrush)
            SelectObject(FDC, FOldBrush);
        if (FOldPen)
            SelectObject(FDC, FOldPen);
    }
    FOldFont = FOldBrush = FOldPen = nullptr;
    FSelectedFont = nullptr;
    FFontRealized = false;
    FBrushHandle.Reset();
    FPenHandle.Reset();
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == FDC)
        return;
    Release();
    FDC = dc;
}

void TCanvas::RealizeFont() {
    // The colour is not part of the GDI font, so a colour change keeps the handle.
    const bool same = FFontRealized && FRealizedFont.Name() == Font.Name() &&
                      FRealizedFont.Height() == Font.Height() &&
                      FRealizedFont.Style() == Font.Style() &&
                      FRealizedFont.Charset() == Font.Charset() &&
                      FRealizedFont.Orientation() == Font.Orientation();
    if (!same) {
        // Deselect first: the copy deletes its old handle when it changes.
        HGDIOBJ old = SelectObject(FDC, GetStockObject(SYSTEM_FONT));
        if (!FOldFont)
            FOldFont = old;
        FRealizedFont = Font;
        FSelectedFont = FRealizedFont.Handle();
        SelectObject(FDC, FSelectedFont);
        FFontRealized = true;
    }
    SetTextColor(FDC, ColorToRGB(Font.Color()));
}

HBRUSH TCanvas::RealizeBrush() {
    const bool clear = Brush.FStyle == TBrushStyle::bsClear || Brush.FColor == clNone;
    const COLORREF rgb = ColorToRGB(Brush.FColor);
    // The solid brush is kept while its colour stays: a run of fills makes one.
    const bool fresh = !clear && (!FBrushHandle || FBrushRGB != rgb);
    TGdiObject<HBRUSH> made(fresh ? CreateSolidBrush(rgb) : nullptr);
    HBRUSH brush = clear ? nullptr : fresh ? made.Get() : FBrushHandle.Get();
    if (clear) {
        SetBkMode(FDC, TRANSPARENT);
    } else {
        SetBkColor(FDC, rgb);
        SetBkMode(FDC, OPAQUE);
    }
    HGDIOBJ old = SelectObject(FDC, brush ? brush : GetStockObject(NULL_BRUSH));
    if (!FOldBrush)
        FOldBrush = old;
    // The brush it replaces is deselected by now and may go.
    if (made) {
        FBrushHandle = std::move(made);
        FBrushRGB = rgb;
    }
    return brush;
}

void TCanvas::RealizePen() {
    const bool none = Pen.Color() == clNone;
    const TPenKey key{ColorToRGB(Pen.Color()), Pen.Width(), Pen.Style()};
    // The pen is kept while it stays the same: a run of lines makes one.
    const bool fresh = !none && (!FPenHandle || FPenKey != key);
    TGdiObject<HPEN> made(fresh ? CreatePen(key.Style, key.Width, key.RGB) : nullptr);
    HPEN pen = none ? nullptr : fresh ? made.Get() : FPenHandle.Get();
    HGDIOBJ old = SelectObject(FDC, pen ? pen : GetStockObject(NULL_PEN));
    if (!FOldPen)
        FOldPen = old;
    // The pen it replaces is deselected by now and may go.
    if (made) {
        FPenHandle = std::move(made);
        FPenKey = key;
    }
}

SIZE TCanvas::TextExtent(const std::string& text) {
    SIZE size{0, 0};
    RealizeFont();
    GetTextExtentPoint32A(FDC, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    RealizeFont();
    RealizeBrush();
    ::TextOutA(FDC, x, y, text.c_str(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::string& text) {
    RealizeFont();
    RealizeBrush();
    UINT options = ETO_CLIPPED;
    if (Brush.Style() == TBrushStyle::bsSolid)
        options |= ETO_OPAQUE;
    ExtTextOutA(FDC, x, y, options, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const std::string& text, RECT& r, UINT flags) {
    RealizeFont();
    RealizeBrush();
    return ::DrawTextA(FDC, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

void TCanvas::FillRect(const RECT& r) {
    if (HBRUSH brush = RealizeBrush())
        ::FillRect(FDC, &r, brush);
}

void TCanvas::FrameRect(const RECT& r) {
    // In the brush's colour whatever its style; the context's state stays as it is.
    const COLORREF rgb = ColorToRGB(Brush.Color());
    if (FBrushHandle && FBrushRGB == rgb) {
        ::FrameRect(FDC, &r, FBrushHandle.Get());
        return;
    }
    TGdiObject<HBRUSH> brush(CreateSolidBrush(rgb));
    ::FrameRect(FDC, &r, brush.Get());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    RealizeBrush();
    RealizePen();
    ::Rectangle(FDC, left, top, right, bottom);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH) {
    RealizeBrush();
    RealizePen();
    ::RoundRect(FDC, left, top, right, bottom, ellipseW, ellipseH);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    RealizeBrush();
    RealizePen();
    ::Ellipse(FDC, left, top, right, bottom);
}

void TCanvas::MoveTo(int x, int y) {
    MoveToEx(FDC, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    RealizePen();
    ::LineTo(FDC, x, y);
}

void TCanvas::Polygon(const POINT* points, int count) {
    RealizeBrush();
    RealizePen();
    ::Polygon(FDC, points, count);
}

void TCanvas::DrawFocusRect(const RECT& r) {
    // The focus rectangle is an XOR pattern in the text colours.
    SetTextColor(FDC, RGB(0, 0, 0));
    SetBkColor(FDC, RGB(255, 255, 255));
    ::DrawFocusRect(FDC, &r);
    FFontRealized = false;
}

COLORREF TCanvas::Pixel(int x, int y) const {
    return GetPixel(FDC, x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    SetPixelV(FDC, x, y, ColorToRGB(color));
}

void TCanvas::CopyRect(const RECT& dest, HDC source, int sourceX, int sourceY) {
    BitBlt(FDC, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source,
           sourceX, sourceY, SRCCOPY);
}

// ---- TBitmap

TBitmap::TBitmap(int width, int height) {
    SetSize(width, height);
}

TBitmap::~TBitmap() {
    Free();
}

void TBitmap::Free() {
    FCanvas.SetHandle(nullptr);
    if (FDC) {
        SelectObject(FDC, FOld);
        DeleteDC(FDC);
        CountGdiObjects(-1);
    }
    FDC = nullptr;
    FOld = nullptr;
    FBitmap.Reset();
    FBits = nullptr;
    FWidth = FHeight = 0;
}

void TBitmap::SetSize(int width, int height) {
    if (width == FWidth && height == FHeight && FDC)
        return;
    Free();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width > 0 ? width : 1;
    info.bmiHeader.biHeight = -(height > 0 ? height : 1);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    FBitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    FBits = static_cast<std::uint32_t*>(bits);
    FDC = CreateCompatibleDC(nullptr);
    if (FDC)
        CountGdiObjects(1);
    FOld = SelectObject(FDC, FBitmap.Get());
    FWidth = width;
    FHeight = height;
    FCanvas.SetHandle(FDC);
}

// ---- TImageList

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), FWidth(width), FHeight(height),
      FHandle(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 1, 1)) {
    if (FHandle)
        CountGdiObjects(1);
}

TImageList::~TImageList() {
    if (FHandle) {
        ImageList_Destroy(FHandle);
        CountGdiObjects(-1);
    }
}

int TImageList::Count() const {
    return FHandle ? ImageList_GetImageCount(FHandle) : 0;
}

int TImageList::Add(HBITMAP image, HBITMAP mask) {
    return FHandle ? ImageList_Add(FHandle, image, mask) : -1;
}

int TImageList::AddResource(HINSTANCE instance, const char* name) {
    TGdiObject<HBITMAP> bitmap(
        static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap || !FHandle)
        return -1;
    BITMAP info{};
    GetObject(bitmap.Get(), sizeof(info), &info);
    COLORREF transparent;
    {
        const TMemoryDC dc;
        const TSelectScope select(dc.Get(), bitmap.Get());
        transparent = GetPixel(dc.Get(), 0, info.bmHeight - 1);
    }
    // The image list copies the bitmap, so ours goes when this returns.
    return ImageList_AddMasked(FHandle, bitmap.Get(), transparent);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
    if (!FHandle || index < 0 || index >= Count())
        return;
    UINT style = ILD_TRANSPARENT;
    if (!enabled)
        style |= ILD_BLEND50;
    ImageList_Draw(FHandle, index, canvas.Handle(), x, y, style);
}
