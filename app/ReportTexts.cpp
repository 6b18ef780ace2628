#include "app/ReportTexts.h"

#include "sync/NumberText.h"

#include <initializer_list>
#include <string_view>
#include <vector>

namespace {

constexpr int kMiBShift = 20;
constexpr int kGiBShift = 30;
// "<IMG src="idx:0"> " puts the warning triangle of StdImages before a path.
constexpr char kFailureMarker[] = "<IMG src=\"idx:0\"> ";
// The second image: a file that both sides changed.
constexpr char kConflictMarker[] = "<IMG src=\"idx:1\"> ";

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
    return FixedText(value, decimals, ',');
}

std::string SizeText(std::uint64_t bytes) {
    if (bytes >> kGiBShift != 0)
        return FractionText(bytes, kGiBShift, 1, ',') + " GB";
    const bool small = bytes >> kMiBShift < 10;
    return FractionText(bytes, kMiBShift, small ? 1 : 0, ',') + " MB";
}

std::string SpeedText(double bytesPerSecond, std::uint64_t secondsLeft) {
    const std::uint64_t s = secondsLeft;
    const std::string left =
        s >= 3600 ? Fill("%s:%s:%s h", {DecimalText(s / 3600), DecimalText(s / 60 % 60, 2),
                                        DecimalText(s % 60, 2)})
                  : Fill("%s:%s min", {DecimalText(s / 60), DecimalText(s % 60, 2)});
    const double mbs = bytesPerSecond / (1 << kMiBShift);
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
        text = Fill("Abgebrochen: %s von %s Dateien kopiert",
                    {std::to_string(result.CopiedCount), std::to_string(total)});
        text += result.FailedCount > 0
                    ? Fill(", %s fehlgeschlagen.", {std::to_string(result.FailedCount)})
                    : ".";
    } else if (result.FailedCount > 0) {
        text = Fill("%s Dateien konnten nicht kopiert werden\r\n"
                    "%s Dateien wurden erfolgreich kopiert",
                    {std::to_string(result.FailedCount), std::to_string(result.CopiedCount)});
    } else {
        return Fill("Alle %s Dateien wurden erfolgreich kopiert.",
                    {std::to_string(result.CopiedCount)});
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
    return Fill("Der Vergleich wurde nach %s Ordnern abgebrochen; bis dahin wurden %s "
                "Dateien gefunden. Was nicht mehr verglichen wurde, fehlt in den Listen.",
                {std::to_string(folders), std::to_string(files)});
}
