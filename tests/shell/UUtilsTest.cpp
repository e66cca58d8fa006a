#include "shell/UUtils.h"

#include "branding/BrandingFileKey.h"
#include "container/AesLib.h"
#include "container/FileStreams.h"
#include "support/FakeLauncher.h"
#include "support/TempDir.h"

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

// Every branding file in the field was made with this password and chunk size. The literals
// stand apart from the program's constant, which the other tests share: a slip in the
// constant would pass them all, and lock every reseller out.
TEST(BrandingFileKey, IsTheOneExistingBrandingFilesWereMadeWith)
{
    EXPECT_STREQ(kBrandingFilePassword, "wepdorukiv");
    EXPECT_EQ(kBrandingFileBufferSize, 262144u);

    TempDir folder;
    const std::string plain = "ApplicationName=Counter\r\nBranderType=1\r\n";
    WriteWholeFile(folder.File("plain"), plain);
    {
        FileReadStream source(folder.File("plain"));
        FileWriteStream destination(folder.File("theirs.dat"));
        TEncryption reseller("wepdorukiv", 262144);
        ASSERT_TRUE(reseller.Encrypt(source, destination));
    }
    DecryptFile(folder.File("theirs.dat"), folder.File("read"));
    EXPECT_EQ(ReadWholeFile(folder.File("read")), plain);

    EncryptFile(folder.File("plain"), folder.File("ours.dat"));
    FileReadStream source(folder.File("ours.dat"));
    FileWriteStream destination(folder.File("opened"));
    TEncryption reseller("wepdorukiv", 262144);
    EXPECT_TRUE(reseller.Decrypt(source, &destination, source.Size()));
    destination.Close();
    EXPECT_EQ(ReadWholeFile(folder.File("opened")), plain);
}
