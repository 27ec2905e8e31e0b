#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

#include "about_form.h"
#include "forms/services.h"
#include "option_form.h"
#include "single_instance.h"
#include "window_names.h"
#include "window_test_support.h"

namespace tly {
namespace {

using testing::Pump;
using V = SettingValue;

bool TrayIconExists(HWND owner) {
  NOTIFYICONDATAA probe{};
  probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
  probe.hWnd = owner;
  probe.uID = 1;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

bool HasSystemCommand(HWND window, UINT command) {
  HMENU menu = GetSystemMenu(window, FALSE);
  return GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

using Lifecycle = testing::WindowTest;

TEST_F(Lifecycle, SettingsSurviveAnExitAndAStart) {
  App(u"SaveVariable") = V::Boolean(true);
  App(u"SaveFormation") = V::Boolean(true);
  Start();
  calc->ToggleConversionPanel();
  calc->conversion().Combo2->SetListIndex(3);
  calc->formula().Combo1->SetText(L"x = 0.1");
  calc->formula().Command1->Click();
  calc->formula().Combo1->SetText(L"1+2");
  calc->formula().Command1->Click();
  SetWindowPos(calc->hwnd(), nullptr, 45, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Exit();

  EXPECT_EQ(App(u"Left"), V::Long(static_cast<std::int32_t>(Scale().Twips(45))));
  EXPECT_EQ(App(u"Top"), V::Long(static_cast<std::int32_t>(Scale().Twips(60))));

  engine = Tly();
  Start();
  RECT r;
  GetWindowRect(calc->hwnd(), &r);
  EXPECT_EQ(r.left, 45);
  EXPECT_EQ(r.top, 60);
  EXPECT_TRUE(calc->menus().mnuViewConvert->Checked());
  EXPECT_TRUE(calc->conversion().Frame1->Visible());
  EXPECT_EQ(calc->conversion().Combo2->ListIndex(), 3);
  EXPECT_EQ(engine.Register(24), 0.1);
  EXPECT_EQ(calc->formula().Combo1->ListCount(), 2);
  EXPECT_EQ(calc->formula().Combo1->List(0), L"1+2");
  EXPECT_EQ(testing::ClientHeightPixels(calc->hwnd()), Scale().Pixels(6120 - 2295 - 120));
}

// Without a saved position, or with one on no monitor, the window opens in the middle of the
// work area of the monitor that holds the mouse.
TEST_F(Lifecycle, WithoutAUsablePositionTheWindowOpensCentred) {
  const POINT mouse{700, 500};
  SetCursorPos(mouse.x, mouse.y);
  MONITORINFO monitor{sizeof monitor, {}, {}, 0};
  GetMonitorInfoW(MonitorFromPoint(mouse, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  for (std::int32_t left : {0, -2000000}) {
    if (left != 0) App(u"Left") = V::Long(left);
    Start();
    RECT r;
    GetWindowRect(calc->hwnd(), &r);
    EXPECT_NEAR(r.left + r.right, work.left + work.right, 1) << left;
    EXPECT_NEAR(r.top + r.bottom, work.top + work.bottom, 1) << left;
    Exit();
  }
}

TEST_F(Lifecycle, CloseButtonMinimisesWhileExitCloses) {
  App(u"CloseButton") = V::Boolean(true);
  Start();
  SendMessageW(calc->hwnd(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(calc->IsLoaded());
  EXPECT_TRUE(IsIconic(calc->hwnd()));
  // The restored position is saved, not the minimised icon's.
  WINDOWPLACEMENT p{};
  p.length = sizeof p;
  GetWindowPlacement(calc->hwnd(), &p);
  Exit();
  EXPECT_FALSE(calc->IsLoaded());
  EXPECT_EQ(App(u"Left"),
            V::Long(static_cast<std::int32_t>(Scale().Twips(p.rcNormalPosition.left))));
}

TEST_F(Lifecycle, TrayModeHidesTheMinimisedWindowAndTheIconRestoresIt) {
  App(u"TaskTray") = V::Boolean(true);
  Start();
  HWND picture = calc->formula().Picture1->hwnd();
  EXPECT_TRUE(TrayIconExists(picture));
  // The record keeps its size; the tip ends after the name, with no blanks to show.
  const NOTIFYICONDATAA& record = calc->Tray().Record();
  EXPECT_EQ(record.cbSize, NOTIFYICONDATAA_V1_SIZE);
  EXPECT_EQ(std::string(record.szTip, 64), std::string("Tallyra") + std::string(57, '\0'));
  calc->SetState(forms::WindowState::kMinimized);
  Pump();
  EXPECT_FALSE(calc->Visible());
  // Moves and the left button's release do nothing; its press restores the window.
  SendMessageW(picture, WM_MOUSEMOVE, 1, WM_MOUSEMOVE);
  SendMessageW(picture, WM_MOUSEMOVE, 1, WM_LBUTTONUP);
  EXPECT_FALSE(calc->Visible());
  SendMessageW(picture, WM_MOUSEMOVE, 1, WM_LBUTTONDOWN);
  Pump();
  EXPECT_TRUE(calc->Visible());
  EXPECT_FALSE(IsIconic(calc->hwnd()));
  Exit();
  EXPECT_FALSE(TrayIconExists(picture));
}

TEST_F(Lifecycle, TheIconComesBackWhenTheNotificationAreaIsCreatedAgain) {
  App(u"TaskTray") = V::Boolean(true);
  Start();
  calc->DeleteTrayIcon();
  EXPECT_FALSE(TrayIconExists(calc->formula().Picture1->hwnd()));
  SendMessageW(calc->hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(TrayIconExists(calc->formula().Picture1->hwnd()));
}

TEST_F(Lifecycle, SystemMenuFollowsTheCloseButtonMode) {
  Start();
  HWND w = calc->hwnd();
  // Minimising by the close button leaves Move and Close of the window commands.
  for (bool minimising : {false, true, false}) {
    if (minimising != calc->CloseButtonMinimized()) {
      calc->SetCloseButtonMinimized(minimising);
      calc->UpdateSystemMenu();
    }
    for (UINT command : {SC_MINIMIZE, SC_RESTORE})
      EXPECT_NE(HasSystemCommand(w, command), minimising) << command;
    for (UINT command : {SC_SIZE, SC_MAXIMIZE})
      EXPECT_FALSE(HasSystemCommand(w, command)) << command;
    for (UINT command : {SC_MOVE, SC_CLOSE}) EXPECT_TRUE(HasSystemCommand(w, command)) << command;
    EXPECT_NE(GetWindowLongW(w, GWL_STYLE) & WS_MINIMIZEBOX, minimising ? WS_MINIMIZEBOX : 0);
  }
}

// ---- the Options dialog ----

class Options : public testing::WindowTest {
 protected:
  void Open() {
    dialog = std::make_unique<OptionForm>(*calc);
    dialog->Load();
    dialog->Show();
    Pump();
  }
  std::unique_ptr<OptionForm> dialog;
};

TEST_F(Options, Check1EnablesTheTrayOptionsAndCancelChangesNothing) {
  App(u"Minimized") = V::Boolean(true);
  Start();
  Open();
  EXPECT_FALSE(dialog->Check1->Checked());
  EXPECT_TRUE(dialog->Check2->Checked());
  EXPECT_FALSE(dialog->Check2->Enabled());
  EXPECT_FALSE(dialog->Check3->Enabled());
  dialog->Check1->SetChecked(true);
  dialog->CheckRule();
  EXPECT_TRUE(dialog->Check4->Enabled());
  EXPECT_TRUE(dialog->Check2->Checked());  // the marks stay as they were
  dialog->Check5->SetChecked(true);
  dialog->Command2->Click();
  Pump();
  EXPECT_FALSE(dialog->IsLoaded());
  EXPECT_FALSE(calc->ShowInTaskTray());
  EXPECT_FALSE(settings.HasApp(u"", u"SaveVariable"));
}

TEST_F(Options, OkAppliesTrayModeAtOnceAndUncheckingUndoesIt) {
  Start();
  Open();
  dialog->Check1->SetChecked(true);
  dialog->Check3->SetChecked(true);
  dialog->Check4->SetChecked(true);
  dialog->Check5->SetChecked(true);
  dialog->Ok();
  Pump();
  EXPECT_FALSE(dialog->IsLoaded());
  EXPECT_TRUE(calc->ShowInTaskTray());
  EXPECT_TRUE(calc->CloseButtonMinimized());
  EXPECT_TRUE(TrayIconExists(calc->formula().Picture1->hwnd()));
  EXPECT_FALSE(HasSystemCommand(calc->hwnd(), SC_MINIMIZE));
  // Unchecking tray mode takes the dependent options and the start-up entry away again.
  Open();
  dialog->Check1->SetChecked(false);
  dialog->Ok();
  Pump();
  EXPECT_FALSE(calc->ShowInTaskTray());
  EXPECT_FALSE(calc->CloseButtonMinimized());
  EXPECT_FALSE(TrayIconExists(calc->formula().Picture1->hwnd()));
  EXPECT_EQ(App(u"hKeyStartUp"), V::Long(0));
  Open();
  EXPECT_FALSE(dialog->Check4->Checked());
}

TEST_F(Options, RightClickOnCheck1RecreatesTheIconOnlyInTrayMode) {
  Start();
  Open();
  auto right_click = [&] {
    SendMessageW(dialog->Check1->hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageW(dialog->Check1->hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  };
  dialog->Check1->SetChecked(true);
  right_click();
  EXPECT_FALSE(TrayIconExists(calc->formula().Picture1->hwnd()));  // tray mode is off in the window
  calc->SetShowInTaskTray(true);
  right_click();
  EXPECT_TRUE(TrayIconExists(calc->formula().Picture1->hwnd()));
  calc->DeleteTrayIcon();
  calc->SetShowInTaskTray(false);
}

// ---- the About dialog ----

TEST_F(Lifecycle, AboutsLinkOpensOnlyOnARelease) {
  Start();
  AboutForm about(*calc);
  int opened = 0;
  about.open_address = [&](const std::wstring&) { ++opened; };
  about.Load();
  about.Show();
  Pump();
  HWND link = about.Label4->hwnd();
  RECT r;
  GetClientRect(link, &r);
  // Press, drag off, release outside: nothing opens and the border is gone.
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_TRUE(about.Label4->Border());
  SendMessageW(link, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.right + 20, 3));
  EXPECT_FALSE(about.Label4->Border());
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(r.right + 20, 3));
  EXPECT_EQ(opened, 0);
  // Drag back over it before releasing: the page opens.
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageW(link, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.right + 20, 3));
  SendMessageW(link, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(4, 4));
  EXPECT_TRUE(about.Label4->Border());
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(about.Label4->Border());
}

// ---- the window shell ----

TEST_F(Lifecycle, DialogsOpenInsideTheWorkAreaOfTheMainWindowsMonitor) {
  Start();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(calc->hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT area = monitor.rcWork;
  RECT main;
  GetWindowRect(calc->hwnd(), &main);
  const int w = main.right - main.left, h = main.bottom - main.top;
  const POINT places[] = {{area.left, area.top},
                          {area.right - w, area.top},
                          {area.left, area.bottom - h},
                          {area.right - w, area.bottom - h},
                          {(area.left + area.right - w) / 2, area.top}};
  for (POINT at : places) {
    SetWindowPos(calc->hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    AboutForm about(*calc);
    OptionForm options(*calc);
    for (forms::Form* dialog :
         {static_cast<forms::Form*>(&about), static_cast<forms::Form*>(&options)}) {
      dialog->Load();
      // Owned by the main window: no task-bar button of its own, and above the main window
      // when that comes to the top.
      EXPECT_EQ(GetWindow(dialog->hwnd(), GW_OWNER), calc->hwnd());
      EXPECT_EQ(GetWindowLongW(dialog->hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
      dialog->Show();
      SetWindowPos(calc->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      HWND above = calc->hwnd();
      while (above != nullptr && above != dialog->hwnd()) above = GetWindow(above, GW_HWNDPREV);
      EXPECT_EQ(above, dialog->hwnd());
      RECT r;
      GetWindowRect(dialog->hwnd(), &r);
      EXPECT_GE(r.left, area.left) << at.x << "," << at.y;
      EXPECT_GE(r.top, area.top) << at.x << "," << at.y;
      EXPECT_LE(r.right, area.right) << at.x << "," << at.y;
      EXPECT_LE(r.bottom, area.bottom) << at.x << "," << at.y;
      if (at.x != area.left && at.x != area.right - w && at.y == area.top) {
        // Where there is room: centred across the main window, at the top of its client area.
        EXPECT_NEAR(dialog->Left(), calc->Left() + (calc->Width() - dialog->Width()) / 2, 16);
        EXPECT_NEAR(dialog->Top(), calc->Top() + calc->Height() - calc->ClientHeight(), 16);
      }
      dialog->Unload();
    }
  }
}

TEST_F(Lifecycle, ASecondStartActivatesThisProgramNotAForeignWindowOfTheSameCaption) {
  Start();
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ForeignProgram";
  RegisterClassW(&wc);
  // Created last, the foreign window is the first one a search by caption alone finds.
  calc->SetState(forms::WindowState::kMinimized);
  forms::UniqueWindow foreign(CreateWindowW(L"ForeignProgram", kProductName, WS_OVERLAPPEDWINDOW, 0,
                                            0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr));
  ShowWindow(foreign.get(), SW_SHOWMINIMIZED);
  Pump();
  ActivateFirstInstance();
  Pump();
  EXPECT_FALSE(IsIconic(calc->hwnd()));
  EXPECT_EQ(GetForegroundWindow(), calc->hwnd());
  EXPECT_TRUE(IsIconic(foreign.get()));
}

TEST_F(Lifecycle, AnExceptionInAnEventHandlerEndsThereAndTheWindowGoesOn) {
  Start();
  int raised = 0;
  auto fail = [&raised] {
    ++raised;
    throw std::runtime_error("not a numbered error");
  };
  calc->menus().mnuEditVarCls->on_click = fail;  // the form's window procedure
  calc->variables().VScroll1->on_change = fail;  // a frame's
  calc->formula().Combo1->keys.on_key_press = [&](wchar_t) -> bool {
    fail();
    return true;
  };  // a control's own
  SendMessageW(calc->hwnd(), WM_COMMAND, calc->menus().mnuEditVarCls->id(), 0);
  SendMessageW(calc->variables().Frame2->hwnd(), WM_VSCROLL, SB_LINEDOWN,
               reinterpret_cast<LPARAM>(calc->variables().VScroll1->hwnd()));
  SendMessageW(calc->formula().Combo1->EditWindow(), WM_CHAR, L'1', 1);
  Pump();
  EXPECT_EQ(raised, 3);
  ASSERT_TRUE(calc->IsLoaded());
  calc->formula().Combo1->SetText(L"6*7");
  calc->formula().Command1->Click();
  EXPECT_EQ(calc->formula().Text1->Text(), L"42");
}

// Also in tray mode with the close button minimising, and with a modal dialog open.
TEST_F(Lifecycle, WindowsEndingSavesAndEnds) {
  App(u"SaveVariable") = V::Boolean(true);
  App(u"TaskTray") = V::Boolean(true);
  App(u"CloseButton") = V::Boolean(true);
  Start();
  engine.SetRegister(3, 7);
  // Windows asks every top-level window, the dialog in front first.
  std::atomic<bool> asked = false;
  std::thread windows([&asked] {
    HWND dialog = nullptr;
    for (int i = 0; i < 100 && dialog == nullptr; ++i, Sleep(50))
      dialog = FindWindowW(kFormClassName, L"オプション");
    HWND main = FindWindowW(kFormClassName, kProductName);
    for (HWND h : {dialog, main}) SendMessageW(h, WM_QUERYENDSESSION, 0, 0);
    for (HWND h : {dialog, main}) SendMessageW(h, WM_ENDSESSION, TRUE, 0);
    asked = true;
  });
  calc->ShowOptions();  // returns when the dialog is gone
  bool quit = false;
  for (MSG msg; !asked; Sleep(10)) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
  }
  windows.join();
  EXPECT_EQ(settings.App(u"Variable", u"C"), V::Double(7));
  EXPECT_FALSE(calc->IsLoaded());
  MSG msg;
  EXPECT_TRUE(quit || PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace tly
