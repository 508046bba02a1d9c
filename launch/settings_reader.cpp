#include "launch/settings_reader.h"

#include "app/product.h"
#include "app/run_state.h"
#include "platform/text_file.h"

namespace launch {

void ReadSettings(platform::FileSystem& files) {
    platform::TextFileReader file(files.OpenForReading(product::kSettingsFile));
    StartPagePattern1 = file.ReadLine();
    StartPagePattern2 = file.ReadLine();
    ToolbarKeyName = file.ReadLine();
    file.Close();
}

}  // namespace launch
