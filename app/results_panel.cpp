#include "results_panel.h"

#include <algorithm>

#include "forms/services.h"
#include "text.h"
#include "window_names.h"

namespace tly {
namespace {

constexpr int kResultsHelp = 3;  // the formula box's topic, which describes the panel

// The panel's frame, whose access key selects the newest line as well.
class ResultsFrame : public forms::Frame {
 public:
  ResultsFrame(forms::Container& c, const forms::TwipRect& r, std::function<void()> on_key)
      : Frame(c, r, L"計算履歴(&R)"), on_key_(std::move(on_key)) {}
  void OnAccessKey() override { on_key_(); }

 private:
  std::function<void()> on_key_;
};

enum Command : UINT { kInsert = 1, kUseFormula, kCopy, kDelete, kClearAll };

}  // namespace

ResultsPanel::ResultsPanel(forms::Form& form, const bool* shown, FormulaPanel& formula)
    : Panel(1725, shown), formula_(formula) {
  using E = Edge;
  Frame3 = Add<ResultsFrame>(E::kWidens, form, {240, 0, 3615, DesignHeight()},
                             [this] { FocusNewest(); });
  Frame3->SetHelpContext(kResultsHelp);
  // Six whole lines at every DPI; five above a scroll bar for a line wider than the list.
  List1 = Add<forms::ListBox>(E::kWidens, *Frame3, {120, 300, 3375, 1305});
  List1->on_key_down = [this](WPARAM key, int shift) { return KeyDown(key, shift); };
  List1->on_double_click = [this] { InsertResult(); };
  List1->on_context_menu = [this](POINT at) { ShowContextMenu(at); };
}

double ResultsPanel::Place(double top) { return PlaceFrame(*Frame3, top); }

void ResultsPanel::SetLines(std::vector<ResultLine> lines) {
  lines_.Assign(std::move(lines));
  List1->Clear();
  for (const ResultLine& line : lines_.lines()) List1->AddItem(ToWide(line.Text()));
  List1->ShowLast();
}

void ResultsPanel::AddLine(ResultLine line) {
  const std::wstring text = ToWide(line.Text());
  if (lines_.Add(std::move(line))) List1->RemoveItem(0);
  List1->AddItem(text);
  List1->ShowLast();
  formula_as_calculated_ = true;
}

const ResultLine* ResultsPanel::Selected() const {
  const int index = List1->ListIndex();
  return index >= 0 && index < lines_.size() ? &lines_.at(index) : nullptr;
}

void ResultsPanel::FocusNewest() {
  List1->SetFocus();
  Show(lines_.size() - 1);
}

void ResultsPanel::InsertResult() {
  const ResultLine* line = Selected();
  if (line == nullptr || line->insert.empty()) {
    forms::Beep(MB_OK);  // an error line has no value to insert
    return;
  }
  // The box keeps its selection while the list has the focus; focusing it selects all. A
  // formula left as it was calculated is replaced: a result is the start of a new formula.
  HWND edit = formula_.Combo1->EditWindow();
  DWORD begin = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&begin), reinterpret_cast<LPARAM>(&end));
  if (formula_as_calculated_) {
    begin = 0;
    end = static_cast<DWORD>(GetWindowTextLengthW(edit));
  }
  formula_.Combo1->SetFocus();
  SendMessageW(edit, EM_SETSEL, begin, static_cast<LPARAM>(end));
  formula_as_calculated_ = false;
  const std::wstring insert = ToWide(line->insert);
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(insert.c_str()));
}

void ResultsPanel::UseFormula() {
  const ResultLine* line = Selected();
  if (line == nullptr) return;
  formula_.Combo1->SetFocus();
  formula_.SetFormula(line->formula);
  formula_as_calculated_ = false;
}

void ResultsPanel::CopyLine() {
  const ResultLine* line = Selected();
  if (line != nullptr && forms::SetClipboardText(List1->hwnd(), ToWide(line->Text())) && on_copied)
    on_copied();
}

void ResultsPanel::DeleteLine() {
  const int index = List1->ListIndex();
  if (index < 0 || index >= lines_.size()) return;
  lines_.Remove(index);
  List1->RemoveItem(index);
  Show(std::min(index, lines_.size() - 1));
  if (on_lines_changed) on_lines_changed();
}

void ResultsPanel::ClearAll() {
  lines_.Clear();
  List1->Clear();
  if (on_lines_changed) on_lines_changed();
}

bool ResultsPanel::KeyDown(WPARAM key, int shift) {
  if (key == VK_RETURN && shift == 0)
    InsertResult();
  else if (key == VK_RETURN && shift == 1)
    UseFormula();
  else if (key == VK_DELETE && shift == 0)
    DeleteLine();
  else if (key == 'C' && shift == 2)
    CopyLine();
  else
    return false;
  return true;
}

void ResultsPanel::ShowContextMenu(POINT at) {
  const ResultLine* line = Selected();
  forms::UniqueMenu menu(CreatePopupMenu());
  const auto add = [&](UINT id, const wchar_t* caption, bool enabled) {
    AppendMenuW(menu.get(), MF_STRING | (enabled ? 0u : MF_GRAYED), id, caption);
  };
  add(kInsert, L"結果を挿入(&I)\tEnter", line != nullptr && !line->insert.empty());
  add(kUseFormula, L"計算式を使う(&F)\tShift+Enter", line != nullptr);
  add(kCopy, L"行をコピー(&C)\tCtrl+C", line != nullptr);
  add(kDelete, L"削除(&D)\tDelete", line != nullptr);
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(kClearAll, L"すべて消去(&A)", lines_.size() > 0);
  HWND owner = GetAncestor(List1->hwnd(), GA_ROOT);
  const auto picked = static_cast<UINT>(TrackPopupMenu(
      menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
  switch (picked) {
    case kInsert: InsertResult(); break;
    case kUseFormula: UseFormula(); break;
    case kCopy: CopyLine(); break;
    case kDelete: DeleteLine(); break;
    case kClearAll:
      if (forms::ShowMessage(owner, L"計算履歴の行をすべて消去しますか?", kProductName,
                             MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
        ClearAll();
      break;
    default: break;
  }
}

}  // namespace tly
