// What the Options dialog reads and sets on the window it opens over: the modes it applies
// (OptionEffects), the calling key, the settings and the help file. The main
// window implements it; the dialog knows nothing else of the window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "forms/form.h"
#include "settings.h"

namespace tly {

class OptionHost : public OptionEffects {
 public:
  // The window the dialog is owned by and placed over.
  virtual const forms::Form& HostForm() const = 0;
  // A settings object for the program's key; nullptr when the settings library cannot be used.
  virtual std::unique_ptr<SettingsStore> OpenSettingsStore() const = 0;
  // The help file the program opens.
  virtual const std::wstring& HelpFile() const = 0;
  // Whether the close button minimises; the tray mode and the rest are the OptionEffects.
  virtual bool CloseButtonMinimized() const = 0;

  // The key that calls the window: low byte virtual-key code, next byte HOTKEYF_* flags; 0 none.
  virtual std::uint32_t HotKey() const = 0;
  // Registers `key` in place of the current key; false, keeping the current key, when another
  // program holds it.
  virtual bool SetHotKey(std::uint32_t key) = 0;

 protected:
  ~OptionHost() = default;
};

}  // namespace tly
