// The program's one hint window: a tracking tooltip that shows the hint of the
// control under the mouse.
#pragma once

#include <windows.h>

#include <string>

class TControl;

// Shows the hint of `control` (or none) where the control places it; a changed
// text of the same control is a new hint, placed anew.
void UpdateHint(const TControl* control);
void HideHint();

// The hint shown now, whose it is (null when none shows) and where it stands.
const TControl* HintControl();
const std::string& HintText();
POINT HintPoint();
