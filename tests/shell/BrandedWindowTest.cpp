#include "branding/BrandingFile.h"
#include "branding/SkinFile.h"
#include "container/AesLib.h"
#include "container/SevenZip.h"
#include "shell/FAbout.h"
#include "shell/FMain.h"
#include "support/FakeLauncher.h"
#include "support/GifWriter.h"
#include "support/Pictures.h"
#include "support/TempDir.h"
#include "ui/LinkListView.h"
#include "ui/Skin.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMovie>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>

namespace {

std::string Tag(const std::string& key, const std::string& value)
{
    return "<%%" + key + "%%>" + value + "<%%/" + key + "%%>\r\n";
}

std::string SkinFileOf(const QString& styleSheet, std::int32_t format = 3)
{
    // Made with Qt's own compressor: the layout a reseller's tools produce.
    const QByteArray data = qCompress(styleSheet.toUtf8());
    std::string file;
    for (const std::uint32_t value : {static_cast<std::uint32_t>(format), static_cast<std::uint32_t>(data.size())})
        for (int index = 0; index < 4; ++index)
            file.push_back(static_cast<char>((value >> (8 * index)) & 0xff));
    return file + data.toStdString();
}

class BrandedWindow : public testing::Test {
protected:
    void Brand(const std::string& plain) { ASSERT_EQ(WriteBrandingFile(folder.Path().string(), plain), ""); }
    void Put(const std::string& name, const std::string& bytes) { WriteWholeFile(folder.File(name), bytes); }

    std::unique_ptr<TfrmMain> Open(const std::string& welcomeText = {})
    {
        AppContext context;
        context.programDirectory = folder.Path().string();
        context.launcher = &launcher;
        context.messageResponder = [](const std::string&, MessageKind, MessageButtons) { return true; };
        context.showModal = [this](QDialog& dialog) { return answerDialog ? answerDialog(dialog) : 0; };
        context.random = [this](unsigned count) {
            counts.push_back(count);
            const unsigned answer = picks.empty() ? 0 : picks.front();
            if (!picks.empty())
                picks.pop_front();
            return answer;
        };
        context.welcomeText = welcomeText;
        auto window = std::make_unique<TfrmMain>(std::move(context));
        return window;
    }

    // Shown and active, so keys reach it as they reach a window the user works in.
    static void ShowActive(TfrmMain& window)
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    TempDir folder;
    FakeLauncher launcher;
    std::deque<unsigned> picks;
    std::vector<unsigned> counts;
    std::function<int(QDialog&)> answerDialog;
};

const std::string kFullBranding = Tag("ApplicationName", "Counter Pro") + Tag("BranderCode", "CP7")
    + Tag("BranderType", "Gold") + Tag("AffiliateURL", "http://aff.example/?a=%%AFFILIATEID%%")
    + Tag("AffiliateID", "77") + Tag("GoldNewsBaseURL", "http://news.example") + Tag("GoldPublID", "12")
    + Tag("MakeMoneyButton", "Partner Program") + Tag("AppHelpURL", "http://help.example")
    + Tag("CopyrightYears", "2003-2008") + Tag("CopyrightCompany", "Reseller Ltd")
    + Tag("AboutText", "First line\r\nSecond line\r\nThird line") + Tag("Welcome1", "<h1>Hello one</h1>")
    + Tag("Welcome2", "<h1>Hello two</h1>") + Tag("Link1", "Reseller^http://reseller.example")
    + Tag("Link2", "Forum^http://forum.example");

TEST_F(BrandedWindow, ShowsTheResellersNameButtonsAndPickedWelcomePage)
{
    Brand(kFullBranding);
    picks = {1, 0, 0};
    auto window = Open();
    EXPECT_EQ(counts, (std::vector<unsigned>{2, 2, 1}));
    EXPECT_EQ(window->windowTitle(), "Counter Pro v2.01");
    EXPECT_EQ(window->BrandingInfo.AffiliateURL, "http://aff.example/?a=77");
    EXPECT_EQ(window->BrandingInfo.AboutText, "First line\r\nSecond line\r\nThird line");
    EXPECT_FALSE(window->btnNews->isHidden());
    EXPECT_EQ(window->btnMakeMoney->text(), "Partner Program");
    EXPECT_EQ(window->WelcomeText, "<h1>Hello two</h1>");
    EXPECT_EQ(window->IconFileName, "main.ico");
    EXPECT_FALSE(window->Timer1->isActive());

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->pgcPrinc->currentWidget(), window->stsWelcome);
    EXPECT_EQ(window->prfWelcome->toPlainText(), "Hello two");
    EXPECT_EQ(window->bsSkinButton1->text(), "Thanks, just show me the main application");
    EXPECT_TRUE(window->panBanner->isHidden()); // no banners in this package

    window->btnMakeMoney->click();
    window->bsSkinSpeedButton2->click();
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(launcher.started[0].second, "http://aff.example/?a=77");
    EXPECT_EQ(launcher.started[1].second, "http://help.example");
}

TEST_F(BrandedWindow, AContainerThatDoesNotOpenGivesEmptyValues)
{
    std::string container;
    {
        TEncryption foreign("not the program's password", 4096);
        MemoryReadStream source(kFullBranding);
        MemoryWriteStream destination(container);
        ASSERT_TRUE(foreign.Encrypt(source, destination));
    }
    Put("dbsettings.dat", container);
    auto window = Open();
    EXPECT_EQ(window->windowTitle(), " v2.01");
    EXPECT_TRUE(window->btnNews->isHidden());
    EXPECT_EQ(window->btnMakeMoney->text(), "Make Money");
    EXPECT_TRUE(window->panBanner->isHidden());
    EXPECT_TRUE(window->panLinks->isHidden());
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_TRUE(counts.empty());
}

TEST_F(BrandedWindow, ADamagedCodeStillShowsWhatDecrypted)
{
    Brand(Tag("ApplicationName", "Damaged But Readable"));
    std::string container = ReadWholeFile(folder.File("dbsettings.dat"));
    container.back() ^= 1;
    Put("dbsettings.dat", container);
    EXPECT_EQ(Open()->windowTitle(), "Damaged But Readable v2.01");
}

TEST_F(BrandedWindow, AnyTextStillBringsTheWindowUp)
{
    const std::pair<std::string, QString> cases[] = {
        {std::string(16u << 20, 'A') + Tag("ApplicationName", "Deep"), "Deep v2.01"},
        {"<%%ApplicationName%%>never closed <%%Welcome1%%>w", " v2.01"},
        {std::string("\0\0\0", 3) + Tag("ApplicationName", "Hidden"), " v2.01"},
        {"<%%Link1%%><%%Link1%%>^<%%/Link1%%><%%/Link1%%>", " v2.01"},
        {"\xff\xfe<%%ApplicationName%%>\xe9t\xe9<%%/ApplicationName%%>", QString::fromUtf8("\xc3\xa9t\xc3\xa9 v2.01")},
    };
    for (const auto& [plain, caption] : cases) {
        Brand(plain);
        auto window = Open();
        EXPECT_EQ(window->windowTitle(), caption);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
}

TEST_F(BrandedWindow, NewsButtonHiddenWhenTheTierDoesNotMatchExactly)
{
    Brand(Tag("BranderType", "gold") + Tag("GoldNewsBaseURL", "http://n") + Tag("GoldPublID", "1"));
    EXPECT_TRUE(Open()->btnNews->isHidden());
}

// The welcome path, whether the page came from a branding file or from the seam, in a window
// that the window system has activated or not (without a window manager nothing activates it).
TEST_F(BrandedWindow, WelcomePageLeadsToTheMainPageOnceAndStartsTheTimer)
{
    enum class Way { Button, Return, KeypadEnter };
    for (const bool active : {true, false}) {
        for (const Way way : {Way::Button, Way::Return, Way::KeypadEnter}) {
            const std::string name = std::to_string(static_cast<int>(way)) + (active ? " active" : " inactive");
            auto window = Open("<p>Welcome aboard</p>");
            EXPECT_FALSE(window->Timer1->isActive());
            if (active) {
                ShowActive(*window);
                EXPECT_EQ(QApplication::focusWidget(), window->prfWelcome);
            } else {
                window->show();
                ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
            }
            EXPECT_EQ(window->pgcPrinc->currentWidget(), window->stsWelcome);
            EXPECT_EQ(window->prfWelcome->toPlainText(), "Welcome aboard");
            EXPECT_EQ(window->focusWidget(), window->prfWelcome);
            EXPECT_FALSE(window->Timer1->isActive());

            switch (way) {
            case Way::Button: QTest::mouseClick(window->bsSkinButton1, Qt::LeftButton); break;
            case Way::Return: QTest::keyClick(window->prfWelcome, Qt::Key_Return); break;
            case Way::KeypadEnter: QTest::keyClick(window->prfWelcome, Qt::Key_Enter, Qt::KeypadModifier); break;
            }
            EXPECT_EQ(window->pgcPrinc->currentWidget(), window->stsMain) << name;
            EXPECT_TRUE(window->Timer1->isActive()) << name;

            // No way back: Enter on the main page leaves it where it is and starts nothing.
            window->Timer1->stop();
            QTest::keyClick(window->lvwPages, Qt::Key_Return);
            QTest::keyClick(window.get(), Qt::Key_Enter, Qt::KeypadModifier);
            EXPECT_EQ(window->pgcPrinc->currentWidget(), window->stsMain) << name;
            EXPECT_FALSE(window->Timer1->isActive()) << name;
            EXPECT_TRUE(window->stsWelcome->isHidden()) << name;
        }
    }
}

TEST_F(BrandedWindow, WelcomeLinksGoToTheBrowserWhenTheyAreWebOrMailAddresses)
{
    auto window = Open("<p><a href=\"http://reseller.example/offer\">Offer</a></p>"
                       "<p><a href=\"mailto:sales@reseller.example\">Mail us</a></p>"
                       "<p><a href=\"file:///etc/passwd\">File</a></p>"
                       "<p><a href=\"javascript:alert(1)\">Script</a></p>");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTextBrowser* view = window->prfWelcome;
    for (int paragraph = 0; paragraph < 4; ++paragraph) {
        QTextCursor insideTheLink(view->document()->findBlockByNumber(paragraph));
        insideTheLink.movePosition(QTextCursor::NextCharacter);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(insideTheLink).center());
    }
    const std::vector<std::pair<std::string, std::string>> opened{
        {"/usr/bin/browser", "http://reseller.example/offer"}, {"/usr/bin/browser", "mailto:sales@reseller.example"}};
    EXPECT_EQ(launcher.started, opened);
    EXPECT_EQ(window->pgcPrinc->currentWidget(), window->stsWelcome);
}

TEST_F(BrandedWindow, WithoutAWelcomePageTheWelcomePageIsGone)
{
    Brand(Tag("ApplicationName", "No Welcome"));
    auto window = Open();
    EXPECT_TRUE(window->Timer1->isActive());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->pgcPrinc->count(), 1);
    EXPECT_EQ(window->pgcPrinc->currentWidget(), window->stsMain);
}

struct BannerCase {
    const char* name;
    std::string imageName; // field 1 of the entry
    std::string bytes; // the banner file; empty: no file
    enum { Still, Animated, Hidden } shown;
    QSize size;
};

void PrintTo(const BannerCase& c, std::ostream* out)
{
    *out << c.name;
}

class BannerCases : public BrandedWindow, public testing::WithParamInterface<BannerCase> { };

TEST_P(BannerCases, ShowTheBannerFileAsItsDisplayNameSays)
{
    const BannerCase& c = GetParam();
    Brand(Tag("Banner1", c.imageName + "^http://banner.example"));
    if (!c.bytes.empty())
        Put("banner1.dat", c.bytes);
    auto window = Open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->BannerImageName, c.imageName);
    switch (c.shown) {
    case BannerCase::Hidden: EXPECT_TRUE(window->panBanner->isHidden()); break;
    case BannerCase::Animated:
        EXPECT_FALSE(window->panBanner->isHidden());
        EXPECT_TRUE(window->gifBanner->isVisible());
        EXPECT_FALSE(window->imgBanner->isVisible());
        ASSERT_NE(window->gifBanner->movie(), nullptr);
        EXPECT_EQ(window->gifBanner->movie()->state(), QMovie::Running);
        EXPECT_EQ(window->gifBanner->size(), c.size);
        EXPECT_EQ(window->panBanner->height(), c.size.height() + 10);
        break;
    case BannerCase::Still:
        EXPECT_FALSE(window->panBanner->isHidden());
        EXPECT_TRUE(window->imgBanner->isVisible());
        EXPECT_FALSE(window->gifBanner->isVisible());
        EXPECT_EQ(window->imgBanner->pixmap().size(), c.size);
        EXPECT_EQ(window->imgBanner->size(), c.size);
        EXPECT_EQ(window->panBanner->height(), c.size.height() + 10);
        break;
    }
    // Centred in the panel, whatever was shown.
    if (c.shown != BannerCase::Hidden) {
        for (QLabel* view : {window->imgBanner, window->gifBanner})
            EXPECT_EQ(view->x(), window->panBanner->width() / 2 - view->width() / 2);
    }
    // The reseller's file is never renamed or changed.
    if (!c.bytes.empty()) {
        EXPECT_EQ(ReadWholeFile(folder.File("banner1.dat")), c.bytes);
    }
}

const std::string kGif = AnimatedGif(120, 30, {0xff0000, 0x00ff00, 0x0000ff});

INSTANTIATE_TEST_SUITE_P(Banners, BannerCases,
    testing::Values(BannerCase{"gif", "ad.gif", kGif, BannerCase::Animated, {120, 30}},
        BannerCase{"gif in capitals behind a path", "C:\\Banners\\AD.GIF", kGif, BannerCase::Animated, {120, 30}},
        BannerCase{"png", "ad.png", StillPicture("PNG", 200, 40), BannerCase::Still, {200, 40}},
        BannerCase{"jpeg", "d:\\x\\ad.JPG", StillPicture("JPEG", 150, 60), BannerCase::Still, {150, 60}},
        BannerCase{"bmp", "ad.bmp", StillPicture("BMP", 90, 20), BannerCase::Still, {90, 20}},
        BannerCase{"png bytes named gif", "ad.gif", StillPicture("PNG", 50, 10), BannerCase::Hidden, {}},
        BannerCase{"gif bytes named png", "ad.png", kGif, BannerCase::Hidden, {}},
        BannerCase{"not a picture", "ad.png", "this is no picture at all", BannerCase::Hidden, {}},
        BannerCase{"truncated gif", "ad.gif", kGif.substr(0, 20), BannerCase::Hidden, {}},
        BannerCase{"no extension", "banner", StillPicture("PNG", 50, 10), BannerCase::Hidden, {}},
        BannerCase{"missing banner file", "ad.png", "", BannerCase::Hidden, {}},
        BannerCase{"empty image name", "", StillPicture("PNG", 50, 10), BannerCase::Hidden, {}}));

TEST_F(BrandedWindow, BannerOfThePickedNumberWhateverTheWelcomePage)
{
    std::string plain = Tag("Welcome1", "w1") + Tag("Welcome2", "w2");
    for (int n = 1; n <= 5; ++n) {
        plain += Tag("Banner" + std::to_string(n), "b" + std::to_string(n) + ".png^http://b" + std::to_string(n));
        Put("banner" + std::to_string(n) + ".dat", StillPicture("PNG", 100 + n, 20 + n));
    }
    Brand(plain);
    // A file that already carries the display name is not looked at.
    Put("b4.png", StillPicture("PNG", 10, 10));
    picks = {1, 3};
    auto window = Open();
    EXPECT_EQ(counts, (std::vector<unsigned>{2, 5}));
    EXPECT_EQ(window->BannerImageName, "b4.png");
    EXPECT_EQ(window->BannerUrl, "http://b4");
    EXPECT_EQ(window->imgBanner->pixmap().size(), QSize(104, 24));
    EXPECT_EQ(window->panBanner->height(), 34);
}

// What the reseller's tool packs is what the program shows: a package of three pictures, a
// skin and an icon, packed by the tool and read back by the main window.
TEST_F(BrandedWindow, APackedPackageOpensAsTheResellerMadeIt)
{
    TempDir package;
    const QString sheet = QStringLiteral("QWidget { background: #203040; color: #f0f0f0; }");
    WriteWholeFile(package.File("branding.txt"),
        Tag("ApplicationName", "Packed Counter") + Tag("BranderCode", "PC1") + Tag("BranderType", "Platinum")
            + Tag("AffiliateURL", "https://aff.example/?id=%%AFFILIATEID%%") + Tag("AffiliateID", "5")
            + Tag("PlatinumNewsBaseURL", "http://news.example/news/") + Tag("PlatinumPublID", "P9")
            + Tag("AppHelpURL", "https://help.example/") + Tag("Banner1", "still.png^https://one.example/")
            + Tag("Banner2", "moving.gif^https://two.example/") + Tag("Banner3", "photo.jpg^https://three.example/")
            + Tag("Link1", "Home^https://home.example/") + Tag("Link2", "Mail^mailto:a@b.example"));
    WriteWholeFile(package.File("still.png"), StillPicture("PNG", 200, 40));
    WriteWholeFile(package.File("moving.gif"), AnimatedGif(120, 30, {0xff0000, 0x00ff00, 0x0000ff}));
    WriteWholeFile(package.File("photo.jpg"), StillPicture("JPEG", 150, 60));
    WriteWholeFile(package.File("skin.qss"), sheet.toStdString());
    WriteWholeFile(package.File("main.ico"), StillPicture("ICO", 32, 32, Qt::magenta));
    Put("tallywick", "the program");
    ASSERT_EQ(RunQuietly(ShellQuote(TALLYWICK_BRAND_TOOL) + " pack " + ShellQuote(package.Path().string()) + " "
                  + ShellQuote(folder.Path().string())),
        0);

    struct Shown {
        bool animated;
        QSize size;
        std::string address;
    };
    const Shown banners[] = {{false, {200, 40}, "https://one.example/"}, {true, {120, 30}, "https://two.example/"},
        {false, {150, 60}, "https://three.example/"}};
    for (unsigned number = 0; number < 3; ++number) {
        const Shown& shown = banners[number];
        picks = {number, 1};
        auto window = Open();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        EXPECT_EQ(window->windowTitle(), "Packed Counter v2.01");
        EXPECT_EQ(window->BrandingInfo.BranderType, "Platinum");
        EXPECT_FALSE(window->btnNews->isHidden());
        EXPECT_EQ(window->BrandingInfo.AffiliateURL, "https://aff.example/?id=5");

        EXPECT_EQ(window->BannerUrl, shown.address);
        QLabel* view = shown.animated ? window->gifBanner : window->imgBanner;
        EXPECT_TRUE(view->isVisible()) << number;
        EXPECT_EQ(view->size(), shown.size) << number;
        if (shown.animated) {
            ASSERT_NE(view->movie(), nullptr);
            EXPECT_EQ(view->movie()->state(), QMovie::Running);
        } else {
            EXPECT_EQ(view->pixmap().size(), shown.size);
        }

        EXPECT_EQ(window->FirstLinkCaption, "Mail");
        EXPECT_EQ(window->FirstLinkUrl, "mailto:a@b.example");
        EXPECT_EQ(window->SecondLinkCaption, "Home");
        EXPECT_EQ(window->styleSheet(), sheet);
        EXPECT_EQ(window->windowIcon().pixmap(32, 32).toImage().pixelColor(16, 16), QColor(Qt::magenta));
    }
}

TEST_F(BrandedWindow, BannerClickOpensItsAddressOnlyWhenThereIsOne)
{
    for (const std::string address : {"http://banner.example/go", ""}) {
        Brand(Tag("Banner1", "ad.png^" + address + "^"));
        Put("banner1.dat", StillPicture("PNG", 100, 20));
        launcher.started.clear();
        auto window = Open();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        const Qt::CursorShape cursor = address.empty() ? Qt::ArrowCursor : Qt::PointingHandCursor;
        EXPECT_EQ(window->imgBanner->cursor().shape(), cursor);
        EXPECT_EQ(window->gifBanner->cursor().shape(), cursor);
        QTest::mouseClick(window->imgBanner, Qt::LeftButton);
        window->gifBannerClick();
        if (address.empty()) {
            EXPECT_TRUE(launcher.started.empty());
        } else {
            ASSERT_EQ(launcher.started.size(), 2u);
            EXPECT_EQ(launcher.started[0].second, address);
            EXPECT_EQ(launcher.started[1].second, address);
        }
    }
}

TEST_F(BrandedWindow, LinkPanelShowsThePickedLinks)
{
    struct Case {
        const char* name;
        std::string links;
        std::deque<unsigned> picks;
        bool shown;
        QString first, second;
        std::vector<std::string> opened; // clicking the first label, then the second
    };
    const Case cases[] = {
        {"no links", "", {}, false, "", "", {"", ""}},
        {"one link", Tag("Link1", "Only^http://only"), {0}, true, "Only", "", {"http://only", ""}},
        {"two picked from three", Tag("Link1", "A^http://a") + Tag("Link2", "B^http://b") + Tag("Link3", "C^http://c"),
            {2, 0}, true, "C", "A", {"http://c", "http://a"}},
        {"first picked has no caption", Tag("Link1", "^http://nameless") + Tag("Link2", "B^http://b"), {0, 0}, false,
            "", "B", {"http://nameless", "http://b"}},
        {"no address", Tag("Link1", "Caption only"), {0}, true, "Caption only", "", {"", ""}},
        {"address bytes that are not UTF-8 reach the shell as written", Tag("Link1", "Caf\xE9^http://caf\xE9.example"),
            {0}, true, QStringLiteral("Caf\u00E9"), "", {"http://caf\xE9.example", ""}},
    };
    for (const Case& c : cases) {
        Brand(Tag("ApplicationName", "Links") + c.links);
        picks = c.picks;
        launcher.opened.clear();
        auto window = Open();
        window->show();
        EXPECT_EQ(!window->panLinks->isHidden(), c.shown) << c.name;
        EXPECT_EQ(QTextDocumentFragment::fromHtml(window->lblLink1URL->text()).toPlainText(), c.first) << c.name;
        EXPECT_EQ(QTextDocumentFragment::fromHtml(window->lblLink2URL->text()).toPlainText(), c.second) << c.name;
        emit window->lblLink1URL->linkActivated(QStringLiteral("#"));
        emit window->lblLink2URL->linkActivated(QStringLiteral("#"));
        EXPECT_EQ(launcher.opened, c.opened) << c.name;
    }
}

TEST_F(BrandedWindow, ResellerSkinReplacesTheBuiltInOneOnlyWhenItIsWhole)
{
    const QString sheet = QStringLiteral("QWidget { background: #203040; color: #f0f0f0; }");
    const std::string good = SkinFileOf(sheet);
    std::string badZlib = good;
    badZlib[good.size() - 6] ^= 0x3c;
    const struct {
        const char* name;
        std::string file;
        bool worn;
    } cases[] = {
        {"whole", good, true},
        {"made by the tool's packer", PackSkinFile(sheet.toStdString()), true},
        {"padded after its data", good + std::string(1, '\0'), true},
        {"format 4", SkinFileOf(sheet, 4), false},
        {"shorter than its length says", good.substr(0, good.size() - 1), false},
        {"bad zlib", badZlib, false},
        {"style sheet that does not parse", SkinFileOf(QStringLiteral("QWidget { background: red; ")), false},
        {"not a skin at all", "garbage", false},
    };
    for (const auto& [name, file, worn] : cases) {
        Brand(Tag("ApplicationName", "Skinned"));
        Put("mainskin.dat", file);
        auto window = Open();
        EXPECT_EQ(window->styleSheet(), worn ? sheet : BuiltInSkin()) << name;
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
}

bool ShowsBuiltInIcon(const QWidget& window)
{
    return window.windowIcon().pixmap(32, 32).toImage() == BuiltInIcon().pixmap(32, 32).toImage();
}

TEST_F(BrandedWindow, SkinAndIconNeedTheBrandingFile)
{
    Put("mainskin.dat", SkinFileOf(QStringLiteral("QWidget { color: red; }")));
    Put("main.ico", StillPicture("ICO", 32, 32, Qt::magenta));
    auto window = Open();
    EXPECT_EQ(window->styleSheet(), BuiltInSkin());
    EXPECT_FALSE(window->styleSheet().isEmpty());
    EXPECT_TRUE(ShowsBuiltInIcon(*window));
}

TEST(BuiltInIcon, HoldsEverySizeTheDesktopAsksFor)
{
    const QList<QSize> sizes = BuiltInIcon().availableSizes();
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

TEST_F(BrandedWindow, IconFromMainIcoAndOurOwnInPlaceOfABrokenOne)
{
    const std::string icon = StillPicture("ICO", 32, 32, Qt::magenta);
    const std::pair<std::string, bool> cases[]
        = {{icon, true}, {icon.substr(0, icon.size() / 2), false}, {"not an icon", false}, {"", false}};
    for (const auto& [bytes, loaded] : cases) {
        Brand(Tag("ApplicationName", "Icon"));
        Put("main.ico", bytes);
        auto window = Open();
        EXPECT_EQ(ShowsBuiltInIcon(*window), !loaded) << bytes.size();
        if (loaded) {
            EXPECT_EQ(window->windowIcon().pixmap(32, 32).toImage().pixelColor(16, 16), QColor(Qt::magenta));
        }
    }
}

TEST_F(BrandedWindow, AboutWindowShowsTheBrandingOrEmptyValues)
{
    struct Case {
        std::string plain; // empty: no branding file
        QString caption, name, copyright;
        QStringList memoLines;
    };
    const Case cases[] = {
        {kFullBranding, "About Counter Pro...", "Counter Pro", "Copyright (c) 2003-2008 Reseller Ltd",
            {"First line", "Second line", "Third line"}},
        {"", "About ...", "", "Copyright (c)  ", {""}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(folder.File("dbsettings.dat"));
        if (!c.plain.empty())
            Brand(c.plain);
        auto window = Open();
        bool shown = false;
        answerDialog = [&](QDialog& dialog) {
            shown = true;
            auto& about = dynamic_cast<TfrmAbout&>(dialog);
            EXPECT_EQ(about.windowTitle(), c.caption);
            EXPECT_EQ(about.lblProductName->text(), c.name);
            EXPECT_TRUE(about.lblProductName->font().bold());
            EXPECT_EQ(about.lblProductVersion->text(), "Product Version: 2.01");
            EXPECT_EQ(about.lblCopyright->text(), c.copyright);
            EXPECT_EQ(about.memAbout->toPlainText().split('\n'), c.memoLines);
            EXPECT_TRUE(about.memAbout->isReadOnly());
            EXPECT_EQ(about.size(), QSize(368, 211));
            EXPECT_FALSE(about.windowFlags() & Qt::WindowCloseButtonHint);
            EXPECT_EQ(about.editAbout->text(), "Ok");
            // The window wears the main window's skin.
            EXPECT_EQ(about.parentWidget(), window.get());
            about.show();
            about.editAbout->click();
            EXPECT_EQ(about.result(), QDialog::Accepted);
            EXPECT_FALSE(about.isVisible());
            return about.result();
        };
        window->btnAbout->click();
        EXPECT_TRUE(shown);
    }
}

// Whether the item's text stands out from its background: inside the item's row, away from
// any frame, enough pixels differ clearly from the colour most of the row has to be letters.
bool ItemTextVisible(QAbstractItemView* view, int row)
{
    const QModelIndex index = view->model()->index(row, 0);
    view->setCurrentIndex(index);
    view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    QCoreApplication::processEvents();
    const QImage image = view->viewport()->grab().toImage();
    const QRect rect = view->visualRect(index).adjusted(8, 4, -8, -4).intersected(image.rect());
    std::map<QRgb, int> colours;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            ++colours[image.pixel(x, y)];
    const QColor background(
        std::max_element(colours.begin(), colours.end(), [](auto& a, auto& b) { return a.second < b.second; })->first);
    int letterPixels = 0;
    for (const auto& [rgb, count] : colours) {
        const QColor pixel(rgb);
        const int difference = std::abs(pixel.red() - background.red()) + std::abs(pixel.green() - background.green())
            + std::abs(pixel.blue() - background.blue());
        if (difference > 150)
            letterPixels += count;
    }
    return letterPixels >= 30;
}

TEST_F(BrandedWindow, EveryDropDownItemStaysReadableUnderEverySkin)
{
    const std::pair<const char*, QString> skins[] = {
        {"built-in", QString()},
        {"dark reseller skin",
            QStringLiteral("QWidget { background: #202020; color: #e0e0e0; } QComboBox { background: #303030; }")},
        {"light reseller skin", QStringLiteral("QComboBox { background: white; border: 1px solid gray; }")},
    };
    for (const auto& [name, sheet] : skins) {
        Brand(Tag("ApplicationName", "Drop-downs"));
        std::filesystem::remove(folder.File("mainskin.dat"));
        if (!sheet.isEmpty())
            Put("mainskin.dat", SkinFileOf(sheet));
        auto window = Open();
        // The start-up checks' request would disable the combo boxes, which closes a popup.
        window->Timer1->stop();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        for (QComboBox* box : {window->cbxQueryType, window->cbxRefType}) {
            box->showPopup();
            QAbstractItemView* view = box->view();
            // A loaded machine (a sanitizer build next to other work) can take longer than the
            // default five seconds to show a popup.
            ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window(), 30000));
            for (int row = 0; row < box->count(); ++row)
                EXPECT_TRUE(ItemTextVisible(view, row)) << name << " " << box->objectName().toStdString() << " " << row;
            box->hidePopup();
        }
    }
}

} // namespace
