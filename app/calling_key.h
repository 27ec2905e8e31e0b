// The key that calls the main window from any program: registered with Windows for the window
// while it is set, released when it changes and when the window goes.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tly {

class CallingKey {
 public:
  CallingKey() = default;
  CallingKey(const CallingKey&) = delete;
  CallingKey& operator=(const CallingKey&) = delete;
  ~CallingKey() { Release(); }

  // Low byte virtual-key code, next byte HOTKEYF_* flags; 0 none.
  std::uint32_t key() const { return key_; }
  // Registers `key` for `window` in place of the current key; false, keeping the current key,
  // when another program holds it.
  bool Set(HWND window, std::uint32_t key);
  void Release();
  // Whether a WM_HOTKEY with `id` is this key's.
  static bool IsItsMessage(WPARAM id) { return id == kId; }

 private:
  static constexpr int kId = 1;
  bool Register(std::uint32_t key);

  HWND window_ = nullptr;
  std::uint32_t key_ = 0;
  bool registered_ = false;
};

}  // namespace tly
