#include "sync/CopyList.h"

// Windows-1252: the texts go to the window as they are.
const char* FailReasonText(TFailReason reason) {
    switch (reason) {
    case TFailReason::None:
        return "";
    case TFailReason::AccessDenied:
        return "Zugriff verweigert";
    case TFailReason::InUse:
        return "Datei ist in einem anderen Programm ge\xf6"
               "ffnet";
    case TFailReason::DiskFull:
        return "Datentr\xe4ger voll";
    case TFailReason::DriveGone:
        return "Stick nicht mehr erreichbar";
    case TFailReason::TooBigForFat:
        return "zu gro\xdf f\xfcr FAT32";
    case TFailReason::CaseTwin:
        return "Name nur in Gro\xdf-/Kleinschreibung verschieden";
    case TFailReason::Unlisted:
        return "Ordner kann nicht gelesen werden";
    case TFailReason::ChangedSinceCompare:
        return "seit dem Vergleich ge\xe4ndert";
    case TFailReason::NameOfAnotherFile:
        return "Name geh\xf6rt zu einer anderen Datei";
    case TFailReason::SourceGone:
        return "Quelle nicht mehr vorhanden";
    case TFailReason::Other:
        break;
    }
    return "Fehler beim Kopieren";
}

TFailReason KindReason(TEntryKind kind) {
    switch (kind) {
    case TEntryKind::UnlistedFolder:
        return TFailReason::Unlisted;
    case TEntryKind::CaseTwin:
        return TFailReason::CaseTwin;
    case TEntryKind::ShortName:
        return TFailReason::NameOfAnotherFile;
    case TEntryKind::File:
        break;
    }
    return TFailReason::None;
}
