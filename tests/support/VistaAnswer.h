// Makes IsVistaOrLater give one answer for a scope, so that a test runs the
// rules of both kinds of system on this one.
#pragma once

#include "framework/Forms.h"

#include <optional>

class TVistaAnswer {
  public:
    explicit TVistaAnswer(bool vista) { OverrideVistaOrLater(vista); }
    ~TVistaAnswer() { OverrideVistaOrLater(std::nullopt); }
    TVistaAnswer(const TVistaAnswer&) = delete;
    TVistaAnswer& operator=(const TVistaAnswer&) = delete;
};
