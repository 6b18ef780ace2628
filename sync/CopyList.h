#pragma once

#include "sync/FailReason.h"
#include "sync/SyncRecord.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class TEntryKind {
    File,           // a file to copy
    UnlistedFolder, // a source folder that could not be listed: whatever it holds is unknown
    CaseTwin, // a file or folder whose name the target holds only once, for a newer twin or another
    ShortName, // a file whose name is, on the target, the short name of another file
};

// Why an entry of that kind fails in every run; None for a file.
TFailReason KindReason(TEntryKind kind);

// One planned copy, made by the comparison and carried out by the copy run.
struct TCopyEntry {
    std::string SourcePath; // the paths as the user sees them
    std::string TargetPath;
    bool ToStickFlag = false; // true: from the computer folder onto the stick
    bool Copied = true;       // result of the last copy attempt
    std::string SourceFile;   // the exact paths that the copy uses
    std::string TargetFile;
    // Anything but a file cannot be copied: it fails in every run, from the start.
    TEntryKind Kind = TEntryKind::File;
    TFailReason Reason = TFailReason::None; // of the last failed attempt
    // The exact path below the stick root, under which the record keeps the file.
    std::string RelPath = {};
    // The target as the comparison saw it, or as the last copy left it: a target
    // that is no longer so is not replaced. Unset for an entry that no comparison made.
    std::optional<TPathState> TargetSeen = {};
    // Both sides were changed: the target's version is kept beside it first.
    bool Conflict = false;
    bool OlderKept = false;
    // Both sides after the last attempt, when it succeeded and left them alike.
    std::optional<TInStep> InStepAfterCopy = {};
};

// A folder that one side's walk leaves out because it is the other side's root:
// copying it would put that tree into itself on every run. Never copied.
struct TOtherRoot {
    std::string Path;         // as the user sees it, ending with the delimiter
    bool ToStickFlag = false; // in the computer folder's tree, beside what goes to the stick
};

// Ordered and owning; entries are held by pointer so that their addresses stay
// stable for the list boxes that refer to them.
using TCopyList = std::vector<std::unique_ptr<TCopyEntry>>;
