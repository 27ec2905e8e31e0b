// The COM class Registry: _Registry (dual, so IDispatch too) and ISupportErrorInfo over one
// Settings state. IDispatch is answered by the type library's description of _Registry.
#pragma once

#include <atomic>

#include "com_owners.h"
#include "kolo_reg_interface.h"
#include "settings_store.h"

namespace kolo {

// COM objects are destroyed by their last Release, never through a base-class pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class RegistryObject final : public _Registry, public ISupportErrorInfo {
 public:
  // Makes a new object and hands out its interface `iid`.
  static HRESULT Create(REFIID iid, void** out) noexcept;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* bad_argument) override;

  // _Registry
  HRESULT STDMETHODCALLTYPE get_CompanyName(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_CompanyName(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_AppName(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_AppName(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_DefaultSection(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_DefaultSection(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_RootKey(RootKeyConstans value) override;
  HRESULT STDMETHODCALLTYPE get_RootKey(RootKeyConstans* value) override;
  HRESULT STDMETHODCALLTYPE GetValue(BSTR* section, BSTR* key_name, VARIANT* default_value,
                                     VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE SetValue(BSTR* section, BSTR* key_name, VARIANT* data) override;
  HRESULT STDMETHODCALLTYPE DeleteValue(BSTR* section, BSTR* key_name) override;
  HRESULT STDMETHODCALLTYPE GetAllValues(BSTR* section, VARIANT* values) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

 private:
  RegistryObject() noexcept;
  ~RegistryObject();
  HRESULT LoadTypeInfo() noexcept;

  std::atomic<ULONG> references_{1};
  Settings settings_;
  UniqueVariant last_list_;  // what GetAllValues returned last
  ComPtr<ITypeInfo> type_info_;
};

#pragma GCC diagnostic pop

}  // namespace kolo
