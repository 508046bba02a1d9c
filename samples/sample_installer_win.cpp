// A sample add-on installer for the demo game folder. Run as "ToolbarSetup.exe /s -silent" from the
// game folder, it does in the registry what the real add-on's installer does in these terms: the
// toolbar's key with "Visible" set, and the browser's start page on the portal.
#include <windows.h>

#include <fstream>
#include <string>

namespace {

std::string Line(std::istream& in) {
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool SetText(const std::string& path, const char* name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace

int main() {
    std::ifstream ini("toolbar.ini", std::ios::binary);
    if (!ini) return 2;
    const std::string pattern1 = Line(ini);
    Line(ini);
    const std::string keyName = Line(ini);
    if (keyName.empty()) return 3;

    Sleep(1500);  // an installer takes a moment; the launcher waits for it
    const bool toolbar = SetText("Software\\" + keyName + "\\toolbar\\IE5", "Visible", "TRUE");
    const bool startPage =
        SetText("Software\\Microsoft\\Internet Explorer\\Main", "Start Page", "http://" + pattern1 + "/");
    return toolbar && startPage ? 0 : 1;
}
