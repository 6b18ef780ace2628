#include "sync/Compare.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

bool IsSkippedFile(TFileSystem& fs, std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos &&
        std::string_view(".wbk.tmp").find(name.substr(dot)) != std::string_view::npos) {
        return true;
    }
    return name.starts_with('~') || fs.SameText(name, "Korvandel.exe") ||
           fs.SameText(name, "Settings.prp");
}

// Seconds since 1970-01-01 of the same wall clock; both sides are local already.
std::int64_t UnixSeconds(TDosTime time) {
    using namespace std::chrono;
    const year_month_day date{year{1980 + (time.Date >> 9)}, month{(time.Date >> 5) & 15u},
                              day{time.Date & 31u}};
    const std::int64_t days = sys_days{date}.time_since_epoch().count();
    return days * 86400 + (time.Time >> 11) * 3600 + ((time.Time >> 5) & 63) * 60 +
           (time.Time & 31) * 2;
}

// Exactly one hour newer counts as unchanged: a clock shift, not an edit.
bool SourceIsNewer(TDosTime source, TDosTime target) {
    const std::int64_t s = UnixSeconds(source);
    const std::int64_t d = UnixSeconds(target);
    return s > d && s - d != 3600;
}

// One listing of a target folder, answering lookups as the platform's lookup of an
// exact path would: the exact name first, else the first entry that the platform
// takes for the same name.
class TTargetFolder {
  public:
    TTargetFolder(TFileSystem& fs, const std::string& folder) : FFs(fs) {
        std::vector<TFolderEntry> entries;
        FFs.ListFolder(folder, entries); // a folder that cannot be listed finds nothing
        for (const TFolderEntry& entry : entries) {
            FExact.try_emplace(entry.Name, entry.Time);
            AddFolded(entry.Name, entry.Time);
            AddFolded(entry.AltName, entry.Time);
        }
    }

    const TDosTime* Find(const std::string& name) const {
        if (const auto exact = FExact.find(name); exact != FExact.end()) {
            return &exact->second;
        }
        const std::string key = FFs.NameKey(name);
        if (key.empty()) {
            return nullptr;
        }
        const auto folded = FFolded.find(key);
        return folded == FFolded.end() ? nullptr : &folded->second;
    }

  private:
    void AddFolded(const std::string& name, TDosTime time) {
        if (std::string key = FFs.NameKey(name); !name.empty() && !key.empty()) {
            FFolded.try_emplace(std::move(key), time);
        }
    }

    TFileSystem& FFs;
    std::unordered_map<std::string, TDosTime> FExact;
    std::unordered_map<std::string, TDosTime> FFolded;
};

class TScan {
  public:
    TScan(TFileSystem& fs, TCopyList& list, const bool& cancel, const TPump& pump,
          const std::string& srcRoot, const std::string& dstRoot, bool fromStick)
        : FFs(fs), FList(list), FCancel(cancel), FPump(pump), FSrcRoot(srcRoot), FDstRoot(dstRoot),
          FFromStick(fromStick) {}

    void Folder(const std::string& relPath) {
        FPump();
        if (FCancel) {
            return;
        }
        const std::string folder = FSrcRoot + relPath;
        TFolderId id;
        // Number 0 is what drives without file numbers give every folder.
        const bool known = FFs.FolderIdentity(folder, id) && id.Index != 0;
        // A link back to a folder on the way down would be walked without end.
        if (known && std::find(FPath.begin(), FPath.end(), id) != FPath.end()) {
            return;
        }
        std::vector<TFolderEntry> entries;
        if (!FFs.ListFolder(folder, entries)) {
            return;
        }
        if (known) {
            FPath.push_back(id);
        }
        // Listed only when the first file needs it, once for all files of this folder.
        std::optional<TTargetFolder> target;
        for (const TFolderEntry& entry : entries) {
            if (entry.IsDirectory) {
                if (entry.Name != "." && entry.Name != "..") {
                    Folder(relPath + entry.Name + kPathDelim);
                }
                continue;
            }
            if (IsSkippedFile(FFs, entry.Name)) {
                continue;
            }
            if (!target) {
                target.emplace(FFs, FDstRoot + relPath);
            }
            const TDosTime* found = target->Find(entry.Name);
            if (!found || SourceIsNewer(entry.Time, *found)) {
                FList.push_back(std::make_unique<TCopyEntry>(
                    TCopyEntry{FSrcRoot + relPath + entry.Name, FDstRoot + relPath + entry.Name,
                               !FFromStick, true}));
            }
        }
        if (known) {
            FPath.pop_back();
        }
    }

  private:
    TFileSystem& FFs;
    TCopyList& FList;
    const bool& FCancel;
    const TPump& FPump;
    const std::string& FSrcRoot;
    const std::string& FDstRoot;
    const bool FFromStick;
    std::vector<TFolderId> FPath; // identities of the folders being walked, outermost first
};

} // namespace

std::string FolderRoot(const std::string& folderText) {
    if (!folderText.empty() && folderText.back() == kPathDelim) {
        return folderText;
    }
    return folderText + kPathDelim;
}

void ScanFolder(TFileSystem& fs, TCopyList& list, const bool& cancel, const TPump& pump,
                const std::string& SrcRoot, const std::string& DstRoot, const std::string& RelPath,
                bool FromStick) {
    TScan(fs, list, cancel, pump, SrcRoot, DstRoot, FromStick).Folder(RelPath);
}

void CompareFolders(TFileSystem& fs, TCopyList& list, bool& cancel, const TPump& pump,
                    const std::string& stickText, const std::string& diskText) {
    cancel = false;
    list.clear();
    const std::string stickRoot = FolderRoot(stickText);
    const std::string diskRoot = FolderRoot(diskText);
    ScanFolder(fs, list, cancel, pump, stickRoot, diskRoot, "", true);
    ScanFolder(fs, list, cancel, pump, diskRoot, stickRoot, "", false);
}
