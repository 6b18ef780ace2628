// A picture kept as the bytes of its image file, shown frame by frame when
// it is an animated GIF.
#pragma once

#include "controls/html/GifFrames.h"
#include "controls/html/OlePicture.h"
#include "framework/Graphics.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A picture that keeps the raw bytes of an image file and decodes them with
// the system's OLE picture loader. A GIF with several frames shows the one
// selected by Frame (1-based), each decoded on its own.
class THTMLPicture {
  public:
    THTMLPicture();
    THTMLPicture(const THTMLPicture&) = delete;
    THTMLPicture& operator=(const THTMLPicture&) = delete;
    ~THTMLPicture();

    // Replaces the picture; throws EPictureError (and stays empty) when the
    // bytes do not decode.
    void LoadFromBytes(std::string bytes);
    // A picture that cannot be read or decoded stays empty; these throw no
    // EPictureError.
    void LoadFromFile(const std::string& path);
    void LoadFromResource(HINSTANCE instance, const std::string& name);
    // "RES://name" loads a raw-data resource of the program and "FILE://path"
    // a file, at once; any other URL is only recorded.
    void LoadFromURL(const std::string& url);
    const std::string& URL() const { return FURL; }
    void Clear();

    bool Empty() const { return !FPicture; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    // GIF frames (control extension followed by an image); 0 for other formats.
    int FrameCount() const { return static_cast<int>(FFrames.size()); }
    const std::vector<TGifFrame>& Frames() const { return FFrames; }
    int Frame() const { return FFrame; }
    void SetFrame(int frame);
    // Offset of the shown frame on the logical screen; (0, 0) unless animated.
    POINT FrameOffset() const;

    bool Stretch = false;
    std::function<void(THTMLPicture& sender)> OnFrameChange;

    // Into `r` when Stretch is set, otherwise at natural size at its top-left.
    void Draw(TCanvas& canvas, const RECT& r) const;
    // Natural size with the shown frame at its offset from (x, y).
    void DrawAt(TCanvas& canvas, int x, int y) const;
    void StretchDraw(TCanvas& canvas, const RECT& r) const;

    // One 100 ms tick of animation: moves to the next frame once the ticks so
    // far cover the delays of the frames shown so far; true when it moved.
    bool Step();

  private:
    // LoadFromBytes, leaving the picture empty where the bytes do not decode.
    void LoadOrClear(std::string bytes);
    void Decode();
    std::string FBytes;
    std::string FURL;
    std::unique_ptr<IPicture, void (*)(IPicture*)> FPicture;
    int FWidth = 0, FHeight = 0;
    std::vector<TGifFrame> FFrames;
    int FFrame = 1;
    int FTicks = 0;
    int FShownDelay = 0;
};
