#include "ForwardingFileSystem.h"
#include "TestTree.h"
#include "sync/Compare.h"
#include "sync/CopyRun.h"
#include "sync/Paths.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>
#include <functional>
#include <string>
#include <vector>

namespace {

// Records every directory that the run makes.
struct TRecordingFileSystem : TForwardingFileSystem {
    TFailReason MakeDirectory(const std::string& path) override {
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
        Statuses.clear();
        return RunCopy(fs, List, PlanCopy(fs, List, Pump), Cancel, Pump,
                       [this](const TCopyStatus& status) {
                           if (Positions.empty() || Positions.back() != status.Index)
                               Positions.push_back(status.Index);
                           Statuses.push_back(status);
                           if (OnStatus)
                               OnStatus(status);
                       });
    }

    std::vector<TFailReason> Reasons() const {
        std::vector<TFailReason> reasons;
        for (const auto& entry : List)
            reasons.push_back(entry->Reason);
        return reasons;
    }

    std::vector<bool> CopiedFlags() const {
        std::vector<bool> flags;
        for (const auto& entry : List)
            flags.push_back(entry->Copied);
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
        if (++Pumps == CancelAtPump)
            Cancel = true;
    };
    std::vector<int> Positions; // the entries that status was told of, in order
    std::vector<TCopyStatus> Statuses;
    std::function<void(const TCopyStatus&)> OnStatus;
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

// The system's reason for a folder that cannot be made goes to every entry bound
// for it, and the folder is tried once per run.
TEST_F(CopyRunTest, AFolderThatCannotBeMadeGivesItsEntriesTheSystemsReason) {
    TRecordingFileSystem recording;
    Tree.AddFile("stick/sub/f", "f");
    Tree.AddFile("stick/sub/g", "g");
    Tree.AddFile("stick/h", "h");
    Tree.AddFolder("disk/locked");
    if (!Tree.Lock("disk/locked"))
        GTEST_SKIP() << "no folder can be locked here (chattr +i)";
    Plan("sub/f", "locked/sub/f");
    Plan("sub/g", "locked/sub/g");
    Plan("h");
    const TCopyRunResult result = Run(recording);
    EXPECT_EQ(result.FailedCount, 2);
    using enum TFailReason;
    EXPECT_EQ(Reasons(), (std::vector<TFailReason>{AccessDenied, AccessDenied, None}));
    EXPECT_EQ(recording.Made, std::vector<std::string>{Tree.Path("disk/locked/sub")});
    EXPECT_EQ(Tree.Names("disk/locked"), std::vector<std::string>{});
    EXPECT_EQ(Tree.Read("disk/h"), "h");
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
    for (const char* name : {"ok1", "readonly", "folder", "blocked/f", "ok2"})
        Tree.AddFile(std::string("stick/") + name, "new");
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
    using enum TFailReason;
    EXPECT_EQ(Reasons(), (std::vector<TFailReason>{None, AccessDenied, AccessDenied, SourceGone,
                                                   Other, Other, None}));
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
    OnStatus = [&](const TCopyStatus& status) {
        const int i = status.Index;
        EXPECT_FALSE(Tree.Exists(Numbered("disk/f", i))) << i;
        if (i > 0) {
            // The file before is copied already.
            EXPECT_TRUE(Tree.Exists(Numbered("disk/f", i - 1))) << i;
        }
    };
    Run();
    EXPECT_EQ(Positions, (std::vector<int>{0, 1, 2, 3, 4}));
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
    EXPECT_EQ(result.AttemptedCount, 3);
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
    // Held open on Windows; on POSIX past the file size limit.
    EXPECT_EQ(List[0]->Reason, kHasDriveLetters ? TFailReason::InUse : TFailReason::TooBigForFat);
    EXPECT_EQ(Tree.Read("disk/big.bin"), "old");
    EXPECT_EQ(Tree.Time("disk/big.bin"), kBaseTime);
    EXPECT_EQ(Leftovers("disk"), std::vector<std::string>{});
    // Without the fault the same entry goes through.
    EXPECT_EQ(Run().CopiedCount, 1);
    EXPECT_EQ(Tree.Read("disk/big.bin"), big);
}

TEST_F(CopyRunTest, CancelInTheMiddleOfAFileStopsThereAndLeavesItsTargetAsItWas) {
    const std::string big(8 << 20, 'b');
    Tree.AddFile("stick/a", "a");
    Tree.AddFile("stick/big.bin", big, kBaseTime + 600);
    Tree.AddFile("disk/big.bin", "old", kBaseTime);
    Tree.AddFile("stick/c", "c");
    Plan("a");
    Plan("big.bin");
    Plan("c");
    // Time passes before the big file, so its first chunk is followed by a pump:
    // the third, after those before "a" and before the big file.
    OnStatus = [](const TCopyStatus& status) {
        if (status.Index == 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
    };
    CancelAtPump = 3;
    const TCopyRunResult result = Run();
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(result.CopiedCount, 1);
    EXPECT_EQ(result.FailedCount, 0);
    EXPECT_EQ(result.AttemptedCount, 1);
    EXPECT_EQ(Pumps, 3);
    EXPECT_EQ(CopiedFlags(), (std::vector<bool>{true, true, true}))
        << "untried entries keep theirs";
    EXPECT_EQ(Reasons(), std::vector<TFailReason>(3, TFailReason::None));
    EXPECT_EQ(Tree.Read("disk/big.bin"), "old");
    EXPECT_EQ(Tree.Time("disk/big.bin"), kBaseTime);
    EXPECT_FALSE(Tree.Exists("disk/c"));
    EXPECT_EQ(Leftovers("disk"), std::vector<std::string>{});
    // The bytes: the status told at the pump lies inside the big file.
    ASSERT_FALSE(Statuses.empty());
    EXPECT_EQ(Statuses.back().TotalBytes, big.size() + 2);
    EXPECT_EQ(Statuses.back().Index, 1);
    EXPECT_GT(Statuses.back().DoneBytes, 1u);
    EXPECT_LT(Statuses.back().DoneBytes, big.size() + 1);
}

// Sizes, volumes and copies as a test sets them; everything else as the system has it.
struct TFakeVolumes : TForwardingFileSystem {
    TPathState StateOf(const std::string& path) override {
        TPathState state = TForwardingFileSystem::StateOf(path);
        if (const auto found = Sizes.find(path); found != Sizes.end())
            state.Size = found->second;
        return state;
    }
    bool VolumeOf(const std::string& folder, TVolume& volume) override {
        volume = folder.starts_with(StickRoot) ? Stick : Disk;
        return true;
    }
    bool IsDirectory(const std::string& path) override {
        return !(GoneRoot == path) && TForwardingFileSystem::IsDirectory(path);
    }
    TFailReason CopyFileSafely(const std::string& source, const std::string& target,
                               const TPathState& targetNow, const TCopyProgress& progress,
                               TCopiedStates& copied) override {
        Copied.push_back(source);
        if (OnCopy)
            return OnCopy(source);
        return TForwardingFileSystem::CopyFileSafely(source, target, targetNow, progress, copied);
    }
    std::map<std::string, std::uint64_t> Sizes;
    std::string StickRoot;
    TVolume Stick{1, std::uint64_t{1} << 40, false};
    TVolume Disk{2, std::uint64_t{1} << 40, false};
    std::string GoneRoot;
    std::vector<std::string> Copied;
    std::function<TFailReason(const std::string& source)> OnCopy;
};

constexpr std::uint64_t kMB = 1000 * 1000;

TEST_F(CopyRunTest, SpaceIsWeighedPerTargetVolumeWithRoomForTheLargestFile) {
    struct TCase {
        const char* Name;
        std::uint64_t DiskFree, StickFree;
        std::vector<TSpaceShortage> Expected;
    };
    // To the computer 100 + 200 + 4 MB, the largest 200; to the stick 50 MB.
    const TCase cases[] = {
        {"both fit", 504 * kMB, 100 * kMB, {}},
        {"the computer lacks room for the temporary copy",
         503 * kMB,
         100 * kMB,
         {{false, 504 * kMB, 503 * kMB}}},
        {"the stick is full", 504 * kMB, 99 * kMB, {{true, 100 * kMB, 99 * kMB}}},
        {"both are short", 198 * kMB, 0, {{false, 504 * kMB, 198 * kMB}, {true, 100 * kMB, 0}}},
    };
    TFakeVolumes fs;
    fs.StickRoot = Tree.Path("stick");
    Tree.AddFolder("disk");
    for (const auto& [name, size] :
         {std::pair{"a", 100 * kMB}, {"sub/b", 200 * kMB}, {"c", 4 * kMB}}) {
        Tree.AddFile(std::string("stick/") + name);
        Plan(name);
        fs.Sizes[List.back()->SourceFile] = size;
    }
    Tree.AddFile("disk/back");
    const std::string back = Tree.Path("disk/back");
    List.push_back(std::make_unique<TCopyEntry>(TCopyEntry{
        back, Tree.Path("stick/new/back"), true, true, back, Tree.Path("stick/new/back")}));
    fs.Sizes[back] = 50 * kMB;
    for (const TCase& c : cases) {
        fs.Disk.FreeBytes = c.DiskFree;
        fs.Stick.FreeBytes = c.StickFree;
        const TCopyPlan plan = PlanCopy(fs, List, Pump);
        EXPECT_EQ(plan.Sizes,
                  (std::vector<std::uint64_t>{100 * kMB, 200 * kMB, 4 * kMB, 50 * kMB}));
        EXPECT_EQ(plan.TotalBytes, 354 * kMB);
        ASSERT_EQ(plan.Shortages.size(), c.Expected.size()) << c.Name;
        for (std::size_t i = 0; i < c.Expected.size(); ++i) {
            EXPECT_EQ(plan.Shortages[i].ToStick, c.Expected[i].ToStick) << c.Name;
            EXPECT_EQ(plan.Shortages[i].Needed, c.Expected[i].Needed) << c.Name;
            EXPECT_EQ(plan.Shortages[i].Free, c.Expected[i].Free) << c.Name;
        }
    }
}

TEST_F(CopyRunTest, FilesOf4GiBOrMoreBoundForFatFailUpFrontAndTheOthersAreCopied) {
    constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;
    TFakeVolumes fs;
    fs.StickRoot = Tree.Path("stick");
    Tree.AddFolder("disk");
    for (const char* name : {"huge", "just-below", "small"}) {
        Tree.AddFile(std::string("stick/") + name, name);
        Plan(name);
    }
    fs.Sizes[List[0]->SourceFile] = k4GiB;
    fs.Sizes[List[1]->SourceFile] = k4GiB - 1;
    fs.OnCopy = [](const std::string&) { return TFailReason::None; };
    for (const bool fat : {false, true}) {
        fs.Disk.Fat = fat;
        fs.Copied.clear();
        const TCopyPlan plan = PlanCopy(fs, List, Pump);
        EXPECT_EQ(plan.TooBigForTarget, (std::vector<bool>{fat, false, false}));
        EXPECT_EQ(plan.TotalBytes, (fat ? 0 : k4GiB) + k4GiB - 1 + 5);
        EXPECT_TRUE(plan.Shortages.empty());
        const TCopyRunResult result = Run(fs);
        EXPECT_EQ(result.FailedCount, fat ? 1 : 0);
        EXPECT_EQ(result.CopiedCount, fat ? 2 : 3);
        EXPECT_EQ(Reasons()[0], fat ? TFailReason::TooBigForFat : TFailReason::None);
        EXPECT_EQ(fs.Copied.size(), fat ? 2u : 3u) << "nothing of the huge file is written";
    }
}

TEST_F(CopyRunTest, ADriveThatGoesAwayFailsTheRestOfItsEntriesAtOnce) {
    TFakeVolumes fs;
    Tree.AddFolder("disk");
    for (int i = 0; i < 5; ++i) {
        Tree.AddFile(Numbered("stick/f", i));
        Plan(Numbered("f", i));
    }
    fs.OnCopy = [&](const std::string&) {
        if (fs.Copied.size() < 2)
            return TFailReason::None;
        fs.GoneRoot = RootPart(List[0]->TargetFile);
        return TFailReason::DriveGone;
    };
    const TCopyRunResult result = Run(fs);
    EXPECT_EQ(result.CopiedCount, 1);
    EXPECT_EQ(result.FailedCount, 4);
    using enum TFailReason;
    EXPECT_EQ(Reasons(),
              (std::vector<TFailReason>{None, DriveGone, DriveGone, DriveGone, DriveGone}));
    EXPECT_EQ(fs.Copied.size(), 2u) << "the rest is not tried one by one";
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
