#include "app/StandIns.h"

#include <shlobj.h>

namespace {
constexpr int kBrowseWidth = 18;
constexpr int kLabelGap = 4;
} // namespace

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
