// The images that markup names, looked up in the control's image list, the
// shell's lists, its picture container and its picture cache, and the BODY
// tag's page background painted from them.
#pragma once

#include "controls/html/PictureContainer.h"
#include "framework/Graphics.h"

#include <string>
#include <vector>

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
