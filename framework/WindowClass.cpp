#include "framework/WindowClass.h"

#include "framework/Controls.h"
#include "framework/Errors.h"

#include <map>

std::string OwnClassFor(UINT classStyle, WNDPROC proc) {
    static std::map<UINT, std::string> classes;
    auto it = classes.find(classStyle);
    if (it != classes.end())
        return it->second;
    std::string name = kOwnClass;
    if (classStyle != CS_DBLCLKS) {
        // ".2B": the style in hexadecimal digits.
        name += '.';
        const std::size_t digits = name.size();
        for (UINT rest = classStyle; rest || name.size() == digits; rest >>= 4)
            name.insert(digits, 1, "0123456789ABCDEF"[rest & 15]);
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExA(&wc)) {
        const DWORD error = GetLastError();
        if (error != ERROR_CLASS_ALREADY_EXISTS) {
            ReportSystemFailure("window class", "RegisterClassEx " + name, error);
            return name;
        }
    }
    classes.emplace(classStyle, name);
    return name;
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam,
                                            LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<TWinControl*>(cs->lpCreateParams);
        self->FHandle = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->WindowProc(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's code.
        ReportBoundaryException(msg == WM_PAINT   ? "paint"
                                : msg == WM_TIMER ? "timer"
                                                  : "window procedure");
    }
    // The window is gone: unbind it even when its handler threw.
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        if (self->FDefWndProc)
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->FDefWndProc));
        self->FHandle = nullptr;
    }
    return result;
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
    // Only a window whose procedure is ours carries our object.
    if (!hwnd || GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(StaticWndProc))
        return nullptr;
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return self && self->FHandle == hwnd ? self : nullptr;
}
