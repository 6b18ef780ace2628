#pragma once

#include "ForwardingFileSystem.h"
#include "TestTree.h"
#include "sync/Compare.h"
#include "sync/CopyRun.h"
#include "sync/InStep.h"

#include <memory>

// A stick and a computer folder, compared and copied with the record as the
// window does, on a computer named "PC1".
class TRecordedRun {
  protected:
    TRecordedRun() { Fresh(); }

    // An empty pair of folders and no record.
    void Fresh() {
        Owned = std::make_unique<TTempTree>();
        Tree = Owned.get();
        Tree->AddFolder("stick");
        Tree->AddFolder("disk");
        Record = {};
    }

    void Compare() {
        CompareFolders(Fs, List, Cancel, Pump, Tree->Path("stick"), Tree->Path("disk"), &Record);
    }

    TCopyRunResult Copy() {
        const TCopyRunResult result = RunCopy(
            Fs, List, PlanCopy(Fs, List, Pump), Cancel, Pump, [](const TCopyStatus&) {}, "PC1");
        RecordCopied(Record, List);
        return result;
    }

    std::unique_ptr<TTempTree> Owned;
    TTempTree* Tree = nullptr;
    TForwardingFileSystem Fs;
    TCopyList List;
    TSyncRecord Record;
    bool Cancel = false;
    TPump Pump = [] {};
};
