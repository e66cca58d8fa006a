#include "history/FHistory.h"

#include "history/HistoryPages.h"
#include "history/HistoryTexts.h"
#include "stats/Statistics.h"
#include "ui/BarChart.h"
#include "ui/MessageBox.h"
#include "ui/Text.h"
#include "ui/UnexpectedError.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* RangeCaption(HistoryRange range)
{
    switch (range) {
    case HistoryRange::Last24Hours: return "Last 24 hours";
    case HistoryRange::Last7Days: return "Last 7 days";
    case HistoryRange::Last30Days: return "Last 30 days";
    case HistoryRange::Last90Days: return "Last 90 days";
    case HistoryRange::Last12Months: return "Last 12 months";
    case HistoryRange::SinceTheHistoryBegan: return "Since the history began";
    }
    return "";
}

std::int64_t Total(std::vector<std::int64_t>::const_iterator from, std::vector<std::int64_t>::const_iterator to)
{
    std::int64_t total = 0;
    for (; from != to; ++from)
        total = SaturatingAdd(total, *from);
    return total;
}

QStandardItem* CountItem(std::int64_t count, const QLocale& locale)
{
    auto* item = new QStandardItem(locale.toString(static_cast<qint64>(count)));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

void THistoryTableView::keyPressEvent(QKeyEvent* event)
{
    // The view's own copy would take only the current cell.
    if (event == QKeySequence::Copy && OnCopy) {
        OnCopy();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

TfrmHistory::TfrmHistory(std::vector<HistoryPage> pages, HistoryContext context, QWidget* parent)
    : QDialog(parent),
      pages_(std::move(pages)),
      context_(std::move(context))
{
    BuildWindow();
}

void TfrmHistory::BuildWindow()
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(HistoryCaption(pages_));
    setModal(true);
    setSizeGripEnabled(true);
    resize(900, 600);
    if (parentWidget())
        CenterOver(*this, *parentWidget()->window());

    cbxRange = new QComboBox(this);
    cbxRange->setObjectName(QStringLiteral("cbxRange"));
    for (HistoryRange range : kAllHistoryRanges)
        cbxRange->addItem(QString::fromLatin1(RangeCaption(range)), static_cast<int>(range));
    cbxRange->setCurrentIndex(cbxRange->findData(static_cast<int>(HistoryRange::Last30Days)));
    cbxRange->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    chkRobots = new QCheckBox(QString::fromLatin1(kRobotsCaption), this);
    chkRobots->setObjectName(QStringLiteral("chkRobots"));
    chkRobots->setToolTip(QStringLiteral("Views the counter recognised as robots and left out of the hits"));
    // The counter keeps robots for the whole site only.
    chkRobots->setVisible(pages_.empty());
    auto* rangeLabel = new QLabel(QStringLiteral("Range:"), this);
    rangeLabel->setBuddy(cbxRange);
    auto* top = new QHBoxLayout;
    top->addWidget(rangeLabel);
    top->addWidget(cbxRange);
    top->addSpacing(16);
    top->addWidget(chkRobots);
    top->addStretch();

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    QFont summaryFont = lblSummary->font();
    summaryFont.setBold(true);
    summaryFont.setPointSizeF(summaryFont.pointSizeF() * 1.15);
    lblSummary->setFont(summaryFont);
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    chtHits = new TBarChart(this);
    chtHits->setObjectName(QStringLiteral("chtHits"));
    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setAlignment(Qt::AlignCenter);
    lblMessage->setWordWrap(true);
    lblMessage->setMargin(24);
    pgcChart = new QStackedWidget(this);
    pgcChart->setObjectName(QStringLiteral("pgcChart"));
    pgcChart->addWidget(chtHits);
    pgcChart->addWidget(lblMessage);
    pgcChart->setCurrentWidget(lblMessage);

    model_ = new QStandardItemModel(this);
    tblBars = new THistoryTableView(this);
    tblBars->setObjectName(QStringLiteral("tblBars"));
    tblBars->setModel(model_);
    tblBars->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblBars->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tblBars->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblBars->verticalHeader()->hide();
    tblBars->horizontalHeader()->setStretchLastSection(true);
    tblBars->setAlternatingRowColors(true);
    tblBars->OnCopy = [this] { RunGuarded([this] { tblBarsCopy(); }); };

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(pgcChart);
    splitter->addWidget(tblBars);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({330, 170});

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    btnExportCsv = new QPushButton(QStringLiteral("Export CSV…"), this);
    btnExportCsv->setObjectName(QStringLiteral("btnExportCsv"));
    btnExportCsv->setEnabled(false);
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblStatus, 1);
    bottom->addWidget(btnExportCsv);
    bottom->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lblSummary);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);

    connect(cbxRange, &QComboBox::currentIndexChanged, this, Guarded(this, &TfrmHistory::cbxRangeChange));
    connect(chkRobots, &QCheckBox::clicked, this, Guarded(this, &TfrmHistory::chkRobotsClick));
    connect(btnExportCsv, &QPushButton::clicked, this, Guarded(this, &TfrmHistory::btnExportCsvClick));
    connect(btnClose, &QPushButton::clicked, this, &TfrmHistory::reject);
    connect(tblBars->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) { chtHits->SetCurrentBar(current.isValid() ? current.row() : -1); });
}

void TfrmHistory::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmHistory::FormShow()
{
    // The window paints once before it waits for the server.
    QTimer::singleShot(0, this, [this] { RunGuarded([this] { LoadHistory(); }); });
}

void TfrmHistory::reject()
{
    // A request still waiting ends at once; its handler sees the window closing.
    if (loading_) {
        closing_ = true;
        context_.http->Disconnect();
    }
    QDialog::reject();
}

HistoryRange TfrmHistory::Range() const
{
    return static_cast<HistoryRange>(cbxRange->currentData().toInt());
}

bool TfrmHistory::RobotsShown() const
{
    return pages_.empty() && chkRobots->isChecked();
}

void TfrmHistory::SetLoading(bool loading)
{
    loading_ = loading;
    if (loading)
        loaded_ = false;
    for (QWidget* control : std::initializer_list<QWidget*>{cbxRange, chkRobots, btnExportCsv})
        control->setEnabled(!loading);
    if (!loading)
        btnExportCsv->setEnabled(!table_.rows.empty());
    lblStatus->setText(loading ? QStringLiteral("Getting data...") : QString());
}

bool TfrmHistory::LoadHistory()
{
    const HistoryRange range = Range();
    const std::int64_t now = context_.clock();
    const HourSpan span = RequestSpan(range, now, context_.zone);
    SetLoading(true);
    const HistoryReply reply = RequestHistory(*context_.http, context_.siteUrl, PageCodesField(pages_), span);
    SetLoading(false);
    if (closing_)
        return false;
    range_ = range;
    now_ = now;
    robots_.reset();
    hours_ = reply.hours;
    switch (reply.outcome) {
    case HistoryReply::Outcome::Failed: ShowMessage(QString::fromLatin1(kRefererTroubleText)); break;
    case HistoryReply::Outcome::NotKept: ShowMessage(QString::fromLatin1(kNoHistoryText)); break;
    case HistoryReply::Outcome::Hours:
        if (RobotsShown())
            LoadRobots();
        else
            ShowHours();
        break;
    }
    loaded_ = !closing_;
    return reply.outcome == HistoryReply::Outcome::Hours;
}

void TfrmHistory::LoadRobots()
{
    SetLoading(true);
    const HistoryReply reply = RequestHistory(*context_.http, context_.siteUrl, kRobotsPageCodes, hours_.span);
    SetLoading(false);
    if (closing_)
        return;
    if (reply.outcome == HistoryReply::Outcome::Hours)
        robots_ = reply.hours;
    // The counted hits are shown whatever came for the robots.
    ShowHours();
    if (!robots_)
        lblStatus->setText(QString::fromLatin1(kRefererTroubleText));
    loaded_ = true;
}

void TfrmHistory::cbxRangeChange()
{
    LoadHistory();
}

void TfrmHistory::chkRobotsClick()
{
    // Nothing to add the robots to before the counted hits have come.
    if (hours_.hits.empty())
        return;
    if (RobotsShown() && !robots_)
        LoadRobots();
    else
        ShowHours();
}

void TfrmHistory::ShowMessage(const QString& text)
{
    table_ = {};
    FillTable();
    chtHits->SetData({});
    lblSummary->clear();
    lblMessage->setText(text);
    pgcChart->setCurrentWidget(lblMessage);
    btnExportCsv->setEnabled(false);
}

void TfrmHistory::ShowHours()
{
    const QLocale locale;
    const bool withRobots = RobotsShown() && robots_.has_value();
    std::optional<std::int64_t> firstHour;
    if (range_ == HistoryRange::SinceTheHistoryBegan) {
        for (const HourlyHits* hours : {&hours_, withRobots ? &*robots_ : nullptr}) {
            const std::int64_t first = hours ? hours->FirstHourWithHits() : -1;
            if (first >= 0)
                firstHour = std::min(first, firstHour.value_or(first));
        }
    }
    const HistoryBars bars = MakeBars(range_, now_, context_.zone, firstHour);
    const std::vector<std::int64_t> sums = AddUpHours(hours_, bars.bounds);
    const std::vector<std::int64_t> robotSums
        = withRobots ? AddUpHours(*robots_, bars.bounds) : std::vector<std::int64_t>(sums.size(), 0);
    const auto previous = static_cast<std::size_t>(bars.previousCount);

    table_ = {.hasPrevious = previous > 0, .hasRobots = withRobots, .rows = {}};
    BarChartData chart;
    chart.valuesName = previous > 0 ? QStringLiteral("This period") : QStringLiteral("Hits");
    chart.outlinesName = previous > 0 ? QStringLiteral("Previous period") : QString();
    chart.lineName = QString::fromLatin1(kRobotsCaption);
    for (std::size_t bar = previous; bar < sums.size(); ++bar) {
        const BarTexts texts = TextsOfBar(bars.unit, bars.bounds[bar], context_.zone, locale, bar == previous);
        HistoryRow row{.period = texts.period,
            .isoPeriod = texts.iso,
            .hits = sums[bar],
            .previousHits = previous > 0 ? sums[bar - previous] : 0,
            .robots = robotSums[bar]};
        QString tip = texts.period + QStringLiteral(": ") + HitsText(row.hits, locale);
        if (previous > 0)
            tip += QStringLiteral("\nPrevious period, ")
                + TextsOfBar(bars.unit, bars.bounds[bar - previous], context_.zone, locale, false).period
                + QStringLiteral(": ") + HitsText(row.previousHits, locale);
        if (withRobots)
            tip += QStringLiteral("\n") + QString::fromLatin1(kRobotsCaption) + QStringLiteral(": ")
                + locale.toString(static_cast<qint64>(row.robots));
        chart.values.push_back(row.hits);
        if (previous > 0)
            chart.outlines.push_back(row.previousHits);
        if (withRobots)
            chart.line.push_back(row.robots);
        chart.labels.push_back(texts.axis);
        chart.tips.push_back(tip);
        table_.rows.push_back(std::move(row));
    }
    FillTable();
    chtHits->SetData(std::move(chart));
    btnExportCsv->setEnabled(!table_.rows.empty());

    const std::int64_t hits = Total(sums.begin() + static_cast<std::ptrdiff_t>(previous), sums.end());
    const std::int64_t robots = Total(robotSums.begin() + static_cast<std::ptrdiff_t>(previous), robotSums.end());
    lblSummary->setText(table_.rows.empty()
            ? QString()
            : HistorySummary(range_, hits,
                previous > 0 ? std::optional(Total(sums.begin(), sums.begin() + static_cast<std::ptrdiff_t>(previous)))
                             : std::nullopt,
                locale));
    if (hits == 0 && robots == 0) {
        lblMessage->setText(QString::fromLatin1(kNoHitsText));
        pgcChart->setCurrentWidget(lblMessage);
    } else {
        pgcChart->setCurrentWidget(chtHits);
    }
}

void TfrmHistory::FillTable()
{
    const QLocale locale;
    model_->clear();
    QStringList header;
    for (const QString& title : HistoryHeader(table_))
        header.push_back(title);
    model_->setHorizontalHeaderLabels(header);
    for (const HistoryRow& row : table_.rows) {
        QList<QStandardItem*> items{new QStandardItem(row.period), CountItem(row.hits, locale)};
        if (table_.hasPrevious)
            items.push_back(CountItem(row.previousHits, locale));
        if (table_.hasRobots)
            items.push_back(CountItem(row.robots, locale));
        model_->appendRow(items);
    }
    // Without rows the message above has the room.
    tblBars->setVisible(!table_.rows.empty());
    tblBars->resizeColumnToContents(0);
    tblBars->setColumnWidth(0, std::max(tblBars->columnWidth(0) + 24, 200));
    for (int column = 1; column + 1 < model_->columnCount(); ++column)
        tblBars->setColumnWidth(column, 140);
}

std::vector<int> TfrmHistory::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : tblBars->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TfrmHistory::tblBarsCopy()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    QApplication::clipboard()->setText(HistoryCopyText(table_, rows));
}

void TfrmHistory::btnExportCsvClick()
{
    if (table_.rows.empty() || !context_.chooseSaveFile)
        return;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const std::string suggested = QDir(documents.isEmpty() ? QDir::homePath() : documents)
                                      .filePath(QStringLiteral("history.csv"))
                                      .toStdString();
    ExportToChosenFile(
        context_.chooseSaveFile, this, suggested, [this] { return HistoryCsv(table_); }, *context_.messages,
        "The history");
}
