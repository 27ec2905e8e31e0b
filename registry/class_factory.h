// The class factory of Registry, handed out by DllGetClassObject.
#pragma once

#include <unknwn.h>

namespace kolo {

HRESULT GetRegistryClassFactory(REFIID iid, void** out) noexcept;

}  // namespace kolo
