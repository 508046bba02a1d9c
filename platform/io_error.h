#pragma once
// The I/O failure a file operation raises, carrying the system error code of the failing call, and
// the texts the application shows for it.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

class InOutError : public std::runtime_error {
public:
    explicit InOutError(std::uint32_t systemCode);
    [[nodiscard]] std::uint32_t Code() const { return code_; }

private:
    std::uint32_t code_;
};

// "File not found", "File access denied", ..., "I/O error 32".
[[nodiscard]] std::string IoErrorMessage(std::uint32_t systemCode);

// The text of the box that reports an exception: the message, with a full stop added when its last
// character sorts after '.' (so "...found" gets one, "...found." or "...?" do not).
[[nodiscard]] std::string ExceptionBoxText(const std::string& message);

}  // namespace platform
