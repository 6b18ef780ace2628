#include "BenchSupport.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first: psapi.h needs its types.
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cstdlib>

double SecondsSince(TBenchClock::time_point start) {
    return std::chrono::duration<double>(TBenchClock::now() - start).count();
}

double PeakMemoryMiB() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
#endif
}

std::filesystem::path ScratchFolder(const std::string& stem) {
    const auto stamp = TBenchClock::now().time_since_epoch().count();
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / (stem + "-" + std::to_string(stamp));
    std::filesystem::create_directories(path);
    return path;
}

double TTimings::Best() const {
    return Seconds.empty() ? 0 : *std::min_element(Seconds.begin(), Seconds.end());
}

double TTimings::Spread() const {
    return Seconds.empty() ? 0 : *std::max_element(Seconds.begin(), Seconds.end()) - Best();
}

// Built by appending, which GCC 12 does not take for an overlapping copy.
std::string Numbered(const char* stem, long number, const char* tail) {
    std::string text = stem;
    text += std::to_string(number);
    text += tail;
    return text;
}

bool RunCommand(const std::string& command) {
#ifdef _WIN32
    // cmd strips the outer quotes of a line that starts with one.
    std::string line = "\"";
    line += command;
    line += '"';
    return std::system(line.c_str()) == 0;
#else
    return std::system(command.c_str()) == 0;
#endif
}

std::string SelfCommand(const char* argv0, const std::string& arguments) {
    std::string line = "\"";
    line += argv0;
    line += "\" ";
    line += arguments;
    return line;
}
