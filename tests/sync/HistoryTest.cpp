// Random histories: rounds of edits on either or both sides, with clocks ahead and
// behind, restored older versions, dates in 2035 and edits between the comparison
// and the copy, each round compared and copied with the record. After every
// round no version written since the round before is lost, a file changed on one
// side only has reached the other, and once everything is copied nothing more
// is listed.
#include "RecordedRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kYear2035 = 2051222400;

struct TVersion {
    std::string Contents;
    std::int64_t Time = 0;
};

// Relative paths with '/' to contents.
using TSide = std::map<std::string, std::string>;

const char* const kSides[] = {"stick", "disk"};

std::vector<std::string> Paths() {
    std::vector<std::string> paths;
    for (const std::string folder : {"", "sub/", "sub/tief/"})
        for (const std::string name : {"a.txt", "b.doc", "Notiz", "c.txt"})
            paths.push_back(folder + name);
    return paths;
}

// Whether rel is path itself or a version of it kept beside after a conflict.
bool IsNameOf(const std::string& rel, const std::string& path) {
    if (rel == path)
        return true;
    const std::size_t slash = path.rfind('/') + 1;
    const std::string name = path.substr(slash);
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? "" : name.substr(dot);
    return rel.starts_with(path.substr(0, slash) + stem + " (Konflikt ") &&
           rel.ends_with(extension) && rel.find('/', slash) == std::string::npos;
}

class HistoryTest : public ::testing::Test, protected TRecordedRun {
  protected:
    // Contents and sizes differ from version to version; every time is even and
    // new, apart from a restored version's.
    TVersion NewVersion(const std::string& path) {
        ++Counter;
        const std::int64_t step = 10 * static_cast<std::int64_t>(Counter);
        const std::int64_t times[] = {kBaseTime + step, kBaseTime - 3 * 86400 + step,
                                      kBaseTime + 5 * 86400 + step, kYear2035 + step};
        // Restored from a backup: an older version than both sides held when last in
        // step, since that one again is no edit.
        std::vector<TVersion> older;
        for (const TVersion& version : History[path]) {
            const auto held = [&](const char* side) {
                const auto there = Before[side].find(path);
                return there != Before[side].end() && there->second == version.Contents;
            };
            if (!held("stick") && !held("disk"))
                older.push_back(version);
        }
        if (!older.empty() && Random() % 6 == 0)
            return older[Random() % older.size()];
        TVersion version{std::to_string(Counter), times[Random() % 4]};
        version.Contents.append(1, ' ').append(path).append(Random() % 40, '.');
        History[path].push_back(version);
        return version;
    }

    void Write(const std::string& side, const std::string& path, const TVersion& version) {
        Trace("write " + side + "/" + path + ": " + version.Contents + " " +
              std::to_string(version.Time));
        Tree->AddFile(side + "/" + path, version.Contents, version.Time);
        Written[side + "/" + path] = version;
    }

    // With KORVANDEL_HISTORY_TRACE set, what the rounds do.
    static void Trace(const std::string& what) {
        if (std::getenv("KORVANDEL_HISTORY_TRACE"))
            std::printf("%s\n", what.c_str());
    }

    void Collect(const std::string& side, const std::string& rel, TSide& files) const {
        for (const std::string& name : Tree->Names(side + "/" + rel))
            if (SystemFileSystem().IsDirectory(Tree->Path(side + "/" + rel + name)))
                Collect(side, rel + name + "/", files);
            else
                files[rel + name] = Tree->Read(side + "/" + rel + name);
    }

    std::map<std::string, TSide> Sides() const {
        std::map<std::string, TSide> sides;
        for (const std::string side : kSides)
            Collect(side, "", sides[side]);
        return sides;
    }

    static std::string Slashed(std::string path) {
        std::replace(path.begin(), path.end(), kPathDelim, '/');
        return path;
    }

    // Every version written since the last check is on one side or the other, under
    // its name or beside it.
    void ExpectNothingLost(const char* when) {
        const std::map<std::string, TSide> sides = Sides();
        for (const auto& [where, version] : Written) {
            const std::string path = where.substr(where.find('/') + 1);
            if (NewOnBoth.count(path))
                continue;
            bool found = false;
            for (const auto& [side, files] : sides)
                for (const auto& [rel, contents] : files)
                    found = found || (contents == version.Contents && IsNameOf(rel, path));
            EXPECT_TRUE(found) << when << ": " << where << " lost " << version.Contents;
        }
        if (HasFailure())
            Dump(sides);
    }

    // The story of a failed round: the copy list and both trees.
    void Dump(const std::map<std::string, TSide>& sides) const {
        for (const auto& entry : List) {
            std::printf("entry %s -> %s%s copied %d\n", entry->SourcePath.c_str(),
                        entry->TargetPath.c_str(), entry->Conflict ? " conflict" : "",
                        entry->Copied);
        }
        for (const auto& [side, files] : sides) {
            for (const auto& [rel, contents] : files) {
                std::printf("%s/%s: %s %lld\n", side.c_str(), rel.c_str(), contents.c_str(),
                            static_cast<long long>(Tree->Time(side + "/" + rel)));
            }
        }
    }

    // One round: edits, comparison, edits meanwhile, copy; then the copies that
    // follow until nothing is listed.
    void Round() {
        Written.clear();
        std::map<std::string, std::set<std::string>> edited; // path to the sides
        const std::vector<std::string> paths = Paths();
        Before = Sides();
        for (unsigned edits = 1 + Random() % 4; edits > 0; --edits) {
            const std::string& path = paths[Random() % paths.size()];
            const unsigned which = Random() % 3;
            for (unsigned side = 0; side < 2; ++side) {
                if (which == side || which == 2) {
                    Write(kSides[side], path, NewVersion(path));
                    edited[path].insert(kSides[side]);
                }
            }
        }
        Compare();
        Trace("compared");
        std::set<std::string> meddled;
        if (!List.empty() && Random() % 2 == 0) {
            const TCopyEntry& entry = *List[Random() % List.size()];
            const std::string path = Slashed(entry.RelPath);
            const bool target = Random() % 2 == 0;
            const std::string side = entry.ToStickFlag == target ? "stick" : "disk";
            Write(side, path, NewVersion(path));
            meddled.insert(path);
        }
        // A name that both sides made since the round before has no record: the
        // newer by the clock wins, as before.
        NewOnBoth.clear();
        for (const std::string& path : paths)
            if (Written.count("stick/" + path) && Written.count("disk/" + path) &&
                !Before["stick"].count(path))
                NewOnBoth.insert(path);
        const TCopyRunResult first = Copy();
        ExpectNothingLost("after the copy");

        std::set<std::string> failed;
        for (const auto& entry : List)
            if (!entry->Copied)
                failed.insert(Slashed(entry->RelPath));
        EXPECT_LE(first.FailedCount, 1);
        const std::map<std::string, TSide> sides = Sides();
        for (const auto& [path, by] : edited) {
            if (by.size() != 1 || meddled.count(path))
                continue;
            const std::string side = *by.begin();
            const std::string other = side == "stick" ? "disk" : "stick";
            const auto there = sides.at(other).find(path);
            ASSERT_NE(there, sides.at(other).end()) << path;
            EXPECT_EQ(there->second, Written.at(side + "/" + path).Contents)
                << path << " changed on the " << side << " only";
        }

        // Only the versions kept beside and what changed meanwhile are new now.
        Compare();
        for (const auto& entry : List) {
            const std::string path = Slashed(entry->RelPath);
            EXPECT_TRUE(path.find(" (Konflikt ") != std::string::npos || failed.count(path))
                << "listed although unchanged: " << path;
        }
        const TCopyRunResult second = Copy();
        EXPECT_EQ(second.FailedCount, 0);
        ExpectNothingLost("after the second copy");
        Compare();
        for (const auto& entry : List) {
            const std::string path = Slashed(entry->RelPath);
            EXPECT_TRUE(path.find(" (Konflikt ") != std::string::npos)
                << "listed although copied: " << path;
        }
        Copy();
        Compare();
        EXPECT_TRUE(List.empty());
    }

    std::mt19937 Random;
    int Counter = 0;
    std::map<std::string, std::vector<TVersion>> History; // by path, every version made
    std::map<std::string, TVersion> Written; // by side and path, the last since the check
    std::set<std::string> NewOnBoth;         // paths that both sides made this round
    std::map<std::string, TSide> Before;     // both sides in step, before the round
};

TEST_F(HistoryTest, NoEditIsLostOverRoundsOfEditsOnEitherSide) {
    std::vector<unsigned> seeds = {20261211, 7, 4242};
    if (const char* given = std::getenv("KORVANDEL_HISTORY_SEED"))
        seeds = {static_cast<unsigned>(std::strtoul(given, nullptr, 10))};
    const int rounds = kHasDriveLetters ? 12 : 40;
    for (const unsigned seed : seeds) {
        std::printf("seed %u (KORVANDEL_HISTORY_SEED repeats it)\n", seed);
        Random.seed(seed);
        Fresh();
        History.clear();
        // Random trees, the first comparison by the clock alone.
        for (const std::string& path : Paths()) {
            const unsigned kind = Random() % 4; // none, stick, computer, both alike
            const TVersion version = NewVersion(path);
            for (unsigned side = 0; side < 2; ++side) {
                if (kind == side + 1 || kind == 3) {
                    Tree->AddFile(std::string(kSides[side]) + "/" + path, version.Contents,
                                  version.Time);
                }
            }
        }
        Compare();
        Copy();
        for (int round = 0; round < rounds && !HasFailure(); ++round) {
            SCOPED_TRACE("round " + std::to_string(round) + " of seed " + std::to_string(seed));
            Trace("round " + std::to_string(round));
            Round();
        }
        if (HasFailure())
            return;
    }
}

} // namespace
