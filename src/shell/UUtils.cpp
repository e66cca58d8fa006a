#include "shell/UUtils.h"

#include "platform/Launcher.h"

#include <string_view>

bool OpenUrl(const std::string& address, platform::Launcher& launcher)
{
    const std::string browser = launcher.FindBrowser();
    if (browser.empty())
        return false;
    // Whether the browser really starts is not known here; it was asked to.
    launcher.StartDetached(browser, {address});
    return true;
}

bool IsBrowserLink(const std::string& address)
{
    const std::size_t colon = address.find(':');
    if (colon == std::string::npos)
        return false;
    const std::string_view scheme = std::string_view(address).substr(0, colon + 1);
    for (const std::string_view allowed : {"http:", "https:", "mailto:"})
        if (scheme.size() == allowed.size() && FindIgnoringCase(scheme, allowed) == 0)
            return true;
    return false;
}
