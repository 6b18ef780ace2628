#include "sync/Compare.h"

#include "sync/InStep.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Whether an ASCII letter or digit (folded to lower case) is in neither fixed name.
constexpr bool IsForeignToFixedNames(char c) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    if ((lower < 'a' || lower > 'z') && (lower < '0' || lower > '9'))
        return false;
    return std::string_view("korvandelexsettingsprp").find(lower) == std::string_view::npos;
}

constexpr auto kForeignToFixedNames = [] {
    std::array<bool, 128> foreign{};
    for (std::size_t c = 0; c < foreign.size(); ++c)
        foreign[c] = IsForeignToFixedNames(static_cast<char>(c));
    return foreign;
}();

// The platform's comparison decides whether a name is one of the fixed names.
// It passes over hyphens and apostrophes and folds letters by the user's
// locale. Cheap tests spare that costly call for nearly every file: a letter or
// digit of plain ASCII that neither fixed name holds weighs as itself in every
// locale, so that name is neither; and a name of printable ASCII is told apart
// when it holds another number of other characters than the fixed names.
bool IsFixedName(TFileSystem& fs, std::string_view name) {
    constexpr std::string_view kProgram = "Korvandel.exe";
    constexpr std::string_view kSettings = "Settings.prp";
    std::size_t weighed = 0;
    bool plain = true;
    for (const char c : name) {
        if (c < 0x20 || c >= 0x7f) {
            plain = false;
            continue;
        }
        if (kForeignToFixedNames[static_cast<unsigned char>(c)])
            return false;
        weighed += c != '-' && c != '\'';
    }
    if (!plain)
        return fs.SameText(name, kProgram) || fs.SameText(name, kSettings);
    return (weighed == kProgram.size() && fs.SameText(name, kProgram)) ||
           (weighed == kSettings.size() && fs.SameText(name, kSettings));
}

bool IsSkippedFile(TFileSystem& fs, std::string_view name) {
    // Deliberately a substring test: every tail of ".wbk.tmp" is an editor's scratch
    // extension to leave behind (".tmp", ".wb", ".t", a bare "."), and case counts.
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos &&
        std::string_view(".wbk.tmp").find(name.substr(dot)) != std::string_view::npos)
        return true;
    return name.starts_with('~') || IsFixedName(fs, name);
}

// Exactly one hour newer counts as unchanged: a clock shift, not an edit.
bool SourceIsNewer(TDosTime source, TDosTime target) {
    // The packed form orders times as the clock does.
    if (PackedTime(source) <= PackedTime(target))
        return false;
    const std::int64_t s = WallSeconds(source);
    const std::int64_t d = WallSeconds(target);
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

// A name with the key under which the platform finds it.
struct TName {
    std::string_view Name;
    std::string_view Key;
    std::size_t Hash;
};

// Could the platform have made this name as an entry's short alias: at most
// eight characters, a dot and three more, none of them a blank, and the tilde
// that every alias made for a longer name holds.
bool MayBeAlias(std::string_view name) {
    const std::size_t dot = name.find('.');
    const std::size_t base = std::min(dot, name.size());
    return base >= 1 && base <= 8 && name.size() - base <= 4 && name.find(' ') == name.npos &&
           name.find('~') != name.npos &&
           (dot == name.npos || name.find('.', dot + 1) == name.npos);
}

// One folder listing that answers lookups as the platform's lookup of an exact path
// would: the exact name first, else the first entry that the platform takes for
// the same name. Each name is folded once, when the first lookup needs the keys;
// entries of one key are chained in listing order, so that twins are seen at
// once and cost nothing where there are none. Where the platform matches names
// exactly, the key is the name itself.
class TListing {
  public:
    explicit TListing(TFileSystem& fs) : FFs(fs) {}
    TListing(const TListing&) = delete;
    TListing& operator=(const TListing&) = delete;

    TReadResult Read(const std::string& folder) {
        FFolder = folder;
        const TReadResult read = FFs.ListFolder(folder, FEntries);
        FListed = read == TReadResult::Ok;
        return read;
    }
    const std::vector<TFolderEntry>& Entries() const { return FEntries; }

    // The name of one of this listing's entries with its key.
    TName NameOf(const TFolderEntry& entry) {
        Index();
        const std::size_t i = IndexOf(entry);
        return {entry.Name, KeyAt(i), FKeyed[i].Hash};
    }

    // The entry of exactly this name, or null.
    const TFolderEntry* Exact(const TName& name) {
        for (std::uint32_t i = Head(name); i != kNone; i = FKeyed[i].Next)
            if (FEntries[i].Name == name.Name)
                return &FEntries[i];
        return nullptr;
    }

    // With `several`: set when the platform takes more than one entry for the name,
    // the exact one among them or not; without an exact one the newest of them is
    // given then.
    const TFolderEntry* Find(const TName& name, bool* several = nullptr) {
        const std::uint32_t head = Head(name);
        if (head == kNone)
            return ByAlias(name);
        if (FKeyed[head].Next == kNone)
            return &FEntries[head];
        const TFolderEntry* found = Exact(name);
        if (!several)
            return found ? found : &FEntries[head];
        *several = true;
        if (found)
            return found;
        std::uint32_t newest = head;
        for (std::uint32_t i = FKeyed[head].Next; i != kNone; i = FKeyed[i].Next) {
            newest =
                WallSeconds(FEntries[i].Time) > WallSeconds(FEntries[newest].Time) ? i : newest;
        }
        return &FEntries[newest];
    }

    const TFolderEntry* Find(std::string_view name) {
        std::string key;
        return Find(Named(name, key));
    }

    // Case twins here: of the children that the platform takes for one name, every
    // one but the newest (the first listed of equally new ones) is a lesser twin;
    // files and folders apart, since a file and a folder of one name are not twins
    // (the copy fails for whichever comes second). Skipped files are no twins, nor
    // is innerRoot, if this listing holds it, since nothing is copied into its
    // place.
    bool IsLesserTwin(const TFolderEntry& entry, const TFolderEntry* innerRoot) {
        const std::uint32_t head = Head(NameOf(entry));
        if (FKeyed[head].Next == kNone || !IsTwinKind(entry, entry.IsDirectory, innerRoot))
            return false;
        return Newest(head, entry.IsDirectory, innerRoot).Index != IndexOf(entry);
    }
    // Whether the name has folder twins here and is not exactly the newest of them,
    // the one twin that a walk goes into.
    bool NamesALesserFolderTwin(const TName& name, const TFolderEntry* innerRoot) {
        const std::uint32_t head = Head(name);
        if (head == kNone || FKeyed[head].Next == kNone)
            return false;
        const TNewest newest = Newest(head, true, innerRoot);
        return newest.Several && FEntries[newest.Index].Name != name.Name;
    }

  private:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    struct TKeyed {
        std::size_t Hash = 0;
        std::uint32_t Offset = 0; // in FKeys; kNone: the key is the name
        std::uint32_t Length = 0;
        std::uint32_t Next = kNone; // the next entry of the same key
    };
    struct TNewest {
        std::uint32_t Index = kNone;
        bool Several = false;
    };

    // A name that no entry here holds, with its key made into key.
    TName Named(std::string_view name, std::string& key) {
        key = FFs.NameKey(name);
        const std::string_view folded = key.empty() ? name : std::string_view(key);
        return {name, folded, std::hash<std::string_view>{}(folded)};
    }

    std::size_t IndexOf(const TFolderEntry& entry) const {
        return static_cast<std::size_t>(&entry - FEntries.data());
    }

    std::string_view KeyAt(std::size_t i) const {
        const TKeyed& keyed = FKeyed[i];
        return keyed.Offset == kNone ? std::string_view(FEntries[i].Name)
                                     : std::string_view(FKeys).substr(keyed.Offset, keyed.Length);
    }

    void Index() {
        if (FIndexed)
            return;
        FIndexed = true;
        FKeyed.resize(FEntries.size());
        std::size_t slots = 8;
        while (slots < 2 * FEntries.size())
            slots *= 2;
        FSlots.assign(slots, kNone);
        for (std::size_t i = 0; i < FEntries.size(); ++i) {
            TKeyed& keyed = FKeyed[i];
            const std::string key = FFs.NameKey(FEntries[i].Name);
            if (key.empty()) {
                keyed.Offset = kNone;
            } else {
                keyed.Offset = static_cast<std::uint32_t>(FKeys.size());
                keyed.Length = static_cast<std::uint32_t>(key.size());
                FKeys += key;
            }
            keyed.Hash = std::hash<std::string_view>{}(KeyAt(i));
            std::uint32_t& slot = Slot(KeyAt(i), keyed.Hash);
            if (slot == kNone) {
                slot = static_cast<std::uint32_t>(i);
                continue;
            }
            std::uint32_t last = slot;
            while (FKeyed[last].Next != kNone)
                last = FKeyed[last].Next;
            FKeyed[last].Next = static_cast<std::uint32_t>(i);
        }
    }

    // The slot of the key: its first entry, or an empty slot where it would go.
    std::uint32_t& Slot(std::string_view key, std::size_t hash) {
        const std::size_t mask = FSlots.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            const std::uint32_t i = FSlots[at];
            if (i == kNone || (FKeyed[i].Hash == hash && KeyAt(i) == key))
                return FSlots[at];
        }
    }

    // The first entry of the name's key, or kNone.
    std::uint32_t Head(const TName& name) {
        Index();
        return Slot(name.Key, name.Hash);
    }

    bool IsTwinKind(const TFolderEntry& entry, bool folders, const TFolderEntry* innerRoot) {
        if (entry.IsDirectory != folders)
            return false;
        return folders ? !IsDotEntry(entry) && &entry != innerRoot
                       : !IsSkippedFile(FFs, entry.Name);
    }

    // The newest twin of the kind among the entries of one key.
    TNewest Newest(std::uint32_t head, bool folders, const TFolderEntry* innerRoot) {
        TNewest newest;
        for (std::uint32_t i = head; i != kNone; i = FKeyed[i].Next) {
            if (!IsTwinKind(FEntries[i], folders, innerRoot))
                continue;
            if (newest.Index == kNone) {
                newest.Index = i;
                continue;
            }
            newest.Several = true;
            if (WallSeconds(FEntries[i].Time) > WallSeconds(FEntries[newest.Index].Time))
                newest.Index = i;
        }
        return newest;
    }

    // The platform finds an entry by its short alias too; the listing holds no
    // aliases, so a name that could be one is asked for where nothing else matches.
    const TFolderEntry* ByAlias(const TName& name) {
        if (!FListed || !MayBeAlias(name.Name))
            return nullptr;
        const std::string own = FFs.AliasedName(FFolder + std::string(name.Name));
        if (own.empty())
            return nullptr;
        std::string key;
        return Exact(Named(own, key));
    }

    TFileSystem& FFs;
    std::vector<TFolderEntry> FEntries;
    bool FIndexed = false;
    std::string FKeys;                 // every folded key, one after another
    std::vector<TKeyed> FKeyed;        // by entry
    std::vector<std::uint32_t> FSlots; // open addressing by key: the key's first entry
    std::string FFolder;
    bool FListed = false;
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
                for (TFrame& outer : FFrames)
                    if (const TFolderId* outerId = IdOf(outer); outerId && *outerId == *id)
                        return false;
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

// A folder's identity tells it from others only where its volume has a serial
// number and the file system numbers folders: drives without file numbers give
// every folder 0, and two volumes without serial numbers can give their roots
// one number.
bool IsKnown(const TFolderId& id) {
    return id.Volume != 0 && id.Index != 0;
}

// A full path as the platform tells paths apart: without the delimiters at its end
// and with doubled ones single, folded where names are.
std::string PathKey(TFileSystem& fs, std::string_view path) {
    std::string plain;
    for (std::size_t i = 0; i < path.size(); ++i) {
        // The two delimiters that start a network path stay.
        if (i < 2 || !IsDelimiter(path[i]) || !IsDelimiter(path[i - 1]))
            plain += path[i];
    }
    while (!plain.empty() && IsDelimiter(plain.back()))
        plain.pop_back();
    std::string key = fs.NameKey(plain);
    return key.empty() ? plain : key;
}

// The names of the folders from the outer root down to the inner root, when the
// inner root lies below the outer one; empty otherwise. Copying into a folder
// inside the walked tree would add one more level on every run. Identities decide
// where they are known and a folder's differs from its child's, paths elsewhere.
std::vector<std::string> PathInside(TFileSystem& fs, const std::string& outerRoot,
                                    const std::string& innerRoot) {
    TFolderId outer;
    const bool outerKnown = fs.FolderIdentity(outerRoot, outer) && IsKnown(outer);
    const std::string outerKey = PathKey(fs, outerRoot);
    TFolderId child;
    bool childKnown = fs.FolderIdentity(innerRoot, child) && IsKnown(child);
    std::vector<std::string> names;
    std::string path = innerRoot;
    for (;;) {
        while (!path.empty() && IsDelimiter(path.back()))
            path.pop_back();
        const auto cut = std::find_if(path.rbegin(), path.rend(), IsDelimiter);
        if (cut == path.rend())
            return {};
        const std::size_t at = static_cast<std::size_t>(path.rend() - cut);
        std::string name = path.substr(at);
        if (name == "." || name == "..")
            return {};
        names.insert(names.begin(), std::move(name));
        path.resize(at);
        TFolderId id;
        const bool known =
            fs.FolderIdentity(path, id) && IsKnown(id) && !(childKnown && id == child);
        if (outerKnown && known ? id == outer : PathKey(fs, path) == outerKey)
            return names;
        child = id;
        childKnown = known;
    }
}

// Where a walk stands on the way to the inner root: the depth reached, or kOffInnerPath.
struct TInnerPath {
    const std::vector<std::string>& Names;
    std::size_t Depth;

    // The child of a listed folder that leads on towards the inner root, or null.
    const TFolderEntry* Next(TListing& listing) const {
        if (Depth >= Names.size())
            return nullptr;
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
// the target does not have. Returns the inner root when the folder holds it.
template <class TOnFolder, class TOnFile>
const TFolderEntry* ForEachChild(TFileSystem& fs, TListing& listing, const TInnerPath& inner,
                                 const TOtherSide* target, TOnFolder onFolder, TOnFile onFile) {
    const TFolderEntry* next = inner.Next(listing);
    const std::vector<TFolderEntry>& entries = listing.Entries();
    const TFolderEntry* innerRoot = inner.Root(listing);
    const TFolderEntry* targetRoot = target ? target->Inner.Root(target->Listing) : nullptr;
    for (const TFolderEntry& entry : entries) {
        if (!entry.IsDirectory) {
            if (!IsSkippedFile(fs, entry.Name))
                onFile(entry, listing.IsLesserTwin(entry, innerRoot));
            continue;
        }
        if (IsDotEntry(entry) || !inner.Walks(&entry, next))
            continue;
        if (listing.IsLesserTwin(entry, innerRoot) ||
            (target && target->Listing.NamesALesserFolderTwin(listing.NameOf(entry), targetRoot)))
            onFile(entry, true);
        else
            onFolder(entry, inner.Below(&entry, next));
    }
    return innerRoot;
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
    const TFolderEntry* found = lesserTwin ? nullptr : target.Find(source.NameOf(file), &several);
    const std::string_view relPath =
        rules ? std::string_view(rules->PathOf((fromStick ? src : dst).Exact,
                                               found && !fromStick ? found->Name : file.Name))
              : std::string_view();
    if (lesserTwin) {
        auto entry = MakeEntry(src, dst, file.IsDirectory ? file.Name + kPathDelim : file.Name,
                               fromStick, TEntryKind::CaseTwin);
        entry->RelPath = relPath;
        return entry;
    }
    const bool bothFiles = found && !found->IsDirectory;
    const TSideStamp sourceSide{file.Time, file.Size};
    const TSideStamp targetSide{found ? found->Time : TDosTime{}, found ? found->Size : 0};
    const TInStep* last = bothFiles && rules ? rules->Recorded(relPath) : nullptr;
    TPairVerdict verdict = last ? TInStepRules::Judge(last, sourceSide, targetSide, fromStick)
                                : TPairVerdict::TodaysRules;
    if (verdict == TPairVerdict::TodaysRules && found) {
        const bool inStep = !SourceIsNewer(file.Time, found->Time) &&
                            !SourceIsNewer(found->Time, file.Time) && file.Size == found->Size;
        verdict = !SourceIsNewer(file.Time, found->Time)
                      ? (bothFiles && inStep ? TPairVerdict::InStep : TPairVerdict::Leave)
                      : TPairVerdict::Copy;
    }
    if (verdict == TPairVerdict::InStep && rules && fromStick)
        rules->NoteInStep(relPath, last, {sourceSide, targetSide});
    if (verdict == TPairVerdict::InStep || verdict == TPairVerdict::Leave)
        return nullptr;
    const bool another = found && found->Name != file.Name && source.Exact(target.NameOf(*found));
    // Another name of the source that the platform does not take for this one: the
    // target found this name as the short name of the file that the other one names.
    const bool shortName = another && source.Find(found->Name) != source.Find(file.Name);
    auto entry = MakeEntry(src, dst, file.Name, fromStick,
                           shortName            ? TEntryKind::ShortName
                           : several || another ? TEntryKind::CaseTwin
                                                : TEntryKind::File);
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
          TInStepRules* rules, std::vector<TOtherRoot>* otherRoots)
        : FFs(fs), FList(list), FCancel(cancel), FPump(pump), FSrcRoot(srcRoot), FDstRoot(dstRoot),
          FFromStick(fromStick), FGuard(fs), FRules(rules), FOtherRoots(otherRoots) {}

    TPathGuard& Guard() { return FGuard; }

    void Folder(const std::string& relPath, bool isLink, const TInnerPath& inner) {
        FPump();
        if (FCancel)
            return;
        const std::string folder = FSrcRoot.Exact + relPath;
        if (!FGuard.Enter(folder, isLink))
            return;
        TListing source(FFs);
        const TReadResult read = source.Read(folder);
        if (read == TReadResult::Ok)
            Files(source, relPath, inner);
        else if (read == TReadResult::Failed)
            Unlisted(relPath);
        FGuard.Leave();
    }

    // A source folder that is there but cannot be listed.
    void Unlisted(const std::string& relPath) {
        FList.push_back(MakeEntry(At(FSrcRoot, relPath), At(FDstRoot, relPath), "", FFromStick,
                                  TEntryKind::UnlistedFolder));
        FList.back()->RelPath = relPath;
    }

    // The other side's root, found in a source folder and left out.
    void LeftOut(const TFolderPaths& srcFolder, const TFolderEntry* otherRoot) {
        if (otherRoot && FOtherRoots) {
            FOtherRoots->push_back(
                {srcFolder.Text + PathText(otherRoot->Name) + kPathDelim, !FFromStick});
        }
    }

  private:
    void Files(TListing& source, const std::string& relPath, const TInnerPath& inner) {
        const TFolderPaths srcFolder = At(FSrcRoot, relPath);
        const TFolderPaths dstFolder = At(FDstRoot, relPath);
        // Listed only when the first file needs it, once for all files of this folder.
        std::optional<TListing> target;
        const TFolderEntry* otherRoot = ForEachChild(
            FFs, source, inner, nullptr,
            [&](const TFolderEntry& folder, const TInnerPath& below) {
                Folder(relPath + folder.Name + kPathDelim, folder.IsLink, below);
            },
            [&](const TFolderEntry& file, bool lesserTwin) {
                if (!target)
                    target.emplace(FFs).Read(dstFolder.Exact);
                if (auto copy = CompareFile(source, *target, file, lesserTwin, srcFolder, dstFolder,
                                            FFromStick, FRules))
                    FList.push_back(std::move(copy));
            });
        LeftOut(srcFolder, otherRoot);
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
    std::vector<TOtherRoot>* FOtherRoots;
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
                const TFolderPaths& stickRoot, const TFolderPaths& diskRoot, TInStepRules* rules,
                std::vector<TOtherRoot>* otherRoots)
        : FFs(fs), FList(list), FCancel(cancel), FPump(pump), FRules(rules), FStickRoot(stickRoot),
          FDiskRoot(diskRoot), FDiskInStick(PathInside(fs, stickRoot.Exact, diskRoot.Exact)),
          FStickInDisk(PathInside(fs, diskRoot.Exact, stickRoot.Exact)),
          FToDisk(fs, list, cancel, pump, stickRoot, diskRoot, true, rules, otherRoots),
          FToStick(fs, list, cancel, pump, diskRoot, stickRoot, false, rules, otherRoots) {}

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
        if (FCancel)
            return;
        TPathGuard& stickGuard = FToDisk.Guard();
        const std::string stickFolder = FStickRoot.Exact + stickRel;
        if (!stickGuard.Enter(stickFolder, stickIsLink))
            return;
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
        const TFolderEntry* otherRoot = ForEachChild(
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
                                            false, FRules))
                    kept.Items.push_back({std::move(copy), nullptr});
            });
        FToStick.LeftOut(diskFolder, otherRoot);
        return folders;
    }

    void StickFiles(TListing& stick, const TOtherSide& diskSide,
                    const std::vector<TKeptFolder*>& diskFolders, const std::string& stickRel,
                    const std::string& diskRel, const TInnerPath& inner) {
        TListing& disk = diskSide.Listing;
        const TFolderPaths stickFolder = At(FStickRoot, stickRel);
        const TFolderPaths diskFolder = At(FDiskRoot, stickRel);
        const TFolderEntry* otherRoot = ForEachChild(
            FFs, stick, inner, &diskSide,
            [&](const TFolderEntry& entry, const TInnerPath& below) {
                const std::string childRel = stickRel + entry.Name + kPathDelim;
                if (TKeptFolder* twin = TwinOf(disk, diskFolders, stick, entry))
                    Twins(childRel, diskRel + twin->Name + kPathDelim, entry.IsLink, below, *twin);
                else
                    FToDisk.Folder(childRel, entry.IsLink, below);
            },
            [&](const TFolderEntry& file, bool lesserTwin) {
                if (auto copy = CompareFile(stick, disk, file, lesserTwin, stickFolder, diskFolder,
                                            true, FRules))
                    FList.push_back(std::move(copy));
            });
        FToDisk.LeftOut(stickFolder, otherRoot);
    }

    // The kept computer folder that both directions reach under the stick folder's
    // name and under its own, or null.
    static TKeptFolder* TwinOf(TListing& disk, const std::vector<TKeptFolder*>& diskFolders,
                               TListing& stick, const TFolderEntry& stickFolder) {
        if (diskFolders.empty())
            return nullptr;
        const TFolderEntry* diskFolder = disk.Find(stick.NameOf(stickFolder));
        if (!diskFolder || stick.Find(disk.NameOf(*diskFolder)) != &stickFolder)
            return nullptr;
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
            !FToStick.Guard().Enter(FDiskRoot.Exact + diskRel, kept.IsLink))
            return;
        if (kept.State == TKeptFolder::TState::Failed) {
            FToStick.Unlisted(diskRel);
            FToStick.Guard().Leave();
            return;
        }
        for (TKeptFolder::TItem& item : kept.Items)
            if (item.Entry)
                FList.push_back(std::move(item.Entry));
            else
                HandOut(*item.Folder, diskRel + item.Folder->Name + kPathDelim);
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
    if (!folderText.empty() && folderText.back() == kPathDelim)
        return folderText;
    return folderText + kPathDelim;
}

void ScanFolder(TFileSystem& fs, TCopyList& list, const bool& cancel, const TPump& pump,
                const std::string& SrcRoot, const std::string& DstRoot, const std::string& RelPath,
                bool FromStick) {
    const TFolderPaths src{ExactPath(SrcRoot), SrcRoot};
    const TFolderPaths dst{ExactPath(DstRoot), DstRoot};
    const std::string relPath = ExactPath(SrcRoot + RelPath).substr(src.Exact.size());
    const std::vector<std::string> inner = PathInside(fs, src.Exact + relPath, dst.Exact);
    TScan(fs, list, cancel, pump, src, dst, FromStick, nullptr, nullptr)
        .Folder(relPath, false, {inner, 0});
}

void CompareFolders(TFileSystem& fs, TCopyList& list, bool& cancel, const TPump& pump,
                    const std::string& stickText, const std::string& diskText, TSyncRecord* record,
                    std::vector<TOtherRoot>* otherRoots) {
    cancel = false;
    list.clear();
    if (otherRoots)
        otherRoots->clear();
    const std::string stickRoot = FolderRoot(stickText);
    const std::string diskRoot = FolderRoot(diskText);
    const TFolderPaths stick{ExactPath(stickRoot), stickRoot};
    std::optional<TInStepRules> rules;
    if (record)
        rules.emplace(*record, stick.Exact.size());
    TCompareRun(fs, list, cancel, pump, stick, {ExactPath(diskRoot), diskRoot},
                rules ? &*rules : nullptr, otherRoots)
        .Run();
    if (rules && !cancel)
        rules->Finish(list);
}
