#pragma once

#include "sync/Compare.h"
#include "sync/CopyList.h"
#include "sync/FileSystem.h"

#include <functional>
#include <string_view>

struct TCopyRunResult {
    int CopiedCount = 0;
    int FailedCount = 0;
    bool Cancelled = false;
    int KeptOlderCount = 0; // conflicts copied, the replaced version kept beside
};

// Copies every entry in list order, recording each result in its Copied flag.
// Pumps before each file and stops there when cancel is set; setPosition receives
// the index of the entry about to be copied. computerName goes into the names of
// kept conflicting versions.
TCopyRunResult RunCopy(TFileSystem& fs, TCopyList& list, const bool& cancel, const TPump& pump,
                       const std::function<void(int)>& setPosition,
                       std::string_view computerName = {});
