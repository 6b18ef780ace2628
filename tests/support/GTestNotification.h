// GoogleTest's Notification (its threads wait on it) is built on std::mutex,
// which the win32 thread model of MinGW's GCC 12 lacks. This one waits on an
// event of the system instead; GoogleTest leaves its own out when
// GTEST_HAS_NOTIFICATION_ is set. Included ahead of every GoogleTest source.
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {
class Notification {
  public:
    Notification() : FEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(FEvent); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(FEvent); }
    void WaitForNotification() { WaitForSingleObject(FEvent, INFINITE); }

  private:
    HANDLE FEvent;
};
} // namespace testing::internal
