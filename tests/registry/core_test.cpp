// Reading a value that another writer changes between the size query and the read, with the
// registry's answers scripted so that every order of events is met.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "settings_store.h"

namespace kolo {
namespace {

using Bytes = std::vector<BYTE>;

// Each call of the query answers from the next state; nullopt is a value deleted meanwhile.
struct ChangingValue {
  std::vector<std::optional<Bytes>> states;
  std::size_t calls = 0;
  LONG operator()(DWORD* type, BYTE* buffer, DWORD* size) {
    const std::optional<Bytes>& now = states[std::min(calls++, states.size() - 1)];
    if (!now) return ERROR_FILE_NOT_FOUND;
    *type = REG_BINARY;
    DWORD capacity = *size;
    *size = static_cast<DWORD>(now->size());
    if (now->size() > capacity) return ERROR_MORE_DATA;
    std::memcpy(buffer, now->data(), now->size());
    return ERROR_SUCCESS;
  }
};

TEST(ReadRaw, ReadsTheValueAsItIsWhenReadOrNothingWhenItWent) {
  struct Case {
    const char* what;
    DWORD queried;
    std::vector<std::optional<Bytes>> states;
    std::optional<Bytes> read;
  };
  const Case cases[] = {
      {"unchanged", 3, {Bytes{1, 2, 3}}, Bytes{1, 2, 3}},
      {"grew once", 1, {Bytes{1, 2, 3, 4, 5}}, Bytes{1, 2, 3, 4, 5}},
      {"grew twice", 1, {Bytes{1, 2}, Bytes{1, 2, 3, 4}}, Bytes{1, 2, 3, 4}},
      {"shrank", 8, {Bytes{9}}, Bytes{9}},
      {"emptied", 4, {Bytes{}}, Bytes{}},
      {"deleted", 4, {std::nullopt}, std::nullopt},
      {"grew, then deleted", 1, {Bytes{1, 2}, std::nullopt}, std::nullopt},
  };
  for (const Case& c : cases) {
    ChangingValue value{c.states};
    std::optional<RawValue> raw = ReadRaw(value, c.queried);
    EXPECT_EQ(raw ? std::optional(raw->data) : std::nullopt, c.read) << c.what;
  }
}

TEST(ReadRaw, GivesUpOnAValueThatKeepsGrowing) {
  ChangingValue growing;
  for (BYTE n = 1; n < 40; ++n) growing.states.emplace_back(Bytes(n * 10u, n));
  EXPECT_THROW(ReadRaw(growing, 1), RegistryFailure);
}

}  // namespace
}  // namespace kolo
