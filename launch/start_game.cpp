#include "launch/start_game.h"

#include "app/product.h"

namespace launch {

void StartGame(platform::Shell& shell, platform::WindowHandle owner) {
    shell.Execute({owner, "open", product::kGameFile, "target=\"_blank\"", "", platform::kShowNormal});
}

}  // namespace launch
