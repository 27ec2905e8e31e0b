#include "tly_api.h"

#include "calculator.h"

namespace tly {

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

}  // namespace tly
