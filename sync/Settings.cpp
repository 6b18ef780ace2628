#include "sync/Settings.h"

#include "sync/NumberText.h"
#include "sync/Paths.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace {

constexpr unsigned kComputerNameBuffer = 17;
constexpr std::size_t kMaxValueLength = 2047;    // what a 2048-byte profile buffer holds
constexpr std::size_t kMaxFileBytes = 16u << 20; // larger is no settings file of ours
constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A UTF-16 file would be damaged by 8-bit edits; it is neither read nor rewritten.
bool IsUtf16(std::string_view text) {
    return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

struct TLine {
    std::size_t Begin = 0; // first byte of the text
    std::size_t End = 0;   // after the text, before the line break
    std::size_t Next = 0;  // after the line break
};

// As the system's profile reader splits: a carriage return, a line feed or the two
// together end a line.
std::vector<TLine> SplitLines(std::string_view text) {
    std::vector<TLine> lines;
    std::size_t pos = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
    while (pos < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back({pos, text.size(), text.size()});
            break;
        }
        const std::size_t next = text.substr(end, 2) == "\r\n" ? end + 2 : end + 1;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

struct TKeyLine {
    const TLine* Line = nullptr;
    std::string_view Value;
};

// Where this computer's section and its two keys stand; the first section of that
// name and the first line of each key count.
struct TSection {
    const TLine* Header = nullptr;
    const TLine* Last = nullptr; // last non-blank line of the section
    TKeyLine Stick;
    TKeyLine Disk;
    TKeyLine StickSerial;
};

TSection FindSection(TFileSystem& fs, std::string_view text, const std::vector<TLine>& lines,
                     const std::string& computerName) {
    TSection section;
    for (const TLine& line : lines) {
        const std::string_view content = Trim(text.substr(line.Begin, line.End - line.Begin));
        const std::size_t close = content.rfind(']');
        if (content.starts_with('[') && close != std::string_view::npos) {
            if (section.Header)
                break;
            if (fs.SameText(Trim(content.substr(1, close - 1)), computerName))
                section.Header = section.Last = &line;
            continue;
        }
        if (!section.Header || content.empty())
            continue;
        section.Last = &line;
        if (content.starts_with(';'))
            continue;
        // A line without "=" is a key without a value, which reads as missing but
        // hides any later line of that key.
        const std::size_t equals = content.find('=');
        const std::string_view key = Trim(content.substr(0, equals));
        const std::string_view value = equals == std::string_view::npos
                                           ? std::string_view()
                                           : Trim(content.substr(equals + 1));
        for (auto [name, found] :
             {std::pair{"Stick", &section.Stick}, std::pair{"Disk", &section.Disk},
              std::pair{"StickSerial", &section.StickSerial}})
            if (!found->Line && fs.SameText(key, name))
                *found = {&line, value};
    }
    return section;
}

// A value in matching quotes loses them, and it is cut as the profile buffer cuts it.
std::string ReadValue(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, kMaxValueLength));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Up to eight hexadecimal digits, as written below; anything else is no serial.
std::optional<std::uint32_t> ReadSerial(std::string_view value) {
    if (value.empty() || value.size() > 8)
        return std::nullopt;
    std::uint32_t serial = 0;
    for (const char c : value) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        serial = serial << 4 | static_cast<std::uint32_t>(digit);
    }
    return serial;
}

std::string SerialText(std::optional<std::uint32_t> serial) {
    if (!serial)
        return {};
    return HexText(*serial, 8, true);
}

// A line break in a value would start a line of its own.
std::string_view FirstLineOf(std::string_view value) {
    return value.substr(0, value.find_first_of("\r\n"));
}

// The file's own line break, so that added lines look like the others.
std::string_view LineBreakOf(std::string_view text) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos || text.substr(end, 2) == "\r\n")
        return "\r\n";
    return text[end] == '\n' ? "\n" : "\r";
}

struct TEdit {
    std::size_t Begin;
    std::size_t End;
    std::string Text;
};

std::string UpdatedText(TFileSystem& fs, std::string_view text, const std::string& computerName,
                        const TFolderPair& folders) {
    const std::string_view lineBreak = LineBreakOf(text);
    const std::vector<TLine> lines = SplitLines(text);
    const TSection section = FindSection(fs, text, lines, computerName);
    const std::string stickLine = "Stick=" + std::string(FirstLineOf(folders.Stick));
    const std::string diskLine = "Disk=" + std::string(FirstLineOf(folders.Disk));
    const std::string serialLine = "StickSerial=" + SerialText(folders.StickSerial);

    std::vector<TEdit> edits;
    std::string added;
    for (auto [key, line] :
         {std::pair{&section.Stick, &stickLine}, std::pair{&section.Disk, &diskLine},
          std::pair{&section.StickSerial, &serialLine}}) {
        if (key->Line) {
            edits.push_back({key->Line->Begin, key->Line->End, *line});
        } else if (key != &section.StickSerial || folders.StickSerial) {
            added += *line;
            added += lineBreak;
        }
    }
    if (!section.Header)
        added = "[" + computerName + "]" + std::string(lineBreak) + added;
    if (!added.empty()) {
        const std::size_t at = section.Header ? section.Last->Next : text.size();
        const bool needsBreak = at > 0 && text[at - 1] != '\n' && text[at - 1] != '\r';
        edits.push_back({at, at, (needsBreak ? std::string(lineBreak) : std::string()) + added});
    }
    std::sort(edits.begin(), edits.end(),
              [](const TEdit& a, const TEdit& b) { return a.Begin < b.Begin; });

    std::string result;
    std::size_t pos = 0;
    for (const TEdit& edit : edits) {
        result.append(text.substr(pos, edit.Begin - pos));
        result += edit.Text;
        pos = edit.End;
    }
    result.append(text.substr(pos));
    return result;
}

} // namespace

std::string ReadComputerName(TFileSystem& fs) {
    char buffer[kComputerNameBuffer] = {};
    fs.ComputerNameInto(buffer, kComputerNameBuffer);
    return std::string(buffer, std::find(buffer, buffer + kComputerNameBuffer, '\0'));
}

std::string SettingsFileFor(const std::string& exePath) {
    return FolderPart(exePath) + "Settings.prp";
}

TFolderPair ReadFolders(TFileSystem& fs, const std::string& settingsFile,
                        const std::string& computerName) {
    try {
        std::string text;
        if (fs.ReadWholeFile(settingsFile, kMaxFileBytes, text) != TReadResult::Ok || IsUtf16(text))
            return {};
        const TSection section = FindSection(fs, text, SplitLines(text), computerName);
        return {ReadValue(section.Stick.Value), ReadValue(section.Disk.Value),
                ReadSerial(ReadValue(section.StickSerial.Value))};
    } catch (...) {
        return {};
    }
}

void WriteFolders(TFileSystem& fs, const std::string& settingsFile, const std::string& computerName,
                  const TFolderPair& folders) {
    try {
        std::string text;
        const TReadResult read = fs.ReadWholeFile(settingsFile, kMaxFileBytes, text);
        // A file that cannot be read whole would lose the other computers' sections.
        if (read == TReadResult::Failed || IsUtf16(text))
            return;
        const std::string updated = UpdatedText(fs, text, computerName, folders);
        if (read == TReadResult::Missing || updated != text) {
            // A write cut off earlier may have left its temporary file beside ours.
            RemoveOwnLeftovers(fs, FolderPart(settingsFile));
            fs.ReplaceFileContents(settingsFile, updated);
        }
    } catch (...) {
    }
}
