#include "handoff/play_handoff.h"

#include "app/product.h"
#include "app/run_state.h"
#include "handoff/run_and_wait.h"
#include "launch/start_game.h"

namespace handoff {

int InstallerRunsNeeded(bool installed, bool visible, bool homePageSet) {
    if (!installed) return 1;
    return (visible ? 0 : 1) + (homePageSet ? 0 : 1);
}

void PlayHandoff(platform::Services& services, platform::Form& window, platform::PaintedControl& playButton) {
    window.Hide();
    playButton.SetEnabled(false);
    services.application.ProcessMessages();

    // The file start-up checked, in the current directory; the command line stays the usual one.
    const platform::ProcessStart installer{product::kInstallerFile, product::kInstallerCommandLine};
    const int runs = InstallerRunsNeeded(ToolbarInstalled, ToolbarVisible, HomePageSet);
    for (int run = 0; run < runs; ++run) RunAndWait(services.application, services.processes, installer);

    launch::StartGame(services.shell, window.Handle());
    window.Close();
}

}  // namespace handoff
