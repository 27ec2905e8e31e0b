// The ids of the strings the program asks for by name, made from strings.inc: ids::kErrorSyntax
// is the id of the syntax error's message. Lists are known by the id of their first entry.
#pragma once

namespace tly::ids {

#define TLY_STRING(name, id, text) inline constexpr int name = id;
#define TLY_BASE(name, id) inline constexpr int name = id;
#define TLY_ITEM(id, text)
#define TLY_UNIT(id, text, size)
#include "strings.inc"
#undef TLY_STRING
#undef TLY_BASE
#undef TLY_ITEM
#undef TLY_UNIT

}  // namespace tly::ids
