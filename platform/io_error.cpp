#include "platform/io_error.h"

namespace platform {

InOutError::InOutError(std::uint32_t systemCode) : std::runtime_error(IoErrorMessage(systemCode)), code_(systemCode) {}

std::string IoErrorMessage(std::uint32_t systemCode) {
    switch (systemCode) {
        case 2: return "File not found";
        case 3: return "Invalid filename";
        case 4: return "Too many open files";
        case 5: return "File access denied";
        case 100: return "Read beyond end of file";
        case 101: return "Disk full";
        case 106: return "Invalid numeric input";
        default: return "I/O error " + std::to_string(systemCode);
    }
}

std::string ExceptionBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

}  // namespace platform
