#pragma once

// What the benchmarks share: timing, peak memory, scratch folders and running a
// command of the system.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

using TBenchClock = std::chrono::steady_clock;

double SecondsSince(TBenchClock::time_point start);

// The most memory the process has held so far, in MiB.
double PeakMemoryMiB();

// A fresh folder under the system's temporary folder.
std::filesystem::path ScratchFolder(const std::string& stem);

// Best and spread (worst minus best) of repeated timings.
struct TTimings {
    std::vector<double> Seconds;
    double Best() const;
    double Spread() const;
};

// "d12.txt" for ("d", 12, ".txt").
std::string Numbered(const char* stem, long number, const char* tail = "");

// Runs a command line through the system's shell; true on exit code 0.
bool RunCommand(const std::string& command);

// The command line that runs this program again with the given arguments.
std::string SelfCommand(const char* argv0, const std::string& arguments);
