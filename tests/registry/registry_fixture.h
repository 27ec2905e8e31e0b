// What the Kolo_Reg tests share: a Registry object created by CLSID in this thread's apartment
// and called through _Registry, raw access to the registry, and a scratch key below
// HKCU\Software that is removed afterwards. Its name carries the process id, so the runs in two
// code pages never meet.
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
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!bytes.empty()) std::memcpy(array->pvData, bytes.data(), bytes.size());
  UniqueVariant v;
  V_VT(v.put()) = VT_ARRAY | VT_UI1;
  V_ARRAY(v.addressof()) = array;
  return v;
}
// A variant as its type and value: "I4:5", "BSTR:abc", "R8:9A9999999999B93F" (the bytes),
// "UI1[]:010203", "EMPTY:".
inline std::string Show(const VARIANT& v) {
  auto hex = [](const void* data, std::size_t size) {
    std::string out;
    char digits[3];
    for (std::size_t i = 0; i < size; ++i) {
      std::snprintf(digits, sizeof digits, "%02X", static_cast<const BYTE*>(data)[i]);
      out += digits;
    }
    return out;
  };
  switch (V_VT(&v)) {
    case VT_EMPTY: return "EMPTY:";
    case VT_I4: return "I4:" + std::to_string(V_I4(&v));
    case VT_BOOL: return "BOOL:" + std::to_string(V_BOOL(&v));
    case VT_R4: return "R4:" + hex(&V_R4(&v), 4);
    case VT_R8: return "R8:" + hex(&V_R8(&v), 8);
    case VT_ARRAY | VT_UI1:
      return "UI1[]:" + hex(V_ARRAY(&v)->pvData, V_ARRAY(&v)->rgsabound[0].cElements);
    case VT_BSTR: {
      BSTR text = V_BSTR(&v);
      int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(SysStringLen(text)),
                                     nullptr, 0, nullptr, nullptr);
      std::string out(static_cast<std::size_t>(size), '\0');
      WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(SysStringLen(text)), out.data(), size,
                          nullptr, nullptr);
      return "BSTR:" + out;
    }
    default: return "VT" + std::to_string(V_VT(&v));
  }
}

// A value as the registry holds it.
struct Raw {
  LONG status = ERROR_FILE_NOT_FOUND;
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};
inline Raw ReadRaw(HKEY root, const std::wstring& path, const std::wstring& name) {
  Raw raw;
  UniqueHkey key;
  DWORD size = 0;
  raw.status = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put());
  if (raw.status == ERROR_SUCCESS)
    raw.status = RegQueryValueExW(key.get(), name.c_str(), nullptr, &raw.type, nullptr, &size);
  raw.bytes.resize(size);
  if (raw.status == ERROR_SUCCESS)
    raw.status =
        RegQueryValueExW(key.get(), name.c_str(), nullptr, &raw.type, raw.bytes.data(), &size);
  return raw;
}
inline bool KeyExists(HKEY root, const std::wstring& path) {
  UniqueHkey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}
template <typename T>
std::vector<BYTE> BytesOf(T value) {
  std::vector<BYTE> out(sizeof value);
  std::memcpy(out.data(), &value, sizeof value);
  return out;
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
    SetNames(company_, L"B");
  }
  void TearDown() override {
    registry_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + company_).c_str());
    CoUninitialize();
  }

  void SetNames(const std::wstring& company, const std::wstring& app) {
    ASSERT_EQ(registry_->put_CompanyName(Bstr(company).get()), S_OK);
    ASSERT_EQ(registry_->put_AppName(Bstr(app).get()), S_OK);
  }
  // The application key below HKEY_CURRENT_USER, or a section of it.
  std::wstring AppKey(const std::wstring& section = L"") const {
    return L"Software\\" + company_ + L"\\B" + (section.empty() ? L"" : L"\\" + section);
  }
  Raw Stored(const std::wstring& section, const std::wstring& name) const {
    return ReadRaw(HKEY_CURRENT_USER, AppKey(section), name);
  }

  static UniqueBstr Bstr(const std::wstring& text) {
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  }

  // The four methods through the table of functions.
  HRESULT Get(const std::wstring& section, const std::wstring& key, VARIANT* fallback,
              UniqueVariant& out) {
    UniqueBstr s = Bstr(section), k = Bstr(key);
    return registry_->GetValue(s.addressof(), k.addressof(), fallback, out.put());
  }
  // GetValue with DefaultValue left out, the way late-bound clients leave it out.
  UniqueVariant Get(const std::wstring& section, const std::wstring& key) {
    UniqueVariant omitted, out;
    V_VT(omitted.put()) = VT_ERROR;
    V_ERROR(omitted.addressof()) = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(Get(section, key, omitted.addressof(), out), S_OK);
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
  // GetAllValues as "name=value" lines (values as Show gives them), in the array's order.
  std::vector<std::string> Listing(const VARIANT& list) {
    std::vector<std::string> out;
    SAFEARRAY* array = V_ARRAY(&list);
    LONG last = -1;
    SafeArrayGetUBound(array, 1, &last);
    for (LONG i = 0; i <= last; ++i) {
      LONG index[2] = {i, 0};
      UniqueVariant name, value;
      SafeArrayGetElement(array, index, name.put());
      index[1] = 1;
      SafeArrayGetElement(array, index, value.put());
      out.push_back(Show(name.get()).substr(5) + "=" + Show(value.get()));
    }
    return out;
  }

  DWORD apartment_;
  std::wstring company_;
  ComPtr<_Registry> registry_;
};

}  // namespace kolo::testing
