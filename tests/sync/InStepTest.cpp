// The record of the state in step, and what the comparison and the copy run make
// of it: who changed decides, both changed keeps the replaced version beside, and
// a target that changed after the comparison is not replaced.
#include "RecordedRun.h"
#include "sync/Compare.h"
#include "sync/CopyRun.h"
#include "sync/CopyStep.h"
#include "sync/InStep.h"
#include "sync/Paths.h"
#include "sync/SyncRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

TDosTime Dos(int year, int month, int day, int hour, int minute, int second) {
    return PackDosTime(year, month, day, hour, minute, second);
}

TSyncRecord SampleRecord() {
    TSyncRecord record;
    const TDosTime noon = Dos(2024, 6, 1, 12, 0, 0);
    record.Set("a.txt", {{noon, 5}, {noon, 5}});
    record.Set("sub" + std::string(1, kPathDelim) + "a.txt", {{noon, 1u << 31}, {noon, 1u << 31}});
    record.Set("sub" + std::string(1, kPathDelim) + "ab.txt",
               {{Dos(2035, 1, 1, 0, 0, 0), 7}, {Dos(2034, 12, 31, 23, 0, 0), 8}});
    record.Set("\xC3\xBC"
               "ber.txt",
               {{Dos(1980, 1, 1, 0, 0, 0), 0}, {noon, 0}});
    return record;
}

void ExpectSameRecord(const TSyncRecord& a, const TSyncRecord& b) {
    ASSERT_EQ(a.Count(), b.Count());
    a.ForEachBelow("", [&](const std::string& path, const TInStep& pair) {
        const TInStep* other = b.Find(path);
        ASSERT_NE(other, nullptr) << path;
        EXPECT_EQ(pair.Stick.Size, other->Stick.Size) << path;
        EXPECT_EQ(pair.Disk.Size, other->Disk.Size) << path;
        EXPECT_EQ(WallSeconds(pair.Stick.Time), WallSeconds(other->Stick.Time)) << path;
        EXPECT_EQ(WallSeconds(pair.Disk.Time), WallSeconds(other->Disk.Time)) << path;
    });
}

TEST(SyncRecordTest, EncodesAndDecodesEveryPairAndRefusesAnyDamage) {
    const TSyncRecord record = SampleRecord();
    const std::string bytes = record.Encode();
    TSyncRecord decoded;
    ASSERT_TRUE(decoded.Decode(bytes));
    ExpectSameRecord(record, decoded);

    // Every cut and every changed byte is found; nothing of it is kept.
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        EXPECT_FALSE(decoded.Decode(bytes.substr(0, cut))) << cut;
        EXPECT_EQ(decoded.Count(), 0u);
    }
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string damaged = bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x21);
        EXPECT_FALSE(decoded.Decode(damaged)) << at;
        EXPECT_EQ(decoded.Count(), 0u);
    }
    EXPECT_FALSE(decoded.Decode(bytes + '\0'));
}

TEST(SyncRecordTest, TwoHundredThousandFilesTakeAFewMegabytes) {
    TSyncRecord record;
    const TDosTime time = Dos(2024, 6, 1, 12, 0, 0);
    for (int k = 0; k < 200000; ++k) {
        const std::string folder = "Projekte " + std::to_string(k / 100) + kPathDelim;
        record.Set(folder +
                       "Bericht \xC3\xBC"
                       "ber den Stand " +
                       std::to_string(k) + ".docx",
                   {{time, 40000u + k}, {time, 40000u + k}});
    }
    const std::string bytes = record.Encode();
    EXPECT_LT(bytes.size(), 4u << 20);
    TSyncRecord decoded;
    ASSERT_TRUE(decoded.Decode(bytes));
    EXPECT_EQ(decoded.Count(), record.Count());
}

TEST(SyncRecordTest, TimesAreTheSameMomentWithinTheFileSystemsAllowances) {
    const TDosTime base = Dos(2024, 6, 1, 12, 0, 0);
    const struct {
        int Seconds;
        bool Same;
    } cases[] = {{0, true},     {2, true},     {-2, true},    {4, false},   {-4, false},
                 {3596, false}, {3598, true},  {3600, true},  {3602, true}, {-3600, true},
                 {3604, false}, {7200, false}, {86400, false}};
    for (const auto& c : cases) {
        const std::int64_t at = 12 * 3600 + c.Seconds;
        const TDosTime other =
            Dos(2024, 6, 1 + static_cast<int>(at / 86400), static_cast<int>(at % 86400 / 3600),
                static_cast<int>(at % 3600 / 60), static_cast<int>(at % 60));
        EXPECT_EQ(SameMoment(base, other), c.Same) << c.Seconds;
        EXPECT_EQ(IsUnchanged({other, 10}, {base, 10}), c.Same) << c.Seconds;
    }
    EXPECT_FALSE(IsUnchanged({base, 11}, {base, 10}));
}

TEST(SyncRecordTest, OneFilePerComputerAndPairOfFoldersThatTheComparisonSkips) {
    const std::string settings = std::string("x") + kPathDelim + "Settings.prp";
    const std::string one = SyncRecordFileFor(settings, "PC1", "s1", "d1");
    EXPECT_EQ(FolderPart(one), FolderPart(settings));
    EXPECT_TRUE(NamePart(one).starts_with("~"));
    EXPECT_EQ(SyncRecordFileFor(settings, "PC1", "s1", "d1"), one);
    for (const std::string& other : {SyncRecordFileFor(settings, "PC2", "s1", "d1"),
                                     SyncRecordFileFor(settings, "PC1", "s2", "d1"),
                                     SyncRecordFileFor(settings, "PC1", "s1", "d2"),
                                     SyncRecordFileFor(settings, "PC1", "d1", "s1"),
                                     SyncRecordFileFor(settings, "PC1s", "1", "d1")})
        EXPECT_NE(other, one);
}

struct TWriteCountingFileSystem : TForwardingFileSystem {
    bool ReplaceFileContents(const std::string& path, std::string_view contents) override {
        ++Writes;
        return TForwardingFileSystem::ReplaceFileContents(path, contents);
    }
    int Writes = 0;
};

TEST(SyncRecordTest, FileLoadsWhatWasSavedAndWritesOnlyChanges) {
    TTempTree tree;
    TWriteCountingFileSystem fs;
    TSyncRecordFile file(tree.Path("~record.dat"));
    TSyncRecord record;
    EXPECT_EQ(file.Load(fs, record), TRecordLoad::Missing);
    record = SampleRecord();
    ASSERT_TRUE(file.Save(fs, record));
    EXPECT_TRUE(file.Save(fs, record));
    EXPECT_EQ(fs.Writes, 1);

    TSyncRecordFile again(file.Path());
    TSyncRecord loaded;
    ASSERT_EQ(again.Load(fs, loaded), TRecordLoad::Ok);
    ExpectSameRecord(record, loaded);
    EXPECT_TRUE(again.Save(fs, loaded));
    EXPECT_EQ(fs.Writes, 1);

    std::string bytes = tree.Read("~record.dat");
    bytes[bytes.size() / 2] ^= 1;
    tree.AddFile("~record.dat", bytes);
    EXPECT_EQ(again.Load(fs, loaded), TRecordLoad::Damaged);
    EXPECT_EQ(loaded.Count(), 0u);
    // A damaged file is replaced by the next save, even by an empty record.
    EXPECT_TRUE(again.Save(fs, loaded));
    EXPECT_EQ(fs.Writes, 2);
    EXPECT_EQ(again.Load(fs, loaded), TRecordLoad::Ok);
}

// The file is written after every change of the record, whichever way it came,
// and after nothing else: a pass that finds everything as recorded writes nothing.
TEST(SyncRecordTest, EveryChangeIsSavedAndAPassWithoutOneWritesNothing) {
    const TDosTime noon = Dos(2024, 6, 1, 12, 0, 0);
    const TInStep same = {{noon, 5}, {noon, 5}};
    const TInStep other = {{noon, 6}, {noon, 6}};
    const TInStep laterDisk = {{noon, 5}, {Dos(2024, 6, 1, 12, 0, 2), 5}};
    const struct {
        const char* What;
        std::function<void(TSyncRecord&)> Pass;
        bool Writes;
    } cases[] = {
        {"nothing", [](TSyncRecord&) {}, false},
        {"the same pair set", [&](TSyncRecord& r) { r.Set("a.txt", same); }, false},
        {"every path kept",
         [](TSyncRecord& r) {
             r.BeginPass();
             r.KeepBelow("");
             r.DropUntouched();
         },
         false},
        {"a pair reset as it was", [&](TSyncRecord& r) { r.Reset(*r.Touch("a.txt"), same); },
         false},
        {"a new path", [&](TSyncRecord& r) { r.Set("new.txt", same); }, true},
        {"another size set", [&](TSyncRecord& r) { r.Set("a.txt", other); }, true},
        {"a pair reset to another time",
         [&](TSyncRecord& r) { r.Reset(*r.Touch("a.txt"), laterDisk); }, true},
        {"a path dropped",
         [](TSyncRecord& r) {
             r.BeginPass();
             r.Keep("a.txt");
             r.DropUntouched();
         },
         true},
    };
    for (const auto& c : cases) {
        TTempTree tree;
        TWriteCountingFileSystem fs;
        TSyncRecordFile file(tree.Path("~record.dat"));
        TSyncRecord record = SampleRecord();
        ASSERT_TRUE(file.Save(fs, record));
        ASSERT_EQ(file.Load(fs, record), TRecordLoad::Ok);
        c.Pass(record);
        ASSERT_TRUE(file.Save(fs, record));
        EXPECT_EQ(fs.Writes, c.Writes ? 2 : 1) << c.What;
        TSyncRecord saved;
        ASSERT_EQ(TSyncRecordFile(file.Path()).Load(fs, saved), TRecordLoad::Ok);
        ExpectSameRecord(record, saved);
    }
}

TEST(SyncRecordTest, ConflictNamesKeepTheExtensionAndCountOnWhenTaken) {
    const std::string folder = std::string("f") + kPathDelim;
    const TDosTime time = Dos(2026, 3, 9, 7, 5, 30);
    const struct {
        const char* Name;
        const char* Computer;
        unsigned Attempt;
        const char* Kept;
    } cases[] = {
        {"a.txt", "PC1", 0, "a (Konflikt 2026-03-09 07.05 PC1).txt"},
        {"a.b.txt", "PC1", 1, "a.b (Konflikt 2026-03-09 07.05 PC1) 2.txt"},
        {"Makefile", "PC1", 0, "Makefile (Konflikt 2026-03-09 07.05 PC1)"},
        {".profile", "PC1", 0, ".profile (Konflikt 2026-03-09 07.05 PC1)"},
        {"a.txt", "", 0, "a (Konflikt 2026-03-09 07.05).txt"},
        {"a.txt", "B\xFCro:1", 0, "a (Konflikt 2026-03-09 07.05 B_ro_1).txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConflictPath(folder + c.Name, time, c.Computer, c.Attempt), folder + c.Kept);
}

// Real trees on both sides, compared and copied with the record as the window does.
class InStepTest : public ::testing::Test, protected TRecordedRun {
  protected:
    // "s:rel" for stick to computer, "d:rel" the other way, "!" for a conflict.
    std::vector<std::string> Found() const {
        std::vector<std::string> found;
        for (const auto& entry : List) {
            std::string tag = entry->ToStickFlag ? "d" : "s";
            tag += entry->Conflict ? '!' : ':';
            found.push_back(tag.append(NamePart(entry->SourcePath)));
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    // Both sides hold a.txt alike, and the record knows it.
    void InStepStart(std::int64_t time = kBaseTime) {
        Tree->AddFile("stick/a.txt", "start", time);
        Tree->AddFile("disk/a.txt", "start", time);
        Compare();
        ASSERT_EQ(Found(), std::vector<std::string>{});
        ASSERT_NE(Record.Find("a.txt"), nullptr);
    }

    std::vector<std::string> Names(const std::string& folder) const { return Tree->Names(folder); }
};

// Items 1 to 3 of the issue and the allowances: each case starts in step.
TEST_F(InStepTest, TheSideThatChangedIsCopiedWhateverTheClocksSay) {
    const struct {
        const char* Case;
        std::int64_t Start;
        const char* Edit; // "s" or "d": the side edited, with its contents and time
        std::int64_t EditTime;
        const char* Expected;
    } cases[] = {
        {"stick edited", kBaseTime, "s", kBaseTime + 100, "s:a.txt"},
        {"computer edited, its clock behind", kBaseTime, "d", kBaseTime - 86400, "d:a.txt"},
        {"older version restored on the stick", kBaseTime, "s", kBaseTime - 3 * 86400, "s:a.txt"},
        {"2035 on the stick, computer edited", 2051222400, "d", kBaseTime + 100, "d:a.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        Fresh();
        InStepStart(c.Start);
        const std::string edited = std::string(c.Edit) == "s" ? "stick" : "disk";
        const std::string other = edited == "stick" ? "disk" : "stick";
        Tree->AddFile(edited + "/a.txt", "edited", c.EditTime);
        Compare();
        EXPECT_EQ(Found(), std::vector<std::string>{c.Expected});
        EXPECT_EQ(Copy().CopiedCount, 1);
        EXPECT_EQ(Tree->Read(other + "/a.txt"), "edited");
        Compare();
        EXPECT_EQ(Found(), std::vector<std::string>{});
    }
}

TEST_F(InStepTest, UnchangedSidesAreNotListedWhateverTheTimesSay) {
    InStepStart();
    // The file systems' allowances: a shifted hour on one side, rounding on the other.
    Tree->SetTime("stick/a.txt", kBaseTime + 3600);
    Tree->SetTime("disk/a.txt", kBaseTime + 2);
    Compare();
    EXPECT_EQ(Found(), std::vector<std::string>{});
    // Beyond them, the side counts as changed.
    Tree->SetTime("disk/a.txt", kBaseTime + 10);
    Compare();
    EXPECT_EQ(Found(), std::vector<std::string>{"d:a.txt"});
}

TEST_F(InStepTest, BothChangedKeepsTheReplacedVersionBesideTheNewer) {
    InStepStart();
    Tree->AddFile("stick/a.txt", "stick edit", kBaseTime + 600);
    Tree->AddFile("disk/a.txt", "computer edit", kBaseTime + 1200);
    Compare();
    ASSERT_EQ(Found(), std::vector<std::string>{"d!a.txt"});
    const TCopyRunResult result = Copy();
    EXPECT_EQ(result.CopiedCount, 1);
    EXPECT_EQ(result.KeptOlderCount, 1);
    EXPECT_EQ(Tree->Read("stick/a.txt"), "computer edit");
    const std::vector<std::string> names = Names("stick");
    ASSERT_EQ(names.size(), 2u);
    const std::string kept = names[0] == "a.txt" ? names[1] : names[0];
    EXPECT_TRUE(kept.starts_with("a (Konflikt 2024-06-01 ")) << kept;
    EXPECT_TRUE(kept.ends_with(" PC1).txt")) << kept;
    EXPECT_EQ(Tree->Read("stick/" + kept), "stick edit");
    EXPECT_EQ(Tree->Time("stick/" + kept), kBaseTime + 600);

    // The kept version is a new file to the next comparison; a.txt is in step.
    Compare();
    EXPECT_EQ(Found(), std::vector<std::string>{"s:" + kept});

    // Another conflict of the same minute gets a name of its own.
    Copy();
    Compare();
    Tree->AddFile("stick/a.txt", "stick again", kBaseTime + 600);
    Tree->AddFile("disk/a.txt", "computer again", kBaseTime + 610);
    Compare();
    ASSERT_EQ(Found(), std::vector<std::string>{"d!a.txt"});
    Copy();
    const std::string second = kept.substr(0, kept.size() - 4) + " 2.txt";
    EXPECT_EQ(Tree->Read("stick/" + second), "stick again");
    EXPECT_EQ(Tree->Read("stick/" + kept), "stick edit");
}

TEST_F(InStepTest, BothChangedAlikeAreInStep) {
    InStepStart();
    Tree->AddFile("stick/a.txt", "same edit", kBaseTime + 600);
    Tree->AddFile("disk/a.txt", "same edit", kBaseTime + 600);
    Compare();
    EXPECT_EQ(Found(), std::vector<std::string>{});
    const TInStep* pair = Record.Find("a.txt");
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(pair->Stick.Size, 9u);
}

TEST_F(InStepTest, WithoutARecordTheNewerWinsAsBefore) {
    Tree->AddFile("stick/a.txt", "stick", kBaseTime + 100);
    Tree->AddFile("disk/a.txt", "disk", kBaseTime);
    Tree->AddFile("disk/b.txt", "only here", kBaseTime);
    Compare();
    EXPECT_EQ(Found(), (std::vector<std::string>{"d:b.txt", "s:a.txt"}));
    EXPECT_EQ(Record.Find("a.txt"), nullptr);
    Copy();
    // Now in step: an older edit on the computer goes to the stick.
    Tree->AddFile("disk/a.txt", "older edit", kBaseTime - 500);
    Compare();
    EXPECT_EQ(Found(), std::vector<std::string>{"d:a.txt"});
}

TEST_F(InStepTest, AListedFileKeepsItsRecordUntilItsCopySucceeds) {
    InStepStart();
    Tree->AddFile("stick/a.txt", "stick edit", kBaseTime + 600);
    Compare();
    ASSERT_EQ(Found(), std::vector<std::string>{"s:a.txt"});
    // Not copied; the computer's side is edited meanwhile: both changed now.
    Tree->AddFile("disk/a.txt", "computer edit", kBaseTime + 300);
    Compare();
    EXPECT_EQ(Found(), std::vector<std::string>{"s!a.txt"});

    // A cancelled comparison drops nothing from the record.
    const TInStep before = *Record.Find("a.txt");
    Pump = [this] { Cancel = true; };
    Compare();
    ASSERT_NE(Record.Find("a.txt"), nullptr);
    EXPECT_EQ(Record.Find("a.txt")->Stick.Size, before.Stick.Size);
}

TEST_F(InStepTest, AFileGoneFromBothSidesLeavesTheRecord) {
    InStepStart();
    Tree->AddFile("stick/b.txt", "b", kBaseTime);
    Tree->AddFile("disk/b.txt", "b", kBaseTime);
    Compare();
    ASSERT_NE(Record.Find("b.txt"), nullptr);
    std::remove(Tree->Path("stick/b.txt").c_str());
    std::remove(Tree->Path("disk/b.txt").c_str());
    Compare();
    EXPECT_EQ(Record.Find("b.txt"), nullptr);
    EXPECT_NE(Record.Find("a.txt"), nullptr);
}

TEST_F(InStepTest, ATargetChangedSinceTheComparisonIsNotReplaced) {
    Tree->AddFile("stick/edited.txt", "stick", kBaseTime + 100);
    Tree->AddFile("disk/edited.txt", "disk", kBaseTime);
    Tree->AddFile("stick/appeared.txt", "stick", kBaseTime);
    Tree->AddFile("stick/source.txt", "first", kBaseTime);
    Compare();
    ASSERT_EQ(Found(),
              (std::vector<std::string>{"s:appeared.txt", "s:edited.txt", "s:source.txt"}));

    Tree->AddFile("disk/edited.txt", "edited after the comparison", kBaseTime + 50);
    Tree->AddFile("disk/appeared.txt", "new on the computer", kBaseTime - 100);
    Tree->AddFile("stick/source.txt", "second, longer", kBaseTime + 200);
    const TCopyRunResult result = Copy();
    EXPECT_EQ(result.CopiedCount, 1);
    EXPECT_EQ(result.FailedCount, 2);
    EXPECT_EQ(Tree->Read("disk/edited.txt"), "edited after the comparison");
    EXPECT_EQ(Tree->Read("disk/appeared.txt"), "new on the computer");
    EXPECT_EQ(Tree->Read("disk/source.txt"), "second, longer");
    for (const auto& entry : List) {
        const bool changed = !NamePart(entry->SourceFile).starts_with("source");
        EXPECT_EQ(entry->Copied, !changed) << entry->SourceFile;
        EXPECT_EQ(entry->Reason, changed ? TFailReason::ChangedSinceCompare : TFailReason::None);
    }
    // The copied file is in step; the others go by the clock again.
    Compare();
    EXPECT_EQ(Found(), (std::vector<std::string>{"s:appeared.txt", "s:edited.txt"}));
}

TEST_F(InStepTest, TheRecordIsNeverListedEvenInTheStickFolder) {
    Tree->AddFolder("stick/sub");
    TSyncRecordFile file(SyncRecordFileFor(Tree->Path("stick/Settings.prp"), "PC1", "s", "d"));
    TSyncRecordFile inner(SyncRecordFileFor(Tree->Path("stick/sub/Settings.prp"), "PC1", "s", "d"));
    Tree->AddFile("stick/a.txt");
    Compare();
    ASSERT_TRUE(file.Save(Fs, Record));
    ASSERT_TRUE(inner.Save(Fs, Record));
    Compare();
    EXPECT_EQ(Found(), std::vector<std::string>{"s:a.txt"});
}

} // namespace
