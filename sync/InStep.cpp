#include "sync/InStep.h"

TPairVerdict TInStepRules::Judge(std::string_view relPath, const TSideStamp& source,
                                 const TSideStamp& target, bool fromStick) const {
    const TInStep* last = FLast.Find(relPath);
    if (!last) {
        return TPairVerdict::TodaysRules;
    }
    const TSideStamp& stick = fromStick ? source : target;
    const TSideStamp& disk = fromStick ? target : source;
    const bool stickChanged = !IsUnchanged(stick, last->Stick);
    const bool diskChanged = !IsUnchanged(disk, last->Disk);
    if (!stickChanged && !diskChanged) {
        return TPairVerdict::InStep;
    }
    if (stickChanged != diskChanged) {
        return stickChanged == fromStick ? TPairVerdict::Copy : TPairVerdict::Leave;
    }
    if (stick.Size == disk.Size && SameMoment(stick.Time, disk.Time)) {
        return TPairVerdict::InStep;
    }
    // Equally new: the stick's version goes under the name, so that exactly one
    // direction copies.
    const bool stickWins = WallSeconds(stick.Time) >= WallSeconds(disk.Time);
    return stickWins == fromStick ? TPairVerdict::Conflict : TPairVerdict::Leave;
}

TSyncRecord TInStepRules::Finish(const TCopyList& list) {
    for (const auto& entry : list) {
        const auto keep = [&](const std::string& path, const TInStep& pair) {
            if (!FNext.Find(path)) {
                FNext.Set(path, pair);
            }
        };
        if (entry->Kind == TEntryKind::UnlistedFolder) {
            FLast.ForEachBelow(entry->RelPath, keep);
        } else if (const TInStep* last = FLast.Find(entry->RelPath)) {
            keep(entry->RelPath, *last);
        }
    }
    return std::move(FNext);
}

void RecordCopied(TSyncRecord& record, const TCopyList& list) {
    for (const auto& entry : list) {
        if (entry->InStepAfterCopy) {
            record.Set(entry->RelPath, *entry->InStepAfterCopy);
        }
    }
}
