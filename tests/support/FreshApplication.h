// A new application object for a test, on a message queue emptied first:
// a quit left over from an earlier test must not end this one.
#pragma once

#include "framework/Forms.h"

#include <memory>

inline std::unique_ptr<TApplication> FreshApplication() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    return std::make_unique<TApplication>();
}
