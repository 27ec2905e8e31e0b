// One Tallyra per logon session: a second start brings the first one's window, or the dialog
// open in it, to the front and ends.
#pragma once

#include <windows.h>

namespace tly {

// True when another instance of the program is already running in this session. The handle
// that marks this instance is kept in `marker` for the whole run.
bool AnotherInstanceRuns(HANDLE& marker);

// Finds the first instance's main window (by its window class and caption, never another
// program's window of the same caption) and shows it, or its open dialog, restored in front.
void ActivateFirstInstance();

}  // namespace tly
