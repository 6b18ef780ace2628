#include "controls/frame/AdvToolBar.h"

#include "framework/Errors.h"
#include "framework/SystemInfo.h"
#include "framework/Text.h"

#include <windowsx.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

constexpr int kCaptionButtonSize = 16;
constexpr int kCaptionButtonGap = 2;
constexpr int kCloseRightMargin = 6;
// The three caption buttons with their gaps and margin, which the caption
// text keeps clear of.
constexpr int kCaptionButtonsWidth =
    3 * kCaptionButtonSize + 2 * kCaptionButtonGap + kCloseRightMargin;
constexpr int kGlyphSize = 14;
constexpr COLORREF kGlyphMask = RGB(255, 0, 255);
constexpr TColor kNoStylerOutline = RGB(128, 128, 128);
constexpr TColor kDisabledTextColor = RGB(128, 128, 128);
constexpr WPARAM kDragMove = SC_MOVE + 1;
// Posted to the pager when the system menu closes: taken inside the menu loop
// while it still runs, and after it when a command ended it.
constexpr UINT kEndMenuMode = WM_USER + 1;

// The lines of one glyph: each a polyline whose last point is left out.
using TGlyph = std::vector<std::vector<POINT>>;

const TGlyph kCloseGlyph = {
    {{3, 10}, {11, 3}}, {{4, 10}, {10, 3}}, {{3, 4}, {11, 11}}, {{4, 4}, {10, 11}}};
const TGlyph kMaximizeGlyph = {
    {{2, 3}, {11, 3}}, {{2, 4}, {11, 4}}, {{2, 4}, {2, 10}, {10, 10}, {10, 4}}};
const TGlyph kRestoreGlyph = {{{4, 2}, {10, 2}},  {{4, 3}, {10, 3}},
                              {{10, 2}, {10, 8}}, {{2, 5}, {9, 5}},
                              {{2, 6}, {9, 6}},   {{2, 6}, {2, 10}, {8, 10}, {8, 6}}};
const TGlyph kMinimizeGlyph = {{{3, 8}, {9, 8}}, {{3, 9}, {9, 9}}};

// Adds one glyph to `list`, drawn in `color` on the mask colour. On a finer
// screen every pixel of it grows to a block, so that the lines stay sharp.
int AddGlyph(TImageList& list, const TGlyph& glyph, TColor color) {
    const TWindowDC screen(nullptr);
    TGdiObject<HBITMAP> design(CreateCompatibleBitmap(screen.Get(), kGlyphSize, kGlyphSize));
    TGdiObject<HBITMAP> scaled(CreateCompatibleBitmap(screen.Get(), list.Width(), list.Height()));
    TMemoryDC dc;
    TMemoryDC scaledDc;
    {
        TSelectScope select(dc.Get(), design.Get());
        TCanvas canvas(dc.Get());
        canvas.Brush.SetColor(kGlyphMask);
        canvas.FillRect(MakeRect(0, 0, kGlyphSize, kGlyphSize));
        canvas.Pen.SetColor(color);
        for (const std::vector<POINT>& line : glyph) {
            canvas.MoveTo(line[0].x, line[0].y);
            for (std::size_t i = 1; i < line.size(); ++i)
                canvas.LineTo(line[i].x, line[i].y);
        }
        TSelectScope selectScaled(scaledDc.Get(), scaled.Get());
        SetStretchBltMode(scaledDc.Get(), COLORONCOLOR);
        StretchBlt(scaledDc.Get(), 0, 0, list.Width(), list.Height(), dc.Get(), 0, 0, kGlyphSize,
                   kGlyphSize, SRCCOPY);
    }
    return ImageList_AddMasked(list.Handle(), scaled.Get(), kGlyphMask);
}

// White outlines would vanish on the light faces.
TColor OutlineColor(TColor color) {
    return ColorToRGB(color) == RGB(255, 255, 255) ? clBlack : color;
}

int WindowStateOf(HWND hwnd) {
    if (!hwnd)
        return SW_SHOWNORMAL;
    if (IsIconic(hwnd))
        return SW_SHOWMINIMIZED;
    return IsZoomed(hwnd) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
}

gdip::LinearGradientMode LinearMode(TGDIPGradient gradient) {
    switch (gradient) {
    case ggDiagonalForward:
        return gdip::LinearGradientModeForwardDiagonal;
    case ggDiagonalBackward:
        return gdip::LinearGradientModeBackwardDiagonal;
    default:
        return gdip::LinearGradientModeVertical;
    }
}

// Fills `fill` with a gradient from c1 to c2: linear over `area`, or radial
// over the ellipse `area` glowing from `centre`.
void FillFaceHalf(TGPGraphics& graphics, TGDIPGradient gradient, const gdip::RectF& area,
                  POINT centre, TColor c1, TColor c2, const gdip::RectF& fill) {
    if (gradient == ggRadial) {
        TGPGraphicsPath ellipse;
        ellipse.AddEllipse(area.X, area.Y, area.Width, area.Height);
        TGPPathGradientBrush brush(ellipse);
        brush.SetCenterPoint(centre.x, centre.y);
        brush.SetCenterColor(MakeGPColor(c2));
        const gdip::ARGB surround = MakeGPColor(c1);
        brush.SetSurroundColors(&surround, 1);
        graphics.FillRectangle(brush, fill.X, fill.Y, fill.Width, fill.Height);
        return;
    }
    TGPLinearGradientBrush brush(area, MakeGPColor(c1), MakeGPColor(c2), LinearMode(gradient),
                                 gdip::WrapModeTile);
    graphics.FillRectangle(brush, fill.X, fill.Y, fill.Width, fill.Height);
}

} // namespace

// ---- the frameless form

LRESULT FrameHitTest(int x, int y, int width, int height, LRESULT answer) {
    LRESULT result = answer;
    if (y < 3)
        result = HTTOP;
    if (x < 3)
        result = HTLEFT;
    if (x > width - 12)
        result = HTRIGHT;
    if (y > height - 12)
        result = HTBOTTOM;
    if (x > width - 20 && y > height - 20)
        result = HTBOTTOMRIGHT;
    if (x < 20 && y < 20)
        result = HTTOPLEFT;
    if (x > width - 20 && y < 20)
        result = HTTOPRIGHT;
    if (x < 20 && y > height - 20)
        result = HTBOTTOMLEFT;
    return result;
}

void MaximizedPlacement(const MONITORINFO& monitor, bool vistaOrLater, MINMAXINFO& info) {
    const int d = vistaOrLater ? 0 : 3;
    const RECT& work = monitor.rcWork;
    info.ptMaxPosition.x = work.left - monitor.rcMonitor.left - d;
    info.ptMaxPosition.y = work.top - monitor.rcMonitor.top - d;
    info.ptMaxSize.x = work.right - work.left + 2 * d;
    info.ptMaxSize.y = work.bottom - work.top + 2 * d;
}

TAdvToolBarForm::TAdvToolBarForm(TComponent* owner) : TForm(owner) {
    // Single border parameters, whose caption bits are taken off again.
    SetBorderStyle(TFormBorderStyle::bsSingle);
}

void TAdvToolBarForm::CreateParams(TCreateParams& params) {
    TForm::CreateParams(params);
    // No system frame at all, a sizable one's included: the sizing zones of
    // the hit test take its place.
    params.Style &= ~static_cast<DWORD>(WS_CAPTION | WS_THICKFRAME);
    params.Style |= WS_POPUP | WS_SYSMENU;
    if (IsXPOrLater())
        params.WindowClassStyle |= CS_DROPSHADOW;
}

RECT TAdvToolBarForm::ClientRect() const {
    RECT r = TForm::ClientRect();
    if (!IsVistaOrLater()) {
        r.left += 1;
        r.top += 1;
        r.right -= 2;
        r.bottom -= 2;
    }
    return r;
}

void TAdvToolBarForm::SizeChanged(WPARAM sizeType) {
    if (IsVistaOrLater())
        return;
    for (TControl* control : Controls())
        if (auto* pager = dynamic_cast<TAdvToolBarPager*>(control)) {
            pager->SetCanMove(sizeType == SIZE_RESTORED);
            break;
        }
    HRGN region = CreateRoundRectRgn(3, 3, Width() - 3, Height() - 3, 18, 18);
    // The window owns the region from here on.
    if (!SetWindowRgn(Handle(), region, IsWindowVisible(Handle())))
        DeleteObject(region);
}

LRESULT TAdvToolBarForm::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        SizeChanged(wParam);
        break;
    case WM_NCHITTEST: {
        const LRESULT answer = TForm::WindowProc(msg, wParam, lParam);
        // The system's size loop follows the zones: a fixed-size form has none.
        if (!Sizable() || IsZoomed(Handle()) || IsIconic(Handle()))
            return answer;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(Handle(), &p);
        return FrameHitTest(p.x, p.y, Width(), Height(), answer);
    }
    case WM_SYSCOMMAND:
        // A fixed-size form keeps its size whoever asks for a size loop.
        if ((wParam & 0xFFF0) == SC_SIZE && !Sizable())
            return 0;
        // A mouse move asked for with any hit-test part: Windows drags with
        // the pointer for every one, Wine only for the caption's.
        if ((wParam & 0xFFF0) == SC_MOVE && (wParam & 0x000F) != 0)
            return DefaultHandler(msg, SC_MOVE | HTCAPTION, lParam);
        break;
    case WM_GETMINMAXINFO: {
        const LRESULT result = TForm::WindowProc(msg, wParam, lParam);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoA(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &monitor))
            MaximizedPlacement(monitor, IsVistaOrLater(), *reinterpret_cast<MINMAXINFO*>(lParam));
        return result;
    }
    default:
        break;
    }
    return TForm::WindowProc(msg, wParam, lParam);
}

void TAdvToolBarForm::PaintWindow(TCanvas& canvas) {
    TForm::PaintWindow(canvas);
    TColor outline = kNoStylerOutline;
    for (TControl* control : Controls())
        if (auto* pager = dynamic_cast<TAdvToolBarPager*>(control))
            outline = OutlineColor(pager->CurrentStyler().CaptionAppearance->CaptionTextColor);
    canvas.Pen.SetColor(outline);
    canvas.Brush.SetColor(Color());
    canvas.RoundRect(0, 0, Width() - 7, Height() - 7, 18, 18);
}

// ---- TAdvToolBarPager

TAdvToolBarPager::TAdvToolBarPager(TComponent* owner)
    : TCustomControl(owner), FInternalStyler(new TAdvToolBarOfficeStyler(this)) {
    FInternalStyler->Name = "InternalStyler";
    FInternalStyler->AddControl(this);
    FCaption.OnChange = [this] {
        UpdateCaptionButtons(true);
        Invalidate();
    };
    SetAlign(TAlign::alTop);
    SetBounds(Left(), Top(), Width(), 140);
    SetDoubleBuffered(true);
    SetTabStop(false);
    SetShowHint(false);
}

TAdvToolBarPager::~TAdvToolBarPager() {
    if (FToolBarStyler)
        FToolBarStyler->RemoveControl(this);
    DestroyComponents();
}

void TAdvToolBarPager::SetParent(TWinControl* parent) {
    if (dynamic_cast<TAdvToolBarPager*>(parent))
        throw EInvalidOperation("Invalid Parent");
    TCustomControl::SetParent(parent);
    // The maximise glyph needs the form.
    if (FCloseButton)
        UpdateCaptionButtons(true);
}

TAdvToolBarOfficeStyler& TAdvToolBarPager::CurrentStyler() const {
    return FToolBarStyler ? *FToolBarStyler : *FInternalStyler;
}

void TAdvToolBarPager::SetToolBarStyler(TAdvToolBarOfficeStyler* value) {
    if (value == FToolBarStyler)
        return;
    CurrentStyler().RemoveControl(this);
    SetReference(FToolBarStyler, value);
    CurrentStyler().AddControl(this);
    Invalidate();
}

void TAdvToolBarPager::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FToolBarStyler) {
        FToolBarStyler = nullptr;
        FInternalStyler->AddControl(this);
        Invalidate();
    }
}

void TAdvToolBarPager::SetCaptionButtons(TCaptionButtons value) {
    if (value == FCaptionButtons)
        return;
    FCaptionButtons = value;
    UpdateCaptionButtons(true);
    Invalidate();
}

void TAdvToolBarPager::SetAntiAlias(TAntiAlias value) {
    if (value == FAntiAlias)
        return;
    FAntiAlias = value;
    Invalidate();
}

void TAdvToolBarPager::StylerChanged(int code) {
    Invalidate();
    for (TAdvGlowButton* button : {FCloseButton, FMaxButton, FMinButton})
        if (button) {
            button->Appearance().Assign(CurrentStyler().GlowButtonAppearance);
            button->Invalidate();
        }
    if (code == scPagerCaption)
        UpdateCaptionButtons(true);
}

RECT TAdvToolBarPager::CaptionRect() const {
    if (!FCaption.Visible())
        return MakeRect(0, 0, 0, 0);
    RECT r = ClientRect();
    r.bottom = r.top + FCaption.Height();
    return r;
}

RECT TAdvToolBarPager::TextRect() const {
    RECT r = CaptionRect();
    r.left += FCaption.Indent();
    if (FCloseButton)
        r.right -= Scaled(kCaptionButtonsWidth);
    return r;
}

void TAdvToolBarPager::ChangeScale(int m, int d) {
    FScaleM *= m;
    FScaleD *= d;
    const int common = std::gcd(FScaleM, FScaleD);
    FScaleM /= common;
    FScaleD /= common;
    FCaption.SetHeight(MulDiv(FCaption.Height(), m, d));
    TCustomControl::ChangeScale(m, d);
}

void TAdvToolBarPager::Loaded() {
    TCustomControl::Loaded();
    UpdateCaptionButtons(true);
}

void TAdvToolBarPager::BoundsChanged() {
    TCustomControl::BoundsChanged();
    UpdateCaptionButtons(false);
}

int TAdvToolBarPager::FormWindowState() const {
    const TCustomForm* form = Form();
    return form ? WindowStateOf(form->Handle()) : SW_SHOWNORMAL;
}

TAdvGlowButton* TAdvToolBarPager::MakeCaptionButton(void (TAdvToolBarPager::*action)()) {
    auto* button = new TAdvGlowButton(this);
    button->SetTransparent(true);
    button->SetBounds(0, 0, kCaptionButtonSize, kCaptionButtonSize);
    button->OnClick = [this, action](TComponent*) { (this->*action)(); };
    button->SetParent(this);
    return button;
}

void TAdvToolBarPager::FreeCaptionButtons() {
    for (TAdvGlowButton** button : {&FCloseButton, &FMaxButton, &FMinButton}) {
        delete *button;
        *button = nullptr;
    }
}

void TAdvToolBarPager::UpdateCaptionButtons(bool redrawGlyphs) {
    if (!FCaption.Visible() || FCaptionButtons == 0) {
        FreeCaptionButtons();
        return;
    }
    if (!FCloseButton) {
        FCloseButton = MakeCaptionButton(&TAdvToolBarPager::CloseButtonClick);
        FMaxButton = MakeCaptionButton(&TAdvToolBarPager::MaxButtonClick);
        FMinButton = MakeCaptionButton(&TAdvToolBarPager::MinButtonClick);
    }
    for (TAdvGlowButton* button : {FCloseButton, FMaxButton, FMinButton})
        button->Appearance().Assign(CurrentStyler().GlowButtonAppearance);

    const int size = Scaled(kCaptionButtonSize), gap = Scaled(kCaptionButtonGap);
    const int top = CaptionRect().top + Scaled(4);
    const int closeLeft = Width() - size - Scaled(kCloseRightMargin);
    const int maxLeft = closeLeft - size - gap;
    const int minLeft = maxLeft - size - gap;
    FCloseButton->SetBounds(closeLeft, top, size, size);
    FMaxButton->SetBounds(maxLeft, top, size, size);
    FMinButton->SetBounds(minLeft, top, size, size);

    // A new scale needs glyphs of its size.
    if (redrawGlyphs || (FCaptionGlyphs && FCaptionGlyphs->Width() != Scaled(kGlyphSize)))
        DrawGlyphs();

    FCloseButton->SetEnabled(FCaptionButtons & TCaptionButton::cbClose);
    FMaxButton->SetEnabled(FCaptionButtons & TCaptionButton::cbMaximize);
    FMinButton->SetEnabled(FCaptionButtons & TCaptionButton::cbMinimize);
    for (TAdvGlowButton* button : {FCloseButton, FMaxButton, FMinButton}) {
        button->SetVisible(true);
        if (button->HandleAllocated())
            SetWindowPos(button->Handle(), HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TAdvToolBarPager::DrawGlyphs() {
    const int size = Scaled(kGlyphSize);
    if (FCaptionGlyphs && FCaptionGlyphs->Width() != size) {
        delete FCaptionGlyphs;
        FCaptionGlyphs = nullptr;
    }
    if (!FCaptionGlyphs)
        FCaptionGlyphs = new TImageList(this, size, size);
    ImageList_RemoveAll(FCaptionGlyphs->Handle());
    const TColor color = CurrentStyler().PagerCaption->TextColor;
    auto showGlyph = [this](TAdvGlowButton* button, int index) {
        button->OnDrawButton = [this, index](TComponent* sender, TCanvas& canvas, int,
                                             const RECT&) {
            const auto* self = static_cast<TAdvGlowButton*>(sender);
            FCaptionGlyphs->Draw(canvas, std::max(0, (self->Width() - FCaptionGlyphs->Width()) / 2),
                                 std::max(0, (self->Height() - FCaptionGlyphs->Height()) / 2),
                                 index, self->Enabled());
        };
        button->Invalidate();
    };
    showGlyph(FCloseButton, AddGlyph(*FCaptionGlyphs, kCloseGlyph, color));
    if (Form()) {
        FLastWindowState = FormWindowState();
        const TGlyph& glyph = FLastWindowState == SW_SHOWNORMAL ? kMaximizeGlyph : kRestoreGlyph;
        showGlyph(FMaxButton, AddGlyph(*FCaptionGlyphs, glyph, color));
    }
    showGlyph(FMinButton, AddGlyph(*FCaptionGlyphs, kMinimizeGlyph, color));
}

void TAdvToolBarPager::CloseButtonClick() {
    if (OnCloseButtonClick)
        OnCloseButtonClick(FCloseButton);
    else if (TCustomForm* form = Form())
        form->Close();
}

void TAdvToolBarPager::MinButtonClick() {
    if (OnMinButtonClick)
        OnMinButtonClick(FMinButton);
    else if (Application)
        Application->Minimize();
}

void TAdvToolBarPager::MaxButtonClick() {
    if (OnMaxButtonClick)
        OnMaxButtonClick(FMaxButton);
    else
        ToggleMaximized();
}

void TAdvToolBarPager::ToggleMaximized() {
    TCustomForm* form = Form();
    if (!form || !form->HandleAllocated())
        return;
    ShowWindow(form->Handle(),
               FormWindowState() == SW_SHOWNORMAL ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateCaptionButtons(true);
}

void TAdvToolBarPager::ShowSystemMenu(int x, int y) {
    HWND owner = Parent() ? Parent()->Handle() : nullptr;
    if (!owner)
        return;
    POINT p = ClientToScreen(POINT{x, y});
    const int command = TrackPopupMenu(GetSystemMenu(owner, FALSE), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                       p.x, p.y, 0, owner, nullptr);
    if (command)
        SendMessageA(owner, WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
}

void TAdvToolBarPager::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (!PointInRect(CaptionRect(), x, y))
        return;
    if (button == TMouseButton::mbRight) {
        ShowSystemMenu(x, y);
        return;
    }
    TCustomForm* form = Form();
    if (FCanMove && form) {
        // The system moves the window with the pointer until the button is let go.
        ReleaseCapture();
        SendMessageA(form->Handle(), WM_SYSCOMMAND, kDragMove, 0);
    }
}

LRESULT TAdvToolBarPager::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kEndMenuMode:
        EndMenu();
        return 0;
    case WM_NCHITTEST: {
        const LRESULT answer = TCustomControl::WindowProc(msg, wParam, lParam);
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(Handle(), &p);
        // A sizable form answers there with its sizing zones; on a fixed-size
        // one they stay part of the strip.
        const auto* form = dynamic_cast<const TAdvToolBarForm*>(Parent());
        if (form && form->Sizable() && (p.y < 3 || p.x < 3 || p.x > Width() - 6))
            return HTTRANSPARENT;
        return answer;
    }
    case WM_LBUTTONDBLCLK: {
        const LRESULT result = TCustomControl::WindowProc(msg, wParam, lParam);
        if ((FCaptionButtons & TCaptionButton::cbMaximize) &&
            PointInRect(CaptionRect(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
            ToggleMaximized();
        return result;
    }
    case WM_CREATE:
        if (TCustomForm* form = Form())
            form->AddMessageHook(this);
        break;
    case WM_DESTROY:
        if (TCustomForm* form = Form())
            form->RemoveMessageHook(this);
        break;
    default:
        break;
    }
    return TCustomControl::WindowProc(msg, wParam, lParam);
}

void TAdvToolBarPager::FormMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT&) {
    const bool closesPopups = msg == WM_SIZE || msg == WM_LBUTTONDOWN || msg == WM_MOVING ||
                              (msg == WM_SYSCOMMAND && ((wParam & 0xFFF0) == SC_MINIMIZE ||
                                                        (wParam & 0xFFF0) == SC_MAXIMIZE));
    if (closesPopups && HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture();
    // The maximise glyph turns into the restore glyph and back.
    if (msg == WM_SIZE && FCloseButton && FormWindowState() != FLastWindowState)
        UpdateCaptionButtons(true);
    // Escape after Alt+Space closes the system menu but keeps the form in menu
    // mode, with the menu's icon selected where a system caption would be,
    // over the strip; there is no caption to stay on, so the mode ends too.
    // (Wine leaves the system menu's flag out of the message.)
    const TCustomForm* form = Form();
    if (msg == WM_UNINITMENUPOPUP && HandleAllocated() && form &&
        (HIWORD(lParam) != 0 ||
         reinterpret_cast<HMENU>(wParam) == GetSystemMenu(form->Handle(), FALSE)))
        PostMessageA(Handle(), kEndMenuMode, 0, 0);
    // The loop's end draws the icon once more, unselected; the strip covers it.
    if (msg == WM_EXITMENULOOP)
        Invalidate();
}

void TAdvToolBarPager::PaintWindow(TCanvas& canvas) {
    canvas.Brush.SetColor(Color());
    canvas.FillRect(ClientRect());
    PaintBackGround(canvas);
    if (FCaption.Visible())
        PaintCaption(canvas);
    if (dynamic_cast<TAdvToolBarForm*>(Parent()) && !IsVistaOrLater())
        PaintCorners(canvas);
}

void TAdvToolBarPager::PaintBackGround(TCanvas& canvas) {
    TAdvToolBarOfficeStyler& styler = CurrentStyler();
    TBitmap& bmp = styler.BackGround;
    if (bmp.Width() <= 0 || bmp.Height() <= 0)
        return;
    HDC dc = canvas.Handle();
    HDC source = bmp.Canvas().Handle();
    switch (styler.BackGroundDisplay) {
    case bdTile:
        for (int y = 1; y < Height() - 2; y += bmp.Height())
            for (int x = 1; x < Width() - 2; x += bmp.Width())
                BitBlt(dc, x, y, bmp.Width(), bmp.Height(), source, 0, 0, SRCCOPY);
        break;
    case bdCenter:
        BitBlt(dc, (Width() - bmp.Width()) / 2, (Height() - bmp.Height()) / 2, bmp.Width(),
               bmp.Height(), source, 0, 0, SRCCOPY);
        break;
    case bdStretch:
        StretchBlt(dc, 2, 2, Width() - 4, Height() - 4, source, 0, 0, bmp.Width(), bmp.Height(),
                   SRCCOPY);
        break;
    }
}

void TAdvToolBarPager::PaintCaption(TCanvas& canvas) {
    const RECT caption = CaptionRect();
    const int w = caption.right - caption.left;
    const int h = caption.bottom - caption.top;
    if (w <= 0 || h <= 0)
        return;
    const TVistaTextBackgroundValues& face = *CurrentStyler().PagerCaption;
    TBitmap bmp(w, h);
    {
        TGPGraphics graphics(bmp.Canvas().Handle());
        const int half = (h + 1) / 2;
        const float fw = static_cast<float>(w);
        // Lower half, then the upper one; the face is one row taller than the strip.
        graphics.FillRectangle(TGPSolidBrush(MakeGPColor(face.ColorMirror)), 0, half, fw,
                               h + 1 - half);
        const bool radialMirror = face.GradientMirror == ggRadial;
        FillFaceHalf(graphics, face.GradientMirror,
                     radialMirror ? gdip::RectF(0, half, fw, h + 1)
                                  : gdip::RectF(0, half, fw, half),
                     POINT{w / 2, h + 1}, face.ColorMirror, face.ColorMirrorTo,
                     gdip::RectF(1, radialMirror ? half : half + 1, fw - 1, half + 1));

        graphics.FillRectangle(TGPSolidBrush(MakeGPColor(face.Color)), 0, 0, fw, half);
        const int upperHalf = half + ((h + 1) % 2 ? 1 : 0);
        const bool radial = face.Gradient == ggRadial;
        FillFaceHalf(graphics, face.Gradient,
                     radial ? gdip::RectF(0, -half, fw, h + 1) : gdip::RectF(0, 0, fw, h + 1),
                     POINT{w / 2, 0}, face.Color, face.ColorTo,
                     gdip::RectF(1, 1, fw - 1, h + 1 - upperHalf - 1));

        if (face.BorderColor != clNone) {
            graphics.SetSmoothingMode(gdip::SmoothingModeAntiAlias);
            TGPGraphicsPath outline;
            outline.AddLine(0, 0, w - 1, 0);
            outline.AddLine(w - 1, 0, w - 1, h);
            outline.AddLine(w - 1, h, 0, h);
            outline.CloseFigure();
            graphics.DrawPath(TGPPen(MakeGPColor(face.BorderColor), 1), outline);
        }
    }
    RECT text = TextRect();
    OffsetRect(&text, -caption.left, -caption.top);
    PaintCaptionText(bmp.Canvas(), text);
    canvas.CopyRect(MakeRect(caption.left, caption.top, caption.right, caption.bottom),
                    bmp.Canvas().Handle(), 0, 0);
}

void TAdvToolBarPager::PaintCaptionText(TCanvas& canvas, const RECT& r) {
    const std::string& text = FCaption.Caption();
    if (text.empty())
        return;
    const TFontAppearanceGroup<TVistaTextBackgroundValues>& pager = CurrentStyler().PagerCaption;
    TFont font = pager.Font;
    font.SetColor(Enabled() ? pager->TextColor : kDisabledTextColor);
    const TGPFontFamily family(ToWide(font.Name()));
    if (FAntiAlias != TAntiAlias::aaNone && family.Available()) {
        TGPGraphics graphics(canvas.Handle());
        // Bold, italic and underline have GDI+'s bits.
        const int style = static_cast<int>(font.Style() & (fsBold | fsItalic | fsUnderline));
        const TGPFont gpFont(family, static_cast<float>(font.Size()), style, gdip::UnitPoint);
        TGPStringFormat format(0);
        format.SetAlign(gdip::StringAlignmentCenter);
        format.SetLineAlign(gdip::StringAlignmentCenter);
        format.SetHotkeyPrefix(gdip::HotkeyPrefixShow);
        format.SetTrimming(gdip::StringTrimmingNone);
        graphics.SetSmoothingMode(gdip::SmoothingModeAntiAlias);
        graphics.SetTextRenderingHint(FAntiAlias == TAntiAlias::aaClearType
                                          ? gdip::TextRenderingHintClearTypeGridFit
                                          : gdip::TextRenderingHintAntiAlias);
        const gdip::RectF layout(r.left, r.top, r.right - r.left, r.bottom - r.top);
        graphics.DrawString(ToWide(text), gpFont, layout, format,
                            TGPSolidBrush(MakeGPColor(font.Color())));
        return;
    }
    canvas.Font = font;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    RECT area = r;
    canvas.DrawText(text, area, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

void TAdvToolBarPager::PaintCorners(TCanvas& canvas) {
    canvas.Pen.SetColor(OutlineColor(CurrentStyler().CaptionAppearance->CaptionTextColor));
    const int w = Width();
    const RECT lines[] = {{0, 0, 7, 0},         {0, 1, 4, 1},        {1, 1, 1, 4},
                          {0, 0, 0, 7},         {w - 7, 0, w, 0},    {w - 4, 1, w, 1},
                          {w - 2, 1, w - 2, 4}, {w - 1, 0, w - 1, 7}};
    for (const RECT& line : lines) {
        canvas.MoveTo(line.left, line.top);
        canvas.LineTo(line.right, line.bottom);
    }
}
