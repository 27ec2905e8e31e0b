// The program's side of the settings library: a Registry object of Kolo_Reg.dll, created by
// its class identifier and called through _Registry's table of functions. Every failure of
// the library is raised as tly::NumberedError(335); whether the object can be created at all
// is answered by Create, so the program can run without settings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "com_owners.h"
#include "kolo_reg_interface.h"

namespace tly {

// RootKeyConstans: the predefined registry roots.
enum class RegistryRoot : std::uint32_t {
  kClassesRoot = 0x80000000u,
  kCurrentUser = 0x80000001u,
  kLocalMachine = 0x80000002u,
  kUsers = 0x80000003u,
  kPerformanceData = 0x80000004u,
  kCurrentConfig = 0x80000005u,
  kDynData = 0x80000006u,
};

class RegistryClient {
 public:
  // A new Registry object; nullopt when the class cannot be created (not registered, DLL
  // missing), with the reason in `reason` when it is given. COM must be initialised.
  static std::optional<RegistryClient> Create(HRESULT* reason = nullptr);

  RegistryClient(RegistryClient&&) noexcept = default;
  RegistryClient& operator=(RegistryClient&&) noexcept = default;

  std::wstring CompanyName() const;
  void SetCompanyName(std::wstring_view name);
  std::wstring AppName() const;
  void SetAppName(std::wstring_view name);
  bool DefaultSection() const;
  void SetDefaultSection(bool on);
  RegistryRoot RootKey() const;
  void SetRootKey(RegistryRoot root);

  // The library's four methods, as they are.
  kolo::UniqueVariant GetValue(std::wstring_view section, std::wstring_view key,
                               const VARIANT& default_value) const;
  void SetValue(std::wstring_view section, std::wstring_view key, const VARIANT& value);
  // An empty key deletes the section's key itself.
  void DeleteValue(std::wstring_view section, std::wstring_view key = {});
  // The variant holding GetAllValues' 2-D array.
  kolo::UniqueVariant GetAllValues(std::wstring_view section) const;

  // Typed reads: the stored value converted to the type, or `fallback` when it is missing or
  // cannot be converted (a string where a number is wanted).
  std::int32_t GetLong(std::wstring_view section, std::wstring_view key,
                       std::int32_t fallback) const;
  std::int16_t GetInteger(std::wstring_view section, std::wstring_view key,
                          std::int16_t fallback) const;
  bool GetBoolean(std::wstring_view section, std::wstring_view key, bool fallback) const;
  double GetDouble(std::wstring_view section, std::wstring_view key, double fallback) const;
  std::wstring GetString(std::wstring_view section, std::wstring_view key,
                         std::wstring_view fallback) const;
  // Typed writes, stored as the library stores that type.
  void SetLong(std::wstring_view section, std::wstring_view key, std::int32_t value);
  void SetInteger(std::wstring_view section, std::wstring_view key, std::int16_t value);
  void SetBoolean(std::wstring_view section, std::wstring_view key, bool value);
  void SetDouble(std::wstring_view section, std::wstring_view key, double value);
  void SetString(std::wstring_view section, std::wstring_view key, std::wstring_view value);
  // GetAllValues as (name, value) pairs in the registry's order.
  std::vector<std::pair<std::wstring, kolo::UniqueVariant>> ListValues(
      std::wstring_view section) const;

 private:
  explicit RegistryClient(kolo::ComPtr<_Registry> object) : object_(std::move(object)) {}
  kolo::UniqueVariant GetConverted(std::wstring_view section, std::wstring_view key,
                                   const VARIANT& fallback, VARTYPE type) const;

  kolo::ComPtr<_Registry> object_;
};

}  // namespace tly
