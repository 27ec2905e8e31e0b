// What the Kolo_Reg tests share: a Registry object created by CLSID in this thread's apartment
// and called through _Registry, and a scratch key below HKCU\Software that is removed afterwards.
// Its name carries the process id, so the runs in two code pages never meet.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "com_owners.h"
#include "kolo_reg_interface.h"

namespace kolo::testing {

inline constexpr HRESULT kError335 = static_cast<HRESULT>(0x800A014FL);

inline UniqueVariant Number(VARTYPE type, double number) {
  UniqueVariant v;
  V_VT(v.put()) = VT_R8;
  V_R8(v.addressof()) = number;
  VariantChangeType(v.addressof(), v.addressof(), 0, type);
  return v;
}
inline UniqueVariant Text(std::wstring_view text) {
  UniqueVariant v;
  V_VT(v.put()) = VT_BSTR;
  V_BSTR(v.addressof()) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v;
}
inline UniqueVariant Bytes(const std::vector<BYTE>& bytes) {
  UniqueVariant v;
  V_VT(v.put()) = VT_ARRAY | VT_UI1;
  V_ARRAY(v.addressof()) = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!bytes.empty()) std::memcpy(V_ARRAY(v.addressof())->pvData, bytes.data(), bytes.size());
  return v;
}
inline std::wstring Hex(const void* data, std::size_t size) {
  std::wstring out;
  for (std::size_t i = 0; i < size; ++i) {
    wchar_t digits[3];
    swprintf(digits, 3, L"%02X", static_cast<const BYTE*>(data)[i]);
    out += digits;
  }
  return out;
}
// A variant as type and value: "I4:5", "BSTR:abc", "UI1[]:010203" (its bytes in hex); any other
// type as "VT<number>:" (Empty is "VT0:").
inline std::wstring Show(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_BSTR: return L"BSTR:" + std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
    case VT_I4: return L"I4:" + std::to_wstring(V_I4(&v));
    case VT_ARRAY | VT_UI1:
      return L"UI1[]:" + Hex(V_ARRAY(&v)->pvData, V_ARRAY(&v)->rgsabound[0].cElements);
    default: return L"VT" + std::to_wstring(V_VT(&v)) + L":";
  }
}
inline bool KeyExists(const std::wstring& path) {
  UniqueHkey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}
inline UniqueBstr Bstr(const std::wstring& text) {
  return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

class RegistryTest : public ::testing::Test {
 protected:
  explicit RegistryTest(DWORD apartment = COINIT_APARTMENTTHREADED) : apartment_(apartment) {}

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, apartment_)));
    company_ = L"Tallyra Test " + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(CoCreateInstance(__uuidof(Registry), nullptr, CLSCTX_INPROC_SERVER,
                               __uuidof(_Registry), registry_.put_void()),
              S_OK);
    registry_->put_CompanyName(Bstr(company_).get());
    registry_->put_AppName(Bstr(L"B").get());
  }
  void TearDown() override {
    registry_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + company_).c_str());
    CoUninitialize();
  }

  // The application key below HKEY_CURRENT_USER, or a section of it.
  std::wstring AppKey(const std::wstring& section = L"") const {
    return L"Software\\" + company_ + L"\\B" + (section.empty() ? L"" : L"\\" + section);
  }

  // GetValue as Show gives the value, or "335" for error 335 with nothing returned. DefaultValue
  // is left out as late-bound clients leave it out (DISP_E_PARAMNOTFOUND) unless it is given.
  std::wstring Get(const std::wstring& section, const std::wstring& key,
                   VARIANT* fallback = nullptr) {
    UniqueBstr s = Bstr(section), k = Bstr(key);
    UniqueVariant omitted, out;
    V_VT(omitted.put()) = VT_ERROR;
    V_ERROR(omitted.addressof()) = DISP_E_PARAMNOTFOUND;
    HRESULT hr = registry_->GetValue(s.addressof(), k.addressof(),
                                     fallback ? fallback : omitted.addressof(), out.put());
    if (hr == S_OK) return Show(out.get());
    return hr == kError335 && out.vt() == VT_EMPTY ? L"335" : L"failed";
  }
  HRESULT Set(const std::wstring& section, const std::wstring& key, const VARIANT& value) {
    UniqueBstr s = Bstr(section), k = Bstr(key);
    return registry_->SetValue(s.addressof(), k.addressof(), const_cast<VARIANT*>(&value));
  }
  HRESULT Delete(const std::wstring& section, const std::wstring& key) {
    UniqueBstr s = Bstr(section), k = Bstr(key);
    return registry_->DeleteValue(s.addressof(), k.addressof());
  }
  // GetAllValues as "name=value" lines in the array's order.
  std::vector<std::wstring> GetAll(const std::wstring& section) {
    UniqueBstr s = Bstr(section);
    UniqueVariant list;
    EXPECT_EQ(registry_->GetAllValues(s.addressof(), list.put()), S_OK);
    std::vector<std::wstring> lines;
    if (list.vt() != (VT_ARRAY | VT_VARIANT)) return lines;
    for (LONG i = 0; i < static_cast<LONG>(V_ARRAY(&list.get())->rgsabound[1].cElements); ++i) {
      LONG index[2] = {i, 0};
      UniqueVariant name, value;
      SafeArrayGetElement(V_ARRAY(&list.get()), index, name.put());
      index[1] = 1;
      SafeArrayGetElement(V_ARRAY(&list.get()), index, value.put());
      lines.push_back(Show(name.get()).substr(5) + L"=" + Show(value.get()));
    }
    return lines;
  }

  DWORD apartment_;
  std::wstring company_;
  ComPtr<_Registry> registry_;
};

}  // namespace kolo::testing
