#include "sync/StickDrive.h"

namespace {

// "E:" for a path that starts with a drive letter (in either case) and its
// colon, else empty.
std::string DriveOf(const std::string& path) {
    if (path.size() < 2 || path[1] != ':')
        return {};
    const char letter = static_cast<char>(path[0] & ~0x20);
    return letter >= 'A' && letter <= 'Z' ? std::string{letter, ':'} : std::string();
}

} // namespace

std::optional<std::uint32_t> DriveSerialOf(TFileSystem& fs, const std::string& path) {
    const std::string drive = DriveOf(path);
    std::uint32_t serial = 0;
    if (drive.empty() || !fs.VolumeSerial(drive + '\\', serial))
        return std::nullopt;
    return serial;
}

std::string FollowedStickFolder(TFileSystem& fs, const std::string& stickFolder,
                                std::optional<std::uint32_t> rememberedSerial,
                                const std::string& programPath) {
    const std::string stickDrive = DriveOf(stickFolder);
    const std::string programDrive = DriveOf(programPath);
    if (!rememberedSerial || stickDrive.empty() || programDrive.empty() ||
        stickDrive == programDrive || DriveSerialOf(fs, stickFolder) == rememberedSerial ||
        DriveSerialOf(fs, programPath) != rememberedSerial)
        return stickFolder;
    return programDrive + stickFolder.substr(2);
}
