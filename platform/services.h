#pragma once
// Everything the launcher's logic reaches the system through, handed to the form at creation.
#include <functional>
#include <string>

#include "platform/application.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace platform {

struct Services {
    Application& application;
    FileSystem& files;
    Shell& shell;
    ProcessRunner& processes;
    RegistryFactory openRegistry;
    // The picture stored under a name in the program's resources.
    std::function<Picture(const std::string& name)> loadPicture;
};

}  // namespace platform
