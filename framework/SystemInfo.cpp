#include "framework/SystemInfo.h"

#include <vector>

namespace {
std::optional<bool>& VistaOverride() {
    static std::optional<bool> answer;
    return answer;
}
} // namespace

DWORD SystemMajorVersion() {
    return LOBYTE(LOWORD(GetVersion()));
}

bool IsVistaOrLater() {
    static const bool vista =
        FindProc<FARPROC>(GetModuleHandleA("kernel32.dll"), "GetLocaleInfoEx") != nullptr;
    return VistaOverride().value_or(vista);
}

bool IsXPOrLater() {
    static const bool xp = [] {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof(version);
        return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
               (version.dwMajorVersion > 5 ||
                (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1));
    }();
    return IsVistaOrLater() || xp;
}

void OverrideVistaOrLater(std::optional<bool> answer) {
    VistaOverride() = answer;
}

namespace {
std::optional<DWORD> ReadCommonControlsMajorVersion() {
    HMODULE version = LoadLibraryA("version.dll");
    if (!version)
        return std::nullopt;
    using TSizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using TInfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using TQueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    const auto size = FindProc<TSizeFn>(version, "GetFileVersionInfoSizeA");
    const auto info = FindProc<TInfoFn>(version, "GetFileVersionInfoA");
    const auto query = FindProc<TQueryFn>(version, "VerQueryValueA");
    std::optional<DWORD> major;
    DWORD handle = 0;
    const DWORD bytes = size && info && query ? size("COMCTL32.DLL", &handle) : 0;
    if (bytes) {
        std::vector<char> data(bytes);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (info("COMCTL32.DLL", 0, bytes, data.data()) &&
            query(data.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length) && fixed &&
            length >= sizeof(VS_FIXEDFILEINFO))
            major = LOBYTE(HIWORD(fixed->dwFileVersionMS));
    }
    FreeLibrary(version);
    return major;
}
} // namespace

// The library cannot change while the program runs: read once.
std::optional<DWORD> CommonControlsMajorVersion() {
    static const std::optional<DWORD> major = ReadCommonControlsMajorVersion();
    return major;
}

namespace {
std::optional<bool>& ComCtl6Override() {
    static std::optional<bool> answer;
    return answer;
}
} // namespace

bool IsComCtl6() {
    if (ComCtl6Override())
        return *ComCtl6Override();
    const std::optional<DWORD> major = CommonControlsMajorVersion();
    return !major || *major > 5;
}

void OverrideComCtl6(std::optional<bool> answer) {
    ComCtl6Override() = answer;
}
