#include "sync/FileSystem.h"
#include "sync/Paths.h"

#include <windows.h>

#include <algorithm>
#include <functional>

namespace {

constexpr unsigned kTempAttempts = 16;
constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

// The local time as FileTimeToLocalFileTime gives it, with the offset in force now;
// packed here because FileTimeToDosDateTime wraps years after 2107 on some systems.
TDosTime DosTimeOf(const FILETIME& utc) {
    FILETIME local = utc;
    FileTimeToLocalFileTime(&utc, &local);
    SYSTEMTIME st{}; // a time that cannot be read at all counts as the earliest
    FileTimeToSystemTime(&local, &st);
    return PackDosTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

// The UTF-16 form of a path as the ANSI file functions read it.
std::wstring Wide(std::string_view text) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// A path that the ANSI functions cannot take gets the long-path prefix. The prefix
// also turns off the system's normalising, so the path is made full first.
std::wstring LongPath(const std::string& path) {
    const std::wstring wide = Wide(path);
    if (path.size() < MAX_PATH || wide.starts_with(L"\\\\?\\")) {
        return wide;
    }
    std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
    full.resize(
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    if (full.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC" + full.substr(1);
    }
    return L"\\\\?\\" + full;
}

// MoveFileEx replaces a read-only file under some systems, so it is refused here.
bool MayReplace(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

void RemoveTemp(const std::wstring& temp) {
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temp.c_str());
}

// fill makes the temporary file of the given name and returns ERROR_SUCCESS or the
// error; a name already taken asks for another one. The filled file replaces the
// target in one step; whatever fails, no temporary file stays behind. The target
// is taken as the system's copy takes it, so a copy reaches every target that
// CopyFileA reaches; the temporary name is longer than most and may need the
// long form.
bool ReplaceThroughTemp(const std::string& target,
                        const std::function<DWORD(const std::wstring&)>& fill) {
    const std::wstring wideTarget = Wide(target);
    if (!MayReplace(wideTarget)) {
        return false;
    }
    for (unsigned attempt = 0; attempt < kTempAttempts; ++attempt) {
        const std::wstring temp = LongPath(TempPathBeside(target, attempt));
        const DWORD error = fill(temp);
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
            continue;
        }
        if (error == ERROR_SUCCESS && MoveFileExW(temp.c_str(), wideTarget.c_str(), kMoveFlags)) {
            return true;
        }
        RemoveTemp(temp);
        return false;
    }
    return false;
}

DWORD WriteNewFile(const std::wstring& path, std::string_view contents) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
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
    bool ListFolder(const std::string& folder, std::vector<TFolderEntry>& entries) override {
        entries.clear();
        WIN32_FIND_DATAA data;
        const HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) {
            return false;
        }
        do {
            entries.push_back({data.cFileName, data.cAlternateFileName,
                               (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                               DosTimeOf(data.ftLastWriteTime),
                               (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
        } while (FindNextFileA(find, &data));
        FindClose(find);
        return true;
    }

    bool FolderIdentity(const std::string& folder, TFolderId& id) override {
        const HANDLE handle =
            CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        BY_HANDLE_FILE_INFORMATION info{};
        const bool known = GetFileInformationByHandle(handle, &info);
        CloseHandle(handle);
        if (known) {
            id = {info.dwVolumeSerialNumber,
                  static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
        }
        return known;
    }

    bool IsDirectory(const std::string& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool MakeDirectory(const std::string& path) override {
        return CreateDirectoryA(path.c_str(), nullptr);
    }

    bool CopyFileSafely(const std::string& source, const std::string& target) override {
        const std::wstring wideSource = Wide(source);
        return ReplaceThroughTemp(target, [&](const std::wstring& temp) {
            return CopyFileW(wideSource.c_str(), temp.c_str(), TRUE) ? ERROR_SUCCESS
                                                                     : GetLastError();
        });
    }

    bool SameText(std::string_view a, std::string_view b) override {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                              static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size())) == CSTR_EQUAL;
    }

    // Upper case of the UTF-16 form, as the file system folds names.
    std::string NameKey(std::string_view name) override {
        // Every ANSI code page keeps ASCII as it is, so the common plain names need no
        // conversion calls.
        if (std::all_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            std::string key(name.size() * sizeof(wchar_t), '\0');
            for (std::size_t i = 0; i < name.size(); ++i) {
                key[i * sizeof(wchar_t)] =
                    name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 32) : name[i];
            }
            return key;
        }
        const std::wstring wide = Wide(name);
        const int length = static_cast<int>(wide.size());
        std::wstring upper(wide.size(), L'\0');
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), length, upper.data(), length);
        return std::string(reinterpret_cast<const char*>(upper.data()),
                           upper.size() * sizeof(wchar_t));
    }

    void ComputerNameInto(char* buffer, unsigned size) override {
        DWORD length = size;
        GetComputerNameA(buffer, &length);
    }

    std::string ExecutablePath() override {
        std::string path(MAX_PATH, '\0');
        for (;;) {
            const DWORD length =
                GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length < path.size()) {
                path.resize(length);
                return path;
            }
            path.resize(path.size() * 2);
        }
    }

    TReadResult ReadWholeFile(const std::string& path, std::size_t maxBytes,
                              std::string& contents) override {
        contents.clear();
        const HANDLE file =
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
            path, [&](const std::wstring& temp) { return WriteNewFile(temp, contents); });
    }
};

} // namespace

TFileSystem& SystemFileSystem() {
    static TWin32FileSystem fileSystem;
    return fileSystem;
}
