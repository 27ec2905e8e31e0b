#include "main_menu.h"

#include "product_name.h"
#include "tly_api.h"

namespace tly {

MainMenu::MainMenu(forms::Form& f) {
  HMENU file = f.AddMenu(nullptr, L"ファイル(&F)");
  mnuFileEnd = &f.AddMenuItem(file, L"" TLY_PRODUCT_NAME L"の終了(&X)");
  HMENU edit = f.AddMenu(nullptr, L"編集(&E)");
  mnuEditCopy[0] = &f.AddMenuItem(edit, L"式をコピー(&C)");
  mnuEditCopy[1] = &f.AddMenuItem(edit, L"結果をコピー(&A)");
  mnuEditPaste = &f.AddMenuItem(edit, L"貼り付け(&P)");
  mnuEditClear = &f.AddMenuItem(edit, L"消去(&B)");
  f.AddMenuSeparator(edit);
  mnuEditVarCls = &f.AddMenuItem(edit, L"変数の初期化(&I)");
  HMENU view = f.AddMenu(nullptr, L"表示(&V)");
  mnuViewConvert = &f.AddMenuItem(view, L"単位変換(&C)");
  mnuViewVariable = &f.AddMenuItem(view, L"変数(&V)");
  mnuViewResults = &f.AddMenuItem(view, L"計算履歴(&R)");
  f.AddMenuSeparator(view);
  mnuViewOption = &f.AddMenuItem(view, L"オプション(&O)...");
  f.AddMenuSeparator(view);
  mnuViewPreview = &f.AddMenuItem(view, L"入力中の結果(&P)");
  mnuViewTopMost = &f.AddMenuItem(view, L"最前面に表示(&T)");
  AddThemeMenu(f, view);
  mnuViewNumber = std::make_unique<NumberMenu>(f, view);
  HMENU help = f.AddMenu(nullptr, L"ヘルプ(&H)");
  mnuHelpHelp = &f.AddMenuItem(help, L"" TLY_PRODUCT_NAME L"ヘルプ(&H)");
  f.AddMenuSeparator(help);
  mnuHelpWebpage = &f.AddMenuItem(help, L"" TLY_COMPANY_NAME L" Webページ(&W)");
  f.AddMenuSeparator(help);
  mnuHelpAbout = &f.AddMenuItem(help, L"バージョン情報(&A)...");
  mnuTask = f.CreatePopupMenuOfForm();
  mnuTaskReturn = &f.AddMenuItem(mnuTask, L"元のサイズに戻す(&R)");
  f.AddMenuSeparator(mnuTask);
  mnuTaskEnd = &f.AddMenuItem(mnuTask, L"" TLY_PRODUCT_NAME L"の終了(&X)");
  SetMenuDefaultItem(mnuTask, mnuTaskReturn->id(), FALSE);
}

void MainMenu::AddThemeMenu(forms::Form& f, HMENU view) {
  HMENU theme = f.AddMenu(view, L"テーマ(&M)");
  const wchar_t* captions[] = {L"Windowsに合わせる(&W)", L"ライト(&L)", L"ダーク(&D)"};
  for (std::size_t i = 0; i < mnuViewTheme.size(); ++i) {
    mnuViewTheme[i] = &f.AddMenuItem(theme, captions[i]);
    MENUITEMINFOW radio{};  // a dot, not a tick: one of three
    radio.cbSize = sizeof radio;
    radio.fMask = MIIM_FTYPE;
    radio.fType = MFT_STRING | MFT_RADIOCHECK;
    SetMenuItemInfoW(theme, mnuViewTheme[i]->id(), FALSE, &radio);
  }
}

void MainMenu::Reflect(const ViewState& view) {
  mnuViewConvert->SetChecked(view.conversion);
  mnuViewVariable->SetChecked(view.variables);
  mnuViewResults->SetChecked(view.results);
  mnuViewPreview->SetChecked(view.preview);
  mnuViewTopMost->SetChecked(view.top_most);
  for (std::size_t i = 0; i < mnuViewTheme.size(); ++i)
    mnuViewTheme[i]->SetChecked(view.theme == static_cast<int>(i));
}

void MainMenu::ShowTaskMenu(HWND owner) const {
  // A pop-up menu takes the keyboard, and closes when the user clicks elsewhere, only if its
  // owner is the foreground window, also while the owner is hidden.
  BringToForeground(owner);
  POINT at;
  GetCursorPos(&at);
  TrackPopupMenu(mnuTask, TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
  // The menu closes properly only when the owner gets a message after it.
  PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace tly
