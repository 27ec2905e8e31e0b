// Self-registration: the class, its ProgID, the interface and the type library, for the whole
// machine (regsvr32) or for the current user only (regsvr32 /n /i:user).
#pragma once

#include <windows.h>

namespace kolo {

enum class Scope { kMachine, kUser };

HRESULT Register(Scope scope) noexcept;
// Removes what Register wrote; registrations that are already gone are not an error.
HRESULT Unregister(Scope scope) noexcept;

}  // namespace kolo
