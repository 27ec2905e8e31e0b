#include <gtest/gtest.h>

#include <set>
#include <string>

#include "calculation.h"
#include "string_table.h"
#include "unit_factor.h"

namespace tly {
namespace {

TEST(StringTable, FixedTexts) {
  EXPECT_EQ(LoadString(1001), "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(LoadString(1000).substr(0, 8), "https://");
  EXPECT_EQ(LoadString(1502), "文法が違います。");
  EXPECT_EQ(LoadString(1505), "引数の型が違います。");
  EXPECT_EQ(LoadString(1529), "左右の括弧が違います。");
  EXPECT_EQ(LoadString(1530), "現在サポートしていません。");
  EXPECT_EQ(LoadString(999), "");
}

TEST(StringTable, QuantitiesInOrder) {
  const std::vector<std::string_view> expected = {"接頭語",
                                                  "長さ",
                                                  "面積",
                                                  "体積・容積",
                                                  "質量",
                                                  "時間",
                                                  "速度",
                                                  "加速度",
                                                  "角度",
                                                  "力",
                                                  "エネルギー・熱量・周波数",
                                                  "パワー・仕事率",
                                                  "圧力",
                                                  "情報量"};
  EXPECT_EQ(LoadList(kFirstQuantityString), expected);
  EXPECT_EQ(LoadString(2014), "*");
}

// Characters that look alike but are others: the unit names use these exact code points.
TEST(StringTable, UnitNamesUseTheirExactCharacters) {
  struct Case {
    int id;
    const char* text;
  };
  for (Case c : {Case{2106, "\u212B"},  // Å, the angstrom sign
                 Case{2064, "\u03BC"},  // μ, Greek mu
                 Case{2104, "\u03BCm"},
                 Case{2129, "\uFF8E\uFF9E\uFF70\uFF71半径 a0"},  // half-width katakana
                 Case{2151, "\u33A1"},                           // ㎡
                 Case{2161, "段\uFF08反\uFF09"},                 // full-width parentheses
                 Case{2557, "N\uFF65m"},                         // half-width middle dot
                 Case{2451, "分 \u2019"}, Case{2452, "秒 \u201D"}, Case{2455, "直角 \u2220R"},
                 Case{2450, "度 \u00B0"}, Case{2354, "m/min"}, Case{2703, "KB"},
                 Case{2704, "B\uFF08byte\uFF09"}, Case{2504, "J/cm"}})
    EXPECT_EQ(LoadString(c.id), c.text) << c.id;
}

TEST(StringTable, ListsEndAtTheFirstStar) {
  EXPECT_EQ(LoadList(2100).size(), 35u);
  EXPECT_EQ(LoadList(2100).front(), "km");
  EXPECT_EQ(LoadList(2100).back(), "パーセク pc");
  EXPECT_EQ(LoadList(2700).back(), "nibble");
  EXPECT_TRUE(LoadList(2135).empty());
}

TEST(StringTable, IdsAreUnique) {
  std::set<int> ids;
  for (const StringEntry& e : AllStrings()) EXPECT_TRUE(ids.insert(e.id).second) << e.id;
}

TEST(ErrorMessages, OwnMessagesAndStandardDescriptions) {
  EXPECT_EQ(ErrorMessageId(2), 1502);
  EXPECT_EQ(ErrorMessageId(5), 1505);
  EXPECT_EQ(ErrorMessageId(29), 1529);
  EXPECT_EQ(ErrorMessageId(30), 1530);
  for (int n : {6, 9, 11, 16, 335}) {
    EXPECT_EQ(ErrorMessageId(n), 3000 + n);
    EXPECT_FALSE(ErrorMessage(n).empty());
  }
  EXPECT_EQ(ErrorMessageId(7), 3000);  // no description of its own
  EXPECT_EQ(ErrorMessageId(-1), 3000);
  EXPECT_EQ(ErrorMessage(11), "0 で除算しました。");
}

}  // namespace
}  // namespace tly
