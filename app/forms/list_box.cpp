#include "list_box.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "services.h"

namespace tly::forms {

ListBox::ListBox(Container& c, const TwipRect& r)
    : Control(c, L"LISTBOX",
              WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
              WS_EX_CLIENTEDGE, r) {}

void ListBox::AddItem(std::wstring_view item) {
  const std::wstring copy(item);
  const auto index = static_cast<int>(
      SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str())));
  widths_.push_back(ItemWidth(index));
  FitExtent();
}

void ListBox::RemoveItem(int index) {
  if (SendMessageW(hwnd_, LB_DELETESTRING, static_cast<WPARAM>(index), 0) == LB_ERR) return;
  widths_.erase(widths_.begin() + index);
  FitExtent();
}

void ListBox::Clear() {
  SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  widths_.clear();
  FitExtent();
}

int ListBox::ItemWidth(int index) const {
  // With the room the list leaves either side of a line's text.
  return TextWidthIn(hwnd_, List(index)) + 2 * GetSystemMetrics(SM_CXEDGE);
}

void ListBox::FitExtent() {
  const auto widest = std::max_element(widths_.begin(), widths_.end());
  SendMessageW(hwnd_, LB_SETHORIZONTALEXTENT,
               static_cast<WPARAM>(widest == widths_.end() ? 0 : *widest), 0);
}

void ListBox::OnFontChanged() {
  for (int i = 0; i < static_cast<int>(widths_.size()); ++i)
    widths_[static_cast<std::size_t>(i)] = ItemWidth(i);
  FitExtent();
}

int ListBox::ListCount() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }

std::wstring ListBox::List(int index) const {
  const LRESULT length = SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

int ListBox::ListIndex() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)); }

void ListBox::SetListIndex(int index) {
  SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void ListBox::ShowLast() {
  // The list never scrolls past its last item, which so ends up at the bottom.
  const int count = ListCount();
  if (count > 0) SendMessageW(hwnd_, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
}

int ListBox::VisibleRows() const {
  RECT client;
  GetClientRect(hwnd_, &client);
  const auto row = static_cast<int>(SendMessageW(hwnd_, LB_GETITEMHEIGHT, 0, 0));
  return row > 0 ? client.bottom / row : 0;
}

void ListBox::OnCommand(WORD code) {
  if (code == LBN_DBLCLK && on_double_click) on_double_click();
}

std::optional<LRESULT> ListBox::OnOwnMessage(HWND hwnd, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  switch (message) {
    case WM_GETDLGCODE: {
      // Enter reaches the list rather than the form's default button.
      const auto* msg = reinterpret_cast<const MSG*>(lparam);
      const LRESULT code = DefSubclassProc(hwnd, message, wparam, lparam);
      if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
        return code | DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      handled_key_ = on_key_down && on_key_down(wparam, ShiftState());
      if (handled_key_) return 0;
      break;
    case WM_CHAR:
      // Enter and Ctrl+C, once taken, are not looked up among the items as typed letters.
      if (handled_key_) {
        handled_key_ = false;
        return 0;
      }
      break;
    case WM_RBUTTONDOWN: {
      const auto at = static_cast<DWORD>(SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lparam));
      if (HIWORD(at) == 0) SetListIndex(LOWORD(at));
      SetFocus();
      return 0;
    }
    case WM_CONTEXTMENU: {
      POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      if (at.x == -1 && at.y == -1) {  // from the keyboard: at the selected item
        RECT item{};
        const int index = ListIndex();
        if (index < 0 || SendMessageW(hwnd, LB_GETITEMRECT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(&item)) == LB_ERR)
          GetClientRect(hwnd, &item);
        at = {item.left, item.bottom};
        ClientToScreen(hwnd, &at);
      }
      if (on_context_menu) on_context_menu(at);
      return 0;
    }
    default: break;
  }
  return std::nullopt;
}

}  // namespace tly::forms
