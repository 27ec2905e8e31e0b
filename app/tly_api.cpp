#include "tly_api.h"

#include <cstring>

#include "forms/form.h"
#include "forms/services.h"
#include "product_name.h"
#include "window_names.h"

namespace tly {

TrayIcon::~TrayIcon() {
  if (added_) Delete();
}

void TrayIcon::Add(HWND main, HWND receiver) {
  // The notification area is drawn at the system DPI, whatever monitor `main` is on.
  if (!icon_) icon_.reset(forms::LoadProgramIcon(1, GetSystemMetrics(SM_CXSMICON)));
  HICON icon =
      icon_ ? icon_.get() : reinterpret_cast<HICON>(SendMessageA(main, WM_GETICON, ICON_SMALL, 0));
  data_ = NOTIFYICONDATAA{};
  // The first form of the record, in the size it has on this platform.
  data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data_.hWnd = receiver;
  data_.uID = 1;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = WM_MOUSEMOVE;
  data_.hIcon = icon;
  // The tip ends after the product name: trailing blanks would show as a wide empty tip.
  std::memcpy(data_.szTip, TLY_PRODUCT_NAME, sizeof TLY_PRODUCT_NAME - 1);
  added_ = forms::NotifyIcon(NIM_ADD, &data_) != FALSE;
}

void TrayIcon::Delete() {
  forms::NotifyIcon(NIM_DELETE, &data_);
  added_ = false;
}

void BringToForeground(HWND window) {
  DWORD timeout = 0;
  SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
  SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
  SetForegroundWindow(window);
  SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                        reinterpret_cast<void*>(static_cast<UINT_PTR>(timeout)), 0);
}

void UpdateSystemMenu(HWND window, bool close_button_minimizes) {
  LONG style = GetWindowLongA(window, GWL_STYLE);
  if (close_button_minimizes) {
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
  for (forms::Control* c : form.Controls()) {
    if (c->HasFont()) c->SetFontName(kUIFontName);
  }
}

}  // namespace tly
