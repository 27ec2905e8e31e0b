// The type library inside Kolo_Reg.dll: it describes the same table of functions that the
// program binds from the header, with the member ids, defaults and help strings of the class,
// and IDispatch answers from it.
#include <cstddef>
#include <cstring>

#include "registry_fixture.h"

namespace kolo::testing {

// vtable_offsets.cpp: where the C declaration of the header puts each function.
std::size_t HeaderOffset(const char* member);

namespace {

class TypeLibrary : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(registry_.QueryTo(dispatch), S_OK);
    ASSERT_EQ(dispatch->GetTypeInfo(0, 0, dispatch_info_.put()), S_OK);
    HREFTYPE vtable = 0;
    ASSERT_EQ(dispatch_info_->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable), S_OK);
    ASSERT_EQ(dispatch_info_->GetRefTypeInfo(vtable, vtable_info_.put()), S_OK);
    ASSERT_EQ(dispatch_info_->GetContainingTypeLib(library_.put(), nullptr), S_OK);
  }
  ComPtr<ITypeInfo> dispatch_info_, vtable_info_;
  ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibrary, DescribesTheTableOfFunctionsTheHeaderDeclares) {
  struct Member {
    const wchar_t* name;
    INVOKEKIND kind;
    MEMBERID id;
    std::size_t offset;
  };
  const Member members[] = {
      {L"CompanyName", INVOKE_PROPERTYGET, 0x40030000, HeaderOffset("get_CompanyName")},
      {L"CompanyName", INVOKE_PROPERTYPUT, 0x40030000, HeaderOffset("put_CompanyName")},
      {L"AppName", INVOKE_PROPERTYGET, 0x40030001, HeaderOffset("get_AppName")},
      {L"AppName", INVOKE_PROPERTYPUT, 0x40030001, HeaderOffset("put_AppName")},
      {L"DefaultSection", INVOKE_PROPERTYPUT, 0x68030001, HeaderOffset("put_DefaultSection")},
      {L"DefaultSection", INVOKE_PROPERTYGET, 0x68030001, HeaderOffset("get_DefaultSection")},
      {L"RootKey", INVOKE_PROPERTYPUT, 0x68030000, HeaderOffset("put_RootKey")},
      {L"RootKey", INVOKE_PROPERTYGET, 0x68030000, HeaderOffset("get_RootKey")},
      {L"GetValue", INVOKE_FUNC, 0x60030002, HeaderOffset("GetValue")},
      {L"SetValue", INVOKE_FUNC, 0x60030003, HeaderOffset("SetValue")},
      {L"DeleteValue", INVOKE_FUNC, 0x60030004, HeaderOffset("DeleteValue")},
      {L"GetAllValues", INVOKE_FUNC, 0x60030005, HeaderOffset("GetAllValues")},
  };
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(vtable_info_->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->cFuncs, std::size(members));
  EXPECT_EQ(attr->cbSizeVft, HeaderOffset("size"));
  EXPECT_EQ(attr->wTypeFlags & (TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                TYPEFLAG_FOLEAUTOMATION),
            TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION);
  vtable_info_->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < std::size(members); ++i) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(vtable_info_->GetFuncDesc(i, &desc), S_OK);
    UniqueBstr name;
    vtable_info_->GetDocumentation(desc->memid, name.put(), nullptr, nullptr, nullptr);
    EXPECT_STREQ(name.get(), members[i].name) << i;
    EXPECT_EQ(desc->invkind, members[i].kind) << i;
    EXPECT_EQ(desc->memid, members[i].id) << i;
    EXPECT_EQ(static_cast<std::size_t>(desc->oVft), members[i].offset) << i;
    vtable_info_->ReleaseFuncDesc(desc);
  }
}

TEST_F(TypeLibrary, OptionalParametersDefaultToTheEmptyString) {
  struct Optional {
    UINT function;
    SHORT parameter;
    VARTYPE type;
  };
  for (Optional o : {Optional{8, 2, VT_VARIANT}, Optional{10, 1, VT_BSTR}}) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(vtable_info_->GetFuncDesc(o.function, &desc), S_OK);
    const ELEMDESC& param = desc->lprgelemdescParam[o.parameter];
    EXPECT_EQ(param.tdesc.vt, VT_PTR);
    EXPECT_EQ(param.tdesc.lptdesc->vt, o.type);
    EXPECT_EQ(param.paramdesc.wParamFlags,
              PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT);
    const VARIANT& value = param.paramdesc.pparamdescex->varDefaultValue;
    EXPECT_EQ(V_VT(&value), VT_BSTR);
    EXPECT_EQ(SysStringLen(V_BSTR(&value)), 0u);
    vtable_info_->ReleaseFuncDesc(desc);
  }
}

TEST_F(TypeLibrary, LibraryEnumerationAndClass) {
  TLIBATTR* lib = nullptr;
  ASSERT_EQ(library_->GetLibAttr(&lib), S_OK);
  EXPECT_EQ(lib->wMajorVerNum, 4);
  EXPECT_EQ(lib->wMinorVerNum, 1);
  EXPECT_EQ(lib->lcid, 0x409u);
  library_->ReleaseTLibAttr(lib);
  UniqueBstr name, doc;
  library_->GetDocumentation(-1, name.put(), doc.put(), nullptr, nullptr);
  EXPECT_STREQ(name.get(), L"Kolo_Reg");
  EXPECT_STREQ(doc.get(), L"Kolo Registry Access Library");

  ComPtr<ITypeInfo> roots, coclass;
  ASSERT_EQ(library_->GetTypeInfoOfGuid(
                {0x7259D121, 0x2F1E, 0x11D4, {0x9B, 0xA5, 0x00, 0x00, 0xE8, 0xD5, 0xAE, 0x4C}},
                roots.put()),
            S_OK);
  const wchar_t* names[] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",     L"HKEY_LOCAL_MACHINE",
                            L"HKEY_USERS",        L"HKEY_PERFORMANCE_DATA", L"HKEY_CURRENT_CONFIG",
                            L"HKEY_DYN_DATA"};
  for (UINT i = 0; i < 7; ++i) {
    VARDESC* var = nullptr;
    ASSERT_EQ(roots->GetVarDesc(i, &var), S_OK);
    UniqueBstr var_name;
    roots->GetDocumentation(var->memid, var_name.put(), nullptr, nullptr, nullptr);
    EXPECT_STREQ(var_name.get(), names[i]);
    EXPECT_EQ(static_cast<ULONG>(V_I4(var->lpvarValue)), 0x80000000u + i);
    roots->ReleaseVarDesc(var);
  }
  ASSERT_EQ(library_->GetTypeInfoOfGuid(__uuidof(Registry), coclass.put()), S_OK);
  TYPEATTR* attr = nullptr;
  coclass->GetTypeAttr(&attr);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
  coclass->ReleaseTypeAttr(attr);
  INT flags = 0;
  coclass->GetImplTypeFlags(0, &flags);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
}

// A type library keeps its strings in the reader's ANSI code page; they are written in 932.
TEST_F(TypeLibrary, HelpStringsReadBackExactlyInTheJapaneseCodePage) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the ANSI code page 932 (LC_ALL=ja_JP.UTF-8)";
  const wchar_t* whole =
      L"レジストリの任意の項目"
      L"を読み書きします。";
  struct Help {
    MEMBERID id;
    const wchar_t* text;
  };
  const Help members[] = {
      {0x40030000,
       L"呼び出す実行可能ﾌｧｲﾙ"
       L"の会社名を設定します。値"
       L"の取得も可能です。"},
      {0x40030001,
       L"呼び出す実行可能ﾌｧｲﾙ"
       L"名を設定します。値の取得"
       L"も可能です。"},
      {0x68030001,
       L"ﾚｼﾞｽﾄﾘのｷｰが"
       L"HKEY_CURRENT_USERのSoftwareｾｸｼｮﾝ以下"
       L"にあるかどうかを設定しま"
       L"す。値の取得も可能です。"},
      {0x68030000,
       L"ﾚｼﾞｽﾄﾘの操作するﾙ"
       L"ｰﾄｷｰを設定します。値"
       L"の取得も可能です。"},
      {0x60030002,
       L"ﾚｼﾞｽﾄﾘにある項目か"
       L"ら、ｷｰ設定値を返します"
       L"。\r\n"},
      {0x60030003,
       L"ﾚｼﾞｽﾄﾘに項目を保存"
       L"または作成します。\r\n"},
      {0x60030004,
       L"ﾚｼﾞｽﾄﾘにあるｾｸｼ"
       L"ｮﾝまたはｷｰ設定を削除"
       L"します。\r\n"},
      {0x60030005,
       L"ﾚｼﾞｽﾄﾘにある項目内"
       L"のすべてのｷｰ設定および"
       L"各ｷｰ設定に対応する値の"
       L"ﾘｽﾄを返します。\r\n"},
  };
  for (const Help& h : members) {
    for (ITypeInfo* info : {dispatch_info_.get(), vtable_info_.get()}) {
      UniqueBstr doc;
      ASSERT_EQ(info->GetDocumentation(h.id, nullptr, doc.put(), nullptr, nullptr), S_OK);
      EXPECT_STREQ(doc.get(), h.text) << std::hex << h.id;
    }
  }
  ComPtr<ITypeInfo> coclass, roots;
  library_->GetTypeInfoOfGuid(__uuidof(Registry), coclass.put());
  for (ITypeInfo* info : {dispatch_info_.get(), coclass.get()}) {
    UniqueBstr doc;
    info->GetDocumentation(MEMBERID_NIL, nullptr, doc.put(), nullptr, nullptr);
    EXPECT_STREQ(doc.get(), whole);
  }
}

TEST_F(TypeLibrary, IDispatchCallsThroughTheTypeLibrary) {
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(registry_.QueryTo(dispatch), S_OK);
  struct Name {
    const wchar_t* name;
    DISPID id;
  };
  for (Name n : {Name{L"GetValue", 0x60030002}, Name{L"deletevalue", 0x60030004},
                 Name{L"RootKey", 0x68030000}}) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(n.name)};
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << n.name;
    EXPECT_EQ(id, n.id) << n.name;
  }
  ASSERT_EQ(Set(L"Sub", L"s", MakeString(L"abc").get()), S_OK);
  // DeleteValue "Sub": KeyName left out takes its default and the key goes.
  UniqueVariant section = MakeString(L"Sub");
  DISPPARAMS one{section.addressof(), nullptr, 1, 0};
  EXPECT_EQ(
      dispatch->Invoke(0x60030004, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr),
      S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey(L"Sub")));
  // A failure becomes an exception carrying error 335.
  EXCEPINFO exception{};
  UniqueVariant result;
  EXPECT_EQ(dispatch->Invoke(0x60030005, IID_NULL, 0, DISPATCH_METHOD, &one, result.put(),
                             &exception, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, kError335);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
}

}  // namespace
}  // namespace kolo::testing
