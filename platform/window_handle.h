#pragma once
#include <cstdint>

namespace platform {
// A window handle crossing into logic code: opaque, compared and passed on, never dereferenced.
using WindowHandle = std::uintptr_t;
}  // namespace platform
