#include "window_settings.h"

#include "forms/services.h"
#include "string_ids.h"
#include "text.h"
#include "window_names.h"
#include "window_place.h"

namespace tly {

StartupEntry ProgramStartupEntry() {
  // The command names the program in quotation marks, so that a folder with blanks cannot be
  // read as another program followed by arguments.
  const std::wstring command =
      L"\"" + forms::InProgramFolder(forms::ProgramFileTitle() + L".exe") + L"\"";
  return {ToU16(forms::ResourceString(ids::kStartupRunKey)), ToU16(command)};
}

std::unique_ptr<SettingsStore> WindowSettings::Open(HWND owner) {
  std::unique_ptr<SettingsStore> store = OpenQuietly();
  if (store == nullptr && !told_unavailable_) {
    told_unavailable_ = true;
    forms::ShowMessage(owner, forms::ResourceString(ids::kMessageSettingsUnavailable), kProductName,
                       MB_OK | MB_ICONINFORMATION);
  }
  return store;
}

Settings WindowSettings::Load(HWND owner) {
  Settings saved;
  if (std::unique_ptr<SettingsStore> store = Open(owner)) {
    const StartupEntry entry = ProgramStartupEntry();
    saved = LoadAtStart(*store, entry.run_key, entry.command);
  }
  saved_width_ = saved.width;
  return saved;
}

void WindowSettings::Write(HWND owner, const Settings& s, unsigned parts) {
  if (std::unique_ptr<SettingsStore> store = Open(owner)) WriteSettings(*store, s, parts);
}

void WindowSettings::SaveWidthIfChanged(HWND window, const forms::DpiScale& at, bool widened) {
  const std::int32_t width = OuterWidth(window, at);
  if (saved_width_ == width || IsIconic(window)) return;
  if (!saved_width_ && !widened) return;
  if (std::unique_ptr<SettingsStore> store = Open(window)) {
    WriteSettings(*store, {.width = width}, kWidthPart);
    saved_width_ = width;
  }
}

}  // namespace tly
