#pragma once
// The Win32 side of files, registry, shell and processes.
#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace platform::win32 {

class FileSystemWin final : public FileSystem {
public:
    bool FileExists(const std::string& name) override;
    std::unique_ptr<ByteSource> OpenForReading(const std::string& name) override;
};

class ShellWin final : public Shell {
public:
    void Execute(const ShellRequest& request) override;
};

class ProcessRunnerWin final : public ProcessRunner {
public:
    std::unique_ptr<ChildProcess> Start(const ProcessStart& start) override;
};

// A new accessor on HKEY_CURRENT_USER with no key open.
[[nodiscard]] std::unique_ptr<RegistryAccessor> OpenCurrentUserRegistry();

}  // namespace platform::win32
