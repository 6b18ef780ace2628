#pragma once

#include "sync/FileSystem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

struct TFolderPair {
    TFolderPair() = default;
    TFolderPair(std::string stick, std::string disk,
                std::optional<std::uint32_t> stickSerial = std::nullopt)
        : Stick(std::move(stick)), Disk(std::move(disk)), StickSerial(stickSerial) {}

    std::string Stick;
    std::string Disk;
    // The volume serial of the stick folder's drive, by which the stick is known
    // again under another drive letter.
    std::optional<std::uint32_t> StickSerial;
    bool operator==(const TFolderPair&) const = default;
};

// The computer name read into a zeroed 17-character buffer, up to its first NUL.
std::string ReadComputerName(TFileSystem& fs);

// "Settings.prp" in the folder of the executable.
std::string SettingsFileFor(const std::string& exePath);

// This computer's two folders from the settings file; empty for whatever cannot be
// read. Never throws.
TFolderPair ReadFolders(TFileSystem& fs, const std::string& settingsFile,
                        const std::string& computerName);

// Replaces this computer's Stick, Disk and StickSerial lines and keeps every other
// byte of the file; an unknown serial empties its line but adds none. The new
// file replaces the old one in one step. Never throws.
void WriteFolders(TFileSystem& fs, const std::string& settingsFile, const std::string& computerName,
                  const TFolderPair& folders);
