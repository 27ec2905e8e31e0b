// The main window's way to its settings: a settings object for each read or write, released at
// once, so nothing of the session waits for the exit; the user told once when the settings
// library cannot be used; and the width last read or written, so that only a change is saved.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "forms/dpi_scale.h"
#include "settings.h"

namespace tly {

// Creates a settings object set up for the program's own key; nullptr when the settings
// library cannot be used.
using SettingsOpener = std::function<std::unique_ptr<SettingsStore>()>;

// This program's entry in the user's or the machine's start-up list: the list's key and the
// command that the entry runs.
struct StartupEntry {
  std::u16string run_key, command;
};
StartupEntry ProgramStartupEntry();

class WindowSettings {
 public:
  explicit WindowSettings(SettingsOpener open) : open_(std::move(open)) {}

  // A settings object without telling anyone when there is none.
  std::unique_ptr<SettingsStore> OpenQuietly() const { return open_ ? open_() : nullptr; }
  // Everything saved; the defaults when nothing can be read. An entry of this program in the
  // user's start-up list that the options do not record goes (see LoadAtStart).
  Settings Load(HWND owner);
  // Writes the `parts` of `s`.
  void Write(HWND owner, const Settings& s, unsigned parts);
  // Saves the outer width of `window` if it differs from the one last read or written. A
  // window never widened keeps no value: the designed width is the default.
  void SaveWidthIfChanged(HWND window, const forms::DpiScale& at, bool widened);

 private:
  // OpenQuietly(), telling the user over `owner` the first time it fails.
  std::unique_ptr<SettingsStore> Open(HWND owner);

  SettingsOpener open_;
  bool told_unavailable_ = false;
  std::optional<std::int32_t> saved_width_;
};

}  // namespace tly
