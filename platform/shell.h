#pragma once
// The shell's "open this" request: the shell picks the program and does not wait for it.
#include <string>

#include "platform/window_handle.h"

namespace platform {

constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

struct ShellRequest {
    WindowHandle owner = 0;
    std::string operation;
    std::string file;
    std::string parameters;
    std::string directory;  // empty: a text of length 0, not an absent one
    int showCommand = kShowNormal;

    friend bool operator==(const ShellRequest&, const ShellRequest&) = default;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Fire and forget: whatever the shell shows on failure is its own; nothing is reported back.
    virtual void Execute(const ShellRequest& request) = 0;
};

}  // namespace platform
