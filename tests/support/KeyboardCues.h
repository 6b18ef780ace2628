// Sets for a scope whether the system always shows keyboard cues (focus
// rectangles and accelerator underlines), for this session only; the setting
// before comes back when the scope ends.
#pragma once

#include <windows.h>

class TAlwaysShownCues {
  public:
    explicit TAlwaysShownCues(bool always) {
        SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &FSaved, 0);
        Set(always);
    }
    ~TAlwaysShownCues() { Set(FSaved); }
    TAlwaysShownCues(const TAlwaysShownCues&) = delete;
    TAlwaysShownCues& operator=(const TAlwaysShownCues&) = delete;

  private:
    static void Set(BOOL always) {
        SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0,
                              reinterpret_cast<PVOID>(static_cast<INT_PTR>(always)), 0);
    }
    BOOL FSaved = TRUE;
};
