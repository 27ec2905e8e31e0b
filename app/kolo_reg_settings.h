// The settings store of the running program: a Registry object of Kolo_Reg, set up for the
// program's own key.
#pragma once

#include <memory>

#include "settings.h"

namespace tly {

// A new Registry object with its company and program names set; nullptr when Kolo_Reg cannot
// be created (the library missing or not registered). COM must be initialised.
std::unique_ptr<SettingsStore> OpenKoloRegSettings();

}  // namespace tly
