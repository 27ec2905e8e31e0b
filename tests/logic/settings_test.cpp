#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <limits>
#include <set>

#include "memory_settings.h"
#include "settings.h"

namespace tly {
namespace {

using testing::MemorySettings;
using V = SettingValue;

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

// Each row keeps a value as it was stored, through a load and a save; a missing value and each
// damaged one leave every setting at its default.
TEST(SettingsSchema, EveryRowKeepsItsValueAndFallsBackOnDamage) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = 1 / 0.0;
  const struct {
    std::u16string_view name;
    V kept;  // as the store keeps it
    std::vector<V> damaged;
  } cases[] = {
      {u"Left", V::Long(-1500), {V::Double(12.5), V::String(u"5"), V::Double(2147483648.0)}},
      {u"Top", V::Long(INT32_MAX), {V::Double(-2147483649.0), V::Empty()}},
      {u"UnitConvert", V::Long(-1), {V::String(u"yes"), V::Double(nan)}},
      {u"VariableList", V::Long(-1), {V::Empty()}},
      {u"Unit", V::Long(13), {V::Long(14), V::Long(-1), V::Double(2.5), V::String(u"3")}},
      {u"TaskTray", V::Long(-1), {V::Empty()}},
      {u"CloseButton", V::Long(-1), {V::String(u"-1")}},
      {u"A", V::Double(-2.5e300), {V::Double(nan), V::Double(inf), V::String(u"1")}},
      {u"hKeyStartUp",
       V::Long(static_cast<std::int32_t>(kHkeyLocalMachine)),
       {V::Double(0.5), V::String(u"1")}},
      {u"Minimized", V::Long(-1), {V::Double(-inf)}},
      {u"SaveVariable", V::Long(-1), {V::Empty()}},
      {u"SaveFormation", V::Long(-1), {V::String(u"1")}},
      {u"Preview", V::Long(0), {V::String(u"no"), V::Double(nan)}},
      {u"TopMost", V::Long(-1), {V::String(u"yes")}},
      // Ctrl+A; flags beyond the key box's four, or flags without a key, name no key.
      {u"HotKey", V::Long(0x0241), {V::Long(0x10041), V::Long(0x0200), V::String(u"577")}},
      {u"Width", V::Long(6000), {V::Long(0), V::Long(-5), V::Double(4500.5)}},
      {u"Theme", V::Long(2), {V::Long(3), V::Long(-1), V::Double(1.5)}},
      {u"NumberNotation", V::Long(3), {V::Long(4), V::Long(-1)}},
      {u"NumberDigits", V::Long(15), {V::Long(16), V::Double(2.5)}},
      {u"NumberGrouping", V::Long(2), {V::Long(3)}},
      {u"NumberBase", V::Long(1), {V::Long(4), V::String(u"1")}},
      {u"ResultList", V::Long(-1), {V::String(u"on")}},
  };
  std::set<std::u16string_view> covered;
  for (const auto& c : cases) {
    const auto found = std::find_if(SettingsTable().begin(), SettingsTable().end(),
                                    [&](const SettingRow& r) { return r.name == c.name; });
    ASSERT_NE(found, SettingsTable().end()) << Narrow(c.name);
    const SettingRow& row = *found;
    covered.insert(row.name);
    for (const V& damaged : c.damaged) {
      MemorySettings store;
      store.App(row.section, row.name) = damaged;
      EXPECT_TRUE(LoadSettings(store) == Settings{}) << Narrow(c.name) << " " << damaged.number;
    }
    MemorySettings store, saved;
    store.App(row.section, row.name) = c.kept;
    const Settings read = LoadSettings(store);
    EXPECT_FALSE(read == Settings{}) << Narrow(c.name);
    saved.App(u"", u"SaveVariable") = V::Boolean(true);
    WriteSettings(saved, read, kEveryPart);
    EXPECT_EQ(saved.App(row.section, row.name), c.kept) << Narrow(c.name);
  }
  // Every row but the history's and the results', which other tests take.
  EXPECT_EQ(covered.size() + 2, SettingsTable().size());
  // With nothing but a batch cut short, which is dropped, not half written: all defaults.
  MemorySettings store;
  store.App(u"", u"PendingWrites") = V::String(u"D8:Variable1:B1:5");
  EXPECT_TRUE(LoadSettings(store) == Settings{});
  EXPECT_TRUE(store.values.empty());
}

// Registers and history are written only while their saving option is on, at most 100 entries
// and the count last; each part writes its own values only.
TEST(SettingsTable, EachPartWritesItsOwnValuesAndTheCountLast) {
  Settings out{.left = 30};
  out.registers[0] = 5;
  for (int i = 0; i < 150; ++i) out.history.push_back(std::u16string(u"f").append(HistoryKey(i)));
  MemorySettings store, saving;
  WriteSettings(store, out, kAllParts);
  EXPECT_FALSE(store.HasApp(u"Variable", u"A") || store.HasApp(u"Formation", u"ListCount"));
  saving.App(u"", u"SaveVariable") = saving.App(u"", u"SaveFormation") = V::Boolean(true);
  WriteSettings(saving, out, kRegistersPart | kHistoryPart);
  EXPECT_FALSE(saving.HasApp(u"", u"Left") || saving.HasApp(u"", u"Unit") ||
               saving.HasApp(u"", u"TaskTray") || saving.HasApp(u"Formation", u"100"));
  EXPECT_EQ(saving.App(u"Variable", u"A"), V::Double(5));
  EXPECT_EQ(saving.App(u"Formation", u"99"), V::String(u"f99"));
  EXPECT_EQ(saving.App(u"Formation", u"ListCount"), V::Long(100));
  EXPECT_EQ(saving.written.end()[-2], u"Formation/ListCount");
  EXPECT_EQ(saving.written.back(), u"Results/Count");
  WriteSettings(saving, out, kPositionPart);
  EXPECT_EQ(saving.App(u"", u"Left"), V::Long(30));
  EXPECT_FALSE(saving.HasApp(u"", u"UnitConvert"));
}

TEST(SettingsTable, ADamagedListCountNeverCostsTheHistory) {
  MemorySettings store;
  store.App(u"", u"SaveFormation") = V::Boolean(true);
  store.App(u"Formation", u"00") = V::String(u"a");
  store.App(u"Formation", u"01") = V::Long(5);  // an entry stored as a number
  store.App(u"Formation", u"02") = V::Double(2.5);
  store.App(u"Formation", u"04") = V::String(u"e");  // after a gap
  store.App(u"Formation", u"05") = V::String(u"");
  store.App(u"Formation", u"06") = V::Double(std::numeric_limits<double>::infinity());
  store.App(u"Formation", u"07") = V::Empty();  // of a type not read
  store.App(u"Formation", u"99") = V::String(u"z");
  using H = std::vector<std::u16string>;
  const H all = {u"a", u"5", u"2.5", u"e", u"z"};
  const struct {
    V count;
    H history;
  } cases[] = {
      {V::Long(2), {u"a", u"5"}}, {V::String(u" 3"), {u"a", u"5", u"2.5"}},
      {V::Long(0), {}},           {V::Long(5), all},  // more than there are
      {V::Long(65536), all},      {V::Empty(), all},
      {V::Long(-5), all},         {V::Double(1.5), all},
      {V::String(u"x"), all},
  };
  for (const auto& c : cases) {
    store.App(u"Formation", u"ListCount") = c.count;
    EXPECT_EQ(LoadSettings(store).history, c.history) << c.count.number;
  }
  // Saved back, they are consecutive and counted.
  WriteSettings(store, {.history = all}, kHistoryPart);
  EXPECT_EQ(store.App(u"Formation", u"ListCount"), V::Long(5));
  EXPECT_EQ(LoadSettings(store).history, all);
  EXPECT_EQ(store.App(u"Formation", u"99"), V::String(u"z"));  // a save deletes no entry
  // A count above 100 with all 100 there reads 100.
  for (int i = 0; i < 100; ++i) store.App(u"Formation", HistoryKey(i)) = V::String(u"f");
  store.App(u"Formation", u"ListCount") = V::Long(150);
  EXPECT_EQ(LoadSettings(store).history.size(), 100u);
}

TEST(WindowExtras, HotKeyFlagsBecomeRegisterHotKeyModifiers) {
  const struct {
    std::uint32_t key, modifiers;
  } cases[] = {{0x0041, 0}, {0x0141, 4}, {0x0241, 2}, {0x0441, 1}, {0x0770, 7}, {0x0870, 0}};
  for (const auto& c : cases) EXPECT_EQ(HotKeyModifiers(c.key), c.modifiers) << c.key;
}

// ---- the Options dialog's OK ----

// The window's side of tray mode is checked on the window itself.
struct FakeEffects final : OptionEffects {
  bool tray = false;
  int failures = 0;
  bool ShowInTaskTray() const override { return tray; }
  void SetShowInTaskTray(bool on) override { tray = on; }
  void SetCloseButtonMinimized(bool) override {}
  void AddTrayIcon() override {}
  void DeleteTrayIcon() override {}
  void UpdateSystemMenu() override {}
  std::function<void()> report = [this] { ++failures; };
};

constexpr std::u16string_view kRun = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::u16string_view kPath = u"\"C:\\Program Files\\Tallyra\\Tallyra.exe\"";

MemorySettings::Key RunEntry(std::uint32_t root) {
  return {root, std::u16string(kRun), u"Tallyra"};
}

TEST(OptionsOk, WithoutTrayModeAMinimizedStartIsOff) {
  MemorySettings store;
  FakeEffects fx;
  OptionChoices c{.tray = true, .start_minimized = true};
  ApplyOptions(c, fx, store, kRun, kPath, fx.report);
  EXPECT_EQ(store.App(u"", u"Minimized"), V::Long(-1));
  c.tray = false;
  ApplyOptions(c, fx, store, kRun, kPath, fx.report);
  EXPECT_EQ(store.App(u"", u"Minimized"), V::Long(0));
}

TEST(OptionsOk, StartupEntryGoesToTheFirstRootThatTakesItAndIsRemovedThereLater) {
  const struct {
    std::set<std::uint32_t> failing_roots;
    std::uint32_t root;
  } cases[] = {{{}, kHkeyLocalMachine},
               {{kHkeyLocalMachine}, kHkeyCurrentUser},
               {{kHkeyLocalMachine, kHkeyCurrentUser}, 0}};
  for (const auto& c : cases) {
    MemorySettings store;
    store.failing_roots = c.failing_roots;
    store.values[RunEntry(kHkeyCurrentUser)] = V::String(u"older");
    FakeEffects fx;
    ApplyOptions({.tray = true, .startup = true, .save_history = true}, fx, store, kRun, kPath,
                 fx.report);
    EXPECT_EQ(store.App(u"", u"hKeyStartUp"), V::Long(static_cast<std::int32_t>(c.root)));
    EXPECT_EQ(store.values.count(RunEntry(kHkeyLocalMachine)),
              c.root == kHkeyLocalMachine ? 1u : 0u);
    // An older entry under the user is kept unless the user's entry is the one written.
    EXPECT_EQ(store.values[RunEntry(kHkeyCurrentUser)],
              V::String(c.root == kHkeyCurrentUser ? kPath : u"older"));
    // A failure is reported; the other options are still applied, to the program's own key.
    EXPECT_EQ(fx.failures, c.root ? 0 : 1) << c.root;
    EXPECT_TRUE(ReadSettings(store, kOptionsPart).save_history);
    // Unregistering deletes the entry under the root that was recorded.
    ApplyOptions({.tray = true}, fx, store, kRun, kPath, fx.report);
    EXPECT_EQ(store.values.count(RunEntry(kHkeyLocalMachine)), 0u);
    EXPECT_EQ(store.values.count(RunEntry(kHkeyCurrentUser)), c.root == kHkeyCurrentUser ? 0u : 1u);
    EXPECT_EQ(store.App(u"", u"hKeyStartUp"), V::Long(0));
  }
}

// A start removes this program's entry from the user's start-up list when the options record
// none, and nothing else.
TEST(OptionsOk, AStartRemovesOnlyAnUnrecordedEntryOfThisProgramFromTheUsersList) {
  const struct {
    std::uint32_t recorded, root;
    std::u16string_view command;
    bool kept;
  } cases[] = {{0, kHkeyCurrentUser, kPath, false},
               {0, kHkeyCurrentUser, u"\"D:\\Tallyra\\Tallyra.exe\"", true},
               {0, kHkeyLocalMachine, kPath, true},
               {kHkeyCurrentUser, kHkeyCurrentUser, kPath, true}};
  for (const auto& c : cases) {
    MemorySettings store;
    store.App(u"", u"hKeyStartUp") = V::Long(static_cast<std::int32_t>(c.recorded));
    store.values[RunEntry(c.root)] = V::String(c.command);
    EXPECT_EQ(LoadAtStart(store, kRun, kPath).startup_root, c.recorded);
    EXPECT_EQ(store.values.count(RunEntry(c.root)), c.kept ? 1u : 0u) << (&c - cases);
  }
}

TEST(OptionsOk, SwitchingSavingOffDeletesWhatWasSaved) {
  MemorySettings store;
  store.App(u"", u"SaveVariable") = V::Boolean(true);
  store.App(u"", u"SaveFormation") = V::Boolean(true);
  const std::pair<const char16_t*, const char16_t*> saved[] = {
      {u"Variable", u"A"},   {u"Variable", u"Z"},   {u"Formation", u"00"},
      {u"Formation", u"01"}, {u"Results", u"0000"}, {u"Results", u"Count"}};
  for (auto [section, name] : saved) store.App(section, name) = V::String(u"1");
  store.App(u"Formation", u"ListCount") = V::Long(2);
  FakeEffects fx;
  ApplyOptions({}, fx, store, kRun, kPath,
               fx.report);  // both switched off; missing ones are skipped
  for (auto [section, name] : saved) EXPECT_FALSE(store.HasApp(section, name));
  EXPECT_FALSE(store.HasApp(u"Formation", u"ListCount"));
  EXPECT_EQ(store.App(u"", u"SaveVariable"), V::Long(0));
  // Switching off when it was already off deletes nothing.
  store.App(u"Variable", u"A") = V::Double(1);
  ApplyOptions({}, fx, store, kRun, kPath, fx.report);
  EXPECT_TRUE(store.HasApp(u"Variable", u"A"));
  // A damaged count still lets every saved entry go.
  store.App(u"", u"SaveFormation") = V::Boolean(true);
  store.App(u"Formation", u"ListCount") = V::String(u"broken");
  store.App(u"Formation", u"00") = store.App(u"Formation", u"01") = V::String(u"1");
  ApplyOptions({}, fx, store, kRun, kPath, fx.report);
  EXPECT_FALSE(store.HasApp(u"Formation", u"00") || store.HasApp(u"Formation", u"01"));
}

// ---- kills ----

// Each change runs whole once, to count its writes, then is killed after each of them: the next
// start must find the values from before the change or from after it, exactly.
TEST(SettingsKill, EveryWriteLeavesTheOldValuesOrTheNew) {
  MemorySettings old;
  old.failing_roots = {kHkeyLocalMachine};  // the start-up entry goes to the user's list
  old.App(u"", u"SaveVariable") = old.App(u"", u"SaveFormation") = V::Boolean(true);
  Settings now{.left = 600, .top = 300, .history = {u"f0", u"f1", u"f2", u"f3"}};
  now.registers[0] = 1;
  WriteSettings(old, now, kAllParts);
  now.left = 900, now.top = 1200, now.unit_convert = true, now.registers[1] = 4242;
  now.history.insert(now.history.begin(), u"mem(1,4242)+1/0");
  now.results = {{u"mem(1,4242)+1/0", u"0 で除算しました。", u""}};
  FakeEffects fx;
  const std::pair<const char*, std::function<void(SettingsStore&)>> changes[] = {
      {"calculation",
       [&](SettingsStore& s) { WriteSettings(s, now, kRegistersPart | kHistoryPart); }},
      {"options",
       [&](SettingsStore& s) { ApplyOptions({.tray = true}, fx, s, kRun, kPath, fx.report); }},
      {"start-up",
       [&](SettingsStore& s) {
         ApplyOptions({.tray = true, .startup = true}, fx, s, kRun, kPath, fx.report);
       }},
      {"move", [&](SettingsStore& s) { WriteSettings(s, now, kPositionPart); }},
      {"exit", [&](SettingsStore& s) { WriteSettings(s, now, kAllParts); }},
  };
  for (const auto& [name, change] : changes) {
    MemorySettings whole = old;
    whole.writes = 0;
    change(whole);
    ASSERT_NE(whole.values, old.values) << name;
    for (int n = 0; n < whole.writes; ++n) {
      MemorySettings killed = old;
      killed.writes_left = n;
      try {
        change(killed);
      } catch (const NumberedError&) {
      }
      killed.writes_left = -1;
      LoadAtStart(killed, kRun, kPath);
      EXPECT_TRUE(killed.values == old.values || killed.values == whole.values)
          << name << " killed after write " << n << " of " << whole.writes;
    }
  }
}

}  // namespace
}  // namespace tly
