// Thin owning wrappers over the GDI+ flat API. Each wrapper frees its native
// object. A failed call is left without effect and never throws, so a paint
// always runs to its end.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "framework/Graphics.h"

#include <string>

namespace gdip = Gdiplus;

// Every wrapper owns one native object for its whole life and counts as one
// live GDI object meanwhile.
class TGdiplusBase {
  public:
    TGdiplusBase() { CountGdiObjects(1); }
    ~TGdiplusBase() { CountGdiObjects(-1); }
    TGdiplusBase(const TGdiplusBase&) = delete;
    TGdiplusBase& operator=(const TGdiplusBase&) = delete;
};

class TGPGraphicsPath : public TGdiplusBase {
  public:
    TGPGraphicsPath();
    ~TGPGraphicsPath();
    gdip::GpPath* Native() const { return FPath; }
    void AddLine(float x1, float y1, float x2, float y2);
    void AddArc(float x, float y, float w, float h, float startAngle, float sweepAngle);
    void AddEllipse(float x, float y, float w, float h);
    void CloseFigure();

  private:
    gdip::GpPath* FPath = nullptr;
};

class TGPPen : public TGdiplusBase {
  public:
    TGPPen(gdip::ARGB color, float width);
    ~TGPPen();
    gdip::GpPen* Native() const { return FPen; }
    void SetDashStyle(gdip::DashStyle style);

  private:
    gdip::GpPen* FPen = nullptr;
};

class TGPBrush : public TGdiplusBase {
  public:
    ~TGPBrush();
    gdip::GpBrush* Native() const { return FBrush; }

  protected:
    TGPBrush() = default;
    gdip::GpBrush* FBrush = nullptr;
};

class TGPSolidBrush : public TGPBrush {
  public:
    explicit TGPSolidBrush(gdip::ARGB color);
};

class TGPLinearGradientBrush : public TGPBrush {
  public:
    TGPLinearGradientBrush(const gdip::RectF& rect, gdip::ARGB color1, gdip::ARGB color2,
                           gdip::LinearGradientMode mode, gdip::WrapMode wrap);
};

class TGPPathGradientBrush : public TGPBrush {
  public:
    explicit TGPPathGradientBrush(const TGPGraphicsPath& path);
    void SetCenterColor(gdip::ARGB color);
    void SetCenterPoint(int x, int y);
    void SetSurroundColors(const gdip::ARGB* colors, int count);

  private:
    gdip::GpPathGradient* Gradient() const { return static_cast<gdip::GpPathGradient*>(FBrush); }
};

class TGPFontFamily : public TGdiplusBase {
  public:
    explicit TGPFontFamily(const std::wstring& name);
    ~TGPFontFamily();
    gdip::GpFontFamily* Native() const { return FFamily; }
    // False when no installed font has that family name.
    bool Available() const { return FFamily != nullptr; }

  private:
    gdip::GpFontFamily* FFamily = nullptr;
};

class TGPFont : public TGdiplusBase {
  public:
    TGPFont(const TGPFontFamily& family, float emSize, int style, gdip::Unit unit);
    ~TGPFont();
    gdip::GpFont* Native() const { return FFont; }

  private:
    gdip::GpFont* FFont = nullptr;
};

class TGPStringFormat : public TGdiplusBase {
  public:
    explicit TGPStringFormat(int flags);
    ~TGPStringFormat();
    gdip::GpStringFormat* Native() const { return FFormat; }
    void SetAlign(gdip::StringAlignment align);
    void SetLineAlign(gdip::StringAlignment align);
    void SetTrimming(gdip::StringTrimming trimming);
    void SetHotkeyPrefix(gdip::HotkeyPrefix prefix);

  private:
    gdip::GpStringFormat* FFormat = nullptr;
};

// A GDI+ surface on a device context, for the length of one paint.
class TGPGraphics : public TGdiplusBase {
  public:
    explicit TGPGraphics(HDC dc);
    ~TGPGraphics();
    void SetSmoothingMode(gdip::SmoothingMode mode);
    void SetTextRenderingHint(gdip::TextRenderingHint hint);
    void FillRectangle(const TGPBrush& brush, float x, float y, float w, float h);
    void DrawRectangle(const TGPPen& pen, float x, float y, float w, float h);
    void DrawPath(const TGPPen& pen, const TGPGraphicsPath& path);
    void DrawString(const std::wstring& text, const TGPFont& font, const gdip::RectF& layout,
                    const TGPStringFormat& format, const TGPBrush& brush);

  private:
    gdip::GpGraphics* FGraphics = nullptr;
};

// ANSI text as GDI+ wants it.
