// The STRINGTABLE compiled into the program's resources, read back with LoadStringW, holds
// exactly the portable string table: same ids, same UTF-16 text.
#include <windows.h>

#include <gtest/gtest.h>

#include "string_table.h"
#include "utf8.h"

namespace tly {
namespace {

TEST(StringResource, EveryIdReadsBackAsThePortableText) {
  for (const StringEntry& e : AllStrings()) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW points into the resource itself.
    int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(e.id),
                             reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_GT(length, 0) << e.id;
    std::u16string resource(reinterpret_cast<const char16_t*>(text),
                            static_cast<std::size_t>(length));
    EXPECT_EQ(resource, Utf8ToUtf16(e.text)) << e.id;
  }
}

}  // namespace
}  // namespace tly
