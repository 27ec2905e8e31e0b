// The main window's settings: what it reads at load, in its order, and what it writes back.
#include <algorithm>

#include "calculator.h"
#include "forms/services.h"
#include "string_ids.h"
#include "text.h"
#include "window_names.h"
#include "window_place.h"

namespace tly {

std::unique_ptr<SettingsStore> Calculator::OpenSettings() {
  std::unique_ptr<SettingsStore> store = OpenSettingsStore();
  if (store == nullptr && !told_settings_unavailable_) {
    told_settings_unavailable_ = true;
    forms::ShowMessage(hwnd(), forms::ResourceString(ids::kMessageSettingsUnavailable),
                       kProductName, MB_OK | MB_ICONINFORMATION);
  }
  return store;
}

std::unique_ptr<SettingsStore> Calculator::OpenSettingsStore() const {
  return open_settings_ ? open_settings_() : nullptr;
}

void Calculator::OnLoad() {
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  Settings saved;
  if (std::unique_ptr<SettingsStore> store = OpenSettings()) saved = LoadSettings(*store);
  view_ = {saved.unit_convert, saved.variable_list, saved.preview, saved.top_most};
  menus_->Reflect(view_);

  const bool placed = MoveToSavedPosition(hwnd(), saved.left, saved.top, Scale());
  RestoreMenusAndRegisters(saved);
  LayoutPanels();
  RestoreModes(saved);
  FinishControls();
  conversion_->FillQuantities(saved.unit);
  RestoreExtras(saved);
  ShowNumbersIn(NumberFormatOf(saved));
  if (!placed) CentreUnderTheMouse(hwnd());  // at its final size
  loaded_ = true;
}

void Calculator::RestoreMenusAndRegisters(const Settings& s) {
  menus_->mnuEditCopy[0]->SetEnabled(false);
  menus_->mnuEditCopy[1]->SetEnabled(false);
  menus_->mnuEditPaste->SetEnabled(forms::ClipboardHasText());
  for (int i = 0; i < kLetterCount; ++i)
    engine_.SetRegister(LetterRegisterIndex(i), s.registers[static_cast<std::size_t>(i)]);
  core_.RestoreHistory(s.history);
}

void Calculator::RestoreModes(const Settings& s) {
  show_in_task_tray_ = s.task_tray;
  if (s.minimized) SetState(forms::WindowState::kMinimized);
  close_button_minimized_ = s.close_button;
}

void Calculator::FinishControls() {
  formula_->Command1->SetEnabled(false);
  SetCaption(kProductName);
  UpdateSystemMenu();
  formula_->Picture1->SetVisible(false);
  if (show_in_task_tray_) AddTrayIcon();
  help_file_ = forms::InProgramFolder(L"" TLY_PRODUCT_NAME ".hlp");
  ApplyUIFont(*this);
  engine_.SeedRandomFromClock();
  variables_->SetUpScrollBar();
}

Settings Calculator::CurrentSettings() const {
  Settings s;
  // The restored rectangle: a minimised or hidden window saves where it would come back.
  const POINT restored = RestoredTopLeft(hwnd(), Scale());
  s.left = restored.x;
  s.top = restored.y;
  s.unit_convert = view_.conversion;
  s.variable_list = view_.variables;
  s.unit = conversion_->Combo2->ListIndex();
  s.task_tray = show_in_task_tray_;
  s.close_button = close_button_minimized_;
  for (int i = 0; i < kLetterCount; ++i)
    s.registers[static_cast<std::size_t>(i)] = engine_.Register(LetterRegisterIndex(i));
  const auto& history = core_.history();
  s.history.assign(history.begin(), history.begin() + std::min<std::ptrdiff_t>(std::ssize(history),
                                                                               kMaxSavedHistory));
  return s;
}

// A Registry object for each save, released at once: nothing of the session waits for the exit.
void Calculator::SaveSettings(unsigned parts) {
  if (std::unique_ptr<SettingsStore> store = OpenSettings())
    WriteSettings(*store, CurrentSettings(), parts);
}

void Calculator::RestoreExtras(const Settings& e) {
  ApplyTopMost(e.top_most);
  if (e.hot_key != 0) SetHotKey(e.hot_key);
  saved_width_ = e.width;
  if (e.width) RestoreWidth(hwnd(), *e.width, Scale());
}

void Calculator::SaveWidthIfChanged() {
  const std::int32_t width = OuterWidth(hwnd(), Scale());
  if (saved_width_ == width || IsIconic(hwnd())) return;
  // The designed width is the default: a window never widened keeps no value.
  if (!saved_width_ && ClientWidth() <= kClientWidth + Scale().TwipsPerPixel() / 2) return;
  if (std::unique_ptr<SettingsStore> store = OpenSettings()) {
    WriteSettings(*store, {.width = width}, kWidthPart);
    saved_width_ = width;
  }
}

}  // namespace tly
