#pragma once

#include "sync/Compare.h"
#include "sync/CopyList.h"
#include "sync/FileSystem.h"

#include <functional>

struct TCopyRunResult {
    int CopiedCount = 0;
    int FailedCount = 0;
    bool Cancelled = false;
};

// Copies every entry in list order, recording each result in its Copied flag.
// Pumps before each file and stops there when cancel is set; setPosition receives
// the index of the entry about to be copied.
TCopyRunResult RunCopy(TFileSystem& fs, TCopyList& list, const bool& cancel, const TPump& pump,
                       const std::function<void(int)>& setPosition);
