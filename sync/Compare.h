#pragma once

#include "sync/CopyList.h"
#include "sync/FileSystem.h"
#include "sync/SyncRecord.h"

#include <functional>
#include <string>
#include <vector>

// Handles the window messages waiting at that moment and returns without waiting.
using TPump = std::function<void()>;

// The folder text with the delimiter appended unless it ends with one; an empty
// text becomes a lone delimiter, the root of the current drive.
std::string FolderRoot(const std::string& folderText);

// Appends an entry for every file below SrcRoot + RelPath that is missing or older
// under DstRoot + RelPath. Pumps once per folder and reads cancel right after.
void ScanFolder(TFileSystem& fs, TCopyList& list, const bool& cancel, const TPump& pump,
                const std::string& SrcRoot, const std::string& DstRoot, const std::string& RelPath,
                bool FromStick);

// The whole comparison run: clears cancel and the list, then stick to computer,
// then computer to stick. With a record, a file that both sides hold and the
// record knows goes by which side changed since; the record takes every file
// found in step, and a run that is not cancelled drops the rest from it, but for
// the files listed. otherRoots, if given, is cleared and takes the folder that
// one side's walk leaves out as the other side's root.
void CompareFolders(TFileSystem& fs, TCopyList& list, bool& cancel, const TPump& pump,
                    const std::string& stickText, const std::string& diskText,
                    TSyncRecord* record = nullptr, std::vector<TOtherRoot>* otherRoots = nullptr);
