// The interface of Kolo_Reg as widl makes it from kolo_reg.idl: _Registry, the coclass
// Registry and the enumeration RootKeyConstans. Include this header, not the generated one:
// the enumeration's member names are also the <windows.h> macros HKEY_CLASSES_ROOT etc., so
// the macros are set aside while the enumeration is declared, and the macros win afterwards.
#pragma once

#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>

#pragma push_macro("HKEY_CLASSES_ROOT")
#pragma push_macro("HKEY_CURRENT_USER")
#pragma push_macro("HKEY_LOCAL_MACHINE")
#pragma push_macro("HKEY_USERS")
#pragma push_macro("HKEY_PERFORMANCE_DATA")
#pragma push_macro("HKEY_CURRENT_CONFIG")
#pragma push_macro("HKEY_DYN_DATA")
#undef HKEY_CLASSES_ROOT
#undef HKEY_CURRENT_USER
#undef HKEY_LOCAL_MACHINE
#undef HKEY_USERS
#undef HKEY_PERFORMANCE_DATA
#undef HKEY_CURRENT_CONFIG
#undef HKEY_DYN_DATA
#include "kolo_reg_idl.h"

namespace kolo {
// The predefined roots, defined once in the IDL, under names that the macros leave usable.
inline constexpr RootKeyConstans kClassesRoot = HKEY_CLASSES_ROOT;
inline constexpr RootKeyConstans kCurrentUser = HKEY_CURRENT_USER;
inline constexpr RootKeyConstans kLocalMachine = HKEY_LOCAL_MACHINE;
inline constexpr RootKeyConstans kDynData = HKEY_DYN_DATA;  // the last of them
}  // namespace kolo

#pragma pop_macro("HKEY_DYN_DATA")
#pragma pop_macro("HKEY_CURRENT_CONFIG")
#pragma pop_macro("HKEY_PERFORMANCE_DATA")
#pragma pop_macro("HKEY_USERS")
#pragma pop_macro("HKEY_LOCAL_MACHINE")
#pragma pop_macro("HKEY_CURRENT_USER")
#pragma pop_macro("HKEY_CLASSES_ROOT")
