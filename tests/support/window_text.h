// The text of any window, also a control of another process, where GetWindowText would read
// only captions.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring WindowText(HWND hwnd) {
  if (hwnd == nullptr) return {};
  auto length = static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  length = static_cast<std::size_t>(
      SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(length);
  return text;
}
