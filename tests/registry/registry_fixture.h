// What the client tests share: a Registry object created by CLSID, calls through _Registry,
// raw reads of what the library wrote, and scratch keys that are removed afterwards. The
// scratch names carry the process id, so the runs in two locales never meet.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com_owners.h"
#include "kolo_reg_interface.h"

namespace kolo::testing {

inline constexpr HRESULT kError335 = static_cast<HRESULT>(0x800A014FL);

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    company_ = L"Tallyra Test " + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(CoCreateInstance(__uuidof(Registry), nullptr, CLSCTX_INPROC_SERVER,
                               __uuidof(_Registry), registry_.put_void()),
              S_OK);
    SetNames(company_, L"B");
  }
  void TearDown() override {
    registry_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + company_).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, company_.c_str());
    CoUninitialize();
  }

  void SetNames(const std::wstring& company, const std::wstring& app) {
    ASSERT_EQ(registry_->put_CompanyName(Bstr(company).get()), S_OK);
    ASSERT_EQ(registry_->put_AppName(Bstr(app).get()), S_OK);
  }
  // The application key below HKEY_CURRENT_USER, with a section.
  std::wstring AppKey(const std::wstring& section = L"") const {
    return L"Software\\" + company_ + L"\\B" + (section.empty() ? L"" : L"\\" + section);
  }

  static UniqueBstr Bstr(const std::wstring& text) {
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  }

  HRESULT Get(const std::wstring& section, const std::wstring& key, VARIANT* fallback,
              UniqueVariant& out) {
    UniqueBstr s = Bstr(section), k = Bstr(key);
    return registry_->GetValue(s.addressof(), k.addressof(), fallback, out.put());
  }
  UniqueVariant Get(const std::wstring& section, const std::wstring& key) {
    UniqueVariant omitted;
    V_VT(omitted.put()) = VT_ERROR;
    V_ERROR(omitted.addressof()) = DISP_E_PARAMNOTFOUND;
    UniqueVariant out;
    EXPECT_EQ(Get(section, key, omitted.addressof(), out), S_OK) << section << "/" << key;
    return out;
  }
  HRESULT Set(const std::wstring& section, const std::wstring& key, const VARIANT& value) {
    UniqueBstr s = Bstr(section), k = Bstr(key);
    UniqueVariant v;
    VariantCopy(v.put(), const_cast<VARIANT*>(&value));
    return registry_->SetValue(s.addressof(), k.addressof(), v.addressof());
  }
  HRESULT Delete(const std::wstring& section, const std::wstring& key) {
    UniqueBstr s = Bstr(section), k = Bstr(key);
    return registry_->DeleteValue(s.addressof(), k.addressof());
  }
  HRESULT GetAll(const std::wstring& section, UniqueVariant& out) {
    UniqueBstr s = Bstr(section);
    return registry_->GetAllValues(s.addressof(), out.put());
  }

  // A value as RegQueryValueExA reads it.
  struct Raw {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
  };
  static Raw ReadRaw(HKEY root, const std::wstring& path, const std::string& ansi_name) {
    Raw raw;
    UniqueHkey key;
    raw.status = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put());
    if (raw.status != ERROR_SUCCESS) return raw;
    DWORD size = 0;
    raw.status = RegQueryValueExA(key.get(), ansi_name.c_str(), nullptr, &raw.type, nullptr, &size);
    if (raw.status != ERROR_SUCCESS) return raw;
    raw.bytes.resize(size);
    raw.status =
        RegQueryValueExA(key.get(), ansi_name.c_str(), nullptr, &raw.type, raw.bytes.data(), &size);
    raw.bytes.resize(size);
    return raw;
  }
  static void WriteRaw(const std::wstring& path, const std::string& ansi_name, DWORD type,
                       const std::vector<BYTE>& bytes) {
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), ansi_name.c_str(), 0, type, bytes.data(),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  static bool KeyExists(HKEY root, const std::wstring& path) {
    UniqueHkey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
  }

  std::wstring company_;
  ComPtr<_Registry> registry_;
};

inline UniqueVariant MakeVariant(VARTYPE type, double number) {
  UniqueVariant v;
  V_VT(v.put()) = VT_R8;
  V_R8(v.addressof()) = number;
  VariantChangeType(v.addressof(), v.addressof(), 0, type);
  return v;
}
inline UniqueVariant MakeString(const wchar_t* text) {
  UniqueVariant v;
  V_VT(v.put()) = VT_BSTR;
  V_BSTR(v.addressof()) = SysAllocString(text);
  return v;
}
inline UniqueVariant MakeBytes(const std::vector<BYTE>& bytes) {
  UniqueVariant v;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  void* data = nullptr;
  SafeArrayAccessData(array, &data);
  if (!bytes.empty()) memcpy(data, bytes.data(), bytes.size());
  SafeArrayUnaccessData(array);
  V_VT(v.put()) = VT_ARRAY | VT_UI1;
  V_ARRAY(v.addressof()) = array;
  return v;
}
inline std::vector<BYTE> BytesOf(const VARIANT& v) {
  SAFEARRAY* array = V_ARRAY(&v);
  void* data = nullptr;
  SafeArrayAccessData(array, &data);
  std::vector<BYTE> out(static_cast<const BYTE*>(data),
                        static_cast<const BYTE*>(data) + array->rgsabound[0].cElements);
  SafeArrayUnaccessData(array);
  return out;
}
template <typename T>
std::vector<BYTE> BytesOf(T value) {
  std::vector<BYTE> out(sizeof value);
  memcpy(out.data(), &value, sizeof value);
  return out;
}

}  // namespace kolo::testing
