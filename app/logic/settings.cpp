#include "settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "number_text.h"
#include "numbered_error.h"
#include "product_name.h"
#include "registers.h"
#include "unit_factor.h"

namespace tly {
namespace {

constexpr std::u16string_view kAppKey = u"";
constexpr std::u16string_view kProductName = u"" TLY_PRODUCT_NAME;
// The batch of writes under way (WriteTogether), in the program's own key.
constexpr std::u16string_view kPendingWrites = u"PendingWrites";

std::size_t At(int index) { return static_cast<std::size_t>(index); }

// A read that fails counts as a missing value.
SettingValue Read(SettingsStore& s, std::u16string_view section, std::u16string_view name) {
  try {
    return s.Get(section, name, SettingValue::Empty());
  } catch (const NumberedError&) {
    return SettingValue::Empty();
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
  return WidenAscii(FormatResult(v.number));
}

// A saved results line; any other value is not one.
std::optional<ResultLine> StoredLine(const SettingValue& v) {
  if (v.type != SettingValue::Type::kString) return std::nullopt;
  return DecodeResultLine(v.text);
}

// A batch of writes as one text: for each write a letter (the value's type, or X to delete)
// and the section, the name and the value's text, each as its length, ':' and the text; a '.'
// ends the batch. Numbers are written as the shortest text that reads back to the same double.
constexpr std::u16string_view kTypeLetters = u"EILBFDS";  // in the order of SettingValue::Type

void AppendField(std::u16string& out, std::u16string_view text) {
  out.append(WidenAscii(std::to_string(text.size()))).append(1, u':').append(text);
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
  const SettingValue pending = Read(s, kAppKey, kPendingWrites);
  if (pending.type == SettingValue::Type::kEmpty) return;
  if (pending.type == SettingValue::Type::kString) {
    if (const std::optional<std::vector<SettingWrite>> writes = DecodeWrites(pending.text)) {
      for (const SettingWrite& w : *writes) {
        try {
          Apply(s, w);
        } catch (const NumberedError&) {
          // A write that fails again is skipped: the other writes of the batch are still worth
          // keeping.
        }
      }
    }
  }
  DeleteIfThere(s, kAppKey, kPendingWrites);
}

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

using T = SettingValue::Type;

constexpr bool NamesAKey(std::int32_t hot_key) { return (hot_key & 0xFF) != 0; }

// section, name, type, field, when written, min, max, rule, written if, read if
constexpr SettingRow kRows[] = {
    {u"", u"Left", T::kLong, &Settings::left, kPositionPart},
    {u"", u"Top", T::kLong, &Settings::top, kPositionPart},
    {u"", u"UnitConvert", T::kBoolean, &Settings::unit_convert, kPanelsPart},
    {u"", u"VariableList", T::kBoolean, &Settings::variable_list, kPanelsPart},
    {u"", u"Unit", T::kInteger, &Settings::unit, kPanelsPart, 0, kQuantityCount - 1},
    {u"", u"TaskTray", T::kBoolean, &Settings::task_tray, kModesPart},
    {u"", u"CloseButton", T::kBoolean, &Settings::close_button, kModesPart},
    {u"Variable", u"A", T::kDouble, &Settings::registers, kRegistersPart, 0, 0, nullptr,
     u"SaveVariable"},
    {u"Formation", u"ListCount", T::kInteger, &Settings::history, kHistoryPart, 0, 0, nullptr,
     u"SaveFormation", u"SaveFormation"},
    {u"", u"hKeyStartUp", T::kLong, &Settings::startup_root, kOptionsPart},
    {u"", u"Minimized", T::kBoolean, &Settings::minimized, kOptionsPart},
    {u"", u"SaveVariable", T::kBoolean, &Settings::save_variables, kOptionsPart},
    {u"", u"SaveFormation", T::kBoolean, &Settings::save_history, kOptionsPart},
    {u"", u"Preview", T::kBoolean, &Settings::preview, kPreviewPart},
    {u"", u"TopMost", T::kBoolean, &Settings::top_most, kTopMostPart},
    // Flags outside the four the key box sets name no key.
    {u"", u"HotKey", T::kLong, &Settings::hot_key, kHotKeyPart, 0, 0x0FFF, NamesAKey},
    {u"", u"Width", T::kLong, &Settings::width, kWidthPart, 1},
    {u"", u"Theme", T::kInteger, &Settings::theme, kThemePart, 0, 2},
    {u"", u"NumberNotation", T::kInteger, &Settings::number_notation, kNumberPart, 0, 3},
    {u"", u"NumberDigits", T::kInteger, &Settings::number_digits, kNumberPart, 0, 15},
    {u"", u"NumberGrouping", T::kInteger, &Settings::number_grouping, kNumberPart, 0, 2},
    {u"", u"NumberBase", T::kInteger, &Settings::number_base, kNumberPart, 0, 3},
    {u"", u"ResultList", T::kBoolean, &Settings::result_list, kPanelsPart},
    {u"Results", u"Count", T::kLong, &Settings::results, kHistoryPart, 0, 0, nullptr,
     u"SaveFormation", u"SaveFormation"},
};

constexpr bool NamesABooleanRow(std::u16string_view flag) {
  for (const SettingRow& row : kRows) {
    if (row.name == flag) return std::holds_alternative<bool Settings::*>(row.field);
  }
  return flag.empty();
}
static_assert(std::all_of(std::begin(kRows), std::end(kRows),
                          [](const SettingRow& row) {
                            return NamesABooleanRow(row.written_if) &&
                                   NamesABooleanRow(row.read_if);
                          }),
              "a row hangs only on a Boolean row of the table");

// How a counted list is saved: its most entries, their names, an entry read from a value and
// written as text, and whether a shorter list deletes the entries it leaves behind.
template <class Entry>
struct SavedList {
  int limit;
  std::u16string (*key)(int index);
  std::optional<Entry> (*read)(const SettingValue& value);
  std::u16string (*write)(const Entry& entry);
  bool drops_left_behind;
};
constexpr SavedList<std::u16string> kHistoryList{kMaxSavedHistory, HistoryKey, EntryText,
                                                 [](const std::u16string& e) { return e; }, false};
constexpr SavedList<ResultLine> kResultsList{kMaxResultLines, ResultKey, StoredLine,
                                             EncodeResultLine, true};

const SavedList<std::u16string>& ListOf(std::vector<std::u16string> Settings::*) {
  return kHistoryList;
}
const SavedList<ResultLine>& ListOf(std::vector<ResultLine> Settings::*) { return kResultsList; }

// A list row's count as saved, when it is a whole number not below 0.
std::optional<double> SavedCount(SettingsStore& store, const SettingRow& row) {
  const std::optional<double> count = AsNumber(Read(store, row.section, row.name));
  if (count && *count >= 0 && std::floor(*count) == *count) return count;
  return std::nullopt;
}

// A saved list: the formula history or the results. A count above the limit reads the first
// entries up to it. A count that is missing, negative, not a whole number or larger than the
// entries there are reads every entry up to the limit that exists, is readable and not empty,
// in order, so that the next save writes them back without gaps. A count stored as text and
// history entries stored as numbers read as what they convert to.
template <class Entry>
std::vector<Entry> ReadList(SettingsStore& store, const SettingRow& row,
                            const SavedList<Entry>& list) {
  if (const std::optional<double> count = SavedCount(store, row)) {
    const int n = static_cast<int>(std::min<double>(*count, list.limit));
    std::vector<Entry> entries;
    for (int i = 0; i < n; ++i) {
      std::optional<Entry> entry = list.read(Read(store, row.section, list.key(i)));
      if (!entry) break;
      entries.push_back(std::move(*entry));
    }
    if (static_cast<int>(entries.size()) == n) return entries;
  }
  // A damaged count, or one that names entries the registry lacks: every entry that can be
  // read, in order.
  std::vector<Entry> entries;
  for (int i = 0; i < list.limit; ++i) {
    std::optional<Entry> entry = list.read(Read(store, row.section, list.key(i)));
    if (entry && *entry != Entry{}) entries.push_back(std::move(*entry));
  }
  return entries;
}

// Where the entries that a save of a list row may leave behind end: at the saved count, or at
// the limit when that count is damaged; 0 for a row that leaves none.
int LeftBehindEnd(SettingsStore& store, const SettingRow& row) {
  return std::visit(Overloaded{
                        [&]<class Entry>(std::vector<Entry> Settings::*field) {
                          const SavedList<Entry>& list = ListOf(field);
                          if (!list.drops_left_behind) return 0;
                          const std::optional<double> count = SavedCount(store, row);
                          return count && *count <= list.limit ? static_cast<int>(*count)
                                                               : list.limit;
                        },
                        [](auto) { return 0; },
                    },
                    row.field);
}

// The number in `v` when it is one the row keeps.
std::optional<double> Valid(const SettingRow& row, const SettingValue& v) {
  if (!v.IsNumber() || !std::isfinite(v.number)) return std::nullopt;
  const bool whole = row.type == T::kInteger || row.type == T::kLong;
  if (whole && (std::floor(v.number) != v.number || v.number < row.min || v.number > row.max ||
                (row.rule && !row.rule(static_cast<std::int32_t>(v.number)))))
    return std::nullopt;
  return v.number;
}

void ReadRow(SettingsStore& store, const SettingRow& row, Settings& s) {
  const auto number = [&](std::u16string_view name) {
    return Valid(row, Read(store, row.section, name));
  };
  std::visit(Overloaded{
                 [&](bool Settings::*field) {
                   if (const auto n = number(row.name)) s.*field = *n != 0;
                 },
                 [&](std::array<double, kLetterCount> Settings::*field) {
                   for (int i = 0; i < kLetterCount; ++i) {
                     if (const auto n = number(RegisterKey(i)))
                       (s.*field)[static_cast<std::size_t>(i)] = *n;
                   }
                 },
                 [&]<class Entry>(std::vector<Entry> Settings::*field) {
                   s.*field = ReadList(store, row, ListOf(field));
                 },
                 [&](auto field) {  // a whole number
                   using Value = std::remove_reference_t<decltype(s.*field)>;
                   if (const auto n = number(row.name))
                     s.*field = static_cast<Value>(static_cast<std::int32_t>(*n));
                 },
             },
             row.field);
}

const SettingRow& RowNamed(std::u16string_view name) {
  return *std::find_if(std::begin(kRows), std::end(kRows),
                       [&](const SettingRow& row) { return row.name == name; });
}

// A Boolean row's value as the store holds it now; nothing names a row that is not one.
bool StoredFlag(SettingsStore& store, std::u16string_view name) {
  const SettingRow& row = RowNamed(name);
  Settings s;
  ReadRow(store, row, s);
  return s.*std::get<bool Settings::*>(row.field);
}

// A row that hangs on a Boolean is read or written only while that is on.
bool SwitchedOff(SettingsStore& store, std::u16string_view flag) {
  return !flag.empty() && !StoredFlag(store, flag);
}

// A list row deletes its entries up to `left_behind_end` that a shorter list leaves behind.
void AddWrites(const SettingRow& row, const Settings& s, std::vector<SettingWrite>& out,
               int left_behind_end = 0) {
  const auto add = [&](std::u16string name, SettingValue value) {
    out.push_back({std::u16string(row.section), std::move(name), std::move(value)});
  };
  const auto number = [&](double n) { return SettingValue{row.type, n, {}}; };
  std::visit(
      Overloaded{
          [&](bool Settings::*field) { add(std::u16string(row.name), number(s.*field ? -1 : 0)); },
          [&](std::array<double, kLetterCount> Settings::*field) {
            for (int i = 0; i < kLetterCount; ++i)
              add(RegisterKey(i), number((s.*field)[static_cast<std::size_t>(i)]));
          },
          [&]<class Entry>(std::vector<Entry> Settings::*field) {
            const SavedList<Entry>& list = ListOf(field);
            // No count ever names an entry that is not written yet.
            const int n = std::min(static_cast<int>((s.*field).size()), list.limit);
            for (int i = 0; i < n; ++i)
              add(list.key(i), SettingValue::String(list.write((s.*field)[At(i)])));
            for (int i = n; i < left_behind_end; ++i)
              out.push_back({std::u16string(row.section), list.key(i), std::nullopt});
            add(std::u16string(row.name), number(n));
          },
          [&](std::optional<std::int32_t> Settings::*field) {
            if (s.*field) add(std::u16string(row.name), number(*(s.*field)));
          },
          [&](auto field) {
            add(std::u16string(row.name), number(static_cast<std::int32_t>(s.*field)));
          },
      },
      row.field);
}

// The names of every value a row can have written.
std::vector<std::u16string> ValueNames(const SettingRow& row) {
  std::vector<std::u16string> names;
  if (std::holds_alternative<std::array<double, kLetterCount> Settings::*>(row.field)) {
    for (int i = 0; i < kLetterCount; ++i) names.push_back(RegisterKey(i));
    return names;
  }
  std::visit(Overloaded{
                 [&]<class Entry>(std::vector<Entry> Settings::*field) {
                   const SavedList<Entry>& list = ListOf(field);
                   for (int i = 0; i < list.limit; ++i) names.push_back(list.key(i));
                 },
                 [](auto) {},
             },
             row.field);
  names.emplace_back(row.name);
  return names;
}

}  // namespace

std::span<const SettingRow> SettingsTable() { return kRows; }

std::u16string HistoryKey(int index) {
  std::u16string digits;
  for (int n = index; n > 0 || digits.empty(); n /= 10)
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
  if (digits.size() < 2) digits.insert(digits.begin(), u'0');
  return digits;
}

std::u16string ResultKey(int index) {
  std::u16string digits = HistoryKey(index);
  return digits.insert(0, digits.size() < 4 ? 4 - digits.size() : 0, u'0');
}

std::u16string RegisterKey(int letter) {
  return std::u16string(1, LetterOfRegister(LetterRegisterNumber(letter)));
}

Settings ReadSettings(SettingsStore& store, unsigned parts) {
  Settings s;
  for (const SettingRow& row : kRows) {
    if ((row.part & parts) && !SwitchedOff(store, row.read_if)) ReadRow(store, row, s);
  }
  return s;
}

Settings LoadSettings(SettingsStore& store) {
  FinishPendingWrites(store);
  return ReadSettings(store, kEveryPart);
}

Settings LoadAtStart(SettingsStore& store, std::u16string_view run_key,
                     std::u16string_view program_path) {
  const Settings s = LoadSettings(store);
  if (s.startup_root != 0) return s;
  try {
    store.SetDefaultSection(false);
    store.SetRootKey(kHkeyCurrentUser);
    if (Read(store, run_key, kProductName) == SettingValue::String(program_path))
      store.Delete(run_key, kProductName);
    store.SetDefaultSection(true);
  } catch (const NumberedError&) {
    // The list cannot be changed now; the next start tries again.
  }
  return s;
}

void WriteSettings(SettingsStore& store, const Settings& s, unsigned parts) {
  // All of it goes together: a position is never half saved, nor a calculation's registers
  // without its formula.
  std::vector<SettingWrite> writes;
  for (const SettingRow& row : kRows) {
    if (!(row.part & parts) || SwitchedOff(store, row.written_if)) continue;
    AddWrites(row, s, writes, LeftBehindEnd(store, row));
  }
  WriteTogether(store, writes, false);
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

std::uint32_t HotKeyModifiers(std::uint32_t hot_key) {
  const std::uint32_t flags = (hot_key >> 8) & 0xFF;
  return ((flags & 4) ? 1u : 0u) | ((flags & 2) ? 2u : 0u) | ((flags & 1) ? 4u : 0u);
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
                                std::u16string_view program_path,
                                const std::function<void()>& report_failure) {
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
        report_failure();
      }
    }
  }
  return root;
}

// Removes the entry from the root it was last written under, whatever fails; returns 0.
std::uint32_t UnregisterAtStartup(SettingsStore& store, std::u16string_view run_key) {
  const std::uint32_t root = ReadSettings(store, kOptionsPart).startup_root;
  if (root != 0) {
    try {
      store.SetDefaultSection(false);
      store.SetRootKey(root);
      store.Delete(run_key, kProductName);
    } catch (const NumberedError&) {
      // An entry that cannot be removed (gone already, or a root no longer writable) is left;
      // the option is off all the same.
    }
  }
  return 0;
}

// Stores the options together with the deletions that a saving option switched off makes due,
// which follow their switch.
void StoreOptions(const OptionChoices& c, SettingsStore& store, std::uint32_t startup_root) {
  store.SetDefaultSection(true);
  const Settings before = ReadSettings(store, kOptionsPart);
  const Settings after{.startup_root = startup_root,
                       .minimized = c.start_minimized && c.tray,
                       .save_variables = c.save_variables,
                       .save_history = c.save_history};
  std::vector<SettingWrite> writes;
  for (const SettingRow& row : kRows) {
    if (!(row.part & kOptionsPart)) continue;
    AddWrites(row, after, writes);
    const auto* flag = std::get_if<bool Settings::*>(&row.field);
    if (flag == nullptr || !(before.**flag) || after.**flag) continue;
    // Everything the switch kept goes, whatever a count says.
    for (const SettingRow& kept : kRows) {
      if (kept.written_if != row.name) continue;
      for (std::u16string& name : ValueNames(kept))
        writes.push_back({std::u16string(kept.section), std::move(name), std::nullopt});
    }
  }
  WriteTogether(store, writes, true);
}

}  // namespace

void ApplyOptions(const OptionChoices& c, OptionEffects& effects, SettingsStore& store,
                  std::u16string_view run_key, std::u16string_view program_path,
                  const std::function<void()>& report_startup_failure) {
  ApplyWindowModes(c, effects);
  const std::uint32_t root =
      c.startup && c.tray ? RegisterAtStartup(store, run_key, program_path, report_startup_failure)
                          : UnregisterAtStartup(store, run_key);
  StoreOptions(c, store, root);
  effects.UpdateSystemMenu();
}

}  // namespace tly
