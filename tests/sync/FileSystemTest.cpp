#include "TestTree.h"
#include "sync/Compare.h"
#include "sync/FileSystem.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t DosDate(int year, int month, int day) {
    return static_cast<std::uint16_t>((year - 1980) << 9 | month << 5 | day);
}

constexpr std::uint16_t DosTime(int hour, int minute, int second) {
    return static_cast<std::uint16_t>(hour << 11 | minute << 5 | second / 2);
}

using namespace std::chrono;

constexpr std::int64_t Utc(year_month_day date, seconds timeOfDay) {
    return (sys_days{date}.time_since_epoch() + timeOfDay).count();
}

// Both fields of the DOS time of a local calendar time given as seconds of the
// wall clock since 1970.
std::pair<std::uint16_t, std::uint16_t> DosFields(std::int64_t wallSeconds) {
    const sys_seconds wall{seconds{wallSeconds}};
    const sys_days day = floor<days>(wall);
    const year_month_day date{day};
    const hh_mm_ss time{wall - day};
    return {DosDate(static_cast<int>(date.year()), static_cast<int>(unsigned{date.month()}),
                    static_cast<int>(unsigned{date.day()})),
            DosTime(static_cast<int>(time.hours().count()),
                    static_cast<int>(time.minutes().count()),
                    static_cast<int>(time.seconds().count()))};
}

std::pair<std::uint16_t, std::uint16_t> Fields(TDosTime time) {
    return {time.Date, time.Time};
}

std::optional<TDosTime> ListedTime(TFileSystem& fs, const std::string& folder,
                                   const std::string& name) {
    std::vector<TFolderEntry> entries;
    fs.ListFolder(folder, entries);
    for (const TFolderEntry& entry : entries)
        if (entry.Name == name)
            return entry.Time;
    return std::nullopt;
}

class FileSystemTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
#ifndef _WIN32
        // ctest sets it for both builds; this covers a run by hand. Wine reads
        // the zone only from its environment at start.
        setenv("TZ", "KVT-1", 1);
        tzset();
#endif
    }

    // A copy as the copy run makes it: right after a look at the target.
    TFailReason Copy(const std::string& source, const std::string& target, TCopiedStates& copied) {
        return Fs.CopyFileSafely(source, target, Fs.StateOf(target), {}, copied);
    }
    TFailReason Copy(const std::string& source, const std::string& target) {
        TCopiedStates ignored;
        return Copy(source, target, ignored);
    }

    TFileSystem& Fs = SystemFileSystem();
    TTempTree Tree;
};

TEST_F(FileSystemTest, ListFolderGivesEveryEntryWithItsLocalDosTimeAndSize) {
    constexpr std::int64_t k1975 = 157766400;
    constexpr std::uint64_t kBig = (std::uint64_t{5} << 30) + 3; // needs the high part
    Tree.AddFile("f.txt", "x", kBaseTime); // 2024-06-01 12:00:00 UTC, 13:00 at UTC+1
    Tree.AddFile("old.txt", "eleven byte", k1975);
    Tree.AddFile("big.bin", "", kBaseTime);
    std::filesystem::resize_file(Tree.Path("big.bin"), kBig);
    Tree.SetTime("big.bin", kBaseTime);
    Tree.AddFile("d/inner.txt");
    Tree.SetTime("d", kBaseTime - 3600 * 24 * 31 + 58);
    std::vector<TFolderEntry> entries;
    ASSERT_EQ(Fs.ListFolder(Tree.Root(), entries), TReadResult::Ok);
    std::sort(entries.begin(), entries.end(),
              [](const TFolderEntry& a, const TFolderEntry& b) { return a.Name < b.Name; });
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].Name, ".");
    EXPECT_EQ(entries[1].Name, "..");
    EXPECT_TRUE(entries[0].IsDirectory);
    EXPECT_TRUE(entries[1].IsDirectory);
    struct TExpected {
        const char* Name;
        bool IsDirectory;
        std::uint16_t Date;
        std::uint16_t Time;
        std::uint64_t Size;
    };
    const TExpected expected[] = {
        {"big.bin", false, DosDate(2024, 6, 1), DosTime(13, 0, 0), kBig},
        {"d", true, DosDate(2024, 5, 1), DosTime(13, 0, 58), 0}, // a folder has no size
        {"f.txt", false, DosDate(2024, 6, 1), DosTime(13, 0, 0), 1},
        // before 1980: the earliest
        {"old.txt", false, DosDate(1980, 1, 1), DosTime(0, 0, 0), 11},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const TFolderEntry& entry = entries[i + 2];
        EXPECT_EQ(entry.Name, expected[i].Name);
        EXPECT_EQ(entry.IsDirectory, expected[i].IsDirectory) << entry.Name;
        EXPECT_EQ(entry.Time.Date, expected[i].Date) << entry.Name;
        EXPECT_EQ(entry.Time.Time, expected[i].Time) << entry.Name << " (runs with TZ=KVT-1)";
        EXPECT_EQ(entry.Size, expected[i].Size) << entry.Name;
    }
}

// The DOS form holds 1980-01-01 00:00:00 to 2107-12-31 23:59:58 of the local clock,
// here UTC+1. Wine's FileTimeToDosDateTime wraps the year, 2110 to 1982.
TEST_F(FileSystemTest, TimesOutsideTheDosRangeAreClampedToTheNearerEnd) {
    const std::pair<std::uint16_t, std::uint16_t> first = {DosDate(1980, 1, 1), DosTime(0, 0, 0)};
    const std::pair<std::uint16_t, std::uint16_t> last = {DosDate(2107, 12, 31),
                                                          DosTime(23, 59, 58)};
    const std::pair<std::int64_t, std::pair<std::uint16_t, std::uint16_t>> cases[] = {
        {Utc(1979y / 12 / 31, 22h + 59min + 58s), first},
        {Utc(1979y / 12 / 31, 23h), first},
        {Utc(1979y / 12 / 31, 23h + 1s), first},
        {Utc(1979y / 12 / 31, 23h + 2s), {DosDate(1980, 1, 1), DosTime(0, 0, 2)}},
        {Utc(2107y / 12 / 31, 22h + 59min + 59s), last},
        {Utc(2107y / 12 / 31, 23h), last},
        {Utc(2108y / 1 / 1, 0h), last},
        {Utc(2110y / 1 / 1, 12h), last},
        {Utc(2200y / 6 / 1, 12h), last},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        Tree.AddFile(Numbered("f", static_cast<int>(i)), "x", cases[i].first);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::optional<TDosTime> listed =
            ListedTime(Fs, Tree.Root(), Numbered("f", static_cast<int>(i)));
        ASSERT_TRUE(listed) << i;
        EXPECT_EQ(Fields(*listed), cases[i].second) << "UTC seconds " << cases[i].first;
    }
}

TEST_F(FileSystemTest, ListFolderTellsMissingFromUnlistable) {
    Tree.AddFile("file");
    std::vector<TFolderEntry> entries(1);
    // A name longer than POSIX systems take cannot be looked for there: whatever
    // the path names cannot be listed. Windows takes long paths.
    const TReadResult tooLong = kHasDriveLetters ? TReadResult::Missing : TReadResult::Failed;
    const std::pair<std::string, TReadResult> cases[] = {
        {Tree.Path("missing/"), TReadResult::Missing},
        {Tree.Path("file/"), TReadResult::Missing},
        {Tree.Path(std::string(300, 'n') + "/"), tooLong},
        {Tree.Path("missing/" + std::string(300, 'n') + "/"), TReadResult::Missing},
    };
    for (const auto& [folder, result] : cases) {
        entries.resize(1);
        EXPECT_EQ(Fs.ListFolder(folder, entries), result) << folder.substr(0, 40);
        EXPECT_TRUE(entries.empty());
    }
}

TEST_F(FileSystemTest, FolderIdentityFollowsLinks) {
    Tree.AddFolder("a/b");
    Tree.AddFolder("c");
    Tree.AddFolderLink("a/b/up", "a");
    TFolderId a, b, c, up;
    ASSERT_TRUE(Fs.FolderIdentity(Tree.Path("a/"), a));
    ASSERT_TRUE(Fs.FolderIdentity(Tree.Path("a/b/"), b));
    ASSERT_TRUE(Fs.FolderIdentity(Tree.Path("c/"), c));
    ASSERT_TRUE(Fs.FolderIdentity(Tree.Path("a/b/up/"), up));
    EXPECT_EQ(up, a);
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(a == c);
    EXPECT_FALSE(Fs.FolderIdentity(Tree.Path("missing/"), a));
}

#ifndef _WIN32
// Drives under Wine: MappedDrivesTest.cpp.
TEST_F(FileSystemTest, VolumeSerialIsTheSameAllOverOneVolume) {
    Tree.AddFolder("a/b");
    std::uint32_t root = 0, deep = 0;
    ASSERT_TRUE(Fs.VolumeSerial(Tree.Root(), root));
    ASSERT_TRUE(Fs.VolumeSerial(Tree.Path("a/b"), deep));
    EXPECT_EQ(deep, root);
    EXPECT_FALSE(Fs.VolumeSerial(Tree.Path("missing/x"), deep));
}
#endif

TEST_F(FileSystemTest, DirectoriesAreMadeOneAtATime) {
    Tree.AddFile("file");
    EXPECT_EQ(Fs.MakeDirectory(Tree.Path("new")), TFailReason::None);
    EXPECT_TRUE(Fs.IsDirectory(Tree.Path("new")));
    EXPECT_EQ(Fs.MakeDirectory(Tree.Path("new")), TFailReason::Other);
    EXPECT_EQ(Fs.MakeDirectory(Tree.Path("missing/new")), TFailReason::Other);
    EXPECT_EQ(Fs.MakeDirectory(Tree.Path("file")), TFailReason::Other);
    EXPECT_FALSE(Fs.IsDirectory(Tree.Path("file")));
    EXPECT_FALSE(Fs.IsDirectory(Tree.Path("missing")));
}

TEST_F(FileSystemTest, ReadWholeFileTellsMissingFromUnreadable) {
    Tree.AddFile("small", "12345");
    Tree.AddFolder("folder");
    struct TCase {
        const char* Rel;
        std::size_t Max;
        TReadResult Result;
        const char* Contents;
    };
    const TCase cases[] = {
        {"small", 5, TReadResult::Ok, "12345"},
        {"small", 4, TReadResult::Failed, ""},
        {"missing", 5, TReadResult::Missing, ""},
        {"folder", 5, TReadResult::Failed, ""},
        {"folder/missing", 5, TReadResult::Missing, ""},
        {"missing/file", 5, TReadResult::Missing, ""},
    };
    for (const TCase& c : cases) {
        std::string contents = "stale";
        EXPECT_EQ(Fs.ReadWholeFile(Tree.Path(c.Rel), c.Max, contents), c.Result) << c.Rel;
        EXPECT_EQ(contents, c.Contents) << c.Rel;
    }
}

TEST_F(FileSystemTest, ReplaceFileContentsGoesThroughATemporaryFile) {
    EXPECT_TRUE(Fs.ReplaceFileContents(Tree.Path("f"), "first"));
    EXPECT_TRUE(Fs.ReplaceFileContents(Tree.Path("f"), "second"));
    EXPECT_EQ(Tree.Read("f"), "second");
    Tree.SetReadOnly("f", true);
    EXPECT_FALSE(Fs.ReplaceFileContents(Tree.Path("f"), "third"));
    EXPECT_EQ(Tree.Read("f"), "second");
    Tree.AddFolder("folder");
    EXPECT_FALSE(Fs.ReplaceFileContents(Tree.Path("folder"), "x"));
    EXPECT_FALSE(Fs.ReplaceFileContents(Tree.Path("missing/f"), "x"));
    EXPECT_EQ(Tree.Names(""), (std::vector<std::string>{"f", "folder"}));
    EXPECT_EQ(Tree.Names("folder"), std::vector<std::string>{});
}

#ifdef _WIN32
// Temporary names have 23 characters, more than many targets' own names, so the
// temporary path can be too long for the ANSI file functions where the target is
// not: with the name "f.txt" the temporary path is 18 longer than the target, 269
// at a target of 251. Each length is compared with CopyFileA onto a sibling of the
// same length. As seen under Wine 8, CopyFileA copies at all four lengths, 265
// included, as Wine converts its target without the MAX_PATH limit; on Windows
// without long path support it copies up to 259 and fails at 265, where ours must
// fail too and leave nothing.
TEST_F(FileSystemTest, CopyReachesEveryTargetThatThePlainCopyReaches) {
    Tree.AddFile("source", "new contents");
    const std::string source = Tree.Path("source");
    for (const std::size_t length : {251u, 255u, 259u, 265u}) {
        // Folders of up to 100 characters until the folder path, delimiter
        // included, leaves room for exactly the five characters of the name.
        std::string folder = Numbered("L", static_cast<int>(length));
        while (const std::size_t left = length - 5 - (Tree.Path(folder).size() + 1)) {
            std::size_t part = std::min<std::size_t>(100, left - 1);
            if (left - 1 - part == 1)
                --part; // one character alone cannot make a folder
            folder += '/';
            folder.append(part, 'd');
        }
        Tree.AddFolder(folder);
        const std::string target = Tree.Path(folder + "/f.txt");
        ASSERT_EQ(target.size(), length);

        const bool plain = CopyFileA(source.c_str(), Tree.Path(folder + "/g.txt").c_str(), FALSE);
        const std::vector<std::string> copies =
            plain ? std::vector<std::string>{"f.txt", "g.txt"} : std::vector<std::string>{};
        EXPECT_EQ(Copy(source, target) == TFailReason::None, plain) << length << " new";
        EXPECT_EQ(Copy(source, target) == TFailReason::None, plain) << length << " over the old";
        EXPECT_EQ(Tree.Names(folder), copies) << length;
        if (plain && Tree.Exists(folder + "/f.txt")) {
            EXPECT_EQ(Tree.Read(folder + "/f.txt"), "new contents") << length;
            const TMidCopyFault fault(target);
            EXPECT_EQ(Copy(source, target), TFailReason::InUse) << length << " held open";
            EXPECT_EQ(Tree.Names(folder), copies) << length << " held open";
        }
    }
}

// A short name reaches the file of another long name: a copy onto it would replace
// that file. A name that differs in letter case only is the file's own.
TEST_F(FileSystemTest, CopyNeverWritesThroughTheShortNameOfAnotherFile) {
    Tree.AddFile("disk/Program Files.txt", "the user's");
    char shortPath[MAX_PATH];
    ASSERT_NE(GetShortPathNameA(Tree.Path("disk/Program Files.txt").c_str(), shortPath, MAX_PATH),
              0u);
    const std::string alias = std::string(shortPath).substr(std::string(shortPath).rfind('\\') + 1);
    if (alias == "Program Files.txt")
        GTEST_SKIP() << "this volume makes no short names";
    Tree.AddFile("stick/" + alias, "other");
    EXPECT_EQ(Copy(Tree.Path("stick/" + alias), Tree.Path("disk/" + alias)),
              TFailReason::NameOfAnotherFile)
        << alias;
    EXPECT_EQ(Tree.Names("disk"), std::vector<std::string>{"Program Files.txt"});
    EXPECT_EQ(Tree.Read("disk/Program Files.txt"), "the user's");

    EXPECT_EQ(Copy(Tree.Path("stick/" + alias), Tree.Path("disk/PROGRAM FILES.TXT")),
              TFailReason::None);
    EXPECT_EQ(Tree.Read("disk/Program Files.txt"), "other");
    EXPECT_EQ(Tree.Names("disk").size(), 1u);
}
#endif

TEST_F(FileSystemTest, NamesCompareAsThePlatformComparesThem) {
    struct TCase {
        const char* A;
        const char* B;
        bool Same;
    };
    std::vector<TCase> cases = {
        {"Korvandel.exe", "KORVANDEL.EXE", true},
        {"a", "b", false},
        {"a", "ab", false},
        {"", "", true},
        {"a.txt", "a.tx", false},
    };
    if (kHasDriveLetters)
        cases.push_back({"\xE4rger", "\xC4RGER", true}); // a-umlaut in the ANSI code page
    for (const TCase& c : cases) {
        EXPECT_EQ(Fs.SameText(c.A, c.B), c.Same) << c.A << " / " << c.B;
        if (kHasDriveLetters)
            EXPECT_EQ(Fs.NameKey(c.A) == Fs.NameKey(c.B), c.Same) << c.A << " / " << c.B;
        else
            EXPECT_EQ(Fs.NameKey(c.A), "") << "POSIX names match exactly";
    }
}

TEST_F(FileSystemTest, ExecutablePathNamesThisProgram) {
    const std::string path = Fs.ExecutablePath();
    EXPECT_NE(path.find("sync_filesystem_test"), std::string::npos) << path;
    EXPECT_NE(path.find(kPathDelim), std::string::npos) << path;
}

// Around the clock changes of Europe/Berlin in 2024, 31 March 01:00 UTC and
// 27 October 01:00 UTC. FileTimeToLocalFileTime moves every time by the offset in
// force now, not by the time's own, and both back ends list times that way, so
// the newer of two files stays the newer one across a change.
class ClockChangeTest : public ::testing::Test {
  protected:
#ifdef _WIN32
    // Wine takes the zone from its environment only at start; ctest runs this
    // with TZ=Europe/Berlin as sync_filesystem_clockchange_test.
    void SetUp() override {
        TIME_ZONE_INFORMATION zone{};
        const DWORD kind = GetTimeZoneInformation(&zone);
        if (zone.DaylightDate.wMonth == 0)
            GTEST_SKIP() << "the zone has no clock change";
        OffsetNow = -60 * (zone.Bias +
                           (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias));
    }
#else
    void SetUp() override {
        const char* zone = std::getenv("TZ");
        FOldZone = zone ? std::optional<std::string>(zone) : std::nullopt;
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        const time_t now = time(nullptr);
        struct tm local {};
        localtime_r(&now, &local);
        OffsetNow = local.tm_gmtoff;
        const time_t summer = Utc(2024y / 7 / 1, 0h);
        localtime_r(&summer, &local);
        ASSERT_EQ(local.tm_gmtoff, 7200) << "no zone data for Europe/Berlin";
    }
    void TearDown() override {
        if (FOldZone)
            setenv("TZ", FOldZone->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> FOldZone;
#endif

    TFileSystem& Fs = SystemFileSystem();
    TTempTree Tree;
    std::int64_t OffsetNow = 0;
};

TEST_F(ClockChangeTest, NewerFileStaysNewerAcrossTheChange) {
    struct TPair {
        std::int64_t Older;
        std::int64_t Newer;
    };
    const TPair pairs[] = {
        // Spring: each file's own offset would make 2 seconds 3602.
        {Utc(2024y / 3 / 31, 59min + 58s), Utc(2024y / 3 / 31, 1h)},
        // An hour apart across the change: an hour apart in the list, so unchanged.
        {Utc(2024y / 3 / 31, 30min), Utc(2024y / 3 / 31, 1h + 30min)},
        // Autumn: each file's own offset would list the newer one 59 minutes older.
        {Utc(2024y / 10 / 27, 59min), Utc(2024y / 10 / 27, 1h)},
        {Utc(2024y / 10 / 27, 30min), Utc(2024y / 10 / 27, 1h + 10min)},
        {Utc(2024y / 10 / 26, 23h), Utc(2024y / 10 / 27, 2h)},
    };
    for (std::size_t i = 0; i < std::size(pairs); ++i) {
        const TPair& pair = pairs[i];
        const std::string rel = Numbered("p", static_cast<int>(i));
        Tree.AddFile(rel + "/stick/f", "newer", pair.Newer);
        Tree.AddFile(rel + "/disk/f", "older", pair.Older);
        for (const auto& [side, utc] :
             {std::pair{"stick", pair.Newer}, std::pair{"disk", pair.Older}}) {
            const std::optional<TDosTime> listed =
                ListedTime(Fs, Tree.Path(rel + "/" + side + "/"), "f");
            ASSERT_TRUE(listed) << i << " " << side;
            EXPECT_EQ(Fields(*listed), DosFields(utc + OffsetNow)) << i << " " << side;
        }
        TCopyList list;
        bool cancel = false;
        CompareFolders(
            Fs, list, cancel, [] {}, Tree.Path(rel + "/stick"), Tree.Path(rel + "/disk"));
        std::vector<std::string> sources;
        for (const auto& entry : list)
            sources.push_back(entry->SourcePath);
        EXPECT_EQ(sources, pair.Newer - pair.Older == 3600
                               ? std::vector<std::string>{}
                               : std::vector<std::string>{Tree.Path(rel + "/stick/f")})
            << i;
    }
}

} // namespace
