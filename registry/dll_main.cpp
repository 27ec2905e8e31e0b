// The exports of Kolo_Reg.dll (kolo_reg.def). No exception leaves any of them.
#include <windows.h>

#include <objbase.h>

#include "class_factory.h"
#include "kolo_reg_interface.h"
#include "module.h"
#include "registration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    kolo::module::SetInstance(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != __uuidof(Registry)) return CLASS_E_CLASSNOTAVAILABLE;
  return kolo::GetRegistryClassFactory(iid, out);
}

STDAPI DllCanUnloadNow() { return kolo::module::CanUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return kolo::Register(kolo::Scope::kMachine); }

STDAPI DllUnregisterServer() { return kolo::Unregister(kolo::Scope::kMachine); }

// regsvr32 /i:user calls this with "user" (and /n leaves out DllRegisterServer): registration
// for the current user only, below HKCU\Software\Classes. No command line means the machine.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR command_line) {
  kolo::Scope scope;
  if (!command_line || !*command_line)
    scope = kolo::Scope::kMachine;
  else if (CompareStringOrdinal(command_line, -1, L"user", -1, TRUE) == CSTR_EQUAL)
    scope = kolo::Scope::kUser;
  else
    return E_INVALIDARG;
  return install ? kolo::Register(scope) : kolo::Unregister(scope);
}
