#pragma once

#include "platform/Launcher.h"

#include <string>
#include <utility>
#include <vector>

// Records what would have been started instead of starting it.
class FakeLauncher final : public platform::Launcher {
public:
    explicit FakeLauncher(std::string browser = "/usr/bin/browser")
        : browser(std::move(browser))
    { }
    std::string FindBrowser() override { return browser; }
    bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override
    {
        // The browser gets one argument; anything else is recorded whole in `startedWith`.
        started.emplace_back(program, arguments.empty() ? std::string() : arguments.front());
        startedWith.emplace_back(program, arguments);
        return true;
    }
    bool ShellOpen(const std::string& target) override
    {
        opened.push_back(target);
        return true;
    }

    std::string browser;
    std::vector<std::pair<std::string, std::string>> started;
    std::vector<std::pair<std::string, std::vector<std::string>>> startedWith;
    std::vector<std::string> opened;
};
