// Tallyra: the program starts with its main window and ends when that window unloads.
#include <windows.h>

#include <objbase.h>

#include "calculator.h"
#include "forms/owners.h"
#include "kolo_reg_settings.h"
#include "single_instance.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  HANDLE marker = nullptr;
  const bool second = tly::AnotherInstanceRuns(marker);
  tly::forms::UniqueKernelHandle instance_marker(marker);
  if (second) {
    tly::ActivateFirstInstance();
    return 0;
  }

  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  tly::forms::UniqueIcon icon(static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
  int status = 0;
  {
    tly::Tly engine;
    tly::Calculator calculator(engine, icon.get(), tly::OpenKoloRegSettings);
    calculator.Load();
    if (calculator.IsLoaded()) {
      calculator.Show();
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!tly::forms::Form::PreTranslate(msg)) {
          TranslateMessage(&msg);
          DispatchMessageW(&msg);
        }
      }
      status = static_cast<int>(msg.wParam);
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
}
