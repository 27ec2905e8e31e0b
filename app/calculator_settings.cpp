// The main window's settings: what it reads at load, in its order, and what it writes back.
#include <algorithm>

#include "calculator.h"
#include "forms/services.h"
#include "text.h"
#include "window_names.h"
#include "window_place.h"

namespace tly {

void Calculator::OnLoad() {
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  const Settings saved = settings_.Load(hwnd());
  view_ = {saved.unit_convert, saved.variable_list, saved.result_list, saved.preview,
           saved.top_most, saved.theme};
  theme_.SetSetting(saved.theme);
  menus_->Reflect(view_);

  const bool placed = MoveToSavedPosition(hwnd(), saved.left, saved.top, Scale());
  menus_->mnuEditCopy[0]->SetEnabled(false);
  menus_->mnuEditCopy[1]->SetEnabled(false);
  menus_->mnuEditPaste->SetEnabled(forms::ClipboardHasText());
  for (int i = 0; i < kLetterCount; ++i)
    engine_.SetRegister(LetterRegisterIndex(i), saved.registers[static_cast<std::size_t>(i)]);
  core_.RestoreHistory(saved.history);
  results_->SetLines(saved.results);
  LayoutPanels();

  // The modes, and the controls as they start.
  show_in_task_tray_ = saved.task_tray;
  if (saved.minimized) SetState(forms::WindowState::kMinimized);
  close_button_minimized_ = saved.close_button;
  formula_->Command1->SetEnabled(false);
  SetCaption(kProductName);
  UpdateSystemMenu();
  formula_->Picture1->SetVisible(false);
  if (show_in_task_tray_) AddTrayIcon();
  help_file_ = forms::InProgramFolder(L"" TLY_PRODUCT_NAME ".hlp");
  ApplyUIFont(*this);
  engine_.SeedRandomFromClock();
  variables_->SetUpScrollBar();
  conversion_->FillQuantities(saved.unit);

  // The window's extras, at its final size.
  ApplyTopMost(saved.top_most);
  if (saved.hot_key != 0) SetHotKey(saved.hot_key);
  if (saved.width) RestoreWidth(hwnd(), *saved.width, Scale());
  ShowNumbersIn(NumberFormatOf(saved));
  if (!placed) CentreUnderTheMouse(hwnd());
  loaded_ = true;
}

Settings Calculator::CurrentSettings() const {
  Settings s;
  // The restored rectangle: a minimised or hidden window saves where it would come back.
  const POINT restored = RestoredTopLeft(hwnd(), Scale());
  s.left = restored.x;
  s.top = restored.y;
  s.unit_convert = view_.conversion;
  s.variable_list = view_.variables;
  s.result_list = view_.results;
  s.unit = conversion_->Combo2->ListIndex();
  s.task_tray = show_in_task_tray_;
  s.close_button = close_button_minimized_;
  for (int i = 0; i < kLetterCount; ++i)
    s.registers[static_cast<std::size_t>(i)] = engine_.Register(LetterRegisterIndex(i));
  const auto& history = core_.history();
  s.history.assign(history.begin(), history.begin() + std::min<std::ptrdiff_t>(std::ssize(history),
                                                                               kMaxSavedHistory));
  s.results = results_->lines().lines();
  return s;
}

}  // namespace tly
