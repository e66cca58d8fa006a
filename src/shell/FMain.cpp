#include "shell/FMain.h"

#include "branding/BrandingFile.h"
#include "branding/BrandingRotation.h"
#include "branding/BrandingView.h"
#include "branding/SkinFile.h"
#include "history/FHistory.h"
#include "history/HistoryPages.h"
#include "news/FNews.h"
#include "news/NewsCommands.h"
#include "news/StartupChecks.h"
#include "news/UpdateCheck.h"
#include "platform/Launcher.h"
#include "shell/FAbout.h"
#include "shell/FMainBuild.h"
#include "shell/UUtils.h"
#include "site/FPrepare.h"
#include "site/FSettings.h"
#include "site/PagePreparationRun.h"
#include "site/SettingsFiles.h"
#include "stats/ListCommands.h"
#include "stats/Statistics.h"
#include "text/TextRoutines.h"
#include "ui/LinkListView.h"
#include "ui/MessageHint.h"
#include "ui/Text.h"
#include "ui/UnexpectedError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include <filesystem>

namespace {

std::string InProgramDirectory(const std::string& programDirectory, const std::string& name)
{
    return (std::filesystem::path(programDirectory) / name).string();
}

} // namespace

TfrmMain::TfrmMain(AppContext context, QWidget* parent)
    : QWidget(parent),
      msgMain(context.messageResponder ? context.messageResponder : DialogResponder(this)),
      IdHTTP1([this] { ProcessPendingEvents(); }, context.httpLimits),
      context_(std::move(context))
{
    if (!context_.launcher)
        context_.launcher = &platform::SystemLauncher();
    if (!context_.chooseFolder)
        context_.chooseFolder = DialogFolderChooser();
    if (!context_.chooseSaveFile)
        context_.chooseSaveFile = DialogCsvFileChooser();
    if (!context_.random)
        context_.random = SystemRandomPick();
    if (!context_.clock)
        context_.clock = [] { return QDateTime::currentSecsSinceEpoch(); };
    if (!context_.readLastNewsId)
        context_.readLastNewsId = [this] { return ReadLastNewsId(context_.programDirectory); };
    if (!context_.writeLastNewsId)
        context_.writeLastNewsId = [this](const std::string& id) { WriteLastNewsId(context_.programDirectory, id); };
    BuildWindow();
    statistics_ = std::make_unique<TStatistics>(IdHTTP1, ServerSettings, msgMain,
        StatisticsView{lvwPages, lblTotalHits, lvwReferers, lblRefersHits, cbxQueryType, cbxRefType, MainStatusPanel},
        [this] { ProcessPendingEvents(); });
    listCommands_ = std::make_unique<TListCommands>(
        msgMain, context_.chooseSaveFile, [this](const std::string& address) { OpenUrl(address, *context_.launcher); },
        ListCommandsView{lvwPages, lvwReferers, edtPageFilter, lblPageFilter, btnSSelectAll, btnDeleteSeg,
            bsSkinButton4, btnRevfreshSegments},
        this);
    listCommands_->OnShowHistory = [this](const std::string& pageCode, const std::string& url) {
        ShowHistory({HistoryPage{pageCode, url}});
    };
    preparation_ = std::make_unique<TPagePreparation>(
        IdHTTP1, ServerSettings, msgMain, context_.chooseFolder, context_.programDirectory, this, MainStatusPanel,
        MainGauge, PageFiles, [this] { ProcessPendingEvents(); }, [this](bool hold) { SetCommandsEnabled(!hold); });
    preparation_->SetShowModal([this](TfrmPrepare& window) { return ShowModal(window); });
    news_ = std::make_unique<TNewsCommands>(IdHTTP1, BrandingInfo, NewsList, msgMain,
        LastNewsIdStore{context_.readLastNewsId, context_.writeLastNewsId}, *LMDMessageHint1, this, btnNews,
        [this](TfrmNews& window) { return ShowModal(window); });
    news_->OnOpenLink = [this](const std::string& address) { OpenContentLink(address); };
    updates_ = std::make_unique<TUpdateCheck>(IdHTTP1, context_.programDirectory, context_.updateBaseUrl, kAppVersion,
        msgMain, *context_.launcher, [this] { close(); });
    startupChecks_ = std::make_unique<TStartupChecks>(std::vector<TStartupChecks::Step>{
        [this] { news_->CheckForNewMessage(); },
        [this] { CheckForUpdate(true); },
        [this] {
            if (CheckServer())
                RefreshPages();
        },
    });
    IdHTTP1.OnBusyChanged = [this](bool busy) { SetCommandsEnabled(!busy); };
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::FormCreate()
{
    gifBanner->setGeometry(imgBanner->geometry());
    LoadBranding();
    if (!context_.welcomeText.empty())
        WelcomeText = context_.welcomeText;
    // With a welcome page the deferred checks wait until the user leaves it.
    if (WelcomeText.empty()) {
        Timer1->start();
    } else {
        stsWelcome = BuildWelcomePage();
        pgcPrinc->insertWidget(0, stsWelcome);
    }
    NewsList.clear();
    LoadServerSettings();
    PageFiles.clear();
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmMain::FormShow()
{
    // Every page is laid out once before the first one is shown.
    for (int index = 0; index < pgcPrinc->count(); ++index) {
        pgcPrinc->setCurrentIndex(index);
        ProcessPendingEvents();
    }
    pgcPrinc->setCurrentIndex(0);
    if (stsWelcome) {
        prfWelcome->setHtml(ToDisplay(WelcomeText));
        prfWelcome->setFocus();
    }
    CenterBannerViews();
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormResize()
{
    CenterBannerViews();
}

void TfrmMain::CenterBannerViews()
{
    // The panel's layout has not run yet before the first show; its width follows the window.
    const int panelWidth = panBanner->isVisible() ? panBanner->width() : width();
    for (QLabel* view : {imgBanner, gifBanner})
        view->move(panelWidth / 2 - view->width() / 2, panBanner->height() / 2 - view->height() / 2);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmMain::FormClose()
{
    // A request still waiting ends at once; nothing may ask the user anything any more.
    msgMain.Silence();
    Timer1->stop();
    startupChecks_->Stop();
    LMDMessageHint1->HideMessage();
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            IdHTTP1.Disconnect();
        } catch (...) { }
    }
    ProcessPendingEvents();
}

void TfrmMain::bsSkinButton1Click()
{
    pgcPrinc->setCurrentWidget(stsMain);
    if (!WelcomeText.empty())
        Timer1->start();
}

void TfrmMain::btnHelpClick()
{
    OpenUrl(BrandingInfo.AppHelpURL, *context_.launcher);
}

void TfrmMain::btnMakeMoneyClick()
{
    OpenUrl(BrandingInfo.AffiliateURL, *context_.launcher);
}

void TfrmMain::btnAboutClick()
{
    TfrmAbout window(BrandingInfo, this);
    ShowModal(window);
}

void TfrmMain::imgBannerClick()
{
    if (!BannerUrl.empty())
        OpenUrl(BannerUrl, *context_.launcher);
}

void TfrmMain::gifBannerClick()
{
    imgBannerClick();
}

void TfrmMain::LoadBranding()
{
    const std::optional<BrandingFileContents> file = ReadBrandingFile(context_.programDirectory);
    if (!file)
        return;
    const BrandingText branding = ReadBrandingText(BrandingLines(file->plain));
    BrandingInfo = branding.BrandingInfo;
    setWindowTitle(ToDisplay(BrandingInfo.ApplicationName + " v" + kAppVersion));
    btnNews->setVisible(NewsButtonVisible(BrandingInfo));
    btnMakeMoney->setText(ToDisplay(MakeMoneyCaption(BrandingInfo)));
    SetUpRotation(branding);
}

void TfrmMain::SetUpRotation(const BrandingText& branding)
{
    const std::string& folder = context_.programDirectory;
    const Rotation picked = PickRotation(branding.welcomePages, branding.banners, branding.links, context_.random);
    WelcomeText = picked.WelcomeText;
    BannerImageName = picked.BannerImageName;
    BannerUrl = picked.BannerUrl;
    FirstLinkCaption = picked.FirstLinkCaption;
    FirstLinkUrl = picked.FirstLinkUrl;
    SecondLinkCaption = picked.SecondLinkCaption;
    SecondLinkUrl = picked.SecondLinkUrl;

    if (!BannerUrl.empty()) {
        imgBanner->setCursor(Qt::PointingHandCursor);
        gifBanner->setCursor(Qt::PointingHandCursor);
    }
    // The banner file is read where it lies; its display name only tells the picture format.
    if (BannerImageName.empty()
        || !ShowBannerPicture({panBanner, imgBanner, gifBanner},
            InProgramDirectory(folder, BannerFileName(picked.bannerNumber)),
            InProgramDirectory(folder, BannerDisplayName(BannerImageName))))
        panBanner->hide();

    panLinks->setVisible(!FirstLinkCaption.empty());
    SetLink(lblLink1URL, FirstLinkCaption, FirstLinkUrl);
    SetLink(lblLink2URL, SecondLinkCaption, SecondLinkUrl);

    if (const std::optional<QString> skin = LoadSkinStyleSheet(InProgramDirectory(folder, kSkinFileName)))
        setStyleSheet(*skin);
    IconFileName = "main.ico";
    if (const std::optional<QIcon> icon = LoadIconFile(InProgramDirectory(folder, IconFileName)))
        setWindowIcon(*icon);
}

void TfrmMain::btnUpdateClick()
{
    CheckForUpdate(false);
}

void TfrmMain::btnNewsClick()
{
    news_->btnNewsClick();
}

void TfrmMain::Timer1Timer()
{
    Timer1->stop();
    startupChecks_->Run();
}

void TfrmMain::btnSimpleClick()
{
    TfrmSettings window(ServerSettings, this);
    if (ShowModal(window) == QDialog::Accepted)
        SaveServerSettings();
}

void TfrmMain::LoadServerSettings()
{
    if (auto settings = LoadServerSettingsFile(SettingsDirectory()))
        ServerSettings = *settings;
}

void TfrmMain::SaveServerSettings()
{
    // The user's own folder may not exist yet; the program's folder is never made.
    if (SettingsDirectory() != context_.programDirectory) {
        std::error_code error;
        std::filesystem::create_directories(SettingsDirectory(), error);
    }
    SaveServerSettingsFiles(SettingsDirectory(), ServerSettings);
}

const std::string& TfrmMain::SettingsDirectory() const
{
    return context_.settingsDirectory.empty() ? context_.programDirectory : context_.settingsDirectory;
}

void TfrmMain::btnPrepareWebPagesClick()
{
    preparation_->Run();
}
std::string TfrmMain::GetIncludePath()
{
    return preparation_->GetIncludePath();
}
void TfrmMain::CollectPageFiles(const std::string& folder, bool subFolders)
{
    preparation_->CollectPageFiles(folder, subFolders);
}

bool TfrmMain::CheckServer()
{
    return statistics_->CheckServer();
}
bool TfrmMain::RefreshPages()
{
    return statistics_->RefreshPages();
}
bool TfrmMain::FillPageList(const std::string& answer)
{
    return statistics_->FillPageList(answer);
}
bool TfrmMain::LoadReferers(int queryType, int refererType, const std::string& pageCode)
{
    return statistics_->LoadReferers(queryType, refererType, pageCode);
}
bool TfrmMain::FillRefererList(const std::string& answer)
{
    return statistics_->FillRefererList(answer);
}
bool TfrmMain::DeletePages(const std::string& deleteList)
{
    return statistics_->DeletePages(deleteList);
}
void TfrmMain::CheckForUpdate(bool Silent)
{
    updates_->CheckForUpdate(Silent);
}
void TfrmMain::ShowMessageHint(const std::string& text)
{
    news_->ShowMessageHint(text);
}
void TfrmMain::btnRevfreshSegmentsClick()
{
    statistics_->btnRevfreshSegmentsClick();
}
void TfrmMain::btnSSelectAllClick()
{
    statistics_->btnSSelectAllClick();
}
void TfrmMain::btnSClearAllClick()
{
    statistics_->btnSClearAllClick();
}
void TfrmMain::lvwPagesSelectItem(int row, bool selected)
{
    statistics_->lvwPagesSelectItem(row, selected);
}
void TfrmMain::cbxQueryTypeChange()
{
    statistics_->cbxQueryTypeChange();
}
void TfrmMain::cbxRefTypeChange()
{
    statistics_->cbxRefTypeChange();
}
void TfrmMain::btnDeleteSegClick()
{
    statistics_->btnDeleteSegClick();
}
void TfrmMain::bsSkinButton4Click()
{
    statistics_->bsSkinButton4Click();
}
void TfrmMain::edtPageFilterChange()
{
    listCommands_->edtPageFilterChange();
}
void TfrmMain::lvwPagesContextPopup(const QPoint& position)
{
    listCommands_->lvwPagesContextPopup(position);
}
void TfrmMain::lvwReferersContextPopup(const QPoint& position)
{
    listCommands_->lvwReferersContextPopup(position);
}

void TfrmMain::btnHistoryClick()
{
    ShowHistory(PagesForHistory(*lvwPages));
}
void TfrmMain::ShowHistory(const std::vector<HistoryPage>& pages)
{
    TfrmHistory window(pages,
        {&IdHTTP1, ServerSettings.siteUrl, &msgMain, context_.chooseSaveFile, context_.clock,
            TimeZoneNamed(context_.timeZone)},
        this);
    ShowModal(window);
}

void TfrmMain::SetCommandsEnabled(bool enabled)
{
    for (QWidget* command :
        std::initializer_list<QWidget*>{btnSimple, btnPrepareWebPages, btnNews, bsSkinSpeedButton1, btnSSelectAll,
            btnSClearAll, btnDeleteSeg, bsSkinButton4, btnRevfreshSegments, btnHistory, cbxQueryType, cbxRefType})
        command->setEnabled(enabled);
    // The page list keeps its focus; it only refuses to move its selection.
    lvwPages->SetBusy(!enabled);
    if (listCommands_)
        listCommands_->SetCommandsEnabled(enabled);
}

void TfrmMain::OpenContentLink(const std::string& address)
{
    if (IsWebOrMailAddress(address))
        OpenUrl(address, *context_.launcher);
}

void TfrmMain::OpenLinkLabel(const QLabel* label)
{
    context_.launcher->ShellOpen(LinkAddress(*label));
}

int TfrmMain::ShowModal(QDialog& dialog)
{
    if (context_.showModal)
        return context_.showModal(dialog);
    return dialog.exec();
}

void TfrmMain::ProcessPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
