#include "calling_key.h"

#include "settings.h"

namespace tly {

bool CallingKey::Set(HWND window, std::uint32_t key) {
  if (key == key_ && key != 0) return true;
  Release();
  window_ = window;
  if (key != 0 && !Register(key)) {
    if (key_ != 0) Register(key_);
    return false;
  }
  key_ = key;
  return true;
}

bool CallingKey::Register(std::uint32_t key) {
  registered_ =
      RegisterHotKey(window_, kId, HotKeyModifiers(key) | MOD_NOREPEAT, key & 0xFF) != FALSE;
  return registered_;
}

void CallingKey::Release() {
  if (registered_) UnregisterHotKey(window_, kId);
  registered_ = false;
}

}  // namespace tly
