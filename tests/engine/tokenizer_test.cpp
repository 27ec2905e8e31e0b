#include <gtest/gtest.h>

#include "catalogue.h"
#include "engine_helpers.h"
#include "tokenizer.h"

namespace tly {
namespace {

using testing::ErrorOf;
using testing::Widen;

// The token stream of `text` up to and including the end token, as "code" or "code[value]".
// Past the end the tokenizer keeps giving the end token, with the empty span at the end.
std::string Tokens(std::u16string_view text) {
  Tokenizer t(text);
  std::string out;
  for (int guard = 0; guard < 100; ++guard) {
    t.NextToken();
    if (!out.empty()) out += ' ';
    out += std::to_string(t.token_code());
    if (t.token_value() != 0) out += '[' + FormatPrecise(t.token_value()) + ']';
    if (t.token_code() == code::kEnd) break;
  }
  const int end = static_cast<int>(text.size());
  for (int past = 0; past < 2; ++past) {
    t.NextToken();
    if (t.token_code() != code::kEnd || !(t.token_span() == SourceSpan{end, end})) out += " !end";
  }
  return out;
}

struct TokenCase {
  const char* text;
  const char* tokens;
};

class TokenStream : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenStream, ReadsTheExpectedTokens) {
  EXPECT_EQ(Tokens(Widen(GetParam().text)), GetParam().tokens) << GetParam().text;
}

// A literal is the value of its scan steps, each rounded on its own ('1.23e-5' is
// (1 + 23 / 100) / 1e5), not the nearest double to it.
INSTANTIATE_TEST_SUITE_P(
    All, TokenStream,
    ::testing::Values(
        TokenCase{"SIN(30)", "16 248 1[30] 249 255"}, TokenCase{"Pi", "1[3.14159265358979] 255"},
        TokenCase{"#C", "1[299792458] 255"}, TokenCase{"true", "1[-1] 255"},
        TokenCase{"sinh", "22 255"},  // one keyword, not "sin" and h
        TokenCase{"Z", "2[282] 255"}, TokenCase{"&ANS", "2[256] 255"},
        TokenCase{"x1", "2[280] 1[1] 255"}, TokenCase{"2E3", "1[2000] 255"},
        TokenCase{"2e+", "1[2] 255"}, TokenCase{".5", "1[0.5] 255"}, TokenCase{".", "1 255"},
        TokenCase{"5.", "1[5] 255"}, TokenCase{"1.2.3", "1[1.2] 1[0.3] 255"},
        TokenCase{"1e308", "1[1e+308] 255"}, TokenCase{"1e-308", "1[1e-308] 255"},
        TokenCase{"1.23e-5", "1[1.2299999999999999e-05] 255"}, TokenCase{"007", "1[7] 255"},
        TokenCase{"= <> >< >= => > <= =< <", "240 241 241 242 242 243 244 244 245 255"},
        TokenCase{"  1 +\x20 2  ", "1[1] 3 1[2] 255"}, TokenCase{"", "255"},
        TokenCase{"((((((((1", "248 248 248 248 248 248 248 248 1[1] 255"}));

// The keyword lookup is a hash table built from the catalogue; every row must come back, and
// every word kept out of the language must be refused as such.
TEST(Tokenizer, ReadsEveryKeywordOfTheCatalogue) {
  for (const Keyword& k : kCatalogue) {
    const std::u16string text = Widen(k.spelling);
    Tokenizer t(text);
    t.NextToken();
    EXPECT_EQ(t.token_code(), k.code) << k.spelling;
  }
  for (std::string_view w : kUnsupportedWords)
    EXPECT_EQ(ErrorOf([&] { Tokens(Widen(w)); }), err::kNotSupported) << w;
}

TEST(Tokenizer, RaisesTheNumberOfEachFault) {
  // Tab, full-width blank and digit, letters outside ASCII, words and pairs not in the language.
  const std::u16string syntax[] = {u"1\t2", u"1\u30002", u"\uFF11",   u"\u00e9",
                                   u"ab",   u"&",        u"#x",       u"==",
                                   u"<>=",  u"sine",     u"sinhcosh", {u'\0'}};
  const std::u16string zeros(309, u'0'), nines(309, u'9');
  const std::u16string overflow[] = {u"1e309",        u"1e-309", u"0e400",      u"1e99999",
                                     u"1e4294967296", u"10e308", u"1." + zeros, nines};
  for (std::size_t i = 0; i < std::size(syntax); ++i)
    EXPECT_EQ(ErrorOf([&] { Tokens(syntax[i]); }), 2) << "syntax " << i;
  for (std::size_t i = 0; i < std::size(overflow); ++i)
    EXPECT_EQ(ErrorOf([&] { Tokens(overflow[i]); }), 6) << "overflow " << i;
}

TEST(Tokenizer, FormulaLongerThanTheCharacterCounterOverflows) {
  // 32766 characters are readable to the end; one more overflows the 16-bit position.
  std::u16string fits(32765, u' ');
  fits += u'1';
  EXPECT_EQ(Tokens(fits), "1[1] 255");
  EXPECT_EQ(ErrorOf([&] { Tokens(fits + u' '); }), 6);
}

}  // namespace
}  // namespace tly
