#include "sync/FileSystem.h"

#include "sync/Paths.h"

TDosTime PackDosTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1980)
        return PackDosTime(1980, 1, 1, 0, 0, 0);
    if (year > 2107)
        return PackDosTime(2107, 12, 31, 23, 59, 58);
    return {static_cast<std::uint16_t>((year - 1980) << 9 | month << 5 | day),
            static_cast<std::uint16_t>(hour << 11 | minute << 5 | second / 2)};
}

void RemoveOwnLeftovers(TFileSystem& fs, const std::string& folder) {
    std::vector<TFolderEntry> entries;
    if (fs.ListFolder(folder, entries) != TReadResult::Ok)
        return;
    for (const TFolderEntry& entry : entries)
        if (!entry.IsDirectory && IsOwnTempName(entry.Name))
            fs.RemoveOwnTemp(folder + entry.Name);
}
