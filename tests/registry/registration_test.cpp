// Registration with regsvr32, for the machine and for the current user: what it writes, that
// the class can then be created, and that unregistration leaves none of it behind. Also
// DllCanUnloadNow with and without live objects and server locks. Runs in the DLL's folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com_owners.h"
#include "kolo_reg_client.h"
#include "kolo_reg_interface.h"

namespace kolo {
namespace {

const wchar_t kClsid[] = L"CLSID\\{E150A199-2F1A-11D4-9BA5-0000E8D5AE4C}";
const wchar_t kInterface[] = L"Interface\\{4AAD1E12-3232-11D4-9BA5-0000E8D5AE4C}";
const wchar_t kTypeLib[] = L"TypeLib\\{E150A197-2F1A-11D4-9BA5-0000E8D5AE4C}";
const wchar_t kProgId[] = L"Kolo_Reg.Registry";

std::wstring DllPath() {
  wchar_t path[MAX_PATH];
  GetFullPathNameW(L"Kolo_Reg.dll", MAX_PATH, path, nullptr);
  return path;
}

DWORD RunRegsvr32(const std::wstring& options) {
  std::wstring command = L"regsvr32.exe /s " + options + L" \"" + DllPath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return static_cast<DWORD>(-1);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return status;
}

std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t text[MAX_PATH] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return text;
}

bool Exists(HKEY classes_root, const std::wstring& classes, const std::wstring& path) {
  UniqueHkey key;
  return RegOpenKeyExW(classes_root, (classes + L"\\" + path).c_str(), 0, KEY_READ, key.put()) ==
         ERROR_SUCCESS;
}

struct Place {
  const char* what;
  HKEY root;   // where this registration writes
  HKEY other;  // where it must not write
  const wchar_t* install;
  const wchar_t* uninstall;
};

const Place kPlaces[] = {
    {"machine", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, L"", L"/u"},
    {"user", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, L"/n /i:user", L"/u /n /i:user"},
};

const std::wstring kClasses = L"Software\\Classes";

void ExpectNothingRegistered(const char* when) {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    for (const wchar_t* key : {kClsid, kInterface, kTypeLib, kProgId})
      EXPECT_FALSE(Exists(root, kClasses, key))
          << when << ": " << std::string(key, key + wcslen(key));
}

TEST(Registration, WritesTheClassInterfaceAndTypeLibraryAndRemovesThemAgain) {
  ExpectNothingRegistered("before");
  for (const Place& place : kPlaces) {
    ASSERT_EQ(RunRegsvr32(place.install), 0u) << place.what;
    std::wstring clsid = kClasses + L"\\" + kClsid;
    EXPECT_EQ(ReadString(place.root, clsid + L"\\InprocServer32", nullptr), DllPath());
    EXPECT_EQ(ReadString(place.root, clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(ReadString(place.root, clsid + L"\\ProgID", nullptr), kProgId);
    EXPECT_EQ(ReadString(place.root, kClasses + L"\\" + kProgId + L"\\CLSID", nullptr),
              L"{E150A199-2F1A-11D4-9BA5-0000E8D5AE4C}");
    EXPECT_EQ(
        ReadString(place.root, kClasses + L"\\" + kInterface + L"\\ProxyStubClsid32", nullptr),
        L"{00020424-0000-0000-C000-000000000046}");  // the type library marshaller
    EXPECT_EQ(ReadString(place.root, kClasses + L"\\" + kTypeLib + L"\\4.1\\409\\win64", nullptr),
              DllPath());
    for (const wchar_t* key : {kClsid, kInterface, kTypeLib, kProgId})
      EXPECT_FALSE(Exists(place.other, kClasses, key)) << place.what;

    // The program can create the class now. (Wine's COM looks up classes only in the
    // machine's registration, so the per-user one is checked by its keys alone.)
    if (place.root == HKEY_LOCAL_MACHINE) {
      ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
      EXPECT_TRUE(tly::RegistryClient::Create().has_value()) << place.what;
      CoUninitialize();
    }

    ASSERT_EQ(RunRegsvr32(place.uninstall), 0u) << place.what;
    ExpectNothingRegistered(place.what);
    // Unregistering what is not registered is no error.
    EXPECT_EQ(RunRegsvr32(place.uninstall), 0u) << place.what;
  }
}

TEST(Registration, CreationFailsDistinctlyWhenTheClassIsNotRegistered) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  HRESULT reason = S_OK;
  EXPECT_FALSE(tly::RegistryClient::Create(&reason).has_value());
  EXPECT_EQ(reason, REGDB_E_CLASSNOTREG);
  CoUninitialize();
}

TEST(Unloading, OnlyWithoutLiveObjectsAndLocks) {
  HMODULE dll = LoadLibraryW(DllPath().c_str());
  ASSERT_NE(dll, nullptr);
  using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  using CanUnloadNow = HRESULT(WINAPI*)();
  auto get_class_object = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  auto can_unload = reinterpret_cast<CanUnloadNow>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  ASSERT_TRUE(get_class_object && can_unload);
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));

  EXPECT_EQ(can_unload(), S_OK);
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(get_class_object(__uuidof(IUnknown), __uuidof(IClassFactory), factory.put_void()),
            CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(get_class_object(__uuidof(Registry), __uuidof(IClassFactory), factory.put_void()),
            S_OK);
  EXPECT_EQ(can_unload(), S_FALSE);  // a factory is live

  ComPtr<_Registry> first, second;
  ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(_Registry), first.put_void()), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(_Registry), second.put_void()), S_OK);
  ComPtr<IUnknown> outer;
  EXPECT_EQ(factory->CreateInstance(first.get(), __uuidof(IUnknown), outer.put_void()),
            CLASS_E_NOAGGREGATION);
  factory->LockServer(TRUE);
  factory.reset();
  first.reset();
  EXPECT_EQ(can_unload(), S_FALSE);  // an object and a lock
  second.reset();
  EXPECT_EQ(can_unload(), S_FALSE);  // the lock
  ASSERT_EQ(get_class_object(__uuidof(Registry), __uuidof(IClassFactory), factory.put_void()),
            S_OK);
  factory->LockServer(FALSE);
  factory.reset();
  EXPECT_EQ(can_unload(), S_OK);

  CoUninitialize();
  FreeLibrary(dll);
}

}  // namespace
}  // namespace kolo
