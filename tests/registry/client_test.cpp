// The Registry class through _Registry, as the program calls it: properties, the path check,
// the value mapping against the stored registry, text in any script, error 335, values that
// change under a reader, and both kinds of apartment.
#include <algorithm>
#include <atomic>
#include <thread>

#include "kolo_reg_client.h"
#include "numbered_error.h"
#include "registry_fixture.h"

namespace kolo::testing {
namespace {

using Client = RegistryTest;

void WriteRaw(const std::wstring& path, const wchar_t* name, DWORD type,
              const std::vector<BYTE>& bytes) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name, type, bytes.data(),
                            static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

TEST_F(Client, RootKeyIsHeldOnlyWhileDefaultSectionIsFalse) {
  const std::pair<VARIANT_BOOL, RootKeyConstans> steps[] = {
      {VARIANT_TRUE, kCurrentUser}, {VARIANT_FALSE, kLocalMachine}, {VARIANT_TRUE, kCurrentUser}};
  for (auto [default_section, root] : steps) {
    registry_->put_DefaultSection(default_section);
    registry_->put_RootKey(kLocalMachine);
    RootKeyConstans now{};
    registry_->get_RootKey(&now);
    EXPECT_EQ(now, root);
  }
}

TEST_F(Client, EveryMethodChecksThePathFirstAndReportsError335) {
  struct Case {
    VARIANT_BOOL default_section;
    const wchar_t* company;
    const wchar_t* app;
    std::wstring section;
  };
  const Case cases[] = {
      {VARIANT_TRUE, L"", L"B", L"Sub"},                     // no company name
      {VARIANT_TRUE, L"A", L"", L"Sub"},                     // no application name
      {VARIANT_FALSE, L"A", L"B", L""},                      // below a root, no section
      {VARIANT_TRUE, L"A", L"B", std::wstring(L"S\0b", 3)},  // a NUL inside the path
  };
  UniqueVariant five = Number(VT_I4, 5);
  for (const Case& c : cases) {
    registry_->put_DefaultSection(c.default_section);
    SetNames(c.company, c.app);
    UniqueVariant out;
    EXPECT_EQ(Get(c.section, L"x", five.addressof(), out), kError335);
    EXPECT_EQ(out.vt(), VT_EMPTY);  // untouched
    EXPECT_EQ(Set(c.section, L"x", five.get()), kError335);
    EXPECT_EQ(Delete(c.section, L"x"), kError335);
    EXPECT_EQ(Delete(c.section, L""), kError335);
    GetAll(c.section, kError335);
  }
  // The error information names the interface, with no source or description of its own.
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
    std::wstring stored;  // "type:bytes"
    std::wstring read;    // empty: the value as written
  };
  Case cases[] = {
      {L"Integer", Number(VT_I2, -2), L"4:FEFFFFFF", L"I4:-2"},
      {L"Long", Number(VT_I4, 100000), L"4:A0860100", L""},
      {L"True", Number(VT_BOOL, -1), L"4:FFFFFFFF", L"I4:-1"},
      {L"Single", Number(VT_R4, 0.1), L"3:CDCCCC3D", L""},
      {L"Double", Number(VT_R8, 0.1), L"3:9A9999999999B93F", L""},
      {L"Bytes", Bytes({1, 2, 3}), L"3:010203", L""},
      {L"No bytes", Bytes({}), L"3:", L""},
      {L"String", Text(L"abc"), L"1:6100620063000000", L""},
      {L"Byte", Number(VT_UI1, 7), L"1:37000000", L"BSTR:7"},  // by its string form
      {L"Empty", UniqueVariant(), L"1:0000", L"BSTR:"},
      {L"", Number(VT_I4, 5), L"1:35000000", L"BSTR:5"},  // the unnamed value: a string
  };
  for (Case& c : cases) {
    ASSERT_EQ(Set(L"", c.name, c.value.get()), S_OK) << c.name;
    EXPECT_EQ(Stored(L"", c.name), c.stored);
    EXPECT_EQ(Get(L"", c.name), c.read.empty() ? Show(c.value.get()) : c.read);
  }
  UniqueVariant null_value;
  V_VT(null_value.put()) = VT_NULL;  // no string form: nothing written, not even the key
  EXPECT_EQ(Set(L"Null", L"n", null_value.get()), kError335);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(L"Null")));
}

TEST_F(Client, ReadsWhatOtherProgramsStored) {
  const std::tuple<DWORD, std::vector<BYTE>, const wchar_t*> cases[] = {
      {REG_SZ, {'h', 0, 'i', 0, 0, 0, 'x', 0, 0, 0}, L"BSTR:hi"},
      {REG_SZ, {'h', 0, 'i', 0}, L"BSTR:hi"},  // without its NUL
      {REG_SZ, {'h', 0, 'i'}, L"BSTR:h"},      // an odd last byte
      {REG_DWORD, {0x34, 0x12}, L"I4:4660"},
      {REG_DWORD, {1, 2, 3, 4, 5}, L"failed"},  // no 32-bit integer
      {REG_BINARY, {7, 8, 9}, L"UI1[]:070809"},
      {REG_EXPAND_SZ, {'%', 0, 0, 0}, L"VT0:"},
      {REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0}, L"VT0:"},
      {REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, L"VT0:"},
  };
  for (const auto& [type, bytes, read] : cases) {
    WriteRaw(AppKey(), L"v", type, bytes);
    EXPECT_EQ(Get(L"", L"v"), read) << type;
  }
}

TEST_F(Client, MissingKeysAndValuesGiveTheDefault) {
  UniqueVariant seven = Number(VT_I4, 7);
  // By reference too, as script hosts pass their variables.
  VARIANT by_reference;
  V_VT(&by_reference) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&by_reference) = seven.addressof();
  ASSERT_EQ(Set(L"", L"there", by_reference), S_OK);
  EXPECT_EQ(Stored(L"", L"there"), L"4:07000000");
  for (const wchar_t* section : {L"Nowhere", L""}) {
    for (VARIANT* fallback : {seven.addressof(), &by_reference}) {
      UniqueVariant out;
      ASSERT_EQ(Get(section, L"missing", fallback, out), S_OK);
      EXPECT_EQ(Show(out.get()), L"I4:7");
    }
    EXPECT_EQ(Get(section, L"missing"), L"BSTR:");
  }
}

TEST_F(Client, DeleteValueDeletesValuesAndKeys) {
  ASSERT_EQ(Set(L"Sub", L"a", Number(VT_I4, 1).get()), S_OK);
  EXPECT_EQ(Delete(L"Sub", L"a"), S_OK);
  EXPECT_EQ(Stored(L"Sub", L"a"), L"missing");
  EXPECT_EQ(Delete(L"Sub", L"a"), kError335);  // already gone
  EXPECT_EQ(Delete(L"Sub", L""), S_OK);        // the key itself
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(L"Sub")));
  EXPECT_EQ(Delete(L"Sub", L""), kError335);

  registry_->put_DefaultSection(VARIANT_FALSE);
  registry_->put_RootKey(kCurrentUser);
  // A path ending in "\" names no key: its parent is not deleted in its place.
  EXPECT_EQ(Delete(AppKey() + L"\\", L""), kError335);
  EXPECT_EQ(Delete(L"Software\\" + company_, L""), kError335);  // a key with subkeys stays
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, AppKey()));
  // A path without "\" is a key directly below the root.
  ASSERT_EQ(Set(company_, L"c", Number(VT_I4, 1).get()), S_OK);
  EXPECT_EQ(Delete(company_, L""), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, company_));
}

TEST_F(Client, GetAllValuesListsNamesAndValuesInEnumerationOrder) {
  GetAll(L"", kError335);  // no key yet
  ASSERT_EQ(Set(L"", L"x", Number(VT_I2, 5).get()), S_OK);
  ASSERT_EQ(Set(L"Sub", L"s", Text(L"abc").get()), S_OK);
  ASSERT_EQ(Set(L"", L"y", Text(L"abc").get()), S_OK);
  EXPECT_EQ(GetAll(L""), (std::vector<std::wstring>{L"x=I4:5", L"y=BSTR:abc"}));
  ASSERT_EQ(Delete(L"Sub", L"s"), S_OK);
  GetAll(L"Sub", kError335);  // a key without values

  // More values than a 16-bit index counts.
  UniqueHkey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, AppKey(L"Many").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  for (DWORD i = 0; i < 32770; ++i)
    RegSetValueExW(key.get(), std::to_wstring(i).c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&i),
                   4);
  EXPECT_EQ(GetAll(L"Many").size(), 32770u);
}

TEST_F(Client, KeysAreCreatedToOutlastTheSessionAndOtherRootsAreReached) {
  ASSERT_EQ(Set(L"Kept", L"k", Number(VT_I4, 1).get()), S_OK);
  UniqueHkey child;  // only a non-volatile key can have a non-volatile subkey
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, AppKey(L"Kept\\Child").c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, child.put(), nullptr),
            ERROR_SUCCESS);
  registry_->put_DefaultSection(VARIANT_FALSE);
  registry_->put_RootKey(kClassesRoot);
  EXPECT_EQ(Get(L"CLSID\\{E150A199-2F1A-11D4-9BA5-0000E8D5AE4C}\\ProgID", L""),
            L"BSTR:Kolo_Reg.Registry");
  // A number that is no predefined root would be taken for a handle of the caller.
  registry_->put_RootKey(static_cast<RootKeyConstans>(4));
  EXPECT_EQ(Get(L"Software", L"x"), L"failed");
  EXPECT_EQ(Set(L"Software", L"x", Number(VT_I4, 1).get()), kError335);
}

// The suite runs in code pages 1252 and 932. In neither is any text best-fitted, every name
// reads back as written, and key paths split only at real backslashes (表 and ソ end in the
// byte 0x5C in code page 932). Text of the code page is stored as an ANSI program stores it.
TEST_F(Client, TextInAnyScriptReadsBackAsWritten) {
  const std::wstring texts[] = {L"2*∞", L"√4+π", L"π", L"p", L"é", L"設定", L"表", L"ｶﾅ", L"a😀"};
  UniqueHkey ansi_key;
  RegCreateKeyExW(HKEY_CURRENT_USER, AppKey(L"Ansi").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                  nullptr, ansi_key.put(), nullptr);
  for (const std::wstring& text : texts) {
    ASSERT_EQ(Set(L"Text", text, Text(text).get()), S_OK);
    EXPECT_EQ(Get(L"Text", text), L"BSTR:" + text);
    BOOL lossy = FALSE;
    char ansi[16] = {};
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, ansi, sizeof ansi, nullptr,
                        &lossy);
    if (lossy) continue;
    RegSetValueExA(ansi_key.get(), ansi, 0, REG_SZ, reinterpret_cast<BYTE*>(ansi),
                   static_cast<DWORD>(strlen(ansi) + 1));
    EXPECT_EQ(Stored(L"Text", text), Stored(L"Ansi", text)) << GetACP();
  }
  std::vector<std::wstring> lines = GetAll(L"Text");
  EXPECT_EQ(lines.size(), std::size(texts));
  for (const std::wstring& line : lines)  // each name with its own value
    EXPECT_EQ(L"BSTR:" + line.substr(0, line.find('=')), line.substr(line.find('=') + 1));

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
    std::vector<BYTE> large(20000, 5);
    for (int n = 0; !stop; ++n) {
      if (n % 3 == 0) RegDeleteValueW(key.get(), L"v");
      if (n % 3 == 1) RegSetValueExW(key.get(), L"v", 0, REG_BINARY, large.data(), 20000);
      if (n % 3 == 2)
        RegSetValueExW(key.get(), L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 8);
    }
  });
  const std::wstring large = Show(Bytes(std::vector<BYTE>(20000, 5)).get());
  UniqueVariant seven = Number(VT_I4, 7);
  int values = 0;
  for (int i = 0; i < 500; ++i) {
    UniqueVariant out;
    HRESULT hr = Get(L"", L"v", seven.addressof(), out);
    EXPECT_EQ(hr, S_OK) << "read " << i;
    if (hr != S_OK) break;
    std::wstring read = Show(out.get());
    if (read == L"I4:7") continue;
    ++values;
    EXPECT_TRUE(read == L"BSTR:abc" || read == large) << read.substr(0, 40);
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
  for (int i = 0; i < 200 && !HasFailure(); ++i) {
    std::vector<std::wstring> lines = GetAll(L"");
    std::vector<long> numbers;
    std::wstring shown;
    for (const std::wstring& line : lines) {
      shown += line + L" ";
      if (line == L"fixed=BSTR:f") continue;
      long n = std::wcstol(line.c_str() + 1, nullptr, 10);
      EXPECT_EQ(line, L"x" + std::to_wstring(n) + L"=I4:" + std::to_wstring(n));
      numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    EXPECT_NE(shown.find(L"fixed=BSTR:f"), std::wstring::npos) << shown;
    EXPECT_TRUE(numbers.size() == 1 || (numbers.size() == 2 && numbers[1] == numbers[0] + 1))
        << shown;
  }
  stop = true;
  writer.join();
}

TEST_F(Client, TheProgramsWrapperRaisesError335) {
  std::optional<tly::RegistryClient> client = tly::RegistryClient::Create();
  ASSERT_TRUE(client);
  client->SetCompanyName(company_);
  client->SetAppName(L"B");
  EXPECT_THROW(client->DeleteValue(L"", L"missing"), tly::NumberedError);
  client->SetDefaultSection(false);
  try {
    client->GetValue(L"", L"x", VARIANT{});
    ADD_FAILURE() << "no error";
  } catch (const tly::NumberedError& e) {
    EXPECT_EQ(e.number(), tly::err::kRegistry);
  }
}

// A multithreaded client reaches the object through a proxy, which the type library describes.
class Apartment : public RegistryTest, public ::testing::WithParamInterface<COINIT> {
 protected:
  Apartment() : RegistryTest(GetParam()) {}
};

TEST_P(Apartment, CreatesAndCallsTheClass) {
  ASSERT_EQ(Set(L"Sub", L"x", Number(VT_I4, 5).get()), S_OK);
  EXPECT_EQ(Get(L"Sub", L"x"), L"I4:5");
  EXPECT_EQ(GetAll(L"Sub"), std::vector<std::wstring>{L"x=I4:5"});
  EXPECT_EQ(Delete(L"Sub", L""), S_OK);
  EXPECT_EQ(Delete(L"Sub", L""), kError335);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, Apartment,
                         ::testing::Values(COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED));

}  // namespace
}  // namespace kolo::testing
