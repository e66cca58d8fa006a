#include "news/FNews.h"

#include "news/NewsClient.h"
#include "text/TextRoutines.h"
#include "ui/Text.h"
#include "ui/UnexpectedError.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// Longer cells are cut for the screen: nobody reads a megabyte in one cell, and measuring
// it on every repaint would stall the window.
constexpr std::size_t kDisplayLimit = 1024;

QString DisplayCell(const std::string& bytes)
{
    if (bytes.size() <= kDisplayLimit)
        return ToDisplay(bytes);
    std::size_t cut = kDisplayLimit;
    // Not inside a UTF-8 sequence, so valid UTF-8 stays valid.
    for (int back = 0; back < 3 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80; ++back)
        --cut;
    return ToDisplay(bytes.substr(0, cut)) + QChar(0x2026);
}

// The content comes from a server: it may not read the user's files, so it loads nothing.
class NewsContentView final : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

} // namespace

class TNewsItemsModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetRows(std::vector<TNewsListView::Row> rows)
    {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
    const std::vector<TNewsListView::Row>& Rows() const { return rows_; }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("News Title") : QStringLiteral("Published");
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || role != Qt::DisplayRole)
            return {};
        const TNewsListView::Row& row = rows_[static_cast<std::size_t>(index.row())];
        return DisplayCell(index.column() == 0 ? row.title : row.published);
    }
    Qt::ItemFlags flags(const QModelIndex&) const override { return Qt::ItemIsEnabled | Qt::ItemIsSelectable; }

private:
    std::vector<TNewsListView::Row> rows_;
};

TNewsListView::TNewsListView(QWidget* parent)
    : QTreeView(parent),
      model_(new TNewsItemsModel(this))
{
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    header()->setSectionResizeMode(1, QHeaderView::Fixed);
    header()->resizeSection(1, 160);
    header()->setSectionsMovable(false);
    // The selected row stays marked while the content view has the focus.
    QPalette colours = palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);
}

void TNewsListView::SetRows(std::vector<Row> rows)
{
    model_->SetRows(std::move(rows));
}

int TNewsListView::RowCount() const
{
    return static_cast<int>(model_->Rows().size());
}

const TNewsListView::Row& TNewsListView::RowAt(int index) const
{
    return model_->Rows().at(static_cast<std::size_t>(index));
}

int TNewsListView::SelectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

QRect TNewsListView::RowRect(int index) const
{
    return visualRect(model_->index(index, 0));
}

QItemSelectionModel::SelectionFlags TNewsListView::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    if (!MayChange())
        return QItemSelectionModel::NoUpdate;
    return QTreeView::selectionCommand(index, event);
}

void TNewsListView::mousePressEvent(QMouseEvent* event)
{
    // Refused, neither the selection nor the current row may move.
    if (!MayChange())
        return event->ignore();
    QTreeView::mousePressEvent(event);
}

void TNewsListView::keyPressEvent(QKeyEvent* event)
{
    if (!MayChange())
        return event->ignore();
    // Focus makes the first row current without selecting it, and Down would then step over
    // the newest item: with nothing selected, the first arrow key selects the first row.
    const bool arrow = event->key() == Qt::Key_Down || event->key() == Qt::Key_Up;
    if (arrow && SelectedRow() < 0 && RowCount() > 0) {
        const QModelIndex first = model_->index(0, 0);
        selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(first);
        return event->accept();
    }
    QTreeView::keyPressEvent(event);
}

TfrmNews::TfrmNews(const std::vector<std::string>& newsList, const BrandingInfo& branding, TNewsClient& client,
    WriteLastNewsId writeLastNewsId, QWidget* parent)
    : QDialog(parent),
      newsList_(newsList),
      branding_(branding),
      client_(client),
      writeLastNewsId_(std::move(writeLastNewsId))
{
    setObjectName(QStringLiteral("frmNews"));
    setWindowTitle(QStringLiteral("News"));
    setModal(true);
    resize(682, 411);

    auto* listPanel = new QWidget;
    listPanel->setObjectName(QStringLiteral("panItems"));
    lvwItems = new TNewsListView(listPanel);
    lvwItems->setObjectName(QStringLiteral("lvwItems"));
    auto* listLayout = new QVBoxLayout(listPanel);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(lvwItems);

    prfEditorNews = new NewsContentView;
    prfEditorNews->setObjectName(QStringLiteral("prfEditorNews"));
    prfEditorNews->setReadOnly(true);
    prfEditorNews->setOpenLinks(false);

    splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setHandleWidth(10);
    splitter->setChildrenCollapsible(false);
    listPanel->setMinimumHeight(10);
    prfEditorNews->setMinimumHeight(10);
    splitter->addWidget(listPanel);
    splitter->addWidget(prfEditorNews);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({105, 411 - 105 - 10 - 41});

    auto* bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("bottomBar"));
    bottom->setFixedHeight(41);
    btnExit = new QPushButton(QStringLiteral("Close"), bottom);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setFixedSize(97, 20);
    btnExit->setDefault(true);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->addStretch();
    bottomLayout->addWidget(btnExit);
    bottomLayout->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(splitter, 1);
    layout->addWidget(bottom);

    lvwItems->OnChanging = [this] { return lvwItemsChanging(); };
    connect(lvwItems->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        Guarded(this, &TfrmNews::lvwItemsChange));
    connect(btnExit, &QPushButton::clicked, this, Guarded(this, &TfrmNews::btnExitClick));
    connect(prfEditorNews, &QTextBrowser::anchorClicked, this, [this](const QUrl& address) {
        RunGuarded([&] {
            if (OnOpenLink)
                OnOpenLink(FromUser(address.toString()));
        });
    });
}

void TfrmNews::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        RunGuarded([this] { FormShow(); });
    }
}

void TfrmNews::FormShow()
{
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    std::vector<TNewsListView::Row> rows;
    rows.reserve(newsList_.size());
    std::vector<std::string> fields;
    for (const std::string& record : newsList_) {
        // A short record shows its missing fields as empty.
        SplitFields('^', record, fields);
        fields.resize(std::max<std::size_t>(fields.size(), 3));
        rows.push_back({std::move(fields[1]), std::move(fields[2]), std::move(fields[0])});
    }
    lvwItems->SetRows(std::move(rows));
}

bool TfrmNews::lvwItemsChanging() const
{
    return !Busy;
}

void TfrmNews::SetWaitCursor(bool waiting)
{
    for (QWidget* widget : std::initializer_list<QWidget*>{lvwItems, prfEditorNews, this}) {
        if (waiting)
            widget->setCursor(Qt::WaitCursor);
        else
            widget->unsetCursor();
    }
    // The views draw their own cursors over their viewports; the content view's changes with
    // what lies under the mouse, so it is given back as it was.
    if (waiting) {
        contentCursor_ = prfEditorNews->viewport()->cursor();
        lvwItems->viewport()->setCursor(Qt::WaitCursor);
        prfEditorNews->viewport()->setCursor(Qt::WaitCursor);
    } else {
        lvwItems->viewport()->unsetCursor();
        prfEditorNews->viewport()->setCursor(contentCursor_);
    }
}

void TfrmNews::lvwItemsChange()
{
    const int selected = lvwItems->SelectedRow();
    if (selected < 0 || Busy)
        return;
    const std::string newsId = lvwItems->RowAt(selected).id;
    Busy = true;
    SetWaitCursor(true);
    struct Restore {
        TfrmNews* window;
        ~Restore()
        {
            window->SetWaitCursor(false);
            window->Busy = false;
        }
    } restore{this};

    const auto tier = NewsTierFor(branding_);
    if (!tier)
        return;
    std::string html;
    if (!client_.FetchNewsDetails(
            tier->publisherId, branding_.BranderCode, tier->productType, kNewsTarget, newsId, html))
        return;
    prfEditorNews->setHtml(ToDisplay(html));
    // Whatever the id, also an older item's: it is the one read last.
    if (writeLastNewsId_)
        writeLastNewsId_(newsId);
}

void TfrmNews::btnExitClick()
{
    done(QDialog::Accepted);
}
