// The program's side of the settings library: a Registry object of Kolo_Reg.dll, created by
// its class identifier and called through _Registry's table of functions. Every failure of
// the library is raised as tly::NumberedError(335); whether the object can be created at all
// is answered by Create, so the program can run without settings.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "com_owners.h"
#include "kolo_reg_interface.h"

namespace tly {

class RegistryClient {
 public:
  // A new Registry object; nullopt when the class cannot be created (not registered, DLL
  // missing), with the reason in `reason` when it is given. COM must be initialised.
  static std::optional<RegistryClient> Create(HRESULT* reason = nullptr);

  RegistryClient(RegistryClient&&) noexcept = default;
  RegistryClient& operator=(RegistryClient&&) noexcept = default;

  void SetCompanyName(std::wstring_view name);
  void SetAppName(std::wstring_view name);
  void SetDefaultSection(bool on);
  // One of the predefined roots, as RootKeyConstans numbers them.
  void SetRootKey(std::uint32_t root);

  // The library's methods, as they are.
  kolo::UniqueVariant GetValue(std::wstring_view section, std::wstring_view key,
                               const VARIANT& default_value) const;
  void SetValue(std::wstring_view section, std::wstring_view key, const VARIANT& value);
  // An empty key deletes the section's key itself.
  void DeleteValue(std::wstring_view section, std::wstring_view key);

 private:
  explicit RegistryClient(kolo::ComPtr<_Registry> object) : object_(std::move(object)) {}

  kolo::ComPtr<_Registry> object_;
};

}  // namespace tly
