// The program's string table, readable without Win32: the same texts that the program's
// STRINGTABLE resource holds, in UTF-8.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tly {

struct StringEntry {
  int id;
  std::string_view text;  // UTF-8
};

// Every entry, in ascending id order.
std::span<const StringEntry> AllStrings();

// The text of string `id`; empty when the table has no such id.
std::string_view LoadString(int id);

// The list that starts at `first_id`: entries first_id, first_id + 1, ... up to the first one
// whose text is "*" (or a missing id), each read through `load` (the program reads its own
// resources, which hold the same texts).
template <class Load>
auto LoadList(int first_id, Load load) {
  std::vector<decltype(load(first_id))> items;
  for (int id = first_id;; ++id) {
    auto text = load(id);
    if (text.empty() || (text.size() == 1 && text[0] == '*')) break;
    items.push_back(std::move(text));
  }
  return items;
}
std::vector<std::string_view> LoadList(int first_id);

}  // namespace tly
