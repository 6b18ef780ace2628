#include "TestTree.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#else
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " failed: " + path);
}

#ifdef _WIN32

constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

FILETIME FileTimeOf(std::int64_t utcSeconds) {
    const std::uint64_t ticks =
        kUnixEpochAsFileTime + static_cast<std::uint64_t>(utcSeconds) * 10000000ull;
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Tree paths are exact: names in UTF-8 below a root that is plain ASCII.
std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(),
                                                     static_cast<int>(wide.size())) -
                                 1));
    return wide;
}

// Tree paths are full, so the long-path prefix can lift the MAX_PATH limit of the
// helpers for the tests of long paths.
std::wstring LongPath(const std::string& path) {
    return L"\\\\?\\" + Wide(path);
}

std::string Narrow(const std::wstring& text) {
    std::string narrow(text.size() * 3 + 1, '\0');
    narrow.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(),
                            static_cast<int>(narrow.size()), nullptr, nullptr) -
        1));
    return narrow;
}

FILE* OpenFile(const std::string& path, bool write) {
    return _wfopen(LongPath(path).c_str(), write ? L"wb" : L"rb");
}

// Wide calls, so that names the ANSI code page cannot hold go too.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            const std::wstring path = folder + L"\\" + name;
            if (name == L"." || name == L"..")
                continue;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                DeleteFileW(path.c_str());
            else if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                RemoveDirectoryW(path.c_str()); // the link only, never what it points to
            else
                RemoveTree(path);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// The Unix path of a Windows path under Wine; empty elsewhere.
std::string UnixPathOf(const std::string& path) {
    using TUnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<TUnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(Wide(path).c_str()) : nullptr;
    const std::string result = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Wine starts Unix programs too, but gives no handle to wait on: the wait is for
// the program's result to show at path.
bool RunUnix(const std::string& command, const std::string& path, bool exists) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring wideCommand = Wide(command);
    if (!CreateProcessW(nullptr, wideCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    const std::wstring widePath = LongPath(path);
    auto done = [&] {
        return (GetFileAttributesW(widePath.c_str()) != INVALID_FILE_ATTRIBUTES) == exists;
    };
    for (int i = 0; i < 1000 && !done(); ++i)
        Sleep(10);
    return done();
}

// The marker beside a folder that tells a Unix command's effect on it.
std::string LockMarker(const std::string& path) {
    return path + ".locked";
}

bool SetWineLock(const std::string& path, bool locked) {
    const std::string unixPath = UnixPathOf(path);
    const std::string unixMarker = UnixPathOf(LockMarker(path));
    if (unixPath.empty() || unixMarker.empty())
        return false;
    // One argument to the shell in the program's double quotes, the paths in its
    // single quotes.
    const std::string command =
        locked ? "/usr/bin/chattr +i '" + unixPath + "' && /bin/touch '" + unixMarker + "'"
               : "/usr/bin/chattr -i '" + unixPath + "'; /bin/rm -f '" + unixMarker + "'";
    return RunUnix("/bin/sh -c \"" + command + "\"", LockMarker(path), locked);
}

// Wine makes no links of its own; its folder links are Unix symbolic links, which
// Windows calls cannot remove either.
bool MakeWineLink(const std::string& link, const std::string& target) {
    const std::string unixLink = UnixPathOf(link);
    return !unixLink.empty() &&
           RunUnix("/bin/ln -s \"" + UnixPathOf(target) + "\" \"" + unixLink + "\"", link, true);
}

void RemoveWineLink(const std::string& link) {
    RunUnix("/bin/rm -f \"" + UnixPathOf(link) + "\"", link, false);
}

bool MakeJunction(const std::string& link, const std::string& target) {
    if (!CreateDirectoryA(link.c_str(), nullptr))
        return false;
    const HANDLE handle =
        CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring substitute = L"\\??\\" + Wide(target);
    const auto nameBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    // Mount point reparse data: tag, length, reserved, then substitute and print
    // name offsets and lengths, then both names with their terminating zeros.
    std::vector<BYTE> data(16 + nameBytes + 2 * sizeof(wchar_t), 0);
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    const WORD header[] = {static_cast<WORD>(data.size() - 8),
                           0,
                           0,
                           nameBytes,
                           static_cast<WORD>(nameBytes + sizeof(wchar_t)),
                           0};
    std::memcpy(data.data(), &tag, sizeof tag);
    std::memcpy(data.data() + 4, header, sizeof header);
    std::memcpy(data.data() + 16, substitute.c_str(), nameBytes);
    DWORD returned = 0;
    const bool made =
        DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, data.data(),
                        static_cast<DWORD>(data.size()), nullptr, 0, &returned, nullptr);
    CloseHandle(handle);
    if (!made)
        RemoveDirectoryA(link.c_str());
    return made;
}

bool MakeFolderIfMissing(const std::string& path) {
    return CreateDirectoryW(LongPath(path).c_str(), nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

#else

void RemoveTree(const std::string& folder) {
    // Depth first and without following links, so a link is removed, not walked.
    nftw(
        folder.c_str(),
        [](const char* path, const struct stat*, int, FTW*) {
            remove(path);
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

timespec TimeSpecOf(std::int64_t utcSeconds) {
    return {static_cast<time_t>(utcSeconds), 0};
}

bool MakeFolderIfMissing(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

FILE* OpenFile(const std::string& path, bool write) {
    return std::fopen(path.c_str(), write ? "wb" : "rb");
}

#endif

} // namespace

#ifdef _WIN32

TTempTree::TTempTree() {
    char temp[MAX_PATH + 1];
    GetTempPathA(sizeof temp, temp);
    // A folder that a killed run left behind must not stop the next one.
    for (unsigned tick = GetTickCount(), attempt = 0; attempt < 100; ++attempt) {
        FRoot = std::string(temp) + "kvtest-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(tick + attempt);
        if (CreateDirectoryA(FRoot.c_str(), nullptr)) {
            FRoot += kPathDelim;
            return;
        }
    }
    Fail("making temporary folder", FRoot);
}

TTempTree::~TTempTree() {
    if (!UnixPathOf(FRoot).empty()) {
        for (const std::string& link : FLinks)
            RemoveWineLink(link);
        for (const std::string& locked : FLocked)
            SetWineLock(locked, false);
    }
    RemoveTree(LongPath(FRoot.substr(0, FRoot.size() - 1)));
}

void TTempTree::AddCaseTwin(std::string_view rel, std::string_view contents,
                            std::int64_t utcSeconds) const {
    const bool isFolder = rel.ends_with('/');
    const std::string_view named = isFolder ? rel.substr(0, rel.size() - 1) : rel;
    const std::size_t slash = named.rfind('/');
    const std::string folder(named.substr(0, slash == std::string_view::npos ? 0 : slash + 1));
    const std::string staged = folder + "case-twin-staged";
    if (isFolder)
        AddFolder(staged);
    else
        AddFile(staged, contents, utcSeconds);
    const std::string unixFolder = UnixPathOf(Path(folder));
    if (unixFolder.empty())
        Fail("naming a case twin outside Wine", Path(rel));
    const std::string name(named.substr(folder.size()));
    if (!RunUnix("/bin/mv \"" + unixFolder + "/case-twin-staged\" \"" + unixFolder + "/" + name +
                     "\"",
                 Path(staged), false))
        Fail("naming a case twin", Path(rel));
    if (!isFolder)
        SetTime(rel, utcSeconds);
}

void TTempTree::AddFolderLink(std::string_view link, std::string_view target) {
    const std::string linkPath = Path(link);
    const std::string targetPath = Path(target);
    if (!MakeWineLink(linkPath, targetPath) && !MakeJunction(linkPath, targetPath))
        Fail("linking", linkPath);
    FLinks.push_back(linkPath);
}

bool TTempTree::Exists(std::string_view rel) const {
    return GetFileAttributesW(LongPath(Path(rel)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::int64_t TTempTree::Time(std::string_view rel) const {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(Path(rel)).c_str(), GetFileExInfoStandard, &data))
        Fail("reading time of", Path(rel));
    const std::uint64_t ticks = static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime)
                                    << 32 |
                                data.ftLastWriteTime.dwLowDateTime;
    return static_cast<std::int64_t>((ticks - kUnixEpochAsFileTime) / 10000000ull);
}

void TTempTree::SetTime(std::string_view rel, std::int64_t utcSeconds) const {
    const std::string path = Path(rel);
    const HANDLE file = CreateFileW(LongPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const FILETIME time = FileTimeOf(utcSeconds);
    const bool set = file != INVALID_HANDLE_VALUE && SetFileTime(file, nullptr, nullptr, &time);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!set)
        Fail("setting time of", path);
}

bool TTempTree::Lock(std::string_view rel) {
    const std::string path = Path(rel);
    if (!SetWineLock(path, true))
        return false;
    FLocked.push_back(path);
    return true;
}

bool TTempTree::IsReadOnly(std::string_view rel) const {
    const DWORD attributes = GetFileAttributesW(LongPath(Path(rel)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void TTempTree::SetReadOnly(std::string_view rel, bool readOnly) const {
    if (!SetFileAttributesW(LongPath(Path(rel)).c_str(),
                            readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL))
        Fail("setting attributes of", Path(rel));
}

void TTempTree::SetOwnTempMark(std::string_view rel) const {
    const std::wstring path = LongPath(Path(rel));
    if (!SetFileAttributesW(path.c_str(), GetFileAttributesW(path.c_str()) | FILE_ATTRIBUTE_HIDDEN))
        Fail("hiding", Path(rel));
}

bool TTempTree::HasOwnTempMark(std::string_view rel) const {
    const DWORD attributes = GetFileAttributesW(LongPath(Path(rel)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
}

std::vector<std::string> TTempTree::Names(std::string_view folder) const {
    std::string path = Path(folder);
    if (path.back() == kPathDelim)
        path.pop_back(); // the prefixed form takes no doubled delimiter
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((LongPath(path) + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        Fail("listing", path);
    do {
        names.push_back(Narrow(data.cFileName));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::erase_if(names, [](const std::string& name) { return name == "." || name == ".."; });
    std::sort(names.begin(), names.end());
    return names;
}

TMidCopyFault::TMidCopyFault(const std::string& target) {
    FHandle = CreateFileW(LongPath(target).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, 0, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE)
        Fail("holding open", target);
}

TMidCopyFault::~TMidCopyFault() {
    CloseHandle(FHandle);
}

#else

TTempTree::TTempTree() {
    const char* temp = std::getenv("TMPDIR");
    std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/kvtest-XXXXXX";
    if (!mkdtemp(pattern.data()))
        Fail("making temporary folder", pattern);
    FRoot = pattern + kPathDelim;
}

TTempTree::~TTempTree() {
    for (const std::string& locked : FLocked)
        std::system(("chattr -i '" + locked + "'").c_str());
    RemoveTree(FRoot);
}

bool TTempTree::Lock(std::string_view rel) {
    const std::string path = Path(rel);
    if (std::system(("chattr +i '" + path + "' 2>/dev/null").c_str()) != 0)
        return false;
    FLocked.push_back(path);
    return true;
}

void TTempTree::AddCaseTwin(std::string_view rel, std::string_view contents,
                            std::int64_t utcSeconds) const {
    if (rel.ends_with('/'))
        AddFolder(rel.substr(0, rel.size() - 1));
    else
        AddFile(rel, contents, utcSeconds);
}

void TTempTree::AddFolderLink(std::string_view link, std::string_view target) {
    if (symlink(Path(target).c_str(), Path(link).c_str()) != 0)
        Fail("linking", Path(link));
}

bool TTempTree::Exists(std::string_view rel) const {
    struct stat st {};
    return lstat(Path(rel).c_str(), &st) == 0;
}

std::int64_t TTempTree::Time(std::string_view rel) const {
    struct stat st {};
    if (stat(Path(rel).c_str(), &st) != 0)
        Fail("reading time of", Path(rel));
    return st.st_mtime;
}

void TTempTree::SetTime(std::string_view rel, std::int64_t utcSeconds) const {
    const timespec times[2] = {TimeSpecOf(utcSeconds), TimeSpecOf(utcSeconds)};
    if (utimensat(AT_FDCWD, Path(rel).c_str(), times, 0) != 0)
        Fail("setting time of", Path(rel));
}

bool TTempTree::IsReadOnly(std::string_view rel) const {
    struct stat st {};
    return stat(Path(rel).c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void TTempTree::SetReadOnly(std::string_view rel, bool readOnly) const {
    struct stat st {};
    const mode_t mode = stat(Path(rel).c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 0555 : 0444;
    if (chmod(Path(rel).c_str(), readOnly ? mode : mode | S_IWUSR) != 0)
        Fail("setting mode of", Path(rel));
}

void TTempTree::SetOwnTempMark(std::string_view rel) const {
    if (chmod(Path(rel).c_str(), 0) != 0)
        Fail("setting mode of", Path(rel));
}

bool TTempTree::HasOwnTempMark(std::string_view rel) const {
    struct stat st {};
    return stat(Path(rel).c_str(), &st) == 0 && (st.st_mode & 07777) == 0;
}

std::vector<std::string> TTempTree::Names(std::string_view folder) const {
    DIR* dir = opendir(Path(folder).c_str());
    if (!dir)
        Fail("listing", Path(folder));
    std::vector<std::string> names;
    while (const dirent* item = readdir(dir))
        names.push_back(item->d_name);
    closedir(dir);
    std::erase_if(names, [](const std::string& name) { return name == "." || name == ".."; });
    std::sort(names.begin(), names.end());
    return names;
}

TMidCopyFault::TMidCopyFault(const std::string&) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    FOldLimit = limit.rlim_cur;
    signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
    limit.rlim_cur = 64 * 1024;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        Fail("limiting file size", "");
}

TMidCopyFault::~TMidCopyFault() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(FOldLimit);
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, SIG_DFL);
}

#endif

std::string TTempTree::Path(std::string_view rel) const {
    std::string path = FRoot + std::string(rel);
    std::replace(path.begin(), path.end(), '/', kPathDelim);
    return path;
}

void TTempTree::AddFolder(std::string_view rel) const {
    for (std::size_t slash = rel.find('/');; slash = rel.find('/', slash + 1)) {
        const std::string path = Path(rel.substr(0, slash));
        if (!MakeFolderIfMissing(path))
            Fail("making folder", path);
        if (slash == std::string_view::npos)
            return;
    }
}

void TTempTree::AddFile(std::string_view rel, std::string_view contents,
                        std::int64_t utcSeconds) const {
    if (const std::size_t slash = rel.rfind('/'); slash != std::string_view::npos)
        AddFolder(rel.substr(0, slash));
    const std::string path = Path(rel);
    FILE* file = OpenFile(path, true);
    const bool made =
        file && std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    if (!file || std::fclose(file) != 0 || !made)
        Fail("writing", path);
    SetTime(rel, utcSeconds);
}

std::string TTempTree::Read(std::string_view rel) const {
    FILE* file = OpenFile(Path(rel), false);
    if (!file)
        Fail("opening", Path(rel));
    std::string contents;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        contents.append(buffer, got);
    std::fclose(file);
    return contents;
}
