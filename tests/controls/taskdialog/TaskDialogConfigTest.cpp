// The native face without showing it: the configuration handed to the
// system, the notification handler, the choice of face and the link rule.
#include "controls/html/ShellLink.h"
#include "controls/taskdialog/TaskDialogNativeConfig.h"
#include "framework/Errors.h"
#include "framework/SystemInfo.h"
#include "tests/support/FreshApplication.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring W(PCWSTR text) {
    return text ? std::wstring(text) : std::wstring(L"<absent>");
}

struct TConfigCase {
    const char* Name;
    std::function<void(TAdvTaskDialog&)> Setup;
    TASKDIALOG_FLAGS Flags;
    TASKDIALOG_COMMON_BUTTON_FLAGS Buttons;
    PCWSTR MainIcon;
    PCWSTR FooterIcon;
};

TEST(TaskDialogConfig, FlagsButtonsAndIconsFollowTheProperties) {
    const std::vector<TConfigCase> cases = {
        {"OK and warning: the OK bit, icon 84, no flags",
         [](TAdvTaskDialog& d) {
             d.CommonButtons = {cbOK};
             d.Icon = tiWarning;
         },
         0, TDCBF_OK_BUTTON, MAKEINTRESOURCEW(84), nullptr},
        {"command links with icon", [](TAdvTaskDialog& d) { d.Options = {doCommandLinks}; },
         TDF_USE_COMMAND_LINKS, 0, MAKEINTRESOURCEW(17), nullptr},
        {"command links without icon replace the former",
         [](TAdvTaskDialog& d) {
             d.Options = {doCommandLinks, doCommandLinksNoIcon};
         },
         TDF_USE_COMMAND_LINKS_NO_ICON, 0, MAKEINTRESOURCEW(17), nullptr},
        {"marquee alone: marquee and timer, no progress bar",
         [](TAdvTaskDialog& d) { d.Options = {doProgressBarMarquee}; },
         TDF_SHOW_MARQUEE_PROGRESS_BAR | TDF_CALLBACK_TIMER, 0, MAKEINTRESOURCEW(17), nullptr},
        {"every other option, owner-centred",
         [](TAdvTaskDialog& d) {
             d.Options = {doHyperlinks,           doExpandedDefault,  doExpandedFooter,
                          doAllowMinimize,        doVerifyChecked,    doProgressBar,
                          doNoDefaultRadioButton, doAllowDialogCancel};
             d.DialogPosition = dpOwnerFormCenter;
         },
         TDF_ENABLE_HYPERLINKS | TDF_EXPANDED_BY_DEFAULT | TDF_EXPAND_FOOTER_AREA |
             TDF_CAN_BE_MINIMIZED | TDF_VERIFICATION_FLAG_CHECKED | TDF_SHOW_PROGRESS_BAR |
             TDF_CALLBACK_TIMER | TDF_POSITION_RELATIVE_TO_WINDOW | TDF_NO_DEFAULT_RADIO_BUTTON |
             TDF_ALLOW_DIALOG_CANCELLATION,
         0, MAKEINTRESOURCEW(17), nullptr},
        {"timer alone asks for timer notifications",
         [](TAdvTaskDialog& d) { d.Options = {doTimer}; }, TDF_CALLBACK_TIMER, 0,
         MAKEINTRESOURCEW(17), nullptr},
        {"every common button",
         [](TAdvTaskDialog& d) {
             d.CommonButtons = {cbOK, cbYes, cbNo, cbCancel, cbRetry, cbClose};
         },
         0,
         TDCBF_OK_BUTTON | TDCBF_YES_BUTTON | TDCBF_NO_BUTTON | TDCBF_CANCEL_BUTTON |
             TDCBF_RETRY_BUTTON | TDCBF_CLOSE_BUTTON,
         MAKEINTRESOURCEW(17), nullptr},
        {"question, warning footer",
         [](TAdvTaskDialog& d) {
             d.Icon = tiQuestion;
             d.FooterIcon = tfiWarning;
         },
         0, 0, MAKEINTRESOURCEW(99), MAKEINTRESOURCEW(84)},
        {"error, question footer",
         [](TAdvTaskDialog& d) {
             d.Icon = tiError;
             d.FooterIcon = tfiQuestion;
         },
         0, 0, MAKEINTRESOURCEW(98), MAKEINTRESOURCEW(99)},
        {"information, error footer",
         [](TAdvTaskDialog& d) {
             d.Icon = tiInformation;
             d.FooterIcon = tfiError;
         },
         0, 0, MAKEINTRESOURCEW(81), MAKEINTRESOURCEW(98)},
        {"shield, information footer",
         [](TAdvTaskDialog& d) {
             d.Icon = tiShield;
             d.FooterIcon = tfiInformation;
         },
         0, 0, MAKEINTRESOURCEW(78), TD_INFORMATION_ICON},
        {"not used: no icon, shield footer",
         [](TAdvTaskDialog& d) {
             d.Icon = tiNotUsed;
             d.FooterIcon = tfiShield;
         },
         0, 0, nullptr, TD_SHIELD_ICON},
    };
    for (const TConfigCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TAdvTaskDialog dialog(nullptr);
        c.Setup(dialog);
        TNativeTaskDialogConfig config;
        TNativeTaskDialogFace face(dialog);
        BuildNativeConfig(face, nullptr, config);
        EXPECT_EQ(config.Config.dwFlags, c.Flags);
        EXPECT_EQ(config.Config.dwCommonButtons, c.Buttons);
        EXPECT_EQ(config.Config.pszMainIcon, c.MainIcon);
        EXPECT_EQ(config.Config.pszFooterIcon, c.FooterIcon);
        EXPECT_EQ(config.Config.cbSize, sizeof(TASKDIALOGCONFIG));
        EXPECT_EQ(config.Config.lpCallbackData, reinterpret_cast<LONG_PTR>(&face));
        EXPECT_NE(config.Config.pfCallback, nullptr);
    }
}

TEST(TaskDialogConfig, TextsLineFeedsOnlyWhereListedAndEmptyTextsAbsent) {
    TAdvTaskDialog dialog(nullptr);
    dialog.SetTitle("Ti\\ntel");
    dialog.SetInstruction("An\\nweisung");
    dialog.SetContent("erste\\nzweite");
    dialog.SetFooter("Fu\\nss");
    dialog.SetExpandedText("mehr\\nText");
    dialog.ExpandControlText = "we\\nniger";
    dialog.VerificationText = "nicht\\nmehr";
    TNativeTaskDialogConfig config;
    TNativeTaskDialogFace face(dialog);
    BuildNativeConfig(face, nullptr, config);
    const TASKDIALOGCONFIG& c = config.Config;
    EXPECT_EQ(W(c.pszWindowTitle), L"Ti\ntel");
    EXPECT_EQ(W(c.pszMainInstruction), L"An\nweisung");
    EXPECT_EQ(W(c.pszContent), L"erste\nzweite");
    EXPECT_EQ(W(c.pszFooter), L"Fu\nss");
    EXPECT_EQ(W(c.pszExpandedInformation), L"mehr\\nText");
    EXPECT_EQ(W(c.pszExpandedControlText), L"we\\nniger");
    EXPECT_EQ(W(c.pszVerificationText), L"nicht\\nmehr");
    EXPECT_EQ(c.pszCollapsedControlText, nullptr) << "an empty text is absent";
    EXPECT_EQ(c.cButtons, 0u);
    EXPECT_EQ(c.pButtons, nullptr);
    EXPECT_EQ(c.cRadioButtons, 0u);
    EXPECT_EQ(c.pRadioButtons, nullptr);
    EXPECT_EQ(c.hwndParent, nullptr);
}

TEST(TaskDialogConfig, TextsAreConvertedFromTheAnsiCodePage) {
    TAdvTaskDialog dialog(nullptr);
    dialog.SetContent("Gr\xFC\xDF"
                      "e"); // "Grüße" in code page 1252
    TNativeTaskDialogConfig config;
    TNativeTaskDialogFace face(dialog);
    BuildNativeConfig(face, nullptr, config);
    wchar_t expected[16] = {};
    MultiByteToWideChar(CP_ACP, 0,
                        "Gr\xFC\xDF"
                        "e",
                        -1, expected, 16);
    EXPECT_EQ(W(config.Config.pszContent), expected);
}

TEST(TaskDialogConfig, CustomAndRadioButtonsNumberedFrom100And200AndCutAt1023) {
    TAdvTaskDialog dialog(nullptr);
    const std::string longCaption(1500, 'x');
    dialog.SetCustomButtons({"&Speichern", "Ver\\nwerfen"});
    dialog.SetRadioButtons({"eins", longCaption, "drei"});
    dialog.DefaultButton = 101;
    dialog.DefaultRadioButton = 202;
    TNativeTaskDialogConfig config;
    TNativeTaskDialogFace face(dialog);
    BuildNativeConfig(face, nullptr, config);
    const TASKDIALOGCONFIG& c = config.Config;
    ASSERT_EQ(c.cButtons, 2u);
    EXPECT_EQ(c.pButtons[0].nButtonID, 100);
    EXPECT_EQ(W(c.pButtons[0].pszButtonText), L"&Speichern");
    EXPECT_EQ(c.pButtons[1].nButtonID, 101);
    EXPECT_EQ(W(c.pButtons[1].pszButtonText), L"Ver\nwerfen");
    ASSERT_EQ(c.cRadioButtons, 3u);
    EXPECT_EQ(c.pRadioButtons[0].nButtonID, 200);
    EXPECT_EQ(c.pRadioButtons[1].nButtonID, 201);
    EXPECT_EQ(std::wcslen(c.pRadioButtons[1].pszButtonText), 1023u);
    EXPECT_EQ(W(c.pRadioButtons[2].pszButtonText), L"drei");
    EXPECT_EQ(c.nDefaultButton, 101);
    EXPECT_EQ(c.nDefaultRadioButton, 202);
}

TEST(TaskDialogConfig, CustomIconReplacesTheIconNumber) {
    TAdvTaskDialog dialog(nullptr);
    dialog.Icon = tiWarning;
    dialog.CustomIcon().Assign(LoadIcon(nullptr, IDI_QUESTION));
    ASSERT_FALSE(dialog.CustomIcon().Empty());
    TNativeTaskDialogConfig config;
    TNativeTaskDialogFace face(dialog);
    BuildNativeConfig(face, nullptr, config);
    EXPECT_TRUE(config.Config.dwFlags & TDF_USE_HICON_MAIN);
    EXPECT_EQ(config.Config.hMainIcon, dialog.CustomIcon().Handle());
}

TEST(TaskDialogChoice, EmulatedBeforeVistaWithOldCommonControlsOrWhenForced) {
    struct TCase {
        DWORD System;
        std::optional<DWORD> Comctl;
        TNonNativeDialog Mode;
        bool Emulated;
    };
    const TCase cases[] = {
        {5, 6, nndAuto, true},
        {6, 5, nndAuto, true},
        {6, 6, nndAuto, false},
        {10, 6, nndAuto, false},
        {6, std::nullopt, nndAuto, false},
        {10, 6, nndAlways, true},
        {5, std::nullopt, nndAuto, true},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(EmulationRequired(c.System, c.Comctl, c.Mode), c.Emulated)
            << c.System << " " << (c.Comctl ? static_cast<int>(*c.Comctl) : -1) << " " << c.Mode;
    // What this system answers, for the record of which face the rule picks here.
    const std::optional<DWORD> major = CommonControlsMajorVersion();
    ASSERT_TRUE(major.has_value()) << "the library's version is readable";
    std::printf("COMCTL32.DLL major file version: %lu\n", static_cast<unsigned long>(*major));
}

TEST(TaskDialogLinks, OnlyWebFtpAndMailTargetsAreOpenable) {
    const std::pair<const char*, bool> cases[] = {
        {"http://example.org", true},
        {"HTTPS://example.org/a?b", true},
        {"ftp://host/file", true},
        {"MailTo:someone@example.org", true},
        {"file://c:/windows/x.exe", false},
        {"c:\\windows\\notepad.exe", false},
        {"javascript://x", false},
        {" http://leading.blank", false},
        {"", false},
        {"xhttp://x", false},
    };
    for (const auto& [href, openable] : cases)
        EXPECT_EQ(IsShellLink(href), openable) << href;
}

// ---- the notification handler, talking to a window that records messages

std::vector<MSG>* gRecorded = nullptr;

LRESULT CALLBACK RecordProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= WM_USER && gRecorded)
        gRecorded->push_back(MSG{hwnd, msg, wParam, lParam, 0, {}});
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class NotificationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = RecordProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KorvandelRecorder";
        RegisterClassA(&wc);
        window = CreateWindowA("KorvandelRecorder", "", 0, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        gRecorded = &recorded;
        SetLinkOpener([this](const std::string& href) { opened.push_back(href); });
    }
    void TearDown() override {
        SetLinkOpener(nullptr);
        gRecorded = nullptr;
        DestroyWindow(window);
    }
    HWND window = nullptr;
    std::vector<MSG> recorded;
    std::vector<std::string> opened;
    TAdvTaskDialog dialog{nullptr};
    TNativeTaskDialogFace face{dialog};
};

TEST_F(NotificationTest, CreatedRaisesTheEventAndSendsTheRangeOnlyWithAProgressBar) {
    int created = 0;
    dialog.OnDialogCreated = [&](TComponent* sender) {
        EXPECT_EQ(sender, &dialog);
        ++created;
    };
    dialog.Options = {doProgressBarMarquee};
    EXPECT_EQ(face.Notification(window, TDN_CREATED, 0, 0), S_OK);
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(recorded.empty()) << "no range message for a marquee";
    EXPECT_EQ(face.Window(), window);

    dialog.Options = {doProgressBar};
    dialog.ProgressBarMin = 5;
    dialog.ProgressBarMax = 70;
    face.Notification(window, TDN_CREATED, 0, 0);
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].message, static_cast<UINT>(TDM_SET_PROGRESS_BAR_RANGE));
    EXPECT_EQ(recorded[0].lParam, MAKELPARAM(5, 70));
}

TEST_F(NotificationTest, ButtonClickRaisesTheEventAndTheCloseQuery) {
    std::vector<int> clicked;
    dialog.OnDialogButtonClick = [&](TComponent*, int id) { clicked.push_back(id); };
    EXPECT_EQ(face.Notification(window, TDN_BUTTON_CLICKED, 101, 0), S_OK)
        << "without a close handler the dialog closes";
    bool refuse = true;
    dialog.OnDialogClose = [&](TComponent*, bool& canClose) {
        EXPECT_TRUE(canClose) << "true on entry";
        canClose = !refuse;
    };
    EXPECT_EQ(face.Notification(window, TDN_BUTTON_CLICKED, IDOK, 0), S_FALSE)
        << "a refusing handler keeps it open";
    refuse = false;
    EXPECT_EQ(face.Notification(window, TDN_BUTTON_CLICKED, IDOK, 0), S_OK);
    EXPECT_EQ(clicked, (std::vector<int>{101, IDOK, IDOK}));
}

TEST_F(NotificationTest, TimerHandsPositionAndStateToTheBar) {
    int ticks = 0;
    dialog.OnDialogTimer = [&](TComponent*) { ++ticks; };
    face.Notification(window, TDN_TIMER, 100, 0);
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(recorded.empty()) << "no progress handler, no bar messages";

    std::vector<int> seen;
    const TTaskDialogProgressState states[] = {psError, psPaused, psNormal};
    dialog.OnDialogProgress = [&](TComponent*, int& pos, TTaskDialogProgressState& state) {
        EXPECT_EQ(state, psNormal);
        seen.push_back(pos);
        state = states[seen.size() - 1];
        pos += 10;
    };
    for (int i = 0; i < 3; ++i)
        face.Notification(window, TDN_TIMER, 200, 0);
    EXPECT_EQ(seen, (std::vector<int>{0, 10, 20})) << "each tick starts from the last position";
    ASSERT_EQ(recorded.size(), 6u);
    const std::pair<UINT, WPARAM> expected[] = {
        {TDM_SET_PROGRESS_BAR_POS, 10}, {TDM_SET_PROGRESS_BAR_STATE, PBST_ERROR},
        {TDM_SET_PROGRESS_BAR_POS, 20}, {TDM_SET_PROGRESS_BAR_STATE, PBST_PAUSED},
        {TDM_SET_PROGRESS_BAR_POS, 30}, {TDM_SET_PROGRESS_BAR_STATE, PBST_NORMAL},
    };
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(recorded[i].message, expected[i].first) << i;
        EXPECT_EQ(recorded[i].wParam, expected[i].second) << i;
    }
    EXPECT_EQ(ticks, 4);
}

TEST_F(NotificationTest, RadioAndVerificationRaiseTheirEvents) {
    std::vector<int> radios;
    std::vector<bool> checks;
    dialog.OnDialogRadioClick = [&](TComponent*, int id) { radios.push_back(id); };
    dialog.OnDialogVerifyClick = [&](TComponent*, bool checked) { checks.push_back(checked); };
    EXPECT_EQ(face.Notification(window, TDN_RADIO_BUTTON_CLICKED, 201, 0), S_OK);
    EXPECT_EQ(face.Notification(window, TDN_VERIFICATION_CLICKED, 1, 0), S_OK);
    EXPECT_EQ(face.Notification(window, TDN_VERIFICATION_CLICKED, 0, 0), S_OK);
    EXPECT_EQ(face.Notification(window, TDN_DESTROYED, 0, 0), S_OK);
    EXPECT_EQ(radios, (std::vector<int>{201}));
    EXPECT_EQ(checks, (std::vector<bool>{true, false}));
}

TEST_F(NotificationTest, LinksGoToTheHandlerOrToTheShellWhenOpenable) {
    for (const wchar_t* href : {L"https://example.org/x", L"file://c:/evil.exe", L"mailto:a@b.c"})
        face.Notification(window, TDN_HYPERLINK_CLICKED, 0, reinterpret_cast<LPARAM>(href));
    EXPECT_EQ(opened, (std::vector<std::string>{"https://example.org/x", "mailto:a@b.c"}));

    std::vector<std::string> handled;
    dialog.OnDialogHyperlinkClick = [&](TComponent*, const std::string& href) {
        handled.push_back(href);
    };
    face.Notification(window, TDN_HYPERLINK_CLICKED, 0,
                      reinterpret_cast<LPARAM>(L"file://c:/evil.exe"));
    EXPECT_EQ(handled, (std::vector<std::string>{"file://c:/evil.exe"}))
        << "a handler gets every link";
    EXPECT_EQ(opened.size(), 2u) << "and the shell none";
}

TEST_F(NotificationTest, AThrowingHandlerIsReportedAndStopsAtTheSystemsCallback) {
    dialog.OnDialogButtonClick = [](TComponent*, int) { throw EKorvandelError("handler failed"); };
    TNativeTaskDialogConfig config;
    BuildNativeConfig(face, nullptr, config);
    std::vector<std::string> reported;
    SetExceptionHook([&](const std::string& where, const std::string& what) {
        reported.push_back(where + ": " + what);
    });
    const HRESULT answer =
        config.Config.pfCallback(window, TDN_BUTTON_CLICKED, IDOK, 0, config.Config.lpCallbackData);
    SetExceptionHook(nullptr);
    EXPECT_EQ(answer, S_OK);
    EXPECT_EQ(reported, (std::vector<std::string>{"task dialog: handler failed"}));
}

TEST_F(NotificationTest, ChangedTextsReachNoWindowWhileNoDialogRuns) {
    face.Notification(window, TDN_CREATED, 0, 0);
    dialog.SetContent("neu");
    dialog.SetFooter("neu");
    face.TextChanged(TTaskDialogText::tdtContent);
    face.TextChanged(TTaskDialogText::tdtFooter);
    EXPECT_TRUE(recorded.empty()) << "the recorded handle may belong to another window by now";
    EXPECT_EQ(dialog.Content(), "neu");
}

} // namespace
