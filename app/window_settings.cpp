#include "window_settings.h"

#include "forms/services.h"
#include "string_ids.h"
#include "window_names.h"
#include "window_place.h"

namespace tly {

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
  if (std::unique_ptr<SettingsStore> store = Open(owner)) saved = LoadSettings(*store);
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
