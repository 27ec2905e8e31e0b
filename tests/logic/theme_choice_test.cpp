#include <gtest/gtest.h>

#include "theme_choice.h"

namespace tly {
namespace {

constexpr auto kLight = Appearance::kLight, kDark = Appearance::kDark,
               kSystem = Appearance::kSystemColors;

TEST(ThemeChoice, SettingSystemValueAndHighContrast) {
  const struct {
    int setting;
    std::optional<std::uint32_t> apps_use_light_theme;
    bool high_contrast;
    Appearance expected;
  } cases[] = {
      {0, std::nullopt, false, kLight},  // no value: Windows is light
      {0, 1, false, kLight},
      {0, 0, false, kDark},
      {0, 7, false, kLight},  // any other value is light, as Windows reads it
      {1, 0, false, kLight},
      {2, 1, false, kDark},
      {2, std::nullopt, false, kDark},
      {3, 0, false, kDark},  // out of range: follows Windows
      {-1, 1, false, kLight},
      {0, 0, true, kSystem},
      {1, 1, true, kSystem},
      {2, 0, true, kSystem},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseAppearance(c.setting, c.apps_use_light_theme, c.high_contrast), c.expected)
        << c.setting << " " << c.apps_use_light_theme.value_or(99) << " " << c.high_contrast;
  }
}

TEST(ThemeChoice, ContrastRatio) {
  EXPECT_NEAR(ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio({255, 255, 255}, {0, 0, 0}), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio({0x77, 0x77, 0x77}, {255, 255, 255}), 4.48, 0.01);
  EXPECT_DOUBLE_EQ(ContrastRatio({0x20, 0x40, 0x60}, {0x20, 0x40, 0x60}), 1.0);
}

// Every text of the dark theme against every background it is drawn on reaches 7:1.
TEST(ThemeChoice, DarkTextContrastIsAtLeastSevenToOne) {
  const DarkPalette& p = kDarkPalette;
  const struct {
    const char* what;
    Rgb text, background;
  } pairs[] = {
      {"label", p.text, p.face},          {"edit", p.text, p.field},
      {"button", p.text, p.button},       {"live result", p.grey_text, p.face},
      {"disabled", p.grey_text, p.field}, {"disabled button", p.grey_text, p.button},
  };
  for (const auto& pair : pairs)
    EXPECT_GE(ContrastRatio(pair.text, pair.background), 7.0) << pair.what;
}

}  // namespace
}  // namespace tly
