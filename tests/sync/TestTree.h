#pragma once

#include "sync/FileSystem.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// 2024-06-01 12:00:00 UTC; test times are this plus even offsets.
inline constexpr std::int64_t kBaseTime = 1717243200;

// "f3" for ("f", 3).
inline std::string Numbered(std::string stem, int number) {
    return stem += std::to_string(number);
}

// A fresh folder in the system's temporary folder, removed with all it holds.
// Relative paths use '/' and are turned into the platform's delimiter. Helpers
// throw on failure, which fails the test that called them.
class TTempTree {
  public:
    TTempTree();
    ~TTempTree();
    TTempTree(const TTempTree&) = delete;
    TTempTree& operator=(const TTempTree&) = delete;

    const std::string& Root() const { return FRoot; } // ends with kPathDelim
    std::string Path(std::string_view rel) const;

    void AddFolder(std::string_view rel) const; // with missing parents
    void AddFile(std::string_view rel, std::string_view contents = "x",
                 std::int64_t utcSeconds = kBaseTime) const; // with missing parent folders
    // A file beside one whose name differs from it in letter case only. Windows
    // would open that one, so under Wine the file is named from the Unix side; plain
    // ASCII names only. A rel ending with '/' makes an empty folder twin instead, its
    // time left as made: the exact name reaches it afterwards.
    void AddCaseTwin(std::string_view rel, std::string_view contents = "x",
                     std::int64_t utcSeconds = kBaseTime) const;
    // link becomes a folder link (symbolic link, or junction) to the folder target.
    void AddFolderLink(std::string_view link, std::string_view target);

    std::string Read(std::string_view rel) const;
    bool Exists(std::string_view rel) const;
    std::int64_t Time(std::string_view rel) const; // last write, UTC seconds
    void SetTime(std::string_view rel, std::int64_t utcSeconds) const;
    bool IsReadOnly(std::string_view rel) const;
    void SetReadOnly(std::string_view rel, bool readOnly) const;
    // Gives a file the mark that the program's temporary files carry while they are
    // made (hidden on Windows, no permissions elsewhere).
    void SetOwnTempMark(std::string_view rel) const;
    bool HasOwnTempMark(std::string_view rel) const;
    std::vector<std::string> Names(std::string_view folder) const; // sorted, without "." and ".."
    // Makes a folder refuse every change, even to root (chattr +i), until the tree
    // is removed; false where that cannot be done (no chattr, not root, a file
    // system without the flag). Under Wine the Unix side does it, as the server
    // opens files with root's rights.
    bool Lock(std::string_view rel);

  private:
    std::string FRoot;
    std::vector<std::string> FLinks;
    std::vector<std::string> FLocked;
};

// Makes the next copy onto a target fail after the temporary file has been
// written: on Windows the target is held open so that it cannot be replaced; on
// POSIX the file size limit stops the write of a source larger than 64 KiB.
class TMidCopyFault {
  public:
    explicit TMidCopyFault(const std::string& target);
    ~TMidCopyFault();
    TMidCopyFault(const TMidCopyFault&) = delete;
    TMidCopyFault& operator=(const TMidCopyFault&) = delete;

  private:
    void* FHandle = nullptr;
    std::uint64_t FOldLimit = 0;
};
