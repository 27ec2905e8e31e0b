// What the main window shows: which panels, the live result, and whether it stays on top. The
// View menu's check marks reflect it.
#pragma once

namespace tly {

struct ViewState {
  bool conversion = false;  // the conversion panel
  bool variables = false;   // the variables panel
  bool results = false;     // the results panel
  bool preview = true;      // the live result
  bool top_most = false;    // always on top of other windows
  int theme = 0;            // ThemeSetting: follow Windows, light, dark
};

}  // namespace tly
