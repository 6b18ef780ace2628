#include "sync/SyncRecord.h"

#include "sync/NumberText.h"
#include "sync/Paths.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

constexpr std::string_view kMagic = "KVSR";
constexpr unsigned char kVersion = 1;
constexpr std::size_t kChecksumBytes = 8;
constexpr std::size_t kHeaderBytes = kMagic.size() + 1 + kChecksumBytes;
constexpr std::size_t kMaxFileBytes = 512u << 20;
constexpr std::uint64_t kDiskTimeDiffers = 1;
constexpr std::uint64_t kDiskSizeDiffers = 2;

std::uint64_t Fnv1a(std::string_view bytes, std::uint64_t hash = 14695981039346656037u) {
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
    return hash;
}

TDosTime Unpacked(std::uint32_t packed) {
    return {static_cast<std::uint16_t>(packed >> 16), static_cast<std::uint16_t>(packed)};
}

void PutVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

std::uint64_t ZigZag(std::int64_t value) {
    return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

std::int64_t UnZigZag(std::uint64_t value) {
    return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1);
}

// Reads what Encode wrote; every read checks its bounds.
class TReader {
  public:
    explicit TReader(std::string_view bytes) : FBytes(bytes) {}
    bool AtEnd() const { return FPos == FBytes.size(); }

    bool Varint(std::uint64_t& value) {
        value = 0;
        for (unsigned shift = 0; shift < 64 && FPos < FBytes.size(); shift += 7) {
            const auto byte = static_cast<unsigned char>(FBytes[FPos++]);
            value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return true;
        }
        return false;
    }
    bool Bytes(std::uint64_t count, std::string_view& bytes) {
        if (count > FBytes.size() - FPos)
            return false;
        bytes = FBytes.substr(FPos, static_cast<std::size_t>(count));
        FPos += static_cast<std::size_t>(count);
        return true;
    }
    bool Time(std::int64_t base, TDosTime& time) {
        std::uint64_t delta = 0;
        if (!Varint(delta))
            return false;
        const std::int64_t packed = base + UnZigZag(delta);
        time = Unpacked(static_cast<std::uint32_t>(packed));
        return packed >= 0 && packed <= 0xFFFFFFFF;
    }

  private:
    std::string_view FBytes;
    std::size_t FPos = 0;
};

} // namespace

std::int64_t WallSeconds(TDosTime time) {
    using namespace std::chrono;
    const year_month_day date{year{1980 + (time.Date >> 9)}, month{(time.Date >> 5) & 15u},
                              day{time.Date & 31u}};
    const std::int64_t days = sys_days{date}.time_since_epoch().count();
    return days * 86400 + (time.Time >> 11) * 3600 + ((time.Time >> 5) & 63) * 60 +
           (time.Time & 31) * 2;
}

bool SameMoment(TDosTime a, TDosTime b) {
    if (PackedTime(a) == PackedTime(b))
        return true;
    const std::int64_t apart = std::abs(WallSeconds(a) - WallSeconds(b));
    return apart <= 2 || std::abs(apart - 3600) <= 2;
}

bool IsUnchanged(const TSideStamp& now, const TSideStamp& recorded) {
    return now.Size == recorded.Size && SameMoment(now.Time, recorded.Time);
}

const TInStep* TSyncRecord::Find(std::string_view relPath) const {
    const auto found = FPairs.find(relPath);
    return found == FPairs.end() ? nullptr : &found->second.Pair;
}

namespace {

bool SamePair(const TInStep& a, const TInStep& b) {
    return PackedTime(a.Stick.Time) == PackedTime(b.Stick.Time) && a.Stick.Size == b.Stick.Size &&
           PackedTime(a.Disk.Time) == PackedTime(b.Disk.Time) && a.Disk.Size == b.Disk.Size;
}

} // namespace

void TSyncRecord::Changed() {
    static std::uint64_t versions = 0;
    FVersion = ++versions;
}

void TSyncRecord::Set(std::string_view relPath, const TInStep& pair) {
    if (const auto found = FPairs.find(relPath); found != FPairs.end()) {
        found->second.Pass = FPass;
        Reset(found->second.Pair, pair);
    } else {
        FPairs.emplace(std::string(relPath), TKept{pair, FPass});
        Changed();
    }
}

void TSyncRecord::Reset(const TInStep& kept, const TInStep& pair) {
    if (!SamePair(kept, pair)) {
        // kept is one of this record's own pairs.
        const_cast<TInStep&>(kept) = pair;
        Changed();
    }
}

void TSyncRecord::ForEachBelow(
    std::string_view prefix,
    const std::function<void(const std::string&, const TInStep&)>& take) const {
    for (const auto& [path, kept] : FPairs)
        if (path.starts_with(prefix))
            take(path, kept.Pair);
}

const TInStep* TSyncRecord::Touch(std::string_view relPath) {
    const auto found = FPairs.find(relPath);
    if (found == FPairs.end())
        return nullptr;
    found->second.Pass = FPass;
    return &found->second.Pair;
}

void TSyncRecord::KeepBelow(std::string_view prefix) {
    for (auto& [path, kept] : FPairs)
        if (path.starts_with(prefix))
            kept.Pass = FPass;
}

void TSyncRecord::DropUntouched() {
    if (std::erase_if(FPairs, [this](const auto& pair) { return pair.second.Pass != FPass; }) > 0)
        Changed();
}

std::string TSyncRecord::Encode() const {
    std::vector<const std::pair<const std::string, TKept>*> sorted;
    sorted.reserve(FPairs.size());
    for (const auto& pair : FPairs)
        sorted.push_back(&pair);
    std::sort(sorted.begin(), sorted.end(), [](auto a, auto b) { return a->first < b->first; });

    std::string body;
    PutVarint(body, sorted.size());
    std::string_view previous;
    std::int64_t previousTime = 0;
    for (const auto* pair : sorted) {
        const std::string& path = pair->first;
        const TInStep& inStep = pair->second.Pair;
        const std::size_t shared = static_cast<std::size_t>(
            std::mismatch(path.begin(), path.end(), previous.begin(), previous.end()).first -
            path.begin());
        PutVarint(body, shared);
        PutVarint(body, path.size() - shared);
        body.append(path, shared);
        const std::int64_t stickTime = PackedTime(inStep.Stick.Time);
        const std::int64_t diskTime = PackedTime(inStep.Disk.Time);
        const bool timeDiffers = diskTime != stickTime;
        const bool sizeDiffers = inStep.Disk.Size != inStep.Stick.Size;
        PutVarint(body,
                  (timeDiffers ? kDiskTimeDiffers : 0) | (sizeDiffers ? kDiskSizeDiffers : 0));
        PutVarint(body, ZigZag(stickTime - previousTime));
        PutVarint(body, inStep.Stick.Size);
        if (timeDiffers)
            PutVarint(body, ZigZag(diskTime - stickTime));
        if (sizeDiffers)
            PutVarint(body, inStep.Disk.Size);
        previous = path;
        previousTime = stickTime;
    }

    std::string out(kMagic);
    out += static_cast<char>(kVersion);
    const std::uint64_t checksum = Fnv1a(body);
    for (std::size_t i = 0; i < kChecksumBytes; ++i)
        out += static_cast<char>(checksum >> (8 * i));
    return out + body;
}

bool TSyncRecord::Decode(std::string_view bytes) {
    FPairs.clear();
    Changed();
    if (bytes.size() < kHeaderBytes || !bytes.starts_with(kMagic) ||
        static_cast<unsigned char>(bytes[kMagic.size()]) != kVersion)
        return false;
    std::uint64_t checksum = 0;
    for (std::size_t i = 0; i < kChecksumBytes; ++i) {
        checksum |=
            static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[kMagic.size() + 1 + i]))
            << (8 * i);
    }
    const std::string_view body = bytes.substr(kHeaderBytes);
    TReader reader(body);
    std::uint64_t count = 0;
    // Each pair takes at least five bytes, which bounds what a damaged count reserves.
    if (Fnv1a(body) != checksum || !reader.Varint(count) || count > body.size() / 5)
        return false;
    FPairs.reserve(static_cast<std::size_t>(count));
    std::string path;
    std::int64_t previousTime = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t shared = 0;
        std::uint64_t length = 0;
        std::uint64_t flags = 0;
        std::string_view suffix;
        TInStep inStep;
        if (!reader.Varint(shared) || shared > path.size() || !reader.Varint(length) ||
            !reader.Bytes(length, suffix)) {
            FPairs.clear();
            return false;
        }
        std::string next = path.substr(0, static_cast<std::size_t>(shared));
        next += suffix;
        // Sorted and without twins: anything else is no record of ours.
        const bool ordered = i == 0 ? !next.empty() : next > path;
        bool read = ordered && reader.Varint(flags) && flags <= 3 &&
                    reader.Time(previousTime, inStep.Stick.Time) &&
                    reader.Varint(inStep.Stick.Size);
        inStep.Disk = inStep.Stick;
        if (read && (flags & kDiskTimeDiffers))
            read = reader.Time(PackedTime(inStep.Stick.Time), inStep.Disk.Time);
        if (read && (flags & kDiskSizeDiffers))
            read = reader.Varint(inStep.Disk.Size);
        if (!read) {
            FPairs.clear();
            return false;
        }
        previousTime = PackedTime(inStep.Stick.Time);
        path = next;
        FPairs.emplace(std::move(next), TKept{inStep, FPass});
    }
    if (!reader.AtEnd()) {
        FPairs.clear();
        return false;
    }
    return true;
}

std::string SyncRecordFileFor(const std::string& settingsFile, std::string_view computerName,
                              std::string_view stickRoot, std::string_view diskRoot) {
    // The NULs keep "ab" + "c" apart from "a" + "bc".
    std::uint64_t hash = Fnv1a(computerName);
    hash = Fnv1a(std::string_view("\0", 1), hash);
    hash = Fnv1a(stickRoot, hash);
    hash = Fnv1a(std::string_view("\0", 1), hash);
    hash = Fnv1a(diskRoot, hash);
    return FolderPart(settingsFile) + "~Korvandel Stand " + HexText(hash, 16, false) + ".dat";
}

TRecordLoad TSyncRecordFile::Load(TFileSystem& fs, TSyncRecord& record) {
    record = {};
    FOnDisk.clear();
    FVersion.reset();
    switch (fs.ReadWholeFile(FPath, kMaxFileBytes, FOnDisk)) {
    case TReadResult::Missing:
        return TRecordLoad::Missing;
    case TReadResult::Failed:
        FOnDisk.clear();
        return TRecordLoad::Damaged;
    case TReadResult::Ok:
        break;
    }
    if (!record.Decode(FOnDisk)) {
        FOnDisk.clear();
        return TRecordLoad::Damaged;
    }
    FVersion = record.Version();
    return TRecordLoad::Ok;
}

bool TSyncRecordFile::Save(TFileSystem& fs, const TSyncRecord& record) {
    // A record of the version on disk needs no encoding, which sorts every path.
    if (FVersion == record.Version())
        return true;
    std::string bytes = record.Encode();
    if (bytes != FOnDisk && !fs.ReplaceFileContents(FPath, bytes))
        return false;
    FOnDisk = std::move(bytes);
    FVersion = record.Version();
    return true;
}
