// The variables panel: five rows of a register's letter and its value, and the scroll bar that
// runs them from a to z.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "panel.h"
#include "tly.h"

namespace tly {

class VariablesPanel : public Panel {
 public:
  static constexpr int kRows = 5;

  // A value box that is committed hands the focus to `leave_to`.
  VariablesPanel(forms::Form& form, const bool* shown, Tly& engine, forms::Control& leave_to);

  double Place(double top) override;

  // Sets the scroll bar's range, the letters a to v on the top row, and its page.
  void SetUpScrollBar();
  // Shows the registers of the rows from the scroll bar's value on.
  void Refresh();  // the change handler of VScroll1
  // Takes a value box being edited as if the focus left it; false when the box keeps the focus
  // because its text is not a number.
  bool CommitBeingEdited();
  // The mouse wheel turned by `delta` over `at` (screen pixels): scrolls a row a notch, as the
  // arrows do, when the panel is under the mouse; false otherwise.
  bool Wheel(POINT at, int delta);

  // A value box set a register.
  std::function<void()> on_register_set;

  std::unique_ptr<forms::Frame> Frame2;
  std::array<std::unique_ptr<forms::Label>, kRows> Label4;
  std::array<std::unique_ptr<forms::TextBox>, kRows> Text2;
  std::unique_ptr<forms::VScrollBar> VScroll1;

 private:
  void Validate(int row, bool& cancel);

  Tly& engine_;
  forms::Control& leave_to_;
  int rejected_row_ = -1;  // the value box whose text is not a number, while it keeps the focus
  int wheel_delta_ = 0;    // turned but less than a notch
};

}  // namespace tly
