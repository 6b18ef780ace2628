#pragma once

#include "sync/Compare.h"
#include "sync/CopyList.h"
#include "sync/FileSystem.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

struct TCopyRunResult {
    int CopiedCount = 0;
    int FailedCount = 0;
    // The entries before this index were attempted; the others keep their state.
    int AttemptedCount = 0;
    bool Cancelled = false;
    int KeptOlderCount = 0; // conflicts copied, the replaced version kept beside
};

// How far a run has come, for the window.
struct TCopyStatus {
    int Index = 0; // the entry being copied
    std::uint64_t DoneBytes = 0;
    std::uint64_t TotalBytes = 0;
};

// A volume that the files bound for it do not fit on.
struct TSpaceShortage {
    bool ToStick = false; // the side of the first entry bound for it
    std::uint64_t Needed = 0;
    std::uint64_t Free = 0;
};

// What a run needs to know before it starts, per entry in list order.
struct TCopyPlan {
    std::vector<std::uint64_t> Sizes; // the bytes it writes: 0 where nothing can be read
    std::vector<bool> TooBigForTarget;
    std::uint64_t TotalBytes = 0;
    std::vector<TSpaceShortage> Shortages;
};

// Sizes every source and, per target volume, weighs the bytes to write plus the
// largest file (whose temporary copy stands beside the old one until it replaces
// it) against the free space; files of 4 GiB or more bound for FAT are left out of
// the sum, as they fail anyway. Pumps every 50 ms.
TCopyPlan PlanCopy(TFileSystem& fs, const TCopyList& list, const TPump& pump);

// Copies every entry in list order, recording each result in its Copied flag and
// Reason. Pumps before each file and every 50 ms during one; a cancel stops the run
// at once, also in the middle of a file, which then is left as it was. status is
// told before each file and at each pump during one. computerName goes into the
// names of kept conflicting versions.
TCopyRunResult RunCopy(TFileSystem& fs, TCopyList& list, const TCopyPlan& plan, const bool& cancel,
                       const TPump& pump, const std::function<void(const TCopyStatus&)>& status,
                       std::string_view computerName = {});
