// Times program starts for the start-up benchmark:
//   startup-timer N PROGRAM...   starts each program N times (after one start that warms the
//                                file cache), timing each from the start of its process until it
//                                waits for input; prints the median, minimum and maximum in ms
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double StartOnce(const std::wstring& program) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + program + L"\"";
  LARGE_INTEGER frequency, start, ready;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return -1;
  WaitForInputIdle(pi.hProcess, 20000);
  QueryPerformanceCounter(&ready);
  // Close the program's windows as the user would and let it end.
  EnumThreadWindows(
      pi.dwThreadId,
      [](HWND hwnd, LPARAM) -> BOOL {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return TRUE;
      },
      0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 1000.0 * static_cast<double>(ready.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? _wtoi(argv[1]) : 0;
  if (runs <= 0 || argc < 3) {
    std::fprintf(stderr, "usage: startup-timer N PROGRAM...\n");
    return 2;
  }
  for (int p = 2; p < argc; ++p) {
    std::vector<double> times;
    StartOnce(argv[p]);
    for (int i = 0; i < runs; ++i) times.push_back(StartOnce(argv[p]));
    std::sort(times.begin(), times.end());
    std::printf("%ls median %.1f ms (min %.1f, max %.1f, %d runs)\n", argv[p],
                times[times.size() / 2], times.front(), times.back(), runs);
  }
  return 0;
}
