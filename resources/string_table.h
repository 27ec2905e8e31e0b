// The program's string table, readable without Win32: the same texts that the program's
// STRINGTABLE resource holds, in UTF-8.
#pragma once

#include <span>
#include <string>
#include <string_view>
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
// whose text is "*" (or a missing id).
std::vector<std::string_view> LoadList(int first_id);

}  // namespace tly
