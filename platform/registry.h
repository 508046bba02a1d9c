#pragma once
// Read access to the current user's registry hive, one open key at a time.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

namespace platform {

// Raised by ReadString for a value it cannot give as text.
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Registry value types, as the system numbers them.
enum class RegistryType : std::uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,
    Dword = 4,
    MultiString = 7,
    Qword = 11,
};

// Key paths are taken exactly as given (no trimming, no checks) relative to HKEY_CURRENT_USER.
// Destroying the accessor closes the open key, if any. Nothing here ever writes.
class RegistryAccessor {
public:
    virtual ~RegistryAccessor() = default;
    // True when the key can be opened for reading; the handle is closed at once.
    [[nodiscard]] virtual bool KeyExists(const std::string& path) = 0;
    // Opens an existing key for reading (never creating it); it becomes the open key.
    // On failure returns false and leaves the open key as it was.
    [[nodiscard]] virtual bool OpenKey(const std::string& path) = 0;
    // A value of the open key as text (see DecodeStringValue); throws RegistryError.
    [[nodiscard]] virtual std::string ReadString(const std::string& valueName) = 0;
    virtual void CloseKey() = 0;
};

using RegistryFactory = std::function<std::unique_ptr<RegistryAccessor>()>;

// The text a value gives: no data gives the empty text, whatever its type; REG_SZ and REG_EXPAND_SZ
// give their bytes up to the first NUL, unexpanded; any other type holding data raises
// RegistryError "Invalid data type for '<name>'".
[[nodiscard]] std::string DecodeStringValue(const std::string& valueName, RegistryType type,
                                            std::span<const char> data);

[[nodiscard]] std::string FailedToGetDataMessage(const std::string& valueName);

}  // namespace platform
