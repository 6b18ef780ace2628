// How the window answers while "Kopieren" copies one large file, under Wine or
// Windows: a second thread sends it a message every 50 ms and notes how long each
// answer takes; a second run is cancelled halfway, timing "Abbrechen" to idle.
//
//   bench_window_copy [MIB]    the file's size, 1024 MiB by default
//   bench_window_copy --small FILES [ROUNDS]
//                              FILES files of 4 KiB in 20 folders instead, copied
//                              ROUNDS times (3 by default), without the cancel

#include "app/fMain.h"
#include "controls/taskdialog/TaskDialogFace.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

namespace {

// A second thread of the system's own; the program's library has none.
class TThread {
  public:
    explicit TThread(std::function<void()> run) : FRun(std::move(run)) {
        FHandle = CreateThread(nullptr, 0, &TThread::Start, this, 0, nullptr);
    }
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // Answers messages meanwhile: the thread may be sending one to this thread's
    // window, and would wait for it until its time-out.
    void join() {
        while (MsgWaitForMultipleObjects(1, &FHandle, FALSE, INFINITE, QS_ALLINPUT) !=
               WAIT_OBJECT_0) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        CloseHandle(FHandle);
    }

  private:
    static DWORD WINAPI Start(LPVOID self) {
        static_cast<TThread*>(self)->FRun();
        return 0;
    }
    std::function<void()> FRun;
    HANDLE FHandle = nullptr;
};

double MsSince(TClock::time_point start) {
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// Closes the report the window shows after a run, whichever window it is.
BOOL CALLBACK CloseReport(HWND window, LPARAM main) {
    if (window != reinterpret_cast<HWND>(main) && IsWindowVisible(window))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

struct TProbe {
    HWND Window = nullptr;
    DWORD Thread = 0;
    std::atomic<bool> Stop{false};
    std::atomic<bool> Copying{false};
    double LongestMs = 0;
    int Answers = 0;

    void Run() {
        while (!Stop) {
            const auto sent = TClock::now();
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(Window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored);
            if (Copying) {
                LongestMs = std::max(LongestMs, MsSince(sent));
                ++Answers;
            }
            Sleep(50);
            EnumThreadWindows(Thread, CloseReport, reinterpret_cast<LPARAM>(Window));
        }
    }
};

void Click(TWinControl* button) {
    const LPARAM middle = MAKELPARAM(button->Width() / 2, button->Height() / 2);
    PostMessageA(button->Handle(), WM_MOUSEMOVE, 0, middle);
    PostMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageA(button->Handle(), WM_LBUTTONUP, 0, middle);
}

// FILES files of 4 KiB in 20 folders below stick.
void MakeSmallFiles(const fs::path& stick, int files) {
    const std::string contents(4096, 's');
    for (int k = 0; k < files; ++k) {
        const fs::path folder = stick / ("d" + std::to_string(k % 20));
        fs::create_directories(folder);
        std::ofstream(folder / ("file" + std::to_string(k) + ".bin"), std::ios::binary) << contents;
    }
}

void MakeBigFile(const fs::path& path, long long mib) {
    std::ofstream out(path, std::ios::binary);
    const std::string chunk(1 << 20, 'k');
    for (long long i = 0; i < mib; ++i)
        out << chunk;
}

} // namespace

int main(int argc, char** argv) {
    const bool small = argc > 2 && std::string(argv[1]) == "--small";
    const long long mib = !small && argc > 1 ? std::atoll(argv[1]) : 1024;
    const int files = small ? std::atoi(argv[2]) : 0;
    const int rounds = small && argc > 3 ? std::atoi(argv[3]) : 3;
    const fs::path root = fs::temp_directory_path() / "kvwindow";
    std::error_code ignored;
    fs::remove_all(root, ignored);
    fs::create_directories(root / "stick");
    fs::create_directories(root / "disk");
    if (small)
        MakeSmallFiles(root / "stick", files);
    else
        MakeBigFile(root / "stick" / "big.bin", mib);
    SetDialogFaceOverride(TDialogFace::dfEmulated);
    TApplication app;
    app.Title = "Korvandel";
    TKorvandelMain window(nullptr);
    app.SetMainForm(&window);
    window.Show();
    window.StickDir->SetText((root / "stick").string());
    window.DiskDir->SetText((root / "disk").string());

    TProbe probe;
    probe.Window = window.Handle();
    probe.Thread = GetCurrentThreadId();
    TThread prober([&] { probe.Run(); });

    if (small) {
        std::vector<double> seconds;
        for (int round = 0; round < rounds; ++round) {
            fs::remove_all(root / "disk", ignored);
            fs::create_directories(root / "disk");
            window.bScanClick(nullptr);
            const auto start = TClock::now();
            window.bCopyClick(nullptr);
            seconds.push_back(MsSince(start) / 1000);
        }
        std::sort(seconds.begin(), seconds.end());
        std::printf("%d files of 4 KiB copied through the window, %d rounds: median %.3f s "
                    "(the report closed within 50 ms)\n",
                    files, rounds, seconds[seconds.size() / 2]);
        probe.Stop = true;
        prober.join();
        app.SetMainForm(nullptr);
        fs::remove_all(root, ignored);
        return 0;
    }

    // Whole file.
    window.bScanClick(nullptr);
    probe.Copying = true;
    auto start = TClock::now();
    window.bCopyClick(nullptr);
    probe.Copying = false;
    const double copyMs = MsSince(start);
    std::printf("%lld MiB copied in %.1f s through the window; %d answers to a message every "
                "50 ms, the longest after %.0f ms\n",
                mib, copyMs / 1000, probe.Answers, probe.LongestMs);

    // Cancelled halfway: the time from the click to the end of the run. Half is
    // read off the temporary file beside the target, since a second copy of a
    // file in the cache may take much less than half the first one's time; and
    // the click comes after the double-click time, within which the window
    // takes it for the end of the click that started the run.
    fs::remove(root / "disk" / "big.bin", ignored);
    window.bScanClick(nullptr);
    double cancelMs = 0;
    std::atomic<bool> running{true};
    const auto started = TClock::now();
    TThread canceller([&] {
        const std::uintmax_t half = static_cast<std::uintmax_t>(mib) << 19;
        for (bool reached = false; !reached && running; Sleep(1)) {
            std::error_code busy;
            for (const auto& entry : fs::directory_iterator(root / "disk", busy))
                reached = reached || entry.file_size(busy) >= half;
        }
        while (running && MsSince(started) <= GetDoubleClickTime())
            Sleep(1);
        if (!running)
            return;
        const auto clicked = TClock::now();
        Click(window.bCancel);
        while (window.bCancel->Visible())
            Sleep(1);
        cancelMs = MsSince(clicked);
    });
    window.bCopyClick(nullptr);
    running = false;
    canceller.join();
    std::printf("\"Abbrechen\" halfway through the file: idle after %.0f ms; %zu file(s) left on "
                "the list, target %s\n",
                cancelMs, window.CopyList().size(),
                fs::exists(root / "disk" / "big.bin") ? "written" : "untouched");

    probe.Stop = true;
    prober.join();
    app.SetMainForm(nullptr);
    fs::remove_all(root, ignored);
    return 0;
}
