#include "accessibility.h"

#include <commctrl.h>

#include <memory>
#include <new>

namespace tly {
namespace {

constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
constexpr int kPoliteLiveSetting = 1;
constexpr int kActionCompleted = 2;  // NotificationKind_ActionCompleted
constexpr int kMostRecent = 3;       // NotificationProcessing_MostRecent
constexpr wchar_t kActivityId[] = L"Tallyra.Result";
constexpr wchar_t kNamesProperty[] = L"TallyraAccessibleNames";
// LiveSetting_Property_GUID, UI Automation's live setting as an annotation.
const GUID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};

// The names of one window. A window that goes empties them, while clients may still hold its
// objects.
struct NameSource {
  AccessibleNames names;
  bool text_as_value = false;
};

// COM objects are destroyed through Release, never through a base pointer.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The system's object for a window, with the names the program gives: every call but the name
// goes to the system's object unchanged.
class NamedAccessible final : public IAccessible, public IOleWindow {
 public:
  NamedAccessible(IAccessible* inner, HWND hwnd, std::shared_ptr<NameSource> source)
      : inner_(inner), hwnd_(hwnd), source_(std::move(source)) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
    } else if (iid == IID_IOleWindow) {
      *out = static_cast<IOleWindow*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IOleWindow
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    if (out == nullptr) return E_POINTER;
    *out = hwnd_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    return inner_.get()->GetTypeInfoCount(n);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
    return inner_.get()->GetTypeInfo(i, l, t);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l,
                                          DISPID* d) override {
    return inner_.get()->GetIDsOfNames(r, n, c, l, d);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v,
                                   EXCEPINFO* e, UINT* a) override {
    return inner_.get()->Invoke(d, r, l, f, p, v, e, a);
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    try {
      const long id = V_VT(&child) == VT_I4 ? V_I4(&child) : CHILDID_SELF;
      std::optional<std::wstring> own;
      if (source_->names) own = source_->names(id);
      if (!own) return inner_.get()->get_accName(child, name);
      *name = SysAllocStringLen(own->data(), static_cast<UINT>(own->size()));
      return *name != nullptr ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
      return E_FAIL;  // nothing may leave a COM method
    }
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override {
    return inner_.get()->get_accParent(p);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* n) override {
    return inner_.get()->get_accChildCount(n);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override {
    return inner_.get()->get_accChild(c, p);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* v) override {
    const bool self = V_VT(&c) == VT_I4 && V_I4(&c) == CHILDID_SELF;
    if (!self || !source_->names || !source_->text_as_value)
      return inner_.get()->get_accValue(c, v);
    if (v == nullptr) return E_POINTER;
    const int length = GetWindowTextLengthW(hwnd_);
    *v = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (*v == nullptr) return E_OUTOFMEMORY;
    GetWindowTextW(hwnd_, *v, length + 1);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* d) override {
    return inner_.get()->get_accDescription(c, d);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override {
    return inner_.get()->get_accRole(c, r);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* s) override {
    return inner_.get()->get_accState(c, s);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* h) override {
    return inner_.get()->get_accHelp(c, h);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, LONG* t) override {
    return inner_.get()->get_accHelpTopic(f, c, t);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* k) override {
    return inner_.get()->get_accKeyboardShortcut(c, k);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* c) override {
    return inner_.get()->get_accFocus(c);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* c) override {
    return inner_.get()->get_accSelection(c);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* a) override {
    return inner_.get()->get_accDefaultAction(c, a);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG f, VARIANT c) override {
    return inner_.get()->accSelect(f, c);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT c) override {
    return inner_.get()->accLocation(x, y, w, h, c);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG n, VARIANT s, VARIANT* e) override {
    return inner_.get()->accNavigate(n, s, e);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* c) override {
    return inner_.get()->accHitTest(x, y, c);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override {
    return inner_.get()->accDoDefaultAction(c);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR n) override {
    return inner_.get()->put_accName(c, n);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR v) override {
    return inner_.get()->put_accValue(c, v);
  }

 private:
  ~NamedAccessible() = default;

  kolo::ComPtr<IAccessible> inner_;
  HWND hwnd_;
  std::shared_ptr<NameSource> source_;
  LONG references_ = 1;
};

LRESULT CALLBACK NamingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                            DWORD_PTR data) {
  auto* source = reinterpret_cast<std::shared_ptr<NameSource>*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, NamingProc, 0);
    RemovePropW(hwnd, kNamesProperty);
    (*source)->names = nullptr;  // objects still held elsewhere fall back to the system's names
    delete source;
    return DefSubclassProc(hwnd, message, wparam, lparam);
  }
  if (message == WM_GETOBJECT && static_cast<LONG>(lparam) == OBJID_CLIENT) {
    IAccessible* inner = nullptr;
    if (SUCCEEDED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, IID_IAccessible,
                                            reinterpret_cast<void**>(&inner)))) {
      auto* named = new (std::nothrow) NamedAccessible(inner, hwnd, *source);
      if (named == nullptr) {
        inner->Release();
      } else {
        const LRESULT result =
            LresultFromObject(IID_IAccessible, wparam, static_cast<IAccessible*>(named));
        named->Release();
        return result;
      }
    }
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace

void SetAccessibleNames(HWND hwnd, AccessibleNames names, bool text_as_value) {
  if (auto* named = static_cast<std::shared_ptr<NameSource>*>(GetPropW(hwnd, kNamesProperty))) {
    (*named)->names = std::move(names);
    (*named)->text_as_value = text_as_value;
    return;
  }
  auto* source = new std::shared_ptr<NameSource>(std::make_shared<NameSource>());
  (*source)->names = std::move(names);
  (*source)->text_as_value = text_as_value;
  if (!SetWindowSubclass(hwnd, NamingProc, 0, reinterpret_cast<DWORD_PTR>(source)) ||
      !SetPropW(hwnd, kNamesProperty, source)) {
    RemoveWindowSubclass(hwnd, NamingProc, 0);
    delete source;
  }
}

void SetAccessibleName(HWND hwnd, std::function<std::wstring()> name, bool text_as_value) {
  SetAccessibleNames(
      hwnd,
      [name = std::move(name)](long child) -> std::optional<std::wstring> {
        if (child != CHILDID_SELF) return std::nullopt;
        return name();
      },
      text_as_value);
}

std::wstring SpokenCaption(std::wstring_view caption) {
  std::wstring spoken;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    // "(&X)" at the end goes whole; any other "&" alone, and "&&" stands for one.
    if (caption.substr(i).size() == 4 && caption[i] == L'(' && caption[i + 1] == L'&' &&
        caption[i + 3] == L')')
      break;
    if (caption[i] == L'&' && ++i == caption.size()) break;
    spoken.push_back(caption[i]);
  }
  return spoken;
}

// ---- Announcer ----

Announcer::Announcer(HWND region) : region_(region) {
  uia_.reset(LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  host_provider_ = forms::ProcedureOf<HostProviderFromHwnd>(uia_.get(), "UiaHostProviderFromHwnd");
  raise_notification_ =
      forms::ProcedureOf<RaiseNotification>(uia_.get(), "UiaRaiseNotificationEvent");
}

Announcer::~Announcer() {
  if (annotations_ && IsWindow(region_)) {
    MSAAPROPID props[] = {kLiveSettingProperty};
    annotations_.get()->ClearHwndProps(region_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                       props, 1);
  }
}

void Announcer::Announce(const std::wstring& text) {
  if (text.empty() || Notify(text)) return;
  MarkLiveRegion();
  NotifyWinEvent(kLiveRegionChanged, region_, OBJID_CLIENT, CHILDID_SELF);
}

bool Announcer::Notify(const std::wstring& text) {
  if (host_provider_ == nullptr || raise_notification_ == nullptr) return false;
  kolo::ComPtr<IUnknown> provider;
  if (FAILED(host_provider_(region_, provider.put())) || !provider) return false;
  const kolo::UniqueBstr spoken(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  const kolo::UniqueBstr activity(SysAllocString(kActivityId));
  return spoken && activity &&
         SUCCEEDED(raise_notification_(provider.get(), kActionCompleted, kMostRecent, spoken.get(),
                                       activity.get()));
}

void Announcer::MarkLiveRegion() {
  if (marked_) return;
  marked_ = true;  // a system without annotations is asked once
  kolo::ComPtr<IAccPropServices> services;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, services.put_void())))
    return;
  VARIANT polite;
  VariantInit(&polite);
  V_VT(&polite) = VT_I4;
  V_I4(&polite) = kPoliteLiveSetting;
  // Without the mark, the change event still reaches the readers that take it as it is.
  if (SUCCEEDED(services->SetHwndProp(region_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                      kLiveSettingProperty, polite)))
    annotations_ = std::move(services);
}

}  // namespace tly
