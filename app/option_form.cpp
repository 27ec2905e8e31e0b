#include "option_form.h"

#include "calculation.h"
#include "forms/services.h"
#include "help.h"
#include "numbered_error.h"
#include "screen_reader.h"
#include "string_ids.h"
#include "text.h"
#include "tly_api.h"
#include "window_names.h"
#include "window_settings.h"

namespace tly {
namespace {

using forms::TwipRect;

constexpr double kClientWidth = 3480, kClientHeight = 3810;
constexpr int kDialogHelp = 1, kSavingHelp = 9, kTrayHelp = 10;

forms::FormStyle DialogStyle(const forms::Form& main) {
  forms::FormStyle s;
  s.caption = L"オプション";
  s.client_width = kClientWidth;
  s.client_height = kClientHeight;
  s.dialog_frame = true;
  s.owner = &main;
  s.help_context = kDialogHelp;
  return s;
}

// Without the settings library the dialog still applies its modes to the window; what it
// would store is refused.
class UnavailableSettings : public SettingsStore {
 public:
  void SetDefaultSection(bool) override {}
  void SetRootKey(std::uint32_t) override {}
  SettingValue Get(std::u16string_view, std::u16string_view, const SettingValue& d) override {
    return d;
  }
  void Set(std::u16string_view, std::u16string_view, const SettingValue&) override {
    Raise(err::kRegistry);
  }
  void Delete(std::u16string_view, std::u16string_view) override { Raise(err::kRegistry); }
};

}  // namespace

OptionForm::OptionForm(OptionHost& host) : Form(DialogStyle(host.HostForm())), host_(host) {}

OptionForm::~OptionForm() = default;

void OptionForm::OnCreate() {
  // In tab order.
  Check1 = std::make_unique<forms::CheckBox>(*this, TwipRect{240, 120, 1935, 255},
                                             L"タスクトレイに常駐(&T)");
  Check1->SetHelpContext(kTrayHelp);
  Frame1 = std::make_unique<forms::Frame>(*this, TwipRect{240, 480, 3015, 1095}, L"常駐オプション");
  Frame1->SetHelpContext(kTrayHelp);
  Check2 =
      std::make_unique<forms::CheckBox>(*Frame1, TwipRect{360, 240, 2415, 255}, L"最小化起動(&N)");
  Check3 = std::make_unique<forms::CheckBox>(*Frame1, TwipRect{360, 480, 2415, 255},
                                             L"[閉じる]ボタンで最小化(&C)");
  Check4 = std::make_unique<forms::CheckBox>(*Frame1, TwipRect{360, 720, 2415, 255},
                                             L"スタートアップに登録(&S)");
  Check5 =
      std::make_unique<forms::CheckBox>(*this, TwipRect{240, 1800, 1935, 255}, L"変数を保存(&V)");
  Check5->SetHelpContext(kSavingHelp);
  Check6 = std::make_unique<forms::CheckBox>(*this, TwipRect{240, 2160, 1935, 255},
                                             L"計算履歴を保存(&H)");
  Check6->SetHelpContext(kSavingHelp);
  CreateHotKeyRow();
  Command1 = std::make_unique<forms::Button>(*this, TwipRect{360, 3240, 1335, 330}, L"OK",
                                             forms::Button::Role::kDefault);
  Command2 = std::make_unique<forms::Button>(*this, TwipRect{1800, 3240, 1335, 330}, L"キャンセル",
                                             forms::Button::Role::kCancel);
  SetDefaultButton(Command1.get());
  AddLine({0, 3000, kClientWidth, 3000, COLOR_BTNSHADOW});
  AddLine({0, 3000, kClientWidth, 3000, COLOR_BTNHIGHLIGHT, 1});

  Check1->on_click = [this] { CheckRule(); };
  Check1->on_mouse_up = [this](const forms::MouseEvent& e) { RecreateTrayIcon(e); };
  Command1->on_click = [this] { Ok(); };
  Command2->on_click = [this] { Cancel(); };
  NameAfterCaptions(*this);
}

void OptionForm::OnLoad() {
  settings_ = host_.OpenSettingsStore();
  settings_available_ = settings_ != nullptr;
  if (!settings_available_) settings_ = std::make_unique<UnavailableSettings>();
  settings_->SetDefaultSection(true);

  const Settings saved = ReadSettings(*settings_, kOptionsPart);
  Check2->SetChecked(saved.minimized);
  Check4->SetChecked(saved.startup_root != 0);
  Check5->SetChecked(saved.save_variables);
  Check6->SetChecked(saved.save_history);

  PlaceOver(host_.HostForm());

  Check1->SetChecked(host_.ShowInTaskTray());
  Check3->SetChecked(host_.CloseButtonMinimized());
  CheckRule();
  HotKey1->SetKey(host_.HotKey());
  ApplyUIFont(*this);
}

void OptionForm::CreateHotKeyRow() {
  // The label holds its whole caption, access key included, on one line; the key box keeps its
  // right edge.
  Label7 =
      std::make_unique<forms::Label>(*this, TwipRect{240, 2565, 1440, 255}, L"呼び出しキー(&K)");
  HotKey1 = std::make_unique<forms::HotKeyBox>(*this, TwipRect{1740, 2520, 1515, 300});
  HotKey1->SetToolTip(L"" TLY_PRODUCT_NAME L"を呼び出すキーの組み合わせ");
}

// A key another program holds is refused, and so is a box with modifiers alone or one that
// fell back to nothing (another program took the key pressed in it): only a box emptied with
// Backspace or Delete removes the key. The dialog stays open with the key as it was.
bool OptionForm::ApplyHotKey() {
  const std::uint32_t key = HotKey1->Key();
  if (key == host_.HotKey()) return true;
  const bool incomplete = (key & 0xFF) == 0 && !(key == 0 && HotKey1->Cleared());
  if (incomplete || !host_.SetHotKey(key)) {
    forms::ShowMessage(hwnd(),
                       forms::ResourceString(incomplete ? ids::kMessageHotKeyIncomplete
                                                        : ids::kMessageHotKeyTaken),
                       kProductName, MB_OK | MB_ICONEXCLAMATION);
    HotKey1->SetKey(host_.HotKey());
    HotKey1->SetFocus();
    return false;
  }
  if (settings_available_) WriteSettings(*settings_, {.hot_key = key}, kHotKeyPart);
  return true;
}

void OptionForm::OnUnload() { settings_.reset(); }

void OptionForm::OnHelp(int context) { OpenHelp(hwnd(), host_.HelpFile(), context); }

void OptionForm::CheckRule() {
  const bool tray = Check1->Checked();
  Check2->SetEnabled(tray);
  Check3->SetEnabled(tray);
  Check4->SetEnabled(tray);
}

void OptionForm::RecreateTrayIcon(const forms::MouseEvent& e) {
  const forms::TwipRect size = Check1->Bounds();
  const bool inside = e.x >= 0 && e.x <= size.width && e.y >= 0 && e.y <= size.height;
  if (e.button != forms::kRightButton || !inside || !host_.ShowInTaskTray()) return;
  host_.DeleteTrayIcon();
  host_.AddTrayIcon();
  MessageBeep(MB_ICONEXCLAMATION);
}

void OptionForm::Ok() {
  if (!ApplyHotKey()) return;
  OptionChoices c;
  c.tray = Check1->Checked();
  c.start_minimized = Check2->Checked();
  c.close_minimizes = Check3->Checked();
  c.startup = Check4->Checked();
  c.save_variables = Check5->Checked();
  c.save_history = Check6->Checked();
  const StartupEntry entry = ProgramStartupEntry();
  try {
    ApplyOptions(c, host_, *settings_, entry.run_key, entry.command, [this] {
      forms::ShowMessage(hwnd(), forms::ResourceString(ids::kMessageStartupFailed), kProductName,
                         MB_OK | MB_ICONEXCLAMATION);
    });
  } catch (const NumberedError& e) {
    // Without the settings library the user was told at start that nothing is kept.
    if (settings_available_)
      forms::ShowMessage(hwnd(), forms::ResourceString(ErrorMessageId(e.number())), kProductName,
                         MB_OK | MB_ICONEXCLAMATION);
    host_.UpdateSystemMenu();
  }
  Unload(forms::kCodeUnload);
}

void OptionForm::Cancel() { Unload(forms::kCodeUnload); }

}  // namespace tly
