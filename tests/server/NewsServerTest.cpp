// The news service's scripts on PHP's built-in server with a real database, asked through
// the program's news request shape and read by the reply rules the program follows.

#include "server/ServerStack.h"

#include "net/Requests.h"
#include "support/TempDir.h"
#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* kPublisher = "pub-7";
constexpr const char* kProduct = "TALLYWICK";
const std::string kEndMarker = "\xAFOK";

struct Item {
    std::string id;
    std::string title;
    std::string published;
};

class NewsServer : public ServerStackTest {
protected:
    void SetUp() override
    {
        ServerStackTest::SetUp();
        if (!stack)
            return;
        stack->ResetNewsDatabase();
        ASSERT_EQ(Seed({"sample", kPublisher, kProduct}), 0) << seedOutput;
    }

    int Seed(const std::vector<std::string>& arguments)
    {
        return stack->RunPhp(stack->NewsFolder() + "/seed.php", arguments, seedOutput);
    }

    // Adds an item through the seed script; its id.
    std::string AddItem(const std::string& title, const std::string& content, const std::string& tier = "all",
        const std::string& target = "UA")
    {
        const std::string file = stack->Folder() + "/news-item.html";
        WriteWholeFile(file, content);
        EXPECT_EQ(Seed({"news", kPublisher, kProduct, title, file, tier, target, "2024-05-01"}), 0) << seedOutput;
        return std::string(TrimControls(seedOutput));
    }

    std::string Post(const char* script, const net::Form& fields)
    {
        return net::PostForm(TestHttpClient(), net::FormProfile::NewsServer, stack->NewsUrl(), script, fields);
    }

    net::Form ListFields(const std::string& kind, const std::string& tier = "BM", const std::string& target = "UA")
    {
        return {{"memusername", kPublisher}, {"prodcode", kProduct}, {"prodtype", tier}, {"conttype", kind},
            {"newstarget", target}};
    }

    net::Form DetailFields(const std::string& id, const std::string& tier = "BM")
    {
        return {{"memusername", kPublisher}, {"prodcode", kProduct}, {"prodtype", tier}, {"newsid", id},
            {"newstarget", "UA"}};
    }

    // A list reply read as the program reads it: split at 0xAF, empty and "OK" entries skipped.
    static std::vector<Item> ReadList(const std::string& reply)
    {
        EXPECT_NE(reply.find("OK"), std::string::npos) << reply;
        std::vector<std::string> entries, fields;
        SplitFields('\xAF', reply, entries);
        std::vector<Item> items;
        for (const std::string& entry : entries) {
            if (entry.empty() || entry == "OK")
                continue;
            SplitFields('^', entry, fields);
            EXPECT_EQ(fields.size(), 3u) << entry;
            fields.resize(3);
            items.push_back({fields[0], fields[1], fields[2]});
        }
        return items;
    }

    static std::string WithoutEndMarkers(const std::string& reply) { return ReplaceAll(reply, kEndMarker, ""); }

    std::string seedOutput;
};

TEST_P(NewsServer, ListsTheItemsOfTheProductNewestFirstAndTheNewestAlone)
{
    const std::string platinum = AddItem("For Platinum resellers", "<p>Only BP.</p>", "BP");
    const std::string elsewhere = AddItem("Other target", "<p>Not for the program.</p>", "all", "WEB");

    const std::vector<Item> master = ReadList(Post("getlastnews.php", ListFields("all")));
    ASSERT_EQ(master.size(), 3u);
    EXPECT_EQ(master[0].title, "Statistics at a glance");
    EXPECT_EQ(master[2].title, "Welcome to your news service");
    for (std::size_t i = 0; i + 1 < master.size(); ++i)
        EXPECT_GT(std::stol(master[i].id), std::stol(master[i + 1].id));

    const std::vector<Item> forPlatinum = ReadList(Post("getlastnews.php", ListFields("all", "BP")));
    ASSERT_EQ(forPlatinum.size(), 4u);
    EXPECT_EQ(forPlatinum[0].id, platinum);
    EXPECT_EQ(forPlatinum[0].published, "2024-05-01");

    EXPECT_EQ(Post("getlastnews.php", ListFields("lastcode", "BP")), platinum + "^For Platinum resellers" + kEndMarker);
    EXPECT_EQ(
        Post("getlastnews.php", ListFields("lastcode", "BG")), master[0].id + "^Statistics at a glance" + kEndMarker);

    const std::vector<Item> web = ReadList(Post("getlastnews.php", ListFields("all", "BG", "WEB")));
    ASSERT_EQ(web.size(), 1u);
    EXPECT_EQ(web[0].id, elsewhere);
}

TEST_P(NewsServer, ContentComesBackByteForByte)
{
    std::string content = "  <p>$24 is not an escape; \xAFOK inside, \xAF alone, OK.</p>\r\n"
                          "<p>caf\xC3\xA9 ^ 100% \"quoted\" 'single'</p>\t\n";
    content += std::string(1, '\0') + "end \x7F\xFF  ";
    const std::string id = AddItem("Bytes", content);

    const std::string reply = Post("getnewsdetails.php", DetailFields(id));
    EXPECT_EQ(DecodeHexEscapes(WithoutEndMarkers(reply)), content);
    EXPECT_EQ(Post("getnewsdetails.php", DetailFields(AddItem("Empty", ""))), kEndMarker);
}

TEST_P(NewsServer, SeparatorsInTitlesAreSentEncoded)
{
    AddItem("a^b\xAF"
            "c\r\nd",
        "<p>x</p>");
    const std::vector<Item> items = ReadList(Post("getlastnews.php", ListFields("all")));
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0].title, "a%5Eb%AFc%0D%0Ad");
}

TEST_P(NewsServer, AProductWithoutItemsAnswersOkAlone)
{
    ASSERT_EQ(Seed({"product", kPublisher, "QUIET", "BG"}), 0) << seedOutput;
    net::Form fields = ListFields("all", "BG");
    fields[1].second = "QUIET";
    EXPECT_EQ(Post("getlastnews.php", fields), "OK");
    fields[3].second = "lastcode";
    EXPECT_EQ(Post("getlastnews.php", fields), "OK");
}

TEST_P(NewsServer, RefusesWithTheWordsTheProgramKnows)
{
    const std::string quietItem = [&] {
        EXPECT_EQ(Seed({"product", "other-publisher", "OTHER"}), 0) << seedOutput;
        const std::string file = stack->Folder() + "/other.html";
        WriteWholeFile(file, "<p>other</p>");
        EXPECT_EQ(Seed({"news", "other-publisher", "OTHER", "Other", file}), 0) << seedOutput;
        return std::string(TrimControls(seedOutput));
    }();
    struct Refusal {
        const char* name;
        const char* script;
        net::Form fields;
        const char* reply;
    };
    const auto without = [](net::Form fields, const std::string& name) {
        std::erase_if(fields, [&](const net::FormField& field) { return field.first == name; });
        return fields;
    };
    const auto with = [](net::Form fields, const std::string& name, const std::string& value) {
        for (net::FormField& field : fields)
            if (field.first == name)
                field.second = value;
        return fields;
    };
    const std::vector<Refusal> refusals = {
        {"UnknownPublisher", "getlastnews.php", with(ListFields("all"), "memusername", "nobody"), "INVALIDUSER"},
        {"EmptyPublisher", "getlastnews.php", with(ListFields("all"), "memusername", ""), "INVALIDUSER"},
        {"NoPublisher", "getlastnews.php", without(ListFields("all"), "memusername"), "INVALIDUSER"},
        {"UnknownProduct", "getlastnews.php", with(ListFields("all"), "prodcode", "OTHER"), "INVALIDPRODUCT"},
        {"UnknownTier", "getlastnews.php", ListFields("all", "BX"), "INVALIDPRODUCT"},
        {"TierInSmallLetters", "getlastnews.php", ListFields("lastcode", "bm"), "INVALIDPRODUCT"},
        {"NoTier", "getlastnews.php", without(ListFields("all"), "prodtype"), "INVALIDPRODUCT"},
        {"UnknownContentType", "getlastnews.php", ListFields("latest"), "BADREQUEST"},
        {"NoTarget", "getlastnews.php", without(ListFields("all"), "newstarget"), "BADREQUEST"},
        {"UnknownItem", "getnewsdetails.php", DetailFields("999999"), "INVALIDNEWS"},
        {"ItemOfAnotherProduct", "getnewsdetails.php", DetailFields(quietItem), "INVALIDNEWS"},
        {"ItemIdWithSql", "getnewsdetails.php", DetailFields("1 OR 1=1"), "INVALIDNEWS"},
        {"EmptyItemId", "getnewsdetails.php", DetailFields(""), "INVALIDNEWS"},
        {"DetailsOfUnknownPublisher", "getnewsdetails.php", with(DetailFields("1"), "memusername", "nobody"),
            "INVALIDUSER"},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        EXPECT_EQ(Post(refusal.script, refusal.fields), refusal.reply);
    }
}

TEST_P(NewsServer, AnswersConnectionFailWithoutItsDatabase)
{
    stack->StopDatabase();
    const std::string list = Post("getlastnews.php", ListFields("all"));
    const std::string details = Post("getnewsdetails.php", DetailFields("1"));
    stack->StartDatabase();
    EXPECT_EQ(list, "CONNECTIONFAIL");
    EXPECT_EQ(details, "CONNECTIONFAIL");

    fs::rename(stack->NewsFolder() + "/config.php", stack->NewsFolder() + "/config.away");
    const std::string noConfig = Post("getlastnews.php", ListFields("all"));
    fs::rename(stack->NewsFolder() + "/config.away", stack->NewsFolder() + "/config.php");
    EXPECT_EQ(noConfig, "CONNECTIONFAIL");
    EXPECT_EQ(ReadList(Post("getlastnews.php", ListFields("all"))).size(), 3u);
}

TEST_P(NewsServer, SeedScriptRunsOnlyFromTheCommandLine)
{
    EXPECT_EQ(Seed({"unknown", kPublisher, kProduct}), 2);
    EXPECT_EQ(Seed({"product", kPublisher, kProduct, "XX"}), 2);
    const serverkit::HttpReply web = serverkit::Visit(stack->Port(), "/news/seed.php");
    EXPECT_EQ(web.status, 404);
    EXPECT_EQ(ReadList(Post("getlastnews.php", ListFields("all"))).size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, NewsServer, testing::Values(Backend::Sqlite), BackendName);
INSTANTIATE_TEST_SUITE_P(MariaDb, NewsServer, testing::Values(Backend::MariaDb), BackendName);

} // namespace
