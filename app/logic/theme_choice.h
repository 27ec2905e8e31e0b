// Which colours the windows draw with: light, dark, or the system's own under high contrast,
// and the dark palette. Portable, so that the choice and the palette's contrast are checked on
// every host.
#pragma once

#include <cstdint>
#include <optional>

namespace tly {

// The Theme setting: the View menu's three items, in their order.
enum class ThemeSetting : int { kFollowWindows = 0, kLight = 1, kDark = 2 };

enum class Appearance { kLight, kDark, kSystemColors };

// What the windows show for `setting` (a stored number; one out of range follows Windows),
// Windows' AppsUseLightTheme value (nothing when it is missing: light) and whether high
// contrast is on, which always wins: its colours are the user's.
Appearance ChooseAppearance(int setting, std::optional<std::uint32_t> apps_use_light_theme,
                            bool high_contrast);

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

// The contrast ratio of two colours as WCAG defines it: 1 (the same) to 21 (black on white).
double ContrastRatio(Rgb a, Rgb b);

// The dark theme's colours, each standing for the system colour it replaces.
struct DarkPalette {
  Rgb face;       // windows, panels, group boxes, labels (COLOR_BTNFACE)
  Rgb text;       // all text (COLOR_BTNTEXT, COLOR_WINDOWTEXT)
  Rgb field;      // edits, combo boxes, lists (COLOR_WINDOW)
  Rgb grey_text;  // the live result and disabled text (COLOR_GRAYTEXT)
  Rgb button;     // push buttons' face
  Rgb frame;      // push buttons' and fields' edges
  Rgb shadow;     // etched lines, dark half (COLOR_BTNSHADOW)
  Rgb highlight;  // etched lines, light half (COLOR_BTNHIGHLIGHT)
};

inline constexpr DarkPalette kDarkPalette{
    .face = {0x20, 0x20, 0x20},
    .text = {0xF2, 0xF2, 0xF2},
    .field = {0x19, 0x19, 0x19},
    .grey_text = {0xBE, 0xBE, 0xBE},
    .button = {0x2B, 0x2B, 0x2B},
    .frame = {0x6E, 0x6E, 0x6E},
    .shadow = {0x0C, 0x0C, 0x0C},
    .highlight = {0x45, 0x45, 0x45},
};

}  // namespace tly
