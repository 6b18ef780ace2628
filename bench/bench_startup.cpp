// Times the start of Korvandel against a program that shows one plain window:
// from CreateProcess until the program's first window is visible, and until
// the program first waits for input. Prints the medians of ROUNDS starts of
// each and their ratios.
//
//   bench_startup KORVANDEL.EXE REFERENCE.EXE [ROUNDS]   (default 7 rounds)
//
// Under Wine it needs a display (scripts/bench-startup.sh provides one).

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct TStartTimes {
    double Visible = 0; // milliseconds
    double Idle = 0;
};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    static const double perMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / perMs;
}

struct TWindowSearch {
    DWORD ProcessId;
    HWND Found;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<TWindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->ProcessId && IsWindowVisible(hwnd)) {
        search->Found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Starts the program in its own folder (where Korvandel looks for its
// settings), waits for both marks and ends it. False when it did not start or
// showed no window within 30 seconds.
bool TimeStart(const std::string& exe, TStartTimes& times) {
    const std::string folder = exe.substr(0, exe.find_last_of("\\/") + 1);
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        std::fprintf(stderr, "bench_startup: cannot start %s (error %lu)\n", exe.c_str(),
                     GetLastError());
        return false;
    }
    // Both marks are polled in one loop: WaitForInputIdle alone would miss a
    // program that is idle before its window shows, and a wait for the window
    // alone would hide how long the first paint and the rest take.
    TWindowSearch search{pi.dwProcessId, nullptr};
    bool visible = false, idle = false;
    for (;;) {
        QueryPerformanceCounter(&now);
        if (!visible) {
            EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
            if (search.Found) {
                visible = true;
                times.Visible = Milliseconds(start, now);
            }
        }
        if (!idle && WaitForInputIdle(pi.hProcess, 0) == 0) {
            idle = true;
            times.Idle = Milliseconds(start, now);
        }
        if ((visible && idle) || Milliseconds(start, now) > 30000 ||
            WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    // Closed as the user would close it, so that nothing of it is left to slow
    // the next round; ended by force if it does not go.
    if (search.Found)
        PostMessageA(search.Found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, INFINITE);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!visible || !idle)
        std::fprintf(stderr, "bench_startup: %s showed no window or never waited for input\n",
                     exe.c_str());
    return visible && idle;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct TSeries {
    const char* Exe;
    std::vector<double> Visible, Idle;
};

void Print(const TSeries& series) {
    const std::string exe = series.Exe;
    std::printf("%-20s visible %7.1f ms   input idle %7.1f ms   (median of %zu)\n",
                exe.substr(exe.find_last_of("\\/") + 1).c_str(), Median(series.Visible),
                Median(series.Idle), series.Visible.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup KORVANDEL.EXE REFERENCE.EXE [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 7;
    if (rounds < 1) {
        std::fprintf(stderr, "bench_startup: ROUNDS must be at least 1\n");
        return 2;
    }
    // One start of each to warm the caches, then the two in turns, so that
    // a slow phase of the machine weighs on both alike.
    TSeries program{argv[1], {}, {}}, reference{argv[2], {}, {}};
    TStartTimes times;
    for (int i = 0; i <= rounds; ++i) {
        for (TSeries* series : {&program, &reference}) {
            if (!TimeStart(series->Exe, times))
                return 1;
            if (i > 0) {
                series->Visible.push_back(times.Visible);
                series->Idle.push_back(times.Idle);
            }
        }
    }
    Print(program);
    Print(reference);
    std::printf("ratio: visible %.2f, input idle %.2f\n",
                Median(program.Visible) / Median(reference.Visible),
                Median(program.Idle) / Median(reference.Idle));
    return 0;
}
