// The frames of an animated GIF, read from the bytes of its file, and each
// frame cut out as a GIF of its own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One frame of an animated GIF: where it sits on the logical screen and how
// long it shows, in hundredths of a second.
struct TGifFrame {
    int X = 0, Y = 0, Width = 0, Height = 0;
    int Delay = 0;
    // Byte ranges of the frame's control extension and image in the file.
    std::size_t ControlStart = 0, ControlEnd = 0, ImageStart = 0, ImageEnd = 0;
};

bool IsGif(const std::string& bytes);

// The frames of a GIF: images that follow a graphic control extension.
std::vector<TGifFrame> GifFrames(const std::string& bytes);

// A GIF of one frame alone, moved to the origin of a screen of its own size,
// so that the decoder shows exactly that frame.
std::string SingleFrameGif(const std::string& bytes, const TGifFrame& frame);
