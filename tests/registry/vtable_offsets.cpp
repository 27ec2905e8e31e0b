// The header's C declaration of _Registry's table of functions, whose offsets the type library
// must give: a C++ caller and a C caller bind the same table.
#define CINTERFACE
#include <cstddef>
#include <vector>

#include "kolo_reg_interface.h"

namespace kolo::testing {

// The offsets of _Registry's own functions in their order, then the size of the table.
std::vector<std::size_t> HeaderOffsets() {
  return {offsetof(_RegistryVtbl, get_CompanyName),
          offsetof(_RegistryVtbl, put_CompanyName),
          offsetof(_RegistryVtbl, get_AppName),
          offsetof(_RegistryVtbl, put_AppName),
          offsetof(_RegistryVtbl, put_DefaultSection),
          offsetof(_RegistryVtbl, get_DefaultSection),
          offsetof(_RegistryVtbl, put_RootKey),
          offsetof(_RegistryVtbl, get_RootKey),
          offsetof(_RegistryVtbl, GetValue),
          offsetof(_RegistryVtbl, SetValue),
          offsetof(_RegistryVtbl, DeleteValue),
          offsetof(_RegistryVtbl, GetAllValues),
          sizeof(_RegistryVtbl)};
}

}  // namespace kolo::testing
