// The conversion panel: the quantity, and the units the formula is in and the result is shown in.
#pragma once

#include <memory>
#include <optional>

#include "conversion.h"
#include "panel.h"

namespace tly {

class ConversionPanel : public Panel {
 public:
  ConversionPanel(forms::Form& form, const bool* shown);

  double Place(double top) override;

  // Lists the quantities and selects the one numbered `selected`.
  void FillQuantities(int selected);
  // Lists the units of the selected quantity in both unit lists and selects its first unit.
  void CategorySelected();  // the click handler of Combo2
  // The conversion the Calculate command applies now: none while the panel is hidden.
  std::optional<Conversion> Current() const;

  std::unique_ptr<forms::Frame> Frame1;
  std::unique_ptr<forms::ComboBox> Combo2, Combo3, Combo4;
  std::unique_ptr<forms::Label> Label2, Label3;
};

}  // namespace tly
