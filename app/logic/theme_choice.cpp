#include "theme_choice.h"

#include <algorithm>
#include <cmath>

namespace tly {
namespace {

double Linear(std::uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(Rgb c) {
  return 0.2126 * Linear(c.r) + 0.7152 * Linear(c.g) + 0.0722 * Linear(c.b);
}

}  // namespace

Appearance ChooseAppearance(int setting, std::optional<std::uint32_t> apps_use_light_theme,
                            bool high_contrast) {
  if (high_contrast) return Appearance::kSystemColors;
  switch (static_cast<ThemeSetting>(setting)) {
    case ThemeSetting::kLight: return Appearance::kLight;
    case ThemeSetting::kDark: return Appearance::kDark;
    default:
      return apps_use_light_theme && *apps_use_light_theme == 0 ? Appearance::kDark
                                                                : Appearance::kLight;
  }
}

double ContrastRatio(Rgb a, Rgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace tly
