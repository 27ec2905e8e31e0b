// One Tallyra per logon session: a second start brings the first one's window, or the dialog
// open in it, to the front and ends.
#pragma once

#include <windows.h>

namespace tly {

// True when another instance of the program is already running in this session. The handle
// that marks this instance is kept in `marker` for the whole run.
bool AnotherInstanceRuns(HANDLE& marker);

// The message a second start sends the first instance's main window: come to the front, with
// the formula selected, as for the calling key.
UINT CallMessage();

// Finds the first instance's main window (by its window class and caption, never another
// program's window of the same caption) and sends it the call message.
void ActivateFirstInstance();

}  // namespace tly
