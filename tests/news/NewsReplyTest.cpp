#include "news/NewsReply.h"
#include "news/NewsFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct ListCase {
    const char* name;
    std::string reply;
    std::vector<std::string> records;
};

void PrintTo(const ListCase& value, std::ostream* out)
{
    *out << Shown(value.reply);
}

class NewsListReply : public testing::TestWithParam<ListCase> { };

} // namespace

TEST_P(NewsListReply, KeepsTheRecordsInReplyOrder)
{
    std::vector<std::string> list{"kept"};
    ReadNewsListReply(GetParam().reply, list);
    std::vector<std::string> expected{"kept"};
    expected.insert(expected.end(), GetParam().records.begin(), GetParam().records.end());
    EXPECT_EQ(list, expected);
}

INSTANTIATE_TEST_SUITE_P(Replies, NewsListReply,
    testing::Values(ListCase{"OkAlone", "OK", {}}, ListCase{"EndMarkerAlone", "\xAFOK", {}},
        ListCase{"TwoRecords",
            "3^Spring sale^2024-03-01\xAF"
            "2^Welcome^2024-01-10\xAFOK",
            {"3^Spring sale^2024-03-01", "2^Welcome^2024-01-10"}},
        ListCase{"EmptyAndOkEntriesBetween",
            "\xAF"
            "1^A^x\xAF\xAFOK\xAF"
            "2^B^y\xAFOK\xAF",
            {"1^A^x", "2^B^y"}},
        ListCase{"OkInsideARecordIsKept", "7^OK computer^z\xAFOK", {"7^OK computer^z"}},
        ListCase{"NulBytesStayInTheRecord", "9^a\0b^c\xAFOK"s, {"9^a\0b^c"s}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NewsListReply, ReadsOneHundredThousandRecords)
{
    std::string reply;
    for (int i = 0; i < 100000; ++i)
        reply += std::to_string(i) + "^Title " + std::to_string(i) + "^today\xAF";
    reply += "OK";
    std::vector<std::string> list;
    ReadNewsListReply(reply, list);
    ASSERT_EQ(list.size(), 100000u);
    EXPECT_EQ(list.front(), "0^Title 0^today");
    EXPECT_EQ(list.back(), "99999^Title 99999^today");
}

namespace {

struct LatestCase {
    const char* name;
    std::string reply;
    std::string id;
    std::string title;
};

void PrintTo(const LatestCase& value, std::ostream* out)
{
    *out << Shown(value.reply);
}

class LatestNewsReply : public testing::TestWithParam<LatestCase> { };

} // namespace

TEST_P(LatestNewsReply, GivesTheIdAndTitle)
{
    const LatestNews latest = ReadLatestNewsReply(GetParam().reply);
    EXPECT_EQ(latest.id, GetParam().id);
    EXPECT_EQ(latest.title, GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(Replies, LatestNewsReply,
    testing::Values(LatestCase{"IdAndTitle", "42^New release\xAFOK", "42", "New release"},
        LatestCase{"OkAlone", "OK", "", ""}, LatestCase{"TooFewFields", "42\xAFOK", "42", ""},
        LatestCase{"FurtherFieldsIgnored", "42^Title^2024-05-01^more\xAFOK", "42", "Title"},
        LatestCase{"EveryEndMarkerRemoved",
            "4\xAFOK"
            "2^T\xAFOK",
            "42", "T"},
        LatestCase{"EmptyIdField", "^Only a title\xAFOK", "", "Only a title"},
        LatestCase{"IdNotANumber", "abc^Title\xAFOK", "abc", "Title"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NewsDetailsReply, DecodesTheEscapedHtmlAfterTheEndMarkerIsRemoved)
{
    EXPECT_EQ(ReadNewsDetailsReply("$3Ch1$3EHello$20world$3C/h1$3E\xAFOK"), "<h1>Hello world</h1>");
    EXPECT_EQ(ReadNewsDetailsReply("plain\xAFOK"), "plain");
    EXPECT_EQ(ReadNewsDetailsReply("$AF$4F$4B\xAFOK"), "\xAFOK");
}

TEST(NewsDetailsReply, ABadEscapeGivesTheEmptyPage)
{
    for (const char* reply : {"$3Ch1$3E$zz\xAFOK", "text$4G\xAFOK", "$\xAFOK"})
        EXPECT_EQ(ReadNewsDetailsReply(reply), "") << reply;
}

namespace {

struct ErrorCase {
    const char* name;
    std::string reply;
    const char* listMessage; // nullptr: none
    const char* detailsMessage;
};

void PrintTo(const ErrorCase& value, std::ostream* out)
{
    *out << Shown(value.reply);
}

class NewsErrorAnswer : public testing::TestWithParam<ErrorCase> { };

const char* kTrouble = "There is a trouble accessing the news site. Contact your provider.";
const char* kSettingsTrouble = "There is a trouble in the settings file on the news site.";
const char* kPublisherTrouble = "There is a trouble with the Publisher Id. Contact your provider.";
const char* kProductTrouble = "There is a trouble with the product validation. Contact your provider.";
const char* kNewsTrouble = "There is a trouble with this news. Contact your provider.";

std::string OrNone(const char* message)
{
    return message ? message : "(none)";
}

} // namespace

TEST_P(NewsErrorAnswer, GetsItsMessageFromEachFetch)
{
    EXPECT_FALSE(IsNewsSuccess(GetParam().reply));
    EXPECT_EQ(OrNone(NewsErrorMessage(GetParam().reply, NewsFetch::List)), OrNone(GetParam().listMessage));
    EXPECT_EQ(OrNone(NewsErrorMessage(GetParam().reply, NewsFetch::Details)), OrNone(GetParam().detailsMessage));
}

INSTANTIATE_TEST_SUITE_P(Answers, NewsErrorAnswer,
    testing::Values(ErrorCase{"Empty", "", kTrouble, kTrouble},
        ErrorCase{"ConnectionFail", "CONNECTIONFAIL", kSettingsTrouble, kSettingsTrouble},
        ErrorCase{"InvalidUser", "INVALIDUSER", kPublisherTrouble, kPublisherTrouble},
        ErrorCase{"InvalidProduct", "INVALIDPRODUCT", kProductTrouble, kProductTrouble},
        ErrorCase{"InvalidNews", "INVALIDNEWS", nullptr, kNewsTrouble},
        ErrorCase{"LowerCase", "invaliduser", nullptr, nullptr},
        ErrorCase{"WithMoreText", "INVALIDUSER pub-7", nullptr, nullptr},
        ErrorCase{"Other", "Internal error", nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NewsReply, IsASuccessWhenItHoldsOkAnywhere)
{
    for (const char* reply : {"OK", "\xAFOK", "NOT OK", "xOKx"})
        EXPECT_TRUE(IsNewsSuccess(reply)) << reply;
    for (const char* reply : {"ok", "Ok", "O K", ""})
        EXPECT_FALSE(IsNewsSuccess(reply)) << reply;
}
