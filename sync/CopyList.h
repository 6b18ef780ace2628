#pragma once

#include <memory>
#include <string>
#include <vector>

enum class TEntryKind {
    File,           // a file to copy
    UnlistedFolder, // a source folder that could not be listed: whatever it holds is unknown
    CaseTwin, // a file or folder whose name the target holds only once, for a newer twin or another
};

// Why an entry could not be copied, kept with the entry for the list and the report.
enum class TFailReason : unsigned char {
    None,
    AccessDenied,
    InUse,
    DiskFull,
    DriveGone,
    TooBigForFat,
    CaseTwin,
    Unlisted,
    ChangedSinceCompare, // the target is no longer as the comparison saw it
    NameOfAnotherFile,   // the target name reaches a file that has another long name
    SourceGone,
    Other,
};

// Why an entry of that kind fails in every run; None for a file.
TFailReason KindReason(TEntryKind kind);

// The reason in a few German words, in the ANSI code page; empty for None.
const char* FailReasonText(TFailReason reason);

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
};

// Ordered and owning; entries are held by pointer so that their addresses stay
// stable for the list boxes that refer to them.
using TCopyList = std::vector<std::unique_ptr<TCopyEntry>>;
