// Makes IsComCtl6 give one answer for a scope, so that a test sees the looks
// of both common-controls versions on this one system.
#pragma once

#include "framework/Forms.h"

#include <optional>

class TComCtl6Answer {
  public:
    explicit TComCtl6Answer(bool comctl6) { OverrideComCtl6(comctl6); }
    ~TComCtl6Answer() { OverrideComCtl6(std::nullopt); }
    TComCtl6Answer(const TComCtl6Answer&) = delete;
    TComCtl6Answer& operator=(const TComCtl6Answer&) = delete;
};
