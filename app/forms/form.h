// Forms: top-level windows that hold controls, with the events initialise (the derived class's
// constructor), load, resize, query-unload and unload, geometry in twips, modal showing, menus
// and the dialog keyboard (Tab order, access keys, Enter on the default button, Esc on Cancel).
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls.h"
#include "owners.h"

namespace tly::forms {

enum class WindowState { kNormal = 0, kMinimized = 1 };

// Why a form is asked to unload.
enum UnloadReason {
  kUserClose = 0,     // close button, system menu, Alt+F4
  kCodeUnload = 1,    // the program unloads it
  kWindowsEnding = 2  // Windows shuts down or the user logs off
};

struct FormStyle {
  std::wstring caption;
  double client_width, client_height;  // twips
  bool dialog_frame = false;           // fixed dialog border, no minimise or maximise box
  bool minimize_box = true;
  bool quit_on_destroy = false;  // the program's main window
  bool escape_closes = false;    // Esc unloads a form without a Cancel button
  int help_context = 0;
  HICON icon = nullptr;  // not owned
  // The window that owns a dialog: the dialog stays above it and has no task-bar button of its
  // own. Not owned; loaded before the dialog.
  const Form* owner = nullptr;
  // The right edge widens the window, never below the designed client width; the height stays
  // the program's, and the window is never maximised.
  bool wider_by_right_edge = false;
};

class Form : public Container {
 public:
  explicit Form(FormStyle style);
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the (hidden) window with its controls, then runs the load event.
  void Load();
  void Show();
  // Loads and shows the form modally: every other window of the program is disabled until it
  // unloads. Returns when it is gone.
  void ShowModal();
  // Asks the form to unload for `reason`; returns false when query-unload cancelled it.
  bool Unload(UnloadReason reason = kCodeUnload);
  bool IsLoaded() const { return hwnd_ != nullptr; }

  HWND hwnd() const { return hwnd_; }
  HWND ContainerWindow() const override { return hwnd_; }
  Form& OwnerForm() override { return *this; }
  int ContainerHelpContext() const override { return style_.help_context; }

  // Outer geometry in twips (screen coordinates) and the client area's height.
  double Left() const;
  double Top() const;
  double Width() const;
  double Height() const;
  void SetLeft(double left);
  void SetTop(double top);
  void SetHeight(double height);
  // Places a dialog over `main`: centred across it, its top at the top of `main`'s client
  // area, and moved as little as needed to lie inside the work area of `main`'s monitor.
  // Over a main window that stays on top, the dialog does so too.
  void PlaceOver(const Form& main);
  // The client area's width, keeping the left edge.
  void SetClientWidth(double width);
  // The designed client height, for a form whose controls decide it: set in OnCreate, it takes
  // the place of the style's.
  void SetDesignedClientHeight(double height) { style_.client_height = height; }
  // The DPI the form's twips are turned into pixels at: its monitor's.
  int Dpi() const { return dpi_; }
  // Twips and pixels at that DPI; before the window exists, at its owner's or the screen's.
  DpiScale Scale() const;
  double ClientHeight() const;
  double ClientWidth() const;

  WindowState State() const;
  void SetState(WindowState state);
  bool Visible() const;
  void SetVisible(bool visible);
  std::wstring Caption() const;
  void SetCaption(std::wstring_view caption);
  HICON Icon() const { return style_.icon; }

  // The controls of the form, in tab order.
  const std::vector<Control*>& Controls() const { return controls_; }
  void RegisterControl(Control* c) { controls_.push_back(c); }
  void UnregisterControl(Control* c);
  int NextControlId() { return next_control_id_++; }
  HWND ToolTipWindow();
  HFONT SharedFont(const FontSpec& wanted);  // owned by the form

  // Routes a message to the dialog keyboard of the form it belongs to; true when consumed.
  static bool PreTranslate(MSG& msg);
  // Gives the focus to the first control after `c`, in tab order, that can take it.
  void FocusAfter(const Control* c);
  // Gives the focus back to the control that had it when the form was last deactivated, or
  // else to the first control in tab order, as activating the form does.
  void RestoreFocus();
  // Runs the access key `key` of the form's captions; false when no caption has it.
  bool HandleAccessKey(wchar_t key);

  // Menus: the bar, its drop-downs and items, and pop-up menus outside the bar.
  HMENU AddMenu(HMENU parent, std::wstring_view caption);
  MenuItem& AddMenuItem(HMENU menu, std::wstring_view caption);
  void AddMenuSeparator(HMENU menu);
  HMENU CreatePopupMenuOfForm();
  void SetDefaultButton(Button* button) { default_button_ = button; }
  void AddLine(const Line& line) { lines_.push_back(line); }
  std::vector<Line>& Lines() { return lines_; }

 protected:
  virtual void OnCreate() {}  // create controls and menus
  virtual void OnLoad() {}
  virtual void OnResize() {}
  virtual void OnQueryUnload(bool& /*cancel*/, UnloadReason /*reason*/) {}
  virtual void OnUnload() {}
  virtual void OnHelp(int /*context*/) {}
  // Any other message; return a value to consume it.
  virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // The form moved to a monitor of another DPI: its controls and fonts are laid out again from
  // their twips already, and the client area has its width in twips and the designed height.
  virtual void OnDpiChanged() {}
  // The mouse wheel turned by `delta` (120 a notch) over `at` (screen pixels), wherever the
  // focus is; true when the form took it.
  virtual bool OnMouseWheel(POINT /*at*/, int /*delta*/) { return false; }

 private:
  static ATOM FormClass();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommandMessage(WPARAM wparam, LPARAM lparam);
  void OnActivateMessage(WPARAM wparam);
  void OnHelpMessage(const HELPINFO& info);
  void OnEndSession(bool ending);
  void OnDpiChangedMessage(int dpi, const RECT& suggested);
  std::optional<LRESULT> OnWidthMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void SetClientSize(int width, int height);
  void Paint();
  void FinishUnload();
  void ReenableOthers();

  FormStyle style_;
  HWND hwnd_ = nullptr;
  UniqueMenu menu_bar_;
  std::vector<UniqueMenu> popups_;
  std::map<UINT, std::unique_ptr<MenuItem>> menu_items_;
  UINT next_menu_id_ = 40001;
  std::vector<Control*> controls_;
  int next_control_id_ = 1001;
  Button* default_button_ = nullptr;
  std::vector<Line> lines_;
  UniqueWindow tooltip_;
  std::map<FontSpec, UniqueFont> fonts_;
  std::optional<WindowState> pending_state_;
  bool unloading_ = false;
  bool modal_ = false;
  std::vector<HWND> disabled_;  // by ShowModal, until the form unloads
  HWND last_focus_ = nullptr;
  int dpi_ = 0;          // 0 until the window exists: the DPI in effect
  int frame_width_ = 0;  // the window's width less its client area's, in pixels
};

}  // namespace tly::forms
