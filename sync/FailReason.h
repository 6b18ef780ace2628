#pragma once

// Why an entry could not be copied, kept with the entry for the list and the report.
enum class TFailReason : unsigned char {
    None,
    AccessDenied,
    InUse,
    DiskFull,
    DriveGone,
    TooBigForFat,
    CaseTwin,
    Unlisted,
    ChangedSinceCompare, // the target is no longer as the comparison saw it
    NameOfAnotherFile,   // the target name reaches a file that has another long name
    SourceGone,
    Other,
};

// The reason in a few German words, in the ANSI code page; empty for None.
const char* FailReasonText(TFailReason reason);
