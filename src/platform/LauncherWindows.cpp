// Windows backend: the browser registered for http, and ShellExecuteA.
#include "platform/BrowserCommand.h"
#include "platform/Launcher.h"

#include <windows.h>

namespace platform {
namespace {

std::string RegisteredHttpCommand()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "\\http\\shell\\open\\command", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    char value[2048] = {};
    DWORD size = sizeof(value) - 1;
    DWORD type = 0;
    const LONG result = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return std::string(value);
}

class WindowsLauncher final : public Launcher {
public:
    std::string FindBrowser() override { return BrowserPathFromRegisteredCommand(RegisteredHttpCommand()); }
    bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override
    {
        std::string parameters;
        for (std::size_t i = 0; i < arguments.size(); ++i)
            parameters += (i == 0 ? "" : " ") + arguments[i];
        ShellExecuteA(nullptr, "open", program.c_str(), parameters.c_str(), nullptr, SW_SHOW);
        return true;
    }
    bool ShellOpen(const std::string& target) override
    {
        ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    }
};

} // namespace

Launcher& SystemLauncher()
{
    static WindowsLauncher launcher;
    return launcher;
}

} // namespace platform
