#include "controls/html/GifFrames.h"

#include "controls/html/PictureFile.h"

namespace {

std::size_t GlobalColorTableEnd(const std::string& bytes) {
    const int packed = Byte(bytes, 10);
    return 13 + ((packed & 0x80) ? 3u << ((packed & 7) + 1) : 0u);
}

// Position after a chain of data sub-blocks and its terminator; std::string::npos when cut off.
std::size_t SkipSubBlocks(const std::string& bytes, std::size_t at) {
    while (at < bytes.size()) {
        const int length = Byte(bytes, at);
        if (length == 0)
            return at + 1;
        at += length + 1;
    }
    return std::string::npos;
}

} // namespace

bool IsGif(const std::string& bytes) {
    return bytes.compare(0, 4, "GIF8") == 0 && bytes.size() >= 13;
}

std::vector<TGifFrame> GifFrames(const std::string& bytes) {
    std::vector<TGifFrame> frames;
    if (!IsGif(bytes))
        return frames;
    TGifFrame pending;
    bool controlled = false;
    std::size_t at = GlobalColorTableEnd(bytes);
    while (at < bytes.size()) {
        const int kind = Byte(bytes, at);
        std::size_t end;
        if (kind == 0x21) {
            end = SkipSubBlocks(bytes, at + 2);
            if (end != std::string::npos && Byte(bytes, at + 1) == 0xF9 &&
                Byte(bytes, at + 2) == 4) {
                pending = TGifFrame{};
                pending.Delay = Word(bytes, at + 4);
                pending.ControlStart = at;
                pending.ControlEnd = end;
                controlled = true;
            }
        } else if (kind == 0x2C) {
            const int packed = Byte(bytes, at + 9);
            const std::size_t data =
                at + 10 + ((packed & 0x80) ? 3u << ((packed & 7) + 1) : 0u) + 1;
            end = SkipSubBlocks(bytes, data);
            if (end != std::string::npos && controlled) {
                pending.X = Word(bytes, at + 1);
                pending.Y = Word(bytes, at + 3);
                pending.Width = Word(bytes, at + 5);
                pending.Height = Word(bytes, at + 7);
                pending.ImageStart = at;
                pending.ImageEnd = end;
                frames.push_back(pending);
                controlled = false;
            }
        } else {
            break; // the trailer, or bytes we cannot read
        }
        if (end == std::string::npos)
            break;
        at = end;
    }
    return frames;
}

std::string SingleFrameGif(const std::string& bytes, const TGifFrame& frame) {
    std::string gif = "GIF89a";
    AppendWord(gif, frame.Width);
    AppendWord(gif, frame.Height);
    gif.append(bytes, 10, GlobalColorTableEnd(bytes) - 10);
    gif.append(bytes, frame.ControlStart, frame.ControlEnd - frame.ControlStart);
    gif += '\x2C';
    AppendWord(gif, 0);
    AppendWord(gif, 0);
    gif.append(bytes, frame.ImageStart + 5, frame.ImageEnd - frame.ImageStart - 5);
    gif += '\x3B';
    return gif;
}
