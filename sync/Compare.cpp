#include "sync/Compare.h"

#include "sync/InStep.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// The platform's comparison decides whether a name is one of the fixed names.
// It passes over hyphens and apostrophes and folds letters by the user's
// locale, so only a name of another length made of printable ASCII without
// those two can be told apart here; that spares the costly call for nearly
// every file, and every other name gets the platform's answer.
bool IsFixedName(TFileSystem& fs, std::string_view name, std::string_view fixed) {
    const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
        return c >= 0x20 && c < 0x7f && c != '-' && c != '\'';
    });
    return !(plain && name.size() != fixed.size()) && fs.SameText(name, fixed);
}

bool IsSkippedFile(TFileSystem& fs, std::string_view name) {
    // Deliberately a substring test: every tail of ".wbk.tmp" is an editor's scratch
    // extension to leave behind (".tmp", ".wb", ".t", a bare "."), and case counts.
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos &&
        std::string_view(".wbk.tmp").find(name.substr(dot)) != std::string_view::npos) {
        return true;
    }
    return name.starts_with('~') || IsFixedName(fs, name, "Korvandel.exe") ||
           IsFixedName(fs, name, "Settings.prp");
}

// Both sides are local already.
std::int64_t UnixSeconds(TDosTime time) {
    return WallSeconds(time);
}

// Exactly one hour newer counts as unchanged: a clock shift, not an edit.
bool SourceIsNewer(TDosTime source, TDosTime target) {
    const std::int64_t s = UnixSeconds(source);
    const std::int64_t d = UnixSeconds(target);
    return s > d && s - d != 3600;
}

bool IsDelimiter(char c) {
    return c == kPathDelim || (kHasDriveLetters && c == '/');
}

bool IsDotEntry(const TFolderEntry& entry) {
    return entry.Name == "." || entry.Name == "..";
}

constexpr std::size_t kOffInnerPath = static_cast<std::size_t>(-1);

// A folder's path in both forms: exact for the file system, as text for the user.
// Both end with the delimiter.
struct TFolderPaths {
    std::string Exact;
    std::string Text;
};

TFolderPaths At(const TFolderPaths& root, const std::string& relPath) {
    return {root.Exact + relPath, root.Text + PathText(relPath)};
}

// One folder listing that answers lookups as the platform's lookup of an exact path
// would: the exact name first, else the first entry that the platform takes for
// the same name. The lookup tables are made on the first lookup that needs them.
class TListing {
  public:
    explicit TListing(TFileSystem& fs) : FFs(fs) {}
    TListing(const TListing&) = delete;
    TListing& operator=(const TListing&) = delete;

    TReadResult Read(const std::string& folder) { return FFs.ListFolder(folder, FEntries); }
    const std::vector<TFolderEntry>& Entries() const { return FEntries; }

    // The entry of exactly this name, or null.
    const TFolderEntry* Exact(std::string_view name) {
        if (FExact.empty()) {
            FExact.reserve(FEntries.size());
            for (const TFolderEntry& entry : FEntries) {
                FExact.try_emplace(entry.Name, &entry);
            }
        }
        const auto exact = FExact.find(name);
        return exact == FExact.end() ? nullptr : exact->second;
    }

    // With `several`: set when the platform takes more than one entry for the name,
    // the exact one among them or not; without an exact one the newest of them is
    // given then.
    const TFolderEntry* Find(std::string_view name, bool* several = nullptr) {
        const TFolderEntry* found = Exact(name);
        if (found && !several) {
            return found;
        }
        const std::string key = FFs.NameKey(name);
        if (key.empty()) {
            return found;
        }
        if (!FFoldedMade) {
            FFoldedMade = true;
            for (const TFolderEntry& entry : FEntries) {
                AddFolded(entry.Name, entry);
                AddFolded(entry.AltName, entry);
            }
        }
        const auto folded = FFolded.find(key);
        if (folded == FFolded.end()) {
            return found;
        }
        if (several && folded->second.Newest) {
            *several = true;
            return found ? found : folded->second.Newest;
        }
        return found ? found : folded->second.First;
    }

    // Case twins here: of the children that the platform takes for one name, every
    // one but the newest (the first listed of equally new ones) is a lesser twin;
    // files and folders apart, since a file and a folder of one name are not twins
    // (the copy fails for whichever comes second). Skipped files are no twins, nor
    // is innerRoot, if this listing holds it, since nothing is copied into its
    // place; it is the same for every call on one listing.
    bool IsLesserTwin(const TFolderEntry& entry, const TFolderEntry* innerRoot) {
        MakeTwins(innerRoot);
        return !FLesser.empty() && FLesser[static_cast<std::size_t>(&entry - FEntries.data())];
    }
    // Whether the name has folder twins here and is not exactly the newest of them,
    // the one twin that a walk goes into.
    bool NamesALesserFolderTwin(std::string_view name, const TFolderEntry* innerRoot) {
        MakeTwins(innerRoot);
        if (FLesser.empty()) {
            return false;
        }
        const auto twins = FNewest[true].find(FFs.NameKey(name));
        return twins != FNewest[true].end() && twins->second.Several &&
               FEntries[twins->second.Index].Name != name;
    }

  private:
    struct TFolded {
        const TFolderEntry* First = nullptr;
        const TFolderEntry* Newest = nullptr; // only when there are several
    };
    struct TNewest {
        explicit TNewest(std::size_t index) : Index(index) {}
        std::size_t Index;
        bool Several = false;
    };

    void MakeTwins(const TFolderEntry* innerRoot) {
        if (std::exchange(FTwinsMade, true)) {
            return;
        }
        for (std::size_t i = 0; i < FEntries.size(); ++i) {
            const TFolderEntry& entry = FEntries[i];
            if (entry.IsDirectory ? IsDotEntry(entry) || &entry == innerRoot
                                  : IsSkippedFile(FFs, entry.Name)) {
                continue;
            }
            std::string key = FFs.NameKey(entry.Name);
            if (key.empty()) {
                FLesser.clear(); // names match exactly here
                return;
            }
            const auto [kept, added] = FNewest[entry.IsDirectory].try_emplace(std::move(key), i);
            if (added) {
                continue;
            }
            kept->second.Several = true;
            FLesser.resize(FEntries.size());
            std::size_t& newest = kept->second.Index;
            if (UnixSeconds(entry.Time) > UnixSeconds(FEntries[newest].Time)) {
                FLesser[newest] = true;
                newest = i;
            } else {
                FLesser[i] = true;
            }
        }
    }

    void AddFolded(const std::string& name, const TFolderEntry& entry) {
        std::string key = FFs.NameKey(name);
        if (name.empty() || key.empty()) {
            return;
        }
        TFolded& folded = FFolded[std::move(key)];
        if (!folded.First) {
            folded.First = &entry;
        } else if (folded.First != &entry) {
            const TFolderEntry* newest = folded.Newest ? folded.Newest : folded.First;
            folded.Newest = UnixSeconds(entry.Time) > UnixSeconds(newest->Time) ? &entry : newest;
        }
    }

    TFileSystem& FFs;
    std::vector<TFolderEntry> FEntries;
    std::unordered_map<std::string_view, const TFolderEntry*> FExact;
    std::unordered_map<std::string, TFolded> FFolded;
    bool FFoldedMade = false;
    // FLesser by entry, empty where there are no twins; FNewest by name key.
    std::vector<bool> FLesser;
    std::unordered_map<std::string, TNewest> FNewest[2]; // files, folders
    bool FTwinsMade = false;
};

// The folders being walked, outermost first. Without links the folders form a
// tree and no walk can come back onto its path, so identities are asked for only
// from the first link down, and of a folder above it at most once.
class TPathGuard {
  public:
    explicit TPathGuard(TFileSystem& fs) : FFs(fs) {}

    // false when the folder is one of those on the path already.
    bool Enter(const std::string& folder, bool isLink) {
        TFrame frame;
        frame.Folder = folder;
        frame.BelowLink = isLink || (!FFrames.empty() && FFrames.back().BelowLink);
        if (frame.BelowLink) {
            if (const TFolderId* id = IdOf(frame)) {
                for (TFrame& outer : FFrames) {
                    if (const TFolderId* outerId = IdOf(outer); outerId && *outerId == *id) {
                        return false;
                    }
                }
            }
        }
        FFrames.push_back(std::move(frame));
        return true;
    }
    void Leave() { FFrames.pop_back(); }

  private:
    struct TFrame {
        std::string Folder;
        bool BelowLink = false;
        bool Asked = false;
        bool Known = false;
        TFolderId Id;
    };

    const TFolderId* IdOf(TFrame& frame) {
        if (!frame.Asked) {
            frame.Asked = true;
            // Number 0 is what drives without file numbers give every folder.
            frame.Known = FFs.FolderIdentity(frame.Folder, frame.Id) && frame.Id.Index != 0;
        }
        return frame.Known ? &frame.Id : nullptr;
    }

    TFileSystem& FFs;
    std::vector<TFrame> FFrames;
};

// The names of the folders from the outer root down to the inner root, when the
// inner root lies below the outer one; empty otherwise. Copying into a folder
// inside the walked tree would add one more level on every run.
std::vector<std::string> PathInside(TFileSystem& fs, const std::string& outerRoot,
                                    const std::string& innerRoot) {
    TFolderId outer;
    if (!fs.FolderIdentity(outerRoot, outer) || outer.Index == 0) {
        return {};
    }
    std::vector<std::string> names;
    std::string path = innerRoot;
    for (;;) {
        while (!path.empty() && IsDelimiter(path.back())) {
            path.pop_back();
        }
        const auto cut = std::find_if(path.rbegin(), path.rend(), IsDelimiter);
        if (cut == path.rend()) {
            return {};
        }
        const std::size_t at = static_cast<std::size_t>(path.rend() - cut);
        std::string name = path.substr(at);
        if (name == "." || name == "..") {
            return {};
        }
        names.insert(names.begin(), std::move(name));
        path.resize(at);
        TFolderId id;
        if (fs.FolderIdentity(path, id) && id == outer) {
            return names;
        }
    }
}

// Where a walk stands on the way to the inner root: the depth reached, or kOffInnerPath.
struct TInnerPath {
    const std::vector<std::string>& Names;
    std::size_t Depth;

    // The child of a listed folder that leads on towards the inner root, or null.
    const TFolderEntry* Next(TListing& listing) const {
        if (Depth >= Names.size()) {
            return nullptr;
        }
        const TFolderEntry* next = listing.Find(Names[Depth]);
        return next && next->IsDirectory ? next : nullptr;
    }
    // For the child next: false when it is the inner root itself, which is not walked.
    bool Walks(const TFolderEntry* child, const TFolderEntry* next) const {
        return child != next || Depth + 1 < Names.size();
    }
    TInnerPath Below(const TFolderEntry* child, const TFolderEntry* next) const {
        return {Names, child == next ? Depth + 1 : kOffInnerPath};
    }
    // The inner root itself when the listed folder holds it, or null.
    const TFolderEntry* Root(TListing& listing) const {
        const TFolderEntry* next = Next(listing);
        return next && !Walks(next, next) ? next : nullptr;
    }
};

// The other side's listing of the folder being looked at, with the walk's place
// there on the way to its inner root.
struct TOtherSide {
    TListing& Listing;
    TInnerPath Inner;
};

// The children of a listed folder that the comparison looks at, in listing
// order: each folder to walk with the inner path below it (not "." or "..",
// not the inner root), and each file that is not one of the skipped ones, with
// whether it is a lesser case twin. A folder is not walked where its files could
// land in a twin's place: when it is a lesser twin, or when its name in the
// target folder, if given, is not exactly the twin there that the other direction
// walks; it comes as a lesser file does, to fail as a whole. The target is given
// where it is listed anyway: a walk that goes on alone goes below a folder that
// the target does not have.
template <class TOnFolder, class TOnFile>
void ForEachChild(TFileSystem& fs, TListing& listing, const TInnerPath& inner,
                  const TOtherSide* target, TOnFolder onFolder, TOnFile onFile) {
    const TFolderEntry* next = inner.Next(listing);
    const std::vector<TFolderEntry>& entries = listing.Entries();
    const TFolderEntry* innerRoot = inner.Root(listing);
    const TFolderEntry* targetRoot = target ? target->Inner.Root(target->Listing) : nullptr;
    for (const TFolderEntry& entry : entries) {
        const bool lesserTwin = listing.IsLesserTwin(entry, innerRoot);
        if (!entry.IsDirectory) {
            if (!IsSkippedFile(fs, entry.Name)) {
                onFile(entry, lesserTwin);
            }
            continue;
        }
        if (IsDotEntry(entry) || !inner.Walks(&entry, next)) {
            continue;
        }
        if (lesserTwin ||
            (target && target->Listing.NamesALesserFolderTwin(entry.Name, targetRoot))) {
            onFile(entry, true);
        } else {
            onFolder(entry, inner.Below(&entry, next));
        }
    }
}

// name is empty for a folder's own entry.
std::unique_ptr<TCopyEntry> MakeEntry(const TFolderPaths& src, const TFolderPaths& dst,
                                      const std::string& name, bool fromStick, TEntryKind kind) {
    auto entry = std::make_unique<TCopyEntry>();
    const std::string nameText = PathText(name);
    entry->SourcePath = src.Text + nameText;
    entry->TargetPath = dst.Text + nameText;
    entry->ToStickFlag = !fromStick;
    entry->Copied = kind == TEntryKind::File;
    entry->SourceFile = src.Exact + name;
    entry->TargetFile = dst.Exact + name;
    entry->Kind = kind;
    return entry;
}

// The copy of a file that is missing or older in the target folder, or null. One
// target never takes the contents of two names: a lesser twin fails (a folder as
// a whole, its paths ending with the delimiter); so does a
// newer file whose target is one of several twins there, or is found under the name
// of another file of the source folder, since the copy would put one name's
// contents in another's place. With rules, a file that both sides hold and the
// record knows goes by who changed it, and one in step is noted for the next record.
std::unique_ptr<TCopyEntry> CompareFile(TListing& source, TListing& target,
                                        const TFolderEntry& file, bool lesserTwin,
                                        const TFolderPaths& src, const TFolderPaths& dst,
                                        bool fromStick, TInStepRules* rules) {
    bool several = false;
    const TFolderEntry* found = lesserTwin ? nullptr : target.Find(file.Name, &several);
    const std::string relPath = rules ? rules->PathOf((fromStick ? src : dst).Exact,
                                                      found && !fromStick ? found->Name : file.Name)
                                      : std::string();
    if (lesserTwin) {
        auto entry = MakeEntry(src, dst, file.IsDirectory ? file.Name + kPathDelim : file.Name,
                               fromStick, TEntryKind::CaseTwin);
        entry->RelPath = relPath;
        return entry;
    }
    const bool bothFiles = found && !found->IsDirectory;
    const TSideStamp sourceSide{file.Time, file.Size};
    const TSideStamp targetSide{found ? found->Time : TDosTime{}, found ? found->Size : 0};
    TPairVerdict verdict = bothFiles && rules
                               ? rules->Judge(relPath, sourceSide, targetSide, fromStick)
                               : TPairVerdict::TodaysRules;
    if (verdict == TPairVerdict::TodaysRules && found) {
        const bool inStep = !SourceIsNewer(file.Time, found->Time) &&
                            !SourceIsNewer(found->Time, file.Time) && file.Size == found->Size;
        verdict = !SourceIsNewer(file.Time, found->Time)
                      ? (bothFiles && inStep ? TPairVerdict::InStep : TPairVerdict::Leave)
                      : TPairVerdict::Copy;
    }
    if (verdict == TPairVerdict::InStep && rules && fromStick) {
        rules->NoteInStep(relPath, {sourceSide, targetSide});
    }
    if (verdict == TPairVerdict::InStep || verdict == TPairVerdict::Leave) {
        return nullptr;
    }
    const bool another = found && found->Name != file.Name && source.Exact(found->Name);
    auto entry = MakeEntry(src, dst, file.Name, fromStick,
                           several || another ? TEntryKind::CaseTwin : TEntryKind::File);
    entry->RelPath = relPath;
    entry->Conflict = verdict == TPairVerdict::Conflict;
    entry->TargetSeen =
        found ? TPathState{TReadResult::Ok, found->IsDirectory, found->Time, found->Size}
              : TPathState{};
    return entry;
}

// One direction of the comparison, walking the source tree as it stands.
class TScan {
  public:
    TScan(TFileSystem& fs, TCopyList& list, const bool& cancel, const TPump& pump,
          const TFolderPaths& srcRoot, const TFolderPaths& dstRoot, bool fromStick,
          TInStepRules* rules)
        : FFs(fs), FList(list), FCancel(cancel), FPump(pump), FSrcRoot(srcRoot), FDstRoot(dstRoot),
          FFromStick(fromStick), FGuard(fs), FRules(rules) {}

    TPathGuard& Guard() { return FGuard; }

    void Folder(const std::string& relPath, bool isLink, const TInnerPath& inner) {
        FPump();
        if (FCancel) {
            return;
        }
        const std::string folder = FSrcRoot.Exact + relPath;
        if (!FGuard.Enter(folder, isLink)) {
            return;
        }
        TListing source(FFs);
        const TReadResult read = source.Read(folder);
        if (read == TReadResult::Ok) {
            Files(source, relPath, inner);
        } else if (read == TReadResult::Failed) {
            Unlisted(relPath);
        }
        FGuard.Leave();
    }

    // A source folder that is there but cannot be listed.
    void Unlisted(const std::string& relPath) {
        FList.push_back(MakeEntry(At(FSrcRoot, relPath), At(FDstRoot, relPath), "", FFromStick,
                                  TEntryKind::UnlistedFolder));
        FList.back()->RelPath = relPath;
    }

  private:
    void Files(TListing& source, const std::string& relPath, const TInnerPath& inner) {
        const TFolderPaths srcFolder = At(FSrcRoot, relPath);
        const TFolderPaths dstFolder = At(FDstRoot, relPath);
        // Listed only when the first file needs it, once for all files of this folder.
        std::optional<TListing> target;
        ForEachChild(
            FFs, source, inner, nullptr,
            [&](const TFolderEntry& folder, const TInnerPath& below) {
                Folder(relPath + folder.Name + kPathDelim, folder.IsLink, below);
            },
            [&](const TFolderEntry& file, bool lesserTwin) {
                if (!target) {
                    target.emplace(FFs).Read(dstFolder.Exact);
                }
                if (auto copy = CompareFile(source, *target, file, lesserTwin, srcFolder, dstFolder,
                                            FFromStick, FRules)) {
                    FList.push_back(std::move(copy));
                }
            });
    }

    TFileSystem& FFs;
    TCopyList& FList;
    const bool& FCancel;
    const TPump& FPump;
    const TFolderPaths& FSrcRoot;
    const TFolderPaths& FDstRoot;
    const bool FFromStick;
    TPathGuard FGuard;
    TInStepRules* FRules;
};

// What the computer-to-stick direction finds in one computer folder that the
// stick-to-computer walk listed already, kept until that direction runs so that no
// folder is listed twice. Holds only the findings, in enumeration order, not the
// listing.
struct TKeptFolder {
    // Unlisted: not looked at yet; Empty: not there; Failed: there but not listable.
    enum class TState { Unlisted, Empty, Failed, Listed };

    std::string Name;
    bool IsLink = false;
    std::size_t InnerDepth = kOffInnerPath;
    TState State = TState::Unlisted;
    // Each item is either a finding or a sub-folder.
    struct TItem {
        std::unique_ptr<TCopyEntry> Entry;
        std::unique_ptr<TKeptFolder> Folder;
    };
    std::vector<TItem> Items;
};

// Both directions with one listing per folder: the stick tree is walked as the
// first direction walks it, and each computer folder with a stick twin is listed
// beside it; the second direction then hands out what was kept, in its own order
// and with its own pumps, and walks only the computer folders without a twin.
class TCompareRun {
  public:
    TCompareRun(TFileSystem& fs, TCopyList& list, const bool& cancel, const TPump& pump,
                const TFolderPaths& stickRoot, const TFolderPaths& diskRoot, TInStepRules* rules)
        : FFs(fs), FList(list), FCancel(cancel), FPump(pump), FRules(rules), FStickRoot(stickRoot),
          FDiskRoot(diskRoot), FDiskInStick(PathInside(fs, stickRoot.Exact, diskRoot.Exact)),
          FStickInDisk(PathInside(fs, diskRoot.Exact, stickRoot.Exact)),
          FToDisk(fs, list, cancel, pump, stickRoot, diskRoot, true, rules),
          FToStick(fs, list, cancel, pump, diskRoot, stickRoot, false, rules) {}

    void Run() {
        TKeptFolder root;
        root.InnerDepth = 0;
        Twins("", "", false, {FDiskInStick, 0}, root);
        HandOut(root, "");
    }

  private:
    void Twins(const std::string& stickRel, const std::string& diskRel, bool stickIsLink,
               const TInnerPath& stickInner, TKeptFolder& kept) {
        FPump();
        if (FCancel) {
            return;
        }
        TPathGuard& stickGuard = FToDisk.Guard();
        const std::string stickFolder = FStickRoot.Exact + stickRel;
        if (!stickGuard.Enter(stickFolder, stickIsLink)) {
            return;
        }
        TListing stick(FFs);
        const TReadResult read = stick.Read(stickFolder);
        if (read == TReadResult::Ok) {
            TListing disk(FFs);
            std::vector<TKeptFolder*> diskFolders;
            switch (disk.Read(FDiskRoot.Exact + diskRel)) {
            case TReadResult::Ok:
                kept.State = TKeptFolder::TState::Listed;
                diskFolders = Keep(kept, disk, {stick, stickInner}, diskRel);
                break;
            case TReadResult::Missing:
                kept.State = TKeptFolder::TState::Empty;
                break;
            case TReadResult::Failed:
                kept.State = TKeptFolder::TState::Failed;
                break;
            }
            StickFiles(stick, {disk, {FStickInDisk, kept.InnerDepth}}, diskFolders, stickRel,
                       diskRel, stickInner);
        } else if (read == TReadResult::Failed) {
            FToDisk.Unlisted(stickRel);
        }
        stickGuard.Leave();
    }

    // The second direction's findings in one computer folder, against its stick twin.
    // Returns the kept sub-folders by their place in the listing.
    std::vector<TKeptFolder*> Keep(TKeptFolder& kept, TListing& disk, const TOtherSide& stickSide,
                                   const std::string& diskRel) {
        TListing& stick = stickSide.Listing;
        std::vector<TKeptFolder*> folders(disk.Entries().size());
        const TFolderPaths diskFolder = At(FDiskRoot, diskRel);
        const TFolderPaths stickFolder = At(FStickRoot, diskRel);
        ForEachChild(
            FFs, disk, {FStickInDisk, kept.InnerDepth}, &stickSide,
            [&](const TFolderEntry& entry, const TInnerPath& below) {
                auto folder = std::make_unique<TKeptFolder>();
                folder->Name = entry.Name;
                folder->IsLink = entry.IsLink;
                folder->InnerDepth = below.Depth;
                folders[static_cast<std::size_t>(&entry - disk.Entries().data())] = folder.get();
                kept.Items.push_back({nullptr, std::move(folder)});
            },
            [&](const TFolderEntry& file, bool lesserTwin) {
                if (auto copy = CompareFile(disk, stick, file, lesserTwin, diskFolder, stickFolder,
                                            false, FRules)) {
                    kept.Items.push_back({std::move(copy), nullptr});
                }
            });
        return folders;
    }

    void StickFiles(TListing& stick, const TOtherSide& diskSide,
                    const std::vector<TKeptFolder*>& diskFolders, const std::string& stickRel,
                    const std::string& diskRel, const TInnerPath& inner) {
        TListing& disk = diskSide.Listing;
        const TFolderPaths stickFolder = At(FStickRoot, stickRel);
        const TFolderPaths diskFolder = At(FDiskRoot, stickRel);
        ForEachChild(
            FFs, stick, inner, &diskSide,
            [&](const TFolderEntry& entry, const TInnerPath& below) {
                const std::string childRel = stickRel + entry.Name + kPathDelim;
                if (TKeptFolder* twin = TwinOf(disk, diskFolders, stick, entry)) {
                    Twins(childRel, diskRel + twin->Name + kPathDelim, entry.IsLink, below, *twin);
                } else {
                    FToDisk.Folder(childRel, entry.IsLink, below);
                }
            },
            [&](const TFolderEntry& file, bool lesserTwin) {
                if (auto copy = CompareFile(stick, disk, file, lesserTwin, stickFolder, diskFolder,
                                            true, FRules)) {
                    FList.push_back(std::move(copy));
                }
            });
    }

    // The kept computer folder that both directions reach under the stick folder's
    // name and under its own, or null.
    static TKeptFolder* TwinOf(TListing& disk, const std::vector<TKeptFolder*>& diskFolders,
                               TListing& stick, const TFolderEntry& stickFolder) {
        if (diskFolders.empty()) {
            return nullptr;
        }
        const TFolderEntry* diskFolder = disk.Find(stickFolder.Name);
        if (!diskFolder || stick.Find(diskFolder->Name) != &stickFolder) {
            return nullptr;
        }
        return diskFolders[static_cast<std::size_t>(diskFolder - disk.Entries().data())];
    }

    // The second direction over a kept folder: the same pumps and the same order as
    // its walk would have.
    void HandOut(TKeptFolder& kept, const std::string& diskRel) {
        if (kept.State == TKeptFolder::TState::Unlisted) {
            FToStick.Folder(diskRel, kept.IsLink, {FStickInDisk, kept.InnerDepth});
            return;
        }
        FPump();
        if (FCancel || kept.State == TKeptFolder::TState::Empty ||
            !FToStick.Guard().Enter(FDiskRoot.Exact + diskRel, kept.IsLink)) {
            return;
        }
        if (kept.State == TKeptFolder::TState::Failed) {
            FToStick.Unlisted(diskRel);
            FToStick.Guard().Leave();
            return;
        }
        for (TKeptFolder::TItem& item : kept.Items) {
            if (item.Entry) {
                FList.push_back(std::move(item.Entry));
            } else {
                HandOut(*item.Folder, diskRel + item.Folder->Name + kPathDelim);
            }
        }
        FToStick.Guard().Leave();
    }

    TFileSystem& FFs;
    TCopyList& FList;
    const bool& FCancel;
    const TPump& FPump;
    TInStepRules* FRules;
    const TFolderPaths& FStickRoot;
    const TFolderPaths& FDiskRoot;
    const std::vector<std::string> FDiskInStick;
    const std::vector<std::string> FStickInDisk;
    TScan FToDisk;
    TScan FToStick;
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
    const TFolderPaths src{ExactPath(SrcRoot), SrcRoot};
    const TFolderPaths dst{ExactPath(DstRoot), DstRoot};
    const std::string relPath = ExactPath(SrcRoot + RelPath).substr(src.Exact.size());
    const std::vector<std::string> inner = PathInside(fs, src.Exact + relPath, dst.Exact);
    TScan(fs, list, cancel, pump, src, dst, FromStick, nullptr).Folder(relPath, false, {inner, 0});
}

void CompareFolders(TFileSystem& fs, TCopyList& list, bool& cancel, const TPump& pump,
                    const std::string& stickText, const std::string& diskText,
                    TSyncRecord* record) {
    cancel = false;
    list.clear();
    const std::string stickRoot = FolderRoot(stickText);
    const std::string diskRoot = FolderRoot(diskText);
    const TFolderPaths stick{ExactPath(stickRoot), stickRoot};
    std::optional<TInStepRules> rules;
    if (record) {
        rules.emplace(*record, stick.Exact.size());
    }
    TCompareRun(fs, list, cancel, pump, stick, {ExactPath(diskRoot), diskRoot},
                rules ? &*rules : nullptr)
        .Run();
    if (rules && !cancel) {
        *record = rules->Finish(list);
    }
}
