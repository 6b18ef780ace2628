#pragma once

#include "sync/FailReason.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
inline constexpr char kPathDelim = '\\';
inline constexpr bool kHasDriveLetters = true;
#else
inline constexpr char kPathDelim = '/';
inline constexpr bool kHasDriveLetters = false;
#endif

// A last-write time in local time, packed as MS-DOS date and time words.
struct TDosTime {
    std::uint16_t Date = 0;
    std::uint16_t Time = 0;
};

// Packs a local calendar time; odd seconds are truncated, and times outside
// 1980..2107, which the DOS form cannot hold, are clamped to the nearer end.
TDosTime PackDosTime(int year, int month, int day, int hour, int minute, int second);

enum class TReadResult { Ok, Missing, Failed };

struct TFolderEntry {
    std::string Name;
    bool IsDirectory = false;
    TDosTime Time;
    std::uint64_t Size = 0; // in bytes; 0 for a folder
    // Reached through a link or mount point; only such an entry can lead back to a
    // folder above it.
    bool IsLink = false;
};

// What a path holds at the moment it is asked for.
struct TPathState {
    TReadResult Result = TReadResult::Missing; // Failed when it cannot be told
    bool IsDirectory = false;
    TDosTime Time;
    std::uint64_t Size = 0;
};

// The same for every path that reaches a folder, through links or not.
struct TFolderId {
    std::uint64_t Volume = 0;
    std::uint64_t Index = 0;
    bool operator==(const TFolderId&) const = default;
};

// What the copy run needs to know of the volume that a folder lies on.
struct TVolume {
    std::uint64_t Id = 0;        // the same for every folder on that volume
    std::uint64_t FreeBytes = 0; // free for this user
    bool Fat = false;            // FAT or FAT32: no file of 4 GiB or more
};

// Both sides of a finished copy, read from the open files.
struct TCopiedStates {
    TPathState Source;
    TPathState Target;
};

// Told the bytes written so far during one copy, after every chunk; false stops
// the copy, which then fails and leaves nothing behind.
using TCopyProgress = std::function<bool(std::uint64_t copied)>;

// Paths and names are exact: every name as the file system holds it, in 8 bits per
// unit (on Windows the UTF-16 names as WTF-8, so that names outside the ANSI code
// page, unpaired surrogates included, survive; elsewhere the bytes as they are).
// Texts are what the user types and sees: on Windows in the ANSI code page.

// The exact full path of a folder text that the user typed.
std::string ExactPath(std::string_view text);
// The text of an exact path; what the text cannot hold becomes "?".
std::string PathText(std::string_view path);

// Everything the engine needs of the platform.
class TFileSystem {
  public:
    virtual ~TFileSystem() = default;

    // Every entry of a folder whose path ends with kPathDelim, "." and ".." included
    // where the platform has them, in the file system's own order. Missing when there
    // is no such folder, Failed when it is there but cannot be listed.
    virtual TReadResult ListFolder(const std::string& folder,
                                   std::vector<TFolderEntry>& entries) = 0;
    virtual bool FolderIdentity(const std::string& folder, TFolderId& id) = 0;
    // The serial number of the volume that holds a path (on Windows the volume
    // at the path's root); false when the drive is missing, holds no medium or
    // cannot be asked.
    virtual bool VolumeSerial(const std::string& path, std::uint32_t& serial) = 0;
    virtual bool IsDirectory(const std::string& path) = 0;
    // The path's state as a listing of its folder would give it, links followed.
    virtual TPathState StateOf(const std::string& path) = 0;
    // Creates one directory; None on success, else why not (a taken name or a
    // missing parent too).
    virtual TFailReason MakeDirectory(const std::string& path) = 0;
    // Copies contents, read-only attribute and last-write time into a temporary file
    // beside the target, then puts it in the target's place in one step. targetNow is
    // the target as StateOf gave it right before: only a target that was there needs
    // a look at its name and attributes. Fails, leaving the target as it was and no
    // temporary file behind, on any error, when the temporary file is not as long as
    // the source was, when the target is a directory or read-only or its name reaches
    // a file of another long name (NameOfAnotherFile), and when progress stops it.
    // Returns None on success, with the source as it was read and the target as the
    // copy left it in copied; else why it failed; a drive that is no longer there
    // counts as DriveGone whatever the system's error said.
    virtual TFailReason CopyFileSafely(const std::string& source, const std::string& target,
                                       const TPathState& targetNow, const TCopyProgress& progress,
                                       TCopiedStates& copied) = 0;
    // The volume of an existing folder; false when it cannot be told.
    virtual bool VolumeOf(const std::string& folder, TVolume& volume) = 0;
    // Deletes a temporary file that an interrupted copy or replace left behind;
    // refuses every path whose name is not of that making (IsOwnTempName) and every
    // file without the mark that such a file carries until it is complete.
    virtual bool RemoveOwnTemp(const std::string& path) = 0;
    // Case-insensitive comparison of two texts by the user's locale.
    virtual bool SameText(std::string_view a, std::string_view b) = 0;
    // The key under which a lookup finds an entry that has no exactly equal name;
    // empty where the platform matches names exactly.
    virtual std::string NameKey(std::string_view name) = 0;
    // The name of the entry that the platform finds at this path under another name
    // than its own (a short alias); empty when it finds none that way.
    virtual std::string AliasedName(const std::string& path) = 0;
    // The platform's computer-name call into a caller's buffer; its result unchecked.
    virtual void ComputerNameInto(char* buffer, unsigned size) = 0;
    virtual std::string ExecutablePath() = 0;
    // Missing when there is no such file; Failed when it cannot be read or is
    // larger than maxBytes.
    virtual TReadResult ReadWholeFile(const std::string& path, std::size_t maxBytes,
                                      std::string& contents) = 0;
    // Writes a temporary file beside the file and replaces the file with it in one
    // step; fails without touching a read-only file.
    virtual bool ReplaceFileContents(const std::string& path, std::string_view contents) = 0;
};

// The back end of the platform compiled for.
TFileSystem& SystemFileSystem();

// Deletes the temporary files that an interrupted copy or replace left in the
// folder (ending with the delimiter); nothing else is touched.
void RemoveOwnLeftovers(TFileSystem& fs, const std::string& folder);
