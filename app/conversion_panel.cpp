#include "conversion_panel.h"

#include "calculate_command.h"
#include "forms/services.h"
#include "string_ids.h"
#include "string_table.h"
#include "text.h"
#include "unit_factor.h"

namespace tly {
namespace {

constexpr int kConversionHelp = 6;

std::u16string Resource(int id) { return ToU16(forms::ResourceString(id)); }

}  // namespace

ConversionPanel::ConversionPanel(forms::Form& form, const bool* shown) : Panel(1695, shown) {
  using E = Edge;
  using forms::ComboBox;
  Frame1 = Add<forms::Frame>(E::kWidens, form, {240, 0, 3615, DesignHeight()}, L"単位変換(&C)");
  Frame1->SetHelpContext(kConversionHelp);
  forms::Frame& f = *Frame1;
  Combo2 = Add<ComboBox>(E::kWidens, f, {120, 300, 3375, 300}, ComboBox::Style::kList);
  Combo2->SetToolTip(L"単位系を選択");
  Label2 = Add<forms::Label>(E::kStays, f, {120, 795, 975, 255}, L"変換前(&B)");
  Combo3 = Add<ComboBox>(E::kWidens, f, {1200, 750, 2295, 300}, ComboBox::Style::kList);
  Combo3->SetToolTip(L"計算式の単位");
  Label3 = Add<forms::Label>(E::kStays, f, {120, 1245, 975, 255}, L"変換後(&A)");
  Combo4 = Add<ComboBox>(E::kWidens, f, {1200, 1200, 2295, 300}, ComboBox::Style::kList);
  Combo4->SetToolTip(L"計算結果の単位");
}

double ConversionPanel::Place(double top) { return PlaceFrame(*Frame1, top); }

void ConversionPanel::FillQuantities(int selected) {
  for (const std::u16string& name : LoadList(ids::kQuantityNames, Resource))
    Combo2->AddItem(ToWide(name));
  Combo2->SetListIndex(selected);
}

void ConversionPanel::CategorySelected() {
  Combo3->SetVisible(false);
  Combo4->SetVisible(false);
  const int category = Combo2->ListIndex();
  Combo3->Clear();
  Combo4->Clear();
  if (category >= 0) {
    for (const std::u16string& unit : LoadList(FirstUnitString(category), Resource)) {
      Combo3->AddItem(ToWide(unit));
      Combo4->AddItem(ToWide(unit));
    }
    Combo3->SetListIndex(InitialUnit(category));
    Combo4->SetListIndex(Combo3->ListIndex());
  }
  Combo3->SetVisible(true);
  Combo4->SetVisible(true);
}

std::optional<Conversion> ConversionPanel::Current() const {
  if (!Shown()) return std::nullopt;
  return Conversion{Combo2->ListIndex(), Combo3->ListIndex(), Combo4->ListIndex()};
}

}  // namespace tly
