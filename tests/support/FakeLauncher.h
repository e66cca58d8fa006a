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
    bool StartDetached(const std::string& program, const std::string& argument) override
    {
        started.emplace_back(program, argument);
        return true;
    }
    bool ShellOpen(const std::string& target) override
    {
        opened.push_back(target);
        return true;
    }

    std::string browser;
    std::vector<std::pair<std::string, std::string>> started;
    std::vector<std::string> opened;
};
