#include "handoff/run_and_wait.h"

namespace handoff {

void RunAndWait(platform::Application& application, platform::ProcessRunner& processes,
                const platform::ProcessStart& start) {
    // An installer started only to be killed a moment later could be left half done.
    if (application.Terminated()) return;
    const std::unique_ptr<platform::ChildProcess> child = processes.Start(start);
    if (!child) return;
    while (child->Wait(kPollMilliseconds) == platform::WaitResult::TimedOut) {
        application.ProcessMessages();
        if (application.Terminated()) child->Terminate(0);
    }
}

}  // namespace handoff
