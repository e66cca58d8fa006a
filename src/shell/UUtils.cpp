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
