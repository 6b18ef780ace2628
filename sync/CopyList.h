#pragma once

#include <memory>
#include <string>
#include <vector>

// One planned copy, made by the comparison and carried out by the copy run.
struct TCopyEntry {
    std::string SourcePath;
    std::string TargetPath;
    bool ToStickFlag = false; // true: from the computer folder onto the stick
    bool Copied = true;       // result of the last copy attempt
};

// Ordered and owning; entries are held by pointer so that their addresses stay
// stable for the list boxes that refer to them.
using TCopyList = std::vector<std::unique_ptr<TCopyEntry>>;
