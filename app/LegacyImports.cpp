// Windows XP has no GetTickCount64, yet the threads runtime under the C++
// library imports it, and XP refuses to start a program with an import it
// lacks. The program fills that import slot itself, so the linker takes this
// one instead of KERNEL32's: the system's function where there is one, else
// GetTickCount with its wrap-arounds counted.
#include <windows.h>

namespace {
ULONGLONG WINAPI TickCount64() {
    using TickFn = ULONGLONG(WINAPI*)();
    static const auto system = reinterpret_cast<TickFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
    if (system)
        return system();
    // Only the window's thread asks, so plain statics are enough.
    static DWORD last = 0;
    static ULONGLONG wraps = 0;
    const DWORD now = GetTickCount();
    if (now < last)
        wraps += 0x100000000ULL;
    last = now;
    return wraps + now;
}
} // namespace

#if defined(__i386__)
#define KORVANDEL_TICK64_IMPORT "__imp__GetTickCount64@0"
#else
#define KORVANDEL_TICK64_IMPORT "__imp_GetTickCount64"
#endif

extern "C" {
extern ULONGLONG(WINAPI* const TickCount64Import)() __asm__(KORVANDEL_TICK64_IMPORT);
ULONGLONG(WINAPI* const TickCount64Import)() = TickCount64;
}
