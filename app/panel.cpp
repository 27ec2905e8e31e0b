#include "panel.h"

namespace tly {
namespace {

constexpr double kPanelGap = 120;      // between the panels
constexpr double kBottomMargin = 210;  // below the last panel

}  // namespace

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

double PanelStack::FullHeight() const {
  double height = kBottomMargin - kPanelGap;
  for (const auto& p : panels_) height += p->DesignHeight() + kPanelGap;
  return height;
}

int PanelStack::Place(const forms::DpiScale& at) {
  const int gap = at.Pixels(kPanelGap);
  int client = at.Pixels(FullHeight());
  double top = 0;
  for (const auto& p : panels_) {
    const double bottom = p->Place(top);
    if (p->Shown())
      top = bottom + kPanelGap;
    else
      client -= at.Pixels(p->DesignHeight()) + gap;
  }
  return client;
}

void PanelStack::Widen(double extra) {
  for (const auto& p : panels_) p->Widen(extra);
}

}  // namespace tly
