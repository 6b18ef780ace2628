// Times a comparison and copy run into an empty target folder beside the system's
// own tree copy of the same tree in the same run (cp -a, or xcopy on Windows).
//
//   bench_copy                             20,000 files of 4 KiB in 200 folders,
//                                          then 200 files of 4 MiB in one folder
//   bench_copy FILES FOLDERS KIB [ROUNDS]  one tree
//   bench_copy FILES FOLDERS KIB ROUNDS DIR
//                                          the comparison and the copy run alone,
//                                          each timed, on a tree kept in DIR, so
//                                          that two builds copy the same tree

#include "BenchSupport.h"
#include "sync/CopyRun.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void BuildTree(const fs::path& root, int files, int folders, int kib) {
    std::string contents(static_cast<std::size_t>(kib) * 1024, '\0');
    for (std::size_t i = 0; i < contents.size(); ++i)
        contents[i] = static_cast<char>(i * 7 + i / 251);
    const int perFolder = (files + folders - 1) / folders;
    for (int k = 0; k < files; ++k) {
        const fs::path folder = root / Numbered("d", k / perFolder);
        if (k % perFolder == 0)
            fs::create_directories(folder);
        std::ofstream(folder / Numbered("file", k, ".bin"), std::ios::binary) << contents;
    }
}

// Lets the disk catch up with what earlier rounds wrote, so that each timing starts
// alike.
void SettleWrites() {
#ifndef _WIN32
    RunCommand("sync");
#endif
}

// Built by appending, which GCC 12 does not take for an overlapping copy.
std::string TreeCopyCommand(const fs::path& source, const fs::path& target) {
#ifdef _WIN32
    std::string command = "xcopy /E /I /Q /H /K \"";
    command += source.string();
    command += "\" \"";
    command += target.string();
    command += "\" >nul";
#else
    std::string command = "cp -a '";
    command += source.string();
    command += "' '";
    command += target.string();
    command += "'";
#endif
    return command;
}

#ifdef _WIN32
constexpr const char* kTreeCopyName = "xcopy";
#else
constexpr const char* kTreeCopyName = "cp -a";
#endif

// One comparison and copy run into an empty target; the seconds of each.
struct TEngineRun {
    double CompareSeconds = 0;
    double CopySeconds = 0;
    TCopyRunResult Result;
};

TEngineRun CompareAndCopy(const fs::path& source, const fs::path& target) {
    TEngineRun run;
    auto start = TBenchClock::now();
    TCopyList list;
    bool cancel = false;
    CompareFolders(
        SystemFileSystem(), list, cancel, [] {}, source.string(), target.string());
    run.CompareSeconds = SecondsSince(start);
    start = TBenchClock::now();
    run.Result = RunCopy(
        SystemFileSystem(), list, PlanCopy(SystemFileSystem(), list, [] {}), cancel, [] {},
        [](const TCopyStatus&) {});
    run.CopySeconds = SecondsSince(start);
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The engine alone on a tree that stays in keep for the next call.
int MeasureEngine(int files, int folders, int kib, int rounds, const fs::path& keep) {
    const fs::path source = keep / "source";
    std::string tag = Numbered("built-", files, "-");
    tag += std::to_string(folders);
    tag += '-';
    tag += std::to_string(kib);
    const fs::path built = keep / tag;
    if (!fs::exists(built)) {
        std::error_code ignored;
        fs::remove_all(keep, ignored);
        BuildTree(source, files, folders, kib);
        std::ofstream{built};
    }
    std::vector<double> compare;
    std::vector<double> copy;
    int failed = 0;
    for (int round = 0; round < rounds; ++round) {
        const fs::path target = keep / "target";
        std::error_code ignored;
        fs::remove_all(target, ignored);
        SettleWrites();
        const TEngineRun run = CompareAndCopy(source, target);
        compare.push_back(run.CompareSeconds);
        copy.push_back(run.CopySeconds);
        failed += run.Result.FailedCount;
        if (run.Result.CopiedCount != files) {
            std::fprintf(stderr, "%d of %d files copied\n", run.Result.CopiedCount, files);
            return 1;
        }
        fs::remove_all(target, ignored);
    }
    std::printf("%d files of %d KiB in %d folders, %d rounds: median compare %.3f s, copy run "
                "%.3f s\n",
                files, kib, folders, rounds, Median(compare), Median(copy));
    return failed == 0 ? 0 : 1;
}

int MeasureOneTree(int files, int folders, int kib, int rounds) {
    const fs::path root = ScratchFolder("kvcopy");
    const fs::path source = root / "source";
    auto start = TBenchClock::now();
    BuildTree(source, files, folders, kib);
    std::printf("%d files of %d KiB in %d folders, built in %.1f s under %s\n", files, kib, folders,
                SecondsSince(start), root.string().c_str());

    TTimings ours;
    TTimings system;
    int copied = 0;
    int failed = 0;
    for (int round = 0; round < rounds; ++round) {
        const fs::path target = root / Numbered("run", round);
        const fs::path reference = root / Numbered("ref", round);
        // Taking turns at going first, as the disk is shared and its load comes and goes.
        const auto runOurs = [&] {
            SettleWrites();
            const TEngineRun run = CompareAndCopy(source, target);
            ours.Seconds.push_back(run.CompareSeconds + run.CopySeconds);
            copied = run.Result.CopiedCount;
            failed = run.Result.FailedCount;
        };
        const auto runSystem = [&] {
            SettleWrites();
            const auto systemStart = TBenchClock::now();
            const bool done = RunCommand(TreeCopyCommand(source, reference));
            system.Seconds.push_back(SecondsSince(systemStart));
            return done;
        };
        if (round % 2 == 0)
            runOurs();
        if (!runSystem()) {
            std::fprintf(stderr, "%s failed\n", kTreeCopyName);
            return 1;
        }
        if (round % 2 == 1)
            runOurs();

        std::error_code ignored;
        fs::remove_all(target, ignored);
        fs::remove_all(reference, ignored);
    }
    std::printf("  compare and copy:  best %7.3f s, spread %6.3f s; %d copied, %d failed\n",
                ours.Best(), ours.Spread(), copied, failed);
    std::printf("  %-17s  best %7.3f s, spread %6.3f s\n",
                (std::string(kTreeCopyName) + ":").c_str(), system.Best(), system.Spread());
    std::printf("  ratio:             %.2f (best against best, %d rounds)\n",
                ours.Best() / system.Best(), rounds);
    std::fflush(stdout);

    std::error_code ignored;
    fs::remove_all(root, ignored);
    return failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 1)
        return MeasureOneTree(20000, 200, 4, 5) | MeasureOneTree(200, 1, 4096, 3);
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_copy [files folders kib [rounds [dir]]]\n");
        return 2;
    }
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    if (argc > 5) {
        return MeasureEngine(std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]), rounds,
                             argv[5]);
    }
    return MeasureOneTree(std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]), rounds);
}
