// Names and paths that users really have, compared and copied end to end: each one
// must arrive under its exact name, or its entry must say that it failed.
#include "ForwardingFileSystem.h"
#include "TestTree.h"
#include "sync/Compare.h"
#include "sync/CopyRun.h"
#include "sync/Paths.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr bool kFoldsCase = kHasDriveLetters;

std::vector<std::string> Sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return items;
}

class ExactNamesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Tree.AddFolder("stick");
        Tree.AddFolder("disk");
    }

    void Compare() {
        CompareFolders(Fs, List, Cancel, Pump, Tree.Path("stick"), Tree.Path("disk"));
    }

    TCopyRunResult Copy() {
        return RunCopy(
            Fs, List, PlanCopy(Fs, List, Pump), Cancel, Pump, [](const TCopyStatus&) {});
    }

    // Each entry as "s:rel" or "d:rel" by direction, "!" in place of ":" for an entry
    // that fails from the start; rel is the exact relative path with '/'.
    std::vector<std::string> Found() const {
        std::vector<std::string> found;
        for (const auto& entry : List) {
            const std::string root =
                FolderRoot(ExactPath(Tree.Path(entry->ToStickFlag ? "disk" : "stick")));
            EXPECT_EQ(entry->SourceFile.substr(0, root.size()), root);
            std::string rel = entry->SourceFile.substr(root.size());
            std::replace(rel.begin(), rel.end(), kPathDelim, '/');
            std::string tag = entry->ToStickFlag ? "d" : "s";
            tag += entry->Copied ? ':' : '!';
            found.push_back(tag + rel);
        }
        return Sorted(found);
    }

    // Compares, copies, and compares again; the second comparison must list only what
    // failed, and the copy counts each entry once.
    TCopyRunResult Sync() {
        Compare();
        const std::vector<std::string> planned = Found();
        const TCopyRunResult result = Copy();
        EXPECT_EQ(static_cast<std::size_t>(result.CopiedCount + result.FailedCount), List.size());
        std::vector<std::string> failed;
        for (const auto& entry : List)
            if (!entry->Copied)
                failed.push_back(entry->SourceFile);
        Compare();
        std::vector<std::string> again;
        for (const auto& entry : List)
            again.push_back(entry->SourceFile);
        EXPECT_EQ(Sorted(again), Sorted(failed)) << "planned " << ::testing::PrintToString(planned);
        return result;
    }

    TTempTree Tree;
    TForwardingFileSystem Fs;
    TCopyList List;
    bool Cancel = false;
    TPump Pump = [] {};
};

// Look-alikes that a best-fit conversion turns into one another must stay apart.
TEST_F(ExactNamesTest, LookAlikesAreSyncedUnderTheirOwnNames) {
    struct TPair {
        const char* Unusual;
        const char* Plain;
    };
    const TPair pairs[] = {{"Ａbc.txt", "Abc.txt"}, {"Łódź.txt", "Lódz.txt"}, {"Ω.txt", "O.txt"}};
    for (const TPair& pair : pairs) {
        const std::string unusual = pair.Unusual;
        const std::string plain = pair.Plain;
        // The stick: the look-alike newest, the plain name oldest; the computer holds
        // the plain name in between.
        Tree.AddFile("stick/" + unusual, "look-alike", kBaseTime + 20);
        Tree.AddFile("stick/" + plain, "stick's plain", kBaseTime);
        Tree.AddFile("disk/" + plain, "computer's plain", kBaseTime + 10);
    }
    Compare();
    std::vector<std::string> expected;
    for (const TPair& pair : pairs) {
        expected.push_back(std::string("s:") + pair.Unusual);
        expected.push_back(std::string("d:") + pair.Plain);
    }
    EXPECT_EQ(Found(), Sorted(expected));
    const TCopyRunResult result = Sync();
    EXPECT_EQ(result.CopiedCount, 6);
    EXPECT_EQ(result.FailedCount, 0);
    for (const TPair& pair : pairs) {
        for (const char* side : {"stick/", "disk/"}) {
            EXPECT_EQ(Tree.Read(side + std::string(pair.Unusual)), "look-alike") << side;
            EXPECT_EQ(Tree.Read(side + std::string(pair.Plain)), "computer's plain") << side;
        }
    }
}

#ifdef _WIN32
// What the user sees stays ANSI text; a character the code page cannot hold shows
// as "?", never as the letter it resembles.
TEST_F(ExactNamesTest, ListTextsShowWhatTheCodePageCannotHoldAsQuestionMarks) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "the texts below are those of code page 1252";
    Tree.AddFile("stick/Ａbc.txt");
    Tree.AddFile("stick/Łódź.txt");
    Tree.AddFile("stick/Отчёт/Ärger.txt");
    Compare();
    std::vector<std::string> texts;
    for (const auto& entry : List) {
        texts.push_back(entry->SourcePath.substr(Tree.Path("stick/").size()));
        EXPECT_EQ(entry->TargetPath.substr(Tree.Path("disk/").size()), texts.back());
    }
    EXPECT_EQ(Sorted(texts), Sorted({"?bc.txt",
                                     "?\xF3"
                                     "d?.txt",
                                     "?????\\\xC4rger.txt"}));
}
#endif

TEST_F(ExactNamesTest, TrailingDotsAndBlanksAreNamesOfTheirOwn) {
    Tree.AddFile("stick/b", "stick's old b", kBaseTime);
    Tree.AddFile("stick/b. ", "dotted", kBaseTime + 20);
    Tree.AddFile("stick/e ", "blank", kBaseTime + 20);
    Tree.AddFile("disk/b", "computer's newer b", kBaseTime + 10);
    Compare();
    EXPECT_EQ(Found(), Sorted({"s:b. ", "s:e ", "d:b"}));
    EXPECT_EQ(Sync().FailedCount, 0);
    for (const char* side : {"stick/", "disk/"}) {
        EXPECT_EQ(Tree.Read(side + std::string("b")), "computer's newer b") << side;
        EXPECT_EQ(Tree.Read(side + std::string("b. ")), "dotted") << side;
        EXPECT_EQ(Tree.Read(side + std::string("e ")), "blank") << side;
    }
}

TEST_F(ExactNamesTest, DeviceNamesAreFilesLikeAnyOther) {
    for (const char* name : {"CON.txt", "aux.c", "nul", "LPT1.doc"})
        Tree.AddFile("stick/" + std::string(name), name);
    EXPECT_EQ(Sync().FailedCount, 0);
    EXPECT_EQ(Tree.Names("disk"), Sorted({"CON.txt", "LPT1.doc", "aux.c", "nul"}));
    EXPECT_EQ(Tree.Read("disk/CON.txt"), "CON.txt");
}

TEST_F(ExactNamesTest, NamesOutsideTheCodePageAreCopiedAndNeverTakenForEachOther) {
    Tree.AddFile("stick/Отчёт.txt", "report");
    Tree.AddFile("stick/報告.txt", "report in Japanese");
    Tree.AddFile("stick/foto😀.jpg", "photo");
    Tree.AddFile("stick/Фото/bild.jpg", "in a folder");
    // Of equal length, so that a conversion to "?" would make the two names one.
    Tree.AddFile("disk/Докум.txt", "document");
    Compare();
    EXPECT_EQ(Found(), Sorted({"s:Отчёт.txt", "s:報告.txt", "s:foto😀.jpg", "s:Фото/bild.jpg",
                               "d:Докум.txt"}));
    const TCopyRunResult result = Sync();
    EXPECT_EQ(result.CopiedCount, 5);
    EXPECT_EQ(result.FailedCount, 0);
    EXPECT_EQ(Tree.Read("disk/Отчёт.txt"), "report");
    EXPECT_EQ(Tree.Read("disk/報告.txt"), "report in Japanese");
    EXPECT_EQ(Tree.Read("disk/foto😀.jpg"), "photo");
    EXPECT_EQ(Tree.Read("disk/Фото/bild.jpg"), "in a folder");
    EXPECT_EQ(Tree.Read("stick/Докум.txt"), "document");
}

TEST_F(ExactNamesTest, PathsLongerThan260CharactersAreSyncedBothWays) {
    std::string deep;
    while (Tree.Path("stick/" + deep).size() < 320)
        deep += std::string(60, 'd') + "/";
    Tree.AddFile("stick/" + deep + "far.txt", "far on the stick");
    Tree.AddFile("disk/" + deep + "other.txt", "far on the computer");
    ASSERT_GT(Tree.Path("stick/" + deep + "far.txt").size(), 300u);
    Compare();
    EXPECT_EQ(Found(), Sorted({"s:" + deep + "far.txt", "d:" + deep + "other.txt"}));
    EXPECT_EQ(Sync().FailedCount, 0);
    EXPECT_EQ(Tree.Read("disk/" + deep + "far.txt"), "far on the stick");
    EXPECT_EQ(Tree.Read("stick/" + deep + "other.txt"), "far on the computer");
}

// A file system on which some folders are there but cannot be listed.
struct TLockedFoldersFileSystem : TForwardingFileSystem {
    TReadResult ListFolder(const std::string& folder, std::vector<TFolderEntry>& entries) override {
        for (const std::string& locked : Locked) {
            if (folder == locked) {
                entries.clear();
                return TReadResult::Failed;
            }
        }
        return TForwardingFileSystem::ListFolder(folder, entries);
    }
    std::vector<std::string> Locked;
};

TEST_F(ExactNamesTest, FoldersThatCannotBeListedFailInTheirDirectionInEveryRun) {
    TLockedFoldersFileSystem locked;
    Tree.AddFile("stick/locked/a.txt");
    Tree.AddFile("stick/both/in-both.txt");
    Tree.AddFile("disk/both/x.txt");
    Tree.AddFile("disk/sealed/b.txt");
    Tree.AddFile("stick/open.txt");
    // A folder of the stick alone, a computer folder listed beside its stick twin,
    // and a folder of the computer alone.
    for (const char* folder : {"stick/locked/", "disk/both/", "disk/sealed/"})
        locked.Locked.push_back(ExactPath(Tree.Path(folder)));
    CompareFolders(locked, List, Cancel, Pump, Tree.Path("stick"), Tree.Path("disk"));
    EXPECT_EQ(Found(),
              Sorted({"s!locked/", "s:both/in-both.txt", "s:open.txt", "d!both/", "d!sealed/"}));
    for (const auto& entry : List) {
        if (entry->Kind == TEntryKind::UnlistedFolder) {
            EXPECT_EQ(entry->SourcePath.back(), kPathDelim);
            EXPECT_EQ(entry->TargetPath.back(), kPathDelim);
        }
    }
    for (int run = 0; run < 2; ++run) {
        const TCopyRunResult result = RunCopy(locked, List, PlanCopy(locked, List, Pump), Cancel,
                                              Pump, [](const TCopyStatus&) {});
        EXPECT_EQ(result.CopiedCount, 2) << run;
        EXPECT_EQ(result.FailedCount, 3) << run;
    }
    for (const auto& entry : List) {
        EXPECT_EQ(entry->Reason, entry->Kind == TEntryKind::UnlistedFolder ? TFailReason::Unlisted
                                                                           : TFailReason::None)
            << entry->SourcePath;
    }
    EXPECT_FALSE(Tree.Exists("disk/locked"));
    EXPECT_FALSE(Tree.Exists("stick/sealed"));
    // The next comparison tries them again: listable now, they are synced.
    Compare();
    EXPECT_EQ(Found(), Sorted({"s:locked/a.txt", "d:both/x.txt", "d:sealed/b.txt"}));
}

// Names that differ in letter case only: where the target holds one of them, only
// the newest may take that place, and each other twin fails.
TEST_F(ExactNamesTest, CaseTwinsNeverShareATargetSilently) {
    Tree.AddFile("stick/Readme.txt", "newest", kBaseTime + 20);
    Tree.AddCaseTwin("stick/README.txt", "older", kBaseTime + 10);
    Tree.AddFile("disk/readme.txt", "oldest", kBaseTime);
    Compare();
    if (!kFoldsCase) {
        EXPECT_EQ(Found(), Sorted({"s:Readme.txt", "s:README.txt", "d:readme.txt"}));
        return;
    }
    EXPECT_EQ(Found(), Sorted({"s:Readme.txt", "s!README.txt"}));
    const TCopyRunResult result = Copy();
    EXPECT_EQ(result.CopiedCount, 1);
    EXPECT_EQ(result.FailedCount, 1);
    for (const auto& entry : List) {
        EXPECT_EQ(entry->Reason,
                  entry->Kind == TEntryKind::CaseTwin ? TFailReason::CaseTwin : TFailReason::None)
            << entry->SourcePath;
    }
    EXPECT_EQ(Tree.Read("disk/readme.txt"), "newest");
    EXPECT_EQ(Tree.Read("stick/README.txt"), "older");
    // The computer's copy is as new as the newest twin and older than none it could
    // replace: only the twin that has no place stays listed.
    Tree.SetTime("disk/readme.txt", kBaseTime + 30);
    Compare();
    EXPECT_EQ(Found(), Sorted({"s!README.txt", "d!readme.txt"}));
    EXPECT_EQ(Copy().FailedCount, 2);
    EXPECT_EQ(Tree.Read("stick/Readme.txt"), "newest");
    EXPECT_EQ(Tree.Read("stick/README.txt"), "older");
}

// Folders whose names differ in letter case only: the target holds one folder for
// them, so the files of only one may go there; the other folder fails as a whole
// and nothing of it is copied. The other way round, which of the twins a target
// folder's files belong to is anyone's guess: that folder fails as a whole too.
TEST_F(ExactNamesTest, FolderCaseTwinsNeverShareATargetSilently) {
    Tree.AddFile("stick/Sub/a.txt", "newer", kBaseTime + 20);
    Tree.AddCaseTwin("stick/SUB/");
    Tree.AddFile("stick/SUB/a.txt", "older", kBaseTime + 10);
    Tree.AddFile("stick/SUB/b.txt", "twin only", kBaseTime + 10);
    Tree.AddFile("disk/sub/a.txt", "oldest", kBaseTime);
    Tree.AddFile("disk/sub/c.txt", "computer only", kBaseTime);
    // The newer folder is the one that stays.
    Tree.SetTime("stick/Sub", kBaseTime + 40);
    Tree.SetTime("stick/SUB", kBaseTime + 30);
    if (!kFoldsCase) {
        Compare();
        EXPECT_EQ(Found(), Sorted({"s:Sub/a.txt", "s:SUB/a.txt", "s:SUB/b.txt", "d:sub/a.txt",
                                   "d:sub/c.txt"}));
        return;
    }
    Compare();
    EXPECT_EQ(Found(), Sorted({"s:Sub/a.txt", "s!SUB/", "d!sub/"}));
    const TCopyRunResult result = Sync();
    EXPECT_EQ(result.CopiedCount, 1);
    EXPECT_EQ(result.FailedCount, 2);
    EXPECT_EQ(Tree.Read("disk/sub/a.txt"), "newer");
    EXPECT_EQ(Tree.Names("disk/sub"), (std::vector<std::string>{"a.txt", "c.txt"}));
    EXPECT_EQ(Tree.Names("stick/Sub"), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(Tree.Read("stick/SUB/a.txt"), "older");
    // Which twin stays follows the folders' times, not their order.
    Tree.SetTime("stick/SUB", kBaseTime + 50);
    Compare();
    EXPECT_EQ(Found(), Sorted({"s!Sub/", "s:SUB/b.txt", "d!sub/"}));
}

// A folder inside the other tree (the stick folder inside the computer folder,
// or the other way round) takes no copies in its place, so a folder whose name
// differs from it in case only is no twin of it and is synced as any other.
TEST_F(ExactNamesTest, TheFolderOfTheOtherSideIsNoCaseTwin) {
    if (!kFoldsCase)
        GTEST_SKIP() << "names match exactly here";
    const struct {
        const char* stick;
        const char* disk;
        const char* twin;
        const char* inner;
        const char* arrived;
    } cases[] = {
        {"stick", "stick/BACKUP", "stick/Backup/", "stick/BACKUP", "stick/BACKUP/Backup/f.txt"},
        {"disk/USB", "disk", "disk/Usb/", "disk/USB", "disk/USB/Usb/f.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.twin);
        TTempTree tree;
        tree.AddFolder(c.inner);
        tree.AddCaseTwin(c.twin);
        tree.AddFile(std::string(c.twin) + "f.txt", "twin's");
        // Copies into the inner folder keep it the newer one.
        tree.SetTime(c.inner, kBaseTime + 40);
        tree.SetTime(std::string(c.twin).substr(0, std::string(c.twin).size() - 1), kBaseTime + 20);
        CompareFolders(Fs, List, Cancel, Pump, tree.Path(c.stick), tree.Path(c.disk));
        ASSERT_EQ(List.size(), 1u);
        EXPECT_EQ(List[0]->Kind, TEntryKind::File);
        const TCopyRunResult result = Copy();
        EXPECT_EQ(result.CopiedCount, 1);
        EXPECT_EQ(result.FailedCount, 0);
        EXPECT_EQ(tree.Read(c.arrived), "twin's");
        CompareFolders(Fs, List, Cancel, Pump, tree.Path(c.stick), tree.Path(c.disk));
        EXPECT_TRUE(List.empty());
    }
}

// A read that ends early, as when the stick is pulled out in the middle of a file,
// and reported as success must not replace the target. The file system's reports
// of sizes in the kernel's folder are such sources: a page, while the reading
// gives a few bytes.
TEST_F(ExactNamesTest, CopyCutOffByAFailedReadKeepsTheOldTarget) {
    const std::string source = kHasDriveLetters
                                   ? "Z:\\sys\\kernel\\mm\\transparent_hugepage\\enabled"
                                   : "/sys/kernel/mm/transparent_hugepage/enabled";
    TFileSystem& fs = SystemFileSystem();
    std::vector<TFolderEntry> entries;
    if (fs.ListFolder(FolderPart(source), entries) != TReadResult::Ok)
        GTEST_SKIP() << "no such source here: " << source;
    Tree.AddFile("disk/enabled", "old", kBaseTime);
    const std::string target = Tree.Path("disk/enabled");
    List.push_back(
        std::make_unique<TCopyEntry>(TCopyEntry{source, target, false, true, source, target}));
    const TCopyRunResult result = Copy();
    EXPECT_EQ(result.FailedCount, 1);
    EXPECT_FALSE(List[0]->Copied);
    EXPECT_EQ(Tree.Read("disk/enabled"), "old");
    EXPECT_EQ(Tree.Time("disk/enabled"), kBaseTime);
    EXPECT_EQ(Tree.Names("disk"), std::vector<std::string>{"enabled"});
}

// Temporary files of the program's own naming that an interrupted copy left, still
// carrying the mark of a file being made, are removed from a folder that a copy
// writes to; nothing else goes, a user's file of the same naming included.
TEST_F(ExactNamesTest, OwnLeftoverTemporaryFilesGoWhereACopyWrites) {
    const std::vector<std::string> others = {
        "~Korvandel-0BADF00E.tmp", "~Korvandel-0badf00.tmp", "~Korvandel-0badf00d.tmp.bak",
        "~Korvandel-abcdefgh.tmp", "Korvandel-0badf00d.tmp", "~WRL0001.tmp",
        "~Korvandel-0badf0aa.tmp", "~kv0badf00d.tmp"};
    const std::vector<std::string> marked = {"~Korvandel-0badf00d.tmp", "~Korvandel-12345678.tmp",
                                             "~kv0badf00d.tmp"};
    for (const char* folder : {"disk/", "disk/quiet/"}) {
        Tree.AddFile(folder + std::string("~Korvandel-0badf00d.tmp"), "cut off");
        Tree.AddFile(folder + std::string("~Korvandel-12345678.tmp"), "cut off");
        for (const std::string& name : others)
            Tree.AddFile(folder + name, "not ours");
        for (const std::string& name : marked)
            Tree.SetOwnTempMark(folder + name);
    }
    // As a copy of a read-only file leaves it.
    Tree.SetReadOnly("disk/~Korvandel-12345678.tmp", true);
    Tree.SetOwnTempMark("disk/~Korvandel-12345678.tmp");
    Tree.AddFolder("disk/~Korvandel-0badf0ff.tmp"); // a folder, whatever its name
    Tree.AddFile("stick/new.txt");
    Compare();
    const TCopyRunResult result = Copy();
    EXPECT_EQ(result.CopiedCount, 1);
    std::vector<std::string> kept = others;
    kept.push_back("new.txt");
    kept.push_back("quiet");
    kept.push_back("~Korvandel-0badf0ff.tmp");
    EXPECT_EQ(Tree.Names("disk"), Sorted(kept));
    EXPECT_FALSE(Tree.HasOwnTempMark("disk/new.txt")); // the mark goes before the replace
    // Nothing was copied into this folder, so nothing there is touched.
    EXPECT_EQ(Tree.Names("disk/quiet").size(), others.size() + 2);
    // And no other path is ever deleted as a leftover.
    TFileSystem& fs = SystemFileSystem();
    for (const std::string& name : others)
        EXPECT_FALSE(fs.RemoveOwnTemp(Tree.Path("disk/quiet/" + name))) << name;
    EXPECT_FALSE(fs.RemoveOwnTemp(Tree.Path("disk/~Korvandel-0badf0ff.tmp")));
    EXPECT_TRUE(Tree.Exists("disk/~Korvandel-0badf0ff.tmp"));
}

} // namespace
