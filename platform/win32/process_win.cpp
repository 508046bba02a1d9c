#include <windows.h>

#include <vector>

#include "platform/win32/system_win.h"
#include "platform/win32/unique_handle_win.h"

namespace platform::win32 {
namespace {

class ChildProcessWin final : public ChildProcess {
public:
    ChildProcessWin(HANDLE process, HANDLE thread) : process_(process), thread_(thread) {}

    WaitResult Wait(std::uint32_t milliseconds) override {
        switch (WaitForSingleObject(process_.Get(), milliseconds)) {
            case WAIT_TIMEOUT: return WaitResult::TimedOut;
            case WAIT_OBJECT_0: return WaitResult::Ended;
            default: return WaitResult::Failed;
        }
    }

    bool Terminate(std::uint32_t exitCode) override { return TerminateProcess(process_.Get(), exitCode) != 0; }

private:
    UniqueKernelHandle process_;
    UniqueKernelHandle thread_;
};

}  // namespace

std::unique_ptr<ChildProcess> ProcessRunnerWin::Start(const ProcessStart& start) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION created{};
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> commandLine(start.commandLine.begin(), start.commandLine.end());
    commandLine.push_back('\0');
    const char* application = start.applicationName.empty() ? nullptr : start.applicationName.c_str();
    if (!CreateProcessA(application, commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &created))
        return nullptr;
    return std::make_unique<ChildProcessWin>(created.hProcess, created.hThread);
}

#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(STARTUPINFOA) == 68);
#endif

}  // namespace platform::win32
