#include "sync/CopyRun.h"

#include "sync/CopyStep.h"
#include "sync/Paths.h"

#include <unordered_set>

// Creates a folder together with its missing ancestors, outermost first; stops at
// the first one that cannot be created.
static bool ForceDirectories(TFileSystem& fs, std::string path) {
    if (!path.empty() && path.back() == kPathDelim) {
        path.pop_back();
    }
    if (path.size() < 3 || fs.IsDirectory(path)) {
        return true;
    }
    const std::string parent = FolderPart(path);
    if (parent == path) {
        return true;
    }
    return ForceDirectories(fs, parent) && fs.MakeDirectory(path);
}

TCopyRunResult RunCopy(TFileSystem& fs, TCopyList& list, const bool& cancel, const TPump& pump,
                       const std::function<void(int)>& setPosition, std::string_view computerName) {
    TCopyRunResult result;
    std::unordered_set<std::string> cleaned;
    for (std::size_t i = 0; i < list.size(); ++i) {
        pump();
        if (cancel) {
            break;
        }
        setPosition(static_cast<int>(i));
        TCopyEntry& entry = *list[i];
        if (entry.Kind != TEntryKind::File) {
            entry.Copied = false;
            ++result.FailedCount;
            continue;
        }
        if (const std::string folder = FolderPart(entry.TargetFile);
            cleaned.insert(folder).second) {
            RemoveOwnLeftovers(fs, folder);
        }
        const std::string folder = FileFolder(entry.TargetFile);
        if (!fs.IsDirectory(folder)) {
            ForceDirectories(fs, folder);
        }
        const TCopyOutcome outcome = CopyEntry(fs, entry, computerName);
        entry.Copied = outcome != TCopyOutcome::Failed;
        ++(entry.Copied ? result.CopiedCount : result.FailedCount);
        result.KeptOlderCount += outcome == TCopyOutcome::CopiedKeepingOlder;
    }
    result.Cancelled = cancel;
    return result;
}
