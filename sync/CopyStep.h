#pragma once

#include "sync/CopyList.h"
#include "sync/FileSystem.h"

#include <string>
#include <string_view>

enum class TCopyOutcome { Failed, Copied, CopiedKeepingOlder };

// Copies one entry's file after looking at both sides again: a target that is no
// longer as the entry saw it is left alone (ChangedSinceCompare); for a conflict
// the target's version is first kept under ConflictPath, and without that copy
// the target is not replaced either. A successful copy that leaves both sides
// alike is kept in the entry for the record.
// The reason of a failure goes into the entry; progress is told as the copy goes.
TCopyOutcome CopyEntry(TFileSystem& fs, TCopyEntry& entry, std::string_view computerName,
                       const TCopyProgress& progress);

// "Name (Konflikt JJJJ-MM-TT HH.MM Computer).ext" beside path, with the time of the
// version kept; from the second attempt on a number follows the parenthesis.
std::string ConflictPath(std::string_view path, TDosTime time, std::string_view computerName,
                         unsigned attempt);
