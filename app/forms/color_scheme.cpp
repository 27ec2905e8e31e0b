#include "color_scheme.h"

namespace tly::forms {
namespace {

ColorScheme* current_scheme = nullptr;

}  // namespace

void SetColorScheme(ColorScheme* scheme) { current_scheme = scheme; }

void RemoveColorScheme(const ColorScheme* scheme) {
  if (current_scheme == scheme) current_scheme = nullptr;
}

COLORREF SchemeColor(int index) {
  return current_scheme ? current_scheme->Color(index) : GetSysColor(index);
}

HBRUSH SchemeBrush(int index) {
  return current_scheme ? current_scheme->Brush(index) : GetSysColorBrush(index);
}

std::optional<LRESULT> FilterThroughScheme(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (current_scheme == nullptr) return std::nullopt;
  return current_scheme->Filter(hwnd, message, wparam, lparam);
}

}  // namespace tly::forms
