#include "framework/Theme.h"

#include "framework/SystemInfo.h"

#include <uxtheme.h>

namespace {

// The library and its functions, looked up once for the process.
class TThemeApi {
  public:
    static const TThemeApi& Get() {
        static const TThemeApi api;
        return api;
    }

    using TIsThemeActive = BOOL(WINAPI*)();
    using TGetCurrentThemeName = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
    using TOpenThemeData = HTHEME(WINAPI*)(HWND, LPCWSTR);
    using TDrawThemeBackground = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    using TCloseThemeData = HRESULT(WINAPI*)(HTHEME);

    const HMODULE Module;
    const TIsThemeActive IsActive;
    const TGetCurrentThemeName CurrentName;
    const TOpenThemeData Open;
    const TDrawThemeBackground Draw;
    const TCloseThemeData Close;

  private:
    TThemeApi()
        : Module(LoadLibraryA("uxtheme.dll")),
          IsActive(FindProc<TIsThemeActive>(Module, "IsThemeActive")),
          CurrentName(FindProc<TGetCurrentThemeName>(Module, "GetCurrentThemeName")),
          Open(FindProc<TOpenThemeData>(Module, "OpenThemeData")),
          Draw(FindProc<TDrawThemeBackground>(Module, "DrawThemeBackground")),
          Close(FindProc<TCloseThemeData>(Module, "CloseThemeData")) {}
};

} // namespace

bool ThemeActive() {
    const TThemeApi& api = TThemeApi::Get();
    return api.IsActive && api.IsActive();
}

std::wstring ThemeColorName() {
    const TThemeApi& api = TThemeApi::Get();
    if (!api.CurrentName || !ThemeActive())
        return {};
    wchar_t file[255] = {}, color[255] = {}, size[255] = {};
    if (FAILED(api.CurrentName(file, 255, color, 255, size, 255)))
        return {};
    return color;
}

TThemeData::TThemeData(HWND hwnd, const wchar_t* classes)
    : FTheme(TThemeApi::Get().Open && TThemeApi::Get().Draw && TThemeApi::Get().Close
                 ? TThemeApi::Get().Open(hwnd, classes)
                 : nullptr) {}

TThemeData::~TThemeData() {
    if (FTheme)
        TThemeApi::Get().Close(static_cast<HTHEME>(FTheme));
}

void TThemeData::DrawBackground(HDC dc, int part, int state, const RECT& r) const {
    if (FTheme)
        TThemeApi::Get().Draw(static_cast<HTHEME>(FTheme), dc, part, state, &r, nullptr);
}
