// Timers on the thread's message queue; a tick is handled by the message loop.
#pragma once

#include "framework/Classes.h"

#include <windows.h>

class TTimer : public TComponent {
  public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned ms);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    void SetOnTimer(TNotifyEvent handler);
    // One tick, as the message queue would deliver it.
    void Tick();

  private:
    void Restart();
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept;
    TNotifyEvent FOnTimer;
    unsigned FInterval = 1000;
    bool FEnabled = true;
    UINT_PTR FId = 0;
};
