#pragma once
#include "platform/files.h"

namespace launch {

// Reads toolbar.ini lines 1 to 3 into StartPagePattern1, StartPagePattern2 and ToolbarKeyName, each
// as soon as it is read. Lines after the third are never read. Throws platform::InOutError when
// opening, reading or closing the file fails.
void ReadSettings(platform::FileSystem& files);

}  // namespace launch
