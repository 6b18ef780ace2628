#pragma once

#include "sync/FileSystem.h"

#include <string>

enum class TFolderProblem {
    None,
    Empty,        // nothing typed
    Unnamable,    // the text holds "?" where the code page has no character for the name
    DriveMissing, // the drive of the folder is not there
    Missing,      // the drive is there, the folder not
    SameFolder,   // both texts reach one folder
};

struct TFolderCheck {
    TFolderProblem Problem = TFolderProblem::None;
    bool Stick = false; // which field: the stick's or the computer's
    std::string Shown;  // the folder text, for DriveMissing the drive's root
};

// Checks the stick's field, then the computer's, then both together; the first
// problem found is the answer. Nothing is created.
TFolderCheck CheckFolders(TFileSystem& fs, const std::string& stickText,
                          const std::string& diskText);
