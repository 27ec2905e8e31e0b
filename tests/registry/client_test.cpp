// The Registry class through _Registry, as the program calls it: properties, the path check,
// the value mapping against the raw registry, text in any script, error 335, values that change
// under a reader, and both kinds of apartment.
#include <algorithm>
#include <atomic>
#include <thread>

#include "kolo_reg_client.h"
#include "numbered_error.h"
#include "registry_fixture.h"

namespace kolo::testing {
namespace {

using Client = RegistryTest;

// The text and its NUL as REG_SZ holds them.
std::vector<BYTE> Utf16(std::wstring_view text) {
  std::vector<BYTE> out((text.size() + 1) * 2);
  std::memcpy(out.data(), text.data(), text.size() * 2);
  return out;
}

void WriteRaw(const std::wstring& path, const wchar_t* name, DWORD type,
              const std::vector<BYTE>& bytes) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name, type, bytes.data(),
                            static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

TEST_F(Client, PropertiesFollowTheirRules) {
  ComPtr<_Registry> fresh;
  ASSERT_EQ(CoCreateInstance(__uuidof(Registry), nullptr, CLSCTX_INPROC_SERVER, __uuidof(_Registry),
                             fresh.put_void()),
            S_OK);
  VARIANT_BOOL on = VARIANT_FALSE;
  UniqueBstr company, app;
  fresh->get_DefaultSection(&on);
  fresh->get_CompanyName(company.put());
  fresh->get_AppName(app.put());
  EXPECT_EQ(on, VARIANT_TRUE);
  EXPECT_EQ(SysStringLen(company.get()) + SysStringLen(app.get()), 0u);
  auto root = [&] {
    RootKeyConstans value{};
    fresh->get_RootKey(&value);
    return value;
  };
  EXPECT_EQ(root(), kCurrentUser);
  fresh->put_RootKey(kLocalMachine);  // ignored while DefaultSection is True
  EXPECT_EQ(root(), kCurrentUser);
  fresh->put_DefaultSection(VARIANT_FALSE);
  fresh->put_RootKey(kLocalMachine);
  EXPECT_EQ(root(), kLocalMachine);
  fresh->put_DefaultSection(VARIANT_TRUE);  // back to HKEY_CURRENT_USER
  EXPECT_EQ(root(), kCurrentUser);
}

TEST_F(Client, EveryMethodChecksThePathFirst) {
  struct Case {
    const char* what;
    VARIANT_BOOL default_section;
    const wchar_t* company;
    const wchar_t* app;
    std::wstring section;
  };
  const Case cases[] = {
      {"no company name", VARIANT_TRUE, L"", L"B", L"Sub"},
      {"no application name", VARIANT_TRUE, L"A", L"", L"Sub"},
      {"own root, empty section", VARIANT_FALSE, L"A", L"B", L""},
      {"NUL inside the path", VARIANT_TRUE, L"A", L"B", std::wstring(L"S\0b", 3)},
  };
  UniqueVariant five = Number(VT_I4, 5);
  for (const Case& c : cases) {
    registry_->put_DefaultSection(c.default_section);
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
  UniqueVariant out;
  ASSERT_EQ(GetAll(L"Nowhere", out), kError335);
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
  EXPECT_EQ(SysStringLen(source.get()) + SysStringLen(description.get()), 0u);
}

TEST_F(Client, EachTypeIsStoredAsItsRegistryTypeAndReadBack) {
  struct Case {
    const wchar_t* name;
    UniqueVariant value;
    DWORD type;
    std::vector<BYTE> bytes;
    std::string read;  // empty: the value as written
  };
  Case cases[] = {
      {L"Integer", Number(VT_I2, -2), REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}, "I4:-2"},
      {L"Long", Number(VT_I4, 100000), REG_DWORD, {0xA0, 0x86, 0x01, 0}, ""},
      {L"True", Number(VT_BOOL, -1), REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, "I4:-1"},
      {L"False", Number(VT_BOOL, 0), REG_DWORD, {0, 0, 0, 0}, "I4:0"},
      {L"Single", Number(VT_R4, 0.1), REG_BINARY, BytesOf(0.1f), ""},
      {L"Double", Number(VT_R8, 0.1), REG_BINARY, BytesOf(0.1), ""},
      {L"Largest", Number(VT_R8, 1.7976931348623157e308), REG_BINARY,
       BytesOf(1.7976931348623157e308), ""},
      {L"Denormal", Number(VT_R8, -1e-310), REG_BINARY, BytesOf(-1e-310), ""},
      {L"Bytes", Bytes({1, 2, 3}), REG_BINARY, {1, 2, 3}, ""},
      {L"No bytes", Bytes({}), REG_BINARY, {}, ""},
      {L"String", Text(L"abc"), REG_SZ, Utf16(L"abc"), ""},
      {L"Byte", Number(VT_UI1, 7), REG_SZ, Utf16(L"7"), "BSTR:7"},
      {L"Empty", UniqueVariant(), REG_SZ, Utf16(L""), "BSTR:"},
      {L"", Number(VT_I4, 5), REG_SZ, Utf16(L"5"), "BSTR:5"},  // the unnamed value: a string
  };
  for (Case& c : cases) {
    ASSERT_EQ(Set(L"", c.name, c.value.get()), S_OK) << c.name;
    Raw raw = Stored(L"", c.name);
    EXPECT_EQ(raw.type, c.type) << c.name;
    EXPECT_EQ(raw.bytes, c.bytes) << c.name;
    EXPECT_EQ(Show(Get(L"", c.name).get()), c.read.empty() ? Show(c.value.get()) : c.read);
  }
  UniqueVariant null_value;
  V_VT(null_value.put()) = VT_NULL;  // no string form: nothing written, not even the key
  EXPECT_EQ(Set(L"Null", L"n", null_value.get()), kError335);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(L"Null")));
}

TEST_F(Client, ReadsWhatOtherProgramsStored) {
  struct Case {
    DWORD type;
    std::vector<BYTE> bytes;
    std::string read;
  };
  const Case cases[] = {
      {REG_SZ, {'h', 0, 'i', 0, 0, 0, 'x', 0, 0, 0}, "BSTR:hi"},
      {REG_SZ, {'h', 0, 'i', 0}, "BSTR:hi"},  // without its NUL
      {REG_SZ, {'h', 0, 'i'}, "BSTR:h"},      // an odd last byte
      {REG_DWORD, {0x34, 0x12}, "I4:4660"},
      {REG_BINARY, {7, 8, 9}, "UI1[]:070809"},
      {REG_EXPAND_SZ, Utf16(L"%PATH%"), "EMPTY:"},
      {REG_MULTI_SZ, Utf16(L"a"), "EMPTY:"},
      {REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, "EMPTY:"},
      {REG_NONE, {1}, "EMPTY:"},
  };
  for (const Case& c : cases) {
    WriteRaw(AppKey(), L"v", c.type, c.bytes);
    EXPECT_EQ(Show(Get(L"", L"v").get()), c.read) << c.type;
  }
  WriteRaw(AppKey(), L"v", REG_DWORD, {1, 2, 3, 4, 5});  // no 32-bit integer
  UniqueVariant out;
  EXPECT_EQ(Get(L"", L"v", nullptr, out), kError335);

  std::vector<BYTE> big(1 << 20);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 7);
  WriteRaw(AppKey(), L"big", REG_BINARY, big);
  EXPECT_EQ(Show(Get(L"", L"big").get()), Show(Bytes(big).get()));
}

TEST_F(Client, MissingKeysAndValuesGiveTheDefault) {
  UniqueVariant seven = Number(VT_I4, 7);
  ASSERT_EQ(Set(L"", L"there", seven.get()), S_OK);
  for (const wchar_t* section : {L"Nowhere", L""}) {
    UniqueVariant out;
    ASSERT_EQ(Get(section, L"missing", seven.addressof(), out), S_OK);
    EXPECT_EQ(Show(out.get()), "I4:7");
    EXPECT_EQ(Show(Get(section, L"missing").get()), "BSTR:");
  }
  // By reference, as script hosts pass them: the value referred to is returned and written.
  VARIANT by_reference;
  V_VT(&by_reference) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&by_reference) = seven.addressof();
  UniqueVariant out;
  ASSERT_EQ(Get(L"", L"missing", &by_reference, out), S_OK);
  EXPECT_EQ(Show(out.get()), "I4:7");
  ASSERT_EQ(Set(L"", L"ref", by_reference), S_OK);
  EXPECT_EQ(Stored(L"", L"ref").type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(Client, DeleteValueDeletesValuesAndKeys) {
  UniqueVariant one = Number(VT_I4, 1);
  ASSERT_EQ(Set(L"Sub", L"a", one.get()), S_OK);
  EXPECT_EQ(Delete(L"Sub", L"a"), S_OK);
  EXPECT_EQ(Stored(L"Sub", L"a").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Delete(L"Sub", L"a"), kError335);  // already gone
  EXPECT_EQ(Delete(L"Sub", L""), S_OK);        // the key itself
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(L"Sub")));
  EXPECT_EQ(Delete(L"Sub", L""), kError335);

  registry_->put_DefaultSection(VARIANT_FALSE);
  registry_->put_RootKey(kCurrentUser);
  const std::wstring top = L"Software\\" + company_;
  // A path ending in "\" names no key: its parent is not deleted in its place.
  EXPECT_EQ(Delete(AppKey() + L"\\", L""), kError335);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, AppKey()));
  EXPECT_EQ(Delete(top, L""), kError335);  // a key with subkeys stays
  // A path without "\" is a key directly below the root.
  ASSERT_EQ(Set(company_, L"c", one.get()), S_OK);
  EXPECT_EQ(Delete(company_, L""), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, company_));
}

TEST_F(Client, GetAllValuesListsNamesAndValuesInEnumerationOrder) {
  UniqueVariant out;
  EXPECT_EQ(GetAll(L"", out), kError335);  // no key yet
  ASSERT_EQ(Set(L"", L"x", Number(VT_I2, 5).get()), S_OK);
  ASSERT_EQ(Set(L"Sub", L"s", Text(L"abc").get()), S_OK);
  ASSERT_EQ(Set(L"", L"y", Text(L"abc").get()), S_OK);
  ASSERT_EQ(GetAll(L"", out), S_OK);
  ASSERT_EQ(out.vt(), VT_ARRAY | VT_VARIANT);
  SAFEARRAY* list = V_ARRAY(&out.get());
  LONG bounds[4] = {};
  for (UINT dim : {1u, 2u}) {
    SafeArrayGetLBound(list, dim, &bounds[2 * dim - 2]);
    SafeArrayGetUBound(list, dim, &bounds[2 * dim - 1]);
  }
  EXPECT_EQ(std::vector<LONG>(bounds, bounds + 4), (std::vector<LONG>{0, 1, 0, 1}));
  std::vector<std::string> expected;
  UniqueHkey key;
  RegOpenKeyExW(HKEY_CURRENT_USER, AppKey().c_str(), 0, KEY_READ, key.put());
  wchar_t name[16];
  for (DWORD i = 0, size = 16; RegEnumValueW(key.get(), i, name, &size, nullptr, nullptr, nullptr,
                                             nullptr) == ERROR_SUCCESS;
       ++i, size = 16)
    expected.push_back(Show(Text(name).get()).substr(5) + "=" + Show(Get(L"", name).get()));
  EXPECT_EQ(Listing(out.get()), expected);
  ASSERT_EQ(Delete(L"Sub", L"s"), S_OK);
  EXPECT_EQ(GetAll(L"Sub", out), kError335);  // a key without values
}

TEST_F(Client, GetAllValuesListsMoreThan32767Values) {
  const DWORD count = 32770;
  for (DWORD i = 0; i < count; ++i)
    RegSetKeyValueW(HKEY_CURRENT_USER, AppKey(L"Many").c_str(), std::to_wstring(i).c_str(),
                    REG_DWORD, &i, 4);
  UniqueVariant out;
  ASSERT_EQ(GetAll(L"Many", out), S_OK);
  EXPECT_EQ(V_ARRAY(&out.get())->rgsabound[1].cElements, count);
}

TEST_F(Client, KeysAreCreatedToOutlastTheSession) {
  ASSERT_EQ(Set(L"Kept", L"k", Number(VT_I4, 1).get()), S_OK);
  // Only a non-volatile key can have a non-volatile subkey.
  UniqueHkey child;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, AppKey(L"Kept\\Child").c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, child.put(), nullptr),
            ERROR_SUCCESS);
}

TEST_F(Client, OtherRootsAndInvalidRoots) {
  registry_->put_DefaultSection(VARIANT_FALSE);
  registry_->put_RootKey(kClassesRoot);
  EXPECT_EQ(Show(Get(L"CLSID\\{E150A199-2F1A-11D4-9BA5-0000E8D5AE4C}\\ProgID", L"").get()),
            "BSTR:Kolo_Reg.Registry");
  // A number that is no predefined root would be taken for a handle of the caller.
  registry_->put_RootKey(static_cast<RootKeyConstans>(4));
  UniqueVariant out, seven = Number(VT_I4, 7);
  EXPECT_EQ(Get(L"Software", L"x", seven.addressof(), out), kError335);
  EXPECT_EQ(Set(L"Software", L"x", seven.get()), kError335);
}

// The suite runs in code pages 1252 and 932. In neither is any text best-fitted, every name
// reads back as written, and key paths split only at real backslashes (表 and ソ end in the
// byte 0x5C in code page 932). Text of the code page is stored as an ANSI program stores it.
TEST_F(Client, TextInAnyScriptReadsBackAsWritten) {
  const std::wstring texts[] = {L"2*∞", L"√4+π", L"π", L"p", L"é", L"設定", L"表", L"ｶﾅ", L"a😀"};
  for (const std::wstring& text : texts) {
    ASSERT_EQ(Set(L"Text", text, Text(text).get()), S_OK);
    EXPECT_EQ(Show(Get(L"Text", text).get()), Show(Text(text).get()));
    BOOL lossy = FALSE;
    char ansi[16] = {};
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, ansi, sizeof ansi, nullptr,
                        &lossy);
    if (lossy) continue;
    UniqueHkey key;
    RegCreateKeyExW(HKEY_CURRENT_USER, AppKey(L"Ansi").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, key.put(), nullptr);
    RegSetValueExA(key.get(), ansi, 0, REG_SZ, reinterpret_cast<BYTE*>(ansi),
                   static_cast<DWORD>(strlen(ansi) + 1));
    Raw ours = Stored(L"Text", text), theirs = Stored(L"Ansi", text);
    EXPECT_EQ(ours.bytes, theirs.bytes) << GetACP() << " " << Show(Text(text).get());
  }
  UniqueVariant list;
  ASSERT_EQ(GetAll(L"Text", list), S_OK);
  std::vector<std::string> lines = Listing(list.get());
  EXPECT_EQ(lines.size(), std::size(texts));
  for (const std::string& line : lines)
    EXPECT_EQ("BSTR:" + line.substr(0, line.find('=')), line.substr(line.find('=') + 1));

  for (const std::wstring section : {L"表", L"ソ", L"a＼b", L"P\\表"}) {
    ASSERT_EQ(Set(section, L"x", Number(VT_I4, 1).get()), S_OK);
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, AppKey(section)));
    EXPECT_EQ(Delete(section, L""), S_OK) << GetACP();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(section)));
  }
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, AppKey(L"P")));
}

// Another thread deletes the value and writes it again, short and long, all the while: every
// read succeeds, with the value as it was at one moment, or DefaultValue while it was gone.
TEST_F(Client, AReadRacingAWriterGivesAValueItHadOrTheDefault) {
  ASSERT_EQ(Set(L"", L"v", Text(L"abc").get()), S_OK);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    UniqueHkey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, AppKey().c_str(), 0, KEY_SET_VALUE, key.put());
    std::vector<BYTE> large(20000, 5), text = Utf16(L"abc");
    for (int n = 0; !stop; ++n) {
      if (n % 3 == 0) RegDeleteValueW(key.get(), L"v");
      const std::vector<BYTE>& data = n % 3 == 1 ? large : text;
      if (n % 3)
        RegSetValueExW(key.get(), L"v", 0, n % 3 == 1 ? REG_BINARY : REG_SZ, data.data(),
                       static_cast<DWORD>(data.size()));
    }
  });
  const std::string large = Show(Bytes(std::vector<BYTE>(20000, 5)).get());
  UniqueVariant seven = Number(VT_I4, 7);
  int values = 0;
  for (int i = 0; i < 500; ++i) {
    UniqueVariant out;
    HRESULT hr = Get(L"", L"v", seven.addressof(), out);
    EXPECT_EQ(hr, S_OK) << "read " << i;
    if (hr != S_OK) break;
    std::string read = Show(out.get());
    if (read == "I4:7") continue;
    ++values;
    EXPECT_TRUE(read == "BSTR:abc" || read == large) << read.substr(0, 40);
  }
  stop = true;
  writer.join();
  EXPECT_GT(values, 0);
}

// Another thread moves a value along x0, x1, x2, ..., each holding its own number, writing the
// next before it deletes the last: every listing succeeds, pairs each name with its own value,
// and shows the key as it was at one moment ("fixed" and one or two neighbours).
TEST_F(Client, AListingRacingAWriterIsTheKeyAtOneMoment) {
  ASSERT_EQ(Set(L"", L"fixed", Text(L"f").get()), S_OK);
  ASSERT_EQ(Set(L"", L"x0", Number(VT_I4, 0).get()), S_OK);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    UniqueHkey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, AppKey().c_str(), 0, KEY_SET_VALUE, key.put());
    for (LONG n = 1; !stop; ++n) {
      RegSetValueExW(key.get(), (L"x" + std::to_wstring(n)).c_str(), 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&n), sizeof n);
      RegDeleteValueW(key.get(), (L"x" + std::to_wstring(n - 1)).c_str());
      Sleep(1);
    }
  });
  for (int i = 0; i < 200; ++i) {
    UniqueVariant list;
    HRESULT hr = GetAll(L"", list);
    EXPECT_EQ(hr, S_OK) << "listing " << i;
    if (hr != S_OK) break;
    std::vector<long> numbers;
    std::string shown;
    for (const std::string& line : Listing(list.get())) {
      shown += line + " ";
      if (line == "fixed=BSTR:f") continue;
      long n = std::atol(line.c_str() + 1);
      char expected[48];
      std::snprintf(expected, sizeof expected, "x%ld=I4:%ld", n, n);
      EXPECT_EQ(line, expected);
      numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    EXPECT_NE(shown.find("fixed=BSTR:f"), std::string::npos) << shown;
    EXPECT_TRUE(numbers.size() == 1 || (numbers.size() == 2 && numbers[1] == numbers[0] + 1))
        << shown;
  }
  stop = true;
  writer.join();
}

// The program's wrapper raises every failure as error 335.
TEST_F(Client, TheProgramsWrapperRaisesError335) {
  std::optional<tly::RegistryClient> client = tly::RegistryClient::Create();
  ASSERT_TRUE(client);
  client->SetCompanyName(company_);
  client->SetAppName(L"B");
  client->SetValue(L"", L"x", Number(VT_I4, 5).get());
  EXPECT_EQ(Show(client->GetValue(L"", L"x", Text(L"").get()).get()), "I4:5");
  using Call = void (*)(tly::RegistryClient&);
  for (Call call : {+[](tly::RegistryClient& r) { r.DeleteValue(L"", L"missing"); },
                    +[](tly::RegistryClient& r) {
                      r.SetDefaultSection(false);
                      r.GetValue(L"", L"x", VARIANT{});
                    }}) {
    try {
      call(*client);
      ADD_FAILURE() << "no error";
    } catch (const tly::NumberedError& e) {
      EXPECT_EQ(e.number(), tly::err::kRegistry);
    }
  }
}

// A multithreaded client reaches the object through a proxy, which the type library describes.
class Apartment : public RegistryTest, public ::testing::WithParamInterface<COINIT> {
 protected:
  Apartment() : RegistryTest(GetParam()) {}
};

TEST_P(Apartment, CreatesAndCallsTheClass) {
  ASSERT_EQ(Set(L"Sub", L"x", Number(VT_I4, 5).get()), S_OK);
  EXPECT_EQ(Show(Get(L"Sub", L"x").get()), "I4:5");
  UniqueVariant list;
  ASSERT_EQ(GetAll(L"Sub", list), S_OK);
  EXPECT_EQ(Listing(list.get()), std::vector<std::string>{"x=I4:5"});
  EXPECT_EQ(Delete(L"Sub", L""), S_OK);
  EXPECT_EQ(Delete(L"Sub", L""), kError335);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, Apartment,
                         ::testing::Values(COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED));

}  // namespace
}  // namespace kolo::testing
