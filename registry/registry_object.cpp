#include "registry_object.h"

#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "module.h"

namespace kolo {
namespace {

// Error 335 as an automation error: MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 335).
constexpr HRESULT kRegistryError = static_cast<HRESULT>(0x800A014FL);

// Sets error information for _Registry, with no source and no description of our own, so the
// caller shows the standard text of error 335, and returns the error.
HRESULT RegistryError() noexcept {
  ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.put()))) {
    create->SetGUID(__uuidof(_Registry));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.QueryTo(info))) SetErrorInfo(0, info.get());
  }
  return kRegistryError;
}

// The boundary of every method: whatever fails inside is error 335, and no exception leaves.
template <typename Body>
HRESULT Guard(Body&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (...) {
    return RegistryError();
  }
}

std::wstring_view View(BSTR text) {
  return text ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view();
}

HRESULT CopyOut(const std::wstring& text, BSTR* out) noexcept {
  if (!out) return E_POINTER;
  BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!copy) return E_OUTOFMEMORY;
  *out = copy;
  return S_OK;
}

// An optional argument left out the standard way: the error value DISP_E_PARAMNOTFOUND, given
// directly or by reference (VT_BYREF | VT_ERROR, or a VT_BYREF | VT_VARIANT that holds it).
bool Omitted(const VARIANT* value) {
  if (value && V_VT(value) == (VT_BYREF | VT_VARIANT)) value = V_VARIANTREF(value);
  if (!value) return true;
  if (V_VT(value) == (VT_BYREF | VT_ERROR))
    return V_ERRORREF(value) && *V_ERRORREF(value) == DISP_E_PARAMNOTFOUND;
  return V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND;
}

// A function's description from the type information, released when it goes.
class FunctionDescription {
 public:
  // The function that ITypeInfo::Invoke calls for `member` with `flags`: the first of that id
  // whose kind is among the flags, or none.
  FunctionDescription(ITypeInfo* info, DISPID member, WORD flags) : info_(info) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return;
    WORD functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < functions && !desc_; ++i) {
      if (FAILED(info->GetFuncDesc(i, &desc_))) continue;
      if (desc_->memid != member || !(desc_->invkind & flags)) Reset();
    }
  }
  FunctionDescription(const FunctionDescription&) = delete;
  FunctionDescription& operator=(const FunctionDescription&) = delete;
  ~FunctionDescription() { Reset(); }

  explicit operator bool() const { return desc_ != nullptr; }
  const FUNCDESC& operator*() const { return *desc_; }
  // The parameters a caller passes: all but the return value.
  UINT parameters() const {
    UINT all = static_cast<UINT>(desc_->cParams);
    bool returns =
        all && (desc_->lprgelemdescParam[all - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
    return returns ? all - 1 : all;
  }

 private:
  void Reset() {
    if (desc_) info_->ReleaseFuncDesc(std::exchange(desc_, nullptr));
  }
  ITypeInfo* info_;
  FUNCDESC* desc_ = nullptr;
};

// The arguments of a method call as ITypeInfo::Invoke needs them. Two kinds are prepared here:
// - a script's variable passed for a by-reference string (VT_BYREF | VT_VARIANT where the
//   parameter is BSTR*), which Wine's Invoke refuses: it is passed as the string it holds;
// - optional arguments left out, at the end or as DISP_E_PARAMNOTFOUND, which take their
//   defaults here: Invoke would pass a left-out by-reference string (DeleteValue's KeyName) as
//   the string, or as the error value, instead of a pointer to a string.
// The other arguments are passed as they came. Invoke may replace such an argument with what
// an in/out parameter returned; Return hands those back to the caller, who owns them.
class PreparedArguments {
 public:
  PreparedArguments(ITypeInfo* info, DISPID member, WORD flags, DISPPARAMS* params)
      : params_(params) {
    if (!params || params->cNamedArgs != 0 || !(flags & DISPATCH_METHOD)) return;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return;
    WORD functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < functions && params_ == params; ++i) {
      FUNCDESC* desc = nullptr;
      if (FAILED(info->GetFuncDesc(i, &desc))) continue;
      if (desc->memid == member && desc->invkind == INVOKE_FUNC) Prepare(*desc);
      info->ReleaseFuncDesc(desc);
    }
  }
  PreparedArguments(const PreparedArguments&) = delete;
  PreparedArguments& operator=(const PreparedArguments&) = delete;
  ~PreparedArguments() { Return(); }

  DISPPARAMS* params() { return params_; }

 private:
  void Prepare(const FUNCDESC& desc) {
    UINT given = params_->cArgs;
    UINT all = static_cast<UINT>(desc.cParams);
    if (given > all) return;
    storage_ = std::vector<UniqueVariant>(all);
    arguments_.resize(all);
    for (UINT k = 0; k < all; ++k) {
      const ELEMDESC& param = desc.lprgelemdescParam[k];
      bool has_default = (param.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) != 0;
      // rgvarg holds the arguments last first.
      VARIANT& argument = arguments_[all - 1 - k];
      VARIANT* passed = k < given ? &params_->rgvarg[given - 1 - k] : nullptr;
      if (passed && !(has_default && Omitted(passed))) {
        argument = *passed;
        if (!PassString(param, argument, storage_[k])) as_passed_.emplace_back(&argument, passed);
      } else if (has_default) {
        PassDefault(param, argument, storage_[k]);
      } else {
        as_passed_.clear();
        return;  // a required argument is missing, which Invoke reports
      }
    }
    prepared_ = DISPPARAMS{arguments_.data(), nullptr, all, 0};
    params_ = &prepared_;
  }

  void Return() noexcept {
    for (auto [argument, passed] : as_passed_) *passed = *argument;
  }

  // True when the argument now points into the caller's variable.
  static bool PassString(const ELEMDESC& param, VARIANT& argument, UniqueVariant& storage) {
    bool string_reference = param.tdesc.vt == VT_PTR && param.tdesc.lptdesc->vt == VT_BSTR;
    if (!string_reference || V_VT(&argument) != (VT_BYREF | VT_VARIANT)) return false;
    VARIANT* held = V_VARIANTREF(&argument);
    if (!held) return false;
    if (V_VT(held) != VT_BSTR) {
      if (FAILED(VariantChangeType(storage.put(), held, 0, VT_BSTR))) return false;
      held = storage.addressof();
    }
    V_VT(&argument) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&argument) = &V_BSTR(held);
    return true;
  }

  static void PassDefault(const ELEMDESC& param, VARIANT& argument, UniqueVariant& storage) {
    VARIANT* value = storage.put();
    if (FAILED(VariantCopy(value, &param.paramdesc.pparamdescex->varDefaultValue))) Fail();
    VariantInit(&argument);
    if (param.tdesc.vt != VT_PTR) {
      argument = *value;
    } else if (param.tdesc.lptdesc->vt == VT_VARIANT) {
      V_VT(&argument) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&argument) = value;
    } else {
      V_VT(&argument) = static_cast<VARTYPE>(VT_BYREF | V_VT(value));
      V_BYREF(&argument) = &V_BSTR(value);  // the start of the value, whatever its type
    }
  }

  DISPPARAMS* params_;
  DISPPARAMS prepared_{};
  std::vector<VARIANT> arguments_;  // shallow: they point at the caller's values or ours
  std::vector<UniqueVariant> storage_;
  std::vector<std::pair<VARIANT*, VARIANT*>> as_passed_;  // (ours, the caller's)
};

}  // namespace

RegistryObject::RegistryObject() noexcept { module::ObjectCreated(); }
RegistryObject::~RegistryObject() { module::ObjectDestroyed(); }

HRESULT RegistryObject::Create(REFIID iid, void** out) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  RegistryObject* object = new (std::nothrow) RegistryObject();
  if (!object) return E_OUTOFMEMORY;
  HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

HRESULT RegistryObject::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(_Registry)) {
    *out = static_cast<_Registry*>(this);
  } else if (iid == __uuidof(ISupportErrorInfo)) {
    *out = static_cast<ISupportErrorInfo*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG RegistryObject::AddRef() { return ++references_; }

ULONG RegistryObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT RegistryObject::LoadTypeInfo() noexcept {
  if (type_info_) return S_OK;
  try {
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(module::Path().c_str(), REGKIND_NONE, library.put());
    if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(__uuidof(_Registry), type_info_.put());
    return hr;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT RegistryObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT RegistryObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  *info = type_info_.Share().release();
  return S_OK;
}

HRESULT RegistryObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = LoadTypeInfo();
  return FAILED(hr) ? hr : type_info_->GetIDsOfNames(names, count, ids);
}

HRESULT RegistryObject::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* bad_argument) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  try {
    FunctionDescription function(type_info_.get(), member, flags);
    if (!function) return DISP_E_MEMBERNOTFOUND;
    // Nothing beyond the parameters reaches the type information's Invoke, which would read
    // each extra argument as a parameter of its own.
    if (params && params->cArgs > function.parameters()) return DISP_E_BADPARAMCOUNT;
    PreparedArguments prepared(type_info_.get(), member, flags, params);
    return type_info_->Invoke(static_cast<_Registry*>(this), member, flags, prepared.params(),
                              result, exception, bad_argument);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT RegistryObject::get_CompanyName(BSTR* value) {
  return CopyOut(settings_.company_name, value);
}

HRESULT RegistryObject::put_CompanyName(BSTR value) {
  return Guard([&] { settings_.company_name = View(value); });
}

HRESULT RegistryObject::get_AppName(BSTR* value) { return CopyOut(settings_.app_name, value); }

HRESULT RegistryObject::put_AppName(BSTR value) {
  return Guard([&] { settings_.app_name = View(value); });
}

HRESULT RegistryObject::put_DefaultSection(VARIANT_BOOL value) {
  settings_.set_default_section(value != VARIANT_FALSE);
  return S_OK;
}

HRESULT RegistryObject::get_DefaultSection(VARIANT_BOOL* value) {
  if (!value) return E_POINTER;
  *value = settings_.default_section() ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT RegistryObject::put_RootKey(RootKeyConstans value) {
  settings_.set_root_key(value);
  return S_OK;
}

HRESULT RegistryObject::get_RootKey(RootKeyConstans* value) {
  if (!value) return E_POINTER;
  *value = settings_.root_key();
  return S_OK;
}

HRESULT RegistryObject::GetValue(BSTR* section, BSTR* key_name, VARIANT* default_value,
                                 VARIANT* value) {
  if (!section || !key_name || !value) return E_POINTER;
  return Guard([&] {
    UniqueVariant empty;
    if (Omitted(default_value)) {
      VARIANT* text = empty.put();
      V_VT(text) = VT_BSTR;
      V_BSTR(text) = SysAllocString(L"");
      if (!V_BSTR(text)) Fail();
    }
    const VARIANT& fallback = Omitted(default_value) ? empty.get() : *default_value;
    *value = kolo::GetValue(settings_, View(*section), View(*key_name), fallback).release();
  });
}

HRESULT RegistryObject::SetValue(BSTR* section, BSTR* key_name, VARIANT* data) {
  if (!section || !key_name || !data) return E_POINTER;
  return Guard([&] {
    // Script hosts pass their variables by reference.
    UniqueVariant value;
    if (FAILED(VariantCopyInd(value.put(), data))) Fail();
    kolo::SetValue(settings_, View(*section), View(*key_name), value.get());
  });
}

HRESULT RegistryObject::DeleteValue(BSTR* section, BSTR* key_name) {
  if (!section) return E_POINTER;
  return Guard([&] {
    kolo::DeleteValue(settings_, View(*section), key_name ? View(*key_name) : std::wstring_view());
  });
}

HRESULT RegistryObject::GetAllValues(BSTR* section, VARIANT* values) {
  if (!section || !values) return E_POINTER;
  return Guard([&] {
    UniqueVariant list = kolo::GetAllValues(settings_, View(*section));
    UniqueVariant copy;
    if (FAILED(VariantCopy(copy.put(), const_cast<VARIANT*>(&list.get())))) Fail();
    last_list_ = std::move(list);
    *values = copy.release();
  });
}

HRESULT RegistryObject::InterfaceSupportsErrorInfo(REFIID iid) {
  return iid == __uuidof(_Registry) ? S_OK : S_FALSE;
}

}  // namespace kolo
