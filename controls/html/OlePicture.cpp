#include "controls/html/OlePicture.h"

#include "controls/html/PictureFile.h"

#include <ole2.h>
#include <olectl.h>

#include <algorithm>

IPicture* DecodePicture(const std::string& bytes) {
    if (bytes.empty())
        throw EPictureError("Empty image stream created");
    if (bytes.starts_with("BM") && !WholeBitmap(bytes))
        throw EPictureError("Could not load image. Invalid format");
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    void* data = memory ? GlobalLock(memory) : nullptr;
    if (!data) {
        if (memory)
            GlobalFree(memory);
        throw EPictureError("Could not allocate memory for image");
    }
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream)) || !stream) {
        GlobalFree(memory);
        throw EPictureError("Could not create image stream");
    }
    IPicture* picture = nullptr;
    const HRESULT result = OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE,
                                          IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (result == CTL_E_INVALIDPICTURE)
        throw EPictureError("Could not load image. Invalid format");
    if (FAILED(result) || !picture)
        throw EPictureError("Could not load image");
    return picture;
}

void ReleasePicture(IPicture* picture) {
    if (picture)
        picture->Release();
}

SIZE PictureSize(IPicture* picture) {
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    // Hundredths of a millimetre at 96 pixels per inch.
    return SIZE{MulDiv(width, 96, 2540), MulDiv(height, 96, 2540)};
}

void RenderPicture(IPicture* picture, HDC dc, int x, int y, int width, int height) {
    OLE_XSIZE_HIMETRIC sourceWidth = 0;
    OLE_YSIZE_HIMETRIC sourceHeight = 0;
    picture->get_Width(&sourceWidth);
    picture->get_Height(&sourceHeight);
    // The source rectangle runs bottom-up in HIMETRIC.
    picture->Render(dc, x, y, width, height, 0, sourceHeight, sourceWidth, -sourceHeight, nullptr);
}
