#include "controls/html/PictureFile.h"

#include <windows.h>

#include <memory>

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const std::unique_ptr<void, decltype(&CloseHandle)> file(handle, CloseHandle);
    char buffer[64 * 1024];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
        if (read == 0)
            return true;
        bytes.append(buffer, read);
    }
    return false;
}

bool WholeBitmap(const std::string& bytes) {
    const std::uint64_t size = bytes.size();
    const std::uint32_t headerSize = DoubleWord(bytes, 14);
    const bool core = headerSize == 12;
    if (size < 18 || (!core && headerSize < 40) || 14 + std::uint64_t{headerSize} > size)
        return false;
    const std::int64_t width =
        core ? Word(bytes, 18) : static_cast<std::int32_t>(DoubleWord(bytes, 18));
    const std::int64_t height =
        core ? Word(bytes, 20) : static_cast<std::int32_t>(DoubleWord(bytes, 22));
    const int planes = Word(bytes, core ? 22 : 26), bits = Word(bytes, core ? 24 : 28);
    const std::uint32_t compression = core ? BI_RGB : DoubleWord(bytes, 30);
    const std::uint64_t pixels = DoubleWord(bytes, 10);
    if (width <= 0 || height == 0 || planes != 1 || pixels < 14 + std::uint64_t{headerSize} ||
        pixels >= size)
        return false;
    if (compression != BI_RGB && compression != BI_BITFIELDS)
        return true; // compressed: its length is the decoder's to check
    // A row is at most the file's size, so the product below cannot overflow.
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
    return (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32) &&
           stride <= size && pixels + stride * rows <= size;
}
