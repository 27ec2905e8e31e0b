// UTF-16 text in both of the program's spellings: wchar_t for Win32, char16_t for the portable
// code (the same 16-bit units on Windows).
#pragma once

#include <string>
#include <string_view>

namespace tly {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

inline std::u16string ToU16(std::wstring_view text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

inline std::wstring ToWide(std::u16string_view text) {
  return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

}  // namespace tly
