#include "app/StandIns.h"

#include <shlobj.h>

namespace {
constexpr int kCaptionButton = 21;
constexpr int kBrowseWidth = 18;
constexpr int kLabelGap = 4;
} // namespace

// ---- TCaptionStrip

TCaptionStrip::TCaptionStrip(TComponent* owner)
    : TCustomControl(owner), FMinimize(new TAdvGlowButton(this)), FClose(new TAdvGlowButton(this)) {
    SetColor(0xDBBF9F);
    FMinimize->SetCaption("_");
    FMinimize->SetTabStop(false);
    FMinimize->OnClick = [](TComponent*) { Application->Minimize(); };
    FClose->SetCaption("X");
    FClose->SetTabStop(false);
    FClose->OnClick = [this](TComponent*) {
        if (TCustomForm* form = Form())
            form->Close();
    };
}

void TCaptionStrip::SetParent(TWinControl* parent) {
    TCustomControl::SetParent(parent);
    FMinimize->SetParent(this);
    FClose->SetParent(this);
    BoundsChanged();
}

void TCaptionStrip::BoundsChanged() {
    const int top = (Height() - kCaptionButton) / 2;
    FClose->SetBounds(Width() - kCaptionButton - 3, top, kCaptionButton, kCaptionButton);
    FMinimize->SetBounds(Width() - 2 * kCaptionButton - 5, top, kCaptionButton, kCaptionButton);
}

void TCaptionStrip::PaintWindow(TCanvas& canvas) {
    canvas.Brush.SetColor(Color());
    canvas.FillRect(ClientRect());
    RECT text = ClientRect();
    text.left += 6;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.Font = Font;
    canvas.DrawText(Caption(), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCaptionStrip::MouseDown(TMouseButton button, TShiftState, int, int) {
    TCustomForm* form = Form();
    if (button != TMouseButton::mbLeft || !form)
        return;
    // Let the system move the window as if its title bar had been grabbed.
    ReleaseCapture();
    SendMessageA(form->Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

// ---- TFolderEdit

TFolderEdit::TFolderEdit(TComponent* owner, const std::string& label, const std::string& browseText)
    : TWinControl(owner), FEdit(new TEdit(this)), FBrowse(new TButton(this)),
      FLabel(new TLabel(this)), FBrowseText(browseText) {
    FLabel->SetCaption(label);
    FLabel->SetFocusControl(FEdit);
    FBrowse->SetCaption("...");
    FBrowse->SetTabStop(false);
    FBrowse->OnClick = [this](TComponent*) { Browse(); };
}

void TFolderEdit::SetParent(TWinControl* parent) {
    TWinControl::SetParent(parent);
    FEdit->SetParent(this);
    FBrowse->SetParent(this);
    FLabel->SetParent(parent);
    BoundsChanged();
}

void TFolderEdit::BoundsChanged() {
    FEdit->SetBounds(0, 0, Width() - kBrowseWidth, Height());
    FBrowse->SetBounds(Width() - kBrowseWidth, 0, kBrowseWidth, Height());
    const SIZE text = FLabel->TextSize();
    FLabel->SetBounds(Left() - text.cx - kLabelGap, Top() + (Height() - text.cy) / 2, text.cx,
                      text.cy);
}

void TFolderEdit::EnabledChanged() {
    TWinControl::EnabledChanged();
    FEdit->SetEnabled(Enabled());
    FBrowse->SetEnabled(Enabled());
}

void TFolderEdit::Browse() {
    BROWSEINFOA info{};
    char name[MAX_PATH] = {};
    info.hwndOwner = Form() ? Form()->Handle() : nullptr;
    info.pszDisplayName = name;
    info.lpszTitle = FBrowseText.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (!item)
        return;
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(item, path))
        SetText(path);
    CoTaskMemFree(item);
}
