// Where the main window stands on the screen: its saved position and width brought back within
// reach, its first place under the mouse, and the dialog open over it. Twips turn into pixels at
// the DPI the caller gives, the window's own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace tly {

// Moves `window` to the saved position (twips; a missing coordinate keeps the current one);
// false when there is none or it lies on no monitor, which would put the window out of reach.
bool MoveToSavedPosition(HWND window, std::optional<std::int32_t> left,
                         std::optional<std::int32_t> top, int dpi);
// Places `window` in the middle of the work area of the monitor that holds the mouse.
void CentreUnderTheMouse(HWND window);
// Sets the outer width of `window` to `width` twips, never wider than its monitor's work area.
void RestoreWidth(HWND window, std::int32_t width, int dpi);
// The outer width of `window` in twips.
std::int32_t OuterWidth(HWND window, int dpi);
// The top left corner of the restored window in twips: where a minimised or hidden window
// would come back.
POINT RestoredTopLeft(HWND window, int dpi);
// A dialog of the program that is open over `main`, or nullptr.
HWND OpenDialogOver(HWND main);

}  // namespace tly
