// A small outside observer of the running program, for the end-to-end tests:
//   tallyra-probe text                 prints the formula and result boxes of the main window
//   tallyra-probe list                 prints the formula box's history list, one entry a line
//   tallyra-probe values               prints the value boxes of the variables panel, one a line
//   tallyra-probe results              prints the results panel's lines, one a line
//   tallyra-probe wait [seconds]       waits until the main window exists
//   tallyra-probe close                asks the main window to close
//   tallyra-probe dismiss [seconds]    waits for a message box titled Tallyra, prints its text
//                                      and presses OK
//   tallyra-probe foreground           prints the caption of the foreground window
//   tallyra-probe rect                 prints the main window's rectangle: x y width height
//   tallyra-probe preview              prints the live result left of the Calculate button
//   tallyra-probe selection            prints the formula box's selection: first last+1
//   tallyra-probe tray MESSAGE         sends the tray icon's notification of a mouse message
//                                      (513 left press, 517 right release), as the shell does
//   tallyra-probe minimize             minimises the main window as its minimise button does
//   tallyra-probe state                prints the main window's state: normal, minimized, hidden
//   tallyra-probe hold MODS VK SECONDS holds a hotkey (RegisterHotKey modifiers, virtual key) as
//                                      another program, printing "held" once it has it
//   tallyra-probe hotkey VALUE         puts VALUE into the Options dialog's hotkey control
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "utf8.h"
#include "window_names.h"
#include "window_text.h"

namespace {

HWND FindMainWindow() { return FindWindowW(tly::kFormClassName, tly::kProductName); }

std::string Utf8(const std::wstring& text) {
  return tly::Utf16ToUtf8({reinterpret_cast<const char16_t*>(text.data()), text.size()});
}

struct Boxes {
  HWND formula = nullptr, result = nullptr;
  HWND preview = nullptr;    // the one label whose "&" is no access key
  std::vector<HWND> values;  // in the variables panel
  HWND results = nullptr;    // the results panel's list
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM data) {
  auto* boxes = reinterpret_cast<Boxes*>(data);
  wchar_t cls[32] = {}, parent[32] = {};
  GetClassNameW(hwnd, cls, 32);
  GetClassNameW(GetParent(hwnd), parent, 32);
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  if (_wcsicmp(cls, L"ListBox") == 0) {
    boxes->results = hwnd;
  } else if (_wcsicmp(cls, L"Static") == 0 && (style & SS_NOPREFIX) != 0) {
    boxes->preview = hwnd;
  } else if (_wcsicmp(cls, L"Edit") != 0) {
    return TRUE;
  } else if (_wcsicmp(parent, L"ComboBox") == 0) {
    if (boxes->formula == nullptr) boxes->formula = hwnd;  // the first combo box is Combo1
  } else if ((style & ES_READONLY) != 0) {
    boxes->result = hwnd;
  } else {
    boxes->values.push_back(hwnd);
  }
  return TRUE;
}

int Print(const std::wstring& command) {
  HWND main = FindMainWindow();
  if (main == nullptr) return 1;
  Boxes boxes;
  EnumChildWindows(main, Collect, reinterpret_cast<LPARAM>(&boxes));
  if (command == L"text") {
    std::printf("formula=%s\nresult=%s\n", Utf8(WindowText(boxes.formula)).c_str(),
                Utf8(WindowText(boxes.result)).c_str());
  } else if (command == L"list") {
    HWND combo = GetParent(boxes.formula);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      std::wstring entry(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1,
                         L'\0');
      entry.resize(static_cast<std::size_t>(
          SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()))));
      std::printf("%s\n", Utf8(entry).c_str());
    }
  } else if (command == L"results") {
    const LRESULT count = SendMessageW(boxes.results, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      std::wstring line(
          static_cast<std::size_t>(SendMessageW(boxes.results, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
      line.resize(static_cast<std::size_t>(
          SendMessageW(boxes.results, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
      std::printf("%s\n", Utf8(line).c_str());
    }
  } else if (command == L"values") {
    for (HWND box : boxes.values) std::printf("%s\n", Utf8(WindowText(box)).c_str());
  } else if (command == L"preview") {
    if (boxes.preview == nullptr) return 1;
    std::printf("%s\n", Utf8(WindowText(boxes.preview)).c_str());
  } else {
    // The pointers of EM_GETSEL would point into this process; its result carries both ends.
    const auto selection = static_cast<DWORD>(SendMessageW(boxes.formula, EM_GETSEL, 0, 0));
    std::printf("%u %u\n", LOWORD(selection), HIWORD(selection));
  }
  return 0;
}

int Wait(double seconds) {
  for (double waited = 0; waited < seconds; waited += 0.1) {
    if (HWND main = FindMainWindow(); main != nullptr && IsWindowVisible(main)) return 0;
    Sleep(100);
  }
  return 1;
}

BOOL CALLBACK BoxText(HWND hwnd, LPARAM data) {
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  if (_wcsicmp(cls, L"Static") == 0) {
    std::wstring text = WindowText(hwnd);
    if (!text.empty()) *reinterpret_cast<std::wstring*>(data) = text;
  }
  return TRUE;
}

int Dismiss(double seconds) {
  for (double waited = 0; waited < seconds; waited += 0.1) {
    if (HWND box = FindWindowW(L"#32770", L"Tallyra")) {
      std::wstring text;
      EnumChildWindows(box, BoxText, reinterpret_cast<LPARAM>(&text));
      std::printf("%s\n", Utf8(text).c_str());
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    Sleep(100);
  }
  return 1;
}

int Hold(UINT modifiers, UINT key, double seconds) {
  if (!RegisterHotKey(nullptr, 1, modifiers, key)) return 1;
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(seconds * 1000));
  UnregisterHotKey(nullptr, 1);
  return 0;
}

int SetDialogHotKey(WPARAM value) {
  HWND options = FindWindowW(tly::kFormClassName, L"オプション");
  HWND box = FindWindowExW(options, nullptr, L"msctls_hotkey32", nullptr);
  if (box == nullptr) return 1;
  SendMessageW(box, 0x0401 /* HKM_SETHOTKEY */, value, 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"text" || command == L"list" || command == L"values" || command == L"preview" ||
      command == L"selection" || command == L"results")
    return Print(command);
  if (command == L"wait") return Wait(argc > 2 ? _wtof(argv[2]) : 20);
  if (command == L"close") {
    HWND main = FindMainWindow();
    if (main == nullptr) return 1;
    PostMessageW(main, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == L"dismiss") return Dismiss(argc > 2 ? _wtof(argv[2]) : 20);
  if (command == L"rect") {
    RECT r;
    HWND main = FindMainWindow();
    if (main == nullptr || !GetWindowRect(main, &r)) return 1;
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  if (command == L"tray" && argc > 2) {
    // The icon reports to the main window's hidden picture box.
    HWND picture = FindWindowExW(FindMainWindow(), nullptr, tly::kPictureClassName, nullptr);
    if (picture == nullptr) return 1;
    PostMessageW(picture, WM_MOUSEMOVE, 0, MAKELPARAM(_wtoi(argv[2]), 0));
    return 0;
  }
  if (command == L"minimize") {
    PostMessageW(FindMainWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    return 0;
  }
  if (command == L"state") {
    HWND main = FindMainWindow();
    if (main == nullptr) return 1;
    std::printf("%s\n", !IsWindowVisible(main) ? "hidden"
                        : IsIconic(main)       ? "minimized"
                                               : "normal");
    return 0;
  }
  if (command == L"hold" && argc > 4)
    return Hold(wcstoul(argv[2], nullptr, 0), wcstoul(argv[3], nullptr, 0), _wtof(argv[4]));
  if (command == L"hotkey" && argc > 2) return SetDialogHotKey(wcstoul(argv[2], nullptr, 0));
  if (command == L"foreground") {
    wchar_t caption[256] = {};
    GetWindowTextW(GetForegroundWindow(), caption, 256);
    std::printf("%s\n", Utf8(caption).c_str());
    return 0;
  }
  std::fprintf(stderr, "usage: tallyra-probe COMMAND [ARGUMENTS], as listed in probe.cpp\n");
  return 2;
}
