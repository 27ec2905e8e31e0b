#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <memory>
#include <thread>

#include "about_form.h"
#include "calculator.h"
#include "forms/services.h"
#include "help.h"
#include "memory_settings.h"
#include "option_form.h"
#include "tly_api.h"
#include "window_test_support.h"

namespace tly {
namespace {

using forms::PixelsX;
using forms::PixelsY;
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

// Presses OK on the message boxes titled Tallyra that appear within `seconds`, from another
// thread, while the test's own thread sits in the box's loop.
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(double seconds) {
    thread_ = std::thread([this, seconds] {
      for (double t = 0; t < seconds && !stop_; t += 0.05) {
        if (HWND box = FindWindowW(L"#32770", L"Tallyra")) {
          ++seen;
          SendMessageW(box, WM_COMMAND, IDOK, 0);
        }
        Sleep(50);
      }
    });
  }
  ~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::atomic<int> seen = 0;

 private:
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

class Lifecycle : public ::testing::Test {
 protected:
  void Start() {
    calc = std::make_unique<Calculator>(engine, LoadIconW(nullptr, IDI_APPLICATION), [this] {
      return available ? std::make_unique<testing::SharedSettings>(settings) : nullptr;
    });
    calc->Load();
    calc->Show();
    Pump();
  }
  void Exit() {
    calc->mnuFileEnd->on_click();
    Pump();
  }
  void TearDown() override {
    if (calc && calc->IsLoaded()) Exit();
  }
  V& App(std::u16string_view name) { return settings.App(u"", name); }

  testing::MemorySettings settings;
  bool available = true;
  Tly engine;
  std::unique_ptr<Calculator> calc;
};

TEST_F(Lifecycle, SettingsSurviveAnExitAndAStart) {
  App(u"SaveVariable") = V::Boolean(true);
  App(u"SaveFormation") = V::Boolean(true);
  Start();
  calc->ToggleConversionPanel();
  calc->Combo2->SetListIndex(3);
  calc->Combo1->SetText(L"x = 0.1");
  calc->Command1->Click();
  calc->Combo1->SetText(L"1+2");
  calc->Command1->Click();
  SetWindowPos(calc->hwnd(), nullptr, 45, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Exit();

  EXPECT_EQ(App(u"Left"), V::Long(static_cast<std::int32_t>(forms::TwipsX(45))));
  EXPECT_EQ(App(u"Top"), V::Long(static_cast<std::int32_t>(forms::TwipsY(60))));
  EXPECT_EQ(App(u"UnitConvert"), V::Long(-1));
  EXPECT_EQ(App(u"VariableList"), V::Long(0));
  EXPECT_EQ(App(u"Unit"), V::Long(3));
  EXPECT_EQ(settings.App(u"Variable", u"X"), V::Double(0.1));
  EXPECT_EQ(settings.App(u"Formation", u"ListCount"), V::Long(2));
  EXPECT_EQ(settings.App(u"Formation", u"00"), V::String(u"1+2"));

  engine = Tly();
  Start();
  RECT r;
  GetWindowRect(calc->hwnd(), &r);
  EXPECT_EQ(r.left, 45);
  EXPECT_EQ(r.top, 60);
  EXPECT_TRUE(calc->mnuViewConvert->Checked());
  EXPECT_TRUE(calc->Frame1->Visible());
  EXPECT_EQ(calc->Combo2->ListIndex(), 3);
  EXPECT_EQ(calc->Combo3->List(calc->Combo3->ListIndex()), L"立方cm");
  EXPECT_EQ(engine.Register(24), 0.1);
  EXPECT_EQ(calc->Combo1->ListCount(), 2);
  EXPECT_EQ(calc->Combo1->List(0), L"1+2");
  EXPECT_EQ(testing::ClientHeightPixels(calc->hwnd()), PixelsY(6120 - 2295 - 120));
}

TEST_F(Lifecycle, FirstRunKeepsThePlaceAndSelectsLength) {
  Start();
  EXPECT_FALSE(calc->ShowInTaskTray);
  EXPECT_FALSE(calc->CloseButtonMinimized);
  EXPECT_EQ(calc->Combo2->ListIndex(), 1);
  EXPECT_EQ(calc->Combo1->ListCount(), 0);
  EXPECT_EQ(calc->HelpFile.substr(calc->HelpFile.size() - 12), L"\\Tallyra.hlp");
}

TEST_F(Lifecycle, CorruptedSettingsFallBackToTheDefaults) {
  App(u"Unit") = V::Long(99);
  App(u"Left") = V::String(u"left");
  settings.App(u"Variable", u"A") = V::String(u"nan");
  Start();
  EXPECT_TRUE(calc->IsLoaded());
  EXPECT_EQ(calc->Combo2->ListIndex(), 1);
  EXPECT_EQ(engine.Register(1), 0);
}

TEST_F(Lifecycle, APositionOnNoMonitorIsNotUsed) {
  App(u"Left") = V::Long(-2000000);
  App(u"Top") = V::Long(3000000);
  Start();
  RECT r;
  GetWindowRect(calc->hwnd(), &r);
  EXPECT_NE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr);
}

TEST_F(Lifecycle, WithoutTheSettingsLibraryTheProgramRunsAndSaysSoOnce) {
  available = false;
  MessageBoxWatcher watcher(8);
  Start();
  EXPECT_TRUE(calc->IsLoaded());
  calc->Combo1->SetText(L"2*3");
  calc->Command1->Click();
  EXPECT_EQ(calc->Text1->Text(), L"6");
  Exit();
  EXPECT_EQ(watcher.seen, 1);
  EXPECT_TRUE(settings.values.empty());
}

TEST_F(Lifecycle, HistoryOf150EntriesSavesTheNewest100) {
  App(u"SaveFormation") = V::Boolean(true);
  Start();
  for (int i = 0; i < 150; ++i) {
    calc->Combo1->SetText(std::to_wstring(i));
    calc->Command1->Click();
  }
  EXPECT_EQ(calc->Combo1->ListCount(), 150);
  Exit();
  EXPECT_EQ(settings.App(u"Formation", u"ListCount"), V::Long(100));
  EXPECT_EQ(settings.App(u"Formation", u"00"), V::String(u"149"));
  EXPECT_EQ(settings.App(u"Formation", u"99"), V::String(u"50"));
}

TEST_F(Lifecycle, CloseButtonMinimisesWhileExitCloses) {
  App(u"CloseButton") = V::Boolean(true);
  Start();
  EXPECT_TRUE(calc->CloseButtonMinimized);
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
            V::Long(static_cast<std::int32_t>(forms::TwipsX(p.rcNormalPosition.left))));
}

TEST_F(Lifecycle, WindowsEndingSavesLikeExit) {
  App(u"SaveVariable") = V::Boolean(true);
  App(u"TaskTray") = V::Boolean(true);
  App(u"CloseButton") = V::Boolean(true);
  Start();
  engine.SetRegister(2, 42);
  EXPECT_EQ(SendMessageW(calc->hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageW(calc->hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
  EXPECT_EQ(settings.App(u"Variable", u"B"), V::Double(42));
  EXPECT_FALSE(calc->IsLoaded());  // also in tray mode with the close button minimising
}

TEST_F(Lifecycle, TrayModeHidesTheMinimisedWindowAndTheIconRestoresIt) {
  App(u"TaskTray") = V::Boolean(true);
  Start();
  HWND picture = calc->Picture1->hwnd();
  EXPECT_TRUE(TrayIconExists(picture));
  EXPECT_EQ(calc->TrayIconData.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(calc->TrayIconData.uCallbackMessage, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(std::string(calc->TrayIconData.szTip).substr(0, 8), "Tallyra ");
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

TEST_F(Lifecycle, AMinimisedStartInTrayModeShowsOnlyTheIcon) {
  App(u"TaskTray") = V::Boolean(true);
  App(u"Minimized") = V::Boolean(true);
  Start();
  EXPECT_FALSE(calc->Visible());
  EXPECT_TRUE(TrayIconExists(calc->Picture1->hwnd()));
  calc->mnuTaskReturn->on_click();
  Pump();
  EXPECT_TRUE(calc->Visible());
}

TEST_F(Lifecycle, TheIconComesBackWhenTheNotificationAreaIsCreatedAgain) {
  App(u"TaskTray") = V::Boolean(true);
  Start();
  DeleteTrayIcon(*calc);
  EXPECT_FALSE(TrayIconExists(calc->Picture1->hwnd()));
  SendMessageW(calc->hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(TrayIconExists(calc->Picture1->hwnd()));
}

TEST_F(Lifecycle, SystemMenuFollowsTheCloseButtonMode) {
  Start();
  HWND w = calc->hwnd();
  EXPECT_FALSE(HasSystemCommand(w, SC_MAXIMIZE));
  EXPECT_FALSE(HasSystemCommand(w, SC_SIZE));
  EXPECT_TRUE(HasSystemCommand(w, SC_MINIMIZE));
  EXPECT_TRUE(HasSystemCommand(w, SC_RESTORE));
  EXPECT_NE(GetWindowLongW(w, GWL_STYLE) & WS_MINIMIZEBOX, 0);
  calc->CloseButtonMinimized = true;
  UpdateSystemMenu(*calc);
  EXPECT_FALSE(HasSystemCommand(w, SC_MINIMIZE));
  EXPECT_FALSE(HasSystemCommand(w, SC_RESTORE));
  EXPECT_TRUE(HasSystemCommand(w, SC_MOVE));
  EXPECT_TRUE(HasSystemCommand(w, SC_CLOSE));
  EXPECT_EQ(GetWindowLongW(w, GWL_STYLE) & WS_MINIMIZEBOX, 0);
  // Of the window commands, Move and Close are all that is left.
  for (UINT command : {SC_SIZE, SC_MAXIMIZE, SC_MINIMIZE, SC_RESTORE})
    EXPECT_FALSE(HasSystemCommand(w, command)) << command;
  calc->CloseButtonMinimized = false;
  UpdateSystemMenu(*calc);
  EXPECT_TRUE(HasSystemCommand(w, SC_MINIMIZE));
  EXPECT_FALSE(HasSystemCommand(w, SC_SIZE));
}

// ---- the Options dialog ----

class Options : public Lifecycle {
 protected:
  void Open() {
    dialog = std::make_unique<OptionForm>(*calc);
    dialog->Load();
    dialog->Show();
    Pump();
  }
  std::unique_ptr<OptionForm> dialog;
};

TEST_F(Options, LoadsTheBoxesAndAppliesTheCheck1Rule) {
  App(u"Minimized") = V::Boolean(true);
  App(u"hKeyStartUp") = V::Long(static_cast<std::int32_t>(kHkeyCurrentUser));
  App(u"SaveFormation") = V::Boolean(true);
  Start();
  Open();
  EXPECT_EQ(testing::WindowText(dialog->hwnd()), L"オプション");
  EXPECT_FALSE(dialog->Check1->Checked());
  EXPECT_TRUE(dialog->Check2->Checked());
  EXPECT_TRUE(dialog->Check4->Checked());
  EXPECT_FALSE(dialog->Check5->Checked());
  EXPECT_TRUE(dialog->Check6->Checked());
  EXPECT_FALSE(dialog->Check2->Enabled());
  EXPECT_FALSE(dialog->Check3->Enabled());
  dialog->Check1->SetChecked(true);
  dialog->CheckRule();
  EXPECT_TRUE(dialog->Check4->Enabled());
  EXPECT_TRUE(dialog->Check2->Checked());  // the marks stay as they were
  // Placed over the main window's client area, centred.
  EXPECT_NEAR(dialog->Left(), calc->Left() + (calc->Width() - dialog->Width()) / 2, 16);
  EXPECT_NEAR(dialog->Top(), calc->Top() + calc->Height() - calc->ClientHeight(), 16);
  EXPECT_EQ(GetWindowContextHelpId(dialog->Check1->hwnd()), 10u);
  EXPECT_EQ(GetWindowContextHelpId(dialog->Check6->hwnd()), 9u);
  RECT client;
  GetClientRect(dialog->hwnd(), &client);
  EXPECT_EQ(client.right, PixelsX(3480));
  EXPECT_EQ(client.bottom, PixelsY(3450));
}

TEST_F(Options, OkAppliesTrayModeAtOnceAndRegistersTheStartUpEntry) {
  Start();
  Open();
  dialog->Check1->SetChecked(true);
  dialog->Check3->SetChecked(true);
  dialog->Check4->SetChecked(true);
  dialog->Check5->SetChecked(true);
  dialog->Ok();
  Pump();
  EXPECT_FALSE(dialog->IsLoaded());
  EXPECT_TRUE(calc->ShowInTaskTray);
  EXPECT_TRUE(calc->CloseButtonMinimized);
  EXPECT_TRUE(TrayIconExists(calc->Picture1->hwnd()));
  EXPECT_FALSE(HasSystemCommand(calc->hwnd(), SC_MINIMIZE));
  const std::wstring path =
      L"\"" + forms::ProgramFolder() + L"\\" + forms::ProgramFileTitle() + L".exe\"";
  const testing::MemorySettings::Key entry{
      kHkeyLocalMachine, u"Software\\Microsoft\\Windows\\CurrentVersion\\Run", u"Tallyra"};
  EXPECT_EQ(settings.values[entry],
            V::String(std::u16string(reinterpret_cast<const char16_t*>(path.c_str()))));
  EXPECT_EQ(App(u"SaveVariable"), V::Long(-1));
  // Unchecking tray mode takes the dependent options and the entry away again.
  Open();
  dialog->Check1->SetChecked(false);
  dialog->Ok();
  Pump();
  EXPECT_FALSE(calc->ShowInTaskTray);
  EXPECT_FALSE(calc->CloseButtonMinimized);
  EXPECT_FALSE(TrayIconExists(calc->Picture1->hwnd()));
  EXPECT_EQ(App(u"hKeyStartUp"), V::Long(0));
  Open();
  EXPECT_FALSE(dialog->Check4->Checked());
}

TEST_F(Options, AStartUpEntryThatCannotBeWrittenIsReported) {
  settings.failing_roots = {kHkeyLocalMachine, kHkeyCurrentUser};
  Start();
  Open();
  dialog->Check1->SetChecked(true);
  dialog->Check4->SetChecked(true);
  MessageBoxWatcher watcher(5);
  dialog->Ok();
  Pump();
  EXPECT_EQ(watcher.seen, 1);
  EXPECT_EQ(App(u"hKeyStartUp"), V::Long(0));
  EXPECT_TRUE(calc->ShowInTaskTray);  // the other options are applied
}

TEST_F(Options, CancelChangesNothing) {
  Start();
  Open();
  dialog->Check1->SetChecked(true);
  dialog->Check5->SetChecked(true);
  dialog->Command2->Click();
  Pump();
  EXPECT_FALSE(dialog->IsLoaded());
  EXPECT_FALSE(calc->ShowInTaskTray);
  EXPECT_FALSE(settings.HasApp(u"", u"SaveVariable"));
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
  EXPECT_FALSE(TrayIconExists(calc->Picture1->hwnd()));  // tray mode is off in the window
  calc->ShowInTaskTray = true;
  right_click();
  EXPECT_TRUE(TrayIconExists(calc->Picture1->hwnd()));
  DeleteTrayIcon(*calc);
  calc->ShowInTaskTray = false;
}

// ---- the About dialog ----

TEST_F(Lifecycle, AboutShowsTheVersionAndItsLinkOpensOnlyOnARelease) {
  Start();
  AboutForm about(*calc);
  int opened = 0;
  about.open_address = [&](const std::wstring&) { ++opened; };
  about.Load();
  about.Show();
  Pump();
  EXPECT_EQ(testing::WindowText(about.hwnd()), L"バージョン情報");
  EXPECT_EQ(about.Label1->Caption(), L"Tallyra");
  EXPECT_EQ(about.Label2->Caption(), L"Version 1.00");
  EXPECT_NE(about.Label3->Caption().find(L"Quessel Works"), std::wstring::npos);
  EXPECT_EQ(about.Label4->Caption().substr(0, 8), L"https://");
  EXPECT_TRUE(about.Label1->Font().bold);
  EXPECT_TRUE(about.Label4->Font().underline);
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
  // The right button does nothing.
  SendMessageW(link, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
  SendMessageW(link, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(about.Label4->Border());
  about.Command1->Click();
  Pump();
  EXPECT_FALSE(about.IsLoaded());
}

TEST(AboutText, VersionHasATwoDigitMinor) {
  EXPECT_EQ(VersionText(2, 7), L"Version 2.07");
  EXPECT_EQ(VersionText(2, 13), L"Version 2.13");
  EXPECT_EQ(VersionText(1, 0), L"Version 1.00");
}

TEST(Help, EveryTopicHasItsPage) {
  const std::wstring folder = forms::ProgramFolder();
  for (int context : {1, 3, 6, 7, 9, 10})
    EXPECT_EQ(HelpPage(folder, context),
              folder + L"\\help\\context-" + std::to_wstring(context) + L".html");
  EXPECT_EQ(HelpPage(folder, 0), folder + L"\\help\\index.html");
  EXPECT_EQ(HelpPage(folder, 4), folder + L"\\help\\index.html");  // no page of its own
}

}  // namespace
}  // namespace tly
