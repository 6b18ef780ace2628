// Makes one of the framework's questions about the system (IsVistaOrLater,
// IsComCtl6) give one answer for a scope, so that a test runs the rules of
// both kinds of system on this one.
#pragma once

#include "framework/SystemInfo.h"

#include <optional>

template <void (*Override)(std::optional<bool>)> class TSystemAnswer {
  public:
    explicit TSystemAnswer(bool answer) { Override(answer); }
    ~TSystemAnswer() { Override(std::nullopt); }
    TSystemAnswer(const TSystemAnswer&) = delete;
    TSystemAnswer& operator=(const TSystemAnswer&) = delete;
};

using TVistaAnswer = TSystemAnswer<OverrideVistaOrLater>;
using TComCtl6Answer = TSystemAnswer<OverrideComCtl6>;
