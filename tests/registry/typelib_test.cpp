// The type library inside Kolo_Reg.dll, which the build finishes from widl's draft: it must
// describe the table of functions the program binds from the header, with the members, defaults
// and help strings of the IDL; and IDispatch, which answers from it.
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "registry_fixture.h"
#include "utf8.h"

// After windows.h, which it needs.
#include <psapi.h>

namespace kolo::testing {

std::size_t HeaderTableStart(), HeaderTableSize();  // vtable_offsets.cpp

namespace {

constexpr GUID kRootKeyConstans = {
    0x7259D121, 0x2F1E, 0x11D4, {0x9B, 0xA5, 0x00, 0x00, 0xE8, 0xD5, 0xAE, 0x4C}};

// The IDL as UTF-16, with "\r\n" in its help strings as the line break it stands for.
std::wstring Idl() {
  std::stringstream file;
  file << std::ifstream(KOLO_REG_IDL, std::ios::binary).rdbuf();
  const std::string utf8 = std::regex_replace(file.str(), std::regex(R"(\\r\\n)"), "\r\n");
  const std::u16string text = tly::Utf8ToUtf16(utf8);
  return {text.begin(), text.end()};
}

class TypeLibrary : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ASSERT_EQ(registry_.QueryTo(dispatch_), S_OK);
    ASSERT_EQ(dispatch_->GetTypeInfo(0, 0, dispatch_info_.put()), S_OK);
    HREFTYPE vtable = 0;
    ASSERT_EQ(dispatch_info_->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable), S_OK);
    ASSERT_EQ(dispatch_info_->GetRefTypeInfo(vtable, vtable_info_.put()), S_OK);
    ASSERT_EQ(dispatch_info_->GetContainingTypeLib(library_.put(), nullptr), S_OK);
  }
  ComPtr<ITypeInfo> Info(const GUID& guid) const {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(library_->GetTypeInfoOfGuid(guid, info.put()), S_OK);
    return info;
  }
  // A name (which 0) or help string (which 1) as the type library gives it.
  static std::wstring Doc(ITypeInfo* info, MEMBERID id, int which) {
    UniqueBstr text;
    info->GetDocumentation(id, which == 0 ? text.put() : nullptr, which == 1 ? text.put() : nullptr,
                           nullptr, nullptr);
    return text ? std::wstring(text.get(), SysStringLen(text.get())) : L"";
  }

  ComPtr<IDispatch> dispatch_;
  ComPtr<ITypeInfo> dispatch_info_, vtable_info_;
  ComPtr<ITypeLib> library_;
};

// Members as "get_Name 40030000": their names, kinds and ids in the order of the table, from the
// IDL and from the type library, at the header's offsets. A type library keeps its strings in the
// reader's ANSI code page; they are written in 932, and read back there as the IDL has them.
TEST_F(TypeLibrary, DescribesTheIdlsMembersAtTheHeadersOffsets) {
  const std::wstring idl = Idl();
  const std::wregex member_pattern(
      LR"re(id\((0x\w+)\), (?:prop(get|put), )?helpstring\("[^"]*"\)\]\s*HRESULT (\w+))re");
  std::vector<std::wstring> members, help;
  for (std::wsregex_iterator it(idl.begin(), idl.end(), member_pattern), end; it != end; ++it)
    members.push_back((*it)[2].str() + ((*it)[2].length() ? L"_" : L"") + (*it)[3].str() + L" " +
                      (*it)[1].str().substr(2));
  const std::wregex help_pattern(LR"re(helpstring\("([^"]*)"\))re");
  for (std::wsregex_iterator it(idl.begin(), idl.end(), help_pattern), end; it != end; ++it)
    help.push_back((*it)[1].str());

  TYPEATTR* attr = nullptr;
  ASSERT_EQ(vtable_info_->GetTypeAttr(&attr), S_OK);
  ASSERT_EQ(attr->cFuncs, members.size());
  EXPECT_EQ(attr->cbSizeVft, HeaderTableSize());
  vtable_info_->ReleaseTypeAttr(attr);
  UniqueBstr library_help;
  library_->GetDocumentation(-1, nullptr, library_help.put(), nullptr, nullptr);
  std::vector<std::wstring> stored_help = {library_help ? library_help.get() : L"",
                                           Doc(Info(kRootKeyConstans).get(), -1, 1),
                                           Doc(dispatch_info_.get(), MEMBERID_NIL, 1)};
  for (UINT i = 0; i < members.size(); ++i) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(vtable_info_->GetFuncDesc(i, &desc), S_OK);
    wchar_t id[12];
    swprintf(id, 12, L" %lx", static_cast<unsigned long>(desc->memid));
    const wchar_t* kind = desc->invkind == INVOKE_PROPERTYGET   ? L"get_"
                          : desc->invkind == INVOKE_PROPERTYPUT ? L"put_"
                                                                : L"";
    EXPECT_EQ(kind + Doc(vtable_info_.get(), desc->memid, 0) + id, members[i]);
    EXPECT_EQ(static_cast<std::size_t>(desc->oVft), HeaderTableStart() + i * sizeof(void*)) << i;
    stored_help.push_back(Doc(vtable_info_.get(), desc->memid, 1));
    vtable_info_->ReleaseFuncDesc(desc);
  }
  stored_help.push_back(Doc(Info(__uuidof(Registry)).get(), MEMBERID_NIL, 1));
  if (GetACP() == 932) {
    EXPECT_EQ(stored_help, help);
  }
  ComPtr<ITypeInfo> roots = Info(kRootKeyConstans);
  for (UINT i = 0; i < kDynData - kClassesRoot + 1u; ++i) {
    VARDESC* var = nullptr;
    ASSERT_EQ(roots->GetVarDesc(i, &var), S_OK);
    EXPECT_EQ(static_cast<ULONG>(V_I4(var->lpvarValue)), kClassesRoot + i);
    roots->ReleaseVarDesc(var);
  }
}

// Each member with its id, kind, the arguments it takes and how many of them are required.
struct Member {
  DISPID id;
  WORD kind;
  UINT parameters, required;
};
constexpr WORD kGet = DISPATCH_PROPERTYGET, kPut = DISPATCH_PROPERTYPUT;
constexpr Member kMembers[] = {{0x40030000, kGet, 0, 0},
                               {0x40030000, kPut, 1, 1},
                               {0x40030001, kGet, 0, 0},
                               {0x40030001, kPut, 1, 1},
                               {0x68030001, kGet, 0, 0},
                               {0x68030001, kPut, 1, 1},
                               {0x68030000, kGet, 0, 0},
                               {0x68030000, kPut, 1, 1},
                               {0x60030002, DISPATCH_METHOD, 3, 2},
                               {0x60030003, DISPATCH_METHOD, 3, 3},
                               {0x60030004, DISPATCH_METHOD, 2, 1},
                               {0x60030005, DISPATCH_METHOD, 1, 1}};
const Member &kGetValue = kMembers[8], &kSetValue = kMembers[9], &kDeleteValue = kMembers[10];

template <typename T>
VARIANT Argument(VARTYPE type, T value) {
  VARIANT v{};
  V_VT(&v) = type;
  std::memcpy(&V_I8(&v), &value, sizeof value);
  return v;
}

// A client that calls Invoke with arguments of every kind a caller may pass: strings by value
// and by reference, left out (DISP_E_PARAMNOTFOUND, directly and by reference), null strings
// and references, numbers, arrays, Empty, Null and another error.
class Sweep : public TypeLibrary {
 protected:
  std::wstring Values() {  // what the caller's variables hold, and where
    return Hex(&text_, sizeof text_) + Hex(text_.get(), SysStringByteLen(text_.get())) +
           Hex(&referenced_, sizeof referenced_) + Show(held_.get()) + Show(bytes_.get()) +
           std::to_wstring(number_) + Show(*V_VARIANTREF(&kinds_[15]));
  }

  // Invoke with `args` (last first), the first of them named by `named`, and the result shown
  // in result_; the object is set back to the fixture's state afterwards, so that no call
  // reaches beyond the scratch key. The arguments and what they refer to come back unchanged,
  // byte for byte.
  HRESULT Call(const Member& member, std::vector<VARIANT> args, std::vector<DISPID> named = {},
               UINT* bad_argument = nullptr) {
    const std::vector<VARIANT> passed = args;
    DISPPARAMS params{args.data(), named.data(), static_cast<UINT>(args.size()),
                      static_cast<UINT>(named.size())};
    UniqueVariant result;
    EXCEPINFO exception{};
    HRESULT hr = dispatch_->Invoke(member.id, IID_NULL, 0, member.kind, &params, result.put(),
                                   &exception, bad_argument);
    result_ = Show(result.get());
    EXPECT_EQ(Hex(args.data(), args.size() * sizeof(VARIANT)),
              Hex(passed.data(), passed.size() * sizeof(VARIANT)));
    EXPECT_EQ(Values(), values_);
    EXPECT_TRUE(hr != DISP_E_EXCEPTION || exception.scode == kError335) << exception.scode;
    for (BSTR text : {exception.bstrSource, exception.bstrDescription, exception.bstrHelpFile})
      SysFreeString(text);
    registry_->put_DefaultSection(VARIANT_TRUE);
    registry_->put_CompanyName(Bstr(company_).get());
    registry_->put_AppName(Bstr(L"B").get());
    return hr;
  }

  SCODE not_found_ = DISP_E_PARAMNOTFOUND;
  UniqueBstr text_ = Bstr(L"Sub"), referenced_ = Bstr(L"Sub");
  UniqueVariant held_ = Text(L"Sub"), bytes_ = Bytes({1, 2, 3});
  LONG number_ = 5;
  VARIANT left_out_ = Argument(VT_ERROR, not_found_);
  const std::vector<VARIANT> kinds_ = {
      Argument(VT_BSTR, text_.get()),
      left_out_,
      Argument(VT_BSTR, nullptr),
      Argument(VT_BYREF | VT_BSTR, referenced_.addressof()),
      Argument(VT_BYREF | VT_VARIANT, held_.addressof()),
      Argument(VT_BYREF | VT_BSTR, nullptr),
      Argument(VT_I4, 5),
      Argument(VT_BYREF | VT_I4, &number_),
      Argument(VT_BOOL, VARIANT_TRUE),
      Argument(VT_ARRAY | VT_UI1, V_ARRAY(bytes_.addressof())),
      Argument(VT_BYREF | VT_ARRAY | VT_UI1, &V_ARRAY(bytes_.addressof())),
      Argument(VT_EMPTY, 0),
      Argument(VT_NULL, 0),
      Argument(VT_ERROR, E_FAIL),
      Argument(VT_BYREF | VT_ERROR, &not_found_),
      Argument(VT_BYREF | VT_VARIANT, &left_out_)};
  const std::wstring values_ = Values();
  std::wstring result_;
};

// Every member with none up to two more arguments than it has, in two patterns: each kind at
// each place, and each kind between names of sections (`r.DeleteValue "a", , "b"`); then with
// one argument of each kind named by each parameter's id and by ids of no parameter. Too many
// or too few arguments, and names of no parameter, are refused as such; the rest work or fail
// as a call may. A property put takes its value named DISPID_PROPERTYPUT, and only so.
TEST_F(Sweep, EveryMemberTakesAnyArgumentsWithoutHarm) {
  const std::size_t count = kinds_.size();
  auto check = [](HRESULT hr, HRESULT expected, const Member& member, int n, std::size_t k) {
    EXPECT_TRUE(expected != S_OK ? hr == expected
                                 : hr == S_OK || hr == DISP_E_EXCEPTION ||
                                       hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTOPTIONAL)
        << std::hex << member.id << " " << n << " " << k << " " << hr;
  };
  for (const Member& member : kMembers) {
    const bool put = member.kind == kPut;
    for (UINT n = 0; n <= member.parameters + 2; ++n) {
      for (std::size_t k = 0; k < 2 * count; ++k) {
        std::vector<VARIANT> args(n);
        for (UINT i = 0; i < n; ++i)
          args[i] = k < count ? kinds_[(k + i) % count] : i % 2 ? kinds_[k - count] : kinds_[0];
        const HRESULT hr =
            Call(member, args, std::vector<DISPID>(put && n > 0, DISPID_PROPERTYPUT));
        check(hr, n > member.parameters || n < member.required ? DISP_E_BADPARAMCOUNT : S_OK,
              member, n, k);
      }
    }
    for (DISPID id : {0, 1, 2, 3, -1, DISPID_PROPERTYPUT, 0x60030004}) {
      const bool known = put ? id == DISPID_PROPERTYPUT : id >= 0 && id < DISPID(member.parameters);
      for (std::size_t k = 0; k < count; ++k) {
        UINT bad_argument = 99;
        HRESULT hr = Call(member, {kinds_[k]}, {id}, &bad_argument);
        HRESULT expected = member.parameters == 0 ? DISP_E_BADPARAMCOUNT
                           : !known               ? DISP_E_PARAMNOTFOUND
                           : member.required > 1 || (member.required && id > 0 && !put)
                               ? DISP_E_PARAMNOTOPTIONAL
                               : S_OK;
        check(hr, expected, member, -id, k);
        EXPECT_TRUE(expected != DISP_E_PARAMNOTFOUND || bad_argument == 0) << bad_argument;
      }
    }
  }
}

// Arguments reach their parameters by position or by name, in any order; a parameter named
// twice, or given by position and by name, is no parameter of its own (the argument at fault is
// told). Late-bound clients (C++, PowerShell, .NET) leave an optional argument out by passing
// DISP_E_PARAMNOTFOUND in its place, directly or by reference: it takes the type library's
// default, for DeleteValue's KeyName too (the key itself is deleted).
TEST_F(Sweep, ArgumentsReachTheirParameters) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"DeleteValue"), const_cast<LPOLESTR>(L"KeyName"),
                      const_cast<LPOLESTR>(L"Section")};
  DISPID ids[3] = {};
  ASSERT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 3, 0, ids), S_OK);
  EXPECT_EQ(std::vector<DISPID>(ids, ids + 3), std::vector<DISPID>({0x60030004, 1, 0}));
  UniqueVariant x = Text(L"x"), none = Text(L"none"), seven = Number(VT_I4, 7);
  const VARIANT sub = kinds_[0], sub_reference = kinds_[3];
  const struct {
    const Member& member;
    std::vector<VARIANT> args;
    std::vector<DISPID> named;
    HRESULT hr;
    const wchar_t* result;  // or the argument at fault
  } cases[] = {
      {kSetValue, {seven.get(), x.get(), sub}, {}, S_OK, L"VT0:"},
      {kGetValue, {seven.get(), none.get(), sub}, {2, 1, 0}, S_OK, L"I4:7"},
      {kGetValue, {x.get(), sub}, {1, 0}, S_OK, L"I4:7"},
      {kGetValue, {x.get(), sub}, {1}, S_OK, L"I4:7"},
      {kGetValue, {kinds_[1], none.get(), sub_reference}, {}, S_OK, L"BSTR:"},
      {kGetValue, {kinds_[14], none.get(), sub_reference}, {}, S_OK, L"BSTR:"},
      {kGetValue, {kinds_[15], none.get(), sub_reference}, {}, S_OK, L"BSTR:"},
      {kGetValue, {sub, x.get()}, {0, 0}, DISP_E_PARAMNOTFOUND, L"1"},
      {kDeleteValue, {x.get(), sub}, {0}, DISP_E_PARAMNOTFOUND, L"0"},
      {kDeleteValue, {x.get(), sub}, {1}, S_OK, L"VT0:"},
      {kGetValue, {x.get(), sub}, {1, 0}, S_OK, L"BSTR:"},
      {kDeleteValue, {sub}, {0}, S_OK, L"VT0:"},
      {kSetValue, {seven.get(), x.get(), sub}, {}, S_OK, L"VT0:"},
      {kDeleteValue, {kinds_[1], sub_reference}, {}, S_OK, L"VT0:"},
      {kSetValue, {seven.get(), x.get(), sub}, {}, S_OK, L"VT0:"},
      {kDeleteValue, {kinds_[14], sub}, {}, S_OK, L"VT0:"},
      {kSetValue, {seven.get(), x.get(), sub}, {}, S_OK, L"VT0:"},
      {kDeleteValue, {kinds_[15], sub}, {}, S_OK, L"VT0:"},
  };
  for (const auto& c : cases) {
    UINT bad_argument = 99;
    EXPECT_EQ(Call(c.member, c.args, c.named, &bad_argument), c.hr) << (&c - cases);
    EXPECT_EQ(c.hr == S_OK ? result_ : std::to_wstring(bad_argument), c.result) << (&c - cases);
  }
  EXPECT_FALSE(KeyExists(AppKey(L"Sub")));
}

// 10^5 calls that fail and 10^5 that work, with strings by value, leave the memory as it was.
// They fail at KeyName, which has no string form, once Section was converted.
TEST_F(Sweep, RepeatedCallsKeepTheMemoryFlat) {
  auto private_bytes = [] {
    PROCESS_MEMORY_COUNTERS counters{};  // Wine fills no PrivateUsage; this is the same count
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<long long>(counters.PagefileUsage);
  };
  UniqueVariant section = Text(std::wstring(100, L's'));
  for (bool fails : {true, false}) {
    VARIANT args[] = {fails ? kinds_[13] : section.get(), section.get()};  // GetValue(s, name)
    DISPPARAMS params{args, nullptr, 2, 0};
    const HRESULT expected = fails ? DISP_E_TYPEMISMATCH : S_OK;
    long long before = 0;
    int other = 0;
    for (int i = -100; i < 100000; ++i) {
      if (i == 0) before = private_bytes();
      UniqueVariant result;
      other += dispatch_->Invoke(kGetValue.id, IID_NULL, 0, DISPATCH_METHOD, &params, result.put(),
                                 nullptr, nullptr) != expected;
    }
    const long long after = private_bytes();
    std::printf("%s calls: %lld bytes before, %lld after\n", fails ? "failing" : "working", before,
                after);
    EXPECT_EQ(other, 0);
    EXPECT_LT(after - before, 1 << 20) << expected;
  }
}

}  // namespace
}  // namespace kolo::testing
