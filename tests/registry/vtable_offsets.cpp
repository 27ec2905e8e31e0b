// The header's C declaration of _Registry's table of functions, which a C++ caller binds the
// same way: where the interface's own functions begin (after IUnknown's and IDispatch's), and
// the size of the table. The type library must place the IDL's members from there, in order.
#define CINTERFACE
#include <cstddef>

#include "kolo_reg_interface.h"

namespace kolo::testing {

std::size_t HeaderTableStart() { return offsetof(_RegistryVtbl, get_CompanyName); }
std::size_t HeaderTableSize() { return sizeof(_RegistryVtbl); }

}  // namespace kolo::testing
