// Presses a button of another program's window, as a user would, for the install tests:
//   tallyra-click TEXT ID [seconds]
// Waits until a visible top-level window shows TEXT somewhere inside it (in any descendant
// window's text) and has an enabled, visible child with control ID ID, then sends that child's
// parent the button's BN_CLICKED. Ends 1 when no such window appears in time (20 s by default).
#include <windows.h>

#include <cwchar>
#include <string>

#include "window_text.h"

namespace {

struct Search {
  std::wstring text;
  int id = 0;
  HWND button = nullptr;
  bool found_text = false;
};

BOOL CALLBACK Descendant(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (IsWindowVisible(hwnd) && WindowText(hwnd).find(search->text) != std::wstring::npos)
    search->found_text = true;
  return TRUE;
}

BOOL CALLBACK TopLevel(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (!IsWindowVisible(hwnd)) return TRUE;
  HWND button = GetDlgItem(hwnd, search->id);
  if (button == nullptr || !IsWindowVisible(button) || !IsWindowEnabled(button)) return TRUE;
  search->found_text = WindowText(hwnd).find(search->text) != std::wstring::npos;
  EnumChildWindows(hwnd, Descendant, data);
  if (!search->found_text) return TRUE;
  search->button = button;
  return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: tallyra-click TEXT ID [seconds]\n");
    return 2;
  }
  Search search;
  search.text = argv[1];
  search.id = _wtoi(argv[2]);
  const double seconds = argc > 3 ? _wtof(argv[3]) : 20;
  for (double waited = 0; waited < seconds; waited += 0.1) {
    EnumWindows(TopLevel, reinterpret_cast<LPARAM>(&search));
    if (search.button != nullptr) {
      PostMessageW(GetParent(search.button), WM_COMMAND, MAKEWPARAM(search.id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(search.button));
      return 0;
    }
    Sleep(100);
  }
  return 1;
}
