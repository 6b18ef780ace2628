#include "app/ReportTexts.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kGiB = kMiB * 1024.0;
// "<IMG src="idx:0"> " puts the warning triangle of StdImages before a path.
constexpr char kFailureMarker[] = "<IMG src=\"idx:0\"> ";
// The second image: a file that both sides changed.
constexpr char kConflictMarker[] = "<IMG src=\"idx:1\"> ";

std::string Printed(const char* format, int a, int b = 0, int c = 0) {
    char text[256];
    std::snprintf(text, sizeof(text), format, a, b, c);
    return text;
}

// The format with each "%s" replaced by the next of the texts, in turn.
std::string Fill(std::string_view format, std::initializer_list<std::string_view> texts) {
    std::string out;
    const std::string_view* next = texts.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format.substr(i, 2) == "%s" && next != texts.end()) {
            out += *next++;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

// The path with a note after it, smaller and grey.
std::string Noted(std::string_view path, std::string_view note) {
    return Fill("%s <FONT size=\"7\" color=\"#808080\">%s</FONT>", {path, note});
}

// The field as its label names it.
const char* FieldName(bool stick) {
    return stick ? "\x84Stick\x93" : "\x84Platte\x93";
}

// An entry that fails from the start has its reason in its kind.
TFailReason ReasonOf(const TCopyEntry& entry) {
    if (entry.Reason != TFailReason::None)
        return entry.Reason;
    const TFailReason reason = KindReason(entry.Kind);
    return reason == TFailReason::None ? TFailReason::Other : reason;
}

} // namespace

std::string GermanDecimal(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f", decimals, value);
    std::string out = text;
    for (char& c : out)
        if (c == '.')
            c = ',';
    return out;
}

std::string SizeText(std::uint64_t bytes) {
    const double b = static_cast<double>(bytes);
    if (b >= kGiB)
        return GermanDecimal(b / kGiB, 1) + " GB";
    const double mb = b / kMiB;
    return GermanDecimal(mb, mb < 10 ? 1 : 0) + " MB";
}

std::string SpeedText(double bytesPerSecond, std::uint64_t secondsLeft) {
    const unsigned long long s = secondsLeft;
    char left[48];
    if (s >= 3600)
        std::snprintf(left, sizeof(left), "%llu:%02llu:%02llu h", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(left, sizeof(left), "%llu:%02llu min", s / 60, s % 60);
    const double mbs = bytesPerSecond / kMiB;
    return Fill("%s MB/s \x96 noch %s", {GermanDecimal(mbs, mbs < 100 ? 1 : 0), left});
}

std::string ItemText(const TCopyEntry& entry) {
    if (entry.Copied)
        return entry.Conflict ? kConflictMarker + entry.SourcePath : entry.SourcePath;
    return kFailureMarker + Noted(entry.SourcePath, FailReasonText(ReasonOf(entry)));
}

std::string OtherRootText(const TOtherRoot& root) {
    return Noted(root.Path, "Ordner der anderen Seite \x96 nicht abgeglichen");
}

std::string CopyReportContent(const TCopyRunResult& result, const TCopyList& list, int total) {
    std::string text;
    if (result.Cancelled) {
        text = Printed("Abgebrochen: %d von %d Dateien kopiert", result.CopiedCount, total);
        text += result.FailedCount > 0 ? Printed(", %d fehlgeschlagen.", result.FailedCount) : ".";
    } else if (result.FailedCount > 0) {
        text = Printed("%d Dateien konnten nicht kopiert werden\r\n"
                       "%d Dateien wurden erfolgreich kopiert",
                       result.FailedCount, result.CopiedCount);
    } else {
        return Printed("Alle %d Dateien wurden erfolgreich kopiert.", result.CopiedCount);
    }
    // The reasons in the order of their first failure.
    int counts[static_cast<int>(TFailReason::Other) + 1] = {};
    std::vector<TFailReason> order;
    for (int i = 0; i < result.AttemptedCount && i < static_cast<int>(list.size()); ++i) {
        const TFailReason reason = ReasonOf(*list[i]);
        if (!list[i]->Copied && counts[static_cast<int>(reason)]++ == 0)
            order.push_back(reason);
    }
    if (!order.empty())
        text += "\r\n";
    for (const TFailReason reason : order)
        text += Fill("\r\n%s: %s",
                     {FailReasonText(reason), std::to_string(counts[static_cast<int>(reason)])});
    return text;
}

std::string ShortageText(const TSpaceShortage& shortage) {
    return Fill("Auf %s ist nicht genug Platz: %s werden gebraucht, %s sind frei. Es wurde "
                "nichts kopiert.",
                {shortage.ToStick ? "dem Stick" : "der Platte", SizeText(shortage.Needed),
                 SizeText(shortage.Free)});
}

std::string FolderProblemInstruction(const TFolderCheck& check) {
    if (check.Problem == TFolderProblem::SameFolder)
        return Fill("Bitte die Felder %s und %s pr\xfc"
                    "fen.",
                    {FieldName(true), FieldName(false)});
    return Fill("Bitte das Feld %s pr\xfc"
                "fen.",
                {FieldName(check.Stick)});
}

std::string FolderProblemText(const TFolderCheck& check) {
    const char* format = "";
    switch (check.Problem) {
    case TFolderProblem::Empty:
        return Fill("Im Feld %s ist kein Ordner angegeben.", {FieldName(check.Stick)});
    case TFolderProblem::Unnamable:
        format = "Der Name des Ordners %s enth\xe4lt Zeichen, die dieses Programm nicht "
                 "darstellen kann (als \x84?\x93 gezeigt). Bitte einen Ordner w\xe4hlen, dessen "
                 "Name nur solche Zeichen enth\xe4lt, die hier darstellbar sind.";
        break;
    case TFolderProblem::DriveMissing:
        format = check.Stick ? "Das Laufwerk %s ist nicht vorhanden. Steckt der Stick an einem "
                               "anderen Laufwerk?"
                             : "Das Laufwerk %s ist nicht vorhanden.";
        break;
    case TFolderProblem::Missing:
        format = "Der Ordner %s existiert nicht.";
        break;
    case TFolderProblem::SameFolder:
        format = "Beide Felder f\xfchren zum selben Ordner %s.";
        break;
    case TFolderProblem::None:
        break;
    }
    return Fill(format, {check.Shown});
}

std::string CancelledCompareText(int folders, int files) {
    return Printed("Der Vergleich wurde nach %d Ordnern abgebrochen; bis dahin wurden %d "
                   "Dateien gefunden. Was nicht mehr verglichen wurde, fehlt in den Listen.",
                   folders, files);
}
