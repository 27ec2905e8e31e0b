// A settings store in memory with the registry's types: integers and booleans come back as
// 32-bit Longs, as the settings library reads them. It keeps the names written, in order, and
// can be told to fail writes below a root, or every write after a number of them.
#pragma once

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "numbered_error.h"
#include "settings.h"

namespace tly::testing {

class MemorySettings : public SettingsStore {
 public:
  using Key = std::tuple<std::uint32_t, std::u16string, std::u16string>;  // root, path, name

  void SetDefaultSection(bool on) override { default_section_ = on; }
  void SetRootKey(std::uint32_t root) override { root_ = root; }  // used outside the default
  SettingValue Get(std::u16string_view section, std::u16string_view name,
                   const SettingValue& default_value) override {
    auto it = values.find(KeyOf(section, name));
    return it == values.end() ? default_value : it->second;
  }
  void Set(std::u16string_view section, std::u16string_view name,
           const SettingValue& value) override {
    Count();
    written.push_back(std::u16string(section).append(u"/").append(name));
    Key key = KeyOf(section, name);
    // Writes fail below a refused root, except to the program's own key.
    if (failing_roots.count(std::get<0>(key)) && std::get<1>(key) != AppPath(u""))
      Raise(err::kRegistry);
    values[key] = Stored(value);
  }
  void Delete(std::u16string_view section, std::u16string_view name) override {
    Count();
    if (values.erase(KeyOf(section, name)) == 0) Raise(err::kRegistry);
  }

  // The program's own key, as the main window and the Options dialog address it.
  SettingValue& App(std::u16string_view section, std::u16string_view name) {
    return values[{kHkeyCurrentUser, AppPath(section), std::u16string(name)}];
  }
  bool HasApp(std::u16string_view section, std::u16string_view name) {
    return values.count({kHkeyCurrentUser, AppPath(section), std::u16string(name)}) != 0;
  }
  static std::u16string AppPath(std::u16string_view section) {
    std::u16string path = u"Software\\Quessel Works\\Tallyra";
    if (!section.empty()) path.append(u"\\").append(section);
    return path;
  }

  std::map<Key, SettingValue> values;
  std::set<std::uint32_t> failing_roots;  // writes outside the program's key fail there
  std::vector<std::u16string> written;    // "section/name"
  int writes = 0;                         // sets and deletes
  int writes_left = -1;  // when not negative: after so many sets and deletes, all fail (a kill)

 private:
  void Count() {
    if (writes_left == 0) Raise(err::kRegistry);
    if (writes_left > 0) --writes_left;
    ++writes;
  }
  Key KeyOf(std::u16string_view section, std::u16string_view name) const {
    if (!default_section_) return {root_, std::u16string(section), std::u16string(name)};
    return {kHkeyCurrentUser, AppPath(section), std::u16string(name)};
  }
  static SettingValue Stored(const SettingValue& v) {
    using T = SettingValue::Type;
    if (v.type == T::kInteger || v.type == T::kBoolean) return SettingValue::Long(int(v.number));
    return v;
  }
  bool default_section_ = true;
  std::uint32_t root_ = kHkeyCurrentUser;
};

// Hands out a store that forwards to one long-lived MemorySettings, as each settings object of
// the program reaches the same registry.
class SharedSettings : public SettingsStore {
 public:
  explicit SharedSettings(MemorySettings& target) : target_(target) {}
  void SetDefaultSection(bool on) override { target_.SetDefaultSection(on); }
  void SetRootKey(std::uint32_t root) override { target_.SetRootKey(root); }
  SettingValue Get(std::u16string_view section, std::u16string_view name,
                   const SettingValue& d) override {
    return target_.Get(section, name, d);
  }
  void Set(std::u16string_view section, std::u16string_view name,
           const SettingValue& value) override {
    target_.Set(section, name, value);
  }
  void Delete(std::u16string_view section, std::u16string_view name) override {
    target_.Delete(section, name);
  }

 private:
  MemorySettings& target_;
};

}  // namespace tly::testing
