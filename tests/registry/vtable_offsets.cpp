// The header's C declaration of _Registry's table of functions, whose offsets the type library
// must give: a C++ caller and a C caller bind the same table.
#define CINTERFACE
#include <cstddef>
#include <map>
#include <string>

#include "kolo_reg_interface.h"

namespace kolo::testing {

std::size_t HeaderOffset(const std::string& member) {
#define KOLO_OFFSET(m) \
  { #m, offsetof(_RegistryVtbl, m) }
  static const std::map<std::string, std::size_t> offsets = {
      KOLO_OFFSET(get_CompanyName),    KOLO_OFFSET(put_CompanyName),
      KOLO_OFFSET(get_AppName),        KOLO_OFFSET(put_AppName),
      KOLO_OFFSET(put_DefaultSection), KOLO_OFFSET(get_DefaultSection),
      KOLO_OFFSET(put_RootKey),        KOLO_OFFSET(get_RootKey),
      KOLO_OFFSET(GetValue),           KOLO_OFFSET(SetValue),
      KOLO_OFFSET(DeleteValue),        KOLO_OFFSET(GetAllValues),
      {"size", sizeof(_RegistryVtbl)},
  };
#undef KOLO_OFFSET
  auto found = offsets.find(member);
  return found == offsets.end() ? 0 : found->second;
}

}  // namespace kolo::testing
