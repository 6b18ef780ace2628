// A program that imports a function Windows XP lacks: the import check must
// refuse it, or the check proves nothing about the shipping program.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>

int main() {
    return GetTickCount64() == 0 ? 1 : 0;
}
