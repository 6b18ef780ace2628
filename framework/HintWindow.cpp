#include "framework/HintWindow.h"

#include "framework/Controls.h"

#include <commctrl.h>

namespace {
// The one tooltip of the program; it tracks the control under the mouse.
struct THintState {
    HWND Tip = nullptr;
    const TControl* Control = nullptr;
    std::string Text;
    POINT At{};
};

THintState& Hints() {
    static THintState state;
    return state;
}

TTTOOLINFOA HintTool() {
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.uId = 1;
    return tool;
}

HWND HintWindow() {
    THintState& hints = Hints();
    if (!hints.Tip || !IsWindow(hints.Tip)) {
        hints.Tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                    WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
        TTTOOLINFOA tool = HintTool();
        tool.lpszText = const_cast<char*>("");
        SendMessageA(hints.Tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return hints.Tip;
}

} // namespace

void HideHint() {
    THintState& hints = Hints();
    if (!hints.Control)
        return;
    hints.Control = nullptr;
    hints.Text.clear();
    if (hints.Tip) {
        TTTOOLINFOA tool = HintTool();
        SendMessageA(hints.Tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    }
}

void UpdateHint(const TControl* control) {
    if (!control || !control->ShowHint() || control->Hint().empty()) {
        HideHint();
        return;
    }
    THintState& hints = Hints();
    if (hints.Control == control && hints.Text == control->Hint())
        return;
    hints.Control = control;
    hints.Text = control->Hint();
    HWND tip = HintWindow();
    TTTOOLINFOA tool = HintTool();
    tool.lpszText = const_cast<char*>(hints.Text.c_str());
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    POINT p{};
    GetCursorPos(&p);
    hints.At = control->HintPosition(p);
    SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(hints.At.x, hints.At.y));
    SendMessageA(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

const TControl* HintControl() {
    return Hints().Control;
}

const std::string& HintText() {
    return Hints().Text;
}

POINT HintPoint() {
    return Hints().At;
}
