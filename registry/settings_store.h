// What a Registry object does, apart from COM: its state, the key path, the value mapping, and
// the four registry operations. Every failure throws RegistryFailure; the interface turns it
// into error 335. Names and text go to the registry as UTF-16, through the W functions.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com_owners.h"
#include "kolo_reg_interface.h"

namespace kolo {

struct RegistryFailure {};
[[noreturn]] inline void Fail() { throw RegistryFailure{}; }

// The state of one Registry object.
class Settings {
 public:
  std::wstring company_name;
  std::wstring app_name;

  RootKeyConstans root_key() const { return root_key_; }
  bool default_section() const { return default_section_; }
  // Below the program's own key the root is always HKEY_CURRENT_USER.
  void set_default_section(bool on) {
    default_section_ = on;
    if (on) root_key_ = kCurrentUser;
  }
  void set_root_key(RootKeyConstans root) {
    if (!default_section_) root_key_ = root;
  }

 private:
  RootKeyConstans root_key_ = kCurrentUser;
  bool default_section_ = true;
};

// Where a section lives: a predefined root and a path below it.
struct KeyPath {
  HKEY root;
  std::wstring path;
};

// The path check every method starts with, then the path itself.
KeyPath ResolvePath(const Settings& settings, std::wstring_view section);

// A value as the registry holds it.
struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// Reads a value whose size was just queried. Another writer may change it in between: a value
// that grew reports its new size and is read again, so the buffer always fits what is read; a
// value that was deleted meanwhile gives nullopt, as if it had never been there.
// `query(type, buffer, size)` is RegQueryValueExW for one value of one open key.
template <typename Query>
std::optional<RawValue> ReadRaw(Query&& query, DWORD size) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    RawValue value;
    value.data.resize(size == 0 ? 1 : size);
    DWORD read = static_cast<DWORD>(value.data.size());
    LONG status = query(&value.type, value.data.data(), &read);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (status == ERROR_MORE_DATA) {
      size = read;
      continue;
    }
    if (status != ERROR_SUCCESS || read > value.data.size()) Fail();
    value.data.resize(read);
    return value;
  }
  Fail();
}

// The value mapping: registry value -> variant, and variant (already dereferenced) -> value.
// `as_string` writes every type by its string form (the key's unnamed value).
UniqueVariant ToVariant(const RawValue& value);
RawValue FromVariant(const VARIANT& value, bool as_string);

// The four operations of the interface. `fallback` is GetValue's DefaultValue.
UniqueVariant GetValue(const Settings& settings, std::wstring_view section,
                       std::wstring_view key_name, const VARIANT& fallback);
void SetValue(const Settings& settings, std::wstring_view section, std::wstring_view key_name,
              const VARIANT& data);
void DeleteValue(const Settings& settings, std::wstring_view section, std::wstring_view key_name);
// A 2-D array of variants (0 to n - 1, 0 to 1): value names and values, each name with a
// value it held while the key was listed.
UniqueVariant GetAllValues(const Settings& settings, std::wstring_view section);

}  // namespace kolo
