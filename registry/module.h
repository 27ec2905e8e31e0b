// The DLL's own state: its instance handle and the counts that decide DllCanUnloadNow.
#pragma once

#include <windows.h>

#include <string>

namespace kolo::module {

void SetInstance(HINSTANCE instance) noexcept;
// The full path of Kolo_Reg.dll.
std::wstring Path();

// Every live COM object of the DLL (Registry objects and class factories) is counted from its
// construction to its destruction; IClassFactory::LockServer adds locks.
void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
void Lock(bool lock) noexcept;
bool CanUnload() noexcept;

}  // namespace kolo::module
