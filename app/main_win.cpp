// The launcher's entry: one window, one message loop, exit status 0 on every path.
#include <windows.h>

#include "app/product.h"
#include "app/run_state.h"
#include "offer_window/Unit1.h"
#include "platform/win32/application_win.h"
#include "platform/win32/system_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::win32::WinApplication Application;
    platform::win32::FileSystemWin files;
    platform::win32::ShellWin shell;
    platform::win32::ProcessRunnerWin processes;
    platform::Services services{Application, files, shell, processes, &platform::win32::OpenCurrentUserRegistry,
                                &platform::win32::LoadPictureResource};

    Application.Initialize();
    Application.SetTitle(product::kPortalHost);
    Application.CreateForm(Form1, services);
    Application.Run();
    return 0;
}
