#include "settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>

#include "number_text.h"
#include "numbered_error.h"
#include "registers.h"

namespace tly {
namespace {

constexpr std::u16string_view kAppKey = u"";
constexpr std::u16string_view kVariables = u"Variable";
constexpr std::u16string_view kFormation = u"Formation";
constexpr std::u16string_view kProductName = u"Tallyra";
// The batch of writes under way (WriteTogether), in the program's own key.
constexpr std::u16string_view kPendingWrites = u"PendingWrites";

// The place of letter register `number` in the settings' array of a ... z.
std::size_t LetterSlot(int number) {
  return static_cast<std::size_t>(number - code::kFirstLetterRegister);
}

// A read that fails counts as a missing value.
SettingValue Read(SettingsStore& s, std::u16string_view section, std::u16string_view name,
                  const SettingValue& default_value) {
  try {
    return s.Get(section, name, default_value);
  } catch (const NumberedError&) {
    return default_value;
  }
}

// Writes at unload go on past a failing one: each value is kept if it can be.
void WriteEach(SettingsStore& s, std::u16string_view section, std::u16string_view name,
               const SettingValue& value) {
  try {
    s.Set(section, name, value);
  } catch (const NumberedError&) {
  }
}

void DeleteIfThere(SettingsStore& s, std::u16string_view section, std::u16string_view name) {
  try {
    s.Delete(section, name);
  } catch (const NumberedError&) {
    // Nothing was stored under that name.
  }
}

// A number, or a text that is one whole: " 3 " and "3.0" are 3.
std::optional<double> AsNumber(const SettingValue& v) {
  if (v.IsNumber()) return std::isfinite(v.number) ? std::optional(v.number) : std::nullopt;
  if (v.type != SettingValue::Type::kString) return std::nullopt;
  std::string digits;
  for (char16_t c : v.text) {
    if (c > 127) return std::nullopt;
    if (c != u' ') digits.push_back(static_cast<char>(c));
  }
  double number = 0;
  const char* end = digits.data() + digits.size();
  auto [stop, error] = std::from_chars(digits.data(), end, number);
  if (digits.empty() || error != std::errc() || stop != end || !std::isfinite(number))
    return std::nullopt;
  return number;
}

// A history entry as text; a number stands for its own digits.
std::optional<std::u16string> EntryText(const SettingValue& v) {
  if (v.type == SettingValue::Type::kString) return v.text;
  if (!v.IsNumber() || !std::isfinite(v.number)) return std::nullopt;
  const std::string digits = FormatResult(v.number);
  return std::u16string(digits.begin(), digits.end());
}

// A batch of writes as one text: for each write a letter (the value's type, or X to delete)
// and the section, the name and the value's text, each as its length, ':' and the text; a '.'
// ends the batch. Numbers are written as the shortest text that reads back to the same double.
constexpr std::u16string_view kTypeLetters = u"EILBFDS";  // in the order of SettingValue::Type

void AppendField(std::u16string& out, std::u16string_view text) {
  const std::string length = std::to_string(text.size());
  out.append(length.begin(), length.end()).append(1, u':').append(text);
}

std::u16string EncodeWrites(const std::vector<SettingWrite>& writes) {
  std::u16string out;
  for (const SettingWrite& w : writes) {
    out.push_back(w.value ? kTypeLetters[static_cast<std::size_t>(w.value->type)] : u'X');
    AppendField(out, w.section);
    AppendField(out, w.name);
    std::u16string text;
    if (w.value && w.value->type == SettingValue::Type::kString) {
      text = w.value->text;
    } else if (w.value && w.value->IsNumber()) {
      std::array<char, 32> digits{};
      const auto end =
          std::to_chars(digits.data(), digits.data() + digits.size(), w.value->number).ptr;
      text.assign(digits.data(), end);
    }
    AppendField(out, text);
  }
  return out.append(u".");
}

std::optional<std::u16string> TakeField(std::u16string_view& in) {
  std::size_t length = 0, i = 0;
  for (; i < in.size() && i < 9 && in[i] >= u'0' && in[i] <= u'9'; ++i)
    length = length * 10 + static_cast<std::size_t>(in[i] - u'0');
  if (i == 0 || i >= in.size() || in[i] != u':' || in.size() - i - 1 < length) return std::nullopt;
  std::u16string text(in.substr(i + 1, length));
  in.remove_prefix(i + 1 + length);
  return text;
}

// The batch in `in`; nothing when the text is not a whole batch.
std::optional<std::vector<SettingWrite>> DecodeWrites(std::u16string_view in) {
  std::vector<SettingWrite> writes;
  while (!in.empty() && in.front() != u'.') {
    const std::size_t type =
        in.front() == u'X' ? kTypeLetters.size() : kTypeLetters.find(in.front());
    in.remove_prefix(1);
    std::optional<std::u16string> section = TakeField(in), name = TakeField(in),
                                  text = TakeField(in);
    if (type == std::u16string_view::npos || !section || !name || !text) return std::nullopt;
    SettingWrite w{std::move(*section), std::move(*name), std::nullopt};
    if (type < kTypeLetters.size()) {
      w.value = SettingValue{static_cast<SettingValue::Type>(type), 0, {}};
      if (w.value->type == SettingValue::Type::kString) {
        w.value->text = std::move(*text);
      } else if (w.value->IsNumber()) {
        const std::optional<double> number = AsNumber(SettingValue::String(*text));
        if (!number) return std::nullopt;
        w.value->number = *number;
      }
    }
    writes.push_back(std::move(w));
  }
  if (in != u".") return std::nullopt;
  return writes;
}

// Writes one value in place, or deletes it; a value that is missing is deleted already.
void Apply(SettingsStore& s, const SettingWrite& w) {
  if (w.value) {
    s.Set(w.section, w.name, *w.value);
  } else {
    DeleteIfThere(s, w.section, w.name);
  }
}

// Writes in place a batch that a kill interrupted, and deletes it; a damaged one is deleted.
void FinishPendingWrites(SettingsStore& s) {
  const SettingValue pending = Read(s, kAppKey, kPendingWrites, SettingValue::Empty());
  if (pending.type == SettingValue::Type::kEmpty) return;
  if (pending.type == SettingValue::Type::kString) {
    if (const std::optional<std::vector<SettingWrite>> writes = DecodeWrites(pending.text)) {
      for (const SettingWrite& w : *writes) {
        try {
          Apply(s, w);
        } catch (const NumberedError&) {
        }
      }
    }
  }
  DeleteIfThere(s, kAppKey, kPendingWrites);
}

}  // namespace

bool ReadBoolean(SettingsStore& s, std::u16string_view section, std::u16string_view name,
                 bool default_value) {
  const SettingValue v = Read(s, section, name, SettingValue::Boolean(default_value));
  if (!v.IsNumber() || !std::isfinite(v.number)) return default_value;
  return v.number != 0;
}

std::optional<std::int32_t> ReadLong(SettingsStore& s, std::u16string_view section,
                                     std::u16string_view name, std::int32_t min, std::int32_t max) {
  const SettingValue v = Read(s, section, name, SettingValue::Empty());
  if (!v.IsNumber() || !std::isfinite(v.number) || std::floor(v.number) != v.number ||
      v.number < min || v.number > max)
    return std::nullopt;
  return static_cast<std::int32_t>(v.number);
}

double ReadDouble(SettingsStore& s, std::u16string_view section, std::u16string_view name,
                  double default_value) {
  const SettingValue v = Read(s, section, name, SettingValue::Double(default_value));
  // A register never holds an infinity or a NaN, whatever the registry says.
  if (!v.IsNumber() || !std::isfinite(v.number)) return default_value;
  return v.number;
}

std::u16string HistoryKey(int index) {
  std::u16string digits;
  for (int n = index; n > 0 || digits.empty(); n /= 10)
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
  if (digits.size() < 2) digits.insert(digits.begin(), u'0');
  return digits;
}

std::u16string RegisterKey(int number) { return std::u16string(1, LetterOfRegister(number)); }

std::vector<std::u16string> ReadHistory(SettingsStore& store) {
  const std::optional<double> count =
      AsNumber(Read(store, kFormation, u"ListCount", SettingValue::Empty()));
  if (count && *count >= 0 && std::floor(*count) == *count) {
    const int n = static_cast<int>(std::min<double>(*count, kMaxSavedHistory));
    std::vector<std::u16string> history;
    for (int i = 0; i < n; ++i) {
      std::optional<std::u16string> entry =
          EntryText(Read(store, kFormation, HistoryKey(i), SettingValue::Empty()));
      if (!entry) break;
      history.push_back(std::move(*entry));
    }
    if (static_cast<int>(history.size()) == n) return history;
  }
  // A damaged count, or one that names entries the registry lacks: every entry that can be
  // read, in order.
  std::vector<std::u16string> history;
  for (int i = 0; i < kMaxSavedHistory; ++i) {
    std::optional<std::u16string> entry =
        EntryText(Read(store, kFormation, HistoryKey(i), SettingValue::Empty()));
    if (entry && !entry->empty()) history.push_back(std::move(*entry));
  }
  return history;
}

void WriteTogether(SettingsStore& store, const std::vector<SettingWrite>& writes, bool raise) {
  bool batched = false;
  if (writes.size() > 1) {
    try {
      store.Set(kAppKey, kPendingWrites, SettingValue::String(EncodeWrites(writes)));
      batched = true;
    } catch (const NumberedError&) {
      if (raise) throw;
    }
  }
  std::optional<NumberedError> failure;
  for (const SettingWrite& w : writes) {
    try {
      Apply(store, w);
    } catch (const NumberedError& e) {
      if (!failure) failure = e;
    }
  }
  if (batched) DeleteIfThere(store, kAppKey, kPendingWrites);
  if (raise && failure) throw *failure;
}

StartupSettings ReadStartupSettings(SettingsStore& store) {
  FinishPendingWrites(store);
  StartupSettings s;
  s.left = ReadLong(store, kAppKey, u"Left", INT32_MIN, INT32_MAX);
  s.top = ReadLong(store, kAppKey, u"Top", INT32_MIN, INT32_MAX);
  s.unit_convert = ReadBoolean(store, kAppKey, u"UnitConvert", false);
  s.variable_list = ReadBoolean(store, kAppKey, u"VariableList", false);
  for (int n = code::kFirstLetterRegister; n <= code::kLastLetterRegister; ++n)
    s.registers[LetterSlot(n)] = ReadDouble(store, kVariables, RegisterKey(n), 0);
  if (ReadBoolean(store, kAppKey, u"SaveFormation", false)) s.history = ReadHistory(store);
  s.task_tray = ReadBoolean(store, kAppKey, u"TaskTray", false);
  s.minimized = ReadBoolean(store, kAppKey, u"Minimized", false);
  s.close_button = ReadBoolean(store, kAppKey, u"CloseButton", false);
  s.unit = ReadLong(store, kAppKey, u"Unit", 0, 13).value_or(1);
  return s;
}

void WriteWindowSettings(SettingsStore& store, const WindowSettings& s, unsigned parts) {
  // All of it goes together: a position is never half saved, nor a calculation's registers
  // without its formula.
  std::vector<SettingWrite> writes;
  const auto add = [&](std::u16string_view section, std::u16string name, SettingValue value) {
    writes.push_back({std::u16string(section), std::move(name), std::move(value)});
  };
  if (parts & kPositionPart) {
    add(kAppKey, u"Left", SettingValue::Long(s.left));
    add(kAppKey, u"Top", SettingValue::Long(s.top));
  }
  if (parts & kPanelsPart) {
    add(kAppKey, u"UnitConvert", SettingValue::Boolean(s.unit_convert));
    add(kAppKey, u"VariableList", SettingValue::Boolean(s.variable_list));
    add(kAppKey, u"Unit", SettingValue::Integer(static_cast<std::int16_t>(s.unit)));
  }
  if (parts & kModesPart) {
    add(kAppKey, u"TaskTray", SettingValue::Boolean(s.task_tray));
    add(kAppKey, u"CloseButton", SettingValue::Boolean(s.close_button));
  }
  if ((parts & kRegistersPart) && ReadBoolean(store, kAppKey, u"SaveVariable", false)) {
    for (int n = code::kFirstLetterRegister; n <= code::kLastLetterRegister; ++n)
      add(kVariables, RegisterKey(n), SettingValue::Double(s.registers[LetterSlot(n)]));
  }
  if ((parts & kHistoryPart) && ReadBoolean(store, kAppKey, u"SaveFormation", false)) {
    const int n = std::min(static_cast<int>(s.history.size()), kMaxSavedHistory);
    for (int i = 0; i < n; ++i)
      add(kFormation, HistoryKey(i), SettingValue::String(s.history[static_cast<std::size_t>(i)]));
    add(kFormation, u"ListCount", SettingValue::Integer(static_cast<std::int16_t>(n)));
  }
  WriteTogether(store, writes, false);
}

WindowExtras ReadWindowExtras(SettingsStore& store) {
  WindowExtras e;
  e.top_most = ReadBoolean(store, kAppKey, u"TopMost", false);
  // A key code of 0, or flags outside the four the control sets, name no key.
  const std::int32_t key = ReadLong(store, kAppKey, u"HotKey", 0, 0x0FFF).value_or(0);
  e.hot_key = (key & 0xFF) != 0 ? static_cast<std::uint32_t>(key) : 0;
  e.width = ReadLong(store, kAppKey, u"Width", 1, INT32_MAX);
  return e;
}

void WriteTopMost(SettingsStore& store, bool on) {
  WriteEach(store, kAppKey, u"TopMost", SettingValue::Boolean(on));
}

void WriteHotKey(SettingsStore& store, std::uint32_t hot_key) {
  WriteEach(store, kAppKey, u"HotKey", SettingValue::Long(static_cast<std::int32_t>(hot_key)));
}

void WriteWidth(SettingsStore& store, std::int32_t twips) {
  WriteEach(store, kAppKey, u"Width", SettingValue::Long(twips));
}

std::uint32_t HotKeyModifiers(std::uint32_t hot_key) {
  const std::uint32_t flags = (hot_key >> 8) & 0xFF;
  return ((flags & 4) ? 1u : 0u) | ((flags & 2) ? 2u : 0u) | ((flags & 1) ? 4u : 0u);
}

OptionSettings ReadOptionSettings(SettingsStore& store) {
  OptionSettings o;
  o.minimized = ReadBoolean(store, kAppKey, u"Minimized", false);
  o.startup_root = static_cast<std::uint32_t>(
      ReadLong(store, kAppKey, u"hKeyStartUp", INT32_MIN, INT32_MAX).value_or(0));
  o.save_variables = ReadBoolean(store, kAppKey, u"SaveVariable", false);
  o.save_history = ReadBoolean(store, kAppKey, u"SaveFormation", false);
  return o;
}

namespace {

// Tray mode and close-minimises take effect in the running window at once.
void ApplyWindowModes(const OptionChoices& c, OptionEffects& effects) {
  if (c.tray && !effects.ShowInTaskTray()) effects.AddTrayIcon();
  if (!c.tray && effects.ShowInTaskTray()) effects.DeleteTrayIcon();
  effects.SetShowInTaskTray(c.tray);
  effects.SetCloseButtonMinimized(c.close_minimizes && c.tray);
}

// Writes the start-up entry under the machine's root, or else the user's; returns the root it
// went to. An entry that neither takes is reported, and 0 returned; any other failure leaves
// the root that was being tried.
std::uint32_t RegisterAtStartup(SettingsStore& store, std::u16string_view run_key,
                                std::u16string_view program_path, OptionEffects& effects) {
  std::uint32_t root = 0;
  try {
    store.SetDefaultSection(false);
    root = kHkeyLocalMachine;
    store.SetRootKey(root);
    store.Set(run_key, kProductName, SettingValue::String(program_path));
  } catch (const NumberedError& e) {
    if (e.number() != err::kRegistry) return root;
    try {
      root = kHkeyCurrentUser;
      store.SetRootKey(root);
      store.Set(run_key, kProductName, SettingValue::String(program_path));
    } catch (const NumberedError& again) {
      if (again.number() == err::kRegistry) {
        root = 0;
        effects.ReportStartupFailure();
      }
    }
  }
  return root;
}

// Removes the entry from the root it was last written under, whatever fails; returns 0.
std::uint32_t UnregisterAtStartup(SettingsStore& store, std::u16string_view run_key) {
  const auto root = static_cast<std::uint32_t>(
      ReadLong(store, kAppKey, u"hKeyStartUp", INT32_MIN, INT32_MAX).value_or(0));
  if (root != 0) {
    try {
      store.SetDefaultSection(false);
      store.SetRootKey(root);
      store.Delete(run_key, kProductName);
    } catch (const NumberedError&) {
    }
  }
  return 0;
}

// Stores the options together with the deletions that a saving option switched off makes due,
// which follow their switch.
void StoreOptions(const OptionChoices& c, SettingsStore& store, std::uint32_t startup_root) {
  store.SetDefaultSection(true);
  const OptionSettings before = ReadOptionSettings(store);
  std::vector<SettingWrite> writes = {
      {u"", u"hKeyStartUp", SettingValue::Long(static_cast<std::int32_t>(startup_root))},
      {u"", u"Minimized", SettingValue::Boolean(c.start_minimized && c.tray)},
      {u"", u"SaveVariable", SettingValue::Boolean(c.save_variables)}};
  if (before.save_variables && !c.save_variables) {
    for (int n = code::kFirstLetterRegister; n <= code::kLastLetterRegister; ++n)
      writes.push_back({std::u16string(kVariables), RegisterKey(n), std::nullopt});
  }
  writes.push_back({u"", u"SaveFormation", SettingValue::Boolean(c.save_history)});
  if (before.save_history && !c.save_history) {
    // Every entry the program could have saved goes, whatever the count says.
    for (int i = 0; i < kMaxSavedHistory; ++i)
      writes.push_back({std::u16string(kFormation), HistoryKey(i), std::nullopt});
    writes.push_back({std::u16string(kFormation), u"ListCount", std::nullopt});
  }
  WriteTogether(store, writes, true);
}

}  // namespace

void ApplyOptions(const OptionChoices& c, OptionEffects& effects, SettingsStore& store,
                  std::u16string_view run_key, std::u16string_view program_path) {
  ApplyWindowModes(c, effects);
  const std::uint32_t root = c.startup && c.tray
                                 ? RegisterAtStartup(store, run_key, program_path, effects)
                                 : UnregisterAtStartup(store, run_key);
  StoreOptions(c, store, root);
  effects.UpdateSystemMenu();
}

bool ReadPreviewOn(SettingsStore& store) { return ReadBoolean(store, kAppKey, u"Preview", true); }

void WritePreviewOn(SettingsStore& store, bool on) {
  WriteEach(store, kAppKey, u"Preview", SettingValue::Boolean(on));
}

}  // namespace tly
