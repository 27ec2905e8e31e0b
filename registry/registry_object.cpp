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

// The arguments of a call as ITypeInfo::Invoke needs them: one for each parameter, in order,
// with no named ones but the value of a property put, each of its parameter's own type, so that
// Invoke converts nothing. Invoke would otherwise convert a by-value argument for a by-reference
// parameter in place: the caller's string freed and replaced, or left behind when the call
// fails. So an argument is passed as it came only when it is the caller's own variable of the
// parameter's type, given by reference; every other one is passed as a copy that is ours and
// goes with this object, and the caller's by-value arguments are never written. Optional
// arguments left out, at the end, by name or as DISP_E_PARAMNOTFOUND, take their defaults.
class PreparedArguments {
 public:
  PreparedArguments() = default;
  PreparedArguments(const PreparedArguments&) = delete;
  PreparedArguments& operator=(const PreparedArguments&) = delete;
  ~PreparedArguments() {
    for (VARIANT& argument : arguments_) VariantClear(&argument);
  }

  // Places the caller's arguments, positional and named, at their parameters. Fails with the
  // error Invoke answers, and `bad_argument` the index of the argument at fault, if known.
  HRESULT Prepare(const FunctionDescription& function, const DISPPARAMS& params,
                  UINT* bad_argument) {
    const UINT all = function.parameters();
    std::vector<VARIANT*> given;
    HRESULT hr = Place(function, params, given, bad_argument);
    if (FAILED(hr)) return hr;
    storage_ = std::vector<UniqueVariant>(all);
    arguments_.resize(all);
    caller_index_.assign(all, 0);
    for (UINT k = 0; k < all; ++k) {
      const ELEMDESC& param = (*function).lprgelemdescParam[k];
      VARIANT& argument = arguments_[all - 1 - k];  // last first, as in rgvarg
      if (given[k]) caller_index_[k] = static_cast<UINT>(given[k] - params.rgvarg);
      if (given[k] && !Omitted(given[k])) {
        hr = Pass(param, *given[k], argument, storage_[k]);
      } else if (param.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) {
        UniqueVariant value;
        hr = VariantCopy(value.put(), &param.paramdesc.pparamdescex->varDefaultValue);
        if (SUCCEEDED(hr)) Keep(param, std::move(value), argument, storage_[k]);
      } else {
        hr = DISP_E_PARAMNOTOPTIONAL;
      }
      if (FAILED(hr)) {
        if (bad_argument && given[k]) *bad_argument = caller_index_[k];
        return hr;
      }
    }
    bool put = (*function).invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
    prepared_ = DISPPARAMS{arguments_.data(), put ? &put_id_ : nullptr, all, put ? 1u : 0u};
    return S_OK;
  }

  DISPPARAMS* params() { return &prepared_; }
  // The caller's index of what Invoke reports as argument `ours`.
  UINT CallerIndex(UINT ours) const {
    UINT all = static_cast<UINT>(arguments_.size());
    return ours < all ? caller_index_[all - 1 - ours] : ours;
  }

 private:
  // `given[k]`: the argument for parameter k, or null where none was given. A named argument
  // is known by its parameter's position, or, for the value of a property put, only by
  // DISPID_PROPERTYPUT.
  static HRESULT Place(const FunctionDescription& function, const DISPPARAMS& params,
                       std::vector<VARIANT*>& given, UINT* bad_argument) {
    const UINT all = function.parameters();
    if (params.cNamedArgs > params.cArgs || (params.cArgs && !params.rgvarg) ||
        (params.cNamedArgs && !params.rgdispidNamedArgs))
      return E_INVALIDARG;
    if (params.cArgs > all) return DISP_E_BADPARAMCOUNT;
    const bool put = (*function).invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
    const UINT positional = params.cArgs - params.cNamedArgs;
    if (put && positional) return DISP_E_PARAMNOTFOUND;
    given.assign(all, nullptr);
    for (UINT k = 0; k < positional; ++k) given[k] = &params.rgvarg[params.cArgs - 1 - k];
    for (UINT i = 0; i < params.cNamedArgs; ++i) {
      DISPID id = params.rgdispidNamedArgs[i];
      UINT k = put ? (id == DISPID_PROPERTYPUT ? all - 1 : all)
                   : (id >= 0 ? static_cast<UINT>(id) : all);
      if (k >= all || given[k]) {
        if (bad_argument) *bad_argument = i;
        return DISP_E_PARAMNOTFOUND;
      }
      given[k] = &params.rgvarg[i];
    }
    for (UINT k = 0; k < all; ++k) {
      bool required =
          !((*function).lprgelemdescParam[k].paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT);
      if (required && !given[k])
        return params.cNamedArgs ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
    }
    return S_OK;
  }

  static HRESULT Pass(const ELEMDESC& param, VARIANT& given, VARIANT& argument,
                      UniqueVariant& storage) {
    const bool by_reference = param.tdesc.vt == VT_PTR;
    const VARTYPE type = by_reference ? param.tdesc.lptdesc->vt : param.tdesc.vt;
    if (V_ISBYREF(&given) && !V_BYREF(&given)) return DISP_E_TYPEMISMATCH;
    if (by_reference && V_VT(&given) == (VT_BYREF | type)) {
      argument = given;
      return S_OK;
    }
    // A script passes its variables by reference as variants (VT_BYREF | VT_VARIANT).
    VARIANT* held = V_VT(&given) == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(&given) : nullptr;
    if (by_reference && held && V_VT(held) == type) {
      V_VT(&argument) = static_cast<VARTYPE>(VT_BYREF | type);
      V_BYREF(&argument) = &V_BSTR(held);  // the start of the value, whatever its type
      return S_OK;
    }
    // Anything else goes as a copy of ours, of the parameter's type; to a type of the library's
    // own (an enumeration) Invoke converts the copy.
    UniqueVariant value;
    HRESULT hr = type == VT_VARIANT || type == VT_USERDEFINED
                     ? VariantCopyInd(value.put(), &given)
                     : VariantChangeType(value.put(), &given, 0, type);
    if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
    Keep(param, std::move(value), argument, storage);
    return S_OK;
  }

  // Passes `value`, which is ours, for `param`: itself, or by reference from `storage`.
  static void Keep(const ELEMDESC& param, UniqueVariant value, VARIANT& argument,
                   UniqueVariant& storage) {
    if (param.tdesc.vt != VT_PTR) {
      argument = value.release();
      return;
    }
    storage = std::move(value);
    VARIANT* held = storage.addressof();
    if (param.tdesc.lptdesc->vt == VT_VARIANT) {
      V_VT(&argument) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&argument) = held;
    } else {
      V_VT(&argument) = static_cast<VARTYPE>(VT_BYREF | V_VT(held));
      V_BYREF(&argument) = &V_BSTR(held);  // the start of the value, whatever its type
    }
  }

  DISPID put_id_ = DISPID_PROPERTYPUT;
  DISPPARAMS prepared_{};
  // What Invoke gets: values of ours, or references to storage_ or to the caller's variables.
  std::vector<VARIANT> arguments_;
  std::vector<UniqueVariant> storage_;
  std::vector<UINT> caller_index_;  // for each parameter, where the caller gave it
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
    // Nothing but the parameters, each in its place, reaches the type information's Invoke,
    // which would read an extra or named argument as a parameter of another type.
    if (!params) return E_INVALIDARG;
    PreparedArguments prepared;
    hr = prepared.Prepare(function, *params, bad_argument);
    if (FAILED(hr)) return hr;
    hr = type_info_->Invoke(static_cast<_Registry*>(this), member, (*function).invkind,
                            prepared.params(), result, exception, bad_argument);
    if (bad_argument && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND))
      *bad_argument = prepared.CallerIndex(*bad_argument);
    return hr;
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
