#include "single_instance.h"

#include "window_names.h"

namespace tly {
namespace {

struct DialogSearch {
  HWND main;
  HWND found;
};

// The dialogs have no owner, so the main window's last active pop-up is the window itself
// while one of them is open; the dialog is then the enabled window of the same thread.
BOOL CALLBACK FindOpenDialog(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<DialogSearch*>(data);
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  if (hwnd != search->main && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) &&
      lstrcmpW(cls, kFormClassName) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool AnotherInstanceRuns(HANDLE& marker) {
  marker = CreateMutexW(nullptr, FALSE, L"Local\\QuesselWorks.Tallyra.Instance");
  return marker != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

void ActivateFirstInstance() {
  // The first instance may still be creating its window.
  HWND main = nullptr;
  for (int attempt = 0; attempt < 50 && main == nullptr; ++attempt) {
    main = FindWindowW(kFormClassName, kProductName);
    if (main == nullptr) Sleep(100);
  }
  if (main == nullptr) return;
  HWND target = GetLastActivePopup(main);
  if (target == main && !IsWindowEnabled(main)) {
    DialogSearch search{main, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(main, nullptr), FindOpenDialog,
                      reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) target = search.found;
  }
  SetForegroundWindow(target);
  ShowWindow(target, SW_RESTORE);
}

}  // namespace tly
