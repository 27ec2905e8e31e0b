// Registration with regsvr32. Runs in the DLL's folder.
#include <gtest/gtest.h>

#include <cstdlib>
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

int Regsvr32(const std::wstring& options, const std::wstring& dll) {
  return _wsystem((L"regsvr32.exe /s " + options + L" \"" + dll + L"\"").c_str());
}

// Registry names are compared without regard to case (Wine writes "Typelib").
std::wstring Upper(std::wstring text) {
  CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// A key and everything below it, as "root:path" and "root:path|name=data" lines, in capitals.
void Collect(HKEY root, const std::wstring& path, std::set<std::wstring>& out) {
  UniqueHkey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
  const std::wstring line = (root == HKEY_CURRENT_USER ? L"HKCU:" : L"HKLM:") + path;
  out.insert(Upper(line));
  wchar_t name[256], data[MAX_PATH + 1];
  for (DWORD i = 0, length = 256, size = sizeof data - 2;
       RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                     &size) == ERROR_SUCCESS;
       ++i, length = 256, size = sizeof data - 2) {
    data[size / 2] = L'\0';
    out.insert(Upper(line + L"|" + name + L"=" + data));
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

// For the machine and for the current user: the class, the interface and the type library point
// at this DLL; unregistering another copy of it changes nothing, and unregistering this one
// leaves the registry as it was, without empty keys.
TEST(Registration, WritesWhatPointsAtThisDllAndTakesOnlyThatAwayAgain) {
  const std::wstring dll = FullPath(L"Kolo_Reg.dll"), folder = FullPath(L"copy");
  const std::wstring copy = folder + L"\\Kolo_Reg.dll";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(dll.c_str(), copy.c_str(), FALSE));
  const std::set<std::wstring> before = Snapshot();
  for (std::wstring scope : {L"HKLM:", L"HKCU:"}) {
    const std::wstring options = scope == L"HKLM:" ? L"" : L"/n /i:user";
    ASSERT_EQ(Regsvr32(options, dll), 0);
    const std::set<std::wstring> registered = Snapshot();
    scope += kClasses;
    for (const std::wstring& line :
         {scope + kClsid + L"\\InprocServer32|=" + dll,
          scope + kClsid + L"\\InprocServer32|ThreadingModel=Apartment",
          scope + kClsid + L"\\ProgID|=" + kProgId,
          scope + kProgId + L"\\CLSID|={E150A199-2F1A-11D4-9BA5-0000E8D5AE4C}",
          // the type library marshaller, which finds the library also for the neutral locale
          scope + kInterface + L"\\ProxyStubClsid32|={00020424-0000-0000-C000-000000000046}",
          scope + kTypeLib + L"\\4.1\\409\\win64|=" + dll,
          scope + kTypeLib + L"\\4.1\\0\\win64|=" + dll})
      EXPECT_EQ(registered.count(Upper(line)), 1u) << line;
    for (const std::wstring& line : registered)  // nothing in the other root
      EXPECT_TRUE(before.count(line) || line.substr(0, 5) == scope.substr(0, 5)) << line;
    // Wine's COM looks classes up only in the machine's registration.
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    if (scope[2] == 'L') {
      EXPECT_TRUE(tly::RegistryClient::Create().has_value());
    }
    EXPECT_EQ(Regsvr32(L"/u " + options, copy), 0);
    EXPECT_EQ(Snapshot(), registered);
    EXPECT_EQ(Regsvr32(L"/u " + options, dll), 0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Regsvr32(L"/u " + options, dll), 0);  // nothing left to take away is no error
    HRESULT reason = S_OK;
    EXPECT_FALSE(tly::RegistryClient::Create(&reason).has_value());
    EXPECT_EQ(reason, REGDB_E_CLASSNOTREG);
    CoUninitialize();
  }
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace kolo
