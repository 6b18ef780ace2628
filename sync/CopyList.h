#pragma once

#include <memory>
#include <string>
#include <vector>

enum class TEntryKind {
    File,           // a file to copy
    UnlistedFolder, // a source folder that could not be listed: whatever it holds is unknown
    CaseTwin, // a file or folder whose name the target holds only once, for a newer twin or another
};

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
};

// Ordered and owning; entries are held by pointer so that their addresses stay
// stable for the list boxes that refer to them.
using TCopyList = std::vector<std::unique_ptr<TCopyEntry>>;
