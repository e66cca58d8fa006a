#include "branding/BrandingRotation.h"
#include "branding/SkinFile.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

namespace {

// Answers the picks from a script and records the count each pick was made from.
struct ScriptedPicks {
    std::deque<unsigned> answers;
    std::vector<unsigned> counts;
    RandomPick Pick()
    {
        return [this](unsigned count) {
            counts.push_back(count);
            const unsigned answer = answers.empty() ? 0 : answers.front();
            if (!answers.empty())
                answers.pop_front();
            return answer;
        };
    }
};

TEST(PickRotation, MakesFourIndependentPicksAndNeverTheSameLinkTwice)
{
    ScriptedPicks picks{{1, 4, 2, 1}, {}};
    const Rotation rotation = PickRotation({"w1", "w2", "w3"},
        {"a.gif^http://a", "b.png^http://b", "c.jpg^http://c", "d.bmp^http://d", "e.png^"},
        {"L1^http://1", "L2^http://2", "L3^http://3", "L4^http://4"}, picks.Pick());
    // One pick per list, the second link from what is left after the first.
    EXPECT_EQ(picks.counts, (std::vector<unsigned>{3, 5, 4, 3}));
    EXPECT_EQ(rotation.WelcomeText, "w2");
    EXPECT_EQ(rotation.bannerNumber, 5);
    EXPECT_EQ(rotation.BannerImageName, "e.png");
    EXPECT_EQ(rotation.BannerUrl, "");
    EXPECT_EQ(rotation.FirstLinkCaption, "L3");
    EXPECT_EQ(rotation.FirstLinkUrl, "http://3");
    EXPECT_EQ(rotation.SecondLinkCaption, "L2");
    EXPECT_EQ(rotation.SecondLinkUrl, "http://2");
}

TEST(PickRotation, EmptyListsMakeNoPick)
{
    ScriptedPicks picks;
    const Rotation rotation = PickRotation({}, {}, {"only^http://o"}, picks.Pick());
    EXPECT_EQ(picks.counts, std::vector<unsigned>{1});
    EXPECT_EQ(rotation.WelcomeText, "");
    EXPECT_EQ(rotation.bannerNumber, 0);
    EXPECT_EQ(rotation.BannerImageName, "");
    EXPECT_EQ(rotation.FirstLinkCaption, "only");
    EXPECT_EQ(rotation.SecondLinkCaption, "");
    EXPECT_EQ(rotation.SecondLinkUrl, "");
}

TEST(PickRotation, TwoIdenticalLinksCanBothBeShown)
{
    ScriptedPicks picks{{0, 0}, {}};
    const Rotation rotation = PickRotation({}, {}, {"Same^http://s", "Same^http://s"}, picks.Pick());
    EXPECT_EQ(rotation.FirstLinkCaption, "Same");
    EXPECT_EQ(rotation.SecondLinkCaption, "Same");
}

TEST(PickRotation, AnAnswerOutOfRangeStillPicksAnEntry)
{
    const Rotation rotation = PickRotation({"w1", "w2"}, {}, {}, [](unsigned) { return 7u; });
    EXPECT_EQ(rotation.WelcomeText, "w2");
}

TEST(SystemRandomPick, CoversTheRangeAndStaysInIt)
{
    const RandomPick pick = SystemRandomPick();
    std::map<unsigned, int> seen;
    for (int draw = 0; draw < 2000; ++draw)
        ++seen[pick(5)];
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen.rbegin()->first, 4u);
    for (const auto& [value, times] : seen)
        EXPECT_GT(times, 250) << value; // 400 expected; far below means a skewed pick
    EXPECT_EQ(pick(1), 0u);
}

TEST(SplitEntry, TakesTheFirstTwoFields)
{
    const std::pair<std::string, EntryFields> cases[] = {
        {"pic.gif^http://x", {"pic.gif", "http://x"}},
        {"pic.gif^http://x^extra^more", {"pic.gif", "http://x"}},
        {"pic.gif^^", {"pic.gif", ""}},
        {"pic.gif^", {"pic.gif", ""}},
        {"pic.gif", {"pic.gif", ""}},
        {"^http://x", {"", "http://x"}},
        {"^", {"", ""}},
    };
    for (const auto& [entry, fields] : cases) {
        const EntryFields split = SplitEntry(entry);
        EXPECT_EQ(split.first, fields.first) << entry;
        EXPECT_EQ(split.second, fields.second) << entry;
    }
}

TEST(BannerNames, DisplayNameFormatAndAnimation)
{
    EXPECT_EQ(BannerFileName(1), "banner1.dat");
    EXPECT_EQ(BannerFileName(16), "banner16.dat");
    struct Case {
        const char* imageName;
        const char* displayName;
        const char* format;
    };
    const Case cases[] = {
        {"ad.png", "ad.png", "png"},
        {"C:\\Images\\Ad.JPG", "Ad.JPG", "jpeg"},
        {"c:ad.jpeg", "ad.jpeg", "jpeg"},
        {"images/ad.bmp", "ad.bmp", "bmp"},
        {"ad.old.Png", "ad.old.Png", "png"},
        {"noextension", "noextension", ""},
        {"C:\\folder\\", "", ""},
        {"photo.jfif", "photo.jfif", "jpeg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BannerDisplayName(c.imageName), c.displayName) << c.imageName;
        EXPECT_EQ(StillBannerFormat(BannerDisplayName(c.imageName)), c.format) << c.imageName;
    }
    EXPECT_TRUE(IsAnimatedBannerPath("/opt/app/ad.gif"));
    EXPECT_TRUE(IsAnimatedBannerPath("/opt/app/AD.GIF"));
    EXPECT_TRUE(IsAnimatedBannerPath("/opt/app.gif/ad.png")); // the whole path is looked at
    EXPECT_TRUE(IsAnimatedBannerPath("/opt/app/x.gift"));
    EXPECT_FALSE(IsAnimatedBannerPath("/opt/app/ad.png"));
    EXPECT_FALSE(IsAnimatedBannerPath("/opt/app/adgif"));
}

std::string LittleEndian(std::uint32_t value)
{
    std::string bytes;
    for (int index = 0; index < 4; ++index)
        bytes.push_back(static_cast<char>((value >> (8 * index)) & 0xff));
    return bytes;
}

TEST(SkinFile, PackedStyleSheetReadsBack)
{
    const std::string sheet = "QPushButton { color: #123456; }\n/* \xc3\xa9 */\n";
    const std::string file = PackSkinFile(sheet);
    EXPECT_EQ(file.substr(0, 4), LittleEndian(3));
    EXPECT_EQ(file.substr(4, 4), LittleEndian(static_cast<std::uint32_t>(file.size() - 8)));
    EXPECT_EQ(file.substr(8, 4), std::string("\0\0\0", 3) + static_cast<char>(sheet.size()));
    EXPECT_EQ(ReadSkinFile(file), sheet);
}

TEST(SkinFile, AnythingMalformedGivesNoSkin)
{
    const std::string sheet = "QWidget { background: red; }";
    const std::string good = PackSkinFile(sheet);
    const std::string data = good.substr(8);
    auto withHeader = [](std::int32_t format, std::uint32_t length, const std::string& body) {
        return LittleEndian(static_cast<std::uint32_t>(format)) + LittleEndian(length) + body;
    };
    std::string badZlib = data;
    badZlib[6] ^= 0x55;
    std::string wrongSize = data;
    wrongSize[3] = static_cast<char>(wrongSize[3] + 1);
    std::string shortSize = data;
    shortSize[3] = static_cast<char>(shortSize[3] - 1);
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"header cut", good.substr(0, 6)},
        {"format 4", withHeader(4, static_cast<std::uint32_t>(data.size()), data)},
        {"format far above", withHeader(0x7fffffff, static_cast<std::uint32_t>(data.size()), data)},
        {"length too long", withHeader(3, static_cast<std::uint32_t>(data.size() + 1), data)},
        {"length cuts the stream", withHeader(3, static_cast<std::uint32_t>(data.size() - 1), data)},
        {"length huge", withHeader(3, 0xffffffffu, data)},
        {"data cut", withHeader(3, static_cast<std::uint32_t>(data.size() - 3), data.substr(0, data.size() - 3))},
        {"bad zlib", withHeader(3, static_cast<std::uint32_t>(data.size()), badZlib)},
        {"announces more", withHeader(3, static_cast<std::uint32_t>(data.size()), wrongSize)},
        {"announces less", withHeader(3, static_cast<std::uint32_t>(data.size()), shortSize)},
        {"announces 4 GiB",
            withHeader(3, static_cast<std::uint32_t>(data.size()), "\xff\xff\xff\xff" + data.substr(4))},
        {"no stream", withHeader(3, 4, data.substr(0, 4))},
        {"empty sheet", PackSkinFile("")},
        {"bytes after the stream", withHeader(3, static_cast<std::uint32_t>(data.size() + 2), data + "xx")},
    };
    for (const auto& [name, file] : cases)
        EXPECT_FALSE(ReadSkinFile(file)) << name;
    // Formats up to 3 are ours.
    for (const std::int32_t format : {0, 1, 2, 3, -1})
        EXPECT_EQ(ReadSkinFile(withHeader(format, static_cast<std::uint32_t>(data.size()), data)), sheet) << format;
}

TEST(SkinFile, BytesAfterTheDataAreIgnored)
{
    const std::string sheet = "QWidget { background: red; }";
    const std::string good = PackSkinFile(sheet);
    for (const std::string& padding : {std::string(1, '\0'), std::string("\r\n"), std::string(4096, '\xff'), good})
        EXPECT_EQ(ReadSkinFile(good + padding), sheet) << padding.size();
}

} // namespace
