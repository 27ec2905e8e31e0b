// The window routines: the program's direct calls into Windows for the notification-area
// icon, bringing a window to the front, the close-button mode's system menu, and the user
// interface font.
#pragma once

#include <windows.h>

namespace tly {

namespace forms {
class Form;
}
class Calculator;

// Adds the main window's icon to the notification area, filling its tray record.
void AddTrayIcon(Calculator& calculator);
// Removes it, with the record as it was last filled.
void DeleteTrayIcon(Calculator& calculator);

// Makes `window` the foreground window even when another program holds the foreground lock.
void BringToForeground(HWND window);

// Shapes the main window's minimise box and system menu for its close-button mode.
void UpdateSystemMenu(Calculator& calculator);

// Gives every control of `form` the user-interface font of this version of Windows.
void ApplyUIFont(forms::Form& form);

// The tray icon's mouse notification, as it reaches the hidden picture box: `x` is the mouse
// message of the icon.
void OnTrayNotification(Calculator& calculator, int x);

}  // namespace tly
