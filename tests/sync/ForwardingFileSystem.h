#pragma once

#include "sync/FileSystem.h"

// Passes every call to the system's back end; tests override what they watch or fake.
class TForwardingFileSystem : public TFileSystem {
  public:
    TReadResult ListFolder(const std::string& folder, std::vector<TFolderEntry>& entries) override {
        return FBase.ListFolder(folder, entries);
    }
    bool FolderIdentity(const std::string& folder, TFolderId& id) override {
        return FBase.FolderIdentity(folder, id);
    }
    bool VolumeSerial(const std::string& path, std::uint32_t& serial) override {
        return FBase.VolumeSerial(path, serial);
    }
    bool IsDirectory(const std::string& path) override { return FBase.IsDirectory(path); }
    TPathState StateOf(const std::string& path) override { return FBase.StateOf(path); }
    TFailReason MakeDirectory(const std::string& path) override {
        return FBase.MakeDirectory(path);
    }
    TFailReason CopyFileSafely(const std::string& source, const std::string& target,
                               const TPathState& targetNow, const TCopyProgress& progress,
                               TCopiedStates& copied) override {
        return FBase.CopyFileSafely(source, target, targetNow, progress, copied);
    }
    bool VolumeOf(const std::string& folder, TVolume& volume) override {
        return FBase.VolumeOf(folder, volume);
    }
    bool RemoveOwnTemp(const std::string& path) override { return FBase.RemoveOwnTemp(path); }
    bool SameText(std::string_view a, std::string_view b) override { return FBase.SameText(a, b); }
    std::string NameKey(std::string_view name) override { return FBase.NameKey(name); }
    std::string AliasedName(const std::string& path) override { return FBase.AliasedName(path); }
    void ComputerNameInto(char* buffer, unsigned size) override {
        FBase.ComputerNameInto(buffer, size);
    }
    std::string ExecutablePath() override { return FBase.ExecutablePath(); }
    TReadResult ReadWholeFile(const std::string& path, std::size_t maxBytes,
                              std::string& contents) override {
        return FBase.ReadWholeFile(path, maxBytes, contents);
    }
    bool ReplaceFileContents(const std::string& path, std::string_view contents) override {
        return FBase.ReplaceFileContents(path, contents);
    }

  private:
    TFileSystem& FBase = SystemFileSystem();
};
