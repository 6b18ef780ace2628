#include "ForwardingFileSystem.h"
#include "TestTree.h"
#include "sync/Compare.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Slashed(std::string path) {
    std::replace(path.begin(), path.end(), kPathDelim, '/');
    return path;
}

std::vector<std::string> Sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return items;
}

class CompareTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Tree.AddFolder("stick");
        Tree.AddFolder("disk");
    }

    void Compare(const std::string& stick = "stick", const std::string& disk = "disk") {
        CompareFolders(*Using, List, Cancel, Pump, Tree.Path(stick), Tree.Path(disk), nullptr,
                       &OtherRoots);
    }

    // Each folder left out as the other side's root, as "s:rel" (in the stick tree)
    // or "d:rel".
    std::vector<std::string> LeftOut(const std::string& stick, const std::string& disk) const {
        std::vector<std::string> found;
        for (const TOtherRoot& root : OtherRoots) {
            const std::string from = FolderRoot(Tree.Path(root.ToStickFlag ? disk : stick));
            EXPECT_EQ(root.Path.substr(0, from.size()), from);
            found.push_back((root.ToStickFlag ? "d:" : "s:") +
                            Slashed(root.Path.substr(from.size())));
        }
        return found;
    }

    // Each entry as "s:rel" (stick to computer) or "d:rel", in list order, with "!"
    // in place of ":" for an entry that fails from the start; checks on the way that
    // both paths name the same relative path below the two roots, in both forms.
    std::vector<std::string> Found(const std::string& stick = "stick",
                                   const std::string& disk = "disk") const {
        std::vector<std::string> found;
        for (const auto& entry : List) {
            const std::string from = FolderRoot(Tree.Path(entry->ToStickFlag ? disk : stick));
            const std::string to = FolderRoot(Tree.Path(entry->ToStickFlag ? stick : disk));
            EXPECT_EQ(entry->SourcePath.substr(0, from.size()), from);
            const std::string rel = entry->SourcePath.substr(from.size());
            EXPECT_EQ(entry->TargetPath, to + rel);
            EXPECT_TRUE(PathText(entry->SourceFile).ends_with(rel)) << entry->SourceFile;
            EXPECT_TRUE(PathText(entry->TargetFile).ends_with(rel)) << entry->TargetFile;
            EXPECT_EQ(entry->Copied, entry->Kind == TEntryKind::File);
            std::string tag = entry->ToStickFlag ? "d" : "s";
            tag += entry->Copied ? ':' : '!';
            found.push_back(tag + Slashed(rel));
        }
        return found;
    }

    TTempTree Tree;
    TForwardingFileSystem Fs;
    TFileSystem* Using = &Fs;
    TCopyList List;
    std::vector<TOtherRoot> OtherRoots;
    bool Cancel = false;
    int Pumps = 0;
    int CancelAtPump = 0; // the pump call (from 1) whose handler presses cancel
    TPump Pump = [this] {
        if (++Pumps == CancelAtPump)
            Cancel = true;
    };
};

TEST_F(CompareTest, EmptyOrEqualTreesListNothing) {
    Compare();
    EXPECT_TRUE(List.empty());
    for (const char* side : {"stick/", "disk/"}) {
        Tree.AddFile(std::string(side) + "a.txt", "a", kBaseTime);
        Tree.AddFile(std::string(side) + "sub/b.txt", "b", kBaseTime - 86400);
        Tree.AddFile(std::string(side) + "sub/deep/c.txt", "c", kBaseTime + 3600);
        Tree.AddFolder(std::string(side) + "empty");
    }
    Compare();
    EXPECT_EQ(Found(), std::vector<std::string>{});
}

TEST_F(CompareTest, SkipRulesHoldForFilesInEveryFolderButNeverForFolders) {
    const std::vector<std::string> listed = {
        "b.TMP",   "c.Wbk",  "d.tmpx", "e.wbk2", "f", "Korvandel.exe.bak", "Settings.prp.txt",
        "x~y.txt", ".hidden"};
    std::vector<std::string> skipped = {
        "a.tmp", "a.wbk",           "a.t",          "a.w",           "a.tm",
        "a.wb",  "Bericht.wbk.tmp", "~WRL0001.doc", "korvandel.EXE", "SETTINGS.PRP"};
    if (kPathDelim == '/')
        skipped.push_back("a."); // Windows drops a trailing dot when it makes the file
    std::vector<std::string> expected;
    for (const std::string folder : {"", "sub/", "~alt/", ".hid/"}) {
        for (const std::string& name : listed) {
            Tree.AddFile("stick/" + folder + name);
            expected.push_back("s:" + folder + name);
        }
        for (const std::string& name : skipped)
            Tree.AddFile("stick/" + folder + name);
    }
    Compare();
    EXPECT_EQ(Sorted(Found()), Sorted(expected));
}

// Whether a name is Korvandel.exe or Settings.prp is the platform's word: a
// comparison that passes over hyphens (as Windows' does) skips "Korvan-del.exe",
// and one whose locale folds "I" apart from "i" lists "SETTINGS.PRP".
TEST_F(CompareTest, FixedNamesAreWhatThePlatformComparisonSays) {
    struct TWordSortFileSystem : TForwardingFileSystem {
        bool SameText(std::string_view a, std::string_view b) override {
            const auto fold = [](std::string_view text) {
                std::string folded;
                for (char c : text)
                    if (c != '-' && c != '\'')
                        folded += c == 'I' ? '!' : static_cast<char>(std::tolower(c));
                return folded;
            };
            return fold(a) == fold(b);
        }
    };
    TWordSortFileSystem platform;
    for (const std::string name :
         {"Korvan-del.exe", "Settings.p'rp", "SETTINGS.PRP", "korvandel.EXE", "Settings.prp.1"})
        Tree.AddFile("stick/" + name);
    CompareFolders(platform, List, Cancel, Pump, Tree.Path("stick"), Tree.Path("disk"));
    EXPECT_EQ(Sorted(Found()), Sorted({"s:SETTINGS.PRP", "s:Settings.prp.1"}));
}

TEST_F(CompareTest, NewerByExactlyOneHourIsNoChange) {
    constexpr std::int64_t kLeapDayLate = 1709245800; // 2024-02-29 23:30 at UTC+1
    constexpr std::int64_t kNewYearsEve = 1704061800; // 2023-12-31 23:30 at UTC+1
    struct TCase {
        std::int64_t Disk;
        std::int64_t StickOffset;
    };
    const TCase cases[] = {{kBaseTime, 0},       {kBaseTime, 2},        {kBaseTime, 3598},
                           {kBaseTime, 3600},    {kBaseTime, 3602},     {kBaseTime, 7200},
                           {kBaseTime, -2},      {kBaseTime, -3600},    {kBaseTime, -3602},
                           {kBaseTime, -86400},  {kLeapDayLate, 3600},  {kLeapDayLate, 3602},
                           {kNewYearsEve, 3600}, {kNewYearsEve, -3600}, {kNewYearsEve, 3598}};
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string name = Numbered("t", static_cast<int>(i));
        Tree.AddFile("stick/" + name, "s", cases[i].Disk + cases[i].StickOffset);
        Tree.AddFile("disk/" + name, "d", cases[i].Disk);
        const std::int64_t offset = cases[i].StickOffset;
        if (offset > 0 && offset != 3600)
            expected.push_back("s:" + name);
        if (offset < 0 && offset != -3600)
            expected.push_back("d:" + name);
    }
    Compare();
    EXPECT_EQ(Sorted(Found()), Sorted(expected));
}

TEST_F(CompareTest, EntriesHoldFullPathsStickToComputerFirst) {
    Tree.AddFile("disk/only_d.txt");
    Tree.AddFile("stick/only_s.txt");
    Tree.AddFile("stick/sub/deeper/s3.txt");
    Compare();
    ASSERT_EQ(List.size(), 3u);
    EXPECT_FALSE(List[0]->ToStickFlag);
    EXPECT_FALSE(List[1]->ToStickFlag);
    EXPECT_TRUE(List[2]->ToStickFlag);
    const std::string d(1, kPathDelim);
    const std::vector<std::string> sources = {List[0]->SourcePath, List[1]->SourcePath};
    EXPECT_EQ(Sorted(sources),
              Sorted({Tree.Path("stick") + d + "only_s.txt",
                      Tree.Path("stick") + d + "sub" + d + "deeper" + d + "s3.txt"}));
    EXPECT_EQ(List[2]->SourcePath, Tree.Path("disk") + d + "only_d.txt");
    EXPECT_EQ(List[2]->TargetPath, Tree.Path("stick") + d + "only_d.txt");
    Found(); // checks the target paths of the rest
}

TEST_F(CompareTest, SubfoldersAreWalkedWhereTheyStand) {
    for (const char* file : {"a.txt", "b.txt", "d1/x1", "d1/x2", "d1/dd/y1", "d2/z1", "d2/z2"})
        Tree.AddFile(std::string("stick/") + file);
    Compare();
    const std::vector<std::string> found = Found();
    ASSERT_EQ(found.size(), 7u);
    // Depth first: the files below any folder follow each other without a gap.
    for (const std::string prefix : {"s:d1/", "s:d1/dd/", "s:d2/"}) {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < found.size(); ++i)
            if (found[i].starts_with(prefix))
                at.push_back(i);
        ASSERT_FALSE(at.empty()) << prefix;
        EXPECT_EQ(at.back() - at.front() + 1, at.size()) << prefix;
    }
}

TEST_F(CompareTest, EntriesFollowTheEnumerationOrderDepthFirst) {
    // Delivers every folder in descending name order, so that the order is known and
    // unlike the sorted one, with folders between files.
    struct TDescendingFileSystem : TForwardingFileSystem {
        TReadResult ListFolder(const std::string& folder,
                               std::vector<TFolderEntry>& entries) override {
            const TReadResult listed = TForwardingFileSystem::ListFolder(folder, entries);
            std::sort(entries.begin(), entries.end(),
                      [](const TFolderEntry& a, const TFolderEntry& b) { return a.Name > b.Name; });
            return listed;
        }
    } descending;
    for (const char* file : {"a.txt", "m/b.txt", "m/k/q.txt", "m/z.txt", "z.txt"})
        Tree.AddFile(std::string("stick/") + file);
    Tree.AddFile("disk/d1.txt");
    Tree.AddFile("disk/d2.txt");
    CompareFolders(descending, List, Cancel, Pump, Tree.Path("stick"), Tree.Path("disk"));
    EXPECT_EQ(Found(), (std::vector<std::string>{"s:z.txt", "s:m/z.txt", "s:m/k/q.txt", "s:m/b.txt",
                                                 "s:a.txt", "d:d2.txt", "d:d1.txt"}));
}

TEST_F(CompareTest, TargetFolderNamedLikeTheFileCountsWithItsOwnTime) {
    for (const std::int64_t folderOffset : {-10, 10}) {
        TTempTree tree;
        tree.AddFile("stick/name", "s", kBaseTime);
        tree.AddFile("disk/name/inner.txt");
        tree.SetTime("disk/name", kBaseTime + folderOffset);
        CompareFolders(Fs, List, Cancel, Pump, tree.Path("stick"), tree.Path("disk"));
        std::vector<std::string> found;
        for (const auto& entry : List)
            found.push_back(Slashed(entry->SourcePath.substr(tree.Root().size())));
        std::vector<std::string> expected = {"disk/name/inner.txt"};
        if (folderOffset < 0)
            expected.insert(expected.begin(), "stick/name");
        EXPECT_EQ(found, expected) << "folder offset " << folderOffset;
    }
}

TEST_F(CompareTest, UnusableStickFolderAddsNothingAndEveryComputerFileIsListed) {
    Tree.AddFile("disk/a.txt");
    Tree.AddFile("disk/sub/b.txt");
    Tree.AddFile("a-file");
    const std::string tooLong(300, 'n');
    // Where the system takes no path of that length, the stick folder may be there
    // but cannot be listed, and says so.
    const std::vector<std::string> unreachable =
        kHasDriveLetters ? std::vector<std::string>{} : std::vector<std::string>{"s!"};
    for (const std::string& stick :
         std::vector<std::string>{"missing", "a-file", tooLong, "missing/" + tooLong}) {
        Compare(stick);
        std::vector<std::string> expected = {"d:a.txt", "d:sub/b.txt"};
        if (stick == tooLong)
            expected.insert(expected.end(), unreachable.begin(), unreachable.end());
        EXPECT_EQ(Sorted(Found(stick)), Sorted(expected)) << stick.substr(0, 20);
    }
}

TEST_F(CompareTest, FolderRootAppendsTheDelimiterOnlyWhenMissing) {
    const std::string d(1, kPathDelim);
    const std::pair<std::string, std::string> cases[] = {{"", d},
                                                         {"x", "x" + d},
                                                         {"x" + d, "x" + d},
                                                         {"x" + d + d, "x" + d + d},
                                                         {"a" + d + "b", "a" + d + "b" + d}};
    for (const auto& [text, root] : cases)
        EXPECT_EQ(FolderRoot(text), root) << text;
}

TEST_F(CompareTest, CancelIsReadRightAfterEachFolderPump) {
    Tree.AddFile("stick/r.txt");
    Tree.AddFile("stick/A/a.txt");
    Tree.AddFile("stick/A/B/b.txt");
    Tree.AddFile("disk/q.txt");
    struct TCase {
        int CancelAt;
        int Pumps;
        std::vector<std::string> Found;
    };
    // Pumps in order: stick root, A, B, then the computer root.
    const TCase cases[] = {
        {1, 2, {}},
        {2, 3, {"s:r.txt"}},
        {3, 4, {"s:A/a.txt", "s:r.txt"}},
        {4, 4, {"s:A/B/b.txt", "s:A/a.txt", "s:r.txt"}},
        {0, 4, {"d:q.txt", "s:A/B/b.txt", "s:A/a.txt", "s:r.txt"}},
    };
    for (const TCase& c : cases) {
        Pumps = 0;
        CancelAtPump = c.CancelAt;
        Compare();
        EXPECT_EQ(Pumps, c.Pumps) << "cancel at pump " << c.CancelAt;
        EXPECT_EQ(Sorted(Found()), c.Found) << "cancel at pump " << c.CancelAt;
        EXPECT_EQ(Cancel, c.CancelAt != 0);
    }
}

TEST_F(CompareTest, RunClearsCancelAndListFirst) {
    Tree.AddFile("stick/a.txt");
    List.push_back(
        std::make_unique<TCopyEntry>(TCopyEntry{"old", "old", true, false, "old", "old"}));
    Cancel = true;
    Compare();
    EXPECT_FALSE(Cancel);
    EXPECT_EQ(Found(), std::vector<std::string>{"s:a.txt"});
}

TEST_F(CompareTest, LinkCycleIsNotWalkedAgain) {
    Tree.AddFile("stick/f.txt");
    Tree.AddFile("stick/a/g.txt");
    Tree.AddFile("stick/a/b/h.txt");
    Tree.AddFolderLink("stick/a/up", "stick");
    Tree.AddFolderLink("stick/a/b/loop", "stick/a");
    Compare();
    EXPECT_EQ(Sorted(Found()), Sorted({"s:f.txt", "s:a/g.txt", "s:a/b/h.txt"}));
}

TEST_F(CompareTest, LinkToAFolderOffThePathIsWalked) {
    Tree.AddFile("stick/c/k.txt");
    Tree.AddFolderLink("stick/alias", "stick/c");
    Compare();
    EXPECT_EQ(Sorted(Found()), Sorted({"s:alias/k.txt", "s:c/k.txt"}));
}

// Some virtual and network drives report file number 0 for every folder.
TEST_F(CompareTest, FoldersWithoutFileNumbersAreAllWalked) {
    struct TNumberlessFileSystem : TForwardingFileSystem {
        bool FolderIdentity(const std::string&, TFolderId& id) override {
            id = {7, 0};
            return true;
        }
    } numberless;
    Tree.AddFile("stick/f.txt");
    Tree.AddFile("stick/a/g.txt");
    Tree.AddFile("stick/a/b/h.txt");
    CompareFolders(numberless, List, Cancel, Pump, Tree.Path("stick"), Tree.Path("disk"));
    EXPECT_EQ(Sorted(Found()), Sorted({"s:f.txt", "s:a/g.txt", "s:a/b/h.txt"}));
}

TEST_F(CompareTest, EachTargetFolderIsListedOnceAndOnlyWhenNeeded) {
    struct TCountingFileSystem : TForwardingFileSystem {
        TReadResult ListFolder(const std::string& folder,
                               std::vector<TFolderEntry>& entries) override {
            ++Listed[folder];
            return TForwardingFileSystem::ListFolder(folder, entries);
        }
        std::map<std::string, int> Listed;
    } counting;
    for (int i = 0; i < 20; ++i) {
        Tree.AddFile(Numbered("stick/f", i));
        Tree.AddFile(Numbered("disk/f", i), "x", kBaseTime - 2 * (i % 2));
        Tree.AddFile(Numbered("stick/sub/g", i));
    }
    Tree.AddFolder("stick/empty");
    Tree.AddFile("stick/dirsonly/x/h.txt");
    Tree.AddFile("stick/skipped/a.tmp");
    Tree.AddFolder("disk/sub");
    Tree.AddFolder("disk/empty");
    Tree.AddFolder("disk/dirsonly/x");
    Tree.AddFolder("disk/skipped");
    // One direction only, so that every listing of the computer side is a target's.
    ScanFolder(counting, List, Cancel, Pump, FolderRoot(Tree.Path("stick")),
               FolderRoot(Tree.Path("disk")), "", true);
    EXPECT_EQ(List.size(), 10u + 20u + 1u);
    auto listed = [&](const std::string& rel) {
        return counting.Listed[FolderRoot(Tree.Path(rel))];
    };
    EXPECT_EQ(listed("stick"), 1);
    EXPECT_EQ(listed("disk"), 1);
    EXPECT_EQ(listed("disk/sub"), 1);
    EXPECT_EQ(listed("disk/dirsonly/x"), 1);
    // No file to look up: the other side's folder is never listed.
    EXPECT_EQ(listed("disk/empty"), 0);
    EXPECT_EQ(listed("disk/dirsonly"), 0);
    EXPECT_EQ(listed("disk/skipped"), 0);
}

TEST_F(CompareTest, NamesMatchAsThePlatformMatchesThem) {
    Tree.AddFile("stick/Report.TXT", "s", kBaseTime);
    Tree.AddFile("disk/report.txt", "d", kBaseTime);
    Compare();
#ifdef _WIN32
    EXPECT_EQ(Found(), std::vector<std::string>{});
#else
    EXPECT_EQ(Found(), (std::vector<std::string>{"s:Report.TXT", "d:report.txt"}));
#endif
}

#ifdef _WIN32
TEST_F(CompareTest, ShortNameFindsItsFile) {
    Tree.AddFile("disk/LongFileName.text", "d", kBaseTime);
    char shortPath[MAX_PATH];
    ASSERT_NE(GetShortPathNameA(Tree.Path("disk/LongFileName.text").c_str(), shortPath, MAX_PATH),
              0u);
    const std::string shortName =
        std::string(shortPath).substr(std::string(shortPath).rfind('\\') + 1);
    if (shortName == "LongFileName.text")
        GTEST_SKIP() << "this volume makes no short names";
    Tree.AddFile("stick/" + shortName, "s", kBaseTime);
    Compare();
    EXPECT_EQ(Found(), std::vector<std::string>{"d:LongFileName.text"}) << shortName;

    // With the long name beside it on the stick, the newer short-named file is a file
    // of its own, which the computer cannot take under that name: it fails for it.
    Tree.AddFile("stick/LongFileName.text", "d", kBaseTime);
    Tree.AddFile("stick/" + shortName, "newer", kBaseTime + 60);
    Compare();
    ASSERT_EQ(Found(), std::vector<std::string>{"s!" + shortName});
    EXPECT_EQ(List[0]->Kind, TEntryKind::ShortName);
    EXPECT_EQ(KindReason(List[0]->Kind), TFailReason::NameOfAnotherFile);
}
#endif

TEST_F(CompareTest, FilesOutsideTheDosRangeAreCompared) {
    constexpr std::int64_t k1975 = 157766400;
    Tree.AddFile("stick/old.txt", "s", k1975);
    Tree.AddFile("stick/both-old.txt", "s", k1975);
    Tree.AddFile("disk/both-old.txt", "d", k1975 - 86400);
    Tree.AddFile("stick/new.txt");
    Compare();
    EXPECT_EQ(Sorted(Found()), Sorted({"s:new.txt", "s:old.txt"}));
}

// Folder identities as volumes give them that cannot tell every folder apart.
struct TSameIdentityFileSystem : TForwardingFileSystem {
    explicit TSameIdentityFileSystem(std::uint64_t volume) : Volume(volume) {}
    bool FolderIdentity(const std::string&, TFolderId& id) override {
        id = {Volume, 1};
        return true;
    }
    std::uint64_t Volume;
};

// Whether a root lies inside the other is told by folder identities where they
// are known, by the paths where they are not: on volumes without serial numbers
// (two of them give their roots one identity) and where one number is given to
// every folder. A tree beside the other is walked whole. The inner root is
// named as left out, by the outer tree's own names.
TEST_F(CompareTest, InnerRootIsNotWalkedAsPartOfTheOuterTree) {
    Tree.AddFile("outer/a.txt");
    Tree.AddFile("outer/inner/d.txt"); // named like the inner root, one level higher
    Tree.AddFile("outer/x/c.txt");
    Tree.AddFile("outer/x/inner/b.txt");
    Tree.AddFile("other/inner/e.txt");
    struct TCase {
        std::string Stick;
        std::string Disk;
        std::vector<std::string> Found;
        std::vector<std::string> LeftOut;
    };
    const std::vector<std::string> stickInside = {"d:a.txt", "d:inner/d.txt", "d:x/c.txt",
                                                  "s:b.txt"};
    const std::vector<std::string> diskInside = {"d:b.txt", "s:a.txt", "s:inner/d.txt",
                                                 "s:x/c.txt"};
    const std::vector<std::string> inDisk = {"d:x/inner/"};
    const std::vector<std::string> inStick = {"s:x/inner/"};
    std::vector<TCase> cases = {
        {"outer/x/inner", "outer", stickInside, inDisk},
        {"outer", "outer/x/inner", diskInside, inStick},
        {"outer/x/inner/", "outer/", stickInside, inDisk},
        {"outer//", "outer/x/inner", diskInside, inStick},
        {"outer", "outer", {}, {}},
        {"outer/x/inner", "outer/x/inner/", {}, {}},
        {"outer/x", "other/inner", {"d:e.txt", "s:c.txt", "s:inner/b.txt"}, {}}};
#ifdef _WIN32
    cases.push_back({"OUTER/X/Inner", "outer", stickInside, inDisk});
    cases.push_back({"Outer/", "outer/X/INNER/", diskInside, inStick});
    cases.push_back({"outer/x/../x/inner", "OUTER", stickInside, inDisk});
    cases.push_back({"outer", "OUTER/", {}, {}});
#endif
    TSameIdentityFileSystem noSerial(0);
    TSameIdentityFileSystem oneNumber(0x5a000000);
    for (TFileSystem* fs : {static_cast<TFileSystem*>(&Fs), static_cast<TFileSystem*>(&noSerial),
                            static_cast<TFileSystem*>(&oneNumber)}) {
        Using = fs;
        for (const TCase& c : cases) {
            Compare(c.Stick, c.Disk);
            const char* identities = fs == &Fs         ? "the system"
                                     : fs == &noSerial ? "no serial"
                                                       : "one number";
            EXPECT_EQ(Sorted(Found(c.Stick, c.Disk)), c.Found)
                << c.Stick << " / " << c.Disk << " with identities of " << identities;
            EXPECT_EQ(LeftOut(c.Stick, c.Disk), c.LeftOut)
                << c.Stick << " / " << c.Disk << " with identities of " << identities;
        }
    }
}

// The run lists each folder once, yet must find what the two walks one after the
// other find, in the same order and with the same pumps, wherever cancel comes.
TEST_F(CompareTest, RunMatchesTheTwoWalksOneAfterTheOtherAtEveryCancel) {
    struct TCountingFileSystem : TForwardingFileSystem {
        TReadResult ListFolder(const std::string& folder,
                               std::vector<TFolderEntry>& entries) override {
            ++Listed[folder];
            const TReadResult listed = TForwardingFileSystem::ListFolder(folder, entries);
            // Descending, so that neither side's order is the sorted one.
            std::sort(entries.begin(), entries.end(),
                      [](const TFolderEntry& a, const TFolderEntry& b) { return a.Name > b.Name; });
            return listed;
        }
        std::map<std::string, int> Listed;
    } counting;
    for (const char* side : {"stick/", "disk/"})
        for (const char* file : {"same.txt", "t/same.txt", "t/u/same.txt", "both/x.txt"})
            Tree.AddFile(std::string(side) + file);
    Tree.AddFile("stick/s-only.txt");
    Tree.AddFile("stick/t/newer.txt", "s", kBaseTime + 2);
    Tree.AddFile("disk/t/newer.txt", "d", kBaseTime);
    Tree.AddFile("disk/t/older.txt", "d", kBaseTime);
    Tree.AddFile("stick/t/older.txt", "s", kBaseTime - 2);
    Tree.AddFile("stick/t/u/s.txt");
    Tree.AddFile("disk/t/u/d.txt");
    Tree.AddFile("stick/sdir/k.txt");
    Tree.AddFile("disk/ddir/k.txt");
    Tree.AddFile("disk/ddir/deeper/m.txt");
    Tree.AddFile("disk/t/dsub/n.txt");
    Tree.AddFile("stick/clash/p.txt"); // a folder on the stick, a file on the computer
    Tree.AddFile("disk/clash");
    Tree.AddFolderLink("disk/t/up", "disk"); // walked as a folder on the stick side
    Tree.AddFile("stick/t/up/q.txt");
#ifdef _WIN32
    Tree.AddFile("stick/Case/r.txt"); // one folder on a case-blind platform
    Tree.AddFile("disk/case/r2.txt");
#endif
    const auto walk = [&](bool oneRun, int cancelAt) {
        TCopyList list;
        Pumps = 0;
        CancelAtPump = cancelAt;
        const std::string stick = FolderRoot(Tree.Path("stick"));
        const std::string disk = FolderRoot(Tree.Path("disk"));
        if (oneRun) {
            CompareFolders(counting, list, Cancel, Pump, stick, disk);
        } else {
            Cancel = false;
            ScanFolder(counting, list, Cancel, Pump, stick, disk, "", true);
            ScanFolder(counting, list, Cancel, Pump, disk, stick, "", false);
        }
        std::vector<std::string> found = {"pumps " + std::to_string(Pumps)};
        for (const auto& entry : list) {
            found.push_back(entry->SourcePath + " > " + entry->TargetPath +
                            (entry->ToStickFlag ? " to stick" : " to disk"));
        }
        return found;
    };
    const std::vector<std::string> whole = walk(false, 0);
    ASSERT_GT(whole.size(), 10u);
    counting.Listed.clear();
    EXPECT_EQ(walk(true, 0), whole);
    for (const auto& [folder, times] : counting.Listed)
        EXPECT_EQ(times, 1) << folder;
    const int pumps = std::stoi(whole.front().substr(6));
    for (int cancelAt = 1; cancelAt <= pumps; ++cancelAt)
        EXPECT_EQ(walk(true, cancelAt), walk(false, cancelAt)) << "cancel at pump " << cancelAt;
}

TEST_F(CompareTest, FolderIdentitiesAreAskedForOnlyBelowLinks) {
    struct TAskingFileSystem : TForwardingFileSystem {
        bool FolderIdentity(const std::string& folder, TFolderId& id) override {
            Asked.push_back(folder);
            return TForwardingFileSystem::FolderIdentity(folder, id);
        }
        std::vector<std::string> Asked;
    } asking;
    for (const char* side : {"stick/", "disk/"}) {
        Tree.AddFile(std::string(side) + "a/b/c.txt");
        Tree.AddFile(std::string(side) + "d/e.txt");
    }
    const auto askedBelowRoots = [&] {
        std::vector<std::string> below;
        for (const std::string& folder : asking.Asked) {
            for (const char* root : {"stick", "disk"}) {
                const std::string prefix = FolderRoot(Tree.Path(root));
                if (folder.size() > prefix.size() && folder.starts_with(prefix))
                    below.push_back(Slashed(folder.substr(Tree.Root().size())));
            }
        }
        return Sorted(below);
    };
    CompareFolders(asking, List, Cancel, Pump, Tree.Path("stick"), Tree.Path("disk"));
    EXPECT_EQ(askedBelowRoots(), std::vector<std::string>{});
    Tree.AddFolderLink("stick/d/link", "stick/a");
    asking.Asked.clear();
    CompareFolders(asking, List, Cancel, Pump, Tree.Path("stick"), Tree.Path("disk"));
    // The link and what lies below it, each checked against the folders above it.
    EXPECT_EQ(askedBelowRoots(), Sorted({"stick/d/", "stick/d/link/", "stick/d/link/b/"}));
    EXPECT_EQ(Sorted(Found()), Sorted({"s:d/link/b/c.txt"}));
}

} // namespace
