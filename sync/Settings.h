#pragma once

#include "sync/FileSystem.h"

#include <string>

struct TFolderPair {
    std::string Stick;
    std::string Disk;
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

// Replaces this computer's Stick and Disk lines and keeps every other byte of the
// file; the new file replaces the old one in one step. Never throws.
void WriteFolders(TFileSystem& fs, const std::string& settingsFile, const std::string& computerName,
                  const TFolderPair& folders);
