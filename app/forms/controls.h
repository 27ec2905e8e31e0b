// The controls of the forms layer: thin owners of standard Win32 controls with the properties
// and events the program's forms use. Positions and sizes are twips, relative to the
// container's client area. Every event handler runs inside a window procedure, so none may let
// an exception escape; the window procedures catch what does.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dpi_scale.h"
#include "owners.h"
#include "window_names.h"

namespace tly::forms {

class Form;

struct TwipRect {
  double left, top, width, height;
};

struct FontSpec {
  std::wstring name = kMsPGothic;
  double points = 9;
  bool bold = false;
  bool underline = false;
  auto operator<=>(const FontSpec&) const = default;
};

enum MouseButton { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

struct MouseEvent {
  int button;   // the button that changed (down, up) or the buttons held (move)
  int shift;    // 1 Shift, 2 Ctrl
  double x, y;  // twips, relative to the control
};

// The keys held now, as key and mouse events report them: 1 Shift, 2 Ctrl.
int ShiftState();

// A window that holds controls: a form or a frame.
class Container {
 public:
  virtual ~Container() = default;
  virtual HWND ContainerWindow() const = 0;
  virtual Form& OwnerForm() = 0;
  virtual int ContainerHelpContext() const = 0;
};

class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  HWND hwnd() const { return hwnd_; }
  static Control* FromWindow(HWND hwnd);
  DpiScale Scale() const;  // the DPI of the form the control is on

  bool Visible() const;
  void SetVisible(bool visible);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  void SetFocus();
  bool HasFocus() const;

  TwipRect Bounds() const;  // in the container's client area
  void Move(const TwipRect& r);
  void SetTop(double top);
  // Where the control lies in twips, as created, moved or set; a new DPI lays it out again from
  // there.
  const TwipRect& DesignBounds() const { return design_; }
  virtual void Relayout();
  double Top() const { return Bounds().top; }
  double Height() const { return Bounds().height; }
  double Width() const { return Bounds().width; }

  // Sets or replaces the control's tool tip.
  void SetToolTip(std::wstring_view text);
  // F1 on the control opens this topic; 0 uses the container's.
  void SetHelpContext(int context);
  int HelpContext() const;

  const FontSpec& Font() const { return font_spec_; }
  // Fonts are shared by the controls of a form that use the same one; a control that gets no
  // font of its own by the end of the form's load takes its design font then.
  void SetFont(const FontSpec& wanted);
  void SetFontName(std::wstring_view name);
  bool FontApplied() const { return font_applied_; }
  virtual bool HasFont() const { return true; }
  virtual void OnFontChanged() {}

  // Access keys: the "&X" of a caption. A label or frame passes the focus on to the control
  // after it; a button is pressed.
  virtual bool TakesAccessKey() const { return false; }
  virtual void OnAccessKey() {}
  virtual std::wstring AccessKeyCaption() const;

  // Notifications the container routes to the control that sent them.
  virtual void OnCommand(WORD /*code*/) {}
  virtual void OnScroll(WORD /*code*/) {}
  virtual std::optional<LRESULT> OnColor(HDC /*dc*/) { return std::nullopt; }

 protected:
  Control(Container& container, const wchar_t* window_class, DWORD style, DWORD ex_style,
          const TwipRect& bounds, std::wstring_view text = {});

  // Messages to the control's own window, before the control's window procedure sees them.
  // Returning a value consumes the message.
  virtual std::optional<LRESULT> OnOwnMessage(HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam);
  void RouteOwnMessages(HWND hwnd);  // routes `hwnd`'s messages to OnOwnMessage as well
  MouseEvent MakeMouseEvent(WPARAM wparam, LPARAM lparam, int button) const;

  Container& container_;
  HWND hwnd_ = nullptr;
  TwipRect design_;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR data);
  FontSpec font_spec_;
  bool font_applied_ = false;
  bool has_tool_tip_ = false;
  int help_context_ = 0;
  std::vector<HWND> subclassed_;
};

class Label : public Control {
 public:
  Label(Container& c, const TwipRect& r, std::wstring_view caption);
  std::wstring Caption() const;
  void SetCaption(std::wstring_view caption);
  bool Border() const;
  void SetBorder(bool border);

  std::function<void(const MouseEvent&)> on_mouse_down, on_mouse_move, on_mouse_up;
  bool hand_cursor = false;  // a link
  bool TakesAccessKey() const override { return true; }
  void OnAccessKey() override;

 protected:
  std::optional<LRESULT> OnOwnMessage(HWND, UINT, WPARAM, LPARAM) override;
};

// Shared by text boxes and the edit field of a combo box.
struct KeyEvents {
  // Returns false to discard the typed character.
  std::function<bool(wchar_t)> on_key_press;
};

class TextBox : public Control {
 public:
  TextBox(Container& c, const TwipRect& r, bool read_only = false);
  std::wstring Text() const;
  void SetText(std::wstring_view text);
  void Select(int start, int length);
  void SelectAll();
  // For a box whose text may be wider than the box: such a text shows its end, and the tool
  // tip shows the whole text in place of `tip`.
  void ShowEndOfLongText(std::wstring_view tip);

  KeyEvents keys;
  std::function<void()> on_change, on_click, on_got_focus;
  // Raised when the focus is about to move to another control of the form; setting the flag
  // keeps the focus in the box.
  std::function<void(bool& cancel)> on_validate;

  void OnCommand(WORD code) override;
  std::optional<LRESULT> OnColor(HDC dc) override;

 protected:
  std::optional<LRESULT> OnOwnMessage(HWND, UINT, WPARAM, LPARAM) override;

 private:
  void FitLongText();
  bool read_only_;
  bool validating_ = false;
  std::optional<std::wstring> long_text_tip_;
};

class ComboBox : public Control {
 public:
  enum class Style { kEditable, kList };
  ComboBox(Container& c, const TwipRect& r, Style style);

  std::wstring Text() const;
  void SetText(std::wstring_view text);  // raises on_change, as typing does
  void AddItem(std::wstring_view item, int index = -1);
  void RemoveItem(int index);
  void Clear();
  int ListCount() const;
  std::wstring List(int index) const;
  int ListIndex() const;
  void SetListIndex(int index);  // raises on_click, as picking the item does
  HWND EditWindow() const { return edit_; }
  void Copy();   // WM_COPY: the edit field's selection to the clipboard
  void Paste();  // WM_PASTE

  KeyEvents keys;
  std::function<void()> on_change, on_click;

  void OnCommand(WORD code) override;
  void OnFontChanged() override;
  void Relayout() override;

 protected:
  std::optional<LRESULT> OnOwnMessage(HWND, UINT, WPARAM, LPARAM) override;

 private:
  void FitHeight();
  HWND edit_ = nullptr;
};

class CheckBox : public Control {
 public:
  CheckBox(Container& c, const TwipRect& r, std::wstring_view caption);
  bool Checked() const;
  void SetChecked(bool checked);

  std::function<void()> on_click;
  std::function<void(const MouseEvent&)> on_mouse_up;

  void OnCommand(WORD code) override;
  bool TakesAccessKey() const override { return true; }
  void OnAccessKey() override;

 protected:
  std::optional<LRESULT> OnOwnMessage(HWND, UINT, WPARAM, LPARAM) override;
};

class Button : public Control {
 public:
  enum class Role { kNormal, kDefault, kCancel };
  Button(Container& c, const TwipRect& r, std::wstring_view caption, Role role = Role::kNormal);
  std::function<void()> on_click;
  void Click();  // as the user's click
  void OnCommand(WORD code) override;
  bool TakesAccessKey() const override { return true; }
  void OnAccessKey() override;
};

class VScrollBar : public Control {
 public:
  VScrollBar(Container& c, const TwipRect& r);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Value() const { return value_; }
  void SetRange(int min, int max);  // keeps the value inside; raises on_change if it moves
  void SetValue(int value);         // raises on_change when the value changes
  // The rows a page shows: the thumb's share of the track. The value still runs to Max.
  void SetPage(int page);
  int large_change = 1;

  std::function<void()> on_change, on_scroll;
  void OnScroll(WORD code) override;
  bool HasFont() const override { return false; }  // a scroll bar shows no text

 private:
  void Apply(int value, bool notify_change);
  void ApplyRange();
  int min_ = 0, max_ = 32767, value_ = 0, page_ = 0;
};

// A hotkey control: the key the user presses in it, as the low byte (the virtual-key code) and
// the next byte (HOTKEYF_* flags) of a word.
class HotKeyBox : public Control {
 public:
  HotKeyBox(Container& c, const TwipRect& r);
  std::uint32_t Key() const;
  void SetKey(std::uint32_t key);
  // The last key pressed in the box was Backspace or Delete, which empty it. A box can also
  // fall back to nothing by itself, when another program takes the key pressed with modifiers.
  bool Cleared() const { return cleared_; }

 protected:
  std::optional<LRESULT> OnOwnMessage(HWND hwnd, UINT message, WPARAM wparam,
                                      LPARAM lparam) override;

 private:
  bool cleared_ = false;
};

// A hidden window that receives notifications as mouse moves; x is in pixels.
class PictureBox : public Control {
 public:
  PictureBox(Container& c, const TwipRect& r);
  std::function<void(int x)> on_mouse_move;
  bool HasFont() const override { return false; }

 protected:
  std::optional<LRESULT> OnOwnMessage(HWND, UINT, WPARAM, LPARAM) override;
};

class Image : public Control {
 public:
  Image(Container& c, const TwipRect& r);
  void SetPicture(HICON icon);  // not owned
  bool HasFont() const override { return false; }
};

// A frame: a captioned group box that holds controls of its own.
class Frame : public Control, public Container {
 public:
  Frame(Container& c, const TwipRect& r, std::wstring_view caption);
  HWND ContainerWindow() const override { return hwnd_; }
  Form& OwnerForm() override;
  int ContainerHelpContext() const override { return HelpContext(); }
  bool TakesAccessKey() const override { return true; }
  void OnAccessKey() override;
  std::wstring AccessKeyCaption() const override;

 protected:
  std::optional<LRESULT> OnOwnMessage(HWND, UINT, WPARAM, LPARAM) override;

 private:
  HWND group_ = nullptr;
};

// A horizontal or vertical line drawn by the form, in a system colour.
struct Line {
  double x1, y1, x2, y2;  // twips
  int system_color;       // COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, ...
  int pixels_down = 0;    // drawn this many pixels below y1 and y2, at every DPI
};

class MenuItem {
 public:
  MenuItem(HMENU menu, UINT id) : menu_(menu), id_(id) {}
  UINT id() const { return id_; }
  bool Checked() const;
  void SetChecked(bool checked);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  std::wstring Caption() const;
  std::function<void()> on_click;

 private:
  HMENU menu_;
  UINT id_;
};

// The window procedure of the frames' class.
LRESULT CALLBACK FrameWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
bool RouteControlMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

}  // namespace tly::forms
