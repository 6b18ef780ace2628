#include "controls/html/HTMLPicture.h"

#include "controls/html/PictureFile.h"
#include "framework/Text.h"

THTMLPicture::THTMLPicture() : FPicture(nullptr, ReleasePicture) {}

THTMLPicture::~THTMLPicture() = default;

void THTMLPicture::Clear() {
    FBytes.clear();
    FPicture.reset();
    FFrames.clear();
    FWidth = FHeight = 0;
    FFrame = 1;
    FTicks = FShownDelay = 0;
}

void THTMLPicture::Decode() {
    const bool animated = !FFrames.empty();
    FPicture.reset(DecodePicture(animated ? SingleFrameGif(FBytes, FFrames[FFrame - 1]) : FBytes));
}

void THTMLPicture::LoadFromBytes(std::string bytes) {
    Clear();
    FBytes = std::move(bytes);
    FFrames = GifFrames(FBytes);
    try {
        Decode();
    } catch (...) {
        Clear();
        throw;
    }
    const SIZE size = PictureSize(FPicture.get());
    const bool screen = IsGif(FBytes) && Word(FBytes, 6) > 0 && Word(FBytes, 8) > 0;
    FWidth = screen ? Word(FBytes, 6) : size.cx;
    FHeight = screen ? Word(FBytes, 8) : size.cy;
    FShownDelay = FFrames.empty() ? 0 : FFrames[0].Delay;
}

void THTMLPicture::LoadOrClear(std::string bytes) {
    try {
        LoadFromBytes(std::move(bytes));
    } catch (const EPictureError&) {
        // A picture that cannot be decoded stays empty.
        Clear();
    }
}

void THTMLPicture::LoadFromFile(const std::string& path) {
    std::string bytes;
    if (ReadFileBytes(path, bytes))
        LoadOrClear(std::move(bytes));
    else
        Clear();
}

void THTMLPicture::LoadFromResource(HINSTANCE instance, const std::string& name) {
    HRSRC resource = FindResourceA(instance, name.c_str(), reinterpret_cast<LPCSTR>(RT_RCDATA));
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (data)
        LoadOrClear(std::string(data, SizeofResource(instance, resource)));
    else
        Clear();
}

void THTMLPicture::LoadFromURL(const std::string& url) {
    FURL = url;
    const std::string scheme = UpperCase(url.substr(0, 7));
    if (scheme.starts_with("RES://"))
        LoadFromResource(GetModuleHandleA(nullptr), url.substr(6));
    else if (scheme.starts_with("FILE://"))
        LoadFromFile(url.substr(7));
}

void THTMLPicture::SetFrame(int frame) {
    if (FFrames.empty() || frame < 1 || frame > FrameCount() || frame == FFrame)
        return;
    const int previous = FFrame;
    FFrame = frame;
    try {
        Decode();
    } catch (const EPictureError&) {
        FFrame = previous; // keep showing the frame that decoded
        return;
    }
    if (OnFrameChange)
        OnFrameChange(*this);
}

POINT THTMLPicture::FrameOffset() const {
    if (FFrames.empty())
        return POINT{0, 0};
    return POINT{FFrames[FFrame - 1].X, FFrames[FFrame - 1].Y};
}

void THTMLPicture::DrawAt(TCanvas& canvas, int x, int y) const {
    if (Empty())
        return;
    const POINT offset = FrameOffset();
    const SIZE size = PictureSize(FPicture.get());
    RenderPicture(FPicture.get(), canvas.Handle(), x + offset.x, y + offset.y, size.cx, size.cy);
}

void THTMLPicture::StretchDraw(TCanvas& canvas, const RECT& r) const {
    if (Empty() || FWidth <= 0 || FHeight <= 0)
        return;
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (FFrames.empty()) {
        RenderPicture(FPicture.get(), canvas.Handle(), r.left, r.top, width, height);
        return;
    }
    // A frame keeps its place on the stretched screen.
    const TGifFrame& frame = FFrames[FFrame - 1];
    RenderPicture(FPicture.get(), canvas.Handle(), r.left + MulDiv(frame.X, width, FWidth),
                  r.top + MulDiv(frame.Y, height, FHeight), MulDiv(frame.Width, width, FWidth),
                  MulDiv(frame.Height, height, FHeight));
}

void THTMLPicture::Draw(TCanvas& canvas, const RECT& r) const {
    if (Stretch)
        StretchDraw(canvas, r);
    else
        DrawAt(canvas, r.left, r.top);
}

bool THTMLPicture::Step() {
    if (FrameCount() < 2)
        return false;
    ++FTicks;
    // Ticks are 100 ms, delays hundredths of a second.
    if (FTicks * 10 < FShownDelay)
        return false;
    const int previous = FFrame;
    SetFrame(FFrame % FrameCount() + 1);
    FShownDelay += FFrames[FFrame - 1].Delay;
    return FFrame != previous;
}
