#pragma once

#include "sync/CopyList.h"
#include "sync/SyncRecord.h"

#include <string>
#include <string_view>

// What one direction of the comparison does with a file that both sides hold.
enum class TPairVerdict {
    InStep,      // neither side changed since the record, or both changed alike
    Copy,        // this direction's source changed, its target did not
    Conflict,    // both changed, this source is the newer: keep the target beside it
    Leave,       // the other direction copies, or nothing changed here
    TodaysRules, // no record: the newer by the clock wins
};

// The record's rules for one comparison run: judges by the record as it was,
// and brings it up to date on the way. A pair found in step is set at once, which
// changes no judgement, as both directions judge it in step; what the run did
// not find in step or listed is dropped when it ends, unless it was cancelled.
class TInStepRules {
  public:
    // stickRootLength: of the exact stick root that the record's paths are below.
    TInStepRules(TSyncRecord& record, std::size_t stickRootLength)
        : FRecord(record), FStickRootLength(stickRootLength) {
        FRecord.BeginPass();
    }

    // The record's path of a file in a folder of the stick side (exact, below the
    // root); valid until the next call.
    const std::string& PathOf(std::string_view stickFolder, std::string_view name) {
        FPath.assign(stickFolder.substr(FStickRootLength)).append(name);
        return FPath;
    }

    // The record of a path that both sides hold, kept while the run lasts; null when
    // there is none.
    const TInStep* Recorded(std::string_view relPath) { return FRecord.Touch(relPath); }
    // last: what Recorded gave for the file.
    static TPairVerdict Judge(const TInStep* last, const TSideStamp& source,
                              const TSideStamp& target, bool fromStick);
    // A file that is in step now, with both sides as they are.
    void NoteInStep(std::string_view relPath, const TInStep* last, const TInStep& pair) {
        if (last)
            FRecord.Reset(*last, pair);
        else
            FRecord.Set(relPath, pair);
    }
    // The record of whatever is listed to be copied (of all below a folder that
    // could not be listed) is kept until its copy succeeds; everything else that
    // the run did not find in step is dropped.
    void Finish(const TCopyList& list);

  private:
    TSyncRecord& FRecord;
    const std::size_t FStickRootLength;
    std::string FPath;
};

// Takes into the record every entry whose copy left both sides in step.
void RecordCopied(TSyncRecord& record, const TCopyList& list);
