#include "framework/Timer.h"

#include "framework/Errors.h"

#include <map>

namespace {
std::map<UINT_PTR, TTimer*>& Timers() {
    static std::map<UINT_PTR, TTimer*> timers;
    return timers;
}
} // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    Restart();
}

TTimer::~TTimer() {
    FEnabled = false;
    Restart();
}

void TTimer::SetInterval(unsigned ms) {
    if (ms != FInterval) {
        FInterval = ms;
        Restart();
    }
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled != FEnabled) {
        FEnabled = enabled;
        Restart();
    }
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    Restart();
}

void TTimer::Restart() {
    if (FId) {
        KillTimer(nullptr, FId);
        Timers().erase(FId);
        FId = 0;
    }
    if (FEnabled && FInterval > 0 && FOnTimer) {
        FId = SetTimer(nullptr, 0, FInterval, TimerProc);
        if (FId)
            Timers()[FId] = this;
    }
}

void TTimer::Tick() {
    if (FOnTimer)
        FOnTimer(this);
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    auto it = Timers().find(id);
    if (it == Timers().end())
        return;
    try {
        it->second->Tick();
    } catch (...) {
        // A timer handler must not unwind into the message loop.
        ReportBoundaryException("timer");
    }
}
