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
constexpr wchar_t kClasses[] = L"Software\\Classes";

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

HKEY Root(Scope scope) { return scope == Scope::kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// The class's entries, in the order they are written; unregistration takes them away in the
// opposite order. RegisterTypeLib writes the type library and the interface (marshalled by the
// type library, being dual), and UnRegisterTypeLib removes them.
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

// Where RegisterTypeLib puts the library's path: TypeLib\{guid}\major.minor\locale\platform.
std::wstring LibraryPathKey(const TLIBATTR& library, LCID locale) {
  wchar_t version[40];
  wsprintfW(version, L"\\%x.%x\\%lx\\%ls", library.wMajorVerNum, library.wMinorVerNum, locale,
            library.syskind == SYS_WIN64 ? L"win64" : L"win32");
  return L"TypeLib\\" + GuidText(library.guid) + version;
}

// The type library's path once more for the neutral locale, in which the marshaller of a
// multithreaded client looks the library up (LoadRegTypeLib with locale 0).
Entry NeutralLocaleEntry(const std::wstring& module_path, const TLIBATTR& library) {
  return {LibraryPathKey(library, LOCALE_NEUTRAL), L"", module_path};
}

UniqueHkey OpenClasses(Scope scope, bool create) {
  UniqueHkey classes;
  if (create)
    RegCreateKeyExW(Root(scope), kClasses, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                    nullptr, classes.put(), nullptr);
  else
    RegOpenKeyExW(Root(scope), kClasses, 0, KEY_ALL_ACCESS, classes.put());
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

// Whether the entry is in the registry as this DLL writes it (paths compared as Windows
// compares them, without regard to case).
bool Holds(HKEY classes, const Entry& entry) {
  // One character more than the entry's own text, so that a longer one is seen to differ.
  std::wstring data(entry.data.size() + 2, L'\0');
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  return RegGetValueW(classes, entry.key.c_str(), entry.name.c_str(), RRF_RT_REG_SZ, nullptr,
                      data.data(), &size) == ERROR_SUCCESS &&
         CompareStringOrdinal(data.c_str(), -1, entry.data.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Deletes the key at `path` below the root, then its parents up to the Software key, as long
// as each holds neither values nor subkeys.
void PruneEmptyKeys(HKEY root, std::wstring path) {
  for (std::size_t cut; (cut = path.rfind(L'\\')) != std::wstring::npos; path.resize(cut)) {
    UniqueHkey key;
    DWORD subkeys = 0;
    DWORD values = 0;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        subkeys != 0 || values != 0)
      return;
    key.reset();
    RegDeleteKeyW(root, path.c_str());
  }
}

// Deletes the entry's value if it is this DLL's, then the keys that this leaves empty; whatever
// someone else put there stays.
void Remove(Scope scope, HKEY classes, const Entry& entry) {
  if (Holds(classes, entry)) {
    UniqueHkey key;
    if (RegOpenKeyExW(classes, entry.key.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
      RegDeleteValueW(key.get(), entry.name.c_str());
  }
  PruneEmptyKeys(Root(scope), std::wstring(kClasses) + L"\\" + entry.key);
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
    if (FAILED(RegisterLibrary(scope, classes.get(), library, path)) ||
        !Write(classes.get(), NeutralLocaleEntry(path, library.attributes))) {
      Unregister(scope);
      return SELFREG_E_TYPELIB;
    }
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

// Takes away only what points at this very file: unregistering a copy of the DLL from another
// folder leaves the registration of the copy that is installed.
HRESULT Unregister(Scope scope) noexcept {
  try {
    std::wstring path = module::Path();
    Library library;
    if (path.empty() || FAILED(LoadOwnLibrary(path, library))) return SELFREG_E_TYPELIB;
    UniqueHkey classes = OpenClasses(scope, false);
    if (!classes) return S_OK;
    const TLIBATTR& attributes = library.attributes;
    HRESULT result = S_OK;
    if (Holds(classes.get(), {LibraryPathKey(attributes, attributes.lcid), L"", path})) {
      Remove(scope, classes.get(), NeutralLocaleEntry(path, attributes));
      if (FAILED(UnregisterLibrary(scope, classes.get(), attributes))) result = SELFREG_E_TYPELIB;
      PruneEmptyKeys(Root(scope), std::wstring(kClasses) + L"\\TypeLib");
      PruneEmptyKeys(Root(scope), std::wstring(kClasses) + L"\\Interface");
    }
    std::vector<Entry> entries = ClassEntries(path, attributes.guid);
    if (Holds(classes.get(), entries[1])) {  // InprocServer32: this file
      for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        Remove(scope, classes.get(), *entry);
    }
    return result;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace kolo
