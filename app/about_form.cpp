#include "about_form.h"

#include <windows.h>

#include <shellapi.h>

#include "forms/services.h"
#include "string_ids.h"
#include "window_names.h"

namespace tly {
namespace {

using forms::TwipRect;

forms::FormStyle DialogStyle(const forms::Form& main) {
  forms::FormStyle s;
  s.caption = L"バージョン情報";
  s.client_width = 4800;
  s.client_height = 2520;
  s.dialog_frame = true;
  s.owner = &main;
  s.escape_closes = true;
  return s;
}

}  // namespace

std::wstring VersionText(int major, int minor) {
  std::wstring two = std::to_wstring(minor);
  if (two.size() < 2) two.insert(0, 1, L'0');
  return L"Version " + std::to_wstring(major) + L"." + two;
}

AboutForm::AboutForm(const forms::Form& main) : Form(DialogStyle(main)), main_(main) {
  open_address = [this](const std::wstring& address) { forms::ShellOpen(hwnd(), address); };
}

AboutForm::~AboutForm() = default;

void AboutForm::OnCreate() {
  Image1 = std::make_unique<forms::Image>(*this, TwipRect{360, 360, 480, 480});
  Label1 = std::make_unique<forms::Label>(*this, TwipRect{1200, 300, 3360, 375}, L"");
  Label2 = std::make_unique<forms::Label>(*this, TwipRect{1200, 720, 3360, 255}, L"");
  Label3 = std::make_unique<forms::Label>(*this, TwipRect{1200, 1020, 3360, 255}, L"");
  Label4 = std::make_unique<forms::Label>(*this, TwipRect{1200, 1380, 3360, 255}, L"");
  Command1 = std::make_unique<forms::Button>(*this, TwipRect{3240, 1920, 1335, 360}, L"OK",
                                             forms::Button::Role::kDefault);
  SetDefaultButton(Command1.get());
  Label1->SetFont({kMsPGothic, 12, true, false});
  Label4->SetFont({kMsPGothic, 9, false, true});
  Label4->SetToolTip(L"サポートページへ");
  Label4->hand_cursor = true;
  Label4->on_mouse_down = [this](const forms::MouseEvent& e) { LinkMouseDown(e); };
  Label4->on_mouse_move = [this](const forms::MouseEvent& e) { LinkMouseMove(e); };
  Label4->on_mouse_up = [this](const forms::MouseEvent& e) { LinkMouseUp(e); };
  Command1->on_click = [this] { Unload(forms::kCodeUnload); };
}

void AboutForm::OnLoad() {
  PlaceOver(main_);
  ShowIconForDpi();
  const forms::VersionInfo& v = forms::ProgramVersion();
  Label1->SetCaption(v.product);
  Label2->SetCaption(VersionText(v.major, v.minor));
  Label3->SetCaption(v.legal_copyright);
  Label4->SetCaption(forms::ResourceString(ids::kWebPageAddress));
  MessageBeep(MB_ICONASTERISK);
}

void AboutForm::OnDpiChanged() { ShowIconForDpi(); }

// The icon drawn at its own size for the DPI rather than stretched; the main window's icon
// where the program has none of its own.
void AboutForm::ShowIconForDpi() {
  forms::UniqueIcon icon(forms::LoadProgramIcon(1, forms::MetricForDpi(SM_CXICON, Dpi())));
  Image1->SetPicture(icon ? icon.get() : main_.Icon());
  icon_ = std::move(icon);
}

void AboutForm::LinkMouseDown(const forms::MouseEvent& e) {
  if (e.button == forms::kLeftButton) Label4->SetBorder(true);
}

void AboutForm::LinkMouseMove(const forms::MouseEvent& e) {
  if ((e.button & forms::kLeftButton) == 0) return;
  const forms::TwipRect size = Label4->Bounds();
  const bool outside = e.x < 0 || e.y < 0 || e.x > size.width || e.y > size.height;
  if (outside && Label4->Border()) Label4->SetBorder(false);
  if (!outside && !Label4->Border()) Label4->SetBorder(true);
}

void AboutForm::LinkMouseUp(const forms::MouseEvent& e) {
  if (e.button != forms::kLeftButton || !Label4->Border()) return;
  Label4->SetBorder(false);
  if (open_address) open_address(forms::ResourceString(ids::kWebPageAddress));
}

}  // namespace tly
