// Reading picture files: the whole file as bytes, the little-endian fields
// of image headers, and the check that a bitmap file is whole.
#pragma once

#include <cstdint>
#include <string>

// The whole file, read through the system's file functions; false when it
// cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::string& bytes);

// Fields past the end of the bytes read as 0.
inline int Byte(const std::string& bytes, std::size_t at) {
    return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0;
}

inline int Word(const std::string& bytes, std::size_t at) {
    return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}

inline std::uint32_t DoubleWord(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(Word(bytes, at)) |
           static_cast<std::uint32_t>(Word(bytes, at + 2)) << 16;
}

inline void AppendWord(std::string& bytes, int value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8 & 0xFF);
}

// Whether a "BM" file holds a whole header and, uncompressed, all its pixels.
// The system's loader reads the header without looking at the length it was
// given, so a few stray bytes after "BM" can pass there as a small bitmap.
bool WholeBitmap(const std::string& bytes);
