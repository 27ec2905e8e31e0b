// The Registry class through _Registry, as the program calls it: state and properties, the path
// check, the value mapping (checked against the raw registry), the four methods and error 335.
#include <cmath>
#include <cstring>
#include <thread>

#include "registry_fixture.h"

namespace kolo::testing {
namespace {

constexpr auto kHkcu = static_cast<RootKeyConstans>(0x80000001u);
constexpr auto kHklm = static_cast<RootKeyConstans>(0x80000002u);

using Client = RegistryTest;

TEST_F(Client, PropertiesFollowTheirRules) {
  ComPtr<_Registry> fresh;
  ASSERT_EQ(CoCreateInstance(__uuidof(Registry), nullptr, CLSCTX_INPROC_SERVER, __uuidof(_Registry),
                             fresh.put_void()),
            S_OK);
  VARIANT_BOOL on = VARIANT_FALSE;
  RootKeyConstans root{};
  UniqueBstr company, app;
  fresh->get_DefaultSection(&on);
  fresh->get_RootKey(&root);
  fresh->get_CompanyName(company.put());
  fresh->get_AppName(app.put());
  EXPECT_EQ(on, VARIANT_TRUE);
  EXPECT_EQ(root, kHkcu);
  EXPECT_EQ(SysStringLen(company.get()) + SysStringLen(app.get()), 0u);

  fresh->put_RootKey(kHklm);  // ignored while DefaultSection is True
  fresh->get_RootKey(&root);
  EXPECT_EQ(root, kHkcu);
  fresh->put_DefaultSection(VARIANT_FALSE);
  fresh->put_RootKey(kHklm);
  fresh->get_RootKey(&root);
  EXPECT_EQ(root, kHklm);
  fresh->put_DefaultSection(VARIANT_TRUE);  // back to HKEY_CURRENT_USER
  fresh->get_RootKey(&root);
  EXPECT_EQ(root, kHkcu);
}

TEST_F(Client, EveryMethodChecksThePathFirst) {
  struct Case {
    const char* what;
    bool default_section;
    const wchar_t* company;
    const wchar_t* app;
    const wchar_t* section;
  };
  const Case cases[] = {
      {"no company name", true, L"", L"B", L"Sub"},
      {"no application name", true, L"A", L"", L"Sub"},
      {"no names", true, L"", L"", L""},
      {"own root, empty section", false, L"A", L"B", L""},
  };
  UniqueVariant five = MakeVariant(VT_I4, 5);
  for (const Case& c : cases) {
    registry_->put_DefaultSection(c.default_section ? VARIANT_TRUE : VARIANT_FALSE);
    SetNames(c.company, c.app);
    UniqueVariant out;
    EXPECT_EQ(Get(c.section, L"x", five.addressof(), out), kError335) << c.what;
    EXPECT_EQ(out.vt(), VT_EMPTY) << c.what;  // untouched
    EXPECT_EQ(Set(c.section, L"x", five.get()), kError335) << c.what;
    EXPECT_EQ(Delete(c.section, L"x"), kError335) << c.what;
    EXPECT_EQ(Delete(c.section, L""), kError335) << c.what;
    EXPECT_EQ(GetAll(c.section, out), kError335) << c.what;
  }
}

TEST_F(Client, FailuresCarryErrorInformationWithoutSourceOrDescription) {
  registry_->put_DefaultSection(VARIANT_FALSE);
  UniqueVariant out;
  ASSERT_EQ(GetAll(L"", out), kError335);
  ComPtr<ISupportErrorInfo> supports;
  ASSERT_EQ(registry_.QueryTo(supports), S_OK);
  EXPECT_EQ(supports->InterfaceSupportsErrorInfo(__uuidof(_Registry)), S_OK);
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  GUID guid{};
  UniqueBstr source, description;
  info->GetGUID(&guid);
  info->GetSource(source.put());
  info->GetDescription(description.put());
  EXPECT_EQ(guid, __uuidof(_Registry));
  EXPECT_EQ(SysStringLen(source.get()), 0u);
  EXPECT_EQ(SysStringLen(description.get()), 0u);
}

TEST_F(Client, WritesEachTypeAsItsRegistryType) {
  struct Case {
    const char* what;
    const wchar_t* name;
    UniqueVariant value;
    DWORD type;
    std::vector<BYTE> bytes;
  };
  Case cases[] = {
      {"Integer", L"i", MakeVariant(VT_I2, -2), REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}},
      {"Long", L"l", MakeVariant(VT_I4, 5), REG_DWORD, {5, 0, 0, 0}},
      {"Boolean True", L"t", MakeVariant(VT_BOOL, -1), REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"Boolean False", L"f", MakeVariant(VT_BOOL, 0), REG_DWORD, {0, 0, 0, 0}},
      {"Single", L"s", MakeVariant(VT_R4, 2.5), REG_BINARY, BytesOf(2.5f)},
      {"Double", L"d", MakeVariant(VT_R8, 0.1), REG_BINARY, BytesOf(0.1)},
      {"bytes", L"b", MakeBytes({1, 2, 3}), REG_BINARY, {1, 2, 3}},
      {"no bytes", L"e", MakeBytes({}), REG_BINARY, {}},
      {"String", L"str", MakeString(L"abc"), REG_SZ, {'a', 'b', 'c', 0}},
      {"Byte, by its string form", L"u", MakeVariant(VT_UI1, 7), REG_SZ, {'7', 0}},
      {"Empty, by its string form", L"m", UniqueVariant(), REG_SZ, {0}},
      {"unnamed value: always a string", L"", MakeVariant(VT_I4, 5), REG_SZ, {'5', 0}},
  };
  for (Case& c : cases) {
    ASSERT_EQ(Set(L"", c.name, c.value.get()), S_OK) << c.what;
    std::string ansi(c.name, c.name + wcslen(c.name));
    Raw raw = ReadRaw(HKEY_CURRENT_USER, AppKey(), ansi);
    EXPECT_EQ(raw.status, ERROR_SUCCESS) << c.what;
    EXPECT_EQ(raw.type, c.type) << c.what;
    EXPECT_EQ(raw.bytes, c.bytes) << c.what;
  }
}

TEST_F(Client, ReadsEachRegistryTypeAsItsVariant) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> bytes;
    VARTYPE vt;
  };
  const Case cases[] = {
      {"REG_DWORD", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, VT_I4},
      {"4 bytes", REG_BINARY, BytesOf(-1.5f), VT_R4},
      {"8 bytes", REG_BINARY, BytesOf(-0.0), VT_R8},
      {"3 bytes", REG_BINARY, {7, 8, 9}, VT_ARRAY | VT_UI1},
      {"no bytes", REG_BINARY, {}, VT_ARRAY | VT_UI1},
      {"REG_SZ", REG_SZ, {'h', 'i', 0, 'x', 0}, VT_BSTR},
      {"REG_SZ without NUL", REG_SZ, {'h', 'i'}, VT_BSTR},
      {"REG_EXPAND_SZ", REG_EXPAND_SZ, {'%', 'P', '%', 0}, VT_EMPTY},
      {"REG_MULTI_SZ", REG_MULTI_SZ, {'a', 0, 0}, VT_EMPTY},
      {"REG_QWORD", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, VT_EMPTY},
      {"REG_NONE", REG_NONE, {1}, VT_EMPTY},
  };
  for (const Case& c : cases) {
    WriteRaw(AppKey(), "v", c.type, c.bytes);
    UniqueVariant v = Get(L"", L"v");
    ASSERT_EQ(v.vt(), c.vt) << c.what;
    if (c.vt == VT_I4) {
      EXPECT_EQ(V_I4(&v.get()), -1);
    }
    if (c.vt == VT_R4) {
      EXPECT_EQ(BytesOf(V_R4(&v.get())), c.bytes);
    }
    if (c.vt == VT_R8) {
      EXPECT_EQ(BytesOf(V_R8(&v.get())), c.bytes);
    }
    if (c.vt == (VT_ARRAY | VT_UI1)) {
      EXPECT_EQ(BytesOf(v.get()), c.bytes);
    }
    if (c.vt == VT_BSTR) {
      EXPECT_STREQ(V_BSTR(&v.get()), L"hi") << c.what;
    }
  }
}

TEST_F(Client, NumbersComeBackWithTheSameBits) {
  for (double d : {0.1, -0.0, 1e-310, 1.7976931348623157e308, -123456.789}) {
    ASSERT_EQ(Set(L"", L"d", MakeVariant(VT_R8, d).get()), S_OK);
    UniqueVariant v = Get(L"", L"d");
    ASSERT_EQ(v.vt(), VT_R8);
    EXPECT_EQ(BytesOf(V_R8(&v.get())), BytesOf(d));
  }
  ASSERT_EQ(Set(L"", L"s", MakeVariant(VT_R4, 0.1).get()), S_OK);
  UniqueVariant single = Get(L"", L"s");
  ASSERT_EQ(single.vt(), VT_R4);
  EXPECT_EQ(V_R4(&single.get()), 0.1f);
  ASSERT_EQ(Set(L"", L"x", MakeVariant(VT_I2, 5).get()), S_OK);
  UniqueVariant integer = Get(L"", L"x");
  ASSERT_EQ(integer.vt(), VT_I4);  // Integer, Long and Boolean come back as Long
  EXPECT_EQ(V_I4(&integer.get()), 5);
}

TEST_F(Client, SectionsAreKeysBelowTheApplicationKey) {
  ASSERT_EQ(Set(L"Sub", L"s", MakeString(L"abc").get()), S_OK);
  Raw raw = ReadRaw(HKEY_CURRENT_USER, AppKey(L"Sub"), "s");
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw.bytes.size(), 4u);
  EXPECT_STREQ(V_BSTR(&Get(L"Sub", L"s").get()), L"abc");
  // DefaultSection False: the section is the whole path, below RootKey.
  registry_->put_DefaultSection(VARIANT_FALSE);
  registry_->put_RootKey(kHkcu);
  EXPECT_STREQ(V_BSTR(&Get(AppKey(L"Sub"), L"s").get()), L"abc");
}

TEST_F(Client, MissingKeysAndValuesGiveTheDefault) {
  UniqueVariant seven = MakeVariant(VT_I4, 7);
  UniqueVariant out;
  ASSERT_EQ(Get(L"Nowhere", L"x", seven.addressof(), out), S_OK);
  EXPECT_EQ(V_I4(&out.get()), 7);
  ASSERT_EQ(Set(L"", L"there", seven.get()), S_OK);
  ASSERT_EQ(Get(L"", L"missing", seven.addressof(), out), S_OK);
  EXPECT_EQ(V_I4(&out.get()), 7);
  UniqueVariant omitted = Get(L"", L"missing");
  ASSERT_EQ(omitted.vt(), VT_BSTR);
  EXPECT_EQ(SysStringLen(V_BSTR(&omitted.get())), 0u);
  // By reference, as script hosts pass them: the value referred to is returned and written.
  VARIANT by_reference;
  V_VT(&by_reference) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&by_reference) = seven.addressof();
  ASSERT_EQ(Get(L"", L"missing", &by_reference, out), S_OK);
  EXPECT_EQ(out.vt(), VT_I4);
  ASSERT_EQ(Set(L"", L"ref", by_reference), S_OK);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, AppKey(), "ref").type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(Client, NullHasNoStringFormAndLeavesNoKey) {
  UniqueVariant null_value;
  V_VT(null_value.put()) = VT_NULL;
  EXPECT_EQ(Set(L"Null", L"n", null_value.get()), kError335);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(L"Null")));
}

TEST_F(Client, DeleteValueDeletesValuesAndKeys) {
  UniqueVariant one = MakeVariant(VT_I4, 1);
  ASSERT_EQ(Set(L"Sub", L"a", one.get()), S_OK);
  ASSERT_EQ(Set(L"Sub", L"b", one.get()), S_OK);
  EXPECT_EQ(Delete(L"Sub", L"a"), S_OK);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, AppKey(L"Sub"), "a").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Delete(L"Sub", L"a"), kError335);  // already gone
  EXPECT_EQ(Delete(L"Sub", L""), S_OK);        // the key itself
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(L"Sub")));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, AppKey()));
  EXPECT_EQ(Delete(L"Sub", L""), kError335);

  registry_->put_DefaultSection(VARIANT_FALSE);
  registry_->put_RootKey(kHkcu);
  // A path ending in "\" names no key: its parent is not deleted in its place.
  EXPECT_EQ(Delete(AppKey() + L"\\", L""), kError335);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, AppKey()));
  // A key with subkeys is not deleted.
  ASSERT_EQ(Set(company_ + L"\\Child", L"c", one.get()), S_OK);
  EXPECT_EQ(Delete(company_, L""), kError335);
  // A path without "\" is a key directly below the root.
  ASSERT_EQ(Delete(company_ + L"\\Child", L""), S_OK);
  EXPECT_EQ(Delete(company_, L""), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, company_));
}

TEST_F(Client, GetAllValuesListsNamesAndValuesInEnumerationOrder) {
  UniqueVariant out;
  EXPECT_EQ(GetAll(L"", out), kError335);  // no key yet
  ASSERT_EQ(Set(L"", L"x", MakeVariant(VT_I2, 5).get()), S_OK);
  ASSERT_EQ(Set(L"Sub", L"s", MakeString(L"abc").get()), S_OK);
  ASSERT_EQ(Set(L"", L"y", MakeString(L"abc").get()), S_OK);
  ASSERT_EQ(GetAll(L"", out), S_OK);
  ASSERT_EQ(out.vt(), VT_ARRAY | VT_VARIANT);
  SAFEARRAY* list = V_ARRAY(&out.get());
  ASSERT_EQ(SafeArrayGetDim(list), 2u);
  LONG low1, high1, low2, high2;
  SafeArrayGetLBound(list, 1, &low1);
  SafeArrayGetUBound(list, 1, &high1);
  SafeArrayGetLBound(list, 2, &low2);
  SafeArrayGetUBound(list, 2, &high2);
  EXPECT_EQ((std::vector<LONG>{low1, high1, low2, high2}), (std::vector<LONG>{0, 1, 0, 1}));
  UniqueHkey key;
  RegOpenKeyExW(HKEY_CURRENT_USER, AppKey().c_str(), 0, KEY_READ, key.put());
  for (LONG i = 0; i < 2; ++i) {
    char name[16];
    DWORD length = sizeof name;
    RegEnumValueA(key.get(), static_cast<DWORD>(i), name, &length, nullptr, nullptr, nullptr,
                  nullptr);
    LONG index[2] = {i, 0};
    UniqueVariant entry, value;
    SafeArrayGetElement(list, index, entry.put());
    index[1] = 1;
    SafeArrayGetElement(list, index, value.put());
    ASSERT_EQ(entry.vt(), VT_BSTR);
    EXPECT_EQ(std::wstring(V_BSTR(&entry.get())), std::wstring(name, name + length));
    EXPECT_EQ(value.vt(), name[0] == 'x' ? VT_I4 : VT_BSTR) << name;
  }
  ASSERT_EQ(Delete(L"Sub", L"s"), S_OK);
  EXPECT_EQ(GetAll(L"Sub", out), kError335);  // a key without values
}

TEST_F(Client, GetAllValuesListsMoreThan32767Values) {
  UniqueHkey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, AppKey(L"Many").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  const DWORD count = 32770;
  for (DWORD i = 0; i < count; ++i) {
    std::string name = std::to_string(i);
    RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4);
  }
  UniqueVariant out;
  ASSERT_EQ(GetAll(L"Many", out), S_OK);
  LONG high = 0;
  SafeArrayGetUBound(V_ARRAY(&out.get()), 1, &high);
  EXPECT_EQ(high, static_cast<LONG>(count) - 1);
}

TEST_F(Client, KeysAreCreatedToOutlastTheSession) {
  ASSERT_EQ(Set(L"Kept", L"k", MakeVariant(VT_I4, 1).get()), S_OK);
  // Only a non-volatile key can have a non-volatile subkey.
  UniqueHkey child;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, AppKey(L"Kept\\Child").c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, child.put(), nullptr),
            ERROR_SUCCESS);
}

TEST_F(Client, OtherRootsAndInvalidRoots) {
  registry_->put_DefaultSection(VARIANT_FALSE);
  registry_->put_RootKey(static_cast<RootKeyConstans>(0x80000000u));  // HKEY_CLASSES_ROOT
  UniqueVariant clsid = Get(L"CLSID\\{E150A199-2F1A-11D4-9BA5-0000E8D5AE4C}\\ProgID", L"");
  ASSERT_EQ(clsid.vt(), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&clsid.get()), L"Kolo_Reg.Registry");
  // A number that is no predefined root would be taken for a handle of the caller.
  registry_->put_RootKey(static_cast<RootKeyConstans>(4));
  UniqueVariant out;
  UniqueVariant seven = MakeVariant(VT_I4, 7);
  EXPECT_EQ(Get(L"Software", L"x", seven.addressof(), out), kError335);
  EXPECT_EQ(Set(L"Software", L"x", seven.get()), kError335);
}

TEST_F(Client, NamesGoToTheRegistryInTheAnsiCodePage) {
  // A character of the code page is written as its ANSI byte(s)...
  const wchar_t* representable = GetACP() == 932 ? L"\u8A2D\u5B9A" : L"\u00E9";
  ASSERT_EQ(Set(L"", representable, MakeVariant(VT_I4, 3).get()), S_OK);
  char ansi[16] = {};
  WideCharToMultiByte(CP_ACP, 0, representable, -1, ansi, sizeof ansi, nullptr, nullptr);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, AppKey(), ansi).type, static_cast<DWORD>(REG_DWORD));
  UniqueVariant out;
  ASSERT_EQ(GetAll(L"", out), S_OK);
  LONG index[2] = {0, 0};
  UniqueVariant name;
  SafeArrayGetElement(V_ARRAY(&out.get()), index, name.put());
  EXPECT_STREQ(V_BSTR(&name.get()), representable);
  // ...one it lacks fails instead of becoming "?", and so does a NUL inside a name.
  if (GetACP() != CP_UTF8) {
    EXPECT_EQ(Set(L"", L"\U0001F600", MakeVariant(VT_I4, 3).get()), kError335);
    EXPECT_EQ(Set(L"\u4E00\U0001F600", L"x", MakeVariant(VT_I4, 3).get()), kError335);
  }
  EXPECT_EQ(Set(L"", std::wstring(L"a\0b", 3), MakeVariant(VT_I4, 3).get()), kError335);
  // String data keeps the ANSI limits: a missing character becomes the default character.
  ASSERT_EQ(Set(L"", L"text", MakeString(L"a\U0001F600").get()), S_OK);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, AppKey(), "text").bytes.front(), 'a');
}

TEST_F(Client, HugeValuesReadWhole) {
  std::vector<BYTE> big(1 << 20);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 7);
  WriteRaw(AppKey(), "big", REG_BINARY, big);
  UniqueVariant v = Get(L"", L"big");
  ASSERT_EQ(v.vt(), VT_ARRAY | VT_UI1);
  EXPECT_EQ(BytesOf(v.get()), big);
  std::vector<BYTE> text(300000, 'q');
  WriteRaw(AppKey(), "long", REG_SZ, text);  // no terminating NUL
  UniqueVariant s = Get(L"", L"long");
  EXPECT_EQ(SysStringLen(V_BSTR(&s.get())), text.size());
}

TEST_F(Client, AValueChangingWhileItIsReadReadsAsOneOfItsStates) {
  WriteRaw(AppKey(), "v", REG_BINARY, BytesOf(1.0f));
  bool stop = false;
  std::thread writer([&] {
    UniqueHkey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, AppKey().c_str(), 0, KEY_SET_VALUE, key.put());
    std::vector<BYTE> large(20000, 5);
    for (int n = 0; !__atomic_load_n(&stop, __ATOMIC_RELAXED); ++n) {
      if (n % 2)
        RegSetValueExA(key.get(), "v", 0, REG_BINARY, large.data(),
                       static_cast<DWORD>(large.size()));
      else
        RegSetValueExA(key.get(), "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 4);
    }
  });
  for (int i = 0; i < 300; ++i) {
    UniqueVariant out;
    HRESULT hr = Get(L"", L"v", nullptr, out);
    ASSERT_TRUE(hr == S_OK || hr == kError335);
    if (hr != S_OK) continue;
    if (out.vt() == VT_BSTR) {
      EXPECT_STREQ(V_BSTR(&out.get()), L"abc");
    } else if (out.vt() == (VT_ARRAY | VT_UI1)) {
      EXPECT_EQ(BytesOf(out.get()), std::vector<BYTE>(20000, 5));
    } else {
      EXPECT_EQ(out.vt(), VT_R4);
    }
  }
  __atomic_store_n(&stop, true, __ATOMIC_RELAXED);
  writer.join();
}

}  // namespace
}  // namespace kolo::testing
