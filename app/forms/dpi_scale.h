// Twips and pixels at a DPI.
#pragma once

#include <cmath>

namespace tly::forms {

// Twips (1440 an inch) and pixels at one DPI, the same across and down for every display Windows
// supports. Each form owns its DPI and hands it to what lays out its windows.
class DpiScale {
 public:
  explicit DpiScale(int dpi) : dpi_(dpi) {}
  int dpi() const { return dpi_; }
  double TwipsPerPixel() const { return 1440.0 / dpi_; }
  int Pixels(double twips) const { return static_cast<int>(std::lround(twips / TwipsPerPixel())); }
  double Twips(int pixels) const { return pixels * TwipsPerPixel(); }

 private:
  int dpi_;
};

}  // namespace tly::forms
