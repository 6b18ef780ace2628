// The visual styles library, looked up at run time: systems before XP have none,
// and a system without an active theme draws the classic way.
#pragma once

#include <windows.h>

#include <string>

// True when the library is there and a theme is active.
bool ThemeActive();

// The active theme's colour name ("NormalColor", "HomeStead", ...); empty
// without an active theme or without the library.
std::wstring ThemeColorName();

// One theme class opened for a window, closed when the scope ends. Without the
// library or the class it is false and draws nothing.
class TThemeData {
  public:
    TThemeData(HWND hwnd, const wchar_t* classes);
    ~TThemeData();
    TThemeData(const TThemeData&) = delete;
    TThemeData& operator=(const TThemeData&) = delete;
    explicit operator bool() const { return FTheme != nullptr; }
    void DrawBackground(HDC dc, int part, int state, const RECT& r) const;

  private:
    void* FTheme;
};
