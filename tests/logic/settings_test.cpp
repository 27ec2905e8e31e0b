#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <set>

#include "memory_settings.h"
#include "settings.h"

namespace tly {
namespace {

using testing::MemorySettings;
using V = SettingValue;

// What the main window saves and loads through the window is checked there; here what it
// seldom meets: a position left of and above the screen, the tray options, a stale entry.
TEST(SettingsTable, RoundTripThroughUnloadAndLoad) {
  MemorySettings store;
  store.App(u"", u"SaveFormation") = V::Boolean(true);
  store.App(u"Formation", u"05") = V::String(u"old");
  const WindowSettings out{.left = -1500,
                           .top = -300,
                           .task_tray = true,
                           .close_button = true,
                           .history = {u"x+1", u"sin(1)", u"1+2"}};
  WriteWindowSettings(store, out, kAllParts);
  EXPECT_EQ(store.App(u"Formation", u"05"), V::String(u"old"));  // unload deletes no entry
  const StartupSettings in = ReadStartupSettings(store);
  EXPECT_EQ(in.left, -1500);
  EXPECT_EQ(in.top, -300);
  EXPECT_TRUE(in.task_tray && in.close_button);
  EXPECT_EQ(in.history, out.history);
}

TEST(SettingsTable, RegistersAndHistoryAreSavedOnlyWhenAskedAndAtMost100) {
  MemorySettings store;
  WindowSettings out;
  out.registers[0] = 5;
  for (int i = 0; i < 150; ++i) out.history.push_back(std::u16string(u"f").append(HistoryKey(i)));
  WriteWindowSettings(store, out, kAllParts);
  EXPECT_FALSE(store.HasApp(u"Variable", u"A") || store.HasApp(u"Formation", u"ListCount"));
  // Registers are read at load whatever the saving option says.
  store.App(u"Variable", u"B") = V::Double(7);
  EXPECT_EQ(ReadStartupSettings(store).registers[1], 7);

  store.App(u"", u"SaveFormation") = V::Boolean(true);
  WriteWindowSettings(store, out, kHistoryPart);
  EXPECT_EQ(store.App(u"Formation", u"ListCount"), V::Long(100));
  EXPECT_EQ(store.App(u"Formation", u"99"), V::String(u"f99"));
  EXPECT_FALSE(store.HasApp(u"Formation", u"100"));
}

TEST(SettingsTable, EachChangeWritesItsPartOnlyAndEntriesBeforeTheCount) {
  MemorySettings store;
  store.App(u"", u"SaveVariable") = V::Boolean(true);
  store.App(u"", u"SaveFormation") = V::Boolean(true);
  WindowSettings out{.left = 30, .history = {u"2", u"1"}};
  WriteWindowSettings(store, out, kRegistersPart | kHistoryPart);
  EXPECT_FALSE(store.HasApp(u"", u"Left") || store.HasApp(u"", u"UnitConvert") ||
               store.HasApp(u"", u"TaskTray"));
  EXPECT_TRUE(store.HasApp(u"Variable", u"Z"));
  // No count ever names an entry that is not written yet.
  EXPECT_EQ(store.written.back(), u"Formation/ListCount");
  WriteWindowSettings(store, out, kPositionPart);
  EXPECT_EQ(store.App(u"", u"Left"), V::Long(30));
  EXPECT_FALSE(store.HasApp(u"", u"Unit"));
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
    EXPECT_EQ(ReadStartupSettings(store).history, c.history) << c.count.number;
  }
  // Saved back, they are consecutive and counted.
  WriteWindowSettings(store, {.history = all}, kHistoryPart);
  EXPECT_EQ(store.App(u"Formation", u"ListCount"), V::Long(5));
  EXPECT_EQ(ReadStartupSettings(store).history, all);
  // A count above 100 with all 100 there reads 100.
  for (int i = 0; i < 100; ++i) store.App(u"Formation", HistoryKey(i)) = V::String(u"f");
  store.App(u"Formation", u"ListCount") = V::Long(150);
  EXPECT_EQ(ReadStartupSettings(store).history.size(), 100u);
}

TEST(SettingsTable, CorruptedValuesGiveTheDefaults) {
  MemorySettings store;
  store.App(u"", u"Top") = V::Double(12.5);
  store.App(u"", u"UnitConvert") = V::String(u"yes");
  store.App(u"", u"TaskTray") = V::Empty();  // a value of a type the library does not read
  store.App(u"Variable", u"A") = V::Double(std::numeric_limits<double>::quiet_NaN());
  store.App(u"Variable", u"B") = V::Long(42);
  store.App(u"", u"PendingWrites") = V::String(u"D8:Variable1:B1:5");  // a batch cut short
  const StartupSettings s = ReadStartupSettings(store);
  EXPECT_FALSE(store.HasApp(u"", u"PendingWrites"));
  EXPECT_FALSE(s.top || s.unit_convert || s.task_tray);
  EXPECT_EQ(s.registers[0], 0);
  EXPECT_EQ(s.registers[1], 42);
}

TEST(WindowExtras, MissingOrDamagedValuesKeepTodaysWindow) {
  const struct {
    V top_most, hot_key, width;
    bool want_top_most;
    std::uint32_t want_hot_key;
    std::optional<std::int32_t> want_width;
  } cases[] = {
      {V::Empty(), V::Empty(), V::Empty(), false, 0, std::nullopt},
      {V::Boolean(true), V::Long(0x0241), V::Long(6000), true, 0x0241, 6000},  // Ctrl+A
      {V::String(u"yes"), V::String(u"577"), V::Double(4500.5), false, 0, std::nullopt},
      {V::Long(-1), V::Long(0x10041), V::Long(-5), true, 0, std::nullopt},  // flags out of range
      {V::Long(0), V::Long(0x0200), V::Long(0), false, 0, std::nullopt},    // Ctrl, no key
  };
  for (const auto& c : cases) {
    MemorySettings store;
    store.App(u"", u"TopMost") = c.top_most;
    store.App(u"", u"HotKey") = c.hot_key;
    store.App(u"", u"Width") = c.width;
    const WindowExtras e = ReadWindowExtras(store);
    EXPECT_EQ(e.top_most, c.want_top_most) << c.hot_key.number;
    EXPECT_EQ(e.hot_key, c.want_hot_key) << c.hot_key.number;
    EXPECT_EQ(e.width, c.want_width) << c.width.number;
  }
}

TEST(WindowExtras, HotKeyFlagsBecomeRegisterHotKeyModifiers) {
  const struct {
    std::uint32_t key, modifiers;
  } cases[] = {{0x0041, 0}, {0x0141, 4}, {0x0241, 2}, {0x0441, 1}, {0x0770, 7}, {0x0870, 0}};
  for (const auto& c : cases) EXPECT_EQ(HotKeyModifiers(c.key), c.modifiers) << c.key;
}

// ---- the Options dialog's OK ----

// The window's side of tray mode is checked on the window itself.
struct FakeEffects : OptionEffects {
  bool tray = false;
  int failures = 0;
  bool ShowInTaskTray() override { return tray; }
  void SetShowInTaskTray(bool on) override { tray = on; }
  void SetCloseButtonMinimized(bool) override {}
  void AddTrayIcon() override {}
  void DeleteTrayIcon() override {}
  void UpdateSystemMenu() override {}
  void ReportStartupFailure() override { ++failures; }
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
  ApplyOptions(c, fx, store, kRun, kPath);
  EXPECT_EQ(store.App(u"", u"Minimized"), V::Long(-1));
  c.tray = false;
  ApplyOptions(c, fx, store, kRun, kPath);
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
    ApplyOptions({.tray = true, .startup = true, .save_history = true}, fx, store, kRun, kPath);
    EXPECT_EQ(store.App(u"", u"hKeyStartUp"), V::Long(static_cast<std::int32_t>(c.root)));
    EXPECT_EQ(store.values.count(RunEntry(kHkeyLocalMachine)),
              c.root == kHkeyLocalMachine ? 1u : 0u);
    // An older entry under the user is kept unless the user's entry is the one written.
    EXPECT_EQ(store.values[RunEntry(kHkeyCurrentUser)],
              V::String(c.root == kHkeyCurrentUser ? kPath : u"older"));
    // A failure is reported; the other options are still applied, to the program's own key.
    EXPECT_EQ(fx.failures, c.root ? 0 : 1) << c.root;
    EXPECT_TRUE(ReadOptionSettings(store).save_history);
    // Unregistering deletes the entry under the root that was recorded.
    ApplyOptions({.tray = true}, fx, store, kRun, kPath);
    EXPECT_EQ(store.values.count(RunEntry(kHkeyLocalMachine)), 0u);
    EXPECT_EQ(store.values.count(RunEntry(kHkeyCurrentUser)), c.root == kHkeyCurrentUser ? 0u : 1u);
    EXPECT_EQ(store.App(u"", u"hKeyStartUp"), V::Long(0));
  }
}

TEST(OptionsOk, SwitchingSavingOffDeletesWhatWasSaved) {
  MemorySettings store;
  store.App(u"", u"SaveVariable") = V::Boolean(true);
  store.App(u"", u"SaveFormation") = V::Boolean(true);
  const std::pair<const char16_t*, const char16_t*> saved[] = {
      {u"Variable", u"A"}, {u"Variable", u"Z"}, {u"Formation", u"00"}, {u"Formation", u"01"}};
  for (auto [section, name] : saved) store.App(section, name) = V::String(u"1");
  store.App(u"Formation", u"ListCount") = V::Long(2);
  FakeEffects fx;
  ApplyOptions({}, fx, store, kRun, kPath);  // both switched off; missing ones are skipped
  for (auto [section, name] : saved) EXPECT_FALSE(store.HasApp(section, name));
  EXPECT_FALSE(store.HasApp(u"Formation", u"ListCount"));
  EXPECT_EQ(store.App(u"", u"SaveVariable"), V::Long(0));
  // Switching off when it was already off deletes nothing.
  store.App(u"Variable", u"A") = V::Double(1);
  ApplyOptions({}, fx, store, kRun, kPath);
  EXPECT_TRUE(store.HasApp(u"Variable", u"A"));
  // A damaged count still lets every saved entry go.
  store.App(u"", u"SaveFormation") = V::Boolean(true);
  store.App(u"Formation", u"ListCount") = V::String(u"broken");
  store.App(u"Formation", u"00") = store.App(u"Formation", u"01") = V::String(u"1");
  ApplyOptions({}, fx, store, kRun, kPath);
  EXPECT_FALSE(store.HasApp(u"Formation", u"00") || store.HasApp(u"Formation", u"01"));
}

// ---- kills ----

// Each change runs whole once, to count its writes, then is killed after each of them: the next
// start must find the values from before the change or from after it, exactly.
TEST(SettingsKill, EveryWriteLeavesTheOldValuesOrTheNew) {
  MemorySettings old;
  old.App(u"", u"SaveVariable") = old.App(u"", u"SaveFormation") = V::Boolean(true);
  WindowSettings now{.left = 600, .top = 300, .history = {u"f0", u"f1", u"f2", u"f3"}};
  now.registers[0] = 1;
  WriteWindowSettings(old, now, kAllParts);
  now.left = 900, now.top = 1200, now.unit_convert = true, now.registers[1] = 4242;
  now.history.insert(now.history.begin(), u"mem(1,4242)+1/0");
  FakeEffects fx;
  const std::pair<const char*, std::function<void(SettingsStore&)>> changes[] = {
      {"calculation",
       [&](SettingsStore& s) { WriteWindowSettings(s, now, kRegistersPart | kHistoryPart); }},
      {"options", [&](SettingsStore& s) { ApplyOptions({.tray = true}, fx, s, kRun, kPath); }},
      {"move", [&](SettingsStore& s) { WriteWindowSettings(s, now, kPositionPart); }},
      {"exit", [&](SettingsStore& s) { WriteWindowSettings(s, now, kAllParts); }},
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
      ReadStartupSettings(killed);
      EXPECT_TRUE(killed.values == old.values || killed.values == whole.values)
          << name << " killed after write " << n << " of " << whole.writes;
    }
  }
}

}  // namespace
}  // namespace tly
