#include "catalogue.h"

namespace tly {
namespace {

using K = Word::Kind;

constexpr std::size_t kWordCount =
    kCatalogue.size() + std::size(kNamedConstants) + 1 + std::size(kUnsupportedWords);

constexpr auto kWords = [] {
  std::array<Word, kWordCount> words{};
  std::size_t n = 0;
  for (const Keyword& k : kCatalogue) words[n++] = {k.spelling, K::kFunction, k.code, 0};
  for (const NamedValue& c : kNamedConstants)
    words[n++] = {c.spelling, K::kConstant, code::kNumber, c.value};
  words[n++] = {kAnsSpelling, K::kRegister, code::kRegister, code::kAnsRegisterNumber};
  for (std::string_view s : kUnsupportedWords) words[n++] = {s, K::kUnsupported, 0, 0};
  return words;
}();

// For the lookup, each spelling (at most eight characters) packed into one number, first
// character in the lowest byte, and a hash table of those numbers with linear probing.
static_assert(kLongestSpelling <= sizeof(std::uint64_t));

constexpr std::uint64_t Key(std::string_view s) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < s.size(); ++i)
    key |= std::uint64_t{static_cast<unsigned char>(s[i])} << (8 * i);
  return key;
}

constexpr std::size_t kBuckets = 256;  // a power of two, over twice the words
static_assert(kBuckets >= 2 * kWordCount);
constexpr std::size_t Bucket(std::uint64_t key) { return (key * 0x9E3779B97F4A7C15u) >> 56; }

struct Bucketed {
  std::uint64_t key = 0;
  std::size_t length = 0;      // of the spelling, kept here to spare a look into the word
  const Word* word = nullptr;  // nullptr: an empty bucket
};

constexpr auto kTable = [] {
  std::array<Bucketed, kBuckets> table{};
  for (const Word& w : kWords) {
    const std::uint64_t key = Key(w.spelling);
    std::size_t b = Bucket(key);
    while (table[b].word != nullptr) b = (b + 1) % kBuckets;
    table[b] = {key, w.spelling.size(), &w};
  }
  return table;
}();

constexpr bool KeysAreDistinct() {
  for (const Word& w : kWords)
    if (w.spelling.empty() || w.spelling.size() > kLongestSpelling) return false;
  for (std::size_t i = 0; i < kWords.size(); ++i)
    for (std::size_t j = i + 1; j < kWords.size(); ++j)
      if (Key(kWords[i].spelling) == Key(kWords[j].spelling)) return false;
  return true;
}
static_assert(KeysAreDistinct(), "every spelling has one to eight characters and its own key");

constexpr bool CodesAreDistinct() {
  for (std::size_t i = 0; i < kCatalogue.size(); ++i)
    for (std::size_t j = i + 1; j < kCatalogue.size(); ++j)
      if (kCatalogue[i].code == kCatalogue[j].code) return false;
  return true;
}
static_assert(CodesAreDistinct(), "every keyword has its own slot code");

}  // namespace

const Word* FindWord(std::string_view spelling) {
  if (spelling.size() > kLongestSpelling) return nullptr;
  const std::uint64_t key = Key(spelling);
  for (std::size_t b = Bucket(key); kTable[b].word != nullptr; b = (b + 1) % kBuckets) {
    // Equal keys of equally long spellings are equal spellings; of others, they differ in
    // trailing NUL characters.
    if (kTable[b].key == key) return kTable[b].length == spelling.size() ? kTable[b].word : nullptr;
  }
  return nullptr;
}

}  // namespace tly
