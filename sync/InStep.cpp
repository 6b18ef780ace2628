#include "sync/InStep.h"

TPairVerdict TInStepRules::Judge(const TInStep* last, const TSideStamp& source,
                                 const TSideStamp& target, bool fromStick) {
    if (!last)
        return TPairVerdict::TodaysRules;
    const TSideStamp& stick = fromStick ? source : target;
    const TSideStamp& disk = fromStick ? target : source;
    const bool stickChanged = !IsUnchanged(stick, last->Stick);
    const bool diskChanged = !IsUnchanged(disk, last->Disk);
    if (!stickChanged && !diskChanged)
        return TPairVerdict::InStep;
    if (stickChanged != diskChanged)
        return stickChanged == fromStick ? TPairVerdict::Copy : TPairVerdict::Leave;
    if (stick.Size == disk.Size && SameMoment(stick.Time, disk.Time))
        return TPairVerdict::InStep;
    // Equally new: the stick's version goes under the name, so that exactly one
    // direction copies.
    const bool stickWins = WallSeconds(stick.Time) >= WallSeconds(disk.Time);
    return stickWins == fromStick ? TPairVerdict::Conflict : TPairVerdict::Leave;
}

void TInStepRules::Finish(const TCopyList& list) {
    for (const auto& entry : list)
        if (entry->Kind == TEntryKind::UnlistedFolder)
            FRecord.KeepBelow(entry->RelPath);
        else
            FRecord.Keep(entry->RelPath);
    FRecord.DropUntouched();
}

void RecordCopied(TSyncRecord& record, const TCopyList& list) {
    for (const auto& entry : list)
        if (entry->InStepAfterCopy)
            record.Set(entry->RelPath, *entry->InStepAfterCopy);
}
