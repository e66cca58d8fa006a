#include "ui/LinkListView.h"

#include "ui/Text.h"

#include <QFont>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <numeric>

class TLinkListModel final : public QAbstractTableModel {
public:
    TLinkListModel(std::vector<TLinkListView::Column> columns, bool checkBoxes, QObject* parent)
        : QAbstractTableModel(parent), columns_(std::move(columns)), checkBoxes_(checkBoxes)
    {
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : static_cast<int>(rows_.size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : static_cast<int>(columns_.size()); }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < static_cast<int>(columns_.size()))
            return columns_[static_cast<size_t>(section)].title;
        return {};
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const Entry& entry = rows_[static_cast<size_t>(index.row())];
        const size_t column = static_cast<size_t>(index.column());
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return column < entry.shown.size() ? entry.shown[column] : QString();
        case Qt::CheckStateRole:
            if (checkBoxes_ && column == 0)
                return entry.row.checked ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::ForegroundRole:
            if (IsLink(entry, column))
                return QPalette().color(QPalette::Link);
            return {};
        case Qt::FontRole:
            if (IsLink(entry, column)) {
                QFont font;
                font.setUnderline(true);
                return font;
            }
            return {};
        default:
            return {};
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::CheckStateRole || !checkBoxes_ || index.column() != 0)
            return false;
        rows_[static_cast<size_t>(index.row())].row.checked = value.toInt() == Qt::Checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (checkBoxes_ && index.column() == 0)
            flags |= Qt::ItemIsUserCheckable;
        return flags;
    }

    void sort(int column, Qt::SortOrder order) override
    {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        std::vector<int> oldRowOf(rows_.size());
        std::iota(oldRowOf.begin(), oldRowOf.end(), 0);
        const size_t c = static_cast<size_t>(column);
        auto textOf = [this, c](int row) -> const QString& {
            static const QString empty;
            const auto& shown = rows_[static_cast<size_t>(row)].shown;
            return c < shown.size() ? shown[c] : empty;
        };
        std::stable_sort(oldRowOf.begin(), oldRowOf.end(), [&](int a, int b) {
            const int result = CompareTexts(textOf(a), textOf(b));
            return order == Qt::AscendingOrder ? result < 0 : result > 0;
        });
        std::vector<Entry> sorted;
        sorted.reserve(rows_.size());
        std::vector<int> newRowOf(rows_.size());
        for (size_t i = 0; i < oldRowOf.size(); ++i) {
            newRowOf[static_cast<size_t>(oldRowOf[i])] = static_cast<int>(i);
            sorted.push_back(std::move(rows_[static_cast<size_t>(oldRowOf[i])]));
        }
        rows_ = std::move(sorted);
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& index : before)
            after.append(this->index(newRowOf[static_cast<size_t>(index.row())], index.column()));
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

    void SetRows(std::vector<ListRow> rows)
    {
        beginResetModel();
        rows_.clear();
        rows_.reserve(rows.size());
        for (ListRow& row : rows) {
            Entry entry;
            const size_t shownCount = std::min(row.cells.size(), columns_.size());
            entry.shown.reserve(shownCount);
            for (size_t i = 0; i < shownCount; ++i)
                entry.shown.push_back(ToDisplay(row.cells[i]));
            entry.row = std::move(row);
            rows_.push_back(std::move(entry));
        }
        std::stable_sort(rows_.begin(), rows_.end(), [](const Entry& a, const Entry& b) {
            static const QString empty;
            return CompareTexts(a.shown.empty() ? empty : a.shown[0], b.shown.empty() ? empty : b.shown[0]) < 0;
        });
        endResetModel();
    }

    const ListRow& Row(int index) const { return rows_.at(static_cast<size_t>(index)).row; }

    void SetAllChecked(bool checked)
    {
        for (Entry& entry : rows_)
            entry.row.checked = checked;
        if (!rows_.empty())
            emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, 0), {Qt::CheckStateRole});
    }

    bool IsLinkCell(const QModelIndex& index) const
    {
        return index.isValid() && IsLink(rows_[static_cast<size_t>(index.row())], static_cast<size_t>(index.column()));
    }

    const std::string& CellText(const QModelIndex& index) const
    {
        return rows_[static_cast<size_t>(index.row())].row.cells[static_cast<size_t>(index.column())];
    }

private:
    struct Entry {
        ListRow row;
        std::vector<QString> shown; // the visible cells, converted once
    };

    // Case-insensitive first, so "apple" and "Apple" sit together; case breaks ties.
    static int CompareTexts(const QString& a, const QString& b)
    {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded : a.compare(b, Qt::CaseSensitive);
    }

    bool IsLink(const Entry& entry, size_t column) const
    {
        return column < entry.shown.size() && TLinkListView::IsLinkText(entry.row.cells[column]);
    }

    std::vector<TLinkListView::Column> columns_;
    bool checkBoxes_;
    std::vector<Entry> rows_;
};

TLinkListView::TLinkListView(std::vector<Column> columns, bool checkBoxes, QAbstractItemView::SelectionMode selection,
                             QWidget* parent)
    : QTreeView(parent), model_(new TLinkListModel(columns, checkBoxes, this)), checkBoxes_(checkBoxes)
{
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(selection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(false);
    header()->setSectionsMovable(true);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    for (size_t i = 0; i < columns.size(); ++i)
        header()->resizeSection(static_cast<int>(i), columns[i].width);
    connect(header(), &QHeaderView::sectionClicked, this, &TLinkListView::ClickHeader);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TLinkListView::OnSelectionChanged);
}

TLinkListView::~TLinkListView() = default;

bool TLinkListView::IsLinkText(const std::string& text)
{
    return text.find("://") != std::string::npos || text.find("mailto:") != std::string::npos;
}

void TLinkListView::SetRows(std::vector<ListRow> rows)
{
    lastClickedColumn_ = -1;
    header()->setSortIndicatorShown(false);
    model_->SetRows(std::move(rows));
}

void TLinkListView::Clear()
{
    SetRows({});
}

int TLinkListView::RowCount() const
{
    return model_->rowCount({});
}

const ListRow& TLinkListView::Row(int index) const
{
    return model_->Row(index);
}

void TLinkListView::SetAllChecked(bool checked)
{
    model_->SetAllChecked(checked);
}

void TLinkListView::SetChecked(int index, bool checked)
{
    model_->setData(model_->index(index, 0), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

std::optional<int> TLinkListView::SelectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().row();
}

void TLinkListView::SelectRow(int index)
{
    const QModelIndex target = model_->index(index, 0);
    setCurrentIndex(target);
    selectionModel()->select(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TLinkListView::ClickHeader(int column)
{
    lastOrder_ = (column == lastClickedColumn_ && lastOrder_ == Qt::AscendingOrder) ? Qt::DescendingOrder
                                                                                      : Qt::AscendingOrder;
    lastClickedColumn_ = column;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, lastOrder_);
    model_->sort(column, lastOrder_);
}

QItemSelectionModel::SelectionFlags TLinkListView::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    if (busy_)
        return QItemSelectionModel::NoUpdate;
    return QTreeView::selectionCommand(index, event);
}

bool TLinkListView::IsOnCheckBox(const QModelIndex& index, const QPoint& position)
{
    if (!checkBoxes_ || index.column() != 0)
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    return position.x() <= box.right() + 2;
}

void TLinkListView::mousePressEvent(QMouseEvent* event)
{
    // While busy, neither the selection nor the current row may move.
    if (busy_)
        return event->ignore();
    QTreeView::mousePressEvent(event);
}

void TLinkListView::keyPressEvent(QKeyEvent* event)
{
    if (busy_)
        return event->ignore();
    QTreeView::keyPressEvent(event);
}

void TLinkListView::mouseReleaseEvent(QMouseEvent* event)
{
    if (busy_)
        return event->ignore();
    const QModelIndex index = indexAt(event->position().toPoint());
    QTreeView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !model_->IsLinkCell(index) || IsOnCheckBox(index, event->position().toPoint()))
        return;
    if (OnOpenLink)
        OnOpenLink(model_->CellText(index));
}

void TLinkListView::OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    for (const QModelIndex& index : deselected.indexes())
        if (index.column() == 0)
            emit RowSelectionChanged(index.row(), false);
    for (const QModelIndex& index : selected.indexes())
        if (index.column() == 0)
            emit RowSelectionChanged(index.row(), true);
}
