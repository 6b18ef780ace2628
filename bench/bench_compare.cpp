// Times the comparison of two generated folder trees beside one plain listing of
// both trees, and prints the peak memory of each run.
//
//   bench_compare                         every figure: 50,000 files in 500 folders,
//                                         20,000 in one folder, 100,000 and 200,000
//                                         files in 100 per folder, each in a run of
//                                         its own so that each peak is its own
//   bench_compare FILES FOLDERS [ROUNDS]  one pair of trees

#include "BenchSupport.h"
#include "sync/Compare.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, fs::file_time_type time) {
    std::ofstream(path) << "x";
    fs::last_write_time(path, time);
}

// Per side, in every 100 files: 2 newer on the stick, 2 newer on the computer, 1
// missing on each side, and 1 whose name differs in letter case only.
void BuildTrees(const fs::path& root, int files, int folders) {
    const auto now =
        std::chrono::time_point_cast<std::chrono::seconds>(fs::file_time_type::clock::now());
    const fs::file_time_type base =
        now - std::chrono::seconds(86400 + now.time_since_epoch().count() % 2);
    const int perFolder = (files + folders - 1) / folders;
    for (int k = 0; k < files; ++k) {
        const std::string folder = Numbered("d", k / perFolder);
        const std::string name = Numbered("file", k, ".txt");
        const fs::path stick = root / "stick" / folder;
        const fs::path disk = root / "disk" / folder;
        if (k % perFolder == 0) {
            fs::create_directories(stick);
            fs::create_directories(disk);
        }
        const int kind = k % 100;
        const auto stickTime = base + std::chrono::seconds(kind == 1 || kind == 51 ? 10 : 0);
        const auto diskTime = base + std::chrono::seconds(kind == 2 || kind == 52 ? 10 : 0);
        if (kind != 4) {
            WriteFile(stick / name, stickTime);
        }
        if (kind != 3) {
            WriteFile(disk / (kind == 5 ? Numbered("FILE", k, ".TXT") : name), diskTime);
        }
    }
}

// Lists a tree as the comparison walks it, without comparing anything.
long ListTree(TFileSystem& fileSystem, const std::string& folder) {
    std::vector<TFolderEntry> entries;
    fileSystem.ListFolder(folder, entries);
    long count = 0;
    for (const TFolderEntry& entry : entries) {
        if (entry.Name == "." || entry.Name == "..") {
            continue;
        }
        ++count;
        if (entry.IsDirectory) {
            count += ListTree(fileSystem, folder + entry.Name + kPathDelim);
        }
    }
    return count;
}

int MeasureOnePair(int files, int folders, int rounds) {
    const fs::path root = ScratchFolder("kvbench");
    const std::string stick = (root / "stick").string();
    const std::string disk = (root / "disk").string();
    TFileSystem& fileSystem = SystemFileSystem();

    auto start = TBenchClock::now();
    BuildTrees(root, files, folders);
    std::printf("%d files in %d folders per side, built in %.1f s under %s\n", files, folders,
                SecondsSince(start), root.string().c_str());
    // Warms the caches for all that follows.
    // The exact paths that the comparison lists by.
    const std::string stickRoot = ExactPath(FolderRoot(stick));
    const std::string diskRoot = ExactPath(FolderRoot(disk));
    long listed = ListTree(fileSystem, stickRoot) + ListTree(fileSystem, diskRoot);
    const double peakBefore = PeakMemoryMiB();

    TTimings listing;
    TTimings comparison;
    TCopyList list;
    long pumps = 0;
    for (int round = 0; round < rounds; ++round) {
        start = TBenchClock::now();
        listed = ListTree(fileSystem, stickRoot) + ListTree(fileSystem, diskRoot);
        listing.Seconds.push_back(SecondsSince(start));

        bool cancel = false;
        pumps = 0;
        start = TBenchClock::now();
        CompareFolders(
            fileSystem, list, cancel, [&] { ++pumps; }, stick, disk);
        comparison.Seconds.push_back(SecondsSince(start));
    }
    long toStick = 0;
    for (const auto& entry : list) {
        toStick += entry->ToStickFlag;
    }
    std::printf("  comparison:                  best %8.3f s, spread %6.3f s, %5.2f us per entry; "
                "%ld entries (%ld to the computer, %ld to the stick), %ld pumps\n",
                comparison.Best(), comparison.Spread(), comparison.Best() * 1e6 / listed,
                static_cast<long>(list.size()), static_cast<long>(list.size()) - toStick, toStick,
                pumps);
    std::printf("  plain listing of both trees: best %8.3f s, spread %6.3f s, %ld entries\n",
                listing.Best(), listing.Spread(), listed);
    std::printf("  comparison / listing:        %.2f (best against best, %d rounds)\n",
                comparison.Best() / listing.Best(), rounds);
    std::printf("  peak memory:                 %.1f MiB (%.1f MiB before the first comparison)\n",
                PeakMemoryMiB(), peakBefore);
    std::fflush(stdout);

    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        struct TPair {
            int Files;
            int Folders;
            int Rounds;
        };
        const TPair pairs[] = {
            {50000, 500, 5}, {20000, 1, 5}, {100000, 1000, 3}, {200000, 2000, 3}};
        int failed = 0;
        for (const TPair& pair : pairs) {
            std::fflush(stdout);
            failed += !RunCommand(SelfCommand(argv[0], std::to_string(pair.Files) + " " +
                                                           std::to_string(pair.Folders) + " " +
                                                           std::to_string(pair.Rounds)));
        }
        return failed == 0 ? 0 : 1;
    }
    const int files = std::atoi(argv[1]);
    const int folders = argc > 2 ? std::atoi(argv[2]) : 1;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    if (files < 1 || folders < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: bench_compare [files folders [rounds]]\n");
        return 2;
    }
    return MeasureOnePair(files, folders, rounds);
}
