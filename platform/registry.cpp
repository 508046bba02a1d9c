#include "platform/registry.h"

#include <algorithm>

namespace platform {

std::string DecodeStringValue(const std::string& valueName, RegistryType type, std::span<const char> data) {
    if (data.empty()) return {};
    if (type != RegistryType::String && type != RegistryType::ExpandString)
        throw RegistryError("Invalid data type for '" + valueName + "'");
    return {data.begin(), std::find(data.begin(), data.end(), '\0')};
}

std::string FailedToGetDataMessage(const std::string& valueName) {
    return "Failed to get data for '" + valueName + "'";
}

}  // namespace platform
