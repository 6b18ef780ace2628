// The native face of the task dialog: configuration, execution and the
// notification handler.
#include "controls/taskdialog/TaskDialogNative.h"

#include "controls/paint/AdvGDIP.h"
#include "controls/taskdialog/AdvMessageForm.h"

#include <algorithm>

// The system reads the structure by its 32-bit layout in the shipped program.
static_assert(sizeof(void*) != 4 || sizeof(TASKDIALOGCONFIG) == 96);

namespace {

std::string FromUtf16(const wchar_t* text) {
    if (!text)
        return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(size - 1));
    return narrow;
}

// The two characters backslash and n become a line feed.
std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else
            out += text[i];
    }
    return out;
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
        return reinterpret_cast<TAdvTaskDialog*>(data)->NativeNotification(hwnd, notification,
                                                                           wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's dialog.
        return S_OK;
    }
}

} // namespace

void BuildNativeConfig(const TAdvTaskDialog& dialog, HWND parent, TNativeTaskDialogConfig& out) {
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
    c.lpCallbackData = reinterpret_cast<LONG_PTR>(&dialog);
}

namespace {
TTaskDialogIndirectFn gTaskDialogOverride = nullptr;
} // namespace

void SetTaskDialogIndirectOverride(TTaskDialogIndirectFn taskDialog) {
    gTaskDialogOverride = taskDialog;
}

TTaskDialogIndirectFn FindTaskDialogIndirect() {
    if (gTaskDialogOverride)
        return gTaskDialogOverride;
    // Looked up once; the library stays loaded for the program's life.
    static const TTaskDialogIndirectFn found = [] {
        HMODULE library = LoadLibraryA("comctl32.dll");
        return library ? reinterpret_cast<TTaskDialogIndirectFn>(
                             reinterpret_cast<void*>(GetProcAddress(library, "TaskDialogIndirect")))
                       : nullptr;
    }();
    return found;
}

int TAdvTaskDialog::ExecuteNative() {
    const TTaskDialogIndirectFn taskDialog = FindTaskDialogIndirect();
    if (!taskDialog)
        return -1;
    TNativeTaskDialogConfig config;
    BuildNativeConfig(*this, OwnerWindow(), config);
    FProgressPos = ProgressBarMin;
    int button = 0, radio = 0;
    BOOL verified = FALSE;
    FNativeShowing = true;
    const HRESULT shown = taskDialog(&config.Config, &button, &radio, &verified);
    FNativeShowing = false;
    // The report must still reach the user: our own window stands in.
    if (FAILED(shown))
        return ExecuteEmulated();
    ChosenRadioButton = radio;
    VerificationChecked = verified != FALSE;
    return button;
}

HRESULT TAdvTaskDialog::NativeNotification(HWND hwnd, UINT notification, WPARAM wParam,
                                           LPARAM lParam) {
    FDialogHandle = hwnd;
    switch (notification) {
    case TDN_CREATED:
        if (OnDialogCreated)
            OnDialogCreated(this);
        if (Options.Contains(doProgressBar))
            SendMessageW(hwnd, TDM_SET_PROGRESS_BAR_RANGE, 0,
                         MAKELPARAM(ProgressBarMin, ProgressBarMax));
        return S_OK;
    case TDN_BUTTON_CLICKED: {
        if (OnDialogButtonClick)
            OnDialogButtonClick(this, static_cast<int>(wParam));
        bool canClose = true;
        if (OnDialogClose)
            OnDialogClose(this, canClose);
        return canClose ? S_OK : S_FALSE;
    }
    case TDN_HYPERLINK_CLICKED:
        HyperlinkClicked(FromUtf16(reinterpret_cast<const wchar_t*>(lParam)));
        return S_OK;
    case TDN_TIMER:
        if (OnDialogTimer)
            OnDialogTimer(this);
        if (OnDialogProgress) {
            TTaskDialogProgressState state = psNormal;
            OnDialogProgress(this, FProgressPos, state);
            SendMessageW(hwnd, TDM_SET_PROGRESS_BAR_POS, static_cast<WPARAM>(FProgressPos), 0);
            // A handler may store any number; what is no state is normal.
            const WPARAM states[] = {PBST_NORMAL, PBST_ERROR, PBST_PAUSED};
            const int index = state >= psNormal && state <= psPaused ? state : psNormal;
            SendMessageW(hwnd, TDM_SET_PROGRESS_BAR_STATE, states[index], 0);
        }
        return S_OK;
    case TDN_RADIO_BUTTON_CLICKED:
        if (OnDialogRadioClick)
            OnDialogRadioClick(this, static_cast<int>(wParam));
        return S_OK;
    case TDN_VERIFICATION_CLICKED:
        if (OnDialogVerifyClick)
            OnDialogVerifyClick(this, wParam != 0);
        return S_OK;
    default:
        return S_OK;
    }
}

void TAdvTaskDialog::TextChanged(std::string& field, const std::string& value, int element) {
    if (field == value)
        return;
    field = value;
    if (FNativeShowing && FDialogHandle) {
        const std::wstring wide = ToWide(value);
        SendMessageW(FDialogHandle, TDM_UPDATE_ELEMENT_TEXT, static_cast<WPARAM>(element),
                     reinterpret_cast<LPARAM>(wide.c_str()));
    }
    if (FDialogForm)
        FDialogForm->UpdateDialog();
}

void TAdvTaskDialog::SetContent(const std::string& value) {
    TextChanged(FContent, value, TDE_CONTENT);
}

void TAdvTaskDialog::SetExpandedText(const std::string& value) {
    TextChanged(FExpandedText, value, TDE_EXPANDED_INFORMATION);
}

void TAdvTaskDialog::SetFooter(const std::string& value) {
    TextChanged(FFooter, value, TDE_FOOTER);
}

void TAdvTaskDialog::SetInstruction(const std::string& value) {
    TextChanged(FInstruction, value, TDE_MAIN_INSTRUCTION);
}
