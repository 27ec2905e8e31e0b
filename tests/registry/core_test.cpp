// The parts of a Registry object that need no registry: reading a value whose size changes
// under the reader, and the value mapping in both directions.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "settings_store.h"

namespace kolo {
namespace {

// A value that another writer replaces while it is being read: each call of the query
// answers from the next state.
struct ChangingValue {
  std::vector<std::vector<BYTE>> states;
  std::size_t calls = 0;
  LONG operator()(DWORD* type, BYTE* buffer, DWORD* size) {
    const std::vector<BYTE>& now = states[std::min(calls++, states.size() - 1)];
    *type = REG_BINARY;
    DWORD capacity = *size;
    *size = static_cast<DWORD>(now.size());
    if (now.size() > capacity) return ERROR_MORE_DATA;
    std::memcpy(buffer, now.data(), now.size());
    return ERROR_SUCCESS;
  }
};

TEST(ReadRaw, FollowsAValueThatChangesSizeBetweenQueryAndRead) {
  struct Case {
    const char* what;
    DWORD queried;
    std::vector<std::vector<BYTE>> states;
    std::vector<BYTE> read;
  };
  const Case cases[] = {
      {"unchanged", 3, {{1, 2, 3}}, {1, 2, 3}},
      {"grew once", 1, {{1, 2, 3, 4, 5}}, {1, 2, 3, 4, 5}},
      {"grew twice", 1, {{1, 2}, {1, 2, 3, 4}}, {1, 2, 3, 4}},
      {"shrank", 8, {{9}}, {9}},
      {"emptied", 4, {{}}, {}},
  };
  for (const Case& c : cases) {
    ChangingValue value{c.states};
    RawValue raw = ReadRaw(value, c.queried);
    EXPECT_EQ(raw.data, c.read) << c.what;
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_BINARY)) << c.what;
  }
}

TEST(ReadRaw, GivesUpOnAValueThatKeepsGrowingOrCannotBeRead) {
  ChangingValue growing;
  for (BYTE n = 1; n < 40; ++n) growing.states.emplace_back(n * 10u, n);
  EXPECT_THROW(ReadRaw(growing, 1), RegistryFailure);
  auto denied = [](DWORD*, BYTE*, DWORD*) -> LONG { return ERROR_ACCESS_DENIED; };
  EXPECT_THROW(ReadRaw(denied, 4), RegistryFailure);
}

TEST(ToVariant, StringsEndAtTheFirstNulOrAtTheirLength) {
  struct Case {
    std::vector<BYTE> bytes;
    const wchar_t* text;
  };
  const Case cases[] = {
      {{'a', 'b', 'c', 0}, L"abc"},
      {{'a', 'b', 'c'}, L"abc"},
      {{'a', 0, 'c', 0}, L"a"},
      {{0}, L""},
      {{}, L""},
  };
  for (const Case& c : cases) {
    UniqueVariant v = ToVariant(RawValue{REG_SZ, c.bytes});
    ASSERT_EQ(v.vt(), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&v.get()), c.text);
  }
}

TEST(ToVariant, DwordsShorterThanFourBytesFillTheLowBytesLongerOnesFail) {
  EXPECT_EQ(V_I4(&ToVariant(RawValue{REG_DWORD, {0x34, 0x12}}).get()), 0x1234);
  EXPECT_THROW(ToVariant(RawValue{REG_DWORD, {1, 2, 3, 4, 5}}), RegistryFailure);
}

TEST(FromVariant, UnlistedTypesAreWrittenByTheirStringForm) {
  VARIANT null_value;
  VariantInit(&null_value);
  V_VT(&null_value) = VT_NULL;  // Null has no string form
  EXPECT_THROW(FromVariant(null_value, false), RegistryFailure);
  VARIANT byte_value;
  V_VT(&byte_value) = VT_UI1;
  V_UI1(&byte_value) = 200;
  RawValue raw = FromVariant(byte_value, false);
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw.data, (std::vector<BYTE>{'2', '0', '0', 0}));
}

}  // namespace
}  // namespace kolo
