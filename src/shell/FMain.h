#pragma once

// The main window: its two pages, its state, and the table of what each command runs.
// The work of each command lives in its own folder; this file only wires it up.

#include "branding/BrandingInfo.h"
#include "net/HttpClient.h"
#include "shell/AppContext.h"
#include "shell/AppVersion.h"
#include "site/ServerSettings.h"
#include "ui/MessageBox.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTextBrowser;
class QTimer;
class QToolButton;
class TLinkListView;
class TMessageHint;
class TNewsCommands;
class TStartupChecks;
class TStatistics;
class TPagePreparation;
class TUpdateCheck;
struct BrandingText;

class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(AppContext context, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // State kept for the whole run.
    ::BrandingInfo BrandingInfo;
    std::string WelcomeText, BannerUrl, BannerImageName, FirstLinkCaption, FirstLinkUrl, SecondLinkCaption,
        SecondLinkUrl, IconFileName;
    ::ServerSettings ServerSettings;
    std::vector<std::string> NewsList;
    std::vector<std::string> PageFiles;

    // Pages.
    QStackedWidget* pgcPrinc;
    QWidget* stsWelcome;
    QWidget* stsMain;
    QTextBrowser* prfWelcome;
    QPushButton* bsSkinButton1;
    // Toolbar.
    QPushButton* btnSimple;
    QPushButton* btnPrepareWebPages;
    QPushButton* btnMakeMoney;
    QPushButton* btnAbout;
    QToolButton* btnNews;
    QToolButton* bsSkinSpeedButton1;
    QToolButton* bsSkinSpeedButton2;
    // Banner.
    QFrame* panBanner;
    QLabel* imgBanner;
    QLabel* gifBanner;
    // Statistics.
    TLinkListView* lvwPages;
    QPushButton* btnSSelectAll;
    QPushButton* btnSClearAll;
    QPushButton* btnDeleteSeg;
    QPushButton* bsSkinButton4;
    QPushButton* btnRevfreshSegments;
    QLabel* lblTotalHits;
    QSplitter* splitter;
    TLinkListView* lvwReferers;
    QComboBox* cbxQueryType;
    QComboBox* cbxRefType;
    QLabel* lblRefersHits;
    // Links and status bar.
    QFrame* panLinks;
    QLabel* lblLink1URL;
    QLabel* lblLink2URL;
    QLabel* MainStatusPanel;
    QProgressBar* MainGauge;
    QTimer* Timer1;
    TMessageHint* LMDMessageHint1;

    TMessageBox msgMain;
    net::HttpClient IdHTTP1;

    const AppContext& Context() const { return context_; }

    // Handlers, by the control and event they belong to.
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormClose();
    void bsSkinButton1Click();
    void btnHelpClick();
    void btnMakeMoneyClick();
    void btnAboutClick();
    void btnUpdateClick();
    void btnNewsClick();
    void Timer1Timer();
    void btnSimpleClick();
    void btnPrepareWebPagesClick();
    void btnRevfreshSegmentsClick();
    void btnSSelectAllClick();
    void btnSClearAllClick();
    void lvwPagesSelectItem(int row, bool selected);
    void cbxQueryTypeChange();
    void cbxRefTypeChange();
    void btnDeleteSegClick();
    void bsSkinButton4Click();

    void imgBannerClick();
    void gifBannerClick();

    // Branding: reads dbsettings.dat and shows what it says and what this start picked.
    void LoadBranding();

    void LoadServerSettings();
    void SaveServerSettings();

    // Web page preparation.
    std::string GetIncludePath();
    void CollectPageFiles(const std::string& folder, bool subFolders);

    // Hit statistics.
    bool CheckServer();
    bool RefreshPages();
    bool FillPageList(const std::string& answer);
    bool LoadReferers(int queryType, int refererType, const std::string& pageCode);
    bool FillRefererList(const std::string& answer);
    bool DeletePages(const std::string& deleteList);

    // News and updates.
    void CheckForUpdate(bool Silent);
    void ShowMessageHint(const std::string& text);

    // Holds back every command that could start a request or a run, and gives them back.
    void SetCommandsEnabled(bool enabled);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWindow();
    QWidget* BuildMainPage();
    QWidget* BuildStatisticsArea();
    QWidget* BuildWelcomePage();
    void CenterBannerViews();
    // The welcome page, banner and link picks, the skin and the icon of a branded start.
    void SetUpRotation(const BrandingText& branding);
    void OpenLinkLabel(const QLabel* label);
    int ShowModal(class QDialog& dialog);
    void ProcessPendingEvents();

    AppContext context_;
    std::unique_ptr<TStatistics> statistics_;
    std::unique_ptr<TPagePreparation> preparation_;
    std::unique_ptr<TNewsCommands> news_;
    std::unique_ptr<TUpdateCheck> updates_;
    std::unique_ptr<TStartupChecks> startupChecks_;
    bool shown_ = false;
};
