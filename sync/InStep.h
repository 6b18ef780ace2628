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

// The record's rules for one comparison run: judges by the last record and
// gathers the next one.
class TInStepRules {
  public:
    // stickRootLength: of the exact stick root that the record's paths are below.
    TInStepRules(const TSyncRecord& last, std::size_t stickRootLength)
        : FLast(last), FStickRootLength(stickRootLength) {}

    // The record's path of a file in a folder of the stick side (exact, below the root).
    std::string PathOf(std::string_view stickFolder, std::string_view name) const {
        return std::string(stickFolder.substr(FStickRootLength)).append(name);
    }

    TPairVerdict Judge(std::string_view relPath, const TSideStamp& source, const TSideStamp& target,
                       bool fromStick) const;
    // A file that is in step now, with both sides as they are.
    void NoteInStep(std::string relPath, const TInStep& pair) {
        FNext.Set(std::move(relPath), pair);
    }
    // The next record: what is in step now, and the last record of whatever is
    // listed to be copied (of all below a folder that could not be listed), kept
    // until its copy succeeds.
    TSyncRecord Finish(const TCopyList& list);

  private:
    const TSyncRecord& FLast;
    const std::size_t FStickRootLength;
    TSyncRecord FNext;
};

// Takes into the record every entry whose copy left both sides in step.
void RecordCopied(TSyncRecord& record, const TCopyList& list);
