#include "ForwardingFileSystem.h"
#include "TestTree.h"
#include "sync/Compare.h"
#include "sync/CopyRun.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Records every directory that the run makes.
struct TRecordingFileSystem : TForwardingFileSystem {
    bool MakeDirectory(const std::string& path) override {
        Made.push_back(path);
        return TForwardingFileSystem::MakeDirectory(path);
    }
    std::vector<std::string> Made;
};

class CopyRunTest : public ::testing::Test {
  protected:
    // An entry from stick/rel to disk/rel; tree paths are exact and plain here.
    void Plan(const std::string& rel, const std::string& targetRel = "") {
        const std::string source = Tree.Path("stick/" + rel);
        const std::string target = Tree.Path("disk/" + (targetRel.empty() ? rel : targetRel));
        List.push_back(
            std::make_unique<TCopyEntry>(TCopyEntry{source, target, false, true, source, target}));
    }

    TCopyRunResult Run(TFileSystem& fs = SystemFileSystem()) {
        Positions.clear();
        return RunCopy(fs, List, Cancel, Pump, [this](int i) { Positions.push_back(i); });
    }

    std::vector<bool> CopiedFlags() const {
        std::vector<bool> flags;
        for (const auto& entry : List) {
            flags.push_back(entry->Copied);
        }
        return flags;
    }

    // Temporary files that a copy left in a folder.
    std::vector<std::string> Leftovers(const std::string& folder) const {
        std::vector<std::string> names = Tree.Names(folder);
        std::erase_if(names, [](const std::string& name) { return !name.starts_with("~"); });
        return names;
    }

    TTempTree Tree;
    TCopyList List;
    bool Cancel = false;
    int Pumps = 0;
    int CancelAtPump = 0;
    TPump Pump = [this] {
        if (++Pumps == CancelAtPump) {
            Cancel = true;
        }
    };
    std::vector<int> Positions;
};

TEST_F(CopyRunTest, EmptyListAttemptsNothing) {
    const TCopyRunResult result = Run();
    EXPECT_EQ(result.CopiedCount, 0);
    EXPECT_EQ(result.FailedCount, 0);
    EXPECT_FALSE(result.Cancelled);
    EXPECT_EQ(Pumps, 0);
    EXPECT_TRUE(Positions.empty());
}

TEST_F(CopyRunTest, MissingFoldersAreCreatedOutermostFirst) {
    TRecordingFileSystem recording;
    Tree.AddFile("stick/a/b/c/f1", "one");
    Tree.AddFile("stick/a/b/f2", "two");
    Tree.AddFile("stick/x/f3", "three");
    Tree.AddFolder("disk");
    Plan("a/b/c/f1");
    Plan("a/b/f2");
    Plan("x/f3");
    const TCopyRunResult result = Run(recording);
    EXPECT_EQ(result.CopiedCount, 3);
    EXPECT_EQ(result.FailedCount, 0);
    EXPECT_EQ(recording.Made,
              (std::vector<std::string>{Tree.Path("disk/a"), Tree.Path("disk/a/b"),
                                        Tree.Path("disk/a/b/c"), Tree.Path("disk/x")}));
    EXPECT_EQ(Tree.Read("disk/a/b/c/f1"), "one");
    EXPECT_EQ(Tree.Read("disk/a/b/f2"), "two");
    EXPECT_EQ(Tree.Read("disk/x/f3"), "three");
}

TEST_F(CopyRunTest, FolderCreationStopsAtTheFirstFolderThatCannotBeMade) {
    TRecordingFileSystem recording;
    Tree.AddFile("stick/a/b/f", "new");
    Tree.AddFile("disk/a", "a file where a folder is needed");
    Plan("a/b/f");
    const TCopyRunResult result = Run(recording);
    EXPECT_EQ(result.FailedCount, 1);
    EXPECT_EQ(recording.Made, std::vector<std::string>{Tree.Path("disk/a")});
    EXPECT_EQ(Tree.Read("disk/a"), "a file where a folder is needed");
}

TEST_F(CopyRunTest, OlderTargetIsReplacedWithContentsTimeAndReadOnlyOfTheSource) {
    Tree.AddFile("stick/doc.txt", "new contents", kBaseTime + 600);
    Tree.SetReadOnly("stick/doc.txt", true);
    Tree.AddFile("disk/doc.txt", "old", kBaseTime);
    Plan("doc.txt");
    const TCopyRunResult result = Run();
    EXPECT_EQ(result.CopiedCount, 1);
    EXPECT_EQ(Tree.Read("disk/doc.txt"), "new contents");
    EXPECT_EQ(Tree.Time("disk/doc.txt"), kBaseTime + 600);
    EXPECT_TRUE(Tree.IsReadOnly("disk/doc.txt"));
    EXPECT_EQ(Leftovers("disk"), std::vector<std::string>{});
    // The pair is equal now: a new comparison lists nothing.
    CompareFolders(SystemFileSystem(), List, Cancel, Pump, Tree.Path("stick"), Tree.Path("disk"));
    EXPECT_TRUE(List.empty());
}

TEST_F(CopyRunTest, EveryFailureIsCountedAndTheRunGoesOn) {
    for (const char* name : {"ok1", "readonly", "folder", "blocked/f", "ok2"}) {
        Tree.AddFile(std::string("stick/") + name, "new");
    }
    Tree.AddFile("disk/readonly", "old");
    Tree.SetReadOnly("disk/readonly", true);
    Tree.AddFile("disk/folder/inside", "old");
    Tree.AddFile("disk/blocked", "a file where a folder is needed");
    Plan("ok1");
    Plan("readonly");
    Plan("folder");
    Plan("gone"); // the source has vanished since the comparison
    Plan("blocked/f");
    Plan("ok1", std::string(300, 'n') + "/ok1");
    Plan("ok2");
    const TCopyRunResult result = Run();
    EXPECT_EQ(CopiedFlags(), (std::vector<bool>{true, false, false, false, false, false, true}));
    EXPECT_EQ(result.CopiedCount, 2);
    EXPECT_EQ(result.FailedCount, 5);
    EXPECT_FALSE(result.Cancelled);
    EXPECT_EQ(Tree.Read("disk/readonly"), "old");
    EXPECT_EQ(Tree.Read("disk/folder/inside"), "old");
    EXPECT_EQ(Tree.Read("disk/blocked"), "a file where a folder is needed");
    EXPECT_FALSE(Tree.Exists("disk/gone"));
    EXPECT_EQ(Leftovers("disk"), std::vector<std::string>{});
}

TEST_F(CopyRunTest, ReadOnlyTargetFolderGivesOneCountedResultAndNoLeftovers) {
    Tree.AddFile("stick/f", "new");
    Tree.AddFile("disk/ro/f", "old");
    Tree.SetReadOnly("disk/ro", true);
    Plan("f", "ro/f");
    const TCopyRunResult result = Run();
    Tree.SetReadOnly("disk/ro", false);
    // Whether the folder stops the copy depends on the system and the user.
    EXPECT_EQ(result.CopiedCount + result.FailedCount, 1);
    EXPECT_EQ(Tree.Read("disk/ro/f"), List[0]->Copied ? "new" : "old");
    EXPECT_EQ(Tree.Names("disk/ro"), std::vector<std::string>{"f"});
}

TEST_F(CopyRunTest, PositionIsSetBeforeEachCopy) {
    for (int i = 0; i < 5; ++i) {
        Tree.AddFile(Numbered("stick/f", i));
        Plan(Numbered("f", i));
    }
    Tree.AddFolder("disk");
    std::vector<int> positions;
    RunCopy(SystemFileSystem(), List, Cancel, Pump, [&](int i) {
        positions.push_back(i);
        EXPECT_FALSE(Tree.Exists(Numbered("disk/f", i))) << i;
        if (i > 0) {
            EXPECT_TRUE(Tree.Exists(Numbered("disk/f", i - 1))) << i;
        }
    });
    EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(CopyRunTest, CancelTakesEffectBeforeTheNextFile) {
    for (int i = 0; i < 5; ++i) {
        Tree.AddFile(Numbered("stick/f", i));
        Plan(Numbered("f", i));
    }
    Tree.AddFolder("disk");
    List[3]->Copied = false; // as a failed earlier run left it
    CancelAtPump = 4;        // pressed while the third file was copied
    const TCopyRunResult result = Run();
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(result.CopiedCount, 3);
    EXPECT_EQ(result.FailedCount, 0);
    EXPECT_EQ(Positions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(CopiedFlags(), (std::vector<bool>{true, true, true, false, true}));
    EXPECT_EQ(Tree.Names("disk"), (std::vector<std::string>{"f0", "f1", "f2"}));
}

TEST_F(CopyRunTest, SecondRunAttemptsEveryEntryAgain) {
    Tree.AddFile("stick/a", "a1");
    Tree.AddFile("stick/b", "b1");
    Tree.AddFile("disk/b", "old");
    Tree.SetReadOnly("disk/b", true);
    Plan("a");
    Plan("b");
    EXPECT_EQ(Run().FailedCount, 1);
    EXPECT_EQ(CopiedFlags(), (std::vector<bool>{true, false}));

    Tree.SetReadOnly("disk/b", false);
    Tree.AddFile("stick/a", "a2"); // shows whether the succeeded entry is copied again
    const TCopyRunResult second = Run();
    EXPECT_EQ(second.CopiedCount, 2);
    EXPECT_EQ(second.FailedCount, 0);
    EXPECT_EQ(CopiedFlags(), (std::vector<bool>{true, true}));
    EXPECT_EQ(Tree.Read("disk/a"), "a2");
    EXPECT_EQ(Tree.Read("disk/b"), "b1");
}

TEST_F(CopyRunTest, CopyCutOffMidwayLeavesTheOldTargetAndNoTemporaryFile) {
    const std::string big(1 << 20, 'n');
    Tree.AddFile("stick/big.bin", big, kBaseTime + 600);
    Tree.AddFile("disk/big.bin", "old", kBaseTime);
    Plan("big.bin");
    TCopyRunResult result;
    {
        const TMidCopyFault fault(Tree.Path("disk/big.bin"));
        result = Run();
    }
    EXPECT_EQ(result.FailedCount, 1);
    EXPECT_FALSE(List[0]->Copied);
    EXPECT_EQ(Tree.Read("disk/big.bin"), "old");
    EXPECT_EQ(Tree.Time("disk/big.bin"), kBaseTime);
    EXPECT_EQ(Leftovers("disk"), std::vector<std::string>{});
    // Without the fault the same entry goes through.
    EXPECT_EQ(Run().CopiedCount, 1);
    EXPECT_EQ(Tree.Read("disk/big.bin"), big);
}

#ifndef _WIN32
// Opening a pipe for reading waits for a writer that never comes.
TEST_F(CopyRunTest, PipeInTheSourceTreeIsOneFailedCopyNotAHang) {
    Tree.AddFile("stick/after", "after");
    Tree.AddFolder("disk");
    ASSERT_EQ(mkfifo(Tree.Path("stick/pipe").c_str(), 0644), 0);
    CompareFolders(SystemFileSystem(), List, Cancel, Pump, Tree.Path("stick"), Tree.Path("disk"));
    ASSERT_EQ(List.size(), 2u);
    alarm(20); // a hang ends the test program instead of the whole run
    const TCopyRunResult result = Run();
    alarm(0);
    EXPECT_EQ(result.CopiedCount, 1);
    EXPECT_EQ(result.FailedCount, 1);
    EXPECT_EQ(Tree.Names("disk"), std::vector<std::string>{"after"});
}
#endif

} // namespace
