#pragma once
#include "platform/application.h"
#include "platform/process.h"

namespace handoff {

// Runs a child process and returns once it has ended, serving the message queue every 100 ms
// meanwhile. Once the application has been asked to end, the child is killed at every pass until a
// wait reports its end, and no child is started at all. A child that cannot be created, or a wait
// that fails, returns at once. The child's handles are released before returning.
void RunAndWait(platform::Application& application, platform::ProcessRunner& processes,
                const platform::ProcessStart& start);

inline constexpr std::uint32_t kPollMilliseconds = 100;

}  // namespace handoff
