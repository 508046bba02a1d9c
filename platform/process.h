#pragma once
// Child processes, as the installer hand-off needs them.
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

enum class WaitResult { Ended, TimedOut, Failed };

// A started child. Destroying it releases the process and thread handles; the child runs on.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;
    [[nodiscard]] virtual WaitResult Wait(std::uint32_t milliseconds) = 0;
    // Starts the child's end; returns false when the system refuses.
    virtual bool Terminate(std::uint32_t exitCode) = 0;
};

struct ProcessStart {
    std::string applicationName;  // the file to run; empty: the system searches the command line's first word
    std::string commandLine;
};

class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    // The child in a new console at normal priority, inheriting no handles and the launcher's
    // environment and current directory, asked to show its first window normally; nullptr when the
    // system cannot create it.
    [[nodiscard]] virtual std::unique_ptr<ChildProcess> Start(const ProcessStart& start) = 0;
};

}  // namespace platform
