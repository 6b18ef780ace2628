#include "sync/Paths.h"

#include "sync/FileSystem.h"

#include <algorithm>
#include <chrono>

bool IsFolderBreak(char c) {
    return c == kPathDelim || (kHasDriveLetters && c == ':');
}

static std::size_t LastFolderBreak(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsFolderBreak(path[i - 1]))
            return i - 1;
    return std::string_view::npos;
}

std::string FolderPart(std::string_view path) {
    const std::size_t last = LastFolderBreak(path);
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

std::string FileFolder(std::string_view path) {
    const std::size_t last = LastFolderBreak(path);
    if (last == std::string_view::npos)
        return {};
    const bool keepDelim = path[last] != kPathDelim || last == 0 || IsFolderBreak(path[last - 1]);
    return std::string(path.substr(0, keepDelim ? last + 1 : last));
}

namespace {
constexpr std::string_view kTempPrefix = "~Korvandel-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempDigits = 8;
} // namespace

std::string TempPathBeside(std::string_view path, unsigned attempt) {
    static unsigned counter = 0;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto tag = static_cast<unsigned>(ticks ^ (ticks >> 32)) ^ (++counter * 2654435761u) ^
                     (attempt * 40503u);
    std::string digits(kTempDigits, '0');
    for (std::size_t i = 0; i < kTempDigits; ++i)
        digits[kTempDigits - 1 - i] = "0123456789abcdef"[(tag >> (4 * i)) & 15];
    return FolderPart(path) + std::string(kTempPrefix) + digits + std::string(kTempSuffix);
}

bool IsOwnTempName(std::string_view name) {
    if (name.size() != kTempPrefix.size() + kTempDigits + kTempSuffix.size() ||
        !name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix))
        return false;
    const std::string_view digits = name.substr(kTempPrefix.size(), kTempDigits);
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::string_view NamePart(std::string_view path) {
    const std::size_t last = LastFolderBreak(path);
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string RootPart(std::string_view path) {
    if (!kHasDriveLetters)
        return path.starts_with('/') ? "/" : "";
    if (path.size() >= 3 && path[1] == ':' && path[2] == kPathDelim)
        return std::string(path.substr(0, 3));
    if (!path.starts_with("\\\\"))
        return {};
    const std::size_t server = path.find(kPathDelim, 2);
    const std::size_t share =
        server == std::string_view::npos ? server : path.find(kPathDelim, server + 1);
    return share == std::string_view::npos ? std::string() : std::string(path.substr(0, share + 1));
}
