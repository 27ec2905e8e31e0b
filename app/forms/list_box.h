// A list box of text lines, one selected at a time, that takes Enter and the other keys its
// owner handles, double-clicks and the context menu. A line wider than the list scrolls
// sideways.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls.h"

namespace tly::forms {

class ListBox : public Control {
 public:
  ListBox(Container& c, const TwipRect& r);

  void AddItem(std::wstring_view item);
  void RemoveItem(int index);
  void Clear();
  int ListCount() const;
  std::wstring List(int index) const;
  int ListIndex() const;  // -1 for none
  // Selects item `index` (-1 for none) and scrolls it into view.
  void SetListIndex(int index);
  // Scrolls the last item into view.
  void ShowLast();
  // The rows of items the list shows whole.
  int VisibleRows() const;

  // A key pressed in the list, with the shift state (1 Shift, 2 Ctrl); true when taken.
  std::function<bool(WPARAM key, int shift)> on_key_down;
  std::function<void()> on_double_click;
  // The context menu asked for at `at` (screen pixels), by the mouse over an item, which is
  // selected first, or by the keyboard, at the selected item.
  std::function<void(POINT at)> on_context_menu;

  void OnCommand(WORD code) override;
  void OnFontChanged() override;

 protected:
  std::optional<LRESULT> OnOwnMessage(HWND, UINT, WPARAM, LPARAM) override;

 private:
  // Lets the list scroll as far as its widest line.
  void FitExtent();
  int ItemWidth(int index) const;  // measured in the list's font, in pixels

  bool handled_key_ = false;  // the character of the key just taken is not typed
  std::vector<int> widths_;   // of each line
};

}  // namespace tly::forms
