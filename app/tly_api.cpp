#include "tly_api.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "calculator.h"
#include "forms/services.h"

namespace tly {

void AddTrayIcon(Calculator& calculator) {
  auto icon = reinterpret_cast<HICON>(SendMessageA(calculator.hwnd(), WM_GETICON, ICON_SMALL, 0));
  NOTIFYICONDATAA& data = calculator.TrayIconData;
  data = NOTIFYICONDATAA{};
  // The first form of the record, in the size it has on this platform.
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = calculator.Picture1->hwnd();
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_MOUSEMOVE;
  data.hIcon = icon;
  // The product name, filled with blanks; the last byte stays the terminating NUL.
  std::memset(data.szTip, ' ', sizeof data.szTip - 1);
  std::memcpy(data.szTip, "Tallyra", 7);
  forms::NotifyIcon(NIM_ADD, &data);
}

void DeleteTrayIcon(Calculator& calculator) {
  forms::NotifyIcon(NIM_DELETE, &calculator.TrayIconData);
}

void BringToForeground(HWND window) {
  DWORD timeout = 0;
  SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
  SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
  SetForegroundWindow(window);
  SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                        reinterpret_cast<void*>(static_cast<UINT_PTR>(timeout)), 0);
}

void UpdateSystemMenu(Calculator& calculator) {
  HWND window = calculator.hwnd();
  LONG style = GetWindowLongA(window, GWL_STYLE);
  if (calculator.CloseButtonMinimized) {
    style &= ~static_cast<LONG>(WS_MINIMIZEBOX);
    HMENU menu = GetSystemMenu(window, FALSE);
    DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
  } else {
    style |= WS_MINIMIZEBOX;
    GetSystemMenu(window, TRUE);
    HMENU menu = GetSystemMenu(window, FALSE);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  }
  SetWindowLongA(window, GWL_STYLE, style);
  // The caption buttons follow the new style only when the frame is recomputed.
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  DrawMenuBar(window);
}

void ApplyUIFont(forms::Form& form) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  static_assert(sizeof(OSVERSIONINFOA) == 148, "the record of GetVersionExA");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&version);
#pragma GCC diagnostic pop
  // Windows 95 and NT 4.0 have no MS UI Gothic.
  const wchar_t* name = (version.dwMajorVersion == 4 && version.dwMinorVersion == 0)
                            ? L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"  // ＭＳ Ｐゴシック
                            : L"MS UI Gothic";
  for (forms::Control* c : form.Controls()) {
    if (c->HasFont()) c->SetFontName(name);
  }
}

void OnTrayNotification(Calculator& calculator, int x) {
  if (x == WM_LBUTTONDOWN) {
    calculator.SetState(forms::WindowState::kNormal);
    calculator.SetVisible(true);
    BringToForeground(calculator.hwnd());
  } else if (x == WM_RBUTTONUP) {
    // A pop-up menu closes when the user clicks elsewhere only if its owner is in front.
    BringToForeground(calculator.hwnd());
    POINT at;
    GetCursorPos(&at);
    calculator.ShowTaskMenu(at);
  }
}

}  // namespace tly
