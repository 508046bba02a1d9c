#pragma once
#include "platform/form.h"
#include "platform/services.h"

namespace launch {

// What the launcher does as its window is about to be shown for the first time: end at once when a
// companion file is missing; otherwise read toolbar.ini, probe the registry and either start the
// game and end (the toolbar is installed, visible and the home page set) or switch the window to
// its offer look. Throws platform::InOutError when toolbar.ini cannot be read.
void DecideAtShow(platform::Services& services, platform::Form& window);

}  // namespace launch
