#include "string_table.h"

#include <algorithm>
#include <iterator>

namespace tly {
namespace {

#define TLY_STRING(name, id, text) StringEntry{id, text},
#define TLY_BASE(name, id)
#define TLY_ITEM(id, text) StringEntry{id, text},
#define TLY_UNIT(id, text, size) StringEntry{id, text},
constexpr StringEntry kStrings[] = {
#include "strings.inc"
};
#undef TLY_STRING
#undef TLY_BASE
#undef TLY_ITEM
#undef TLY_UNIT

constexpr bool IdsAscending() {
  for (std::size_t i = 1; i < std::size(kStrings); ++i) {
    if (kStrings[i - 1].id >= kStrings[i].id) return false;
  }
  return true;
}
static_assert(IdsAscending(), "strings.inc must list each id once, in ascending order");

}  // namespace

std::span<const StringEntry> AllStrings() { return kStrings; }

std::string_view LoadString(int id) {
  auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                             [](const StringEntry& e, int value) { return e.id < value; });
  if (it == std::end(kStrings) || it->id != id) return {};
  return it->text;
}

std::vector<std::string_view> LoadList(int first_id) { return LoadList(first_id, LoadString); }

}  // namespace tly
