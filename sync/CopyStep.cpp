#include "sync/CopyStep.h"

#include "sync/NumberText.h"
#include "sync/Paths.h"

#include <cstdlib>
#include <optional>

namespace {

constexpr unsigned kConflictAttempts = 100;

// A target that appeared, or whose kind, time or size changed; one that cannot be
// read counts as changed. One that vanished holds nothing to lose.
bool ChangedSince(const std::optional<TPathState>& seenOrNot, const TPathState& now) {
    if (!seenOrNot)
        return false;
    const TPathState& seen = *seenOrNot;
    if (now.Result != TReadResult::Ok)
        return now.Result == TReadResult::Failed;
    return seen.Result != TReadResult::Ok || seen.IsDirectory != now.IsDirectory ||
           seen.Time.Date != now.Time.Date || seen.Time.Time != now.Time.Time ||
           seen.Size != now.Size;
}

// Only what every file system takes in a name, so that the computer's name
// cannot make the kept copy fail.
std::string NamePiece(std::string_view computerName) {
    std::string piece;
    for (const char c : computerName) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        piece += plain ? c : '_';
    }
    return piece;
}

// Keeps the target's version under a free conflict name; false when it cannot.
bool KeepTarget(TFileSystem& fs, const std::string& target, TDosTime time,
                std::string_view computerName) {
    for (unsigned attempt = 0; attempt < kConflictAttempts; ++attempt) {
        const std::string kept = ConflictPath(target, time, computerName, attempt);
        const TPathState there = fs.StateOf(kept);
        if (there.Result == TReadResult::Missing) {
            TCopiedStates ignored;
            return fs.CopyFileSafely(target, kept, there, {}, ignored) == TFailReason::None;
        }
        if (there.Result == TReadResult::Failed)
            return false;
    }
    return false;
}

} // namespace

std::string ConflictPath(std::string_view path, TDosTime time, std::string_view computerName,
                         unsigned attempt) {
    const std::string_view name = NamePart(path);
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot > 0;
    const std::string_view stem = hasExtension ? name.substr(0, dot) : name;
    const std::string_view extension = hasExtension ? name.substr(dot) : std::string_view();
    std::string out = FolderPart(path);
    out.append(stem).append(" (Konflikt ").append(std::to_string(1980 + (time.Date >> 9)));
    out.append("-").append(DecimalText((time.Date >> 5) & 15, 2));
    out.append("-").append(DecimalText(time.Date & 31, 2));
    out.append(" ").append(DecimalText(time.Time >> 11, 2));
    out.append(".").append(DecimalText((time.Time >> 5) & 63, 2));
    if (!computerName.empty())
        out += ' ' + NamePiece(computerName);
    out += ')';
    if (attempt > 0)
        out += ' ' + std::to_string(attempt + 1);
    return out.append(extension);
}

TCopyOutcome CopyEntry(TFileSystem& fs, TCopyEntry& entry, std::string_view computerName,
                       const TCopyProgress& progress) {
    entry.InStepAfterCopy.reset();
    const TPathState target = fs.StateOf(entry.TargetFile);
    if (ChangedSince(entry.TargetSeen, target)) {
        entry.Reason = TFailReason::ChangedSinceCompare;
        return TCopyOutcome::Failed;
    }
    const bool keep = entry.Conflict && !entry.OlderKept && target.Result == TReadResult::Ok &&
                      !target.IsDirectory;
    if (keep && !KeepTarget(fs, entry.TargetFile, target.Time, computerName)) {
        entry.Reason = TFailReason::Other;
        return TCopyOutcome::Failed;
    }
    entry.OlderKept = entry.OlderKept || keep;
    TCopiedStates copied;
    entry.Reason = fs.CopyFileSafely(entry.SourceFile, entry.TargetFile, target, progress, copied);
    if (entry.Reason != TFailReason::None)
        return TCopyOutcome::Failed;
    // The source as it was read, so an edit after the copy is the next comparison's.
    const TPathState& source = copied.Source;
    entry.TargetSeen = copied.Target;
    if (source.Size == copied.Target.Size &&
        std::abs(WallSeconds(source.Time) - WallSeconds(copied.Target.Time)) <= 2) {
        const TSideStamp sourceSide{source.Time, source.Size};
        const TSideStamp targetSide{copied.Target.Time, copied.Target.Size};
        entry.InStepAfterCopy =
            entry.ToStickFlag ? TInStep{targetSide, sourceSide} : TInStep{sourceSide, targetSide};
    }
    return keep ? TCopyOutcome::CopiedKeepingOlder : TCopyOutcome::Copied;
}
