// The window routines: the program's direct calls into Windows for the notification-area
// icon, bringing a window to the front, the close-button mode's system menu, and the user
// interface font.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "forms/owners.h"

namespace tly {

namespace forms {
class Form;
}

// The main window's icon in the notification area. The record is filled when the icon is
// added; every delete passes it as it was last filled.
class TrayIcon {
 public:
  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon();

  // Shows the program's icon at the notification area's size for the system DPI (the small
  // icon of `main` where the program has none of its own); the shell reports the mouse on it
  // to `receiver` as a WM_MOUSEMOVE whose x coordinate is the mouse message.
  void Add(HWND main, HWND receiver);
  void Delete();
  const NOTIFYICONDATAA& Record() const { return data_; }

 private:
  NOTIFYICONDATAA data_{};
  bool added_ = false;
  forms::UniqueIcon icon_;
};

// Makes `window` the foreground window even when another program holds the foreground lock.
void BringToForeground(HWND window);

// Shapes the minimise box and the system menu of `window` for the close-button mode: without
// minimise box, Restore and Minimize when the close button minimises; otherwise the default
// system menu without Maximize and Size.
void UpdateSystemMenu(HWND window, bool close_button_minimizes);

// Gives every control of `form` the user-interface font.
void ApplyUIFont(forms::Form& form);

}  // namespace tly
