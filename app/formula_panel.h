// The formula panel at the top of the main window: the formula box with its history, the result
// box, the live result and the Calculate button, and the hidden picture box the tray icon talks
// to.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calculate_command.h"
#include "panel.h"

namespace tly {

class FormulaPanel : public Panel {
 public:
  // `width` is the window's designed client width, which the separators span.
  FormulaPanel(forms::Form& form, double width);

  double Place(double top) override;

  // Replaces the formula box's list with `entries`, keeping its text.
  void SetHistory(const std::vector<std::u16string>& entries);
  // Puts `formula` in the box with the caret at its end.
  void SetFormula(std::u16string_view formula);
  // Selects from `begin` to `end` (-1: the end) in the formula box, the caret at `end`.
  void SelectFormula(int begin, int end);
  // Shows a result or a message in the result box, and gives the formula box the focus.
  void ShowOutcome(std::u16string_view text);

  // The live result: `line` as shown, with the whole text as its tool tip when it shows less.
  void ShowPreview(const PreviewLine& line);
  // The width the live result has, and how wide `text` draws in its font, in pixels.
  int PreviewRoom() const;
  int PreviewTextWidth(std::u16string_view text) const;

  std::array<std::unique_ptr<forms::Label>, 2> Label1;
  std::unique_ptr<forms::ComboBox> Combo1;
  std::unique_ptr<forms::TextBox> Text1;
  std::unique_ptr<forms::PictureBox> Picture1;
  std::unique_ptr<forms::Button> Command1;
  std::unique_ptr<forms::Label> Label5;  // the live result, left of the Calculate button

 private:
  std::wstring preview_tip_;  // empty for none
};

}  // namespace tly
