#include "ansi_text.h"

#include <windows.h>

#include <limits>

#include "settings_store.h"

namespace kolo {
namespace {

int Length(std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) Fail();
  return static_cast<int>(size);
}

std::string ToAnsi(std::wstring_view text, DWORD flags, BOOL* lossy) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_ACP, flags, text.data(), Length(text.size()), nullptr, 0,
                                 nullptr, lossy);
  if (size <= 0) Fail();
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, flags, text.data(), Length(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

}  // namespace

std::string NameToAnsi(std::wstring_view name) {
  if (name.find(L'\0') != std::wstring_view::npos) Fail();
  // No best-fit mapping either: it would turn a full-width "＼" into a key separator.
  // UTF-8 takes neither the flag nor the question, and never loses a character.
  bool utf8 = GetACP() == CP_UTF8;
  BOOL lossy = FALSE;
  std::string out = ToAnsi(name, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, utf8 ? nullptr : &lossy);
  if (lossy) Fail();
  return out;
}

std::string TextToAnsi(std::wstring_view text) { return ToAnsi(text, 0, nullptr); }

std::wstring AnsiToText(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  if (bytes.empty()) return {};
  int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), Length(bytes.size()), nullptr, 0);
  if (size <= 0) Fail();
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), Length(bytes.size()), out.data(), size);
  return out;
}

}  // namespace kolo
