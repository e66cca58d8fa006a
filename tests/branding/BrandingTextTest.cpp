#include "container/ContainerTestSupport.h"

#include "branding/BrandingFile.h"
#include "branding/BrandingFileKey.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace {

std::string Tag(const std::string& key, const std::string& value)
{
    return "<%%" + key + "%%>" + value + "<%%/" + key + "%%>";
}

TEST(ExtractTagValue, MovesTheRemainingTextAsTheCallerSeesIt)
{
    struct Case {
        const char* name;
        std::string remaining;
        std::string opening, closing;
        std::size_t skip;
        std::string value;
        std::string left;
    };
    const Case cases[] = {
        {"found", "ab<%%K%%>val<%%/K%%>cd", "<%%K%%>", "<%%/K%%>", 0, "val", "<%%/K%%>cd"},
        {"case ignored", "<%%k%%>Val<%%/K%%>", "<%%K%%>", "<%%/K%%>", 0, "Val", "<%%/K%%>"},
        {"no opening tag", "nothing here", "<%%K%%>", "<%%/K%%>", 0, "", "nothing here"},
        {"no closing tag", "x<%%K%%>rest", "<%%K%%>", "<%%/K%%>", 0, "", "rest"},
        {"empty value", "<%%K%%><%%/K%%>z", "<%%K%%>", "<%%/K%%>", 0, "", "<%%/K%%>z"},
        {"first of two", "<%%K%%>1<%%/K%%><%%K%%>2<%%/K%%>", "<%%K%%>", "<%%/K%%>", 0, "1", "<%%/K%%><%%K%%>2<%%/K%%>"},
        {"skip count", "<%%K%%>__val<%%/K%%>xy", "<%%K%%>", "<%%/K%%>", 2, "val", "%/K%%>xy"},
        {"skip past the end", "<%%K%%>v", "<%%K%%>", "<%%/K%%>", 50, "", ""},
        {"only ASCII letters fold", "<%%\xe9%%>v<%%/\xe9%%>", "<%%\xc9%%>", "<%%/\xc9%%>", 0, "",
            "<%%\xe9%%>v<%%/\xe9%%>"},
        {"line breaks kept", "<%%K%%> a\r\n b <%%/K%%>", "<%%K%%>", "<%%/K%%>", 0, " a\r\n b ", "<%%/K%%>"},
    };
    for (const Case& c : cases) {
        std::string remaining = c.remaining;
        EXPECT_EQ(ExtractTagValue(remaining, c.opening, c.closing, c.skip), c.value) << c.name;
        EXPECT_EQ(remaining, c.left) << c.name;
    }
}

TEST(BrandingLines, EndsEveryLineWithCrLfAndStopsAtNul)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\nb\rc\r\nd\r\n", "a\r\nb\r\nc\r\nd\r\n"},
        {"a\n\nb", "a\r\n\r\nb\r\n"},
        {std::string("ab\0cd\r\n", 7), "ab\r\n"},
        {std::string("\0ab", 3), ""},
    };
    for (const auto& [plain, lines] : cases)
        EXPECT_EQ(BrandingLines(plain), lines) << testing::PrintToString(plain);
}

struct TextCase {
    const char* name;
    std::string text;
    BrandingInfo expected;
    std::vector<std::string> welcomes, banners, links;
};

void PrintTo(const TextCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReadBrandingTextCases : public testing::TestWithParam<TextCase> { };

TEST_P(ReadBrandingTextCases, GivesTheValuesTheProgramUses)
{
    const TextCase& c = GetParam();
    const BrandingText read = ReadBrandingText(BrandingLines(c.text));
    const BrandingInfo& got = read.BrandingInfo;
    const BrandingInfo& want = c.expected;
    EXPECT_EQ(got.ApplicationName, want.ApplicationName);
    EXPECT_EQ(got.BranderCode, want.BranderCode);
    EXPECT_EQ(got.BranderType, want.BranderType);
    EXPECT_EQ(got.AffiliateURL, want.AffiliateURL);
    EXPECT_EQ(got.AffiliateTYPE, want.AffiliateTYPE);
    EXPECT_EQ(got.AffiliateID, want.AffiliateID);
    EXPECT_EQ(got.MasterNewsBaseURL, want.MasterNewsBaseURL);
    EXPECT_EQ(got.PlatinumNewsBaseURL, want.PlatinumNewsBaseURL);
    EXPECT_EQ(got.GoldNewsBaseURL, want.GoldNewsBaseURL);
    EXPECT_EQ(got.MasterPublID, want.MasterPublID);
    EXPECT_EQ(got.PlatinumPublID, want.PlatinumPublID);
    EXPECT_EQ(got.GoldPublID, want.GoldPublID);
    EXPECT_EQ(got.MakeMoneyButton, want.MakeMoneyButton);
    EXPECT_EQ(got.AppHelpURL, want.AppHelpURL);
    EXPECT_EQ(got.CopyrightYears, want.CopyrightYears);
    EXPECT_EQ(got.CopyrightCompany, want.CopyrightCompany);
    EXPECT_EQ(got.AboutText, want.AboutText);
    EXPECT_EQ(read.welcomePages, c.welcomes);
    EXPECT_EQ(read.banners, c.banners);
    EXPECT_EQ(read.links, c.links);
}

BrandingInfo Info(std::initializer_list<std::pair<std::string BrandingInfo::*, std::string>> values)
{
    BrandingInfo info;
    for (const auto& [member, value] : values)
        info.*member = value;
    return info;
}

std::string Numbered(const std::string& key, std::initializer_list<int> numbers)
{
    std::string text;
    for (const int n : numbers)
        text += Tag(key + std::to_string(n), key + " " + std::to_string(n)) + "\n";
    return text;
}

std::vector<std::string> Values(const std::string& key, std::initializer_list<int> numbers)
{
    std::vector<std::string> values;
    for (const int n : numbers)
        values.push_back(key + " " + std::to_string(n));
    return values;
}

INSTANTIATE_TEST_SUITE_P(TagTexts, ReadBrandingTextCases,
    testing::Values(
        TextCase{"every key in order",
            Tag("ApplicationName", "Counter Pro") + Tag("BranderCode", "CP1") + "\n" + Tag("BranderType", "Gold")
                + Tag("AffiliateURL", "http://a.example/?id=%%AFFILIATEID%%&x=%%AFFILIATEID%%")
                + Tag("AffiliateTYPE", "cpc") + Tag("AffiliateID", "77") + Tag("MasterNewsBaseURL", "http://m")
                + Tag("PlatinumNewsBaseURL", "http://p") + Tag("GoldNewsBaseURL", "http://g") + Tag("MasterPublID", "1")
                + Tag("PlatinumPublID", "2") + Tag("GoldPublID", "3") + Tag("MakeMoneyButton", "Earn")
                + Tag("AppHelpURL", "http://help") + Tag("CopyrightYears", "2001-2009")
                + Tag("CopyrightCompany", "Reseller Ltd") + Tag("AboutText", "one\ntwo\r\nthree") + "\n"
                + Numbered("Welcome", {1, 2}) + Numbered("Banner", {1}) + Numbered("Link", {1, 2, 3}),
            Info({{&BrandingInfo::ApplicationName, "Counter Pro"}, {&BrandingInfo::BranderCode, "CP1"},
                {&BrandingInfo::BranderType, "Gold"}, {&BrandingInfo::AffiliateURL, "http://a.example/?id=77&x=77"},
                {&BrandingInfo::AffiliateTYPE, "cpc"}, {&BrandingInfo::AffiliateID, "77"},
                {&BrandingInfo::MasterNewsBaseURL, "http://m"}, {&BrandingInfo::PlatinumNewsBaseURL, "http://p"},
                {&BrandingInfo::GoldNewsBaseURL, "http://g"}, {&BrandingInfo::MasterPublID, "1"},
                {&BrandingInfo::PlatinumPublID, "2"}, {&BrandingInfo::GoldPublID, "3"},
                {&BrandingInfo::MakeMoneyButton, "Earn"}, {&BrandingInfo::AppHelpURL, "http://help"},
                {&BrandingInfo::CopyrightYears, "2001-2009"}, {&BrandingInfo::CopyrightCompany, "Reseller Ltd"},
                {&BrandingInfo::AboutText, "one\r\ntwo\r\nthree"}}),
            Values("Welcome", {1, 2}), Values("Banner", {1}), Values("Link", {1, 2, 3})},
        TextCase{"a key before one read earlier is empty",
            Tag("BranderType", "Gold") + Tag("ApplicationName", "Counter") + Tag("BranderCode", "C"),
            Info({{&BrandingInfo::ApplicationName, "Counter"}, {&BrandingInfo::BranderCode, "C"}}), {}, {}, {}},
        TextCase{"tags in other case, value keeps its case", "<%%applicationname%%>MiXeD Case<%%/APPLICATIONNAME%%>",
            Info({{&BrandingInfo::ApplicationName, "MiXeD Case"}}), {}, {}, {}},
        TextCase{"unclosed tag: empty, later keys searched from behind it",
            Tag("ApplicationName", "A") + "<%%BranderCode%%>lost " + Tag("BranderType", "Master"),
            Info({{&BrandingInfo::ApplicationName, "A"}, {&BrandingInfo::BranderType, "Master"}}), {}, {}, {}},
        TextCase{"present empty key still moves the position",
            Tag("BranderCode", "early") + Tag("ApplicationName", "") + Tag("BranderType", "Gold"),
            Info({{&BrandingInfo::BranderType, "Gold"}}), {}, {}, {}},
        TextCase{"numbering 1, 2, 4 stops at the gap and leaves 4 for nobody",
            Numbered("Welcome", {1, 2, 4}) + Numbered("Banner", {1}), {}, Values("Welcome", {1, 2}),
            Values("Banner", {1}), {}},
        TextCase{"a 17th entry is never read",
            Numbered("Link", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}), {}, {}, {},
            Values("Link", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})},
        TextCase{"lists are read after each other: banners before welcome pages are lost",
            Numbered("Banner", {1}) + Numbered("Welcome", {1}) + Numbered("Link", {1}), {}, Values("Welcome", {1}), {},
            Values("Link", {1})},
        TextCase{"placeholder with an empty id is removed",
            Tag("AffiliateURL", "http://a/%%AFFILIATEID%%/x") + Tag("AffiliateID", ""),
            Info({{&BrandingInfo::AffiliateURL, "http://a//x"}}), {}, {}, {}},
        TextCase{"placeholder in lower case stays",
            Tag("AffiliateURL", "http://a/%%affiliateid%%") + Tag("AffiliateID", "9"),
            Info({{&BrandingInfo::AffiliateURL, "http://a/%%affiliateid%%"}, {&BrandingInfo::AffiliateID, "9"}}), {},
            {}, {}},
        TextCase{"address without placeholder unchanged", Tag("AffiliateURL", "http://a/") + Tag("AffiliateID", "9"),
            Info({{&BrandingInfo::AffiliateURL, "http://a/"}, {&BrandingInfo::AffiliateID, "9"}}), {}, {}, {}},
        TextCase{"spaces kept, nothing trimmed", Tag("ApplicationName", "  Name \t"),
            Info({{&BrandingInfo::ApplicationName, "  Name \t"}}), {}, {}, {}},
        TextCase{"a NUL byte ends the text",
            Tag("ApplicationName", "Before") + std::string(1, '\0') + Tag("BranderCode", "after"),
            Info({{&BrandingInfo::ApplicationName, "Before"}}), {}, {}, {}},
        TextCase{"no tags at all", "just some text\r\nand more", {}, {}, {}, {}},
        TextCase{"nested tags: the inner closing tag ends the outer value",
            "<%%ApplicationName%%>a<%%BranderCode%%>b<%%/BranderCode%%>c<%%/ApplicationName%%>",
            Info({{&BrandingInfo::ApplicationName, "a<%%BranderCode%%>b<%%/BranderCode%%>c"}}), {}, {}, {}}));

TEST(ReadBrandingText, ReportsWhereEachKeyWasSearched)
{
    const std::string text
        = BrandingLines(Tag("BranderType", "Gold") + Tag("ApplicationName", "A") + "<%%AboutText%%>x");
    const BrandingText read = ReadBrandingText(text);
    ASSERT_GE(read.tags.size(), 18u);
    EXPECT_EQ(read.tags[0].key, "ApplicationName");
    EXPECT_TRUE(read.tags[0].opened && read.tags[0].closed);
    EXPECT_EQ(read.tags[2].key, "BranderType");
    EXPECT_FALSE(read.tags[2].opened);
    EXPECT_EQ(read.tags[2].searchedFrom, text.find("<%%/ApplicationName"));
    EXPECT_EQ(read.tags[16].key, "AboutText");
    EXPECT_TRUE(read.tags[16].opened);
    EXPECT_FALSE(read.tags[16].closed);
    EXPECT_EQ(read.tags[17].key, "Welcome1");
}

TEST(ReadBrandingText, LargeTextIsReadInOnePass)
{
    std::string text(16u << 20, 'x');
    text += Tag("ApplicationName", "Late");
    const BrandingText read = ReadBrandingText(BrandingLines(text));
    EXPECT_EQ(read.BrandingInfo.ApplicationName, "Late");
}

TEST(NewsButtonVisible, NeedsTheTiersPublisherAndAddress)
{
    struct Case {
        const char* tier;
        const char* filled; // which tier's id and address are set: M, P, G
        bool visible;
    };
    const Case cases[] = {
        {"Master", "M", true},
        {"Master", "PG", false},
        {"Platinum", "P", true},
        {"Platinum", "M", false},
        {"Gold", "G", true},
        {"Gold", "MP", false},
        {"Free", "M", true},
        {"Free", "PG", false},
        {"master", "MPG", false},
        {"", "MPG", false},
        {"Other", "MPG", false},
    };
    for (const Case& c : cases) {
        BrandingInfo info;
        info.BranderType = c.tier;
        const std::string filled = c.filled;
        if (filled.find('M') != std::string::npos)
            info.MasterPublID = "1", info.MasterNewsBaseURL = "http://m";
        if (filled.find('P') != std::string::npos)
            info.PlatinumPublID = "2", info.PlatinumNewsBaseURL = "http://p";
        if (filled.find('G') != std::string::npos)
            info.GoldPublID = "3", info.GoldNewsBaseURL = "http://g";
        EXPECT_EQ(NewsButtonVisible(info), c.visible) << c.tier << " " << c.filled;
    }
    // Both halves are needed.
    BrandingInfo half;
    half.BranderType = "Gold";
    half.GoldPublID = "3";
    EXPECT_FALSE(NewsButtonVisible(half));
    half.GoldPublID.clear();
    half.GoldNewsBaseURL = "http://g";
    EXPECT_FALSE(NewsButtonVisible(half));
}

TEST(MakeMoneyCaption, FallsBackWhenEmpty)
{
    BrandingInfo info;
    EXPECT_EQ(MakeMoneyCaption(info), "Make Money");
    info.MakeMoneyButton = "Partner Program";
    EXPECT_EQ(MakeMoneyCaption(info), "Partner Program");
}

TEST(ReplaceLastNewsId, ChangesOnlyTheId)
{
    struct Case {
        const char* name;
        std::string plain;
        std::string result;
    };
    const Case cases[] = {
        {"no tag: a line is appended", "<%%ApplicationName%%>A<%%/ApplicationName%%>\r\n",
            "<%%ApplicationName%%>A<%%/ApplicationName%%>\r\n<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n"},
        {"no tag, no final break", "x", "x\r\n<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n"},
        {"tag shares a line with other tags", "<%%A%%>1<%%/A%%><%%LastNewsId%%>7<%%/LastNewsId%%><%%B%%>2<%%/B%%>\n",
            "<%%A%%>1<%%/A%%><%%LastNewsId%%>42<%%/LastNewsId%%><%%B%%>2<%%/B%%>\n"},
        {"tag in other case", "a\r\n<%%lastnewsid%%>7<%%/LASTNEWSID%%>\r\nb\r\n",
            "a\r\n<%%lastnewsid%%>42<%%/LASTNEWSID%%>\r\nb\r\n"},
        {"only the first of two", "<%%LastNewsId%%>7<%%/LastNewsId%%><%%LastNewsId%%>8<%%/LastNewsId%%>",
            "<%%LastNewsId%%>42<%%/LastNewsId%%><%%LastNewsId%%>8<%%/LastNewsId%%>"},
        {"opening tag without closing tag", "k\r\npre <%%LastNewsId%%>7 rest\r\nnext\r\n",
            "k\r\npre <%%LastNewsId%%>42<%%/LastNewsId%%>\r\nnext\r\n"},
        {"closing tag only on a later line", "<%%LastNewsId%%>7\r\n8<%%/LastNewsId%%>z",
            "<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n8<%%/LastNewsId%%>z"},
        {"closing tag behind a bare CR", "<%%LastNewsId%%>7\r<%%/LastNewsId%%>",
            "<%%LastNewsId%%>42<%%/LastNewsId%%>\r<%%/LastNewsId%%>"},
        {"tag after a NUL byte is unreadable, so a new one goes before it",
            "a\r\n" + std::string(1, '\0') + Tag("LastNewsId", "7"),
            "a\r\n" + Tag("LastNewsId", "42") + "\r\n" + std::string(1, '\0') + Tag("LastNewsId", "7")},
    };
    for (const Case& c : cases) {
        const std::string result = ReplaceLastNewsId(c.plain, "42");
        EXPECT_EQ(result, c.result) << c.name;
        std::string remaining = BrandingLines(result);
        EXPECT_EQ(ExtractTagValue(remaining, "<%%LastNewsId%%>", "<%%/LastNewsId%%>", 0), "42") << c.name;
    }
}

// The branding file beside a program: written with the reference container, so a fault in
// our encryption does not hide behind our own decryption.
class BrandingFileBeside : public testing::Test {
protected:
    void WriteBranding(const std::string& plain)
    {
        WriteWholeFile(folder.File("dbsettings.dat"), ReferenceContainer(kBrandingFilePassword, "saltsalt", plain));
    }
    std::string Plain()
    {
        const auto contents = ReadBrandingFile(folder.Path().string());
        EXPECT_TRUE(contents && contents->authentic);
        return contents ? contents->plain : "";
    }

    TempDir folder;
    const std::string dir = folder.Path().string();
};

// Every key the start-up read takes, with its value, in the order of reading.
std::vector<std::pair<std::string, std::string>> KeysRead(const std::string& plain)
{
    std::vector<std::pair<std::string, std::string>> keys;
    for (const BrandingTag& tag : ReadBrandingText(BrandingLines(plain)).tags)
        keys.emplace_back(tag.key, tag.value);
    return keys;
}

TEST_F(BrandingFileBeside, LastNewsIdRoundTripsInEveryLayout)
{
    const std::string keys = Tag("BranderCode", "TW-100") + "\r\n" + Tag("BranderType", "Master") + "\r\n"
        + Tag("MasterNewsBaseURL", "http://news.example/") + "\r\n" + Tag("MasterPublID", "pub-7") + "\r\n"
        + Tag("AboutText", "line 1\r\nline 2") + "\r\n" + Tag("Welcome1", "<p>Hi</p>") + "\r\n";
    const std::string layouts[] = {
        Tag("ApplicationName", "A") + "\r\n",
        Tag("ApplicationName", "A") + Tag("LastNewsId", "5") + Tag("AboutText", "x") + "\r\n",
        "<%%LASTNEWSID%%>5<%%/lastnewsid%%>\r\n" + Tag("ApplicationName", "A"),
        Tag("ApplicationName", "A") + "\r\n<%%LastNewsId%%>5\r\n" + Tag("AboutText", "x"),
        // An unclosed id, the other keys, then a later id: only the first id's line may change.
        Tag("ApplicationName", "Counter Pro") + "\r\n<%%LastNewsId%%>3\r\n" + keys
            + "<%%lastnewsid%%>4<%%/lastnewsid%%>\r\n",
        Tag("ApplicationName", "Counter Pro") + "\r\n<%%LastNewsId%%>3\r\n" + keys + "<%%/LastNewsId%%>\r\n",
    };
    for (const std::string& layout : layouts) {
        WriteBranding(layout);
        for (const char* id : {"1001", "17", ""}) {
            WriteLastNewsId(dir, id);
            EXPECT_EQ(ReadLastNewsId(dir), id) << layout;
        }
        // Everything else reads as before.
        EXPECT_EQ(KeysRead(Plain()), KeysRead(layout)) << layout;
    }
}

TEST_F(BrandingFileBeside, RepeatedWritesInOtherCaseDoNotGrowTheFile)
{
    WriteBranding("<%%lastnewsid%%>1<%%/lastnewsid%%>\r\n");
    WriteLastNewsId(dir, "2");
    WriteLastNewsId(dir, "3");
    EXPECT_EQ(Plain(), "<%%lastnewsid%%>3<%%/lastnewsid%%>\r\n");
}

TEST_F(BrandingFileBeside, NoFileMeansNothingReadAndNothingWritten)
{
    EXPECT_FALSE(ReadBrandingFile(dir));
    EXPECT_EQ(ReadLastNewsId(dir), "");
    WriteLastNewsId(dir, "5");
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST_F(BrandingFileBeside, AFileThatDoesNotDecryptCleanlyIsNeverRewritten)
{
    TEncryption foreign("another password", 4096, CountingEntropy());
    std::string damaged = ReferenceContainer(kBrandingFilePassword, "saltsalt", Tag("ApplicationName", "A"));
    damaged.back() ^= 1;
    const std::string cases[] = {
        EncryptToString(foreign, Tag("ApplicationName", "A")), // wrong password: nothing decrypts
        damaged, // the code fails: the data decrypts but cannot be trusted
        ReferenceContainer(kBrandingFilePassword, "saltsalt", ""), // an empty text
        "short",
    };
    for (const std::string& container : cases) {
        WriteWholeFile(folder.File("dbsettings.dat"), container);
        WriteLastNewsId(dir, "9");
        EXPECT_EQ(ReadWholeFile(folder.File("dbsettings.dat")), container);
    }
    // What a damaged container decrypts to is still what the program reads.
    WriteWholeFile(folder.File("dbsettings.dat"), damaged);
    const auto contents = ReadBrandingFile(dir);
    ASSERT_TRUE(contents);
    EXPECT_FALSE(contents->authentic);
    EXPECT_EQ(contents->plain, Tag("ApplicationName", "A"));
}

TEST_F(BrandingFileBeside, IdsThatWouldReadBackDifferentlyAreNotStored)
{
    WriteBranding(Tag("LastNewsId", "5"));
    for (const std::string& id :
        {std::string("1\r\n2"), std::string("1\n"), std::string("1\0", 2), std::string("x<%%/lastnewsid%%>y")}) {
        WriteLastNewsId(dir, id);
        EXPECT_EQ(ReadLastNewsId(dir), "5") << testing::PrintToString(id);
    }
}

TEST_F(BrandingFileBeside, AFileThatCannotBeReplacedKeepsTheOldIdAndLeavesNoTemporary)
{
    WriteBranding(Tag("LastNewsId", "5"));
    const std::string before = ReadWholeFile(folder.File("dbsettings.dat"));
    {
        const FileSizeLimit fullDisk(8);
        WriteLastNewsId(dir, "6");
    }
    EXPECT_EQ(ReadWholeFile(folder.File("dbsettings.dat")), before);
    EXPECT_EQ(ReadLastNewsId(dir), "5");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST_F(BrandingFileBeside, WriteLeavesNoPlainCopyOnDisk)
{
    WriteBranding(Tag("ApplicationName", "Secret Name"));
    EXPECT_EQ(ReadLastNewsId(dir), "");
    WriteLastNewsId(dir, "3");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
    EXPECT_EQ(ReadWholeFile(folder.File("dbsettings.dat")).find("Secret"), std::string::npos);
    EXPECT_EQ(Plain(), Tag("ApplicationName", "Secret Name") + "\r\n" + Tag("LastNewsId", "3") + "\r\n");
}

} // namespace
