#include "single_instance.h"

#include "window_names.h"

namespace tly {

bool AnotherInstanceRuns(HANDLE& marker) {
  marker = CreateMutexW(nullptr, FALSE, L"Local\\QuesselWorks.Tallyra.Instance");
  return marker != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

UINT CallMessage() {
  static const UINT message = RegisterWindowMessageW(L"QuesselWorks.Tallyra.Call");
  return message;
}

void ActivateFirstInstance() {
  // The first instance may still be creating its window.
  HWND main = nullptr;
  for (int attempt = 0; attempt < 50 && main == nullptr; ++attempt) {
    main = FindWindowW(kFormClassName, kProductName);
    if (main == nullptr) Sleep(100);
  }
  if (main == nullptr || CallMessage() == 0) return;
  // The first instance comes to the front itself, as for its calling key, so that its formula
  // box gets the keyboard; this process, started by the user, lends it the right to.
  DWORD process = 0;
  GetWindowThreadProcessId(main, &process);
  AllowSetForegroundWindow(process);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(main, CallMessage(), 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
}

}  // namespace tly
