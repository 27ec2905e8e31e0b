#include "window_place.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "window_names.h"

namespace tly {
namespace {

std::int32_t Twips(int pixels, const forms::DpiScale& at) {
  return static_cast<std::int32_t>(std::lround(at.Twips(pixels)));
}

struct ModalSearch {
  HWND main, found;
};

BOOL CALLBACK FindOpenDialog(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<ModalSearch*>(data);
  if (hwnd == search->main || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (std::wstring_view(name) != kFormClassName) return TRUE;
  search->found = hwnd;
  return FALSE;
}

}  // namespace

bool MoveToSavedPosition(HWND window, std::optional<std::int32_t> left_twips,
                         std::optional<std::int32_t> top_twips, const forms::DpiScale& at) {
  if (!left_twips && !top_twips) return false;
  RECT r;
  GetWindowRect(window, &r);
  const int left = left_twips ? at.Pixels(*left_twips) : r.left;
  const int top = top_twips ? at.Pixels(*top_twips) : r.top;
  RECT moved{left, top, left + (r.right - r.left), top + (r.bottom - r.top)};
  if (MonitorFromRect(&moved, MONITOR_DEFAULTTONULL) == nullptr) return false;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void CentreUnderTheMouse(HWND window) {
  POINT mouse{};
  GetCursorPos(&mouse);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromPoint(mouse, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  RECT r;
  GetWindowRect(window, &r);
  // A window larger than the work area keeps its caption in reach.
  const int left = std::max(work.left, (work.left + work.right - (r.right - r.left)) / 2);
  const int top = std::max(work.top, (work.top + work.bottom - (r.bottom - r.top)) / 2);
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RestoreWidth(HWND window, std::int32_t width_twips, const forms::DpiScale& at) {
  // Never wider than the monitor's work area, so that the right edge stays in reach.
  int width = at.Pixels(width_twips);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
    width = std::min<int>(width, monitor.rcWork.right - monitor.rcWork.left);
  RECT r;
  GetWindowRect(window, &r);
  // The form keeps the width at least the designed one.
  SetWindowPos(window, nullptr, 0, 0, width, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::int32_t OuterWidth(HWND window, const forms::DpiScale& at) {
  RECT r;
  GetWindowRect(window, &r);
  return Twips(r.right - r.left, at);
}

POINT RestoredTopLeft(HWND window, const forms::DpiScale& at) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  static_assert(sizeof(WINDOWPLACEMENT) == 44, "the record of GetWindowPlacement");
  GetWindowPlacement(window, &placement);
  return {Twips(placement.rcNormalPosition.left, at), Twips(placement.rcNormalPosition.top, at)};
}

HWND OpenDialogOver(HWND main) {
  ModalSearch search{main, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindOpenDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace tly
