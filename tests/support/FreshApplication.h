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

// Two shown forms side by side: one that owns what a test opens, and the
// application's main form, so that a test can tell which of them is the owner.
struct TOwnerAndMainForms {
    explicit TOwnerAndMainForms(TApplication& app) {
        Owner.SetBounds(50, 50, 300, 200);
        Owner.Show();
        Main.SetBounds(400, 50, 300, 200);
        Main.Show();
        app.SetMainForm(&Main);
    }
    TForm Owner{nullptr};
    TForm Main{nullptr};
};
