// Holds keys down for a scope, as the keyboard state that key handlers read
// (GetKeyState); the state before is restored when the scope ends.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

class THeldKeys {
  public:
    explicit THeldKeys(const std::vector<int>& keys) {
        GetKeyboardState(FSaved);
        BYTE state[256];
        std::memcpy(state, FSaved, sizeof(state));
        for (int key : keys)
            state[key] = 0x80;
        SetKeyboardState(state);
    }
    ~THeldKeys() { SetKeyboardState(FSaved); }
    THeldKeys(const THeldKeys&) = delete;
    THeldKeys& operator=(const THeldKeys&) = delete;

  private:
    BYTE FSaved[256];
};
