#include "controls/html/PictureContainer.h"

#include "controls/paint/AdvGradient.h"
#include "framework/Text.h"
#include "framework/Controls.h"

#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <limits>

namespace {

// The whole file, read through the system's file functions; false when it
// cannot be opened or read.
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

void ReleasePicture(IPicture* picture) {
    if (picture)
        picture->Release();
}

int Byte(const std::string& bytes, std::size_t at) {
    return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0;
}

int Word(const std::string& bytes, std::size_t at) {
    return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}

void AppendWord(std::string& bytes, int value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8 & 0xFF);
}

std::uint32_t DoubleWord(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(Word(bytes, at)) |
           static_cast<std::uint32_t>(Word(bytes, at + 2)) << 16;
}

// Whether a "BM" file holds a whole header and, uncompressed, all its pixels.
// The system's loader reads the header without looking at the length it was
// given, so a few stray bytes after "BM" can pass there as a small bitmap.
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

bool IsGif(const std::string& bytes) {
    return bytes.compare(0, 4, "GIF8") == 0 && bytes.size() >= 13;
}

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

// The frames of a GIF: images that follow a graphic control extension.
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

// A GIF of one frame alone, moved to the origin of a screen of its own size,
// so that the decoder shows exactly that frame.
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

SIZE PictureSize(IPicture* picture) {
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    // Hundredths of a millimetre at 96 pixels per inch.
    return SIZE{MulDiv(width, 96, 2540), MulDiv(height, 96, 2540)};
}

// An image index written in a source; out-of-range numbers stay out of range
// rather than overflow.
int Index(const std::string& text) {
    return static_cast<int>(std::clamp<long long>(std::strtoll(text.c_str(), nullptr, 10), -1,
                                                  std::numeric_limits<int>::max()));
}

TMarkupImage ShellIcon(const std::string& name, bool small) {
    UINT flags = SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON);
    const bool number = !name.empty() && std::all_of(name.begin(), name.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    DWORD attributes = 0;
    // A number only needs the list; a name that does not exist is looked up by its type.
    if (number || GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) {
        flags |= SHGFI_USEFILEATTRIBUTES;
        attributes = FILE_ATTRIBUTE_NORMAL;
    }
    SHFILEINFOA info{};
    const auto list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(number ? "file" : name.c_str(), attributes, &info, sizeof(info), flags));
    const int index = number ? Index(name) : info.iIcon;
    if (!list || index < 0 || index >= ImageList_GetImageCount(list))
        return {};
    return TMarkupImage{list, index, nullptr};
}

} // namespace

// ---- THTMLPicture

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

void THTMLPicture::Render(TCanvas& canvas, int x, int y, int width, int height) const {
    OLE_XSIZE_HIMETRIC sourceWidth = 0;
    OLE_YSIZE_HIMETRIC sourceHeight = 0;
    FPicture->get_Width(&sourceWidth);
    FPicture->get_Height(&sourceHeight);
    // The source rectangle runs bottom-up in HIMETRIC.
    FPicture->Render(canvas.Handle(), x, y, width, height, 0, sourceHeight, sourceWidth,
                     -sourceHeight, nullptr);
}

void THTMLPicture::DrawAt(TCanvas& canvas, int x, int y) const {
    if (Empty())
        return;
    const POINT offset = FrameOffset();
    const SIZE size = PictureSize(FPicture.get());
    Render(canvas, x + offset.x, y + offset.y, size.cx, size.cy);
}

void THTMLPicture::StretchDraw(TCanvas& canvas, const RECT& r) const {
    if (Empty() || FWidth <= 0 || FHeight <= 0)
        return;
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (FFrames.empty()) {
        Render(canvas, r.left, r.top, width, height);
        return;
    }
    // A frame keeps its place on the stretched screen.
    const TGifFrame& frame = FFrames[FFrame - 1];
    Render(canvas, r.left + MulDiv(frame.X, width, FWidth),
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

// ---- THTMLPictureCache

THTMLPicture* THTMLPictureCache::Find(const std::string& url) const {
    for (const auto& picture : FItems)
        if (picture->URL() == url)
            return picture.get();
    return nullptr;
}

THTMLPicture& THTMLPictureCache::Get(const std::string& url) {
    if (THTMLPicture* picture = Find(url))
        return *picture;
    FItems.push_back(std::make_unique<THTMLPicture>());
    FItems.back()->LoadFromURL(url);
    return *FItems.back();
}

// ---- TPictureCollection, TPictureContainer

TPictureItem& TPictureCollection::Add() {
    FItems.push_back(std::make_unique<TPictureItem>());
    return *FItems.back();
}

void TPictureCollection::Delete(int index) {
    CheckListIndex(index, Count());
    FItems.erase(FItems.begin() + index);
}

THTMLPicture* TPictureContainer::FindPicture(const std::string& name) const {
    for (int i = 0; i < Items.Count(); ++i)
        if (SameText(Items.Items(i).Name, name))
            return &Items.Items(i).Picture;
    return nullptr;
}

bool AnimatePictures(THTMLPictureCache* cache, TPictureContainer* container) {
    bool changed = false;
    for (int i = 0; cache && i < cache->Count(); ++i)
        changed = cache->Items(i).Step() || changed;
    for (int i = 0; container && i < container->Items.Count(); ++i)
        changed = container->Items.Items(i).Picture.Step() || changed;
    return changed;
}

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
        const int index = Index(source.substr(4));
        if (index >= 0 && index < sources.Images->Count())
            found.push_back(TMarkupImage{sources.Images->Handle(), index, nullptr});
    }
    const bool small = upper.find("SSYS:") != std::string::npos;
    if (small || upper.find("LSYS:") != std::string::npos)
        if (const TMarkupImage icon = ShellIcon(source.substr(5), small); icon.List)
            found.push_back(icon);
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
    for (const TMarkupImage& image : FindMarkupImages(body.TopLeft, sources)) {
        if (image.Picture)
            image.Picture->DrawAt(canvas, rect.left, rect.top);
        else
            image.Draw(canvas, at.x, at.y, 0, 0, false, 1.0);
    }
    for (const TMarkupImage& image : FindMarkupImages(body.TopRight, sources)) {
        const int width = image.Size(0, 0).cx;
        if (image.Picture)
            image.Picture->DrawAt(canvas, rect.right - width, rect.top);
        else
            image.Draw(canvas, rect.right - width, at.y, 0, 0, false, 1.0);
    }
}
