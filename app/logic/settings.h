// The settings table: every value the main window and the Options dialog keep in the per-user
// registry is one row of SettingsTable, read into and written from one field of Settings through
// the settings library, in the table's order. A new option is one row and one field.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "registers.h"
#include "result_list.h"

namespace tly {

// A value as the settings library hands it over: nothing, a 16- or 32-bit integer, a boolean,
// a single or double, or a string.
struct SettingValue {
  enum class Type { kEmpty, kInteger, kLong, kBoolean, kSingle, kDouble, kString };
  Type type = Type::kEmpty;
  double number = 0;  // integers, booleans (-1 or 0), singles and doubles
  std::u16string text;

  static SettingValue Empty() { return {}; }
  static SettingValue Integer(std::int16_t v) { return {Type::kInteger, double(v), {}}; }
  static SettingValue Long(std::int32_t v) { return {Type::kLong, double(v), {}}; }
  static SettingValue Boolean(bool v) { return {Type::kBoolean, v ? -1.0 : 0.0, {}}; }
  static SettingValue Single(float v) { return {Type::kSingle, double(v), {}}; }
  static SettingValue Double(double v) { return {Type::kDouble, v, {}}; }
  static SettingValue String(std::u16string_view v) {
    return {Type::kString, 0, std::u16string(v)};
  }
  bool IsNumber() const { return type != Type::kEmpty && type != Type::kString; }
  bool operator==(const SettingValue&) const = default;
};

// The operations of a Registry object that the program uses. Failures raise NumberedError 335.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual void SetDefaultSection(bool on) = 0;
  virtual void SetRootKey(std::uint32_t root) = 0;
  virtual SettingValue Get(std::u16string_view section, std::u16string_view name,
                           const SettingValue& default_value) = 0;
  virtual void Set(std::u16string_view section, std::u16string_view name,
                   const SettingValue& value) = 0;
  virtual void Delete(std::u16string_view section, std::u16string_view name) = 0;
};

// The registry roots as the settings library numbers them; checked against it where it is used.
inline constexpr std::uint32_t kHkeyCurrentUser = 0x80000001;
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002;
inline constexpr int kMaxSavedHistory = 100;

// The name of saved history entry `index`: at least two digits ("00" ... "99").
std::u16string HistoryKey(int index);
// The name of saved results line `index`: four digits ("0000" ... "0499").
std::u16string ResultKey(int index);
// The name of the value that keeps letter register `letter` (0 "A" ... 25 "Z").
std::u16string RegisterKey(int letter);

// Every value the program keeps. A value that is missing, of another type, not finite, not
// whole where a whole number is kept, out of its row's range or against its rule reads as the
// initial value here: that is its default.
struct Settings {
  std::optional<std::int32_t> left{}, top{};  // twips of the restored window; absent: where it is
  bool unit_convert = false;
  bool variable_list = false;
  int unit = 1;  // the selected quantity
  bool task_tray = false;
  bool close_button = false;
  std::array<double, kLetterCount> registers{};  // a ... z
  std::vector<std::u16string> history{};         // most recent first; at most 100 are saved
  std::uint32_t startup_root = 0;                // hKeyStartUp
  bool minimized = false;
  bool save_variables = false;
  bool save_history = false;
  bool preview = true;  // the live result while typing
  bool top_most = false;
  // Low byte the virtual-key code, next byte the hotkey control's modifier flags (Shift 1,
  // Ctrl 2, Alt 4, extended key 8); 0 for none.
  std::uint32_t hot_key = 0;
  std::optional<std::int32_t> width{};  // outer width in twips; absent: the designed width
  int theme = 0;                        // ThemeSetting: follow Windows, light, dark
  // How results read (number_format.h): notation 0-3, digits 0-15, grouping 0-2, base 0-3.
  int number_notation = 0, number_digits = 6, number_grouping = 0, number_base = 0;
  bool result_list = false;           // the results panel
  std::vector<ResultLine> results{};  // oldest first; saved with the history

  bool operator==(const Settings&) const = default;
};

// When each value is written. The window writes the first five parts when it unloads, and each
// of them after the change it keeps, so that a crash or a kill loses nothing the user finished.
enum SettingsPart : unsigned {
  kPositionPart = 1,   // Left, Top
  kPanelsPart = 2,     // UnitConvert, VariableList, Unit
  kModesPart = 4,      // TaskTray, CloseButton
  kRegistersPart = 8,  // the letter registers, when SaveVariable is on
  kHistoryPart = 16,   // the formula history and the results, when SaveFormation is on
  kAllParts = 31,      // all of the window's parts: its unload
  kOptionsPart = 32,   // the Options dialog's OK
  kPreviewPart = 64,   // the View menu's items
  kTopMostPart = 128,
  kHotKeyPart = 256,  // the Options dialog's key box
  kWidthPart = 512,   // the end of a widening
  kThemePart = 1024,  // the View menu's theme
  // 表示 › 数値の表示
  kNumberPart = 2048,
  kEveryPart = 4095
};

// The field of Settings that a row reads into and writes from.
using SettingField =
    std::variant<bool Settings::*, int Settings::*, std::uint32_t Settings::*,
                 std::optional<std::int32_t> Settings::*,
                 std::array<double, kLetterCount> Settings::*,
                 std::vector<std::u16string> Settings::*, std::vector<ResultLine> Settings::*>;

// One row of the settings table. The registers' row stands for "A" ... "Z" and holds the first
// name; the history's row stands for the entries "00" ... (strings) and their count, which it
// names and whose type it holds; the results' row likewise stands for "0000" ... and Count.
struct SettingRow {
  std::u16string_view section, name;
  SettingValue::Type type;                  // as written; a Boolean reads from any number
  SettingField field;                       // its initial value in Settings is the default
  unsigned part;                            // when it is written
  double min = INT32_MIN, max = INT32_MAX;  // for whole numbers
  bool (*rule)(std::int32_t) = nullptr;     // for whole numbers: what else a valid one keeps
  std::u16string_view written_if = {};      // a Boolean that must be on, read when writing
  std::u16string_view read_if = {};         // the same, read when reading
};

// The rows in the order they are read and written.
std::span<const SettingRow> SettingsTable();

// The rows of `parts`; each failing read counts as a missing value.
Settings ReadSettings(SettingsStore& store, unsigned parts);
// What the main window reads when it loads: all of it, after finishing the writes that a kill
// interrupted (see WriteTogether).
Settings LoadSettings(SettingsStore& store);
// LoadSettings at the program's start, which also removes an entry of this program
// (`program_path` under `run_key`) from the user's start-up list when the options record none:
// a kill between writing the entry and the options that record it leaves one, and so does a
// reset of the settings. The machine's list is left alone: an entry there may be another
// user's.
Settings LoadAtStart(SettingsStore& store, std::u16string_view run_key,
                     std::u16string_view program_path);

// A value to write, or without one, to delete.
struct SettingWrite {
  std::u16string section, name;
  std::optional<SettingValue> value;
};

// Writes values that belong together so that a kill leaves all of them or none: the whole batch
// goes first into one value of its own, then each value in place, in order, and then the batch
// is deleted. A batch that is still there at the next start is written again in place there.
// Deleting a value that is missing is no failure. With `raise`, nothing is written when the
// batch cannot be, and the first failing write raises after the others were tried; without it,
// each value is kept if it can be.
void WriteTogether(SettingsStore& store, const std::vector<SettingWrite>& writes, bool raise);

// Writes the rows of `parts` together, in the table's order; each value is kept if it can be,
// past a failing one. An absent value is not written.
void WriteSettings(SettingsStore& store, const Settings& settings, unsigned parts);

// The modifiers of RegisterHotKey (Alt 1, Ctrl 2, Shift 4) for a stored hotkey's flags.
std::uint32_t HotKeyModifiers(std::uint32_t hot_key);

// The boxes of the Options dialog when OK is pressed, and what OK changes outside the settings.
struct OptionChoices {
  bool tray = false;             // Check1
  bool start_minimized = false;  // Check2
  bool close_minimizes = false;  // Check3
  bool startup = false;          // Check4
  bool save_variables = false;   // Check5
  bool save_history = false;     // Check6
};

// The running window's side of the options, which the main window implements.
class OptionEffects {
 public:
  // Tray mode: the window has an icon in the notification area and leaves the task bar when
  // minimised.
  virtual bool ShowInTaskTray() const = 0;
  virtual void SetShowInTaskTray(bool on) = 0;
  virtual void AddTrayIcon() = 0;
  virtual void DeleteTrayIcon() = 0;
  // The close button (and Close of the system menu, Alt+F4) minimises instead of closing.
  virtual void SetCloseButtonMinimized(bool on) = 0;
  // Shapes the minimise box and the system menu for the close-button mode.
  virtual void UpdateSystemMenu() = 0;

 protected:
  ~OptionEffects() = default;
};

// The OK command: applies the modes to the running window, registers or unregisters the
// program in the start-up list (the machine's first, then the user's), and stores the options.
// `program_path` is the entry's data; `report_startup_failure` tells the user when no root
// takes the entry.
void ApplyOptions(const OptionChoices& choices, OptionEffects& effects, SettingsStore& store,
                  std::u16string_view run_key, std::u16string_view program_path,
                  const std::function<void()>& report_startup_failure);

}  // namespace tly
