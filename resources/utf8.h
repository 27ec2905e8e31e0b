// UTF-8 and UTF-16 conversion for the console and the string table.
#pragma once

#include <string>
#include <string_view>

namespace tly {

// Malformed sequences become U+FFFD, one per byte that cannot start or continue a character.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace tly
