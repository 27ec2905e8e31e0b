// What the Options dialog reads and sets on the window it opens over: the tray mode and the
// close-button mode, the tray icon, the calling key, the settings and the help file. The main
// window implements it; the dialog knows nothing else of the window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "forms/form.h"
#include "settings.h"

namespace tly {

class OptionHost {
 public:
  // The window the dialog is owned by and placed over.
  virtual const forms::Form& HostForm() const = 0;
  // A settings object for the program's key; nullptr when the settings library cannot be used.
  virtual std::unique_ptr<SettingsStore> OpenSettingsStore() const = 0;
  // The help file the program opens.
  virtual const std::wstring& HelpFile() const = 0;

  // Tray mode: the window has an icon in the notification area and leaves the task bar when
  // minimised.
  virtual bool ShowInTaskTray() const = 0;
  virtual void SetShowInTaskTray(bool on) = 0;
  virtual void AddTrayIcon() = 0;
  virtual void DeleteTrayIcon() = 0;
  // The close button (and Close of the system menu, Alt+F4) minimises instead of closing.
  virtual bool CloseButtonMinimized() const = 0;
  virtual void SetCloseButtonMinimized(bool on) = 0;
  // Shapes the minimise box and the system menu for the close-button mode.
  virtual void UpdateSystemMenu() = 0;

  // The key that calls the window: low byte virtual-key code, next byte HOTKEYF_* flags; 0 none.
  virtual std::uint32_t HotKey() const = 0;
  // Registers `key` in place of the current key; false, keeping the current key, when another
  // program holds it.
  virtual bool SetHotKey(std::uint32_t key) = 0;

 protected:
  ~OptionHost() = default;
};

}  // namespace tly
