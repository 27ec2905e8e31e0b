// A panel of the main window: controls that show and hide as one and stack under the panel above
// them. Each control's place is written once, in twips, where the panel creates it; widening the
// window stretches or moves the controls from there.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "forms/form.h"

namespace tly {

class Panel {
 public:
  virtual ~Panel() = default;
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  // The designed height in twips, from the panel's top to its lowest control and what belongs
  // below it.
  double DesignHeight() const { return height_; }
  // Whether the window shows the panel now: the view field it follows, or always.
  bool Shown() const { return shown_ == nullptr || *shown_; }
  // Shows or hides the panel as Shown() says and puts its top at `top` (twips in the window's
  // client area); returns its bottom as laid out.
  virtual double Place(double top) = 0;
  // Widens the panel by `extra` twips beyond the designed width.
  void Widen(double extra);

 protected:
  // How a control follows the window's right edge.
  enum class Edge { kStays, kWidens, kMovesRight };

  // `shown` is the view field the panel follows, or nullptr for a panel always shown.
  Panel(double height, const bool* shown) : height_(height), shown_(shown) {}

  // Creates control C at `r` in `in`, remembering how it follows the right edge.
  template <class C, class... Args>
  std::unique_ptr<C> Add(Edge edge, forms::Container& in, const forms::TwipRect& r,
                         Args&&... args) {
    auto control = std::make_unique<C>(in, r, std::forward<Args>(args)...);
    if (edge != Edge::kStays) anchors_.push_back({control.get(), r.left, r.width, edge});
    return control;
  }
  // Place() of a panel in group box `frame`.
  double PlaceFrame(forms::Frame& frame, double top) const;

 private:
  struct Anchor {
    forms::Control* control;
    double left, width;
    Edge edge;
  };
  double height_;
  const bool* shown_;
  std::vector<Anchor> anchors_;
};

}  // namespace tly
