// The type library inside Kolo_Reg.dll, which the build finishes from widl's draft: it must
// describe the table of functions the program binds from the header, with the member ids,
// defaults and help strings of the IDL; and IDispatch, which answers from it.
#include <algorithm>
#include <cstddef>
#include <fstream>
#include <regex>
#include <sstream>

#include "registry_fixture.h"

namespace kolo::testing {

// vtable_offsets.cpp: where the C declaration of the header puts each function.
std::size_t HeaderOffset(const std::string& member);

namespace {

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
  std::string Name(ITypeInfo* info, MEMBERID id) {
    UniqueBstr name;
    info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr);
    return Show(Text(name.get() ? name.get() : L"").get()).substr(5);
  }
  // Invoke with copies of the arguments, first to last; Invoke may replace them.
  HRESULT Invoke(DISPID id, WORD flags, const std::vector<VARIANT>& args, UniqueVariant& result,
                 EXCEPINFO* exception = nullptr) {
    std::vector<VARIANT> copies(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
      VariantInit(&copies[args.size() - 1 - i]);
      VariantCopy(&copies[args.size() - 1 - i], const_cast<VARIANT*>(&args[i]));
    }
    DISPID put = DISPID_PROPERTYPUT;
    bool named = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params{copies.data(), named ? &put : nullptr, static_cast<UINT>(args.size()),
                      named ? 1u : 0u};
    HRESULT hr =
        dispatch_->Invoke(id, IID_NULL, 0, flags, &params, result.put(), exception, nullptr);
    for (VARIANT& copy : copies) VariantClear(&copy);
    return hr;
  }

  ComPtr<IDispatch> dispatch_;
  ComPtr<ITypeInfo> dispatch_info_, vtable_info_;
  ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibrary, DescribesTheTableOfFunctionsTheHeaderDeclares) {
  const std::pair<const char*, MEMBERID> members[] = {
      {"get_CompanyName", 0x40030000},    {"put_CompanyName", 0x40030000},
      {"get_AppName", 0x40030001},        {"put_AppName", 0x40030001},
      {"put_DefaultSection", 0x68030001}, {"get_DefaultSection", 0x68030001},
      {"put_RootKey", 0x68030000},        {"get_RootKey", 0x68030000},
      {"GetValue", 0x60030002},           {"SetValue", 0x60030003},
      {"DeleteValue", 0x60030004},        {"GetAllValues", 0x60030005},
  };
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(vtable_info_->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->cFuncs, std::size(members));
  EXPECT_EQ(attr->cbSizeVft, HeaderOffset("size"));
  const WORD flags =
      TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
  EXPECT_EQ(attr->wTypeFlags & flags, flags);
  vtable_info_->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < std::size(members); ++i) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(vtable_info_->GetFuncDesc(i, &desc), S_OK);
    const char* prefix = desc->invkind == INVOKE_PROPERTYGET   ? "get_"
                         : desc->invkind == INVOKE_PROPERTYPUT ? "put_"
                                                               : "";
    EXPECT_EQ(prefix + Name(vtable_info_.get(), desc->memid), members[i].first);
    EXPECT_EQ(desc->memid, members[i].second) << members[i].first;
    EXPECT_EQ(static_cast<std::size_t>(desc->oVft), HeaderOffset(members[i].first));
    vtable_info_->ReleaseFuncDesc(desc);
  }
}

TEST_F(TypeLibrary, OptionalParametersDefaultToTheEmptyString) {
  for (auto [function, parameter, type] : {std::tuple{8u, 2, VT_VARIANT}, {10u, 1, VT_BSTR}}) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(vtable_info_->GetFuncDesc(function, &desc), S_OK);
    const ELEMDESC& param = desc->lprgelemdescParam[parameter];
    EXPECT_EQ(param.tdesc.vt, VT_PTR);
    EXPECT_EQ(param.tdesc.lptdesc->vt, type);
    EXPECT_EQ(param.paramdesc.wParamFlags,
              PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT);
    EXPECT_EQ(Show(param.paramdesc.pparamdescex->varDefaultValue), "BSTR:");
    vtable_info_->ReleaseFuncDesc(desc);
  }
}

TEST_F(TypeLibrary, LibraryEnumerationAndClass) {
  TLIBATTR* lib = nullptr;
  ASSERT_EQ(library_->GetLibAttr(&lib), S_OK);
  EXPECT_EQ(lib->wMajorVerNum * 10 + lib->wMinorVerNum, 41);
  EXPECT_EQ(lib->lcid, 0x409u);
  library_->ReleaseTLibAttr(lib);
  ComPtr<ITypeInfo> roots, coclass;
  ASSERT_EQ(library_->GetTypeInfoOfGuid(
                {0x7259D121, 0x2F1E, 0x11D4, {0x9B, 0xA5, 0x00, 0x00, 0xE8, 0xD5, 0xAE, 0x4C}},
                roots.put()),
            S_OK);
  std::string enumeration;
  for (UINT i = 0; i < 7; ++i) {
    VARDESC* var = nullptr;
    ASSERT_EQ(roots->GetVarDesc(i, &var), S_OK);
    enumeration += Name(roots.get(), var->memid) + "=" + Show(*var->lpvarValue) + " ";
    roots->ReleaseVarDesc(var);
  }
  EXPECT_EQ(enumeration,
            "HKEY_CLASSES_ROOT=I4:-2147483648 HKEY_CURRENT_USER=I4:-2147483647 "
            "HKEY_LOCAL_MACHINE=I4:-2147483646 HKEY_USERS=I4:-2147483645 "
            "HKEY_PERFORMANCE_DATA=I4:-2147483644 HKEY_CURRENT_CONFIG=I4:-2147483643 "
            "HKEY_DYN_DATA=I4:-2147483642 ");
  ASSERT_EQ(library_->GetTypeInfoOfGuid(__uuidof(Registry), coclass.put()), S_OK);
  TYPEATTR* attr = nullptr;
  coclass->GetTypeAttr(&attr);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
  coclass->ReleaseTypeAttr(attr);
  INT flags = 0;
  coclass->GetImplTypeFlags(0, &flags);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
}

// A type library keeps its strings in the reader's ANSI code page; they are written in 932, and
// must read back there as the IDL has them, line breaks included.
TEST_F(TypeLibrary, HelpStringsReadBackAsTheIdlHasThemInTheJapaneseCodePage) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the ANSI code page 932 (LC_ALL=ja_JP.UTF-8)";
  std::ifstream file(KOLO_REG_IDL, std::ios::binary);
  std::stringstream idl;
  idl << file.rdbuf();
  std::string text = idl.str();
  std::vector<std::string> expected;
  std::regex helpstring(R"re(helpstring\("((?:[^"\\]|\\.)*)"\))re");
  for (std::sregex_iterator it(text.begin(), text.end(), helpstring), end; it != end; ++it)
    expected.push_back(std::regex_replace((*it)[1].str(), std::regex(R"(\\r\\n)"), "\r\n"));

  auto doc = [&](ITypeInfo* info, MEMBERID id) {
    UniqueBstr help;
    EXPECT_EQ(info->GetDocumentation(id, nullptr, help.put(), nullptr, nullptr), S_OK);
    return Show(Text(help.get() ? help.get() : L"").get()).substr(5);
  };
  ComPtr<ITypeInfo> coclass, roots;
  library_->GetTypeInfoOfGuid(__uuidof(Registry), coclass.put());
  library_->GetTypeInfoOfGuid(
      {0x7259D121, 0x2F1E, 0x11D4, {0x9B, 0xA5, 0x00, 0x00, 0xE8, 0xD5, 0xAE, 0x4C}}, roots.put());
  UniqueBstr library;
  library_->GetDocumentation(-1, nullptr, library.put(), nullptr, nullptr);
  std::vector<std::string> stored = {Show(Text(library.get()).get()).substr(5),
                                     doc(roots.get(), MEMBERID_NIL),
                                     doc(dispatch_info_.get(), MEMBERID_NIL)};
  for (UINT i = 0; i < 12; ++i) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(vtable_info_->GetFuncDesc(i, &desc), S_OK);
    stored.push_back(doc(vtable_info_.get(), desc->memid));
    EXPECT_EQ(stored.back(), doc(dispatch_info_.get(), desc->memid));
    vtable_info_->ReleaseFuncDesc(desc);
  }
  stored.push_back(doc(coclass.get(), MEMBERID_NIL));
  EXPECT_EQ(stored, expected);
}

TEST_F(TypeLibrary, IDispatchFindsAndCallsEveryMember) {
  for (auto [name, id] : {std::pair{L"GetValue", 0x60030002},
                          {L"deletevalue", 0x60030004},
                          {L"ROOTKEY", 0x68030000}}) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID found = 0;
    ASSERT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 1, 0, &found), S_OK);
    EXPECT_EQ(found, id);
  }
  const WORD get = DISPATCH_PROPERTYGET, put = DISPATCH_PROPERTYPUT, call = DISPATCH_METHOD;
  UniqueVariant company = Text(company_), app = Text(L"B"), yes = Number(VT_BOOL, -1),
                root = Number(VT_I4, static_cast<LONG>(kCurrentUser)), none = Text(L""),
                x = Text(L"x"), five = Number(VT_I4, 5);
  struct Call {
    DISPID id;
    WORD flags;
    std::vector<VARIANT> args;
    std::string result;
  };
  const Call calls[] = {
      {0x40030000, put, {company.get()}, "EMPTY:"},
      {0x40030000, get, {}, Show(company.get())},
      {0x40030001, put, {app.get()}, "EMPTY:"},
      {0x40030001, get, {}, "BSTR:B"},
      {0x68030001, put, {yes.get()}, "EMPTY:"},
      {0x68030001, get, {}, "BOOL:-1"},
      {0x68030000, put, {root.get()}, "EMPTY:"},
      {0x68030000, get, {}, "I4:-2147483647"},
      {0x60030003, call, {none.get(), x.get(), five.get()}, "EMPTY:"},
      {0x60030002, call, {none.get(), x.get(), app.get()}, "I4:5"},
      {0x60030005, call, {none.get()}, "VT8204"},  // VT_ARRAY | VT_VARIANT
      {0x60030004, call, {none.get(), x.get()}, "EMPTY:"},
  };
  for (const Call& c : calls) {
    UniqueVariant result;
    EXPECT_EQ(Invoke(c.id, c.flags, c.args, result), S_OK) << std::hex << c.id;
    EXPECT_EQ(Show(result.get()), c.result) << std::hex << c.id;
  }
  // A failure becomes an exception carrying error 335.
  EXCEPINFO exception{};
  UniqueVariant result;
  EXPECT_EQ(Invoke(0x60030005, call, {x.get()}, result, &exception), DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, kError335);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
}

// Late-bound clients (C++, PowerShell, .NET) leave an optional argument out by passing the error
// DISP_E_PARAMNOTFOUND in its place, directly or by reference; scripts leave it off the end.
TEST_F(TypeLibrary, AnOptionalArgumentLeftOutTakesItsDefault) {
  SCODE not_found = DISP_E_PARAMNOTFOUND;
  VARIANT missing, error_reference, variant_reference;
  V_VT(&missing) = VT_ERROR;
  V_ERROR(&missing) = not_found;
  V_VT(&error_reference) = VT_BYREF | VT_ERROR;
  V_ERRORREF(&error_reference) = &not_found;
  V_VT(&variant_reference) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&variant_reference) = &missing;
  UniqueVariant none = Text(L""), name = Text(L"missing"), sub = Text(L"Sub");
  const std::pair<const char*, std::vector<VARIANT>> ways[] = {
      {"off the end", {}},
      {"VT_ERROR", {missing}},
      {"VT_ERROR by reference", {error_reference}},
      {"VT_VARIANT by reference", {variant_reference}},
  };
  for (const auto& [way, omitted] : ways) {
    std::vector<VARIANT> args = {none.get(), name.get()};
    args.insert(args.end(), omitted.begin(), omitted.end());
    UniqueVariant result;
    EXPECT_EQ(Invoke(0x60030002, DISPATCH_METHOD, args, result), S_OK) << way;
    EXPECT_EQ(Show(result.get()), "BSTR:") << way;  // GetValue's DefaultValue

    ASSERT_EQ(Set(L"Sub", L"s", Text(L"abc").get()), S_OK);
    args = {sub.get()};
    args.insert(args.end(), omitted.begin(), omitted.end());
    EXPECT_EQ(Invoke(0x60030004, DISPATCH_METHOD, args, result), S_OK) << way;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(L"Sub"))) << way;  // DeleteValue's KeyName
  }
}

}  // namespace
}  // namespace kolo::testing
