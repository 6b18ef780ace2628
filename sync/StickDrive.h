// The stick folder under whatever letter the stick has today.
#pragma once

#include "sync/FileSystem.h"

#include <cstdint>
#include <optional>
#include <string>

// The serial of the volume at the root of a path with a drive letter; none for a
// path without one, or when the drive is missing or cannot be asked.
std::optional<std::uint32_t> DriveSerialOf(TFileSystem& fs, const std::string& path);

// The stick folder to show at start. When its drive is missing or holds another
// volume than the remembered one, and the program runs from a drive that holds the
// remembered volume, the stick came back under another letter: the same folder on
// the program's drive. Otherwise the folder as it stands; a different stick at the
// old letter is never taken for it.
std::string FollowedStickFolder(TFileSystem& fs, const std::string& stickFolder,
                                std::optional<std::uint32_t> rememberedSerial,
                                const std::string& programPath);
