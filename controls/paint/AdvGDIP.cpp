#include "controls/paint/AdvGDIP.h"

using namespace Gdiplus::DllExports;

// ---- TGPGraphicsPath

TGPGraphicsPath::TGPGraphicsPath() {
    Check(GdipCreatePath(gdip::FillModeAlternate, &FPath));
}

TGPGraphicsPath::~TGPGraphicsPath() {
    if (FPath)
        GdipDeletePath(FPath);
}

void TGPGraphicsPath::AddLine(float x1, float y1, float x2, float y2) {
    Check(GdipAddPathLine(FPath, x1, y1, x2, y2));
}

void TGPGraphicsPath::AddArc(float x, float y, float w, float h, float startAngle,
                             float sweepAngle) {
    Check(GdipAddPathArc(FPath, x, y, w, h, startAngle, sweepAngle));
}

void TGPGraphicsPath::AddEllipse(float x, float y, float w, float h) {
    Check(GdipAddPathEllipse(FPath, x, y, w, h));
}

void TGPGraphicsPath::CloseFigure() {
    Check(GdipClosePathFigure(FPath));
}

// ---- TGPPen

TGPPen::TGPPen(gdip::ARGB color, float width) {
    Check(GdipCreatePen1(color, width, gdip::UnitWorld, &FPen));
}

TGPPen::~TGPPen() {
    if (FPen)
        GdipDeletePen(FPen);
}

void TGPPen::SetDashStyle(gdip::DashStyle style) {
    Check(GdipSetPenDashStyle(FPen, style));
}

// ---- brushes

TGPBrush::~TGPBrush() {
    if (FBrush)
        GdipDeleteBrush(FBrush);
}

TGPSolidBrush::TGPSolidBrush(gdip::ARGB color) {
    gdip::GpSolidFill* fill = nullptr;
    Check(GdipCreateSolidFill(color, &fill));
    FBrush = fill;
}

TGPLinearGradientBrush::TGPLinearGradientBrush(const gdip::RectF& rect, gdip::ARGB color1,
                                               gdip::ARGB color2, gdip::LinearGradientMode mode,
                                               gdip::WrapMode wrap) {
    gdip::GpLineGradient* gradient = nullptr;
    Check(GdipCreateLineBrushFromRect(&rect, color1, color2, mode, wrap, &gradient));
    FBrush = gradient;
}

TGPPathGradientBrush::TGPPathGradientBrush(const TGPGraphicsPath& path) {
    gdip::GpPathGradient* gradient = nullptr;
    Check(GdipCreatePathGradientFromPath(path.Native(), &gradient));
    FBrush = gradient;
}

void TGPPathGradientBrush::SetCenterColor(gdip::ARGB color) {
    Check(GdipSetPathGradientCenterColor(Gradient(), color));
}

void TGPPathGradientBrush::SetCenterPoint(int x, int y) {
    gdip::GpPoint point(x, y);
    Check(GdipSetPathGradientCenterPointI(Gradient(), &point));
}

void TGPPathGradientBrush::SetSurroundColors(const gdip::ARGB* colors, int count) {
    INT used = count;
    Check(GdipSetPathGradientSurroundColorsWithCount(Gradient(), colors, &used));
}

// ---- text

TGPFontFamily::TGPFontFamily(const std::wstring& name) {
    Check(GdipCreateFontFamilyFromName(name.c_str(), nullptr, &FFamily));
}

TGPFontFamily::~TGPFontFamily() {
    if (FFamily)
        GdipDeleteFontFamily(FFamily);
}

TGPFont::TGPFont(const TGPFontFamily& family, float emSize, int style, gdip::Unit unit) {
    Check(GdipCreateFont(family.Native(), emSize, style, unit, &FFont));
}

TGPFont::~TGPFont() {
    if (FFont)
        GdipDeleteFont(FFont);
}

TGPStringFormat::TGPStringFormat(int flags) {
    Check(GdipCreateStringFormat(flags, LANG_NEUTRAL, &FFormat));
}

TGPStringFormat::~TGPStringFormat() {
    if (FFormat)
        GdipDeleteStringFormat(FFormat);
}

void TGPStringFormat::SetAlign(gdip::StringAlignment align) {
    Check(GdipSetStringFormatAlign(FFormat, align));
}

void TGPStringFormat::SetLineAlign(gdip::StringAlignment align) {
    Check(GdipSetStringFormatLineAlign(FFormat, align));
}

void TGPStringFormat::SetTrimming(gdip::StringTrimming trimming) {
    Check(GdipSetStringFormatTrimming(FFormat, trimming));
}

void TGPStringFormat::SetHotkeyPrefix(gdip::HotkeyPrefix prefix) {
    Check(GdipSetStringFormatHotkeyPrefix(FFormat, prefix));
}

// ---- TGPGraphics

TGPGraphics::TGPGraphics(HDC dc) {
    Check(GdipCreateFromHDC(dc, &FGraphics));
}

TGPGraphics::~TGPGraphics() {
    if (FGraphics)
        GdipDeleteGraphics(FGraphics);
}

void TGPGraphics::SetSmoothingMode(gdip::SmoothingMode mode) {
    Check(GdipSetSmoothingMode(FGraphics, mode));
}

void TGPGraphics::SetTextRenderingHint(gdip::TextRenderingHint hint) {
    Check(GdipSetTextRenderingHint(FGraphics, hint));
}

void TGPGraphics::FillRectangle(const TGPBrush& brush, float x, float y, float w, float h) {
    Check(GdipFillRectangle(FGraphics, brush.Native(), x, y, w, h));
}

void TGPGraphics::DrawRectangle(const TGPPen& pen, float x, float y, float w, float h) {
    Check(GdipDrawRectangle(FGraphics, pen.Native(), x, y, w, h));
}

void TGPGraphics::DrawPath(const TGPPen& pen, const TGPGraphicsPath& path) {
    Check(GdipDrawPath(FGraphics, pen.Native(), path.Native()));
}

void TGPGraphics::DrawString(const std::wstring& text, const TGPFont& font,
                             const gdip::RectF& layout, const TGPStringFormat& format,
                             const TGPBrush& brush) {
    Check(GdipDrawString(FGraphics, text.c_str(), static_cast<INT>(text.size()), font.Native(),
                         &layout, format.Native(), brush.Native()));
}

std::wstring ToWide(const std::string& text) {
    if (text.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}
