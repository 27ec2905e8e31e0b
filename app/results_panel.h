// The results panel: every calculation of this start and of earlier ones as a line
// "formula = result", newest at the bottom, whose result or formula goes back into the formula
// box from the keyboard, a double-click or the line's context menu.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "forms/list_box.h"
#include "formula_panel.h"
#include "panel.h"
#include "result_list.h"

namespace tly {

class ResultsPanel : public Panel {
 public:
  ResultsPanel(forms::Form& form, const bool* shown, FormulaPanel& formula);

  double Place(double top) override;

  const ResultList& lines() const { return lines_; }
  // The lines as saved, oldest first.
  void SetLines(std::vector<ResultLine> lines);
  // Adds a calculation's line as the newest, in view. Until the formula box is edited, the
  // formula it holds is the one calculated, which an insert replaces whole.
  void AddLine(ResultLine line);
  // The formula box was typed in or given another formula.
  void FormulaEdited() { formula_as_calculated_ = false; }

  // The commands on the selected line, as its keys and its context menu run them.
  // Enter: the result into the formula box, in place of its selection, or of the formula just
  // calculated.
  void InsertResult();
  void UseFormula();  // Shift+Enter: the formula in place of the box's text
  void CopyLine();    // Ctrl+C
  void DeleteLine();  // Delete
  void ClearAll();    // すべて消去, once confirmed

  // A line was deleted, or all of them.
  std::function<void()> on_lines_changed;
  // A line went to the clipboard.
  std::function<void()> on_copied;

  std::unique_ptr<forms::Frame> Frame3;
  std::unique_ptr<forms::ListBox> List1;

 private:
  void FocusNewest();  // Alt+R
  bool KeyDown(WPARAM key, int shift);
  void ShowContextMenu(POINT at);
  void Show(int index) { List1->SetListIndex(index); }
  const ResultLine* Selected() const;

  FormulaPanel& formula_;
  ResultList lines_;
  bool formula_as_calculated_ = false;
};

}  // namespace tly
