#include "controls/edits/AdvDirectoryEdit.h"

#include "framework/Errors.h"

#include <ole2.h>

#include <algorithm>
#include <memory>

namespace {
TFolderBrowser& FolderBrowser() {
    static TFolderBrowser browser;
    return browser;
}

// An item identifier list, freed with the shell's allocator.
struct TItemIdListFree {
    void operator()(ITEMIDLIST* item) const { CoTaskMemFree(item); }
};
using TItemIdList = std::unique_ptr<ITEMIDLIST, TItemIdListFree>;

std::string CurrentDirectory() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof(path), path);
    return length < sizeof(path) ? std::string(path, length) : std::string();
}
} // namespace

POINT BrowseDialogPlace(POINT below, SIZE dialog, const RECT& workArea) {
    POINT at = below;
    if (at.x + dialog.cx > workArea.right)
        at.x = below.x - dialog.cx;
    if (below.y + dialog.cy >= workArea.bottom)
        at.y = workArea.bottom - dialog.cy;
    return at;
}

void SetFolderBrowser(TFolderBrowser browser) {
    FolderBrowser() = std::move(browser);
}

TAdvDirectoryEdit::TAdvDirectoryEdit(TComponent* owner) : TAdvEditBtn(owner) {
    LoadGlyph(GetModuleHandleA(nullptr), "AdvDirectoryEdit");
    OnValueValidate = [this](TComponent* sender, const std::string& value, bool& isValid) {
        DirectoryIsValid(sender, value, isValid);
    };
    SetButtonWidth(18);
}

void TAdvDirectoryEdit::DirectoryIsValid(TComponent*, const std::string& value, bool& isValid) {
    const DWORD attributes = GetFileAttributesA(value.c_str());
    isValid = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void TAdvDirectoryEdit::KeyDown(WORD& key, TShiftState shift) {
    TAdvEditBtn::KeyDown(key, shift);
    // Control+Return moves on as the Up key does; posted, so that this key
    // is handled to its end first.
    if (key == VK_RETURN && (shift & ssCtrl)) {
        PostMessageA(Handle(), WM_KEYDOWN, VK_UP, 1);
        return;
    }
    if (key != VK_F4)
        return;
    ButtonClick();
    // Used up: Alt+F4 here opens the dialog and does not close the window too.
    key = 0;
}

void TAdvDirectoryEdit::ButtonClick() {
    if (!EnabledChain())
        return;
    std::string initialPath = Text().empty() ? CurrentDirectory() : Text();
    if (OnShowDirectoryDialog)
        OnShowDirectoryDialog(this, initialPath);
    // The shell writes the display name here; a longer path is cut to fit.
    char name[MAX_PATH + 1] = {};
    initialPath.copy(name, std::min<std::size_t>(initialPath.size(), MAX_PATH));

    BROWSEINFOA info{};
    // The window, not just the panel the edit stands on, waits for the dialog.
    info.hwndOwner = GetAncestor(Handle(), GA_ROOT);
    info.pszDisplayName = name;
    info.lpszTitle = BrowseDialogText.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | (AllowNewFolder ? 0 : BIF_NONEWFOLDERBUTTON);
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    FIgnoreSpecialKey = true;

    TItemIdList item;
    try {
        item.reset(FolderBrowser() ? FolderBrowser()(info) : SHBrowseForFolderA(&info));
    } catch (...) {
        // A failing dialog counts as cancelled, and is reported.
        ReportBoundaryException("folder dialog");
        return;
    }
    if (!item)
        return;
    std::fill(std::begin(name), std::end(name), '\0');
    const bool ok = SHGetPathFromIDListA(item.get(), name) != FALSE;
    if (OnDialogClose)
        OnDialogClose(this, name, ok);
    if (ok && Text() != name) {
        SetText(name);
        SetModified(true);
    }
}

int CALLBACK TAdvDirectoryEdit::BrowseCallback(HWND dialog, UINT msg, LPARAM,
                                               LPARAM data) noexcept {
    if (msg != BFFM_INITIALIZED)
        return 0;
    try {
        reinterpret_cast<TAdvDirectoryEdit*>(data)->DialogCreated(dialog);
    } catch (...) {
        // Nothing may unwind through the shell's code.
        ReportBoundaryException("folder dialog");
    }
    return 0;
}

void TAdvDirectoryEdit::DialogCreated(HWND dialog) {
    RECT workArea{}, bounds{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    GetWindowRect(dialog, &bounds);
    // Only an empty text stands for the current folder; a trailing backslash
    // goes for the selection alone.
    std::string selection = Text();
    if (selection.empty())
        selection = CurrentDirectory();
    else if (selection.back() == '\\')
        selection.pop_back();
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(selection.c_str()));
    const SIZE size{bounds.right - bounds.left, bounds.bottom - bounds.top};
    const POINT at = BrowseDialogPlace(ClientToScreen(POINT{0, Height()}), size, workArea);
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
