// A panel of the main window: controls that show and hide as one and stack under the panel above
// them. Each control's place is written once, in twips, where the panel creates it; widening the
// window stretches or moves the controls from there.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "forms/dpi_scale.h"
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

// The main window's panels, top to bottom, with a gap between them and a margin below the last.
class PanelStack {
 public:
  // Creates panel P on `window` below the panels added before it.
  template <class P, class... Args>
  P* Add(forms::Form& window, Args&&... args) {
    auto panel = std::make_unique<P>(window, std::forward<Args>(args)...);
    P* created = panel.get();
    panels_.push_back(std::move(panel));
    return created;
  }
  bool Empty() const { return panels_.empty(); }
  // The client height with every panel shown, in twips.
  double FullHeight() const;
  // Shows the panels their view fields name, each below the shown panels above it; returns the
  // client height they take, in pixels at `at`, so that each panel takes away exactly what
  // showing it adds.
  int Place(const forms::DpiScale& at);
  // Widens every panel by `extra` twips beyond the designed width.
  void Widen(double extra);

 private:
  std::vector<std::unique_ptr<Panel>> panels_;
};

}  // namespace tly
