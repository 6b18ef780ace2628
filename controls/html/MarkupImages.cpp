#include "controls/html/MarkupImages.h"

#include "controls/html/ShellIcons.h"
#include "controls/paint/AdvGradient.h"
#include "framework/Controls.h"
#include "framework/Text.h"

// ---- Markup images

SIZE TMarkupImage::Size(int width, int height) const {
    if (Picture) {
        if (width >= 1 && height >= 1)
            return SIZE{width, height};
        return SIZE{Picture->Width(), Picture->Height()};
    }
    int cx = 0, cy = 0;
    ImageList_GetIconSize(List, &cx, &cy);
    return SIZE{cx, cy};
}

void TMarkupImage::Draw(TCanvas& canvas, int x, int y, int width, int height, bool scaleImages,
                        double imageScale) const {
    if (Picture) {
        if (width >= 1 && height >= 1)
            Picture->StretchDraw(canvas, MakeRect(x, y, x + width, y + height));
        else
            Picture->DrawAt(canvas, x, y);
        return;
    }
    if (!scaleImages) {
        ImageList_Draw(List, Index, canvas.Handle(), x, y, ILD_TRANSPARENT);
        return;
    }
    // Stretched opaquely: the image over black, without its mask.
    const SIZE size = Size(0, 0);
    TBitmap image(size.cx, size.cy);
    ImageList_Draw(List, Index, image.Canvas().Handle(), 0, 0, ILD_NORMAL);
    SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
    StretchBlt(canvas.Handle(), x, y, RoundHalfEven(size.cx * imageScale),
               RoundHalfEven(size.cy * imageScale), image.Canvas().Handle(), 0, 0, size.cx, size.cy,
               SRCCOPY);
}

std::vector<TMarkupImage> FindMarkupImages(const std::string& source,
                                           const TMarkupImageSources& sources) {
    std::vector<TMarkupImage> found;
    const std::string upper = UpperCase(source);
    if (upper.find("IDX:") != std::string::npos && sources.Images) {
        const int index = ImageIndex(source.substr(4));
        if (index >= 0 && index < sources.Images->Count())
            found.push_back(TMarkupImage{sources.Images->Handle(), index, nullptr});
    }
    const bool small = upper.find("SSYS:") != std::string::npos;
    if (small || upper.find("LSYS:") != std::string::npos)
        if (const TShellIcon icon = ShellIcon(source.substr(5), small); icon.List)
            found.push_back(TMarkupImage{icon.List, icon.Index, nullptr});
    if (source.find(':') == std::string::npos && sources.Container)
        if (THTMLPicture* picture = sources.Container->FindPicture(source);
            picture && !picture->Empty())
            found.push_back(TMarkupImage{nullptr, -1, picture});
    if (source.find("://") != std::string::npos && sources.Cache)
        if (THTMLPicture& picture = sources.Cache->Get(source); !picture.Empty())
            found.push_back(TMarkupImage{nullptr, -1, &picture});
    return found;
}

// ---- BODY backgrounds

void PaintBodyBackground(TCanvas& canvas, const TBodyBackground& body, const RECT& rect, POINT at,
                         const TMarkupImageSources& sources, TColor& savedBrush) {
    if (body.HasColorTo) {
        DrawGradient(canvas, body.Color, body.ColorTo, 64, rect, body.Horizontal);
        canvas.Brush.SetColor(clNone);
    } else if (body.HasColor) {
        savedBrush = canvas.Brush.Style() == TBrushStyle::bsClear ? clNone : canvas.Brush.Color();
        const TColor pen = canvas.Pen.Color();
        canvas.Brush.SetColor(body.Color);
        canvas.Pen.SetColor(body.Color);
        canvas.Rectangle(rect.left - 2, rect.top, rect.right, rect.bottom);
        canvas.Pen.SetColor(pen);
    }

    for (const TMarkupImage& image : FindMarkupImages(body.Background, sources)) {
        const THTMLPicture* picture = image.Picture;
        if (!picture) {
            image.Draw(canvas, at.x, at.y, 0, 0, false, 1.0);
            continue;
        }
        if (picture->Width() <= 0 || picture->Height() <= 0)
            continue;
        const TClipScope clip(canvas.Handle(), rect);
        for (int y = rect.top; y < rect.bottom; y += picture->Height())
            for (int x = rect.left; x < rect.right; x += picture->Width())
                picture->DrawAt(canvas, x, y);
    }
    for (const TMarkupImage& image : FindMarkupImages(body.TopLeft, sources))
        if (image.Picture)
            image.Picture->DrawAt(canvas, rect.left, rect.top);
        else
            image.Draw(canvas, at.x, at.y, 0, 0, false, 1.0);
    for (const TMarkupImage& image : FindMarkupImages(body.TopRight, sources)) {
        const int width = image.Size(0, 0).cx;
        if (image.Picture)
            image.Picture->DrawAt(canvas, rect.right - width, rect.top);
        else
            image.Draw(canvas, rect.right - width, at.y, 0, 0, false, 1.0);
    }
}
