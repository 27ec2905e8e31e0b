// finish_typelib: writes Kolo_Reg's type library from the draft that widl made of the IDL,
// adding the two things widl cannot write:
//   - string defaults of parameters passed by reference (prepare_idl.pl lists them), and
//   - carriage returns and line feeds in help strings, written "\r\n" in the IDL.
// Everything else is copied member by member through ICreateTypeLib2, so the IDL stays the one
// description of the interface. A type library holds its strings in the ANSI code page; this
// tool runs under Wine with the Japanese locale, so they are written in code page 932.
//
//   finish_typelib DRAFT.tlb DEFAULTS OUT.tlb
#include <windows.h>

#include <oleauto.h>
#include <shellapi.h>

#include <cstdio>
#include <deque>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "com_owners.h"

namespace {

using kolo::ComPtr;
using kolo::UniqueBstr;

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) {
    char text[160];
    std::snprintf(text, sizeof text, "%s failed (0x%08lX)", what, static_cast<unsigned long>(hr));
    throw Failure(text);
  }
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) throw Failure("defaults list is not UTF-8");
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
  return out;
}

std::wstring Text(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : L""; }

// The escapes of an IDL string that widl leaves as they are.
std::wstring Unescape(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\\' && i + 1 < text.size()) {
      wchar_t next = text[i + 1];
      if (next == L'r' || next == L'n' || next == L'\\') {
        out += next == L'r' ? L'\r' : next == L'n' ? L'\n' : L'\\';
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// (function, parameter) -> default value
using Defaults = std::map<std::pair<std::wstring, std::wstring>, std::wstring>;

Defaults ReadDefaults(const wchar_t* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Failure("cannot read the defaults list");
  Defaults defaults;
  std::string line;
  while (std::getline(in, line)) {
    std::size_t first = line.find('\t');
    std::size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos) throw Failure("malformed line in the defaults list");
    defaults[{FromUtf8(line.substr(0, first)),
              FromUtf8(line.substr(first + 1, second - first - 1))}] =
        Unescape(FromUtf8(line.substr(second + 1)));
  }
  return defaults;
}

struct Documentation {
  std::wstring name, doc;
  DWORD help_context = 0;
};

Documentation Document(ITypeInfo* info, MEMBERID member) {
  UniqueBstr name, doc;
  Documentation out;
  Check(info->GetDocumentation(member, name.put(), doc.put(), &out.help_context, nullptr),
        "GetDocumentation");
  out.name = Text(name.get());
  out.doc = Unescape(Text(doc.get()));
  return out;
}

class Copier {
 public:
  Copier(ITypeLib* draft, ICreateTypeLib2* target, Defaults defaults)
      : draft_(draft), target_(target), defaults_(std::move(defaults)) {}

  void Run() {
    CopyLibrary();
    UINT count = draft_->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) CreateInfo(i);
    for (UINT i = 0; i < count; ++i) FillInfo(i);
    for (auto& info : created_) Check(info->LayOut(), "LayOut");
    for (const auto& entry : defaults_)
      if (!used_.count(entry.first)) throw Failure("a listed default names no parameter");
  }

 private:
  struct Source {
    ComPtr<ITypeInfo> info;  // for a dual interface: its table-of-functions side
    TYPEKIND kind;
  };

  void CopyLibrary() {
    TLIBATTR* attr = nullptr;
    Check(draft_->GetLibAttr(&attr), "GetLibAttr");
    TLIBATTR lib = *attr;
    draft_->ReleaseTLibAttr(attr);
    UniqueBstr name, doc;
    DWORD context = 0;
    Check(draft_->GetDocumentation(-1, name.put(), doc.put(), &context, nullptr),
          "GetDocumentation");
    Check(target_->SetGuid(lib.guid), "SetGuid");
    Check(target_->SetLcid(lib.lcid), "SetLcid");
    Check(target_->SetVersion(lib.wMajorVerNum, lib.wMinorVerNum), "SetVersion");
    Check(target_->SetLibFlags(lib.wLibFlags), "SetLibFlags");
    Check(target_->SetName(name.get()), "SetName");
    std::wstring text = Unescape(Text(doc.get()));
    Check(target_->SetDocString(text.data()), "SetDocString");
    if (context) Check(target_->SetHelpContext(context), "SetHelpContext");
  }

  Source SourceOf(UINT index) {
    Source source;
    Check(draft_->GetTypeInfo(index, source.info.put()), "GetTypeInfo");
    TYPEATTR* attr = nullptr;
    Check(source.info->GetTypeAttr(&attr), "GetTypeAttr");
    source.kind = attr->typekind;
    bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
    source.info->ReleaseTypeAttr(attr);
    if (dual) {
      HREFTYPE vtable = 0;
      Check(source.info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable),
            "GetRefTypeOfImplType");
      ComPtr<ITypeInfo> side;
      Check(source.info->GetRefTypeInfo(vtable, side.put()), "GetRefTypeInfo");
      source.info = std::move(side);
      source.kind = TKIND_INTERFACE;
    }
    return source;
  }

  void CreateInfo(UINT index) {
    Source source = SourceOf(index);
    TYPEATTR* attr = nullptr;
    Check(source.info->GetTypeAttr(&attr), "GetTypeAttr");
    TYPEATTR type = *attr;
    source.info->ReleaseTypeAttr(attr);
    Documentation doc = Document(source.info.get(), MEMBERID_NIL);

    ComPtr<ICreateTypeInfo> info;
    Check(target_->CreateTypeInfo(doc.name.data(), source.kind, info.put()), "CreateTypeInfo");
    Check(info->SetGuid(type.guid), "SetGuid");
    Check(info->SetTypeFlags(type.wTypeFlags), "SetTypeFlags");
    Check(info->SetVersion(type.wMajorVerNum, type.wMinorVerNum), "SetVersion");
    Check(info->SetDocString(doc.doc.data()), "SetDocString");
    if (doc.help_context) Check(info->SetHelpContext(doc.help_context), "SetHelpContext");
    if (source.kind == TKIND_ENUM || source.kind == TKIND_RECORD)
      Check(info->SetAlignment(type.cbAlignment), "SetAlignment");
    created_.push_back(std::move(info));
  }

  // The type in the new library that stands for a type the draft refers to: one of the
  // library's own by its index, or the imported one itself (IDispatch from stdole2).
  HREFTYPE MapReference(ITypeInfo* from, HREFTYPE reference, ICreateTypeInfo* to) {
    ComPtr<ITypeInfo> referenced;
    Check(from->GetRefTypeInfo(reference, referenced.put()), "GetRefTypeInfo");
    ComPtr<ITypeLib> library;
    UINT index = 0;
    Check(referenced->GetContainingTypeLib(library.put(), &index), "GetContainingTypeLib");
    ComPtr<ITypeInfo> target;
    if (library.get() == draft_) {
      Check(created_[index]->QueryInterface(__uuidof(ITypeInfo), target.put_void()), "QI");
    } else {
      target = referenced.Share();
    }
    HREFTYPE mapped = 0;
    Check(to->AddRefTypeInfo(target.get(), &mapped), "AddRefTypeInfo");
    return mapped;
  }

  TYPEDESC MapType(ITypeInfo* from, const TYPEDESC& type, ICreateTypeInfo* to) {
    TYPEDESC out = type;
    switch (type.vt) {
      case VT_PTR:
      case VT_SAFEARRAY:
        storage_.push_back(MapType(from, *type.lptdesc, to));
        out.lptdesc = &storage_.back();
        break;
      case VT_USERDEFINED: out.hreftype = MapReference(from, type.hreftype, to); break;
      case VT_CARRAY: throw Failure("fixed arrays are not supported");
      default: break;
    }
    return out;
  }

  void FillInfo(UINT index) {
    Source source = SourceOf(index);
    ICreateTypeInfo* to = created_[index].get();
    TYPEATTR* attr = nullptr;
    Check(source.info->GetTypeAttr(&attr), "GetTypeAttr");
    TYPEATTR type = *attr;
    source.info->ReleaseTypeAttr(attr);

    for (UINT i = 0; i < type.cImplTypes; ++i) {
      HREFTYPE reference = 0;
      Check(source.info->GetRefTypeOfImplType(i, &reference), "GetRefTypeOfImplType");
      Check(to->AddImplType(i, MapReference(source.info.get(), reference, to)), "AddImplType");
      if (source.kind == TKIND_COCLASS) {
        INT flags = 0;
        Check(source.info->GetImplTypeFlags(i, &flags), "GetImplTypeFlags");
        Check(to->SetImplTypeFlags(i, flags), "SetImplTypeFlags");
      }
    }
    if (source.kind == TKIND_ALIAS) {
      TYPEDESC alias = MapType(source.info.get(), type.tdescAlias, to);
      Check(to->SetTypeDescAlias(&alias), "SetTypeDescAlias");
    }
    for (UINT i = 0; i < type.cVars; ++i) CopyVariable(source.info.get(), to, i);
    for (UINT i = 0; i < type.cFuncs; ++i) CopyFunction(source.info.get(), to, i);
  }

  void CopyVariable(ITypeInfo* from, ICreateTypeInfo* to, UINT index) {
    VARDESC* desc = nullptr;
    Check(from->GetVarDesc(index, &desc), "GetVarDesc");
    VARDESC var = *desc;
    var.elemdescVar.tdesc = MapType(from, desc->elemdescVar.tdesc, to);
    HRESULT hr = to->AddVarDesc(index, &var);
    Documentation doc = Document(from, desc->memid);
    from->ReleaseVarDesc(desc);
    Check(hr, "AddVarDesc");
    Check(to->SetVarName(index, doc.name.data()), "SetVarName");
    if (!doc.doc.empty()) Check(to->SetVarDocString(index, doc.doc.data()), "SetVarDocString");
    if (doc.help_context)
      Check(to->SetVarHelpContext(index, doc.help_context), "SetVarHelpContext");
  }

  void CopyFunction(ITypeInfo* from, ICreateTypeInfo* to, UINT index) {
    FUNCDESC* desc = nullptr;
    Check(from->GetFuncDesc(index, &desc), "GetFuncDesc");
    FUNCDESC func = *desc;
    std::vector<ELEMDESC> params(desc->lprgelemdescParam, desc->lprgelemdescParam + desc->cParams);
    std::deque<PARAMDESCEX> defaults;
    std::vector<kolo::UniqueVariant> default_values;

    // Names: the function's, then one per parameter except the value of a property put.
    std::vector<UniqueBstr> names(static_cast<std::size_t>(desc->cParams) + 1);
    std::vector<BSTR> raw(names.size(), nullptr);
    UINT found = 0;
    Check(from->GetNames(desc->memid, raw.data(), static_cast<UINT>(raw.size()), &found),
          "GetNames");
    for (std::size_t i = 0; i < raw.size(); ++i) names[i].reset(raw[i]);
    INVOKEKIND invoke_kind = desc->invkind;
    bool put = desc->invkind == INVOKE_PROPERTYPUT || desc->invkind == INVOKE_PROPERTYPUTREF;
    UINT named = static_cast<UINT>(desc->cParams) + (put ? 0 : 1);

    func.elemdescFunc.tdesc = MapType(from, desc->elemdescFunc.tdesc, to);
    for (SHORT i = 0; i < desc->cParams; ++i) {
      ELEMDESC& param = params[static_cast<std::size_t>(i)];
      param.tdesc = MapType(from, param.tdesc, to);
      const PARAMDESC& original = desc->lprgelemdescParam[i].paramdesc;
      std::wstring param_name = static_cast<UINT>(i) + 1 < found
                                    ? Text(names[static_cast<std::size_t>(i) + 1].get())
                                    : L"";
      auto listed = defaults_.find({Text(names[0].get()), param_name});
      if (listed != defaults_.end()) {
        if (!(original.wParamFlags & PARAMFLAG_FOPT))
          throw Failure("a listed default belongs to a parameter that is not optional");
        used_.insert(listed->first);
        PARAMDESCEX extra{};
        extra.cBytes = sizeof(PARAMDESCEX);
        V_VT(&extra.varDefaultValue) = VT_BSTR;
        V_BSTR(&extra.varDefaultValue) =
            SysAllocStringLen(listed->second.data(), static_cast<UINT>(listed->second.size()));
        defaults.push_back(extra);
        default_values.emplace_back();
        *default_values.back().put() = extra.varDefaultValue;  // freed with the copy
        param.paramdesc.pparamdescex = &defaults.back();
        param.paramdesc.wParamFlags |= PARAMFLAG_FHASDEFAULT | PARAMFLAG_FOPT;
      } else if (original.wParamFlags & PARAMFLAG_FHASDEFAULT) {
        defaults.push_back(*original.pparamdescex);
        param.paramdesc.pparamdescex = &defaults.back();
      }
    }
    func.lprgelemdescParam = params.empty() ? nullptr : params.data();
    HRESULT hr = to->AddFuncDesc(index, &func);
    Documentation doc = Document(from, desc->memid);
    from->ReleaseFuncDesc(desc);
    Check(hr, "AddFuncDesc");

    // GetNames answers by member id, so the get and the put of one property share one answer;
    // the value of a property get then takes the name of the property.
    if (invoke_kind == INVOKE_PROPERTYGET) {
      for (UINT i = found; i < named; ++i) names[i].reset(SysAllocString(names[0].get()));
      found = named;
    }
    if (found < named) throw Failure("a parameter has no name");
    std::vector<LPOLESTR> name_list;
    for (UINT i = 0; i < named; ++i) name_list.push_back(names[i].get());
    Check(to->SetFuncAndParamNames(index, name_list.data(), named), "SetFuncAndParamNames");
    Check(to->SetFuncDocString(index, doc.doc.data()), "SetFuncDocString");
    if (doc.help_context)
      Check(to->SetFuncHelpContext(index, doc.help_context), "SetFuncHelpContext");
  }

  ITypeLib* draft_;
  ICreateTypeLib2* target_;
  Defaults defaults_;
  std::set<std::pair<std::wstring, std::wstring>> used_;
  std::vector<ComPtr<ICreateTypeInfo>> created_;
  std::deque<TYPEDESC> storage_;
};

int Run(int argc, wchar_t** argv) {
  if (argc != 4) throw Failure("usage: finish_typelib DRAFT.tlb DEFAULTS OUT.tlb");
  // The strings are converted from and to the ANSI code page on the way through.
  if (GetACP() != 932) throw Failure("needs the ANSI code page 932 (run with LC_ALL=ja_JP.UTF-8)");
  ComPtr<ITypeLib> draft;
  Check(LoadTypeLibEx(argv[1], REGKIND_NONE, draft.put()), "LoadTypeLibEx");
  DeleteFileW(argv[3]);
  ComPtr<ICreateTypeLib2> target;
  Check(CreateTypeLib2(SYS_WIN64, argv[3], target.put()), "CreateTypeLib2");
  Copier(draft.get(), target.get(), ReadDefaults(argv[2])).Run();
  Check(target->SaveAllChanges(), "SaveAllChanges");
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  try {
    int status = Run(argc, argv);
    LocalFree(argv);
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "finish_typelib: %s\n", e.what());
    LocalFree(argv);
    return 1;
  }
}
