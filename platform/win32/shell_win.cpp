#include <windows.h>
#include <shellapi.h>

#include "platform/win32/system_win.h"

namespace platform::win32 {

void ShellWin::Execute(const ShellRequest& request) {
    // The result is the shell's business: it shows its own message when it has one.
    ShellExecuteA(reinterpret_cast<HWND>(request.owner), request.operation.c_str(), request.file.c_str(),
                  request.parameters.c_str(), request.directory.c_str(), request.showCommand);
}

}  // namespace platform::win32
