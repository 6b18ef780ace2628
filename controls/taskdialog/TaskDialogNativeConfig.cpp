// The configuration handed to the system's task dialog, made from the
// dialog's properties.
#include "controls/taskdialog/TaskDialogNativeConfig.h"

#include "framework/Errors.h"
#include "framework/Text.h"

#include <algorithm>

// The system reads the structure by its 32-bit layout in the shipped program.
static_assert(sizeof(void*) != 4 || sizeof(TASKDIALOGCONFIG) == 96);

namespace {

std::string WithLineFeeds(const std::string& text) {
    return DecodeLineBreaks(text, "\n");
}

// The text in a buffer that lives as long as the configuration; none when empty.
PCWSTR Keep(TNativeTaskDialogConfig& out, const std::string& text) {
    if (text.empty())
        return nullptr;
    return out.Texts.emplace_back(ToWide(text)).c_str();
}

void FillButtons(const std::vector<std::string>& captions, int firstId,
                 std::vector<std::array<wchar_t, 1024>>& buffers,
                 std::vector<TASKDIALOG_BUTTON>& buttons) {
    buffers.assign(captions.size(), {});
    buttons.clear();
    for (std::size_t i = 0; i < captions.size(); ++i) {
        const std::wstring wide = ToWide(WithLineFeeds(captions[i]));
        const std::size_t n = std::min(wide.size(), buffers[i].size() - 1);
        std::copy_n(wide.begin(), n, buffers[i].begin());
        buffers[i][n] = L'\0';
        buttons.push_back({firstId + static_cast<int>(i), buffers[i].data()});
    }
}

PCWSTR MainIconResource(TTaskDialogIcon icon) {
    switch (icon) {
    case tiBlank:
        return MAKEINTRESOURCEW(17);
    case tiWarning:
        return MAKEINTRESOURCEW(84);
    case tiQuestion:
        return MAKEINTRESOURCEW(99);
    case tiError:
        return MAKEINTRESOURCEW(98);
    case tiInformation:
        return MAKEINTRESOURCEW(81);
    case tiShield:
        return MAKEINTRESOURCEW(78);
    case tiNotUsed:
        break;
    }
    return nullptr;
}

PCWSTR FooterIconResource(TTaskDialogFooterIcon icon) {
    switch (icon) {
    case tfiWarning:
        return MAKEINTRESOURCEW(84);
    case tfiQuestion:
        return MAKEINTRESOURCEW(99);
    case tfiError:
        return MAKEINTRESOURCEW(98);
    case tfiInformation:
        return TD_INFORMATION_ICON;
    case tfiShield:
        return TD_SHIELD_ICON;
    case tfiBlank:
        break;
    }
    return nullptr;
}

TASKDIALOG_FLAGS Flags(const TAdvTaskDialog& dialog) {
    const TTaskDialogOptions& o = dialog.Options;
    TASKDIALOG_FLAGS flags = 0;
    if (o.Contains(doCommandLinks))
        flags = TDF_USE_COMMAND_LINKS;
    if (o.Contains(doCommandLinksNoIcon))
        flags = TDF_USE_COMMAND_LINKS_NO_ICON;
    const std::pair<TTaskDialogOption, TASKDIALOG_FLAGS> simple[] = {
        {doHyperlinks, TDF_ENABLE_HYPERLINKS},
        {doExpandedDefault, TDF_EXPANDED_BY_DEFAULT},
        {doExpandedFooter, TDF_EXPAND_FOOTER_AREA},
        {doAllowMinimize, TDF_CAN_BE_MINIMIZED},
        {doVerifyChecked, TDF_VERIFICATION_FLAG_CHECKED},
        {doProgressBar, TDF_SHOW_PROGRESS_BAR},
        {doProgressBarMarquee, TDF_SHOW_MARQUEE_PROGRESS_BAR},
    };
    for (const auto& [option, flag] : simple)
        if (o.Contains(option))
            flags |= flag;
    if (o.Contains(doProgressBar) || o.Contains(doProgressBarMarquee) || o.Contains(doTimer))
        flags |= TDF_CALLBACK_TIMER;
    if (dialog.DialogPosition == dpOwnerFormCenter)
        flags |= TDF_POSITION_RELATIVE_TO_WINDOW;
    if (o.Contains(doNoDefaultRadioButton))
        flags |= TDF_NO_DEFAULT_RADIO_BUTTON;
    if (o.Contains(doAllowDialogCancel))
        flags |= TDF_ALLOW_DIALOG_CANCELLATION;
    return flags;
}

HRESULT CALLBACK NativeCallback(HWND hwnd, UINT notification, WPARAM wParam, LPARAM lParam,
                                LONG_PTR data) noexcept {
    try {
        return reinterpret_cast<TNativeTaskDialogFace*>(data)->Notification(hwnd, notification,
                                                                            wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's dialog.
        ReportBoundaryException("task dialog");
        return S_OK;
    }
}

} // namespace

void BuildNativeConfig(TNativeTaskDialogFace& face, HWND parent, TNativeTaskDialogConfig& out) {
    const TAdvTaskDialog& dialog = face.Dialog();
    TASKDIALOGCONFIG& c = out.Config;
    c = TASKDIALOGCONFIG{};
    out.Texts.clear();
    c.cbSize = sizeof(TASKDIALOGCONFIG);
    c.hwndParent = parent;
    c.dwFlags = Flags(dialog);
    const std::pair<TCommonButton, TASKDIALOG_COMMON_BUTTON_FLAGS> bits[] = {
        {cbOK, TDCBF_OK_BUTTON},       {cbYes, TDCBF_YES_BUTTON},
        {cbNo, TDCBF_NO_BUTTON},       {cbCancel, TDCBF_CANCEL_BUTTON},
        {cbRetry, TDCBF_RETRY_BUTTON}, {cbClose, TDCBF_CLOSE_BUTTON},
    };
    for (const auto& [button, bit] : bits)
        if (dialog.CommonButtons.Contains(button))
            c.dwCommonButtons |= bit;
    c.pszWindowTitle = Keep(out, WithLineFeeds(dialog.Title()));
    c.pszMainInstruction = Keep(out, WithLineFeeds(dialog.Instruction()));
    c.pszContent = Keep(out, WithLineFeeds(dialog.Content()));
    c.pszFooter = Keep(out, WithLineFeeds(dialog.Footer()));
    c.pszVerificationText = Keep(out, dialog.VerificationText);
    c.pszExpandedInformation = Keep(out, dialog.ExpandedText());
    c.pszExpandedControlText = Keep(out, dialog.ExpandControlText);
    c.pszCollapsedControlText = Keep(out, dialog.CollapsControlText);

    FillButtons(dialog.CustomButtons(), 100, out.ButtonCaptions, out.Buttons);
    FillButtons(dialog.RadioButtons(), 200, out.RadioCaptions, out.RadioButtons);
    if (!out.Buttons.empty()) {
        c.cButtons = static_cast<UINT>(out.Buttons.size());
        c.pButtons = out.Buttons.data();
    }
    if (!out.RadioButtons.empty()) {
        c.cRadioButtons = static_cast<UINT>(out.RadioButtons.size());
        c.pRadioButtons = out.RadioButtons.data();
    }
    c.nDefaultButton = dialog.DefaultButton;
    c.nDefaultRadioButton = dialog.DefaultRadioButton;

    if (!dialog.CustomIcon().Empty()) {
        c.dwFlags |= TDF_USE_HICON_MAIN;
        c.hMainIcon = dialog.CustomIcon().Handle();
    } else
        c.pszMainIcon = MainIconResource(dialog.Icon);
    c.pszFooterIcon = FooterIconResource(dialog.FooterIcon);

    c.pfCallback = NativeCallback;
    c.lpCallbackData = reinterpret_cast<LONG_PTR>(&face);
}
