#include "shell/UUtils.h"
#include "support/FakeLauncher.h"

#include <gtest/gtest.h>

TEST(OpenUrl, StartsTheBrowserWithTheAddressAsItsOnlyArgument)
{
    FakeLauncher launcher;
    EXPECT_TRUE(OpenUrl("http://site/help", launcher));
    EXPECT_TRUE(OpenUrl("", launcher));
    const std::vector<std::pair<std::string, std::string>> expected{
        {"/usr/bin/browser", "http://site/help"}, {"/usr/bin/browser", ""}};
    EXPECT_EQ(launcher.started, expected);
}

TEST(OpenUrl, FalseAndNothingStartedWithoutABrowser)
{
    FakeLauncher launcher("");
    EXPECT_FALSE(OpenUrl("http://site/help", launcher));
    EXPECT_TRUE(launcher.started.empty());
}
