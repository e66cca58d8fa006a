#include "news/UpdateCheck.h"
#include "news/NewsFixture.h"

#include <QTest>
#include <QToolButton>

#include <filesystem>

namespace {

const char* kUpdateFile = "[APPLICATION]\r\nName=Counter Pro\r\nVersion=2.05\r\n";

std::string Question(const std::string& version)
{
    return "There is a new update: (version " + version
        + ") available for your application!. Do you want download this update now?";
}

const Message kFirstQuestion{Question("2.05"), MessageKind::Information, MessageButtons::OkCancel};
const Message kSecondQuestion{
    "To update your software the application will close to\n\rreplace some files. Do you want to update now?",
    MessageKind::Information, MessageButtons::OkCancel};
const Message kNoUpdate{kNoUpdateText, MessageKind::Information, MessageButtons::Ok};
const Message kUpdaterMissing{kUpdaterMissingText, MessageKind::Warning, MessageButtons::Ok};

class UpdateCheck : public BrandedWindow {
protected:
    void PutUpdater() { WriteWholeFile(folder.File("Updater.exe"), "#!/bin/sh\n"); }
};

// Every byte of the literal, NUL bytes included.
template <std::size_t size> std::string Bytes(const char (&text)[size])
{
    return std::string(text, size - 1);
}

struct PublishedCase {
    const char* name;
    std::string fileText;
    std::string versionShown; // empty: no update
};

void PrintTo(const PublishedCase& value, std::ostream* out)
{
    *out << Shown(value.fileText);
}

class PublishedFile : public BrandedWindow, public testing::WithParamInterface<PublishedCase> { };

} // namespace

TEST_P(PublishedFile, AsksOnlyAboutAHigherVersionAndShowsItAsWritten)
{
    PublishVersion(GetParam().fileText);
    answers = {false};
    auto window = Open();
    window->bsSkinSpeedButton1->click();

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/liveupdate/tallywick/mainappupdate.inf");
    EXPECT_EQ(ReadWholeFile(folder.File("mainappupdate.inf")), GetParam().fileText);
    if (GetParam().versionShown.empty())
        EXPECT_EQ(messages, std::vector<Message>{kNoUpdate});
    else
        EXPECT_EQ(messages,
            (std::vector<Message>{
                {Question(GetParam().versionShown), MessageKind::Information, MessageButtons::OkCancel}}));
}

INSTANTIATE_TEST_SUITE_P(Versions, PublishedFile,
    testing::Values(PublishedCase{"Same", "[APPLICATION]\r\nVersion=2.01\r\n", ""},
        PublishedCase{"PointOne", "[APPLICATION]\r\nVersion=2.1\r\n", "2.1"},
        PublishedCase{"PointZeroTwo", "[APPLICATION]\nVersion=2.02\n", "2.02"},
        PublishedCase{"Ten", "[APPLICATION]\r\nName=x\r\nVersion=10\r\n", "10"},
        PublishedCase{"Older", "[APPLICATION]\r\nVersion=1.99\r\n", ""},
        PublishedCase{"Empty", "[APPLICATION]\r\nVersion=\r\n", ""},
        PublishedCase{"Absent", "[APPLICATION]\r\nName=Counter Pro\r\n", ""},
        PublishedCase{"DecimalComma", "[APPLICATION]\r\nVersion=2,05\r\n", ""},
        PublishedCase{"NoSection", "Version=9\r\n", ""},
        PublishedCase{"Blanks", "[application]\r\n version = 3.0 \r\n", "3.0"},
        PublishedCase{"LongVersion", "[APPLICATION]\r\nVersion=" + std::string(500, '7') + "\r\n", ""},
        PublishedCase{"Binary", Bytes("\0\xFF\x01[APPLICATION\0\r\n\x80Version=5"), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateCheck, ADownloadThatFailsIsNoUpdateAndLeavesNoFile)
{
    WriteWholeFile(folder.File("mainappupdate.inf"), "[APPLICATION]\r\nVersion=9\r\n");
    for (ServerAnswer failure : {ServerAnswer::Text(kUpdateFile, 404), ServerAnswer::Reset()}) {
        server.Answer("/liveupdate/tallywick/mainappupdate.inf", failure);
        auto window = Open();
        window->bsSkinSpeedButton1->click();
        window->CheckForUpdate(true);
        EXPECT_FALSE(std::filesystem::exists(folder.File("mainappupdate.inf")));
    }
    EXPECT_EQ(messages, (std::vector<Message>{kNoUpdate, kNoUpdate}));
}

TEST_F(UpdateCheck, AProgramDirectoryWithoutWriteAccessIsNoUpdate)
{
    PublishVersion(kUpdateFile);
    programDirectory = folder.File("not-there");
    UnexpectedErrorsSeen().clear();
    auto window = Open();
    window->bsSkinSpeedButton1->click();
    window->CheckForUpdate(true);
    EXPECT_EQ(messages, std::vector<Message>{kNoUpdate});
    EXPECT_TRUE(UnexpectedErrorsSeen().empty());
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(UpdateCheck, SilentShowsNothingWhenThereIsNoUpdateButStillAsks)
{
    PublishVersion("[APPLICATION]\r\nVersion=2.01\r\n");
    auto window = Open();
    window->CheckForUpdate(true);
    EXPECT_TRUE(messages.empty());
    PublishVersion(kUpdateFile);
    answers = {false};
    window->CheckForUpdate(true);
    EXPECT_EQ(messages, std::vector<Message>{kFirstQuestion});
}

TEST_F(UpdateCheck, CancelAtEitherQuestionOrAMissingUpdaterStartsNothing)
{
    PublishVersion(kUpdateFile);
    auto window = Open();
    window->show();

    answers = {false};
    window->CheckForUpdate(false);
    EXPECT_EQ(messages, std::vector<Message>{kFirstQuestion});

    messages.clear();
    window->CheckForUpdate(false);
    EXPECT_EQ(messages, (std::vector<Message>{kFirstQuestion, kUpdaterMissing}));

    PutUpdater();
    messages.clear();
    answers = {true, false};
    window->CheckForUpdate(false);
    EXPECT_EQ(messages, (std::vector<Message>{kFirstQuestion, kSecondQuestion}));

    EXPECT_TRUE(launcher.startedWith.empty());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(UpdateCheck, AcceptingStartsTheUpdaterWithThreeArgumentsAndCloses)
{
    PublishVersion(kUpdateFile);
    PutUpdater();
    auto window = Open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->bsSkinSpeedButton1->click();

    EXPECT_EQ(messages, (std::vector<Message>{kFirstQuestion, kSecondQuestion}));
    ASSERT_EQ(launcher.startedWith.size(), 1u);
    EXPECT_EQ(launcher.startedWith[0].first, folder.File("Updater.exe"));
    EXPECT_EQ(launcher.startedWith[0].second, (std::vector<std::string>{UpdateBase(), "2.01", "A"}));
    EXPECT_FALSE(window->isVisible());
}

TEST_F(UpdateCheck, ATenMegabyteFileIsReadToTheEnd)
{
    const std::string published = std::string(10 << 20, 'x') + "\r\n[APPLICATION]\r\nVersion=2.5\r\n";
    PublishVersion(published);
    answers = {false};
    auto window = Open();
    window->bsSkinSpeedButton1->click();
    EXPECT_EQ(messages, (std::vector<Message>{{Question("2.5"), MessageKind::Information, MessageButtons::OkCancel}}));
    EXPECT_EQ(std::filesystem::file_size(folder.File("mainappupdate.inf")), published.size());
}
