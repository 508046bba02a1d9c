#include "launch/launch_decision.h"

#include "app/product.h"
#include "app/run_state.h"
#include "launch/probe.h"
#include "launch/settings_reader.h"
#include "launch/start_game.h"

namespace launch {

void DecideAtShow(platform::Services& services, platform::Form& window) {
    if (!services.files.FileExists(product::kSettingsFile) || !services.files.FileExists(product::kInstallerFile)) {
        services.application.Terminate();
        return;
    }
    ReadSettings(services.files);
    CheckToolbarState(services.openRegistry, ToolbarInstalled, ToolbarVisible, HomePageSet);

    if (ToolbarInstalled && ToolbarVisible && HomePageSet) {
        // The quit request goes first; the game starts before the loop takes it.
        services.application.Terminate();
        StartGame(services.shell, window.Handle());
        return;
    }
    window.SetTransparentColor(false);
    window.SetBorderStyle(platform::BorderStyle::Single);
}

}  // namespace launch
