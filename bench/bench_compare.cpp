// Times one comparison of two generated folder trees beside one plain listing of
// both trees and beside looking up every file of one side on the other one by one.
//
//   bench_compare [files] [folders]      (default 50000 files in 500 folders)

#include "sync/Compare.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point start) {
    return std::chrono::duration<double>(TClock::now() - start).count();
}

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
        const std::string folder = std::string("d") + std::to_string(k / perFolder);
        const std::string name = std::string("file") + std::to_string(k) + ".txt";
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
            WriteFile(disk / (kind == 5 ? std::string("FILE") + std::to_string(k) + ".TXT" : name),
                      diskTime);
        }
    }
}

// Lists a tree as the comparison walks it, without comparing anything.
long ListTree(TFileSystem& fileSystem, const std::string& folder, std::vector<std::string>* files) {
    std::vector<TFolderEntry> entries;
    fileSystem.ListFolder(folder, entries);
    long count = 0;
    for (const TFolderEntry& entry : entries) {
        if (entry.Name == "." || entry.Name == "..") {
            continue;
        }
        ++count;
        if (entry.IsDirectory) {
            count += ListTree(fileSystem, folder + entry.Name + kPathDelim, files);
        } else if (files) {
            files->push_back(folder + entry.Name);
        }
    }
    return count;
}

// One lookup of an exact path, as the comparison did before it listed each target folder once.
bool LookUp(const std::string& path) {
#ifdef _WIN32
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
    }
    return find != INVALID_HANDLE_VALUE;
#else
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
#endif
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int folders = argc > 2 ? std::atoi(argv[2]) : 500;
    if (files < 1 || folders < 1) {
        std::fprintf(stderr, "usage: bench_compare [files] [folders]\n");
        return 2;
    }
    const fs::path root =
        fs::temp_directory_path() /
        (std::string("kvbench-") + std::to_string(TClock::now().time_since_epoch().count()));
    const std::string stick = (root / "stick").string();
    const std::string disk = (root / "disk").string();
    TFileSystem& fileSystem = SystemFileSystem();

    auto start = TClock::now();
    BuildTrees(root, files, folders);
    std::printf("built %d files in %d folders per side in %.1f s under %s\n", files, folders,
                SecondsSince(start), root.string().c_str());

    std::vector<std::string> stickFiles;
    ListTree(fileSystem, FolderRoot(stick), &stickFiles); // warms the caches for all that follows
    ListTree(fileSystem, FolderRoot(disk), nullptr);

    start = TClock::now();
    const long listed = ListTree(fileSystem, FolderRoot(stick), nullptr) +
                        ListTree(fileSystem, FolderRoot(disk), nullptr);
    const double listing = SecondsSince(start);

    TCopyList list;
    bool cancel = false;
    long pumps = 0;
    start = TClock::now();
    CompareFolders(
        fileSystem, list, cancel, [&] { ++pumps; }, stick, disk);
    const double comparison = SecondsSince(start);
    long toStick = 0;
    for (const auto& entry : list) {
        toStick += entry->ToStickFlag;
    }

    start = TClock::now();
    long found = 0;
    for (const std::string& path : stickFiles) {
        found += LookUp(FolderRoot(disk) + path.substr(FolderRoot(stick).size()));
    }
    const double lookups = SecondsSince(start);

    std::printf("comparison:                    %8.3f s  %ld entries (%ld to the computer, %ld to "
                "the stick), %ld folders\n",
                comparison, static_cast<long>(list.size()),
                static_cast<long>(list.size()) - toStick, toStick, pumps);
    std::printf("plain listing of both trees:   %8.3f s  %ld entries\n", listing, listed);
    std::printf("one lookup per stick file:     %8.3f s  %zu lookups, %ld found\n", lookups,
                stickFiles.size(), found);

    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
