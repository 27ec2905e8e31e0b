// Helpers for the tests that drive the real windows under Wine.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "calculator.h"
#include "forms/form.h"
#include "forms/services.h"
#include "memory_settings.h"

namespace tly::testing {

// Handles every message that is waiting, as the program's message loop does.
inline void Pump() {
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;  // the main window posts it when it goes
      if (!forms::Form::PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    Sleep(10);
  }
}

inline int ClientHeightPixels(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return r.bottom;
}

inline std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// The main window over settings in memory: Start() loads and shows it; at the end of the test
// it unloads as Exit does.
class WindowTest : public ::testing::Test {
 protected:
  void Start() {
    calc = std::make_unique<Calculator>(engine, LoadIconW(nullptr, IDI_APPLICATION), [this] {
      return std::make_unique<SharedSettings>(settings);
    });
    calc->Load();
    calc->Show();
    Pump();
  }
  void Exit() {
    calc->menus().mnuFileEnd->on_click();
    Pump();
  }
  void TearDown() override {
    if (calc && calc->IsLoaded()) Exit();
  }
  SettingValue& App(std::u16string_view name) { return settings.App(u"", name); }
  // Twips and pixels at the main window's DPI.
  forms::DpiScale Scale() const { return calc->Scale(); }

  MemorySettings settings;
  Tly engine;
  std::unique_ptr<Calculator> calc;
};

}  // namespace tly::testing
