// Registration with regsvr32, for the machine and for the current user: what it writes, that
// the class can then be created, and that unregistration takes away exactly what points at
// this DLL, leaving no empty key. Also DllCanUnloadNow. Runs in the DLL's folder.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "com_owners.h"
#include "kolo_reg_client.h"
#include "kolo_reg_interface.h"

namespace kolo {
namespace {

const std::wstring kClasses = L"Software\\Classes\\";
const wchar_t kClsid[] = L"CLSID\\{E150A199-2F1A-11D4-9BA5-0000E8D5AE4C}";
const wchar_t kInterface[] = L"Interface\\{4AAD1E12-3232-11D4-9BA5-0000E8D5AE4C}";
const wchar_t kTypeLib[] = L"TypeLib\\{E150A197-2F1A-11D4-9BA5-0000E8D5AE4C}";
const wchar_t kProgId[] = L"Kolo_Reg.Registry";

std::wstring FullPath(const wchar_t* file) {
  wchar_t path[MAX_PATH];
  GetFullPathNameW(file, MAX_PATH, path, nullptr);
  return path;
}

DWORD RunRegsvr32(const std::wstring& options, const std::wstring& dll) {
  std::wstring command = L"regsvr32.exe /s " + options + L" \"" + dll + L"\"";
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

std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* name = nullptr) {
  wchar_t text[MAX_PATH] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return text;
}

// A key and everything below it, as "path" and "path|name=data" lines.
void Collect(HKEY root, const std::wstring& path, std::set<std::wstring>& out) {
  UniqueHkey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
  out.insert(path);
  wchar_t name[256], data[MAX_PATH + 1];
  for (DWORD i = 0, length = 256, size = sizeof data - 2;
       RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                     &size) == ERROR_SUCCESS;
       ++i, length = 256, size = sizeof data - 2) {
    data[size / 2] = L'\0';
    out.insert(path + L"|" + name + L"=" + data);
  }
  for (DWORD i = 0, length = 256; RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr,
                                                nullptr, nullptr) == ERROR_SUCCESS;
       ++i, length = 256)
    Collect(root, path + L"\\" + name, out);
}

// What registration touches: all of the user's classes (few), of the machine's only ours.
std::set<std::wstring> Snapshot() {
  std::set<std::wstring> out;
  Collect(HKEY_CURRENT_USER, L"Software\\Classes", out);
  for (const wchar_t* key : {kClsid, kInterface, kTypeLib, kProgId})
    Collect(HKEY_LOCAL_MACHINE, kClasses + key, out);
  return out;
}

std::string Show(const std::set<std::wstring>& lines) {
  std::string out;
  for (const std::wstring& line : lines) out += std::string(line.begin(), line.end()) + "\n";
  return out;
}

TEST(Registration, WritesTheClassInterfaceAndTypeLibraryAndTakesThemAwayAgain) {
  struct Place {
    HKEY root;
    const wchar_t* install;
    const wchar_t* uninstall;
  };
  const std::wstring dll = FullPath(L"Kolo_Reg.dll");
  const std::set<std::wstring> before = Snapshot();
  for (const Place& place : {Place{HKEY_LOCAL_MACHINE, L"", L"/u"},
                             Place{HKEY_CURRENT_USER, L"/n /i:user", L"/u /n /i:user"}}) {
    ASSERT_EQ(RunRegsvr32(place.install, dll), 0u);
    const std::wstring clsid = kClasses + kClsid, typelib = kClasses + kTypeLib;
    const std::pair<std::wstring, const wchar_t*> written[] = {
        {ReadString(place.root, clsid + L"\\InprocServer32"), dll.c_str()},
        {ReadString(place.root, clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment"},
        {ReadString(place.root, clsid + L"\\ProgID"), kProgId},
        {ReadString(place.root, kClasses + kProgId + L"\\CLSID"),
         L"{E150A199-2F1A-11D4-9BA5-0000E8D5AE4C}"},
        {ReadString(place.root, kClasses + kInterface + L"\\ProxyStubClsid32"),
         L"{00020424-0000-0000-C000-000000000046}"},  // the type library marshaller
        {ReadString(place.root, typelib + L"\\4.1\\409\\win64"), dll.c_str()},
        {ReadString(place.root, typelib + L"\\4.1\\0\\win64"), dll.c_str()},  // neutral locale
    };
    for (const auto& [read, expected] : written) EXPECT_EQ(read, expected);
    // Wine's COM looks classes up only in the machine's registration.
    if (place.root == HKEY_LOCAL_MACHINE) {
      ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
      EXPECT_TRUE(tly::RegistryClient::Create().has_value());
      CoUninitialize();
    }
    ASSERT_EQ(RunRegsvr32(place.uninstall, dll), 0u);
    EXPECT_EQ(Show(Snapshot()), Show(before));
    EXPECT_EQ(RunRegsvr32(place.uninstall, dll), 0u);  // nothing left to take away is no error
    HRESULT reason = S_OK;
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    EXPECT_FALSE(tly::RegistryClient::Create(&reason).has_value());
    EXPECT_EQ(reason, REGDB_E_CLASSNOTREG);
    CoUninitialize();
  }
}

// Another copy of the DLL is unregistered while the installed one is registered.
TEST(Registration, UnregisteringACopyLeavesTheInstalledRegistrationAlone) {
  const std::wstring dll = FullPath(L"Kolo_Reg.dll"), folder = FullPath(L"copy");
  const std::wstring copy = folder + L"\\Kolo_Reg.dll";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(dll.c_str(), copy.c_str(), FALSE));
  const std::set<std::wstring> before = Snapshot();
  for (const wchar_t* scope : {L"", L"/n /i:user"}) {
    ASSERT_EQ(RunRegsvr32(scope, dll), 0u);
    const std::set<std::wstring> registered = Snapshot();
    EXPECT_EQ(RunRegsvr32(std::wstring(L"/u ") + scope, copy), 0u);
    EXPECT_EQ(Show(Snapshot()), Show(registered));
    ASSERT_EQ(RunRegsvr32(std::wstring(L"/u ") + scope, dll), 0u);
    EXPECT_EQ(Show(Snapshot()), Show(before));
  }
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST(Unloading, OnlyWithoutLiveObjectsAndLocks) {
  HMODULE dll = LoadLibraryW(FullPath(L"Kolo_Reg.dll").c_str());
  ASSERT_NE(dll, nullptr);
  auto get_class_object = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  auto can_unload = reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  ComPtr<IClassFactory> factory;
  ComPtr<_Registry> object;
  EXPECT_EQ(get_class_object(__uuidof(IUnknown), __uuidof(IClassFactory), factory.put_void()),
            CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(get_class_object(__uuidof(Registry), __uuidof(IClassFactory), factory.put_void()),
            S_OK);
  EXPECT_EQ(can_unload(), S_FALSE);  // a factory is live
  ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(_Registry), object.put_void()), S_OK);
  factory->LockServer(TRUE);
  factory.reset();
  object.reset();
  EXPECT_EQ(can_unload(), S_FALSE);  // a lock
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
