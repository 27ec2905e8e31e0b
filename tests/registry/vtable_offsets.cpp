// The offsets of _Registry's own functions in the header's C declaration of its table, in their
// order, then the size of the table: the type library must give the same.
#define CINTERFACE
#include <cstddef>
#include <vector>

#include "kolo_reg_interface.h"

namespace kolo::testing {
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
