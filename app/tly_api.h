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

// Gives every control of `form` the user-interface font of this version of Windows.
void ApplyUIFont(forms::Form& form);

// Shapes the main window's minimise box and system menu for its close-button mode.
void UpdateSystemMenu(Calculator& calculator);

}  // namespace tly
