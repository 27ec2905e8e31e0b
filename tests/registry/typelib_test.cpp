// The type library inside Kolo_Reg.dll, which the build finishes from widl's draft: it must
// describe the table of functions the program binds from the header, with the member ids,
// defaults and help strings of the IDL; and IDispatch, which answers from it.
#include <cstddef>
#include <fstream>
#include <regex>
#include <sstream>

#include "registry_fixture.h"

namespace kolo::testing {

std::vector<std::size_t> HeaderOffsets();  // vtable_offsets.cpp

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
    library_->GetTypeInfoOfGuid(__uuidof(Registry), coclass_.put());
    library_->GetTypeInfoOfGuid(
        {0x7259D121, 0x2F1E, 0x11D4, {0x9B, 0xA5, 0x00, 0x00, 0xE8, 0xD5, 0xAE, 0x4C}},
        roots_.put());
  }
  // A name (which 0) or help string (which 1) as the type library gives it.
  static std::wstring Doc(ITypeInfo* info, MEMBERID id, int which) {
    UniqueBstr text;
    info->GetDocumentation(id, which == 0 ? text.put() : nullptr, which == 1 ? text.put() : nullptr,
                           nullptr, nullptr);
    return text ? std::wstring(text.get(), SysStringLen(text.get())) : L"";
  }
  // Invoke with copies of the arguments, first to last; Invoke may replace them.
  HRESULT Invoke(DISPID id, const std::vector<VARIANT>& args, UniqueVariant& result) {
    std::vector<VARIANT> copies(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
      VariantInit(&copies[i]);
      VariantCopy(&copies[i], const_cast<VARIANT*>(&args[args.size() - 1 - i]));
    }
    DISPPARAMS params{copies.data(), nullptr, static_cast<UINT>(copies.size()), 0};
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result.put(), nullptr,
                                   nullptr);
    for (VARIANT& copy : copies) VariantClear(&copy);
    return hr;
  }

  ComPtr<IDispatch> dispatch_;
  ComPtr<ITypeInfo> dispatch_info_, vtable_info_, coclass_, roots_;
  ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibrary, DescribesTheTableOfFunctionsTheHeaderDeclares) {
  const std::pair<const wchar_t*, MEMBERID> members[] = {
      {L"get_CompanyName", 0x40030000},    {L"put_CompanyName", 0x40030000},
      {L"get_AppName", 0x40030001},        {L"put_AppName", 0x40030001},
      {L"put_DefaultSection", 0x68030001}, {L"get_DefaultSection", 0x68030001},
      {L"put_RootKey", 0x68030000},        {L"get_RootKey", 0x68030000},
      {L"GetValue", 0x60030002},           {L"SetValue", 0x60030003},
      {L"DeleteValue", 0x60030004},        {L"GetAllValues", 0x60030005},
  };
  std::vector<std::size_t> offsets = HeaderOffsets();
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(vtable_info_->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->cFuncs, std::size(members));
  EXPECT_EQ(attr->cbSizeVft, offsets.back());
  const WORD flags =
      TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
  EXPECT_EQ(attr->wTypeFlags & flags, flags);
  vtable_info_->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < std::size(members); ++i) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(vtable_info_->GetFuncDesc(i, &desc), S_OK);
    std::wstring prefix = desc->invkind == INVOKE_PROPERTYGET   ? L"get_"
                          : desc->invkind == INVOKE_PROPERTYPUT ? L"put_"
                                                                : L"";
    EXPECT_EQ(prefix + Doc(vtable_info_.get(), desc->memid, 0), members[i].first);
    EXPECT_EQ(desc->memid, members[i].second) << i;
    EXPECT_EQ(static_cast<std::size_t>(desc->oVft), offsets[i]) << i;
    vtable_info_->ReleaseFuncDesc(desc);
  }
}

TEST_F(TypeLibrary, LibraryEnumerationClassAndOptionalParameters) {
  TLIBATTR* lib = nullptr;
  ASSERT_EQ(library_->GetLibAttr(&lib), S_OK);
  EXPECT_EQ(lib->wMajorVerNum * 10 + lib->wMinorVerNum, 41);
  EXPECT_EQ(lib->lcid, 0x409u);
  library_->ReleaseTLibAttr(lib);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(roots_->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->cVars, kDynData - kClassesRoot + 1);
  roots_->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < kDynData - kClassesRoot + 1u; ++i) {
    VARDESC* var = nullptr;
    ASSERT_EQ(roots_->GetVarDesc(i, &var), S_OK);
    EXPECT_EQ(static_cast<ULONG>(V_I4(var->lpvarValue)), kClassesRoot + i);
    EXPECT_EQ(Doc(roots_.get(), var->memid, 0).substr(0, 5), L"HKEY_");
    roots_->ReleaseVarDesc(var);
  }
  ASSERT_EQ(coclass_->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
  coclass_->ReleaseTypeAttr(attr);
  INT flags = 0;
  coclass_->GetImplTypeFlags(0, &flags);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
  // GetValue's DefaultValue and DeleteValue's KeyName, which widl cannot give a default.
  for (auto [function, parameter, type] : {std::tuple{8u, 2, VT_VARIANT}, {10u, 1, VT_BSTR}}) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(vtable_info_->GetFuncDesc(function, &desc), S_OK);
    const ELEMDESC& param = desc->lprgelemdescParam[parameter];
    EXPECT_EQ(param.tdesc.vt, VT_PTR);
    EXPECT_EQ(param.tdesc.lptdesc->vt, type);
    EXPECT_EQ(param.paramdesc.wParamFlags,
              PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT);
    EXPECT_EQ(Show(param.paramdesc.pparamdescex->varDefaultValue), L"BSTR:");
    vtable_info_->ReleaseFuncDesc(desc);
  }
}

// A type library keeps its strings in the reader's ANSI code page; they are written in 932, and
// must read back there as the IDL has them, line breaks included.
TEST_F(TypeLibrary, HelpStringsReadBackAsTheIdlHasThemInTheJapaneseCodePage) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the ANSI code page 932 (LC_ALL=ja_JP.UTF-8)";
  std::stringstream idl;
  idl << std::ifstream(KOLO_REG_IDL, std::ios::binary).rdbuf();
  const std::string text = idl.str();
  std::vector<std::wstring> expected;
  std::regex helpstring(R"re(helpstring\("((?:[^"\\]|\\.)*)"\))re");
  for (std::sregex_iterator it(text.begin(), text.end(), helpstring), end; it != end; ++it) {
    std::string utf8 = std::regex_replace((*it)[1].str(), std::regex(R"(\\r\\n)"), "\r\n");
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    expected.push_back(wide);
  }
  UniqueBstr library;
  library_->GetDocumentation(-1, nullptr, library.put(), nullptr, nullptr);
  std::vector<std::wstring> stored = {library ? library.get() : L"",
                                      Doc(roots_.get(), MEMBERID_NIL, 1),
                                      Doc(dispatch_info_.get(), MEMBERID_NIL, 1)};
  for (UINT i = 0; i < 12; ++i) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(vtable_info_->GetFuncDesc(i, &desc), S_OK);
    stored.push_back(Doc(vtable_info_.get(), desc->memid, 1));
    EXPECT_EQ(stored.back(), Doc(dispatch_info_.get(), desc->memid, 1));
    vtable_info_->ReleaseFuncDesc(desc);
  }
  stored.push_back(Doc(coclass_.get(), MEMBERID_NIL, 1));
  EXPECT_EQ(stored, expected);
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
  UniqueVariant none = Text(L""), name = Text(L"x"), sub = Text(L"Sub");
  const std::pair<const char*, std::vector<VARIANT>> ways[] = {
      {"off the end", {}},
      {"VT_ERROR", {missing}},
      {"VT_ERROR by reference", {error_reference}},
      {"VT_VARIANT by reference", {variant_reference}},
  };
  for (const auto& [way, omitted] : ways) {
    for (const wchar_t* stored : {L"", L"abc"}) {  // GetValue: DefaultValue "", or the value
      if (*stored) {
        ASSERT_EQ(Set(L"", L"x", Text(stored).get()), S_OK);
      }
      std::vector<VARIANT> args = {none.get(), name.get()};
      args.insert(args.end(), omitted.begin(), omitted.end());
      UniqueVariant result;
      EXPECT_EQ(Invoke(0x60030002, args, result), S_OK) << way;
      EXPECT_EQ(Show(result.get()), std::wstring(L"BSTR:") + stored) << way;
    }
    ASSERT_EQ(Set(L"Sub", L"s", Text(L"abc").get()), S_OK);  // DeleteValue: the key itself
    std::vector<VARIANT> args = {sub.get()};
    args.insert(args.end(), omitted.begin(), omitted.end());
    UniqueVariant result;
    EXPECT_EQ(Invoke(0x60030004, args, result), S_OK) << way;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(L"Sub"))) << way;
    ASSERT_EQ(Delete(L"", L"x"), S_OK);
  }
  // A failure becomes an exception carrying error 335.
  EXCEPINFO exception{};
  DISPPARAMS params{sub.addressof(), nullptr, 1, 0};
  EXPECT_EQ(dispatch_->Invoke(0x60030005, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                              &exception, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, kError335);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
}

}  // namespace
}  // namespace kolo::testing
