// The Options dialog: tray mode, start minimised, close button minimises, start-up
// registration, and saving of the registers and the history.
#pragma once

#include <array>
#include <memory>

#include "forms/form.h"
#include "option_host.h"
#include "settings.h"

namespace tly {

class OptionForm : public forms::Form {
 public:
  explicit OptionForm(OptionHost& host);
  ~OptionForm() override;

  void CheckRule();  // the click handler of Check1
  void Ok();         // Command1
  void Cancel();     // Command2

  std::unique_ptr<forms::CheckBox> Check1;
  std::unique_ptr<forms::Frame> Frame1;
  std::unique_ptr<forms::CheckBox> Check2, Check3, Check4, Check5, Check6;
  std::unique_ptr<forms::Label> Label7;
  std::unique_ptr<forms::HotKeyBox> HotKey1;
  std::unique_ptr<forms::Button> Command1, Command2;

 protected:
  void OnCreate() override;
  void OnLoad() override;
  void OnUnload() override;
  void OnHelp(int context) override;

 private:
  void RecreateTrayIcon(const forms::MouseEvent& e);  // the mouse-up handler of Check1
  void CreateHotKeyRow();
  // Registers the key of the hotkey row and stores it; false when another program holds it or
  // the row holds no whole key without having been emptied.
  bool ApplyHotKey();

  OptionHost& host_;
  std::unique_ptr<SettingsStore> settings_;
  bool settings_available_ = false;
};

}  // namespace tly
