#include "sync/FileSystem.h"
#include "sync/Paths.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/statvfs.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif
#include <unistd.h>

namespace {

constexpr unsigned kTempAttempts = 16;
constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

class TFd {
  public:
    explicit TFd(int fd) : FFd(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() {
        if (FFd >= 0)
            close(FFd);
    }
    int Get() const { return FFd; }

  private:
    int FFd;
};

// Far outside the DOS range on either side (about 1,000 years); bounds the sum
// below and keeps the year within what the calendar types hold.
constexpr time_t kFarSeconds = time_t{1} << 35;

// The local time zone's offset from UTC in force now, in seconds.
long OffsetNow() {
    const time_t now = time(nullptr);
    struct tm current {};
    localtime_r(&now, &current);
    return current.tm_gmtoff;
}

// As FileTimeToLocalFileTime on Windows: every time is moved by the offset in force
// now (`offset`, from OffsetNow), not by its own, so that two files keep their order
// across a clock change.
TDosTime DosTimeOf(time_t unixSeconds, long offset) {
    using namespace std::chrono;
    // Arithmetic rather than gmtime_r, which costs more than the rest of a listing.
    const time_t local = std::clamp(unixSeconds, -kFarSeconds, kFarSeconds) + offset;
    const sys_days day = floor<days>(sys_seconds{seconds{local}});
    const year_month_day date{day};
    const auto second = static_cast<int>(local - day.time_since_epoch().count() * 86400);
    return PackDosTime(static_cast<int>(date.year()), static_cast<int>(unsigned{date.month()}),
                       static_cast<int>(unsigned{date.day()}), second / 3600, second / 60 % 60,
                       second % 60);
}

TPathState StateOfStat(const struct stat& st, long offset) {
    const bool isDirectory = S_ISDIR(st.st_mode);
    return {TReadResult::Ok, isDirectory, DosTimeOf(st.st_mtime, offset),
            isDirectory ? 0 : static_cast<std::uint64_t>(st.st_size)};
}

// Root is not asked for write permission, so read-only is read off the mode bits.
bool MayReplace(const std::string& target) {
    struct stat st {};
    if (stat(target.c_str(), &st) != 0)
        return true;
    return !S_ISDIR(st.st_mode) && (st.st_mode & kAnyWrite) != 0;
}

// Without O_NONBLOCK the open of a pipe waits for a writer, possibly for ever; what is
// not a regular file is refused after the open anyway.
int OpenForReading(const std::string& path) {
    return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Fails unless exactly `size` bytes come before the end: a read that ends early, as
// from a stick pulled out, or a file that grew meanwhile gives no copy. Returns 0 or
// the errno that stopped it.
int CopyBytes(int in, int out, std::uint64_t size, const TCopyProgress& progress) {
    char buffer[64 * 1024];
    std::uint64_t copied = 0;
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            return copied == size ? 0 : EIO;
        copied += static_cast<std::uint64_t>(got);
        if (!WriteAll(out, buffer, static_cast<std::size_t>(got)))
            return errno ? errno : EIO;
        if (progress && !progress(copied))
            return ECANCELED;
    }
}

// No user keeps a file without any permissions, so that is the mark of a
// temporary file still being made.
constexpr mode_t kOwnTempMode = 0;

// Makes a new temporary file beside the target, lets fill write it, gives it its
// final mode and puts it in the target's place in one step; whatever fails, no
// temporary file stays behind. A target that was not there a moment ago is not
// looked at again. fill and the result are 0 or an errno.
int ReplaceThroughTemp(const std::string& target, bool targetThere, mode_t mode,
                       const std::function<int(int fd)>& fill) {
    if (targetThere && !MayReplace(target))
        return EACCES;
    for (unsigned attempt = 0; attempt < kTempAttempts; ++attempt) {
        const std::string temp = TempPathBeside(target, attempt);
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kOwnTempMode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return errno;
        int error = fill(fd);
        if (error == 0 && fchmod(fd, mode) != 0)
            error = errno;
        if (close(fd) != 0 && error == 0)
            error = errno;
        if (error == 0 && rename(temp.c_str(), target.c_str()) == 0)
            return 0;
        error = error ? error : errno;
        unlink(temp.c_str());
        return error;
    }
    return EEXIST;
}

// Why a copy, or the making of a folder (without a source), failed.
TFailReason ReasonOf(int error, const std::string& source) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return TFailReason::AccessDenied;
    case ETXTBSY:
    case EBUSY:
        return TFailReason::InUse;
    case ENOSPC:
    case EDQUOT:
        return TFailReason::DiskFull;
    case ENODEV:
    case ENXIO:
    case ENOTCONN:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
        return TFailReason::DriveGone;
    case EFBIG:
        return TFailReason::TooBigForFat;
    case ENOENT:
        return !source.empty() && access(source.c_str(), F_OK) != 0 ? TFailReason::SourceGone
                                                                    : TFailReason::Other;
    default:
        return TFailReason::Other;
    }
}

// The type in the folder entry saves a second stat where the file system fills it in.
bool IsLinkEntry(int dirFd, const dirent& item) {
    if (item.d_type != DT_UNKNOWN)
        return item.d_type == DT_LNK;
    struct stat st {};
    return fstatat(dirFd, item.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

class TPosixFileSystem final : public TFileSystem {
  public:
    TReadResult ListFolder(const std::string& folder, std::vector<TFolderEntry>& entries) override {
        entries.clear();
        DIR* dir = opendir(folder.c_str());
        if (!dir)
            return errno == ENOENT || errno == ENOTDIR ? TReadResult::Missing : TReadResult::Failed;
        const int dirFd = dirfd(dir);
        const long offset = OffsetNow();
        for (;;) {
            errno = 0;
            const dirent* item = readdir(dir);
            if (!item)
                break;
            struct stat st {};
            // Links are followed; a dangling one is listed as the link itself.
            if (fstatat(dirFd, item->d_name, &st, 0) != 0 &&
                fstatat(dirFd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            const bool directory = S_ISDIR(st.st_mode);
            entries.push_back({item->d_name, directory, DosTimeOf(st.st_mtime, offset),
                               directory ? 0 : static_cast<std::uint64_t>(st.st_size),
                               IsLinkEntry(dirFd, *item)});
        }
        const bool complete = errno == 0;
        closedir(dir);
        if (!complete) {
            entries.clear();
            return TReadResult::Failed;
        }
        return TReadResult::Ok;
    }

    bool FolderIdentity(const std::string& folder, TFolderId& id) override {
        struct stat st {};
        if (stat(folder.c_str(), &st) != 0)
            return false;
        id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
        return true;
    }

    bool VolumeSerial(const std::string& path, std::uint32_t& serial) override {
        struct statvfs vfs {};
        if (statvfs(path.c_str(), &vfs) != 0)
            return false;
        // Some file systems give no id; the device number tells volumes apart there.
        std::uint64_t id = vfs.f_fsid;
        struct stat st {};
        if (id == 0 && stat(path.c_str(), &st) == 0)
            id = static_cast<std::uint64_t>(st.st_dev);
        serial = static_cast<std::uint32_t>(id ^ id >> 32);
        return true;
    }

    bool IsDirectory(const std::string& path) override {
        struct stat st {};
        return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    TPathState StateOf(const std::string& path) override {
        // One call where no link is in the way, a missing path the most common.
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0) {
            TPathState none;
            none.Result =
                errno == ENOENT || errno == ENOTDIR ? TReadResult::Missing : TReadResult::Failed;
            return none;
        }
        struct stat followed {};
        if (S_ISLNK(st.st_mode) && stat(path.c_str(), &followed) == 0)
            st = followed; // else a dangling link, as itself
        return StateOfStat(st, OffsetNow());
    }

    TFailReason MakeDirectory(const std::string& path) override {
        return mkdir(path.c_str(), 0777) == 0 ? TFailReason::None : ReasonOf(errno, {});
    }

    // A target that was not there a moment ago is not looked at again.
    TFailReason CopyFileSafely(const std::string& source, const std::string& target,
                               const TPathState& targetNow, const TCopyProgress& progress,
                               TCopiedStates& copied) override {
        const TFd in(OpenForReading(source));
        if (in.Get() < 0)
            return ReasonOf(errno, source);
        struct stat st {};
        if (fstat(in.Get(), &st) != 0 || !S_ISREG(st.st_mode))
            return TFailReason::Other;
        const long offset = OffsetNow();
        copied.Source = StateOfStat(st, offset);
        const bool targetThere = targetNow.Result != TReadResult::Missing;
        const int error = ReplaceThroughTemp(target, targetThere, st.st_mode & 0777, [&](int out) {
            const timespec times[2] = {st.st_atim, st.st_mtim};
            const int copyError =
                CopyBytes(in.Get(), out, static_cast<std::uint64_t>(st.st_size), progress);
            if (copyError != 0)
                return copyError;
            struct stat made {};
            if (futimens(out, times) != 0 || fstat(out, &made) != 0)
                return errno;
            copied.Target = StateOfStat(made, offset);
            return 0;
        });
        return error == 0 ? TFailReason::None : ReasonOf(error, source);
    }

    bool VolumeOf(const std::string& folder, TVolume& volume) override {
        struct stat st {};
        struct statvfs space {};
        if (stat(folder.c_str(), &st) != 0 || statvfs(folder.c_str(), &space) != 0)
            return false;
        volume.Id = static_cast<std::uint64_t>(st.st_dev);
        volume.FreeBytes = static_cast<std::uint64_t>(space.f_bavail) * space.f_frsize;
#ifdef __linux__
        constexpr long kMsdosMagic = 0x4d44;
        struct statfs kind {};
        volume.Fat = statfs(folder.c_str(), &kind) == 0 && kind.f_type == kMsdosMagic;
#else
        volume.Fat = false;
#endif
        return true;
    }

    bool RemoveOwnTemp(const std::string& path) override {
        struct stat st {};
        return IsOwnTempName(NamePart(path)) && lstat(path.c_str(), &st) == 0 &&
               S_ISREG(st.st_mode) && (st.st_mode & 07777) == kOwnTempMode &&
               unlink(path.c_str()) == 0;
    }

    bool SameText(std::string_view a, std::string_view b) override {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (AsciiLower(a[i]) != AsciiLower(b[i]))
                return false;
        return true;
    }

    std::string NameKey(std::string_view) override {
        return {};
    }
    std::string AliasedName(const std::string&) override {
        return {};
    }

    void ComputerNameInto(char* buffer, unsigned size) override {
        gethostname(buffer, size);
    }

    std::string ExecutablePath() override {
        std::string path(4096, '\0');
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
        return path;
    }

    TReadResult ReadWholeFile(const std::string& path, std::size_t maxBytes,
                              std::string& contents) override {
        contents.clear();
        const TFd fd(OpenForReading(path));
        if (fd.Get() < 0)
            return errno == ENOENT ? TReadResult::Missing : TReadResult::Failed;
        struct stat st {};
        if (fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            static_cast<std::uint64_t>(st.st_size) > maxBytes)
            return TReadResult::Failed;
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = read(fd.Get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 || contents.size() + static_cast<std::size_t>(got) > maxBytes) {
                contents.clear();
                return TReadResult::Failed;
            }
            if (got == 0)
                return TReadResult::Ok;
            contents.append(buffer, static_cast<std::size_t>(got));
        }
    }

    bool ReplaceFileContents(const std::string& path, std::string_view contents) override {
        // Flushed like the Windows back end's replace; copies are not, as there.
        const mode_t mask = umask(0);
        umask(mask);
        return ReplaceThroughTemp(path, true, 0666 & ~mask, [&](int out) {
                   return WriteAll(out, contents.data(), contents.size()) && fsync(out) == 0
                              ? 0
                              : (errno ? errno : EIO);
               }) == 0;
    }

  private:
    static char AsciiLower(char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    }
};

} // namespace

std::string ExactPath(std::string_view text) {
    return std::string(text);
}

std::string PathText(std::string_view path) {
    return std::string(path);
}

TFileSystem& SystemFileSystem() {
    static TPosixFileSystem fileSystem;
    return fileSystem;
}
