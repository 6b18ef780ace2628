// Image file bytes decoded by the system's OLE picture loader.
#pragma once

#include "framework/Errors.h"

#include <windows.h>

#include <string>

struct IPicture;

// Raised inside picture loading; the loaders that take files, resources and
// URLs catch it and leave the picture empty.
class EPictureError : public EKorvandelError {
  public:
    using EKorvandelError::EKorvandelError;
};

// A new picture (released with ReleasePicture); throws EPictureError when
// the bytes do not decode.
IPicture* DecodePicture(const std::string& bytes);
void ReleasePicture(IPicture* picture);

// Natural size in pixels.
SIZE PictureSize(IPicture* picture);
// The whole picture into the rectangle at (x, y) of `width` by `height`.
void RenderPicture(IPicture* picture, HDC dc, int x, int y, int width, int height);
