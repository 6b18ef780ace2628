// The window's German texts that carry figures: reports, folder problems, the
// copy bar. In the ANSI code page (Windows-1252), with German number format.
#pragma once

#include "sync/CopyList.h"
#include "sync/CopyRun.h"
#include "sync/FolderCheck.h"

#include <cstdint>
#include <string>

// "12,4" for (12.43, 1): a decimal comma, no grouping; for a value from 0 up
// to 2^64, rounded as printf rounds.
std::string GermanDecimal(double value, int decimals);

// A size in MB (below 1 GB) or GB, binary units as the system shows them:
// "4,2 MB", "198 MB", "1,5 GB".
std::string SizeText(std::uint64_t bytes);

// "12,4 MB/s – noch 1:05 min"; hours as "noch 1:02:05 h".
std::string SpeedText(double bytesPerSecond, std::uint64_t secondsLeft);

// The item text of an entry: its path, with the conflict image before it when
// both sides changed, and when it failed the warning image before it and the
// reason after it, smaller and grey.
std::string ItemText(const TCopyEntry& entry);

// The item text of a folder left out as the other side's root: its path, with
// the note after it as a reason is.
std::string OtherRootText(const TOtherRoot& root);

// The report of a copy run over `total` entries, of which the first
// result.AttemptedCount were tried: the totals and, with failures, their count
// by reason.
std::string CopyReportContent(const TCopyRunResult& result, const TCopyList& list, int total);

// The message for a volume short of space: side, space needed and space free.
std::string ShortageText(const TSpaceShortage& shortage);

// The instruction (naming the field) and the content of a folder problem.
std::string FolderProblemInstruction(const TFolderCheck& check);
std::string FolderProblemText(const TFolderCheck& check);

// How far a cancelled comparison got.
std::string CancelledCompareText(int folders, int files);
