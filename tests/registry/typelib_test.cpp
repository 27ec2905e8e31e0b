// The type library inside Kolo_Reg.dll, which the build finishes from widl's draft: it must
// describe the table of functions the program binds from the header, with the members, defaults
// and help strings of the IDL; and IDispatch, which answers from it.
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

// Late-bound clients (C++, PowerShell, .NET) leave an optional argument out by passing the error
// DISP_E_PARAMNOTFOUND in its place, directly or by reference, and Invoke passes the defaults
// that the type library was finished with. (Scripts leave it off the end.)
TEST_F(TypeLibrary, AnOptionalArgumentLeftOutTakesItsDefault) {
  SCODE not_found = DISP_E_PARAMNOTFOUND;
  VARIANT missing, error_reference, variant_reference;
  V_VT(&missing) = VT_ERROR;
  V_ERROR(&missing) = not_found;
  V_VT(&error_reference) = VT_BYREF | VT_ERROR;
  V_ERRORREF(&error_reference) = &not_found;
  V_VT(&variant_reference) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&variant_reference) = &missing;
  UniqueBstr sub = Bstr(L"Sub"), name = Bstr(L"x");
  VARIANT sub_reference, name_reference;
  V_VT(&sub_reference) = V_VT(&name_reference) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&sub_reference) = sub.addressof();
  V_BSTRREF(&name_reference) = name.addressof();
  for (const VARIANT& omitted : {missing, error_reference, variant_reference}) {
    ASSERT_EQ(Set(L"Sub", L"s", Text(L"abc").get()), S_OK);
    // GetValue("Sub", "x", omitted) and DeleteValue("Sub", omitted), the arguments last first.
    VARIANT get_args[] = {omitted, name_reference, sub_reference};
    VARIANT delete_args[] = {omitted, sub_reference};
    DISPPARAMS get{get_args, nullptr, 3, 0}, del{delete_args, nullptr, 2, 0};
    UniqueVariant value;
    EXPECT_EQ(dispatch_->Invoke(0x60030002, IID_NULL, 0, DISPATCH_METHOD, &get, value.put(),
                                nullptr, nullptr),
              S_OK);
    EXPECT_EQ(Show(value.get()), L"BSTR:") << V_VT(&omitted);
    EXPECT_EQ(dispatch_->Invoke(0x60030004, IID_NULL, 0, DISPATCH_METHOD, &del, nullptr, nullptr,
                                nullptr),
              S_OK);
    EXPECT_FALSE(KeyExists(AppKey(L"Sub"))) << V_VT(&omitted);
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

// A client that calls Invoke with arguments of every kind a caller may pass.
class Sweep : public TypeLibrary {
 protected:
  void SetUp() override {
    TypeLibrary::SetUp();
    auto add = [&](VARTYPE type, auto set) {
      VARIANT v{};
      V_VT(&v) = type;
      set(v);
      kinds_.push_back(v);
    };
    add(VT_BSTR, [&](VARIANT& a) { V_BSTR(&a) = text_.get(); });
    add(VT_ERROR, [](VARIANT& a) { V_ERROR(&a) = DISP_E_PARAMNOTFOUND; });  // left out
    add(VT_BSTR, [](VARIANT& a) { V_BSTR(&a) = nullptr; });
    add(VT_BYREF | VT_BSTR, [&](VARIANT& a) { V_BSTRREF(&a) = referenced_.addressof(); });
    add(VT_BYREF | VT_VARIANT, [&](VARIANT& a) { V_VARIANTREF(&a) = held_.addressof(); });
    add(VT_BYREF | VT_BSTR, [](VARIANT& a) { V_BSTRREF(&a) = nullptr; });
    add(VT_I4, [](VARIANT& a) { V_I4(&a) = 5; });
    add(VT_BYREF | VT_I4, [&](VARIANT& a) { V_I4REF(&a) = &number_; });
    add(VT_BOOL, [](VARIANT& a) { V_BOOL(&a) = VARIANT_TRUE; });
    add(VT_ARRAY | VT_UI1, [&](VARIANT& a) { V_ARRAY(&a) = V_ARRAY(bytes_.addressof()); });
    add(VT_BYREF | VT_ARRAY | VT_UI1,
        [&](VARIANT& a) { V_ARRAYREF(&a) = &V_ARRAY(bytes_.addressof()); });
    add(VT_EMPTY, [](VARIANT&) {});
    add(VT_NULL, [](VARIANT&) {});
    add(VT_ERROR, [](VARIANT& a) { V_ERROR(&a) = E_FAIL; });
    values_ = Values();
  }

  // What the caller's variables hold, and where.
  std::wstring Values() {
    return Hex(&text_, sizeof text_) + Hex(text_.get(), SysStringByteLen(text_.get())) +
           Hex(&referenced_, sizeof referenced_) + Show(*V_VARIANTREF(&kinds_[4])) +
           Show(bytes_.get()) + std::to_wstring(number_);
  }

  // Invoke with `args` (last first), the first of them named by `named`; the member's object is
  // set back to the fixture's state afterwards, so no call reaches beyond the scratch key. The
  // arguments and what they refer to come back unchanged, byte for byte.
  HRESULT Call(const Member& member, std::vector<VARIANT> args, std::vector<DISPID> named = {},
               UINT* bad_argument = nullptr) {
    const std::vector<VARIANT> passed = args;
    DISPPARAMS params{args.data(), named.data(), static_cast<UINT>(args.size()),
                      static_cast<UINT>(named.size())};
    UniqueVariant result;
    EXCEPINFO exception{};
    HRESULT hr = dispatch_->Invoke(member.id, IID_NULL, 0, member.kind, &params, result.put(),
                                   &exception, bad_argument);
    EXPECT_EQ(Hex(args.data(), args.size() * sizeof(VARIANT)),
              Hex(passed.data(), passed.size() * sizeof(VARIANT)));
    EXPECT_EQ(Values(), values_);
    if (hr == DISP_E_EXCEPTION) {
      EXPECT_EQ(exception.scode, kError335);
      SysFreeString(exception.bstrSource);
      SysFreeString(exception.bstrDescription);
      SysFreeString(exception.bstrHelpFile);
    }
    registry_->put_DefaultSection(VARIANT_TRUE);
    registry_->put_CompanyName(Bstr(company_).get());
    registry_->put_AppName(Bstr(L"B").get());
    return hr;
  }

  UniqueBstr text_ = Bstr(L"Sweep"), referenced_ = Bstr(L"Sweep");
  UniqueVariant held_ = Text(L"Sweep"), bytes_ = Bytes({1, 2, 3});
  LONG number_ = 5;
  std::vector<VARIANT> kinds_;  // shallow: they point at the members above
  std::wstring values_;
};

// Every member with none up to two more arguments than it has, in two patterns: each kind at
// each place, and each kind between names of sections (`r.DeleteValue "a", , "b"`); then with
// one argument of each kind named by each parameter's id and by ids of no parameter. Too many
// or too few arguments, and names of no parameter, are refused as such; the rest work or fail
// as a call may. A property put takes its value named DISPID_PROPERTYPUT, and only so.
TEST_F(Sweep, EveryMemberTakesAnyArgumentsWithoutHarm) {
  const std::size_t count = kinds_.size();
  auto check = [](HRESULT hr, HRESULT expected, const Member& member, int n, std::size_t k) {
    if (expected != S_OK) {
      EXPECT_EQ(hr, expected) << std::hex << member.id << " " << n << " " << k;
    } else {
      EXPECT_TRUE(hr == S_OK || hr == DISP_E_EXCEPTION || hr == DISP_E_TYPEMISMATCH ||
                  hr == DISP_E_PARAMNOTOPTIONAL)
          << std::hex << member.id << " " << n << " " << k << " " << hr;
    }
  };
  for (const Member& member : kMembers) {
    const bool put = member.kind == kPut;
    for (UINT n = 0; n <= member.parameters + 2; ++n) {
      for (std::size_t k = 0; k < 2 * count; ++k) {
        std::vector<VARIANT> args(n);
        for (UINT i = 0; i < n; ++i)
          args[i] = k < count ? kinds_[(k + i) % count] : i % 2 ? kinds_[k - count] : kinds_[0];
        std::vector<DISPID> named;
        if (put && n > 0) named.push_back(DISPID_PROPERTYPUT);
        HRESULT bad_count =
            n > member.parameters || n < member.required ? DISP_E_BADPARAMCOUNT : S_OK;
        check(Call(member, args, named), bad_count, member, n, k);
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
        if (expected == DISP_E_PARAMNOTFOUND) {
          EXPECT_EQ(bad_argument, 0u);
        }
      }
    }
  }
}

// Named arguments reach the parameters they name, in any order, beside positional ones; a
// parameter named twice, or given by position and by name, is no parameter of its own.
TEST_F(Sweep, NamedArgumentsReachTheirParameters) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"DeleteValue"), const_cast<LPOLESTR>(L"KeyName"),
                      const_cast<LPOLESTR>(L"Section")};
  DISPID ids[3] = {};
  ASSERT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 3, 0, ids), S_OK);
  EXPECT_EQ(ids[0], 0x60030004);
  EXPECT_EQ(ids[1], 1);
  EXPECT_EQ(ids[2], 0);
  const Member get_value = kMembers[8], delete_value = kMembers[10];
  UniqueVariant sub = Text(L"Sub"), x = Text(L"x"), y = Text(L"y"), seven = Number(VT_I4, 7);
  ASSERT_EQ(Set(L"Sub", L"x", seven.get()), S_OK);
  ASSERT_EQ(Set(L"Sub", L"y", seven.get()), S_OK);
  // GetValue(DefaultValue:=7, KeyName:="none", Section:="Sub") and with y by name.
  DISPPARAMS get{nullptr, nullptr, 3, 3};
  UniqueVariant none = Text(L"none"), result;
  VARIANT get_args[] = {seven.get(), none.get(), sub.get()};
  DISPID get_ids[] = {2, 1, 0};
  get.rgvarg = get_args;
  get.rgdispidNamedArgs = get_ids;
  EXPECT_EQ(dispatch_->Invoke(get_value.id, IID_NULL, 0, DISPATCH_METHOD, &get, result.put(),
                              nullptr, nullptr),
            S_OK);
  EXPECT_EQ(Show(result.get()), L"I4:7");
  EXPECT_EQ(Call(delete_value, {x.get(), sub.get()}, {1, 0}), S_OK);  // KeyName, Section
  EXPECT_EQ(Get(L"Sub", L"x"), L"BSTR:");
  EXPECT_EQ(Call(delete_value, {y.get(), sub.get()}, {1}), S_OK);  // "Sub", KeyName:="y"
  EXPECT_EQ(Get(L"Sub", L"y"), L"BSTR:");
  EXPECT_EQ(Call(delete_value, {sub.get()}, {0}), S_OK);  // Section:="Sub": the key
  EXPECT_FALSE(KeyExists(AppKey(L"Sub")));
  UINT bad_argument = 99;
  EXPECT_EQ(Call(delete_value, {sub.get(), x.get()}, {0, 0}, &bad_argument), DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(bad_argument, 1u);
  EXPECT_EQ(Call(delete_value, {x.get(), sub.get()}, {0}, &bad_argument), DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(bad_argument, 0u);
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
      other += dispatch_->Invoke(kMembers[8].id, IID_NULL, 0, DISPATCH_METHOD, &params,
                                 result.put(), nullptr, nullptr) != expected;
    }
    EXPECT_EQ(other, 0);
    EXPECT_LT(private_bytes() - before, 1 << 20) << expected;
  }
}

}  // namespace
}  // namespace kolo::testing
