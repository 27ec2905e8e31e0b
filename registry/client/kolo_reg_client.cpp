#include "kolo_reg_client.h"

#include "numbered_error.h"

namespace tly {
namespace {

void Check(HRESULT hr) {
  if (FAILED(hr)) throw NumberedError(err::kRegistry);
}

kolo::UniqueBstr MakeBstr(std::wstring_view text) {
  kolo::UniqueBstr out(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  if (!out) throw NumberedError(err::kRegistry);
  return out;
}

}  // namespace

std::optional<RegistryClient> RegistryClient::Create(HRESULT* reason) {
  kolo::ComPtr<_Registry> object;
  HRESULT hr = CoCreateInstance(__uuidof(Registry), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(_Registry), object.put_void());
  if (reason) *reason = hr;
  if (FAILED(hr)) return std::nullopt;
  return RegistryClient(std::move(object));
}

void RegistryClient::SetCompanyName(std::wstring_view name) {
  Check(object_->put_CompanyName(MakeBstr(name).get()));
}

void RegistryClient::SetAppName(std::wstring_view name) {
  Check(object_->put_AppName(MakeBstr(name).get()));
}

void RegistryClient::SetDefaultSection(bool on) {
  Check(object_->put_DefaultSection(on ? VARIANT_TRUE : VARIANT_FALSE));
}

void RegistryClient::SetRootKey(std::uint32_t root) {
  Check(object_->put_RootKey(static_cast<RootKeyConstans>(root)));
}

// The library takes its arguments by reference and may write to them; the copies are ours.
kolo::UniqueVariant RegistryClient::GetValue(std::wstring_view section, std::wstring_view key,
                                             const VARIANT& default_value) const {
  kolo::UniqueBstr section_arg = MakeBstr(section);
  kolo::UniqueBstr key_arg = MakeBstr(key);
  kolo::UniqueVariant default_arg;
  Check(VariantCopy(default_arg.put(), const_cast<VARIANT*>(&default_value)));
  kolo::UniqueVariant value;
  Check(object_->GetValue(section_arg.addressof(), key_arg.addressof(), default_arg.addressof(),
                          value.put()));
  return value;
}

void RegistryClient::SetValue(std::wstring_view section, std::wstring_view key,
                              const VARIANT& value) {
  kolo::UniqueBstr section_arg = MakeBstr(section);
  kolo::UniqueBstr key_arg = MakeBstr(key);
  kolo::UniqueVariant value_arg;
  Check(VariantCopy(value_arg.put(), const_cast<VARIANT*>(&value)));
  Check(object_->SetValue(section_arg.addressof(), key_arg.addressof(), value_arg.addressof()));
}

void RegistryClient::DeleteValue(std::wstring_view section, std::wstring_view key) {
  kolo::UniqueBstr section_arg = MakeBstr(section);
  kolo::UniqueBstr key_arg = MakeBstr(key);
  Check(object_->DeleteValue(section_arg.addressof(), key_arg.addressof()));
}

}  // namespace tly
