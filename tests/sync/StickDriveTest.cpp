#include "ForwardingFileSystem.h"
#include "sync/StickDrive.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

// Drives by their roots, each with the serial of the volume it holds.
struct TDrivesFileSystem : TForwardingFileSystem {
    bool VolumeSerial(const std::string& path, std::uint32_t& serial) override {
        Asked.push_back(path);
        const auto drive = Drives.find(path);
        if (drive == Drives.end())
            return false;
        serial = drive->second;
        return true;
    }
    std::map<std::string, std::uint32_t> Drives;
    std::vector<std::string> Asked;
};

constexpr std::uint32_t kStick = 0x1234ABCD;
constexpr std::uint32_t kOtherStick = 0x0BADF00D;
constexpr std::uint32_t kDisk = 0x00C0FFEE;

TEST(StickDrive, TheFolderFollowsTheRememberedVolumeToTheProgramsDrive) {
    struct TCase {
        const char* what;
        std::map<std::string, std::uint32_t> drives;
        std::string folder;
        std::optional<std::uint32_t> remembered;
        std::string program;
        std::string shown;
    };
    const TCase cases[] = {
        {"the stick is where it was",
         {{"E:\\", kStick}, {"G:\\", kStick}},
         "E:\\Sync",
         kStick,
         "G:\\Korvandel.exe",
         "E:\\Sync"},
        {"the old letter is gone",
         {{"G:\\", kStick}, {"C:\\", kDisk}},
         "E:\\Sync\\Briefe",
         kStick,
         "G:\\Tools\\Korvandel.exe",
         "G:\\Sync\\Briefe"},
        {"another stick took the old letter",
         {{"E:\\", kOtherStick}, {"G:\\", kStick}},
         "E:\\Sync",
         kStick,
         "G:\\Korvandel.exe",
         "G:\\Sync"},
        {"letters in either case",
         {{"G:\\", kStick}},
         "e:\\Sync",
         kStick,
         "g:\\Korvandel.exe",
         "G:\\Sync"},
        {"the root of the stick", {{"G:\\", kStick}}, "E:\\", kStick, "G:\\Korvandel.exe", "G:\\"},
        {"a folder relative to the drive",
         {{"G:\\", kStick}},
         "E:Sync",
         kStick,
         "G:\\Korvandel.exe",
         "G:Sync"},
        // A different stick at the old letter is never taken for it.
        {"the program runs from another stick",
         {{"E:\\", kOtherStick}, {"G:\\", kOtherStick}},
         "E:\\Sync",
         kStick,
         "G:\\Korvandel.exe",
         "E:\\Sync"},
        {"the program runs from the computer",
         {{"C:\\", kDisk}},
         "E:\\Sync",
         kStick,
         "C:\\Programme\\Korvandel.exe",
         "E:\\Sync"},
        {"the program's drive cannot be asked",
         {},
         "E:\\Sync",
         kStick,
         "G:\\Korvandel.exe",
         "E:\\Sync"},
        {"no serial remembered",
         {{"G:\\", kStick}},
         "E:\\Sync",
         std::nullopt,
         "G:\\Korvandel.exe",
         "E:\\Sync"},
        {"the same letter",
         {{"E:\\", kOtherStick}},
         "e:\\Sync",
         kOtherStick,
         "E:\\Korvandel.exe",
         "e:\\Sync"},
        {"a network folder",
         {{"G:\\", kStick}},
         "\\\\server\\share\\Sync",
         kStick,
         "G:\\Korvandel.exe",
         "\\\\server\\share\\Sync"},
        {"a program on the network",
         {{"E:\\", kOtherStick}},
         "E:\\Sync",
         kStick,
         "\\\\server\\share\\Korvandel.exe",
         "E:\\Sync"},
        {"no folder yet", {{"G:\\", kStick}}, "", kStick, "G:\\Korvandel.exe", ""},
    };
    for (const TCase& c : cases) {
        TDrivesFileSystem fs;
        fs.Drives = c.drives;
        EXPECT_EQ(FollowedStickFolder(fs, c.folder, c.remembered, c.program), c.shown) << c.what;
    }
}

TEST(StickDrive, TheSerialIsAskedOfTheDrivesRoot) {
    TDrivesFileSystem fs;
    fs.Drives = {{"E:\\", kStick}};
    EXPECT_EQ(DriveSerialOf(fs, "E:\\Sync\\Briefe"), kStick);
    EXPECT_EQ(DriveSerialOf(fs, "e:"), kStick);
    EXPECT_EQ(DriveSerialOf(fs, "F:\\Sync"), std::nullopt);
    EXPECT_EQ(fs.Asked, (std::vector<std::string>{"E:\\", "E:\\", "F:\\"}));
    // Without a drive letter there is no drive to ask.
    for (const char* path : {"", "Sync", "\\\\server\\share", "/home/anna", "1:\\x"})
        EXPECT_EQ(DriveSerialOf(fs, path), std::nullopt) << path;
    EXPECT_EQ(fs.Asked.size(), 3u);
}

} // namespace
