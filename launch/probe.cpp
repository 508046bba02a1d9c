#include "launch/probe.h"

#include "app/run_state.h"

namespace launch {
namespace {

constexpr char kStartPageKey[] = "Software\\Microsoft\\Internet Explorer\\Main";

// The toolbar stage for one key: marks it installed, then reads "Visible" when the key opens.
void ReadToolbarKey(platform::RegistryAccessor& registry, const std::string& path, bool& installed, bool& visible) {
    installed = true;
    if (!registry.OpenKey(path)) return;
    visible = registry.ReadString("Visible") != "FALSE";
    registry.CloseKey();
}

}  // namespace

bool PatternOccurs(const std::string& pattern, const std::string& text) {
    return !pattern.empty() && text.find(pattern) != std::string::npos;
}

bool CheckToolbarState(const platform::RegistryFactory& openRegistry, bool& installed, bool& visible,
                       bool& homePageSet) {
    const std::unique_ptr<platform::RegistryAccessor> registry = openRegistry();
    try {
        const std::string firstPath = "Software\\" + ToolbarKeyName + "\\toolbar\\IE5";
        const std::string secondPath = "Software\\AppDataLow\\Software\\" + ToolbarKeyName + "\\toolbar\\IE5";
        if (registry->KeyExists(firstPath)) {
            ReadToolbarKey(*registry, firstPath, installed, visible);
        } else if (registry->KeyExists(secondPath)) {
            ReadToolbarKey(*registry, secondPath, installed, visible);
        } else {
            installed = false;
            visible = false;
        }

        if (registry->KeyExists(kStartPageKey)) {
            std::string startPage;
            if (registry->OpenKey(kStartPageKey)) {
                startPage = registry->ReadString("Start Page");
                registry->CloseKey();
            }
            homePageSet = PatternOccurs(StartPagePattern1, startPage) || PatternOccurs(StartPagePattern2, startPage);
        } else {
            homePageSet = false;
        }
        return true;
    } catch (...) {
        // Whatever went wrong, the flags written so far stand and the caller goes on.
        return false;
    }
}

}  // namespace launch
