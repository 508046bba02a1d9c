#pragma once
#include "platform/registry.h"

namespace launch {

// Finds out from the current user's registry whether the toolbar is installed, whether it is
// visible, and whether the browser's start page holds StartPagePattern1 or StartPagePattern2, reading
// the settings itself. Only reads. Every failure inside is absorbed: the flags written before it
// keep their values, the others are left as they were, and the result is false. Only a failure to
// create the registry accessor passes to the caller.
bool CheckToolbarState(const platform::RegistryFactory& openRegistry, bool& installed, bool& visible,
                       bool& homePageSet);

// True when pattern is not empty and occurs in text as a run of identical bytes.
[[nodiscard]] bool PatternOccurs(const std::string& pattern, const std::string& text);

}  // namespace launch
