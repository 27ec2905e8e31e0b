// Where the main window stands on the screen: its saved position and width brought back within
// reach, its first place under the mouse, and the dialog open over it. Twips turn into pixels at
// the window's DPI, which the caller passes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "forms/dpi_scale.h"

namespace tly {

// Moves `window` to the saved position (twips; a missing coordinate keeps the current one);
// false when there is none or it lies on no monitor, which would put the window out of reach.
bool MoveToSavedPosition(HWND window, std::optional<std::int32_t> left,
                         std::optional<std::int32_t> top, const forms::DpiScale& at);
// Places `window` in the middle of the work area of the monitor that holds the mouse.
void CentreUnderTheMouse(HWND window);
// Sets the outer width of `window` to `width` twips, never wider than its monitor's work area.
void RestoreWidth(HWND window, std::int32_t width, const forms::DpiScale& at);
// The outer width of `window` in twips.
std::int32_t OuterWidth(HWND window, const forms::DpiScale& at);
// The top left corner of the restored window in twips: where a minimised or hidden window
// would come back.
POINT RestoredTopLeft(HWND window, const forms::DpiScale& at);
// A dialog of the program that is open over `main`, or nullptr.
HWND OpenDialogOver(HWND main);

}  // namespace tly
