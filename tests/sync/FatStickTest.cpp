// A real FAT32 stick under Wine (tests/sync/fat_stick.sh makes it and names it in
// the environment): names outside ASCII both ways, the space check up front, and
// FAT's 2-second times, after which the next comparison lists nothing.
#include "ForwardingFileSystem.h"
#include "TestTree.h"
#include "sync/Compare.h"
#include "sync/CopyRun.h"
#include "sync/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

// The system's file system, but fusefat answers the question for free space with
// no blocks at all: there the free bytes are those that the image itself counts.
struct TFatStick : TForwardingFileSystem {
    bool VolumeOf(const std::string& folder, TVolume& volume) override {
        if (!TForwardingFileSystem::VolumeOf(folder, volume))
            return false;
        SystemFree = volume.FreeBytes;
        if (folder.starts_with(Root) && volume.FreeBytes == 0)
            volume.FreeBytes = ImageFree;
        return true;
    }
    std::string Root;
    std::uint64_t ImageFree = 0;
    std::uint64_t SystemFree = 0;
};

class FatStickTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* drive = std::getenv("KORVANDEL_FAT_DRIVE");
        const char* free = std::getenv("KORVANDEL_FAT_FREE");
        const char* unicode = std::getenv("KORVANDEL_FAT_UNICODE_NAMES");
        ASSERT_TRUE(drive && free && unicode) << "run through tests/sync/fat_stick.sh";
        Fs.Root = std::string(drive) + "\\";
        Fs.ImageFree = std::stoull(free);
        UnicodeNames = std::string(unicode) == "1";
        Stick = Fs.Root + "Sync";
        Tree.AddFolder("disk");
        Disk = Tree.Path("disk");
    }

    std::set<std::string> Names(const std::string& folder) {
        std::vector<TFolderEntry> entries;
        EXPECT_EQ(Fs.ListFolder(folder + "\\", entries), TReadResult::Ok) << folder;
        std::set<std::string> names;
        for (const TFolderEntry& entry : entries)
            if (entry.Name != "." && entry.Name != "..")
                names.insert(entry.Name);
        return names;
    }

    std::string Contents(const std::string& path) {
        std::string contents;
        EXPECT_EQ(Fs.ReadWholeFile(path, 1 << 20, contents), TReadResult::Ok) << path;
        return contents;
    }

    TFatStick Fs;
    TTempTree Tree;
    std::string Stick;
    std::string Disk;
    bool UnicodeNames = false;
    bool Cancel = false;
    TPump Pump = [] {};
};

// UTF-8 in the source: the exact names.
const std::string kUmlauts = "Gr\xc3\xbc\xc3\x9f"
                             "e.txt";
const std::string kCyrillic = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82.txt";
const std::string kToStickUmlauts = "\xc3\x9c"
                                    "berblick.txt";
const std::string kToStickCyrillic = "\xd0\x9e\xd1\x82\xd1\x87\xd1\x91\xd1\x82.txt";

// Every file from the stick arrives under its own name, and the next comparison
// takes it and its copy, whose times FAT held to two seconds, as in step. Every file
// bound for the stick arrives as it is or fails with a reason, leaving nothing half
// made there; fusefat 0.1 makes no names outside ASCII, keeps no time set through an
// open file and takes no attributes, so there each of them fails.
TEST_F(FatStickTest, NamesFromTheStickArriveAndNothingHalfMadeStaysOnIt) {
    // Odd seconds, which the stick cannot hold.
    for (const std::string& name : {std::string("notes.txt"), kToStickUmlauts, kToStickCyrillic})
        Tree.AddFile("disk/" + name, "disk: " + name, kBaseTime + 1);
    const std::set<std::string> stickOwn = {kUmlauts, kCyrillic, "Liste.txt"};
    TCopyList list;
    CompareFolders(Fs, list, Cancel, Pump, Stick, Disk);
    ASSERT_EQ(list.size(), 6u);
    const TCopyPlan plan = PlanCopy(Fs, list, Pump);
    EXPECT_TRUE(plan.Shortages.empty());
    const TCopyRunResult result = RunCopy(Fs, list, plan, Cancel, Pump, [](const TCopyStatus&) {});
    EXPECT_FALSE(result.Cancelled);

    for (const std::string& name : stickOwn)
        EXPECT_EQ(Tree.Read("disk/" + name), "stick: " + name) << name;
    std::set<std::string> onStick = stickOwn;
    std::set<std::string> failed;
    for (const auto& entry : list) {
        const std::string name(NamePart(entry->SourceFile));
        EXPECT_EQ(entry->Copied, entry->Reason == TFailReason::None) << name;
        EXPECT_TRUE(entry->ToStickFlag || entry->Copied) << name;
        if (entry->ToStickFlag && entry->Copied) {
            onStick.insert(name);
            EXPECT_EQ(Contents(entry->TargetFile), "disk: " + name);
        }
        if (!entry->Copied)
            failed.insert(name);
    }
    EXPECT_EQ(Names(Stick), onStick) << "no temporary file stays";

    TCopyList again;
    CompareFolders(Fs, again, Cancel, Pump, Stick, Disk);
    std::set<std::string> listed;
    for (const auto& entry : again)
        listed.insert(std::string(NamePart(entry->SourceFile)));
    for (const std::string& name : stickOwn)
        EXPECT_FALSE(listed.contains(name)) << name;
    if (UnicodeNames) {
        // A stick that keeps names and times lists only what failed.
        EXPECT_EQ(listed, failed);
    }
}

TEST_F(FatStickTest, AFileTooBigForTheFreeSpaceIsRefusedUpFront) {
    const std::set<std::string> before = Names(Stick);
    const std::uint64_t size = Fs.ImageFree + (1 << 20);
    Tree.AddFile("disk/small.txt", "small");
    Tree.AddFile("disk/big.bin", std::string(size, 'b'));
    TCopyList list;
    CompareFolders(Fs, list, Cancel, Pump, Stick, Disk);
    const TCopyPlan plan = PlanCopy(Fs, list, Pump);
    EXPECT_LE(Fs.SystemFree, Fs.ImageFree);
    ASSERT_EQ(plan.Shortages.size(), 1u);
    EXPECT_TRUE(plan.Shortages[0].ToStick);
    EXPECT_EQ(plan.Shortages[0].Needed, 2 * size + 5) << "the bytes and the largest file's room";
    EXPECT_EQ(plan.Shortages[0].Free, Fs.SystemFree == 0 ? Fs.ImageFree : Fs.SystemFree);
    EXPECT_EQ(Names(Stick), before);
}

} // namespace
