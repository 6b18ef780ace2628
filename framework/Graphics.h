// Colours, fonts, brushes, pens, the canvas, off-screen bitmaps and image lists:
// the drawing half of the window layer, a thin skin over GDI.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/Classes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

// 32-bit colour: red in the low byte. System colours carry 0xFF in the top byte
// and the system colour index in the low byte and resolve when drawn.
using TColor = std::uint32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor SystemColor(int index) {
    return 0xFF000000u | static_cast<TColor>(index);
}
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// The RGB value a colour draws with; system colours are looked up now.
COLORREF ColorToRGB(TColor color);

// GDI objects alive in the wrappers of this program (GDI and GDI+), for tests
// that look for leaks: the system's own count is not available everywhere.
int LiveGdiObjects();
// Each wrapper reports what it creates (+1) and frees (-1).
void CountGdiObjects(int delta);

// Owns one GDI object; move-only.
template <class H> class TGdiObject {
  public:
    TGdiObject() = default;
    explicit TGdiObject(H handle) { Reset(handle); }
    TGdiObject(TGdiObject&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    TGdiObject& operator=(TGdiObject&& other) noexcept {
        // The object stays counted once: it only changes owner.
        if (this != &other) {
            Reset();
            FHandle = std::exchange(other.FHandle, nullptr);
        }
        return *this;
    }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    ~TGdiObject() { Reset(); }

    H Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }
    void Reset(H handle = nullptr) {
        if (FHandle) {
            DeleteObject(FHandle);
            CountGdiObjects(-1);
        }
        FHandle = handle;
        if (handle)
            CountGdiObjects(1);
    }

  private:
    H FHandle = nullptr;
};

// Selects an object into a device context for one scope and puts the previous one back.
class TSelectScope {
  public:
    TSelectScope(HDC dc, HGDIOBJ object)
        : FDC(dc), FOld(object ? SelectObject(dc, object) : nullptr) {}
    ~TSelectScope() {
        if (FOld)
            SelectObject(FDC, FOld);
    }
    TSelectScope(const TSelectScope&) = delete;
    TSelectScope& operator=(const TSelectScope&) = delete;

  private:
    HDC FDC;
    HGDIOBJ FOld;
};

// Saves the state of a device context (selected objects, clip, origin) for
// one scope. Canvases made on the context inside the scope must end first.
class TDCStateScope {
  public:
    explicit TDCStateScope(HDC dc) : FDC(dc), FSaved(dc ? SaveDC(dc) : 0) {}
    ~TDCStateScope() {
        if (FSaved)
            RestoreDC(FDC, FSaved);
    }
    TDCStateScope(const TDCStateScope&) = delete;
    TDCStateScope& operator=(const TDCStateScope&) = delete;

  private:
    HDC FDC;
    int FSaved;
};

// Narrows the clip region to a rectangle for one scope. Unlike TDCStateScope it
// leaves the selected objects alone, so a canvas may draw inside it.
class TClipScope {
  public:
    TClipScope(HDC dc, const RECT& r) : FDC(dc), FOld(CreateRectRgn(0, 0, 0, 0)) {
        if (GetClipRgn(dc, FOld.Get()) != 1)
            FOld.Reset();
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    ~TClipScope() { SelectClipRgn(FDC, FOld.Get()); }
    TClipScope(const TClipScope&) = delete;
    TClipScope& operator=(const TClipScope&) = delete;

  private:
    HDC FDC;
    TGdiObject<HRGN> FOld;
};

// One WM_PAINT: BeginPaint to EndPaint, with the context's state restored
// before it is given back, also when painting throws.
class TPaintScope {
  public:
    explicit TPaintScope(HWND hwnd) : FWnd(hwnd), FDC(BeginPaint(hwnd, &FPaint)), FState(FDC) {}
    ~TPaintScope() { EndPaint(FWnd, &FPaint); }
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;
    HDC DC() const { return FDC; }
    // The invalid rectangle, the only part that needs painting.
    const RECT& PaintRect() const { return FPaint.rcPaint; }

  private:
    HWND FWnd;
    PAINTSTRUCT FPaint{};
    HDC FDC;
    TDCStateScope FState;
};

// A memory device context compatible with `like` (the screen when null), for one scope.
class TMemoryDC {
  public:
    explicit TMemoryDC(HDC like = nullptr) : FDC(CreateCompatibleDC(like)) {}
    ~TMemoryDC() {
        if (FDC)
            DeleteDC(FDC);
    }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    HDC Get() const { return FDC; }

  private:
    HDC FDC;
};

// A window's device context for one scope: its client area, or with `whole`
// the whole window, non-client area included. A null window is the screen.
class TWindowDC {
  public:
    explicit TWindowDC(HWND hwnd, bool whole = false)
        : FWnd(hwnd), FDC(whole ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
    ~TWindowDC() {
        if (FDC)
            ReleaseDC(FWnd, FDC);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return FDC; }

  private:
    HWND FWnd;
    HDC FDC;
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// The screen's pixels per logical inch (LOGPIXELSY of the screen), which the
// system's own fonts follow: 96, 120 at 125 %, 144 at 150 %.
int ScreenPixelsPerInch();
// Makes ScreenPixelsPerInch answer `answer`, so that tests run the rules of
// other screens on one; std::nullopt asks the screen again.
void OverrideScreenPixelsPerInch(std::optional<int> answer);

// Points and pixels convert at the screen's resolution: 8 points are 11
// pixels at 96 pixels per inch, 13 at 120 and 16 at 144.
int PointsToPixels(int points);
int PixelsToPoints(int pixels);

class TFont {
  public:
    TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);

    const std::string& Name() const { return FName; }
    void SetName(const std::string& name) { Change(FName, name); }
    // Height in pixels (positive: character height without internal leading).
    int Height() const { return FHeight; }
    void SetHeight(int pixels) { Change(FHeight, pixels); }
    int Size() const { return PixelsToPoints(FHeight); }
    void SetSize(int points) { SetHeight(PointsToPixels(points)); }
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles style) { Change(FStyle, style); }
    int Charset() const { return FCharset; }
    void SetCharset(int charset) { Change(FCharset, charset); }
    int Orientation() const { return FOrientation; }
    void SetOrientation(int tenthsOfDegree) { Change(FOrientation, tenthsOfDegree); }
    // Copies every property and notifies once when anything changed.
    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;

    HFONT Handle() const;
    std::function<void()> OnChange;

  private:
    // Stores a property that is part of the GDI font; the handle is made anew.
    template <class T> void Change(T& field, const T& value) {
        if (field != value) {
            field = value;
            Changed();
        }
    }
    void Changed();
    // Copies share the GDI font until one of them changes a property of it.
    struct THandleHolder {
        TGdiObject<HFONT> Font;
    };
    std::string FName = "Tahoma";
    int FHeight = PointsToPixels(8);
    TColor FColor = clWindowText;
    TFontStyles FStyle = 0;
    int FCharset = DEFAULT_CHARSET;
    int FOrientation = 0;
    std::shared_ptr<THandleHolder> FHandle = std::make_shared<THandleHolder>();
};

enum class TBrushStyle { bsSolid, bsClear };

class TBrush {
  public:
    TColor Color() const { return FColor; }
    // Giving a clear brush a colour makes it solid; clNone makes it clear.
    void SetColor(TColor color);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle style);

  private:
    friend class TCanvas;
    TColor FColor = clWhite;
    TBrushStyle FStyle = TBrushStyle::bsSolid;
};

class TPen {
  public:
    TColor Color() const { return FColor; }
    void SetColor(TColor color) { FColor = color; }
    int Width() const { return FWidth; }
    void SetWidth(int width) { FWidth = width; }
    int Style() const { return FStyle; }
    void SetStyle(int penStyle) { FStyle = penStyle; }

  private:
    TColor FColor = clBlack;
    int FWidth = 1;
    int FStyle = PS_SOLID;
};

// A drawing surface over a device context it does not own. The font, brush
// and pen are realised into the context when something is drawn, and every
// object the canvas selected is deselected when the canvas goes away.
class TCanvas {
  public:
    TCanvas() = default;
    explicit TCanvas(HDC dc) { SetHandle(dc); }
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    virtual ~TCanvas();

    HDC Handle() const { return FDC; }
    void SetHandle(HDC dc);

    TFont Font;
    TBrush Brush;
    TPen Pen;

    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    // Text background follows the brush: opaque in its colour when solid,
    // transparent when clear.
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const RECT& r, int x, int y, const std::string& text);
    // DrawTextA with the given DT_ flags; returns the height of the text.
    int DrawText(const std::string& text, RECT& r, UINT flags);

    void FillRect(const RECT& r);
    void FrameRect(const RECT& r);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const RECT& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
    void RoundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH);
    void Ellipse(int left, int top, int right, int bottom);
    void MoveTo(int x, int y);
    // Lines include their first and exclude their last point.
    void LineTo(int x, int y);
    void Polygon(const POINT* points, int count);
    void DrawFocusRect(const RECT& r);
    COLORREF Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    // Copies a rectangle of another device context onto this canvas.
    void CopyRect(const RECT& dest, HDC source, int sourceX, int sourceY);

  private:
    void RealizeFont();
    // The solid brush now selected; null for a clear one, or one that could not be made.
    HBRUSH RealizeBrush();
    void RealizePen();
    void Release();
    HDC FDC = nullptr;
    HGDIOBJ FOldFont = nullptr, FOldBrush = nullptr, FOldPen = nullptr;
    TGdiObject<HBRUSH> FBrushHandle;
    COLORREF FBrushRGB = 0; // of FBrushHandle
    TGdiObject<HPEN> FPenHandle;
    // What FPenHandle was made from.
    struct TPenKey {
        COLORREF RGB = 0;
        int Width = 0, Style = 0;
        bool operator==(const TPenKey&) const = default;
    } FPenKey;
    HFONT FSelectedFont = nullptr;
    TFont FRealizedFont;
    bool FFontRealized = false;
};

// A 32-bit top-down DIB section with its own memory device context.
class TBitmap {
  public:
    TBitmap() = default;
    TBitmap(int width, int height);
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;
    ~TBitmap();

    void SetSize(int width, int height);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    HBITMAP Handle() const { return FBitmap.Get(); }
    // Raw pixels, BGRA, rows top-down; valid while the size stays.
    std::uint32_t* Bits() const { return FBits; }
    TCanvas& Canvas() { return FCanvas; }

  private:
    void Free();
    TGdiObject<HBITMAP> FBitmap;
    HDC FDC = nullptr;
    HGDIOBJ FOld = nullptr;
    std::uint32_t* FBits = nullptr;
    int FWidth = 0, FHeight = 0;
    TCanvas FCanvas;
};

// Image list of equally sized 32-bit images with a one-bit mask.
class TImageList : public TComponent {
  public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);
    TImageList(const TImageList&) = delete;
    TImageList& operator=(const TImageList&) = delete;
    ~TImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const;
    HIMAGELIST Handle() const { return FHandle; }
    // Adds an image with its mask (set mask bits are transparent); returns its index or -1.
    int Add(HBITMAP image, HBITMAP mask);
    // Adds an image from a bitmap resource, with the colour of its bottom-left pixel transparent.
    int AddResource(HINSTANCE instance, const char* name);
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;

  private:
    int FWidth, FHeight;
    HIMAGELIST FHandle = nullptr;
};
