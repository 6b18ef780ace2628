#pragma once

#include "sync/FileSystem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// One side of a file: its last-write time and size.
struct TSideStamp {
    TDosTime Time;
    std::uint64_t Size = 0;
};

// Both sides of a file as they were when last in step.
struct TInStep {
    TSideStamp Stick;
    TSideStamp Disk;
};

// Date and time in one number, in the order of the clock.
inline std::uint32_t PackedTime(TDosTime time) {
    return static_cast<std::uint32_t>(time.Date) << 16 | time.Time;
}

// Seconds since 1970-01-01 of the same wall clock as the DOS time.
std::int64_t WallSeconds(TDosTime time);

// Two times that the file systems may give for one write: at most 2 seconds
// apart (rounding), or exactly one hour apart with that same allowance (a clock
// shift).
bool SameMoment(TDosTime a, TDosTime b);

// A side is unchanged since it was recorded when its size is as recorded and its
// time is the same moment.
bool IsUnchanged(const TSideStamp& now, const TSideStamp& recorded);

enum class TRecordLoad { Ok, Missing, Damaged };

// What both sides held when they were last in step, by the exact path of the
// file below the stick root.
class TSyncRecord {
  public:
    const TInStep* Find(std::string_view relPath) const;
    // Sets the pair of a path; makes a new one only for a path not yet recorded.
    void Set(std::string_view relPath, const TInStep& pair);
    std::size_t Count() const { return FPairs.size(); }
    // Taken anew with every change, from one count for all records: two records
    // of one version hold the same pairs.
    std::uint64_t Version() const { return FVersion; }
    // Calls take for every path that starts with prefix.
    void ForEachBelow(std::string_view prefix,
                      const std::function<void(const std::string&, const TInStep&)>& take) const;

    // A pass over both trees: every path set or kept from its start on stays when
    // it ends, every other one is dropped.
    void BeginPass() { ++FPass; }
    // The pair of a path, kept for this pass; null when none.
    const TInStep* Touch(std::string_view relPath);
    // Sets a pair that Touch gave.
    void Reset(const TInStep& kept, const TInStep& pair);
    void Keep(std::string_view relPath) { Touch(relPath); }
    void KeepBelow(std::string_view prefix);
    void DropUntouched();

    // Sorted paths with shared beginnings left out and numbers as varints, behind
    // a header with a magic, the version and a checksum of the rest.
    std::string Encode() const;
    // false, leaving the record empty, for anything that is not such a text whole.
    bool Decode(std::string_view bytes);

  private:
    struct THash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    struct TKept {
        TInStep Pair;
        unsigned Pass = 0; // the last pass that set or kept it
    };
    void Changed();

    std::unordered_map<std::string, TKept, THash, std::equal_to<>> FPairs;
    unsigned FPass = 0;
    std::uint64_t FVersion = 0; // 0: empty since it was made
};

// The record of this computer and this pair of folders (both exact roots), in
// the folder of the settings file; its name starts with "~", which the
// comparison never lists.
std::string SyncRecordFileFor(const std::string& settingsFile, std::string_view computerName,
                              std::string_view stickRoot, std::string_view diskRoot);

// Reads and writes one record file; writes only when the contents changed since
// they were last read or written.
class TSyncRecordFile {
  public:
    explicit TSyncRecordFile(std::string path) : FPath(std::move(path)) {}
    const std::string& Path() const { return FPath; }
    // Missing and Damaged leave the record empty.
    TRecordLoad Load(TFileSystem& fs, TSyncRecord& record);
    bool Save(TFileSystem& fs, const TSyncRecord& record);

  private:
    std::string FPath;
    std::string FOnDisk;
    // The version of the record that FOnDisk holds, when it is known.
    std::optional<std::uint64_t> FVersion;
};
