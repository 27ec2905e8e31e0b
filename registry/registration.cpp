#include "registration.h"

#include <oleauto.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "com_owners.h"
#include "kolo_reg_interface.h"
#include "module.h"

// oleaut32 exports these (Windows Vista and later); the mingw headers do not declare them.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path,
                                                 OLECHAR* help_dir);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID library, WORD major, WORD minor,
                                                   LCID locale, SYSKIND kind);

namespace kolo {
namespace {

constexpr wchar_t kProgId[] = L"Kolo_Reg.Registry";

// One value that registration writes below the Classes key.
struct Entry {
  std::wstring key;
  std::wstring name;  // empty: the key's unnamed value
  std::wstring data;
};

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

// Everything registration writes besides the type library, in the order it is written;
// unregistration takes it away in the opposite order. RegisterTypeLib writes the type library
// and the interface (marshalled by the type library, being dual) and UnRegisterTypeLib
// removes them.
std::vector<Entry> ClassEntries(const std::wstring& module_path, REFGUID library) {
  const std::wstring clsid = GuidText(__uuidof(Registry));
  const std::wstring key = L"CLSID\\" + clsid;
  const std::wstring prog_id = kProgId;
  return {
      {key, L"", prog_id},
      {key + L"\\InprocServer32", L"", module_path},
      {key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {key + L"\\ProgID", L"", prog_id},
      {key + L"\\TypeLib", L"", GuidText(library)},
      {prog_id, L"", prog_id},
      {prog_id + L"\\CLSID", L"", clsid},
  };
}

UniqueHkey OpenClasses(Scope scope, bool create) {
  HKEY root = scope == Scope::kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  UniqueHkey classes;
  if (create)
    RegCreateKeyExW(root, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                    nullptr, classes.put(), nullptr);
  else
    RegOpenKeyExW(root, L"Software\\Classes", 0, KEY_ALL_ACCESS, classes.put());
  return classes;
}

bool Write(HKEY classes, const Entry& entry) {
  UniqueHkey key;
  if (RegCreateKeyExW(classes, entry.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  DWORD bytes = static_cast<DWORD>((entry.data.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), entry.name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(entry.data.c_str()), bytes) == ERROR_SUCCESS;
}

// Deletes the entry's value, then its key once nothing is left in it, so whatever someone else
// put there stays.
void Remove(HKEY classes, const Entry& entry) {
  UniqueHkey key;
  if (RegOpenKeyExW(classes, entry.key.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
    return;
  RegDeleteValueW(key.get(), entry.name.c_str());
  DWORD subkeys = 0;
  DWORD values = 0;
  bool empty = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
               subkeys == 0 && values == 0;
  key.reset();
  if (empty) RegDeleteKeyW(classes, entry.key.c_str());
}

// While the type library is registered for the current user, HKEY_CLASSES_ROOT stands for
// HKCU\Software\Classes. RegisterTypeLibForUser does this itself on Windows; Wine's writes
// through HKEY_CLASSES_ROOT, which would otherwise reach the machine's classes.
class UserClassesRoot {
 public:
  UserClassesRoot(Scope scope, HKEY classes) : active_(scope == Scope::kUser) {
    if (active_) RegOverridePredefKey(HKEY_CLASSES_ROOT, classes);
  }
  ~UserClassesRoot() {
    if (active_) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  }
  UserClassesRoot(const UserClassesRoot&) = delete;
  UserClassesRoot& operator=(const UserClassesRoot&) = delete;

 private:
  bool active_;
};

struct Library {
  ComPtr<ITypeLib> types;
  TLIBATTR attributes{};
};

HRESULT LoadOwnLibrary(const std::wstring& path, Library& library) {
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.types.put());
  if (FAILED(hr)) return hr;
  TLIBATTR* attributes = nullptr;
  hr = library.types->GetLibAttr(&attributes);
  if (FAILED(hr)) return hr;
  library.attributes = *attributes;
  library.types->ReleaseTLibAttr(attributes);
  return S_OK;
}

bool LibraryRegistered(HKEY classes, const TLIBATTR& library) {
  wchar_t version[16];
  wsprintfW(version, L"%x.%x", library.wMajorVerNum, library.wMinorVerNum);
  std::wstring key = L"TypeLib\\" + GuidText(library.guid) + L"\\" + version;
  UniqueHkey opened;
  return RegOpenKeyExW(classes, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

HRESULT RegisterLibrary(Scope scope, HKEY classes, Library& library, std::wstring& path) {
  UserClassesRoot root(scope, classes);
  return scope == Scope::kMachine
             ? RegisterTypeLib(library.types.get(), path.data(), nullptr)
             : RegisterTypeLibForUser(library.types.get(), path.data(), nullptr);
}

HRESULT UnregisterLibrary(Scope scope, HKEY classes, const TLIBATTR& a) {
  UserClassesRoot root(scope, classes);
  return scope == Scope::kMachine
             ? UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind)
             : UnRegisterTypeLibForUser(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
}

}  // namespace

HRESULT Register(Scope scope) noexcept {
  try {
    std::wstring path = module::Path();
    Library library;
    if (path.empty() || FAILED(LoadOwnLibrary(path, library))) return SELFREG_E_TYPELIB;
    UniqueHkey classes = OpenClasses(scope, true);
    if (!classes) return SELFREG_E_CLASS;
    for (const Entry& entry : ClassEntries(path, library.attributes.guid)) {
      if (!Write(classes.get(), entry)) {
        Unregister(scope);
        return SELFREG_E_CLASS;
      }
    }
    if (FAILED(RegisterLibrary(scope, classes.get(), library, path))) {
      Unregister(scope);
      return SELFREG_E_TYPELIB;
    }
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT Unregister(Scope scope) noexcept {
  try {
    std::wstring path = module::Path();
    Library library;
    if (path.empty() || FAILED(LoadOwnLibrary(path, library))) return SELFREG_E_TYPELIB;
    UniqueHkey classes = OpenClasses(scope, false);
    if (!classes) return S_OK;
    HRESULT result = S_OK;
    if (LibraryRegistered(classes.get(), library.attributes) &&
        FAILED(UnregisterLibrary(scope, classes.get(), library.attributes)))
      result = SELFREG_E_TYPELIB;
    std::vector<Entry> entries = ClassEntries(path, library.attributes.guid);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
      Remove(classes.get(), *entry);
    return result;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace kolo
