#include "branding/BrandingFile.h"
#include "shell/FMain.h"
#include "site/FPrepare.h"
#include "site/FSettings.h"
#include "site/SettingsFiles.h"
#include "support/FakeLauncher.h"
#include "support/Placement.h"
#include "support/RecordingServer.h"
#include "support/TempDir.h"
#include "support/TestMain.h"
#include "ui/LinkListView.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct Message {
    std::string text;
    MessageKind kind;
    MessageButtons buttons;
};

class MainWindow : public testing::Test {
protected:
    std::unique_ptr<TfrmMain> Open(const std::string& programDirectory, const std::string& settingsDirectory = {})
    {
        AppContext context;
        context.programDirectory = programDirectory;
        context.settingsDirectory = settingsDirectory;
        context.launcher = &launcher;
        context.messageResponder = [this](const std::string& text, MessageKind kind, MessageButtons buttons) {
            messages.push_back({text, kind, buttons});
            return true;
        };
        context.showModal = [this](QDialog& dialog) { return answerDialog ? answerDialog(dialog) : 0; };
        auto window = std::make_unique<TfrmMain>(std::move(context));
        return window;
    }

    TempDir folder;
    FakeLauncher launcher;
    std::vector<Message> messages;
    std::function<int(QDialog&)> answerDialog;
};

// Answers the Settings window by typing the values and pressing a button.
std::function<int(QDialog&)> TypeSettings(const ServerSettings& values, bool pressOk)
{
    return [values, pressOk](QDialog& dialog) {
        auto& window = dynamic_cast<TfrmSettings&>(dialog);
        window.edtSite->setText(QString::fromStdString(values.siteUrl));
        window.edtHostname->setText(QString::fromStdString(values.hostname));
        window.edtDatabase->setText(QString::fromStdString(values.database));
        window.edtUsername->setText(QString::fromStdString(values.username));
        window.edtPassword->setText(QString::fromStdString(values.password));
        (pressOk ? window.btnOk : window.btnCancel)->click();
        return dialog.result();
    };
}

} // namespace

TEST_F(MainWindow, OpensOnTheMainPageWithEveryControlWhenNotBranded)
{
    auto window = Open(folder.Path().string());
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->Timer1->interval(), 100);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    EXPECT_EQ(window->windowTitle(), "Tallywick");
    EXPECT_EQ(window->pgcPrinc->count(), 1);
    EXPECT_EQ(window->pgcPrinc->currentWidget(), window->stsMain);
    EXPECT_EQ(window->stsWelcome, nullptr);
    // The HTML view is built only for a welcome page to show.
    EXPECT_EQ(window->findChild<QTextBrowser*>(), nullptr);
    EXPECT_EQ(window->size(), QSize(832, 553));

    const std::vector<std::pair<QString, QString>> buttons{{"btnSimple", "Settings"},
        {"btnPrepareWebPages", "Prepare Web Pages"}, {"btnMakeMoney", "Make Money"}, {"btnAbout", "About"},
        {"btnSSelectAll", "Select All"}, {"btnSClearAll", "Clear Selection"}, {"btnDeleteSeg", "Delete"},
        {"bsSkinButton4", "Delete All"}, {"btnRevfreshSegments", "Refresh"}};
    for (const auto& [name, caption] : buttons) {
        auto* button = window->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name.toStdString();
        EXPECT_EQ(button->text(), caption);
        EXPECT_TRUE(button->isVisible());
    }
    const std::vector<std::pair<QString, QString>> pictures{
        {"btnNews", "Check News"}, {"bsSkinSpeedButton1", "Check Updates"}, {"bsSkinSpeedButton2", "Help"}};
    for (const auto& [name, hint] : pictures) {
        auto* button = window->findChild<QToolButton*>(name);
        ASSERT_NE(button, nullptr) << name.toStdString();
        EXPECT_EQ(button->toolTip(), hint);
        EXPECT_EQ(button->size(), QSize(41, 34));
        EXPECT_TRUE(button->isVisible());
    }
    EXPECT_EQ(window->lblTotalHits->text(), "Total: 0 hits");
    EXPECT_EQ(window->lblRefersHits->text(), "Total: 0 hits");
    EXPECT_EQ(window->cbxQueryType->currentText(), "None");
    EXPECT_EQ(window->cbxRefType->currentText(), "No Advertising Sites");
    EXPECT_EQ(window->lvwPages->model()->headerData(0, Qt::Horizontal).toString(), "Web Page URL");
    EXPECT_EQ(window->lvwReferers->model()->columnCount(), 4);
    EXPECT_TRUE(window->panBanner->isVisible());
    EXPECT_EQ(window->panBanner->height(), 65);
    EXPECT_TRUE(window->panLinks->isVisible());
    EXPECT_TRUE(window->lblLink1URL->text().contains("Google"));
    EXPECT_TRUE(window->lblLink2URL->text().contains("Google"));
    EXPECT_EQ(window->MainGauge->width(), 130);
    EXPECT_EQ(window->splitter->handleWidth(), 10);
}

TEST_F(MainWindow, OpensCentredOnTheScreen)
{
    auto window = Open(folder.Path().string());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->size(), QSize(832, 553));
    ExpectCentredOn(QRect(window->pos(), window->size()), window->screen()->availableGeometry());
}

TEST_F(MainWindow, HelpAndAffiliateOpenTheBrowserEvenWithAnEmptyAddress)
{
    auto window = Open(folder.Path().string());
    window->bsSkinSpeedButton2->click();
    window->btnMakeMoney->click();
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(launcher.started[0].second, "");
    EXPECT_EQ(launcher.started[1].second, "");
}

TEST_F(MainWindow, LinkLabelOpensItsAddressThroughTheShell)
{
    auto window = Open(folder.Path().string());
    window->show();
    emit window->lblLink1URL->linkActivated(QStringLiteral("#"));
    EXPECT_EQ(launcher.opened, std::vector<std::string>{"https://www.google.com/"});
}

TEST_F(MainWindow, BannerViewsStayCentredWhenTheWindowIsResized)
{
    auto window = Open(folder.Path().string());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    for (const QSize size : {QSize(1000, 700), QSize(640, 480)}) {
        window->resize(size);
        QCoreApplication::processEvents();
        for (QLabel* view : {window->imgBanner, window->gifBanner}) {
            EXPECT_EQ(view->x(), window->panBanner->width() / 2 - view->width() / 2);
            EXPECT_EQ(view->y(), window->panBanner->height() / 2 - view->height() / 2);
        }
        EXPECT_EQ(window->panBanner->height(), 65);
    }
}

TEST_F(MainWindow, SettingsOkWritesBothFilesAndALaterStartReadsThemBack)
{
    const ServerSettings typed{"http://site.example/counter", "db.host", "stats", "owner", "a\"b$c\\d"};
    {
        auto window = Open(folder.Path().string());
        answerDialog = TypeSettings(typed, true);
        window->btnSimple->click();
        EXPECT_EQ(window->ServerSettings, typed);
    }
    EXPECT_EQ(ReadWholeFile(folder.File("hsettings.dat")),
        "[Settings]\r\nswebserver=http://site.example/counter\r\nshostname=db.host\r\nsdatabase=stats\r\n"
        "susername=owner\r\nspassword=a\"b$c\\d\r\n");
    EXPECT_NE(ReadWholeFile(folder.File("config.php")).find("  $password=\"a\\\"b\\$c\\\\d\";\r\n"), std::string::npos);

    auto later = Open(folder.Path().string());
    EXPECT_EQ(later->ServerSettings, typed);
}

TEST_F(MainWindow, AnInstalledCopyKeepsSettingsInTheUsersFolderAndBrandingBesideItself)
{
    const std::filesystem::path program = folder.Path() / "usr" / "bin";
    const std::filesystem::path user = folder.Path() / "home" / ".config" / "tallywick"; // not there yet
    std::filesystem::create_directories(program);
    ASSERT_EQ(WriteBrandingFile(program.string(), "<%%ApplicationName%%>Counter Pro<%%/ApplicationName%%>\r\n"), "");
    const std::string stray = "[Settings]\r\nswebserver=http://beside.example\r\n";
    WriteWholeFile((program / "hsettings.dat").string(), stray);

    const ServerSettings typed{"http://site.example/counter", "db.host", "stats", "owner", "pw"};
    {
        auto window = Open(program.string(), user.string());
        EXPECT_EQ(window->windowTitle(), "Counter Pro v2.01");
        EXPECT_EQ(window->ServerSettings, ServerSettings{});
        answerDialog = TypeSettings(typed, true);
        window->btnSimple->click();
    }
    EXPECT_EQ(ReadServerSettingsText(ReadWholeFile((user / "hsettings.dat").string())), typed);
    EXPECT_EQ(ReadWholeFile((user / "config.php").string()), MakeConfigPhp(typed));
    EXPECT_EQ(ReadWholeFile((program / "hsettings.dat").string()), stray);
    EXPECT_FALSE(std::filesystem::exists(program / "config.php"));

    EXPECT_EQ(Open(program.string(), user.string())->ServerSettings, typed);
}

TEST_F(MainWindow, SettingsWindowOpensCentredAndFilledWithTheCurrentSettings)
{
    WriteWholeFile(folder.File("hsettings.dat"),
        "[Settings]\r\nswebserver=http://site.example/c\r\nshostname=caf\xe9\r\nsdatabase=st\xc3\xa4ts\r\n"
        "susername=owner\r\nspassword=p\"w$\r\n");
    auto window = Open(folder.Path().string());
    std::vector<QString> shown;
    answerDialog = [&](QDialog& dialog) {
        auto& settings = dynamic_cast<TfrmSettings&>(dialog);
        for (QLineEdit* edit :
            {settings.edtSite, settings.edtHostname, settings.edtDatabase, settings.edtUsername, settings.edtPassword})
            shown.push_back(edit->text());
        ExpectCentredOn(QRect(dialog.pos(), dialog.size()), dialog.screen()->availableGeometry());
        settings.btnCancel->click();
        return dialog.result();
    };
    window->btnSimple->click();
    EXPECT_EQ(shown,
        (std::vector<QString>{"http://site.example/c", QString::fromUtf8("caf\xc3\xa9"),
            QString::fromUtf8("st\xc3\xa4ts"), "owner", "p\"w$"}));
}

TEST_F(MainWindow, SettingsOkKeepsTheBytesOfEveryValueLeftAsItWas)
{
    // Windows-1252 bytes, shown as their characters: only the edited value comes back as UTF-8.
    WriteWholeFile(folder.File("hsettings.dat"),
        "[Settings]\r\nswebserver=http://site/c\r\nshostname=caf\xe9\r\nsdatabase=d\xe9j\xe0\r\n"
        "susername=old\r\nspassword=\x80uro\r\n");
    auto window = Open(folder.Path().string());
    answerDialog = [](QDialog& dialog) {
        auto& settings = dynamic_cast<TfrmSettings&>(dialog);
        settings.edtUsername->setText(QString::fromUtf8("\xc3\xa9l\xc3\xa8ve"));
        settings.btnOk->click();
        return dialog.result();
    };
    window->btnSimple->click();

    EXPECT_EQ(window->ServerSettings,
        (ServerSettings{"http://site/c", "caf\xe9", "d\xe9j\xe0", "\xc3\xa9l\xc3\xa8ve", "\x80uro"}));
    EXPECT_EQ(ReadWholeFile(folder.File("hsettings.dat")),
        "[Settings]\r\nswebserver=http://site/c\r\nshostname=caf\xe9\r\nsdatabase=d\xe9j\xe0\r\n"
        "susername=\xc3\xa9l\xc3\xa8ve\r\nspassword=\x80uro\r\n");
    const std::string config = ReadWholeFile(folder.File("config.php"));
    EXPECT_NE(config.find("  $hostname=\"caf\xe9\";\r\n"), std::string::npos);
    EXPECT_NE(config.find("  $password=\"\x80uro\";\r\n"), std::string::npos);
}

TEST_F(MainWindow, SettingsCancelWritesNothingAndChangesNothing)
{
    auto window = Open(folder.Path().string());
    answerDialog = TypeSettings({"http://other", "h", "d", "u", "p"}, false);
    window->btnSimple->click();
    EXPECT_EQ(window->ServerSettings, ServerSettings{});
    EXPECT_FALSE(std::filesystem::exists(folder.File("hsettings.dat")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("config.php")));
}

TEST_F(MainWindow, SettingsThatCannotBeWrittenReachTheErrorHandlerAndStayInForce)
{
    const std::string missing = folder.File("gone");
    auto window = Open(missing);
    answerDialog = TypeSettings({"http://site", "h", "d", "u", "p"}, true);
    UnexpectedErrorsSeen().clear();
    window->show();
    QTest::mouseClick(window->btnSimple, Qt::LeftButton);
    ASSERT_EQ(UnexpectedErrorsSeen().size(), 1u);
    EXPECT_NE(UnexpectedErrorsSeen()[0].find("Unable to write to " + missing + "/hsettings.dat"), std::string::npos);
    EXPECT_EQ(window->ServerSettings.siteUrl, "http://site");
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(SettingsWindow, HasNoCloseBoxAndTabsThroughTheEditsThenTheButtons)
{
    ServerSettings settings{"a", "b", "c", "d", "e"};
    TfrmSettings window(settings);
    EXPECT_EQ(window.windowTitle(), "Settings");
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window.edtPassword->echoMode(), QLineEdit::Normal);
    std::vector<QWidget*> order{window.edtSite};
    for (QWidget* next = window.edtSite->nextInFocusChain(); order.size() < 7; next = next->nextInFocusChain())
        if (next->focusPolicy() & Qt::TabFocus)
            order.push_back(next);
    EXPECT_EQ(order,
        (std::vector<QWidget*>{window.edtSite, window.edtHostname, window.edtDatabase, window.edtUsername,
            window.edtPassword, window.btnOk, window.btnCancel}));
    window.edtHostname->setText("changed");
    window.btnCancel->click();
    EXPECT_EQ(settings.hostname, "b");
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(MainWindow, PrepareWebPagesRunsFromTheToolbarAndReportsInTheStatusBar)
{
    const std::string line
        = "<?php if (is_file('/home/site/counter/main.php')) include '/home/site/counter/main.php';?>";
    RecordingServer server;
    server.Answer("/showmainpath.php", ServerAnswer::Text("/home/site/counter/main.php"));
    TempDir site;
    WriteWholeFile(site.File("index.php"), "<html>\n");
    WriteWholeFile(site.File("notes.txt"), "left alone");
    auto window = Open(folder.Path().string());
    window->Timer1->stop();
    window->ServerSettings.siteUrl = server.Url();
    answerDialog = [&](QDialog& dialog) {
        auto& prepare = dynamic_cast<TfrmPrepare&>(dialog);
        EXPECT_EQ(prepare.edtCode->text().toStdString(), line);
        prepare.edtFolder->setText(QString::fromStdString(site.Path().string()));
        prepare.btnStart->click();
        return dialog.result();
    };
    window->btnPrepareWebPages->click();

    EXPECT_EQ(server.LastRequest().method, "GET");
    EXPECT_EQ(server.LastRequest().path, "/showmainpath.php");
    EXPECT_EQ(ReadWholeFile(site.File("index.php")), line + "\r\n<html>\r\n");
    EXPECT_EQ(ReadWholeFile(site.File("notes.txt")), "left alone");
    EXPECT_EQ(window->MainStatusPanel->text(), "Process Completed: 1 files modified");
    EXPECT_EQ(window->MainGauge->value(), window->MainGauge->maximum());
    EXPECT_EQ(window->PageFiles, std::vector<std::string>{site.File("index.php")});
    EXPECT_TRUE(window->btnPrepareWebPages->isEnabled());
}
