#include "shell/FMain.h"

#include "branding/BrandingFile.h"
#include "branding/BrandingRotation.h"
#include "branding/BrandingView.h"
#include "branding/SkinFile.h"
#include "news/FNews.h"
#include "news/NewsCommands.h"
#include "news/StartupChecks.h"
#include "news/UpdateCheck.h"
#include "platform/Launcher.h"
#include "shell/FAbout.h"
#include "shell/UUtils.h"
#include "site/FPrepare.h"
#include "site/FSettings.h"
#include "site/PagePreparationRun.h"
#include "site/SettingsFiles.h"
#include "stats/Statistics.h"
#include "ui/LinkListView.h"
#include "ui/MessageHint.h"
#include "ui/Skin.h"
#include "ui/Text.h"
#include "ui/UnexpectedError.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

namespace {

constexpr const char* kDesignLinkCaption = "Google";
constexpr const char* kDesignLinkUrl = "https://www.google.com/";
constexpr const char* kAddressProperty = "address";

QFrame* Bar(const char* name, int height, QWidget* parent)
{
    auto* bar = new QFrame(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setFixedHeight(height);
    return bar;
}

QPushButton* TextButton(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// A round badge with one sign on it, drawn here so the toolbar looks the same everywhere.
QIcon BadgeIcon(const QString& sign, const QColor& colour)
{
    QPixmap picture(48, 48);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(3, 3, 42, 42));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(28);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(3, 3, 42, 42), Qt::AlignCenter, sign);
    return QIcon(picture);
}

QToolButton* PictureButton(const char* name, const char* hint, const QIcon& picture, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromLatin1(hint));
    button->setIcon(picture);
    button->setIconSize(QSize(24, 24));
    button->setFixedSize(41, 34);
    button->setAutoRaise(true);
    return button;
}

void SetLink(QLabel* label, const std::string& caption, const std::string& address)
{
    label->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(ToDisplay(caption).toHtmlEscaped()));
    label->setProperty(kAddressProperty, QByteArray::fromStdString(address));
}

// Under a style sheet the combo box's own menu delegate paints the current item with the
// sheet's background and the highlight's text colour, which may be the same: white on white
// under our skin. The list view's delegate follows the view's selection colours instead.
void UseReadableDropDown(QComboBox* box)
{
    box->setItemDelegate(new QStyledItemDelegate(box));
}

// Enter and the keypad's Enter on the welcome page press its button. The main window is no
// dialog, so the default button alone would never see Enter while the HTML view has the
// focus; the keys reach the window itself once the view has passed them on, or when nothing
// has the focus, as in a window not yet activated.
class WelcomeEnterFilter final : public QObject {
public:
    explicit WelcomeEnterFilter(TfrmMain* window)
        : QObject(window),
          window_(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || window_->stsWelcome == nullptr
            || window_->pgcPrinc->currentWidget() != window_->stsWelcome)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        window_->bsSkinButton1->click();
        return true;
    }

private:
    TfrmMain* window_;
};

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
    if (!context_.random)
        context_.random = SystemRandomPick();
    if (!context_.readLastNewsId)
        context_.readLastNewsId = [this] { return ReadLastNewsId(context_.programDirectory); };
    if (!context_.writeLastNewsId)
        context_.writeLastNewsId = [this](const std::string& id) { WriteLastNewsId(context_.programDirectory, id); };
    BuildWindow();
    statistics_ = std::make_unique<TStatistics>(IdHTTP1, ServerSettings, msgMain,
        StatisticsView{lvwPages, lblTotalHits, lvwReferers, lblRefersHits, cbxQueryType, cbxRefType, MainStatusPanel},
        [this] { ProcessPendingEvents(); });
    preparation_ = std::make_unique<TPagePreparation>(
        IdHTTP1, ServerSettings, msgMain, context_.chooseFolder, context_.programDirectory, this, MainStatusPanel,
        MainGauge, PageFiles, [this] { ProcessPendingEvents(); }, [this](bool hold) { SetCommandsEnabled(!hold); });
    preparation_->SetShowModal([this](TfrmPrepare& window) { return ShowModal(window); });
    news_ = std::make_unique<TNewsCommands>(IdHTTP1, BrandingInfo, NewsList, msgMain,
        LastNewsIdStore{context_.readLastNewsId, context_.writeLastNewsId}, *LMDMessageHint1, this, btnNews,
        [this](TfrmNews& window) { return ShowModal(window); });
    news_->OnOpenLink = [this](const std::string& address) { OpenUrl(address, *context_.launcher); };
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

void TfrmMain::BuildWindow()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tallywick"));
    resize(832, 553);
    CenterOnScreen(*this);
    // The skin belongs to the main window, so a reseller's skin replaces it whole and every
    // window opened from here wears the one in force.
    setStyleSheet(BuiltInSkin());

    pgcPrinc = new QStackedWidget(this);
    pgcPrinc->setObjectName(QStringLiteral("pgcPrinc"));
    stsWelcome = BuildWelcomePage();
    stsMain = BuildMainPage();
    pgcPrinc->addWidget(stsWelcome);
    pgcPrinc->addWidget(stsMain);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pgcPrinc);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, Guarded(this, &TfrmMain::Timer1Timer));
    LMDMessageHint1 = new TMessageHint(this);
    LMDMessageHint1->setObjectName(QStringLiteral("LMDMessageHint1"));
    new WelcomeEnterFilter(this);
}

QWidget* TfrmMain::BuildWelcomePage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("stsWelcome"));
    prfWelcome = new QTextBrowser(page);
    prfWelcome->setObjectName(QStringLiteral("prfWelcome"));
    prfWelcome->setReadOnly(true);
    prfWelcome->setOpenLinks(false);

    auto* bottom = Bar("bottomBar", 39, page);
    bsSkinButton1 = TextButton("bsSkinButton1", "Thanks, just show me the main application", bottom);
    bsSkinButton1->setDefault(true);
    bsSkinButton1->setAutoDefault(true);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(6, 4, 6, 4);
    bottomLayout->addStretch();
    bottomLayout->addWidget(bsSkinButton1);
    bottomLayout->addStretch();
    connect(bsSkinButton1, &QPushButton::clicked, this, Guarded(this, &TfrmMain::bsSkinButton1Click));

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(prfWelcome);
    layout->addWidget(bottom);
    return page;
}

QWidget* TfrmMain::BuildMainPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("stsMain"));

    auto* toolbar = Bar("toolbar", 43, page);
    btnSimple = TextButton("btnSimple", "Settings", toolbar);
    btnPrepareWebPages = TextButton("btnPrepareWebPages", "Prepare Web Pages", toolbar);
    btnMakeMoney = TextButton("btnMakeMoney", "Make Money", toolbar);
    btnAbout = TextButton("btnAbout", "About", toolbar);
    btnNews = PictureButton("btnNews", "Check News", BadgeIcon(QStringLiteral("!"), QColor(0xd9, 0x7b, 0x29)), toolbar);
    bsSkinSpeedButton1 = PictureButton(
        "bsSkinSpeedButton1", "Check Updates", BadgeIcon(QString(QChar(0x2193)), QColor(0x4a, 0x9a, 0x5c)), toolbar);
    bsSkinSpeedButton2 = PictureButton(
        "bsSkinSpeedButton2", "Help", BadgeIcon(QStringLiteral("?"), QColor(0x3d, 0x6e, 0x9f)), toolbar);
    auto* toolbarLayout = new QHBoxLayout(toolbar);
    toolbarLayout->setContentsMargins(6, 4, 6, 4);
    for (QPushButton* button : {btnSimple, btnPrepareWebPages, btnMakeMoney, btnAbout})
        toolbarLayout->addWidget(button);
    toolbarLayout->addStretch();
    for (QToolButton* button : {btnNews, bsSkinSpeedButton1, bsSkinSpeedButton2})
        toolbarLayout->addWidget(button);

    panBanner = Bar("panBanner", 65, page);
    imgBanner = new QLabel(panBanner);
    imgBanner->setObjectName(QStringLiteral("imgBanner"));
    imgBanner->setGeometry(8, 8, 468, 49);
    gifBanner = new QLabel(panBanner);
    gifBanner->setObjectName(QStringLiteral("gifBanner"));
    OnClick(imgBanner, [this] { RunGuarded([this] { imgBannerClick(); }); });
    OnClick(gifBanner, [this] { RunGuarded([this] { gifBannerClick(); }); });

    panLinks = Bar("panLinks", 36, page);
    lblLink1URL = new QLabel(panLinks);
    lblLink1URL->setObjectName(QStringLiteral("lblLink1URL"));
    lblLink2URL = new QLabel(panLinks);
    lblLink2URL->setObjectName(QStringLiteral("lblLink2URL"));
    lblLink2URL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* label : {lblLink1URL, lblLink2URL}) {
        SetLink(label, kDesignLinkCaption, kDesignLinkUrl);
        label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        connect(label, &QLabel::linkActivated, this, [this, label] { RunGuarded([&] { OpenLinkLabel(label); }); });
    }
    auto* linksLayout = new QHBoxLayout(panLinks);
    linksLayout->setContentsMargins(10, 0, 10, 0);
    linksLayout->addWidget(lblLink1URL);
    linksLayout->addStretch();
    linksLayout->addWidget(lblLink2URL);

    auto* statusBar = Bar("statusBar", 17, page);
    MainStatusPanel = new QLabel(statusBar);
    MainStatusPanel->setObjectName(QStringLiteral("MainStatusPanel"));
    MainGauge = new QProgressBar(statusBar);
    MainGauge->setObjectName(QStringLiteral("MainGauge"));
    MainGauge->setFixedWidth(130);
    MainGauge->setRange(0, 100);
    MainGauge->setValue(0);
    MainGauge->setTextVisible(true);
    auto* statusLayout = new QHBoxLayout(statusBar);
    statusLayout->setContentsMargins(4, 0, 2, 0);
    statusLayout->addWidget(MainStatusPanel, 1);
    statusLayout->addWidget(MainGauge);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(panBanner);
    layout->addWidget(BuildStatisticsArea(), 1);
    layout->addWidget(panLinks);
    layout->addWidget(statusBar);

    connect(btnSimple, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnSimpleClick));
    connect(btnPrepareWebPages, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnPrepareWebPagesClick));
    connect(btnMakeMoney, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnMakeMoneyClick));
    connect(btnAbout, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnAboutClick));
    connect(btnNews, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnNewsClick));
    connect(bsSkinSpeedButton1, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnUpdateClick));
    connect(bsSkinSpeedButton2, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnHelpClick));
    return page;
}

QWidget* TfrmMain::BuildStatisticsArea()
{
    auto* area = new QWidget;
    auto* header = new QLabel(
        QStringLiteral(
            "Once you prepare your web pages and upload to your server, you can check here the statistics of "
            "hits. Selecting one Web Page URL you can view details about the refers websites in the lower "
            "section."),
        area);
    header->setObjectName(QStringLiteral("statisticsHeader"));
    header->setWordWrap(true);
    header->setFixedHeight(43);

    // Upper block: the page list and its bar.
    auto* pagesBlock = new QWidget;
    lvwPages = new TLinkListView({{QStringLiteral("Web Page URL"), 400}, {QStringLiteral("Hits"), 100}}, true,
        QAbstractItemView::SingleSelection, pagesBlock);
    lvwPages->setObjectName(QStringLiteral("lvwPages"));
    auto* listBar = Bar("listBar", 34, pagesBlock);
    btnSSelectAll = TextButton("btnSSelectAll", "Select All", listBar);
    btnSClearAll = TextButton("btnSClearAll", "Clear Selection", listBar);
    btnDeleteSeg = TextButton("btnDeleteSeg", "Delete", listBar);
    bsSkinButton4 = TextButton("bsSkinButton4", "Delete All", listBar);
    btnRevfreshSegments = TextButton("btnRevfreshSegments", "Refresh", listBar);
    lblTotalHits = new QLabel(QStringLiteral("Total: 0 hits"), listBar);
    lblTotalHits->setObjectName(QStringLiteral("lblTotalHits"));
    auto* listBarLayout = new QHBoxLayout(listBar);
    listBarLayout->setContentsMargins(4, 2, 8, 2);
    for (QPushButton* button : {btnSSelectAll, btnSClearAll, btnDeleteSeg, bsSkinButton4, btnRevfreshSegments})
        listBarLayout->addWidget(button);
    listBarLayout->addStretch();
    listBarLayout->addWidget(lblTotalHits);
    auto* pagesLayout = new QVBoxLayout(pagesBlock);
    pagesLayout->setContentsMargins(0, 0, 0, 0);
    pagesLayout->setSpacing(0);
    pagesLayout->addWidget(lvwPages, 1);
    pagesLayout->addWidget(listBar);

    // Lower block: the referer list and its bar.
    auto* referersBlock = new QWidget;
    lvwReferers = new TLinkListView({{QStringLiteral("Referer Domain"), 350}, {QStringLiteral("Keyword"), 150},
                                        {QStringLiteral("Type"), 150}, {QStringLiteral("Hits"), 100}},
        false, QAbstractItemView::ExtendedSelection, referersBlock);
    lvwReferers->setObjectName(QStringLiteral("lvwReferers"));
    auto* refererBar = Bar("refererBar", 46, referersBlock);
    cbxQueryType = new QComboBox(refererBar);
    cbxQueryType->setObjectName(QStringLiteral("cbxQueryType"));
    cbxQueryType->addItems({QStringLiteral("None"), QStringLiteral("Domains"), QStringLiteral("Keywords")});
    cbxRefType = new QComboBox(refererBar);
    cbxRefType->setObjectName(QStringLiteral("cbxRefType"));
    cbxRefType->addItems({QStringLiteral("No Advertising Sites"), QStringLiteral("Advertising Sites")});
    for (QComboBox* box : {cbxQueryType, cbxRefType})
        UseReadableDropDown(box);
    lblRefersHits = new QLabel(QStringLiteral("Total: 0 hits"), refererBar);
    lblRefersHits->setObjectName(QStringLiteral("lblRefersHits"));
    auto* refererBarLayout = new QHBoxLayout(refererBar);
    refererBarLayout->setContentsMargins(6, 4, 8, 4);
    refererBarLayout->addWidget(new QLabel(QStringLiteral("Group Referers by:"), refererBar));
    refererBarLayout->addWidget(cbxQueryType);
    refererBarLayout->addSpacing(16);
    refererBarLayout->addWidget(new QLabel(QStringLiteral("Referer Type:"), refererBar));
    refererBarLayout->addWidget(cbxRefType);
    refererBarLayout->addStretch();
    refererBarLayout->addWidget(lblRefersHits);
    auto* referersLayout = new QVBoxLayout(referersBlock);
    referersLayout->setContentsMargins(0, 0, 0, 0);
    referersLayout->setSpacing(0);
    referersLayout->addWidget(lvwReferers, 1);
    referersLayout->addWidget(refererBar);

    splitter = new QSplitter(Qt::Vertical, area);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setHandleWidth(10);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(pagesBlock);
    splitter->addWidget(referersBlock);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({179, 200});

    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(splitter, 1);

    connect(btnRevfreshSegments, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnRevfreshSegmentsClick));
    connect(btnSSelectAll, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnSSelectAllClick));
    connect(btnSClearAll, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnSClearAllClick));
    connect(btnDeleteSeg, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnDeleteSegClick));
    connect(bsSkinButton4, &QPushButton::clicked, this, Guarded(this, &TfrmMain::bsSkinButton4Click));
    connect(lvwPages, &TLinkListView::RowSelectionChanged, this, Guarded(this, &TfrmMain::lvwPagesSelectItem));
    connect(cbxQueryType, &QComboBox::currentIndexChanged, this, Guarded(this, &TfrmMain::cbxQueryTypeChange));
    connect(cbxRefType, &QComboBox::currentIndexChanged, this, Guarded(this, &TfrmMain::cbxRefTypeChange));
    auto openCell = [this](const std::string& text) { context_.launcher->ShellOpen(text); };
    lvwPages->OnOpenLink = openCell;
    lvwReferers->OnOpenLink = openCell;
    return area;
}

void TfrmMain::FormCreate()
{
    gifBanner->setGeometry(imgBanner->geometry());
    LoadBranding();
    if (!context_.welcomeText.empty())
        WelcomeText = context_.welcomeText;
    // With a welcome page the deferred checks wait until the user leaves it.
    if (WelcomeText.empty())
        Timer1->start();
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
    if (!WelcomeText.empty()) {
        pgcPrinc->setCurrentWidget(stsWelcome);
        prfWelcome->setHtml(ToDisplay(WelcomeText));
        prfWelcome->setFocus();
    } else if (stsWelcome) {
        pgcPrinc->removeWidget(stsWelcome);
        stsWelcome->deleteLater();
        stsWelcome = nullptr;
        prfWelcome = nullptr;
        bsSkinButton1 = nullptr;
    }
    pgcPrinc->setCurrentIndex(0);
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
    if (auto settings = LoadServerSettingsFile(context_.programDirectory))
        ServerSettings = *settings;
}

void TfrmMain::SaveServerSettings()
{
    SaveServerSettingsFiles(context_.programDirectory, ServerSettings);
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

void TfrmMain::SetCommandsEnabled(bool enabled)
{
    for (QWidget* command : std::initializer_list<QWidget*>{btnSimple, btnPrepareWebPages, btnNews, bsSkinSpeedButton1,
             btnSSelectAll, btnSClearAll, btnDeleteSeg, bsSkinButton4, btnRevfreshSegments, cbxQueryType, cbxRefType})
        command->setEnabled(enabled);
    // The page list keeps its focus; it only refuses to move its selection.
    lvwPages->SetBusy(!enabled);
}

void TfrmMain::OpenLinkLabel(const QLabel* label)
{
    context_.launcher->ShellOpen(label->property(kAddressProperty).toByteArray().toStdString());
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
