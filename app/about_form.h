// The About dialog: the program's icon, name, version and legal notice, and a link to the
// maker's home page.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "forms/form.h"
#include "forms/owners.h"

namespace tly {

class AboutForm : public forms::Form {
 public:
  explicit AboutForm(const forms::Form& main);
  ~AboutForm() override;

  std::unique_ptr<forms::Image> Image1;
  std::unique_ptr<forms::Label> Label1, Label2, Label3, Label4;
  std::unique_ptr<forms::Button> Command1;

  // The link label: its border shows that it is pressed; a left-button release over it opens
  // the page.
  void LinkMouseDown(const forms::MouseEvent& e);
  void LinkMouseMove(const forms::MouseEvent& e);
  void LinkMouseUp(const forms::MouseEvent& e);
  // Opens the page; the default browser unless replaced.
  std::function<void(const std::wstring& address)> open_address;

 protected:
  void OnCreate() override;
  void OnLoad() override;
  void OnDpiChanged() override;

 private:
  void ShowIconForDpi();
  const forms::Form& main_;
  forms::UniqueIcon icon_;  // the program's icon at the size of the form's DPI
};

// "Version 2.07": the major number, a point and the minor number in at least two digits.
std::wstring VersionText(int major, int minor);

}  // namespace tly
