#include "sync/CopyRun.h"

#include "sync/CopyStep.h"
#include "sync/Paths.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;
constexpr auto kPumpInterval = std::chrono::milliseconds(50);
constexpr std::uint64_t kFatFileLimit = std::uint64_t{1} << 32;

// Calls the pump when kPumpInterval has passed since the last call.
class TPumpTimer {
  public:
    explicit TPumpTimer(const TPump& pump) : FPump(pump) {}
    void Now() {
        FPump();
        FLast = TClock::now();
    }
    bool Due() const { return TClock::now() - FLast >= kPumpInterval; }

  private:
    const TPump& FPump;
    TClock::time_point FLast = TClock::now();
};

// Creates a folder together with its missing ancestors, outermost first; stops at
// the first one that cannot be created, and tells why.
TFailReason ForceDirectories(TFileSystem& fs, std::string path) {
    if (!path.empty() && path.back() == kPathDelim)
        path.pop_back();
    if (path.size() < 3 || fs.IsDirectory(path))
        return TFailReason::None;
    const std::string parent = FolderPart(path);
    if (parent == path)
        return TFailReason::None;
    const TFailReason above = ForceDirectories(fs, parent);
    return above != TFailReason::None ? above : fs.MakeDirectory(path);
}

// The volume of a target folder that may not exist yet: that of its nearest
// existing ancestor.
bool TargetVolume(TFileSystem& fs, std::string folder, TVolume& volume) {
    for (;;) {
        if (fs.IsDirectory(folder))
            return fs.VolumeOf(folder, volume);
        const std::string parent = FileFolder(folder);
        if (parent.empty() || parent == folder)
            return false;
        folder = parent;
    }
}

struct TVolumeLoad {
    TVolume Volume;
    bool ToStick = false;
    std::uint64_t Bytes = 0;
    std::uint64_t Largest = 0;
};

constexpr int kNoLoad = -1;

// The index in loads of the volume of a target folder, added when new; kNoLoad
// when the volume cannot be told.
int LoadOf(TFileSystem& fs, const std::string& folder, bool toStick,
           std::vector<TVolumeLoad>& loads) {
    TVolume volume;
    if (!TargetVolume(fs, folder, volume))
        return kNoLoad;
    for (std::size_t k = 0; k < loads.size(); ++k)
        if (loads[k].Volume.Id == volume.Id)
            return static_cast<int>(k);
    loads.push_back({volume, toStick});
    return static_cast<int>(loads.size()) - 1;
}

// One run's memory of drives that went away: their entries fail at once.
class TGoneDrives {
  public:
    bool Holds(const TCopyEntry& entry) const {
        return !FRoots.empty() && (FRoots.contains(RootPart(entry.SourceFile)) ||
                                   FRoots.contains(RootPart(entry.TargetFile)));
    }
    void Note(TFileSystem& fs, const TCopyEntry& entry) {
        for (const std::string* path : {&entry.SourceFile, &entry.TargetFile})
            if (std::string root = RootPart(*path); !root.empty() && !fs.IsDirectory(root))
                FRoots.insert(std::move(root));
    }

  private:
    std::unordered_set<std::string> FRoots;
};

// The state that the entries of one run share.
struct TRunState {
    TFileSystem& Fs;
    const bool& Cancel;
    TPumpTimer Pump;
    const std::function<void(const TCopyStatus&)>& Status;
    std::string_view ComputerName;
    TCopyStatus Progress;
    // Each target folder once: cleaned of leftovers, made where missing, and what
    // stood in the way of making it.
    std::unordered_map<std::string, TFailReason> Folders;
    TGoneDrives Gone;
};

TCopyOutcome Fails(TCopyEntry& entry, TFailReason reason) {
    entry.Reason = reason;
    return TCopyOutcome::Failed;
}

// Readies the folder of a target file, once per run: removes the leftovers of an
// interrupted copy and makes the folder where it is missing. None when it is
// ready, else why not.
TFailReason PrepareFolder(TRunState& run, const std::string& targetFile) {
    const auto [folder, isNew] = run.Folders.try_emplace(FolderPart(targetFile), TFailReason::None);
    if (isNew) {
        if (const std::string path = FileFolder(targetFile); !run.Fs.IsDirectory(path))
            folder->second = ForceDirectories(run.Fs, path);
        else
            RemoveOwnLeftovers(run.Fs, folder->first);
    }
    return folder->second;
}

// Copies one entry, with its reason when it fails.
TCopyOutcome CopyOne(TRunState& run, TCopyEntry& entry, bool tooBig) {
    entry.Reason = TFailReason::None;
    if (entry.Kind != TEntryKind::File)
        return Fails(entry, KindReason(entry.Kind));
    if (tooBig)
        return Fails(entry, TFailReason::TooBigForFat);
    if (run.Gone.Holds(entry))
        return Fails(entry, TFailReason::DriveGone);
    if (const TFailReason made = PrepareFolder(run, entry.TargetFile); made != TFailReason::None)
        return Fails(entry, made);
    const std::uint64_t before = run.Progress.DoneBytes;
    const TCopyOutcome outcome =
        CopyEntry(run.Fs, entry, run.ComputerName, [&](std::uint64_t copied) {
            if (run.Pump.Due()) {
                TCopyStatus now = run.Progress;
                now.DoneBytes = before + copied;
                run.Status(now);
                run.Pump.Now();
            }
            return !run.Cancel;
        });
    if (entry.Reason == TFailReason::DriveGone)
        run.Gone.Note(run.Fs, entry);
    return outcome;
}

} // namespace

TCopyPlan PlanCopy(TFileSystem& fs, const TCopyList& list, const TPump& pump) {
    TCopyPlan plan;
    plan.Sizes.resize(list.size());
    plan.TooBigForTarget.resize(list.size());
    TPumpTimer timer(pump);
    // A few volumes, in the order their first entries come; the entries of one
    // folder come together, so the volume is looked up once per folder.
    std::vector<TVolumeLoad> loads;
    std::string lastFolder;
    int lastLoad = kNoLoad;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (timer.Due())
            timer.Now();
        const TCopyEntry& entry = *list[i];
        if (entry.Kind != TEntryKind::File)
            continue;
        const TPathState source = fs.StateOf(entry.SourceFile);
        if (source.Result != TReadResult::Ok || source.IsDirectory)
            continue;
        std::uint64_t& size = plan.Sizes[i];
        size = source.Size;
        if (std::string folder = FileFolder(entry.TargetFile); i == 0 || folder != lastFolder) {
            lastFolder = std::move(folder);
            lastLoad = LoadOf(fs, lastFolder, entry.ToStickFlag, loads);
        }
        if (lastLoad == kNoLoad) {
            plan.TotalBytes += size;
            continue;
        }
        TVolumeLoad& load = loads[static_cast<std::size_t>(lastLoad)];
        if (load.Volume.Fat && size >= kFatFileLimit) {
            plan.TooBigForTarget[i] = true;
            size = 0; // nothing of it is written
            continue;
        }
        plan.TotalBytes += size;
        load.Bytes += size;
        load.Largest = std::max(load.Largest, size);
    }
    for (const TVolumeLoad& load : loads) {
        const std::uint64_t needed = load.Bytes + load.Largest;
        if (load.Bytes > 0 && needed > load.Volume.FreeBytes)
            plan.Shortages.push_back({load.ToStick, needed, load.Volume.FreeBytes});
    }
    return plan;
}

TCopyRunResult RunCopy(TFileSystem& fs, TCopyList& list, const TCopyPlan& plan, const bool& cancel,
                       const TPump& pump, const std::function<void(const TCopyStatus&)>& status,
                       std::string_view computerName) {
    TCopyRunResult result;
    TRunState run{fs, cancel, TPumpTimer(pump), status, computerName, {0, 0, plan.TotalBytes},
                  {}, {}};
    for (std::size_t i = 0; i < list.size(); ++i) {
        run.Pump.Now();
        if (cancel)
            break;
        run.Progress.Index = static_cast<int>(i);
        status(run.Progress);
        TCopyEntry& entry = *list[i];
        const TFailReason earlier = entry.Reason;
        const TCopyOutcome outcome = CopyOne(run, entry, plan.TooBigForTarget[i]);
        if (cancel && outcome == TCopyOutcome::Failed) {
            entry.Reason = earlier;
            break; // stopped in the middle of the file, which stays as it was
        }
        entry.Copied = outcome != TCopyOutcome::Failed;
        ++(entry.Copied ? result.CopiedCount : result.FailedCount);
        result.KeptOlderCount += outcome == TCopyOutcome::CopiedKeepingOlder;
        result.AttemptedCount = static_cast<int>(i) + 1;
        run.Progress.DoneBytes += plan.Sizes[i];
    }
    result.Cancelled = cancel;
    return result;
}
