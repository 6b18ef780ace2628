#include "sync/FileSystem.h"
#include "sync/Paths.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace {

constexpr unsigned kTempAttempts = 16;
constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(time.dwHighDateTime) << 32 |
                                     time.dwLowDateTime);
}

// What FileTimeToLocalFileTime adds to every time: the offset in force now, in
// ticks. Asked once per listing, as the call costs more than the rest of an entry.
std::int64_t LocalOffsetNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    FILETIME local = now;
    FileTimeToLocalFileTime(&now, &local);
    return Ticks(local) - Ticks(now);
}

// The local time as FileTimeToLocalFileTime gives it, with the offset in force now
// (from LocalOffsetNow); packed here because FileTimeToDosDateTime wraps years
// after 2107 on some systems.
TDosTime DosTimeOf(const FILETIME& utc, std::int64_t offset) {
    const std::int64_t ticks = Ticks(utc);
    // As that call leaves a time that it cannot move.
    const std::int64_t moved = ticks >= 0 && ticks + offset >= 0 ? ticks + offset : ticks;
    const FILETIME local{static_cast<DWORD>(moved), static_cast<DWORD>(moved >> 32)};
    SYSTEMTIME st{}; // a time that cannot be read at all counts as the earliest
    FileTimeToSystemTime(&local, &st);
    return PackDosTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

// Names are UTF-16 and may hold unpaired surrogates; WTF-8 keeps those as well, so
// that every name goes to the exact form and back unchanged.
std::string Wtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        }
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// The UTF-16 form of an exact path; a byte that is no part of a sequence becomes
// U+FFFD.
std::wstring Utf16(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = (lead < 0x80 || lead >= 0xC0) && lead < 0xF8 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = c << 6 | (next & 0x3F);
        }
        if (!valid) {
            out += L'\xFFFD';
            ++i;
            continue;
        }
        i += length;
        if (c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

bool IsAscii(std::string_view text) {
    return std::all_of(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::wstring FullPathOf(const std::wstring& path) {
    std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
    full.resize(
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    return full;
}

// The form that the wide file functions take literally, whatever the length and
// whatever the names (trailing dots and blanks, device names): the long-path
// prefix before a full path. The prefix turns off the system's normalising, so a
// path that is not full yet is made full first, and only its root part is
// normalised where that can be told apart from the names.
std::wstring SystemPath(std::string_view path) {
    std::wstring wide = Utf16(path);
    if (wide.starts_with(L"\\\\?\\"))
        return wide;
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    if (wide.starts_with(L"\\\\.\\"))
        return wide;
    if (wide.starts_with(L"\\\\"))
        return L"\\\\?\\UNC" + wide.substr(1);
    const bool driveRooted = wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\';
    if (driveRooted)
        return L"\\\\?\\" + wide;
    if (wide.starts_with(L"\\"))
        return L"\\\\?\\" + FullPathOf(L"\\") + wide.substr(1);
    return L"\\\\?\\" + FullPathOf(wide);
}

// The key under which the file system finds a name: its upper case.
std::wstring FoldedName(std::wstring_view name) {
    const int length = static_cast<int>(name.size());
    std::wstring upper(name.size(), L'\0');
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name.data(), length, upper.data(), length);
    return upper;
}

// The program's own error, with the bit that no system error carries.
constexpr DWORD kErrorNameOfAnotherFile = 0x20000001;

// Why an existing target must not be replaced, from one lookup: a name that
// reaches a file under another long name, its short name among them, would
// overwrite that file; MoveFileEx replaces a read-only file under some systems.
// ERROR_SUCCESS when it may be replaced.
DWORD TargetRefusal(const std::wstring& target) {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(target.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return ERROR_SUCCESS; // nothing there to overwrite, or the copy fails anyway
    FindClose(find);
    if (FoldedName(data.cFileName) != FoldedName(target.substr(target.rfind(L'\\') + 1)))
        return kErrorNameOfAnotherFile;
    return data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)
               ? ERROR_ACCESS_DENIED
               : ERROR_SUCCESS;
}

// Hidden while it is being made: with its name, the mark of a temporary file of
// ours. A user's file of that name is not hidden, and is never removed.
constexpr DWORD kOwnTempAttributes = FILE_ATTRIBUTE_HIDDEN;

void RemoveTemp(const std::wstring& temp) {
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temp.c_str());
}

// The attributes of a file before it is complete, through the open handle where
// the system can (Vista on: one call instead of a lookup by path, many times
// cheaper under Wine); Windows XP lacks the call, so it is looked up at run time.
struct TFileBasicInfo { // FILE_BASIC_INFO, which the XP headers lack
    LARGE_INTEGER CreationTime;
    LARGE_INTEGER LastAccessTime;
    LARGE_INTEGER LastWriteTime;
    LARGE_INTEGER ChangeTime; // zero times are left as they are
    DWORD FileAttributes;
};
constexpr int kFileBasicInfoClass = 0;
using TSetFileInformationByHandle = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);

TSetFileInformationByHandle SetInformationByHandle() {
    static const auto call = reinterpret_cast<TSetFileInformationByHandle>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
    return call;
}

// Gives an open temporary file that is complete its last-write time (unless null)
// and, where the system can do so through the handle, its final attributes, which
// drop our mark; finalSet tells whether they are set. ERROR_SUCCESS or the error.
DWORD FinishOpen(HANDLE out, const FILETIME* lastWrite, DWORD attributes, bool& finalSet) {
    finalSet = false;
    if (const TSetFileInformationByHandle setInformation = SetInformationByHandle()) {
        TFileBasicInfo info{};
        if (lastWrite) {
            info.LastWriteTime.LowPart = lastWrite->dwLowDateTime;
            info.LastWriteTime.HighPart = static_cast<LONG>(lastWrite->dwHighDateTime);
        }
        info.FileAttributes = attributes;
        // A fuse FAT mount under Wine refuses it; the calls below still do there.
        if (setInformation(out, kFileBasicInfoClass, &info, sizeof info)) {
            finalSet = true;
            return ERROR_SUCCESS;
        }
    }
    return !lastWrite || SetFileTime(out, nullptr, nullptr, lastWrite) ? ERROR_SUCCESS
                                                                       : GetLastError();
}

// fill makes the temporary file of the given name, marked as ours, and returns
// ERROR_SUCCESS or the error; a name already taken asks for another one. The
// filled file gets its final attributes (unless fill gave them, telling so in
// finalSet) and replaces the target in one step; whatever fails, no temporary
// file stays behind. A target that was not there a moment ago is not looked at
// again. Returns ERROR_SUCCESS or the error that stopped it.
DWORD ReplaceThroughTemp(const std::string& target, bool targetThere, DWORD attributes,
                         const std::function<DWORD(const std::wstring&, bool& finalSet)>& fill) {
    const std::wstring systemTarget = SystemPath(target);
    if (targetThere) {
        if (const DWORD refusal = TargetRefusal(systemTarget); refusal != ERROR_SUCCESS)
            return refusal;
    }
    for (unsigned attempt = 0; attempt < kTempAttempts; ++attempt) {
        const std::wstring temp = SystemPath(TempPathBeside(target, attempt));
        bool finalSet = false;
        DWORD error = fill(temp, finalSet);
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            continue;
        if (error == ERROR_SUCCESS) {
            if ((finalSet || SetFileAttributesW(temp.c_str(), attributes)) &&
                MoveFileExW(temp.c_str(), systemTarget.c_str(), kMoveFlags))
                return ERROR_SUCCESS;
            error = GetLastError();
        }
        RemoveTemp(temp);
        return error;
    }
    return ERROR_FILE_EXISTS;
}

// The root folder of a path as the volume functions take it, E:\ or
// \\server\share\ (with a backslash at the end); empty for a path without either.
std::wstring RootOf(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (path.starts_with(L"\\\\?\\UNC\\"))
        path = L"\\" + path.substr(7);
    else if (path.starts_with(L"\\\\?\\"))
        path = path.substr(4);
    if (path.size() >= 2 && path[1] == L':' && (path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z')
        return path.substr(0, 2) + L"\\";
    if (!path.starts_with(L"\\\\"))
        return {};
    const std::size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos || server == 2)
        return {};
    const std::size_t share = path.find(L'\\', server + 1);
    if (share == server + 1)
        return {};
    return (share == std::wstring::npos ? path : path.substr(0, share)) + L"\\";
}

bool DriveGone(const std::wstring& path) {
    const std::wstring root = RootOf(path);
    return !root.empty() && GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// A file that another program holds open without letting it be replaced answers
// its replacement with "access denied"; asked for the right to delete it, it
// tells the truth.
bool HeldOpen(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

// Why a copy, or the making of a folder (without a source), failed, in the words
// of the list: a vanished drive first, as its errors vary (not ready, path not
// found, device gone, a read or write fault).
TFailReason ReasonOf(DWORD error, const std::wstring& source, const std::wstring& target) {
    if (DriveGone(source) || DriveGone(target))
        return TFailReason::DriveGone;
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return HeldOpen(target) ? TFailReason::InUse : TFailReason::AccessDenied;
    case ERROR_WRITE_PROTECT:
        return TFailReason::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return TFailReason::InUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return TFailReason::DiskFull;
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_NO_MEDIA_IN_DRIVE:
        return TFailReason::DriveGone;
    case ERROR_FILE_TOO_LARGE:
        return TFailReason::TooBigForFat;
    case kErrorNameOfAnotherFile:
        return TFailReason::NameOfAnotherFile;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        if (!source.empty() && GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES)
            return TFailReason::SourceGone;
        break;
    default:
        break;
    }
    return TFailReason::Other;
}

constexpr std::size_t kCopyChunk = 64 * 1024;
// What a copy takes over besides contents and time, as the system's copy does.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// Exactly `size` bytes must come before the end: a read that ends early, as from a
// stick pulled out, or a file that grew meanwhile gives no copy. In chunks small
// enough for progress to come several times a second even from a slow stick.
DWORD CopyChunks(HANDLE in, HANDLE out, std::uint64_t size, const TCopyProgress& progress) {
    std::vector<char> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(size + 1, kCopyChunk)));
    std::uint64_t copied = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            return GetLastError();
        if (got == 0)
            return copied == size ? ERROR_SUCCESS : ERROR_READ_FAULT;
        copied += got;
        if (copied > size)
            return ERROR_READ_FAULT;
        DWORD written = 0;
        if (!WriteFile(out, buffer.data(), got, &written, nullptr))
            return GetLastError();
        if (written != got)
            return ERROR_WRITE_FAULT;
        if (progress && !progress(copied))
            return ERROR_REQUEST_ABORTED;
    }
}

// What the copy takes from the open source. Read through the handle, which nobody
// writes while it is open without shared writing: the version copied.
struct TSourceFacts {
    DWORD Attributes = 0;
    FILETIME LastWrite{};
    std::uint64_t Size = 0;
};

// The attributes that a copy of a file with these takes over.
DWORD CopiedAttributes(DWORD source) {
    const DWORD attributes = source & kCopiedAttributes;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// What a listing would give for a file of this time and size.
TPathState StateOfFile(const FILETIME& lastWrite, std::uint64_t size) {
    return {TReadResult::Ok, false, DosTimeOf(lastWrite, LocalOffsetNow()), size};
}

// A new file at temp, marked as ours, with the contents, last-write time and
// attributes of the open source; made tells how it came out, the time as the file
// system keeps it, which may round it. Made with the attributes, as the system's
// copy does: a read-only file can be written through the handle that made it.
DWORD CopyInto(HANDLE in, const TSourceFacts& source, const std::wstring& temp,
               const TCopyProgress& progress, TPathState& made, bool& finalSet) {
    const DWORD attributes = CopiedAttributes(source.Attributes);
    const HANDLE out = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   attributes | kOwnTempAttributes, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD error = CopyChunks(in, out, source.Size, progress);
    if (error == ERROR_SUCCESS)
        error = FinishOpen(out, &source.LastWrite, attributes, finalSet);
    FILETIME kept{};
    if (error == ERROR_SUCCESS && !GetFileTime(out, nullptr, nullptr, &kept))
        error = GetLastError();
    if (!CloseHandle(out) && error == ERROR_SUCCESS)
        error = GetLastError();
    made = StateOfFile(kept, source.Size);
    return error;
}

std::uint64_t FileSizeOf(DWORD attributes, DWORD high, DWORD low) {
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? 0 : static_cast<std::uint64_t>(high) << 32 | low;
}

TFolderEntry EntryOf(const WIN32_FIND_DATAW& data, std::int64_t offset) {
    const bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return {Wtf8(data.cFileName), directory, DosTimeOf(data.ftLastWriteTime, offset),
            FileSizeOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow),
            (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
}

DWORD WriteNewFile(const std::wstring& path, std::string_view contents) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    kOwnTempAttributes, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    bool written = true;
    for (std::size_t offset = 0; written && offset < contents.size();) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(contents.size() - offset, 1u << 20));
        DWORD done = 0;
        written = WriteFile(file, contents.data() + offset, chunk, &done, nullptr) && done == chunk;
        offset += done;
    }
    written = written && FlushFileBuffers(file);
    written = CloseHandle(file) && written;
    return written ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

class TWin32FileSystem final : public TFileSystem {
  public:
    TReadResult ListFolder(const std::string& folder, std::vector<TFolderEntry>& entries) override {
        entries.clear();
        const std::wstring pattern = SystemPath(folder) + L"*";
        WIN32_FIND_DATAW data;
        // Without short names, which only a lookup that finds nothing else needs;
        // systems before Windows 7 refuse that level.
        HANDLE find = INVALID_HANDLE_VALUE;
        if (!FBasicRefused) {
            find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                    nullptr, 0);
            FBasicRefused =
                find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER;
        }
        if (FBasicRefused)
            find = FindFirstFileW(pattern.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            // A drive root without entries has no "." either and finds nothing; a name
            // that is too long or not allowed names no folder.
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                           error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_INVALID_NAME
                       ? TReadResult::Missing
                       : TReadResult::Failed;
        }
        const std::int64_t offset = LocalOffsetNow();
        do {
            entries.push_back(EntryOf(data, offset));
        } while (FindNextFileW(find, &data));
        const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
        FindClose(find);
        if (!complete) {
            entries.clear();
            return TReadResult::Failed;
        }
        return TReadResult::Ok;
    }

    bool FolderIdentity(const std::string& folder, TFolderId& id) override {
        const HANDLE handle = CreateFileW(
            SystemPath(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        BY_HANDLE_FILE_INFORMATION info{};
        const bool known = GetFileInformationByHandle(handle, &info);
        CloseHandle(handle);
        if (known) {
            id = {info.dwVolumeSerialNumber,
                  static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
        }
        return known;
    }

    bool VolumeSerial(const std::string& path, std::uint32_t& serial) override {
        const std::wstring root = RootOf(Utf16(path));
        if (root.empty())
            return false;
        // A card reader without a card would otherwise ask the user for one.
        const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
        DWORD number = 0;
        const bool known =
            GetVolumeInformationW(root.c_str(), nullptr, 0, &number, nullptr, nullptr, nullptr, 0);
        SetErrorMode(errorMode);
        if (known)
            serial = number;
        return known;
    }

    bool IsDirectory(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    TPathState StateOf(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) {
            const DWORD error = GetLastError();
            TPathState none;
            none.Result = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                              ? TReadResult::Missing
                              : TReadResult::Failed;
            return none;
        }
        return {TReadResult::Ok, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                DosTimeOf(data.ftLastWriteTime, LocalOffsetNow()),
                FileSizeOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow)};
    }

    TFailReason MakeDirectory(const std::string& path) override {
        const std::wstring systemPath = SystemPath(path);
        return CreateDirectoryW(systemPath.c_str(), nullptr)
                   ? TFailReason::None
                   : ReasonOf(GetLastError(), std::wstring(), systemPath);
    }

    TFailReason CopyFileSafely(const std::string& source, const std::string& target,
                               const TPathState& targetNow, const TCopyProgress& progress,
                               TCopiedStates& copied) override {
        const std::wstring systemSource = SystemPath(source);
        const std::wstring systemTarget = SystemPath(target);
        const HANDLE in =
            CreateFileW(systemSource.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (in == INVALID_HANDLE_VALUE)
            return ReasonOf(GetLastError(), systemSource, systemTarget);
        TSourceFacts facts;
        facts.Attributes = GetFileAttributesW(systemSource.c_str());
        LARGE_INTEGER size{};
        DWORD error = facts.Attributes != INVALID_FILE_ATTRIBUTES && GetFileSizeEx(in, &size) &&
                              GetFileTime(in, nullptr, nullptr, &facts.LastWrite)
                          ? ERROR_SUCCESS
                          : GetLastError();
        if (error == ERROR_SUCCESS) {
            facts.Size = static_cast<std::uint64_t>(size.QuadPart);
            copied.Source = StateOfFile(facts.LastWrite, facts.Size);
            error = ReplaceThroughTemp(
                target, targetNow.Result != TReadResult::Missing,
                CopiedAttributes(facts.Attributes), [&](const std::wstring& temp, bool& finalSet) {
                    return CopyInto(in, facts, temp, progress, copied.Target, finalSet);
                });
        }
        CloseHandle(in);
        return error == ERROR_SUCCESS ? TFailReason::None
                                      : ReasonOf(error, systemSource, systemTarget);
    }

    // The volume is told by its root, so two drive letters are two volumes.
    bool VolumeOf(const std::string& folder, TVolume& volume) override {
        const std::wstring path = SystemPath(folder);
        const std::wstring root = RootOf(path);
        ULARGE_INTEGER available{};
        wchar_t fileSystem[MAX_PATH + 1] = {};
        if (root.empty() || !GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr) ||
            !GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                                   MAX_PATH + 1))
            return false;
        volume.Id = std::hash<std::string>{}(NameKey(Wtf8(root)));
        volume.FreeBytes = available.QuadPart;
        // "FAT", "FAT12", "FAT16", "FAT32"; not "exFAT".
        volume.Fat = std::wstring_view(fileSystem).starts_with(L"FAT");
        return true;
    }

    bool RemoveOwnTemp(const std::string& path) override {
        if (!IsOwnTempName(NamePart(path)))
            return false;
        const std::wstring systemPath = SystemPath(path);
        const DWORD attributes = GetFileAttributesW(systemPath.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & kOwnTempAttributes) ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            return false;
        // A copy gives the temporary file the source's read-only attribute.
        SetFileAttributesW(systemPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileW(systemPath.c_str());
    }

    bool SameText(std::string_view a, std::string_view b) override {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                              static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size())) == CSTR_EQUAL;
    }

    // Upper case of the UTF-16 form, as the file system folds names.
    std::string NameKey(std::string_view name) override {
        // The common plain names need no conversion calls.
        if (IsAscii(name)) {
            std::string key(name.size() * sizeof(wchar_t), '\0');
            for (std::size_t i = 0; i < name.size(); ++i) {
                key[i * sizeof(wchar_t)] =
                    name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 32) : name[i];
            }
            return key;
        }
        const std::wstring upper = FoldedName(Utf16(name));
        return std::string(reinterpret_cast<const char*>(upper.data()),
                           upper.size() * sizeof(wchar_t));
    }

    std::string AliasedName(const std::string& path) override {
        const std::string_view name = NamePart(path);
        // A pattern would find other names.
        if (name.find_first_of("*?") != name.npos)
            return {};
        WIN32_FIND_DATAW data;
        const HANDLE find = FindFirstFileW(SystemPath(path).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return {};
        FindClose(find);
        std::string found = Wtf8(data.cFileName);
        return found == name ? std::string() : found;
    }

    void ComputerNameInto(char* buffer, unsigned size) override {
        DWORD length = size;
        GetComputerNameA(buffer, &length);
    }

    std::string ExecutablePath() override {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length =
                GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length < path.size()) {
                path.resize(length);
                return Wtf8(path);
            }
            path.resize(path.size() * 2);
        }
    }

    TReadResult ReadWholeFile(const std::string& path, std::size_t maxBytes,
                              std::string& contents) override {
        contents.clear();
        const HANDLE file =
            CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                       ? TReadResult::Missing
                       : TReadResult::Failed;
        }
        LARGE_INTEGER size{};
        bool read =
            GetFileSizeEx(file, &size) && static_cast<std::uint64_t>(size.QuadPart) <= maxBytes;
        if (read) {
            contents.resize(static_cast<std::size_t>(size.QuadPart));
            DWORD done = 0;
            read = ReadFile(file, contents.data(), static_cast<DWORD>(contents.size()), &done,
                            nullptr) &&
                   done == contents.size();
        }
        CloseHandle(file);
        if (!read) {
            contents.clear();
            return TReadResult::Failed;
        }
        return TReadResult::Ok;
    }

    bool ReplaceFileContents(const std::string& path, std::string_view contents) override {
        return ReplaceThroughTemp(
                   path, true, FILE_ATTRIBUTE_NORMAL,
                   [&](const std::wstring& temp, bool&) { return WriteNewFile(temp, contents); }) ==
               ERROR_SUCCESS;
    }

  private:
    bool FBasicRefused = false;
};

} // namespace

std::string ExactPath(std::string_view text) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return Wtf8(wide.empty() ? wide : FullPathOf(wide));
}

std::string PathText(std::string_view path) {
    if (IsAscii(path))
        return std::string(path);
    const std::wstring wide = Utf16(path);
    const int wideLength = static_cast<int>(wide.size());
    // Without best fit: a look-alike must not show as the name it resembles.
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength,
                                           nullptr, 0, "?", nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, text.data(), length,
                        "?", nullptr);
    return text;
}

TFileSystem& SystemFileSystem() {
    static TWin32FileSystem fileSystem;
    return fileSystem;
}
