#include "kolo_reg_client.h"

#include "kolo_reg_interface.h"
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

std::wstring FromBstr(const kolo::UniqueBstr& text) {
  return text ? std::wstring(text.get(), SysStringLen(text.get())) : std::wstring();
}

kolo::UniqueVariant Number(VARTYPE type, double value) {
  kolo::UniqueVariant out;
  VARIANT* v = out.put();
  V_VT(v) = VT_R8;
  V_R8(v) = value;
  if (type != VT_R8) Check(VariantChangeType(v, v, 0, type));
  return out;
}

kolo::UniqueVariant String(std::wstring_view text) {
  kolo::UniqueVariant out;
  VARIANT* v = out.put();
  V_VT(v) = VT_BSTR;
  V_BSTR(v) = MakeBstr(text).release();
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

std::wstring RegistryClient::CompanyName() const {
  kolo::UniqueBstr name;
  Check(object_->get_CompanyName(name.put()));
  return FromBstr(name);
}

void RegistryClient::SetCompanyName(std::wstring_view name) {
  Check(object_->put_CompanyName(MakeBstr(name).get()));
}

std::wstring RegistryClient::AppName() const {
  kolo::UniqueBstr name;
  Check(object_->get_AppName(name.put()));
  return FromBstr(name);
}

void RegistryClient::SetAppName(std::wstring_view name) {
  Check(object_->put_AppName(MakeBstr(name).get()));
}

bool RegistryClient::DefaultSection() const {
  VARIANT_BOOL on = VARIANT_FALSE;
  Check(object_->get_DefaultSection(&on));
  return on != VARIANT_FALSE;
}

void RegistryClient::SetDefaultSection(bool on) {
  Check(object_->put_DefaultSection(on ? VARIANT_TRUE : VARIANT_FALSE));
}

RegistryRoot RegistryClient::RootKey() const {
  RootKeyConstans root{};
  Check(object_->get_RootKey(&root));
  return static_cast<RegistryRoot>(root);
}

void RegistryClient::SetRootKey(RegistryRoot root) {
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

kolo::UniqueVariant RegistryClient::GetAllValues(std::wstring_view section) const {
  kolo::UniqueBstr section_arg = MakeBstr(section);
  kolo::UniqueVariant values;
  Check(object_->GetAllValues(section_arg.addressof(), values.put()));
  return values;
}

kolo::UniqueVariant RegistryClient::GetConverted(std::wstring_view section, std::wstring_view key,
                                                 const VARIANT& fallback, VARTYPE type) const {
  kolo::UniqueVariant value = GetValue(section, key, fallback);
  kolo::UniqueVariant converted;
  if (FAILED(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value.get()), 0, type))) {
    Check(VariantCopy(converted.put(), const_cast<VARIANT*>(&fallback)));
  }
  return converted;
}

std::int32_t RegistryClient::GetLong(std::wstring_view section, std::wstring_view key,
                                     std::int32_t fallback) const {
  return V_I4(&GetConverted(section, key, Number(VT_I4, fallback).get(), VT_I4).get());
}

std::int16_t RegistryClient::GetInteger(std::wstring_view section, std::wstring_view key,
                                        std::int16_t fallback) const {
  return V_I2(&GetConverted(section, key, Number(VT_I2, fallback).get(), VT_I2).get());
}

bool RegistryClient::GetBoolean(std::wstring_view section, std::wstring_view key,
                                bool fallback) const {
  return V_BOOL(&GetConverted(section, key, Number(VT_BOOL, fallback ? -1 : 0).get(), VT_BOOL)
                     .get()) != VARIANT_FALSE;
}

double RegistryClient::GetDouble(std::wstring_view section, std::wstring_view key,
                                 double fallback) const {
  return V_R8(&GetConverted(section, key, Number(VT_R8, fallback).get(), VT_R8).get());
}

std::wstring RegistryClient::GetString(std::wstring_view section, std::wstring_view key,
                                       std::wstring_view fallback) const {
  kolo::UniqueVariant value = GetConverted(section, key, String(fallback).get(), VT_BSTR);
  BSTR text = V_BSTR(&value.get());
  return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

void RegistryClient::SetLong(std::wstring_view section, std::wstring_view key, std::int32_t value) {
  SetValue(section, key, Number(VT_I4, value).get());
}

void RegistryClient::SetInteger(std::wstring_view section, std::wstring_view key,
                                std::int16_t value) {
  SetValue(section, key, Number(VT_I2, value).get());
}

void RegistryClient::SetBoolean(std::wstring_view section, std::wstring_view key, bool value) {
  SetValue(section, key, Number(VT_BOOL, value ? -1 : 0).get());
}

void RegistryClient::SetDouble(std::wstring_view section, std::wstring_view key, double value) {
  SetValue(section, key, Number(VT_R8, value).get());
}

void RegistryClient::SetString(std::wstring_view section, std::wstring_view key,
                               std::wstring_view value) {
  SetValue(section, key, String(value).get());
}

std::vector<std::pair<std::wstring, kolo::UniqueVariant>> RegistryClient::ListValues(
    std::wstring_view section) const {
  kolo::UniqueVariant all = GetAllValues(section);
  if (V_VT(&all.get()) != (VT_ARRAY | VT_VARIANT)) throw NumberedError(err::kRegistry);
  SAFEARRAY* array = V_ARRAY(&all.get());
  LONG last = -1;
  Check(SafeArrayGetUBound(array, 1, &last));
  std::vector<std::pair<std::wstring, kolo::UniqueVariant>> out;
  for (LONG i = 0; i <= last; ++i) {
    LONG index[2] = {i, 0};
    kolo::UniqueVariant name;
    kolo::UniqueVariant value;
    Check(SafeArrayGetElement(array, index, name.put()));
    index[1] = 1;
    Check(SafeArrayGetElement(array, index, value.put()));
    BSTR text = V_VT(&name.get()) == VT_BSTR ? V_BSTR(&name.get()) : nullptr;
    out.emplace_back(text ? std::wstring(text, SysStringLen(text)) : std::wstring(),
                     std::move(value));
  }
  return out;
}

}  // namespace tly
