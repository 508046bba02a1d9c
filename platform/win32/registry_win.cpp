#include <windows.h>

#include <vector>

#include "platform/win32/system_win.h"
#include "platform/win32/unique_handle_win.h"

namespace platform::win32 {
namespace {

// Read rights without change notification: enough to look at a key and read its values, and all a
// user may have on a key that others installed.
constexpr REGSAM kReadRights = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

class CurrentUserRegistry final : public RegistryAccessor {
public:
    bool KeyExists(const std::string& path) override {
        UniqueHkey key;
        return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, kReadRights, key.Put()) == ERROR_SUCCESS;
    }

    bool OpenKey(const std::string& path) override {
        UniqueHkey key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, kReadRights, key.Put()) != ERROR_SUCCESS) return false;
        open_ = std::move(key);
        return true;
    }

    std::string ReadString(const std::string& valueName) override {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (RegQueryValueExA(open_.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return {};  // no such value
        std::vector<char> data(size);
        if (size > 0) {
            if (RegQueryValueExA(open_.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                 &size) != ERROR_SUCCESS)
                throw RegistryError(FailedToGetDataMessage(valueName));
            data.resize(size);
        }
        return DecodeStringValue(valueName, static_cast<RegistryType>(type), data);
    }

    void CloseKey() override { open_.Reset(); }

private:
    UniqueHkey open_;
};

}  // namespace

std::unique_ptr<RegistryAccessor> OpenCurrentUserRegistry() { return std::make_unique<CurrentUserRegistry>(); }

}  // namespace platform::win32
