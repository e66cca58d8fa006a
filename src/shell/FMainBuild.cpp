// The main window's controls: built once, named as the handlers know them, and wired to them.

#include "shell/FMainBuild.h"
#include "shell/FMain.h"

#include "branding/BrandingView.h"
#include "platform/Launcher.h"
#include "ui/LinkListView.h"
#include "ui/MessageHint.h"
#include "ui/Skin.h"
#include "ui/Text.h"
#include "ui/UnexpectedError.h"
#include "ui/WindowPlacement.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
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

namespace {

constexpr const char* kAddressProperty = "address";

constexpr const char* kDesignLinkCaption = "Google";
constexpr const char* kDesignLinkUrl = "https://www.google.com/";

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

} // namespace

void SetLink(QLabel* label, const std::string& caption, const std::string& address)
{
    label->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(ToDisplay(caption).toHtmlEscaped()));
    label->setProperty(kAddressProperty, QByteArray::fromStdString(address));
}

std::string LinkAddress(const QLabel& label)
{
    return label.property(kAddressProperty).toByteArray().toStdString();
}

void TfrmMain::BuildWindow()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tallywick"));
    resize(832, 553);
    CenterOnScreen(*this);
    // The skin belongs to the main window, so a reseller's skin replaces it whole and every
    // window opened from here wears the one in force.
    setStyleSheet(BuiltInSkin());
    // Likewise the icon: the windows opened from here show the one in force.
    setWindowIcon(BuiltInIcon());

    pgcPrinc = new QStackedWidget(this);
    pgcPrinc->setObjectName(QStringLiteral("pgcPrinc"));
    // The welcome page and its HTML view come only with a welcome page to show (FormCreate).
    stsMain = BuildMainPage();
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
    connect(prfWelcome, &QTextBrowser::anchorClicked, this,
        [this](const QUrl& address) { RunGuarded([&] { OpenContentLink(FromUser(address.toString())); }); });

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
    // A long status text is cut at the window's edge instead of widening the window.
    MainStatusPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
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

    // Upper block: the filter, the page list and its bar.
    auto* pagesBlock = new QWidget;
    auto* filterBar = Bar("filterBar", 30, pagesBlock);
    edtPageFilter = new QLineEdit(filterBar);
    edtPageFilter->setObjectName(QStringLiteral("edtPageFilter"));
    edtPageFilter->setPlaceholderText(QStringLiteral("Filter pages"));
    edtPageFilter->setClearButtonEnabled(true);
    edtPageFilter->setFixedWidth(300);
    lblPageFilter = new QLabel(filterBar);
    lblPageFilter->setObjectName(QStringLiteral("lblPageFilter"));
    auto* filterBarLayout = new QHBoxLayout(filterBar);
    filterBarLayout->setContentsMargins(4, 3, 8, 3);
    filterBarLayout->addWidget(edtPageFilter);
    filterBarLayout->addSpacing(8);
    filterBarLayout->addWidget(lblPageFilter);
    filterBarLayout->addStretch();
    lvwPages = new TLinkListView({{QStringLiteral("Web Page URL"), 400}, {QStringLiteral("Hits"), 100}}, true,
        QAbstractItemView::SingleSelection, pagesBlock);
    lvwPages->setObjectName(QStringLiteral("lvwPages"));
    // A right click opens the menu without selecting: selecting would load that page's referers.
    lvwPages->SetRightClickSelects(false);
    auto* listBar = Bar("listBar", 34, pagesBlock);
    btnSSelectAll = TextButton("btnSSelectAll", "Select All", listBar);
    btnSClearAll = TextButton("btnSClearAll", "Clear Selection", listBar);
    btnDeleteSeg = TextButton("btnDeleteSeg", "Delete", listBar);
    bsSkinButton4 = TextButton("bsSkinButton4", "Delete All", listBar);
    btnRevfreshSegments = TextButton("btnRevfreshSegments", "Refresh", listBar);
    btnHistory = TextButton("btnHistory", "History", listBar);
    lblTotalHits = new QLabel(QStringLiteral("Total: 0 hits"), listBar);
    lblTotalHits->setObjectName(QStringLiteral("lblTotalHits"));
    auto* listBarLayout = new QHBoxLayout(listBar);
    listBarLayout->setContentsMargins(4, 2, 8, 2);
    for (QPushButton* button :
        {btnSSelectAll, btnSClearAll, btnDeleteSeg, bsSkinButton4, btnRevfreshSegments, btnHistory})
        listBarLayout->addWidget(button);
    listBarLayout->addStretch();
    listBarLayout->addWidget(lblTotalHits);
    auto* pagesLayout = new QVBoxLayout(pagesBlock);
    pagesLayout->setContentsMargins(0, 0, 0, 0);
    pagesLayout->setSpacing(0);
    pagesLayout->addWidget(filterBar);
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
    splitter->setSizes({179 + filterBar->height(), 200});

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
    connect(btnHistory, &QPushButton::clicked, this, Guarded(this, &TfrmMain::btnHistoryClick));
    connect(lvwPages, &TLinkListView::RowSelectionChanged, this, Guarded(this, &TfrmMain::lvwPagesSelectItem));
    connect(cbxQueryType, &QComboBox::currentIndexChanged, this, Guarded(this, &TfrmMain::cbxQueryTypeChange));
    connect(cbxRefType, &QComboBox::currentIndexChanged, this, Guarded(this, &TfrmMain::cbxRefTypeChange));
    connect(edtPageFilter, &QLineEdit::textChanged, this, Guarded(this, &TfrmMain::edtPageFilterChange));
    for (TLinkListView* list : {lvwPages, lvwReferers})
        list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvwPages, &QWidget::customContextMenuRequested, this, Guarded(this, &TfrmMain::lvwPagesContextPopup));
    connect(lvwReferers, &QWidget::customContextMenuRequested, this, Guarded(this, &TfrmMain::lvwReferersContextPopup));
    auto openCell = [this](const std::string& text) { context_.launcher->ShellOpen(text); };
    lvwPages->OnOpenLink = openCell;
    lvwReferers->OnOpenLink = openCell;
    return area;
}
