// Makes the framework take the screen for one of `PixelsPerInch` pixels per
// inch for a scope, so that a test runs the rules of other screens on this one.
// Fonts made before the scope keep the height they were made with.
#pragma once

#include "framework/Graphics.h"

class TScreenResolution {
  public:
    explicit TScreenResolution(int pixelsPerInch) { OverrideScreenPixelsPerInch(pixelsPerInch); }
    ~TScreenResolution() { OverrideScreenPixelsPerInch(std::nullopt); }
    TScreenResolution(const TScreenResolution&) = delete;
    TScreenResolution& operator=(const TScreenResolution&) = delete;
};
