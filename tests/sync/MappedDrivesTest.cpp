// Drive letters that Wine maps to folders, each with a volume serial of its own
// (tests/sync/mapped_drives.sh makes them and names them in the environment).
#include "sync/FileSystem.h"
#include "sync/StickDrive.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TDrive {
    std::string Root; // "R:\"
    std::uint32_t Serial = 0;
};

class MappedDrivesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* mapped = std::getenv("KORVANDEL_MAPPED_DRIVES");
        const char* free = std::getenv("KORVANDEL_FREE_DRIVE");
        ASSERT_TRUE(mapped && free) << "run through tests/sync/mapped_drives.sh";
        std::istringstream words(mapped);
        for (std::string word; words >> word;)
            Drives.push_back({word.substr(0, 2) + "\\",
                              static_cast<std::uint32_t>(std::stoul(word.substr(2), nullptr, 16))});
        ASSERT_EQ(Drives.size(), 2u);
        Free = std::string(free) + "\\";
        CreateDirectoryA((Drives[0].Root + "Sync").c_str(), nullptr);
        CreateDirectoryA((Drives[0].Root + "Sync\\Briefe").c_str(), nullptr);
    }

    TFileSystem& Fs = SystemFileSystem();
    std::vector<TDrive> Drives;
    std::string Free;
};

// Every path on a drive answers with the serial of the volume at its root.
TEST_F(MappedDrivesTest, VolumeSerialIsTheSerialOfTheDrivesVolume) {
    const TDrive& one = Drives[0];
    const TDrive& two = Drives[1];
    ASSERT_NE(one.Serial, two.Serial);
    const std::pair<std::string, std::optional<std::uint32_t>> cases[] = {
        {one.Root, one.Serial},
        {one.Root + "Sync\\Briefe", one.Serial},
        {one.Root + "not\\there\\yet", one.Serial},
        {one.Root.substr(0, 2), one.Serial},
        {"\\\\?\\" + two.Root + "x", two.Serial},
        {two.Root, two.Serial},
        {Free, std::nullopt},
        {Free + "Sync", std::nullopt},
        {"Sync", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [path, expected] : cases) {
        std::uint32_t serial = 0;
        const bool known = Fs.VolumeSerial(path, serial);
        EXPECT_EQ(known ? std::optional(serial) : std::nullopt, expected) << path;
    }
}

// The stick is the first drive; the second holds another stick.
TEST_F(MappedDrivesTest, AStickUnderAnotherLetterIsFoundByItsSerial) {
    const TDrive& stick = Drives[0];
    const TDrive& other = Drives[1];
    const std::string program = stick.Root + "Korvandel.exe";
    const std::string folder = stick.Root + "Sync\\Briefe";

    EXPECT_EQ(DriveSerialOf(Fs, folder), stick.Serial);
    EXPECT_EQ(FollowedStickFolder(Fs, Free + "Sync\\Briefe", stick.Serial, program), folder);
    EXPECT_EQ(FollowedStickFolder(Fs, other.Root + "Sync\\Briefe", stick.Serial, program), folder);
    EXPECT_EQ(FollowedStickFolder(Fs, folder, stick.Serial, program), folder);
    // Run from the other stick, the remembered one is nowhere to be seen.
    EXPECT_EQ(FollowedStickFolder(Fs, Free + "Sync", stick.Serial, other.Root + "Korvandel.exe"),
              Free + "Sync");
    EXPECT_EQ(FollowedStickFolder(Fs, other.Root + "Sync", other.Serial, program),
              other.Root + "Sync");
}

} // namespace
