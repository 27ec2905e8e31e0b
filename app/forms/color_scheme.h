// The colours the forms draw with. Without a scheme they are the system's; the program's theme
// sets one for the whole process, as the system colours are, and sees the messages of every
// form and frame before their own handling, after their controls have coloured themselves.
#pragma once

#include <windows.h>

#include <optional>

namespace tly::forms {

class ColorScheme {
 public:
  virtual ~ColorScheme() = default;
  // The colour that stands for system colour `index` (COLOR_*), and a brush of it that stays
  // valid while the scheme does not change.
  virtual COLORREF Color(int index) const = 0;
  virtual HBRUSH Brush(int index) const = 0;
  // A message to form or frame window `hwnd`; a value consumes it.
  virtual std::optional<LRESULT> Filter(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) = 0;
};

// Sets the process's scheme; removing it goes back to the system's colours, unless another
// took its place already.
void SetColorScheme(ColorScheme* scheme);
void RemoveColorScheme(const ColorScheme* scheme);
COLORREF SchemeColor(int index);
HBRUSH SchemeBrush(int index);
std::optional<LRESULT> FilterThroughScheme(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace tly::forms
