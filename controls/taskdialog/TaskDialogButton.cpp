#include "controls/taskdialog/TaskDialogButton.h"

#include "framework/Text.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool HasLineSeparator(const std::string& caption) {
    return caption.find("\\n") != std::string::npos || caption.find('\r') != std::string::npos;
}

// Draws a picture whose fuchsia pixels are transparent.
void DrawTransparent(TCanvas& canvas, const TBitmap& picture, int x, int y) {
    GdiTransparentBlt(canvas.Handle(), x, y, picture.Width(), picture.Height(),
                      const_cast<TBitmap&>(picture).Canvas().Handle(), 0, 0, picture.Width(),
                      picture.Height(), RGB(255, 0, 255));
}

} // namespace

bool LoadResourceBitmap(TBitmap& into, const char* name) {
    TGdiObject<HBITMAP> loaded(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!loaded)
        return false;
    BITMAP info{};
    GetObjectA(loaded.Get(), sizeof(info), &info);
    into.SetSize(info.bmWidth, info.bmHeight);
    const TMemoryDC dc(into.Canvas().Handle());
    const TSelectScope select(dc.Get(), loaded.Get());
    BitBlt(into.Canvas().Handle(), 0, 0, info.bmWidth, info.bmHeight, dc.Get(), 0, 0, SRCCOPY);
    return true;
}

std::vector<std::string> CaptionLines(const std::string& caption) {
    // A pair becomes a carriage return with the line feed that a written
    // break has, and the character after a carriage return is skipped.
    const std::string text = DecodeLineBreaks(Trim(caption), "\r\n");
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\r') {
            lines.push_back(Trim(line));
            line.clear();
            ++i;
        } else
            line += text[i];
    lines.push_back(Trim(line));
    return lines;
}

TTaskDialogButton::TTaskDialogButton(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 22, 23);
}

void TTaskDialogButton::LoadPictures(const char* normal, const char* hot, const char* down) {
    LoadResourceBitmap(FPicture, normal);
    LoadResourceBitmap(FPictureHot, hot);
    LoadResourceBitmap(FPictureDown, down);
    Invalidate();
}

void TTaskDialogButton::Click() {
    if (TCustomForm* form = Form())
        form->SetModalResult(ModalResult);
    TCustomControl::Click();
}

bool TTaskDialogButton::DialogChar(char ch) {
    const char accel = AcceleratorOf(AccelCaption.empty() ? Caption() : AccelCaption);
    if (!accel || !SameTextChar(accel, ch))
        return false;
    Click();
    return true;
}

const TBitmap* TTaskDialogButton::CurrentPicture() {
    if (FDown && FPictureDown.Handle())
        return &FPictureDown;
    if (FHot && FPictureHot.Handle())
        return &FPictureHot;
    return FPicture.Handle() ? &FPicture : nullptr;
}

void TTaskDialogButton::PaintWindow(TCanvas& canvas) {
    const RECT client = ClientRect();
    canvas.Brush.SetColor(Parent() ? Parent()->Color() : Color());
    canvas.FillRect(client);

    TColor border = clNone;
    if (EnabledChain()) {
        if (FDown)
            border = BorderColorDown;
        else if (FHot)
            border = BorderColorHot;
    }
    if (Focused())
        border = BorderColorDown;

    int textLeft = 2;
    if (const TBitmap* picture = CurrentPicture()) {
        const int x = Caption().empty() ? (Width() - picture->Width()) / 2 : 4;
        DrawTransparent(canvas, *picture, x, (Height() - picture->Height()) / 2);
        textLeft = x + picture->Width() + 3;
    }
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    if (!Caption().empty()) {
        if (!HasLineSeparator(Caption())) {
            canvas.Font = HeadingFont;
            RECT r = MakeRect(textLeft, 0, client.right, client.bottom);
            canvas.DrawText(Caption(), r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        } else {
            const std::vector<std::string> lines = CaptionLines(Caption());
            // Centred by the height the caption was measured with.
            int blockHeight = 0;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                canvas.Font = i == 0 ? HeadingFont : Font;
                blockHeight += canvas.TextHeight(lines[i]) + (i == 0 ? 10 : 2);
            }
            int y = (Height() - blockHeight) / 2 + 2;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                canvas.Font = i == 0 ? HeadingFont : Font;
                RECT line = MakeRect(textLeft, y, client.right, client.bottom);
                canvas.DrawText(lines[i], line, DT_SINGLELINE | DT_LEFT | DT_TOP);
                y += canvas.TextHeight("gh") + (i == 0 ? 4 : 2);
            }
        }
    }
    if (border != clNone) {
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        canvas.Pen.SetColor(border);
        canvas.RoundRect(0, 0, client.right, client.bottom, 2, 2);
    }
}

void TTaskDialogButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    FDown = true;
    Invalidate();
}

void TTaskDialogButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseUp(button, shift, x, y);
    if (button != TMouseButton::mbLeft || !FDown)
        return;
    FDown = false;
    Invalidate();
    if (PointInRect(ClientRect(), x, y))
        Click();
}

void TTaskDialogButton::CaptureLost() {
    TCustomControl::CaptureLost();
    FDown = false;
    Invalidate();
}

void TTaskDialogButton::MouseEnter() {
    TCustomControl::MouseEnter();
    FHot = true;
    if (FocusOnHover && CanFocus())
        SetFocus();
    Invalidate();
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TTaskDialogButton::MouseLeave() {
    TCustomControl::MouseLeave();
    FHot = false;
    Invalidate();
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TTaskDialogButton::KeyDown(WORD& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == VK_SPACE || key == VK_RETURN) {
        key = 0;
        Click();
    }
}

void TTaskDialogButton::DoEnter() {
    TCustomControl::DoEnter();
    Invalidate();
}

void TTaskDialogButton::DoExit() {
    TCustomControl::DoExit();
    Invalidate();
}

LRESULT TTaskDialogButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Enter presses this button, not the form's default one.
    if (msg == WM_GETDLGCODE)
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    return TCustomControl::WindowProc(msg, wParam, lParam);
}
