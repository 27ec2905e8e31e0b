#include "class_factory.h"

#include <atomic>
#include <new>

#include "module.h"
#include "registry_object.h"

namespace kolo {
namespace {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// A factory counts as a live object of the DLL: code it points into must stay loaded.
class ClassFactory final : public IClassFactory {
 public:
  ClassFactory() noexcept { module::ObjectCreated(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return RegistryObject::Create(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    module::Lock(lock != FALSE);
    return S_OK;
  }

 private:
  ~ClassFactory() { module::ObjectDestroyed(); }

  std::atomic<ULONG> references_{1};
};

#pragma GCC diagnostic pop

}  // namespace

HRESULT GetRegistryClassFactory(REFIID iid, void** out) noexcept {
  ClassFactory* factory = new (std::nothrow) ClassFactory();
  if (!factory) return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

}  // namespace kolo
