#include "controls/paint/AdvGDIP.h"

using namespace Gdiplus::DllExports;

// ---- TGPGraphicsPath

TGPGraphicsPath::TGPGraphicsPath() {
    GdipCreatePath(gdip::FillModeAlternate, &FPath);
}

TGPGraphicsPath::~TGPGraphicsPath() {
    if (FPath)
        GdipDeletePath(FPath);
}

void TGPGraphicsPath::AddLine(float x1, float y1, float x2, float y2) {
    GdipAddPathLine(FPath, x1, y1, x2, y2);
}

void TGPGraphicsPath::AddArc(float x, float y, float w, float h, float startAngle,
                             float sweepAngle) {
    GdipAddPathArc(FPath, x, y, w, h, startAngle, sweepAngle);
}

void TGPGraphicsPath::AddEllipse(float x, float y, float w, float h) {
    GdipAddPathEllipse(FPath, x, y, w, h);
}

void TGPGraphicsPath::CloseFigure() {
    GdipClosePathFigure(FPath);
}

// ---- TGPPen

TGPPen::TGPPen(gdip::ARGB color, float width) {
    GdipCreatePen1(color, width, gdip::UnitWorld, &FPen);
}

TGPPen::~TGPPen() {
    if (FPen)
        GdipDeletePen(FPen);
}

void TGPPen::SetDashStyle(gdip::DashStyle style) {
    GdipSetPenDashStyle(FPen, style);
}

// ---- brushes

TGPBrush::~TGPBrush() {
    if (FBrush)
        GdipDeleteBrush(FBrush);
}

TGPSolidBrush::TGPSolidBrush(gdip::ARGB color) {
    gdip::GpSolidFill* fill = nullptr;
    GdipCreateSolidFill(color, &fill);
    FBrush = fill;
}

TGPLinearGradientBrush::TGPLinearGradientBrush(const gdip::RectF& rect, gdip::ARGB color1,
                                               gdip::ARGB color2, gdip::LinearGradientMode mode,
                                               gdip::WrapMode wrap) {
    gdip::GpLineGradient* gradient = nullptr;
    GdipCreateLineBrushFromRect(&rect, color1, color2, mode, wrap, &gradient);
    FBrush = gradient;
}

TGPPathGradientBrush::TGPPathGradientBrush(const TGPGraphicsPath& path) {
    gdip::GpPathGradient* gradient = nullptr;
    GdipCreatePathGradientFromPath(path.Native(), &gradient);
    FBrush = gradient;
}

void TGPPathGradientBrush::SetCenterColor(gdip::ARGB color) {
    GdipSetPathGradientCenterColor(Gradient(), color);
}

void TGPPathGradientBrush::SetCenterPoint(int x, int y) {
    gdip::GpPoint point(x, y);
    GdipSetPathGradientCenterPointI(Gradient(), &point);
}

void TGPPathGradientBrush::SetSurroundColors(const gdip::ARGB* colors, int count) {
    INT used = count;
    GdipSetPathGradientSurroundColorsWithCount(Gradient(), colors, &used);
}

// ---- text

TGPFontFamily::TGPFontFamily(const std::wstring& name) {
    GdipCreateFontFamilyFromName(name.c_str(), nullptr, &FFamily);
}

TGPFontFamily::~TGPFontFamily() {
    if (FFamily)
        GdipDeleteFontFamily(FFamily);
}

TGPFont::TGPFont(const TGPFontFamily& family, float emSize, int style, gdip::Unit unit) {
    GdipCreateFont(family.Native(), emSize, style, unit, &FFont);
}

TGPFont::~TGPFont() {
    if (FFont)
        GdipDeleteFont(FFont);
}

TGPStringFormat::TGPStringFormat(int flags) {
    GdipCreateStringFormat(flags, LANG_NEUTRAL, &FFormat);
}

TGPStringFormat::~TGPStringFormat() {
    if (FFormat)
        GdipDeleteStringFormat(FFormat);
}

void TGPStringFormat::SetAlign(gdip::StringAlignment align) {
    GdipSetStringFormatAlign(FFormat, align);
}

void TGPStringFormat::SetLineAlign(gdip::StringAlignment align) {
    GdipSetStringFormatLineAlign(FFormat, align);
}

void TGPStringFormat::SetTrimming(gdip::StringTrimming trimming) {
    GdipSetStringFormatTrimming(FFormat, trimming);
}

void TGPStringFormat::SetHotkeyPrefix(gdip::HotkeyPrefix prefix) {
    GdipSetStringFormatHotkeyPrefix(FFormat, prefix);
}

// ---- TGPGraphics

TGPGraphics::TGPGraphics(HDC dc) {
    GdipCreateFromHDC(dc, &FGraphics);
}

TGPGraphics::~TGPGraphics() {
    if (FGraphics)
        GdipDeleteGraphics(FGraphics);
}

void TGPGraphics::SetSmoothingMode(gdip::SmoothingMode mode) {
    GdipSetSmoothingMode(FGraphics, mode);
}

void TGPGraphics::SetTextRenderingHint(gdip::TextRenderingHint hint) {
    GdipSetTextRenderingHint(FGraphics, hint);
}

void TGPGraphics::FillRectangle(const TGPBrush& brush, float x, float y, float w, float h) {
    GdipFillRectangle(FGraphics, brush.Native(), x, y, w, h);
}

void TGPGraphics::DrawRectangle(const TGPPen& pen, float x, float y, float w, float h) {
    GdipDrawRectangle(FGraphics, pen.Native(), x, y, w, h);
}

void TGPGraphics::DrawPath(const TGPPen& pen, const TGPGraphicsPath& path) {
    GdipDrawPath(FGraphics, pen.Native(), path.Native());
}

void TGPGraphics::DrawString(const std::wstring& text, const TGPFont& font,
                             const gdip::RectF& layout, const TGPStringFormat& format,
                             const TGPBrush& brush) {
    GdipDrawString(FGraphics, text.c_str(), static_cast<INT>(text.size()), font.Native(), &layout,
                   format.Native(), brush.Native());
}
