// Renders the glow button in each of its looks (normal, hot, pressed, checked,
// disabled, focused), with the default and with the Luna appearance, into one
// bitmap and saves it as a BMP file: glow_gallery <file.bmp>
#include "controls/paint/AdvGlowButton.h"
#include "framework/Forms.h"

#include <cstdio>
#include <vector>

namespace {

constexpr int kCellW = 120, kCellH = 64, kTitleH = 18, kRowTitleW = 70;
constexpr TColor kBackground = 16445929; // the main window's panel colour

// A button is a real window: the looks come from real mouse and focus events.
class TGalleryButton : public TAdvGlowButton {
  public:
    using TAdvGlowButton::TAdvGlowButton;
    void Send(UINT msg, WPARAM keys = 0) {
        SendMessageA(Handle(), msg, keys, MAKELPARAM(Width() / 2, Height() / 2));
    }
    void FinishFade() {
        for (int i = 0; i < 20 && Fading(); ++i)
            FadeTick();
    }
};

bool SaveBitmap(TBitmap& bmp, const char* path) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = bmp.Width();
    info.biHeight = -bmp.Height();
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const DWORD bytes = DWORD(bmp.Width()) * DWORD(bmp.Height()) * 4;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + bytes;
    FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    GdiFlush();
    // GDI leaves the fourth byte 0 and GDI+ sets it; some readers take it as alpha.
    for (DWORD i = 0; i < bytes / 4; ++i)
        bmp.Bits()[i] |= 0xFF000000u;
    const bool ok = std::fwrite(&file, sizeof(file), 1, out) == 1 &&
                    std::fwrite(&info, sizeof(info), 1, out) == 1 &&
                    std::fwrite(bmp.Bits(), bytes, 1, out) == 1;
    return std::fclose(out) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: glow_gallery <file.bmp>\n");
        return 2;
    }
    TApplication app;
    TForm form(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    form.SetColor(kBackground);
    // GDI+ draws ClearType captions only in a font it knows.
    const bool tahoma = TGPFontFamily(L"Tahoma").Available();
    form.Font.SetName(tahoma ? "Tahoma" : "DejaVu Sans");
    form.Font.SetColor(7485192);

    const char* looks[] = {"normal", "hot", "pressed", "checked", "disabled", "focused"};
    const char* rows[] = {"default", "Luna"};
    const int lookCount = 6, rowCount = 2;
    form.SetBounds(100, 100, kRowTitleW + lookCount * kCellW, kTitleH + rowCount * kCellH);

    std::vector<TGalleryButton*> buttons;
    for (int row = 0; row < rowCount; ++row)
        for (int look = 0; look < lookCount; ++look) {
            auto* b = new TGalleryButton(&form);
            b->SetBounds(kRowTitleW + look * kCellW + 10, kTitleH + row * kCellH + 15, 100, 33);
            b->SetCaption("Vergleichen");
            if (row == 1)
                SetOffice2007LunaAppearance(b->Appearance());
            b->SetParent(&form);
            buttons.push_back(b);
        }
    form.Show();

    for (int row = 0; row < rowCount; ++row) {
        TGalleryButton** b = &buttons[row * lookCount];
        b[1]->Send(WM_MOUSEMOVE);
        b[1]->FinishFade();
        b[2]->Send(WM_MOUSEMOVE);
        b[2]->Send(WM_LBUTTONDOWN, MK_LBUTTON);
        b[2]->FinishFade();
        b[3]->SetStyle(TGlowButtonStyle::bsCheck);
        b[3]->SetDown(true);
        b[4]->SetEnabled(false);
    }

    TBitmap shot(form.Width(), form.Height());
    TCanvas& canvas = shot.Canvas();
    form.PaintTo(canvas);
    canvas.Font = form.Font;
    canvas.Font.SetColor(clBlack);
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    for (int look = 0; look < lookCount; ++look)
        canvas.TextOut(kRowTitleW + look * kCellW + 10, 3, looks[look]);
    for (int row = 0; row < rowCount; ++row)
        canvas.TextOut(6, kTitleH + row * kCellH + 24, rows[row]);

    // The focused look last: only one button can hold the focus at a time.
    for (int row = 0; row < rowCount; ++row) {
        for (int look = 0; look < lookCount; ++look) {
            TGalleryButton* b = buttons[row * lookCount + look];
            if (look == 5) {
                b->SetTabStop(true);
                b->SetFocus();
            }
            const int saved = SaveDC(canvas.Handle());
            SetViewportOrgEx(canvas.Handle(), b->Left(), b->Top(), nullptr);
            {
                TCanvas buttonCanvas(canvas.Handle());
                b->PaintTo(buttonCanvas);
            }
            RestoreDC(canvas.Handle(), saved);
        }
    }
    return SaveBitmap(shot, argv[1]) ? 0 : 1;
}
