// Pictures that markup names besides image list images: pictures kept as the
// bytes of their file, the per-control cache of pictures loaded by URL, the
// picture container component, shell icons, and the BODY page backgrounds.
#pragma once

#include "framework/Classes.h"
#include "framework/Errors.h"
#include "framework/Graphics.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct IPicture;

// Raised inside picture loading; the loaders that take files, resources and
// URLs catch it and leave the picture empty.
class EPictureError : public EKorvandelError {
  public:
    using EKorvandelError::EKorvandelError;
};

// One frame of an animated GIF: where it sits on the logical screen and how
// long it shows, in hundredths of a second.
struct TGifFrame {
    int X = 0, Y = 0, Width = 0, Height = 0;
    int Delay = 0;
    // Byte ranges of the frame's control extension and image in the file.
    std::size_t ControlStart = 0, ControlEnd = 0, ImageStart = 0, ImageEnd = 0;
};

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
    void Render(TCanvas& canvas, int x, int y, int width, int height) const;
    std::string FBytes;
    std::string FURL;
    std::unique_ptr<IPicture, void (*)(IPicture*)> FPicture;
    int FWidth = 0, FHeight = 0;
    std::vector<TGifFrame> FFrames;
    int FFrame = 1;
    int FTicks = 0;
    int FShownDelay = 0;
};

// Pictures loaded by URL for one control; owns them. Lookup compares the URL
// exactly, case included.
class THTMLPictureCache {
  public:
    THTMLPicture* Find(const std::string& url) const;
    // The entry for `url`; a new one is created and loaded at once.
    THTMLPicture& Get(const std::string& url);
    int Count() const { return static_cast<int>(FItems.size()); }
    THTMLPicture& Items(int index) const {
        CheckListIndex(index, Count());
        return *FItems[static_cast<std::size_t>(index)];
    }
    void Clear() { FItems.clear(); }

  private:
    std::vector<std::unique_ptr<THTMLPicture>> FItems;
};

struct TPictureItem {
    THTMLPicture Picture;
    std::string Name;
    int Tag = 0;
};

class TPictureCollection {
  public:
    TPictureItem& Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    TPictureItem& Items(int index) const {
        CheckListIndex(index, Count());
        return *FItems[static_cast<std::size_t>(index)];
    }
    void Delete(int index);
    void Clear() { FItems.clear(); }

  private:
    std::vector<std::unique_ptr<TPictureItem>> FItems;
};

// Named pictures that markup refers to by name.
class TPictureContainer : public TComponent {
  public:
    explicit TPictureContainer(TComponent* owner) : TComponent(owner) {}
    TPictureCollection Items;
    // The first picture whose name matches, case-insensitively; null if none.
    THTMLPicture* FindPicture(const std::string& name) const;
};

// One animation step over the pictures of a cache and of a container (either
// may be null); true when any picture showed a new frame.
bool AnimatePictures(THTMLPictureCache* cache, TPictureContainer* container);

// Where markup images come from.
struct TMarkupImageSources {
    TImageList* Images = nullptr;
    TPictureContainer* Container = nullptr;
    THTMLPictureCache* Cache = nullptr;
};

// One thing an image source names: an image of an image list (the control's
// own or the shell's system list) or a picture.
struct TMarkupImage {
    HIMAGELIST List = nullptr;
    int Index = -1;
    THTMLPicture* Picture = nullptr;

    // Size taken in the line, before device scaling. `width` and `height` are
    // the tag's WIDTH and HEIGHT (0 when absent); a picture stretches to them
    // only when both are given.
    SIZE Size(int width, int height) const;
    // At (x, y); with `scaleImages` a list image is stretched opaquely to its
    // size times `imageScale`.
    void Draw(TCanvas& canvas, int x, int y, int width, int height, bool scaleImages,
              double imageScale) const;
};

// Everything `source` names, tested in this order: "idx:N" of the image list,
// a shell icon ("ssys:" small, "lsys:" large, a file or folder name or a
// system image list index), a container picture (no ":" in the source) and a
// cache picture (a URL, loaded at once when first met). Empty pictures and
// unknown images are left out.
std::vector<TMarkupImage> FindMarkupImages(const std::string& source,
                                           const TMarkupImageSources& sources);

// The attributes of a BODY tag.
struct TBodyBackground {
    std::string Background, TopLeft, TopRight;
    TColor Color = clNone, ColorTo = clNone;
    bool HasColor = false, HasColorTo = false;
    bool Horizontal = true;
};

// Paints a BODY tag's background over `rect`; image list images of the
// sources go to `at`, where the tag stands. BGCOLOR alone leaves the brush in
// its colour and saves the previous one in `savedBrush`.
void PaintBodyBackground(TCanvas& canvas, const TBodyBackground& body, const RECT& rect, POINT at,
                         const TMarkupImageSources& sources, TColor& savedBrush);
