// Times the comparison of two generated folder trees against a raw walk of both
// trees, the least that any listing giving names, times and sizes costs, and
// against the engine's own listing; prints the peak memory of each run.
//
//   bench_compare                         every figure: 20,000 files in one folder,
//                                         in 20 and in 200 (the cost per entry at
//                                         20,000, 1,000 and 100 per folder), 50,000
//                                         in 500 and 200,000 in 2,000, each in a run
//                                         of its own so that each peak is its own
//   bench_compare FILES FOLDERS [ROUNDS [FOLDER]]
//                                         one pair of trees; in FOLDER they are
//                                         built unless there already and kept, so
//                                         that two builds can be timed on them
//
// Names are made like real ones: 5 to 40 characters of words, blanks, hyphens
// and umlauts before a short distinct code and an extension.

#include "BenchSupport.h"
#include "sync/Compare.h"
#include "sync/SyncRecord.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// One open per file: under Wine every open of a new name reads the whole folder.
bool MakeFile(const fs::path& path, std::int64_t unixSeconds) {
#ifdef _WIN32
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const std::uint64_t ticks = static_cast<std::uint64_t>(unixSeconds + 11644473600) * 10000000;
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    const bool made =
        WriteFile(file, "x", 1, &written, nullptr) && SetFileTime(file, nullptr, nullptr, &time);
    return CloseHandle(file) && made;
#else
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const timespec times[2] = {{unixSeconds, 0}, {unixSeconds, 0}};
    const bool made = write(fd, "x", 1) == 1 && futimens(fd, times) == 0;
    return close(fd) == 0 && made;
#endif
}

// A small generator of its own, so that every platform makes the same names.
class TRandom {
  public:
    std::uint32_t Below(std::uint32_t bound) {
        FState = FState * 6364136223846793005u + 1442695040888963407u;
        return static_cast<std::uint32_t>(FState >> 33) % bound;
    }

  private:
    std::uint64_t FState = 0x4b6f7276616e64;
};

// Words without separators, so that the code after the last separator tells
// names apart.
const char8_t* const kWords[] = {
    u8"Bericht", u8"Übersicht",       u8"Größe",    u8"März",   u8"Protokoll",
    u8"Angebot", u8"final",           u8"Rechnung", u8"Kopie",  u8"Präsentation",
    u8"Kunden",  u8"Entwurf",         u8"alt",      u8"Müller", u8"Straße",
    u8"Fotos",   u8"Urlaub",          u8"v2",       u8"neu",    u8"Österreich",
    u8"Liste",   u8"Jahresabschluss", u8"Notizen",  u8"IMG"};
const char8_t* const kSeparators[] = {u8" ", u8" ", u8"-", u8"_"};
const char8_t* const kExtensions[] = {u8".pdf", u8".docx", u8".txt", u8".jpg", u8".xlsx", u8".odt"};

std::size_t Characters(const std::u8string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char8_t c) { return (c & 0xC0) != 0x80; }));
}

// Distinct for every k, also with letters folded: the code is lower case.
std::u8string Code(long k) {
    std::u8string code;
    do {
        code.insert(code.begin(), u8"0123456789abcdefghijklmnopqrstuvwxyz"[k % 36]);
        k /= 36;
    } while (k > 0);
    return code;
}

// 5 to 40 characters where the code leaves room; the words are cut to fit.
std::u8string RealName(TRandom& random, long k) {
    const std::size_t length = 5 + random.Below(36);
    const std::u8string tail = Code(k) + kExtensions[random.Below(std::size(kExtensions))];
    std::u8string words;
    while (Characters(words) + 1 + Characters(tail) < length) {
        if (!words.empty())
            words += kSeparators[random.Below(std::size(kSeparators))];
        words += kWords[random.Below(std::size(kWords))];
    }
    while (!words.empty() && Characters(words) + 1 + Characters(tail) > length) {
        char8_t cut = 0;
        do { // the whole of a character
            cut = words.back();
            words.pop_back();
        } while ((cut & 0xC0) == 0x80);
    }
    if (words.empty())
        return tail;
    return words + kSeparators[random.Below(std::size(kSeparators))] + tail;
}

std::u8string AsciiUpper(std::u8string text) {
    for (char8_t& c : text)
        c = c >= u8'a' && c <= u8'z' ? static_cast<char8_t>(c - 32) : c;
    return text;
}

// Per side, in every 100 files: 2 newer on the stick, 2 newer on the computer, 1
// missing on each side, and 1 whose name differs in letter case only.
void BuildTrees(const fs::path& root, int files, int folders) {
    const std::int64_t now = std::time(nullptr);
    const std::int64_t base = now - 86400 - now % 2;
    const int perFolder = (files + folders - 1) / folders;
    TRandom random;
    long failed = 0;
    for (int k = 0; k < files; ++k) {
        const fs::path folder(u8"Ordner " + Code(k / perFolder));
        const fs::path stick = root / "stick" / folder;
        const fs::path disk = root / "disk" / folder;
        if (k % perFolder == 0) {
            fs::create_directories(stick);
            fs::create_directories(disk);
        }
        const std::u8string name = RealName(random, k);
        const int kind = k % 100;
        const std::int64_t stickTime = base + (kind == 1 || kind == 51 ? 10 : 0);
        const std::int64_t diskTime = base + (kind == 2 || kind == 52 ? 10 : 0);
        if (kind != 4)
            failed += !MakeFile(stick / fs::path(name), stickTime);
        if (kind != 3)
            failed += !MakeFile(disk / fs::path(kind == 5 ? AsciiUpper(name) : name), diskTime);
    }
    if (failed > 0)
        std::printf("  %ld files could not be made\n", failed);
}

// Lists a tree as the comparison walks it, without comparing anything.
long ListTree(TFileSystem& fileSystem, const std::string& folder) {
    std::vector<TFolderEntry> entries;
    fileSystem.ListFolder(folder, entries);
    long count = 0;
    for (const TFolderEntry& entry : entries) {
        if (entry.Name == "." || entry.Name == "..")
            continue;
        ++count;
        if (entry.IsDirectory)
            count += ListTree(fileSystem, folder + entry.Name + kPathDelim);
    }
    return count;
}

template <class TChar> bool IsDots(const TChar* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

#ifdef _WIN32
const char* const kRawWalk = "FindFirstFileExW with FindExInfoBasic and FindNextFileW";
const char* const kSecondRawWalk = "FindFirstFileA and FindNextFileA";

// Counts the entries below a folder that ends with a backslash, listed with the
// given pair of find functions.
template <class TChar, class TData, class TFirst, class TNext>
long FindWalk(const std::basic_string<TChar>& folder, TFirst first, TNext next) {
    TData data;
    const HANDLE find = first((folder + TChar('*')).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    long count = 0;
    do {
        if (IsDots(data.cFileName))
            continue;
        ++count;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            count += FindWalk<TChar, TData>(folder + data.cFileName + TChar('\\'), first, next);
    } while (next(find, &data));
    FindClose(find);
    return count;
}

long RawWalkOf(const fs::path& root) {
    const auto first = [](const wchar_t* pattern, WIN32_FIND_DATAW* data) {
        return FindFirstFileExW(pattern, FindExInfoBasic, data, FindExSearchNameMatch, nullptr, 0);
    };
    return FindWalk<wchar_t, WIN32_FIND_DATAW>(L"\\\\?\\" + root.wstring() + L'\\', first,
                                               FindNextFileW);
}

long SecondRawWalkOf(const fs::path& root) {
    return FindWalk<char, WIN32_FIND_DATAA>(root.string() + '\\', FindFirstFileA, FindNextFileA);
}
#else
const char* const kRawWalk = "readdir and one fstatat per entry for its time and size";
const char* const kSecondRawWalk = nullptr;

long RawWalk(int parent, const char* name) {
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir)
        return 0;
    long count = 0;
    while (const dirent* item = readdir(dir)) {
        if (IsDots(item->d_name))
            continue;
        struct stat st {};
        if (fstatat(fd, item->d_name, &st, 0) != 0)
            continue;
        ++count;
        if (S_ISDIR(st.st_mode))
            count += RawWalk(fd, item->d_name);
    }
    closedir(dir);
    return count;
}

long RawWalkOf(const fs::path& root) {
    return RawWalk(AT_FDCWD, root.c_str());
}

long SecondRawWalkOf(const fs::path&) {
    return 0;
}
#endif

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void PrintTimings(const char* what, const TTimings& timings, double base, long entries) {
    const double median = Median(timings.Seconds);
    std::printf("  %-30s median %8.3f s, best %8.3f s, %5.2f us per entry, %5.2f x the raw walk\n",
                what, median, timings.Best(), median * 1e6 / static_cast<double>(entries),
                median / base);
}

// keep: a folder to build the trees in unless they are there already, and to leave
// them in; empty for a scratch folder removed at the end.
int MeasureOnePair(int files, int folders, int rounds, const std::string& keep) {
    const fs::path root = keep.empty() ? ScratchFolder("kvbench") : fs::path(keep);
    const fs::path built = root / "built";
    const fs::path stickPath = root / "stick";
    const fs::path diskPath = root / "disk";
    const std::string stick = stickPath.string();
    const std::string disk = diskPath.string();
    TFileSystem& fileSystem = SystemFileSystem();

    auto start = TBenchClock::now();
    if (!fs::exists(built)) {
        fs::remove_all(stickPath);
        fs::remove_all(diskPath);
        BuildTrees(root, files, folders);
        std::ofstream(built) << files << " " << folders << "\n";
    }
    std::printf("%d files in %d folders per side, ready in %.1f s under %s\n", files, folders,
                SecondsSince(start), root.string().c_str());
    // The exact paths that the comparison lists by.
    const std::string stickRoot = ExactPath(FolderRoot(stick));
    const std::string diskRoot = ExactPath(FolderRoot(disk));
    // Warms the caches for all that follows.
    const long listed = RawWalkOf(stickPath) + RawWalkOf(diskPath);
    ListTree(fileSystem, stickRoot);
    ListTree(fileSystem, diskRoot);
    const double peakBefore = PeakMemoryMiB();

    // The record as the window keeps it: made by a first comparison, then loaded
    // before each comparison that it serves.
    const std::string recordPath = ExactPath((root / "~record.dat").string());
    TSyncRecord record;
    {
        TCopyList first;
        bool cancel = false;
        CompareFolders(
            fileSystem, first, cancel, [] {}, stick, disk, &record);
        TSyncRecordFile(recordPath).Save(fileSystem, record);
    }
    // The window's own path: one record file per comparison, loaded before it and
    // brought up to date after it.
    const std::size_t recordPairs = record.Count();
    std::string recordBytes;
    fileSystem.ReadWholeFile(recordPath, 1u << 30, recordBytes);

    TTimings raw;
    TTimings secondRaw;
    TTimings listing;
    TTimings comparison;
    TTimings loading;
    TTimings withRecord;
    TTimings saving;
    TTimings windowPath;
    TCopyList list;
    long pumps = 0;
    for (int round = 0; round < rounds; ++round) {
        start = TBenchClock::now();
        RawWalkOf(stickPath);
        RawWalkOf(diskPath);
        raw.Seconds.push_back(SecondsSince(start));

        if (kSecondRawWalk) {
            start = TBenchClock::now();
            SecondRawWalkOf(stickPath);
            SecondRawWalkOf(diskPath);
            secondRaw.Seconds.push_back(SecondsSince(start));
        }

        start = TBenchClock::now();
        ListTree(fileSystem, stickRoot);
        ListTree(fileSystem, diskRoot);
        listing.Seconds.push_back(SecondsSince(start));

        bool cancel = false;
        pumps = 0;
        start = TBenchClock::now();
        CompareFolders(
            fileSystem, list, cancel, [&] { ++pumps; }, stick, disk);
        comparison.Seconds.push_back(SecondsSince(start));

        const auto pathStart = TBenchClock::now();
        TSyncRecordFile recordFile(recordPath);
        recordFile.Load(fileSystem, record);
        loading.Seconds.push_back(SecondsSince(pathStart));
        start = TBenchClock::now();
        CompareFolders(
            fileSystem, list, cancel, [] {}, stick, disk, &record);
        withRecord.Seconds.push_back(SecondsSince(start));
        start = TBenchClock::now();
        recordFile.Save(fileSystem, record);
        saving.Seconds.push_back(SecondsSince(start));
        windowPath.Seconds.push_back(SecondsSince(pathStart));
    }
    long toStick = 0;
    for (const auto& entry : list)
        toStick += entry->ToStickFlag;
    const double base = Median(raw.Seconds);
    std::printf("  %ld entries in both trees, %d rounds; raw walk: %s\n", listed, rounds, kRawWalk);
    PrintTimings("comparison:", comparison, base, listed);
    PrintTimings("comparison with the record:", withRecord, base, listed);
    PrintTimings("loading the record:", loading, base, listed);
    PrintTimings("saving the record:", saving, base, listed);
    PrintTimings("load, compare, save:", windowPath, base, listed);
    std::printf("  record: %zu files in step, %zu bytes\n", recordPairs, recordBytes.size());
    PrintTimings("raw walk of both trees:", raw, base, listed);
    if (kSecondRawWalk) {
        std::printf("  second raw walk: %s\n", kSecondRawWalk);
        PrintTimings("second raw walk:", secondRaw, base, listed);
    }
    PrintTimings("engine's listing of both:", listing, base, listed);
    std::printf("  comparison / raw walk:         %.2f", Median(comparison.Seconds) / base);
    if (kSecondRawWalk) {
        std::printf(", / second raw walk: %.2f",
                    Median(comparison.Seconds) / Median(secondRaw.Seconds));
    }
    std::printf(", / engine's listing: %.2f (medians)\n",
                Median(comparison.Seconds) / Median(listing.Seconds));
    std::printf("  the window's path (load, compare with the record, save) / raw walk: %.2f, "
                "spread %.2f to %.2f\n",
                Median(windowPath.Seconds) / base, windowPath.Best() / base,
                *std::max_element(windowPath.Seconds.begin(), windowPath.Seconds.end()) / base);
    std::printf("  found: %ld entries (%ld to the computer, %ld to the stick), %ld pumps\n",
                static_cast<long>(list.size()), static_cast<long>(list.size()) - toStick, toStick,
                pumps);
    std::printf(
        "  peak memory:                   %.1f MiB (%.1f MiB before the first comparison)\n",
        PeakMemoryMiB(), peakBefore);
    std::fflush(stdout);

    if (keep.empty()) {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
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
        // 20,000 files with 20,000, 1,000 and 100 in each folder show whether the
        // cost per entry stays flat as folders grow.
        const TPair pairs[] = {
            {20000, 1, 7}, {20000, 20, 7}, {20000, 200, 7}, {50000, 500, 5}, {200000, 2000, 3}};
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
    const std::string keep = argc > 4 ? argv[4] : "";
    if (files < 1 || folders < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: bench_compare [files folders [rounds [folder]]]\n");
        return 2;
    }
    return MeasureOnePair(files, folders, rounds, keep);
}
