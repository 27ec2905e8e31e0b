#include "panel.h"

namespace tly {

void Panel::Widen(double extra) {
  for (const Anchor& a : anchors_) {
    forms::TwipRect r = a.control->DesignBounds();
    const bool widens = a.edge == Edge::kWidens;
    r.left = widens ? a.left : a.left + extra;
    r.width = widens ? a.width + extra : a.width;
    a.control->Move(r);
  }
}

double Panel::PlaceFrame(forms::Frame& frame, double top) const {
  frame.SetVisible(Shown());
  frame.SetTop(top);
  // As laid out in pixels, so that the panel below starts exactly where this one ends.
  return frame.Top() + frame.Height();
}

}  // namespace tly
