#include "ui/LinkListView.h"

#include "ui/Text.h"

#include <QFont>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <cstdint>

namespace {

unsigned char Fold(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

const std::string& CellOf(const ListRow& row, size_t column)
{
    static const std::string empty;
    return column < row.cells.size() ? row.cells[column] : empty;
}

// Ascending text order: letters compare without regard to case first, and case only breaks
// ties, so "apple" and "Apple" sit together. Bytes compare as they are otherwise. Both texts
// must be equal before `from`.
int CompareTexts(const std::string& a, const std::string& b, size_t from = 0)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = from; i < common; ++i) {
        const int difference = Fold(static_cast<unsigned char>(a[i])) - Fold(static_cast<unsigned char>(b[i]));
        if (difference != 0)
            return difference;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(from, std::string::npos, b, from, std::string::npos);
}

// Eight folded bytes from `at` on, the first one highest, zero past the end: comparing two of
// them as numbers gives the order CompareTexts gives those bytes.
std::uint64_t PackedBytes(const std::string& text, size_t at)
{
    std::uint64_t packed = 0;
    for (size_t i = at; i < at + 8; ++i)
        packed = (packed << 8) | (i < text.size() ? Fold(static_cast<unsigned char>(text[i])) : 0u);
    return packed;
}

// The order of the rows by one column's texts, as indexes into `rows`; equal texts keep their
// order. Comparisons of whole texts would chase row, cells and text through memory for every
// one of the n log n steps, which for a large list costs far more than the comparing itself,
// so the rows are sorted on compact keys: the first sixteen folded bytes after the prefix that
// all the texts share. Only rows whose keys tie look at their texts.
std::vector<int> TextOrder(const std::vector<ListRow>& rows, size_t column, Qt::SortOrder order)
{
    if (rows.empty())
        return {};
    const std::string& first = CellOf(rows.front(), column);
    size_t shared = first.size();
    for (const ListRow& row : rows) {
        const std::string& text = CellOf(row, column);
        const auto end = first.begin() + static_cast<std::ptrdiff_t>(std::min(shared, text.size()));
        shared = static_cast<size_t>(std::mismatch(first.begin(), end, text.begin()).first - first.begin());
    }

    struct Key {
        std::uint64_t high;
        std::uint64_t low;
        int row;
    };
    std::vector<Key> keys;
    keys.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string& text = CellOf(rows[i], column);
        keys.push_back({PackedBytes(text, shared), PackedBytes(text, shared + 8), static_cast<int>(i)});
    }
    const bool ascending = order == Qt::AscendingOrder;
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.high != b.high)
            return ascending == (a.high < b.high);
        if (a.low != b.low)
            return ascending == (a.low < b.low);
        const int result = CompareTexts(
            CellOf(rows[static_cast<size_t>(a.row)], column), CellOf(rows[static_cast<size_t>(b.row)], column), shared);
        if (result != 0)
            return ascending == (result < 0);
        return a.row < b.row;
    });

    std::vector<int> indexes;
    indexes.reserve(keys.size());
    for (const Key& key : keys)
        indexes.push_back(key.row);
    return indexes;
}

// Puts the rows into the given order (row i becomes the one at order[i]) by following the
// order's cycles, so that no second copy of a large list is needed.
void Reorder(std::vector<ListRow>& rows, std::vector<int> order)
{
    for (size_t start = 0; start < order.size(); ++start) {
        if (order[start] < 0 || static_cast<size_t>(order[start]) == start)
            continue;
        ListRow first = std::move(rows[start]);
        size_t at = start;
        for (;;) {
            const size_t from = static_cast<size_t>(order[at]);
            order[at] = -1;
            if (from == start) {
                rows[at] = std::move(first);
                break;
            }
            rows[at] = std::move(rows[from]);
            at = from;
        }
    }
}

} // namespace

class TLinkListModel final : public QAbstractTableModel {
public:
    TLinkListModel(std::vector<TLinkListView::Column> columns, bool checkBoxes, QObject* parent)
        : QAbstractTableModel(parent),
          columns_(std::move(columns)),
          checkBoxes_(checkBoxes)
    { }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(columns_.size());
    }

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
        const ListRow& row = rows_[static_cast<size_t>(index.row())];
        const size_t column = static_cast<size_t>(index.column());
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            // Converted when painted: only the rows on screen ever pay for it.
            return column < row.cells.size() ? ToDisplay(row.cells[column]) : QString();
        case Qt::CheckStateRole:
            if (checkBoxes_ && column == 0)
                return row.checked ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::ForegroundRole:
            if (IsLinkCell(index))
                return QPalette().color(QPalette::Link);
            return {};
        case Qt::FontRole:
            if (IsLinkCell(index)) {
                QFont font;
                font.setUnderline(true);
                return font;
            }
            return {};
        default: return {};
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::CheckStateRole || !checkBoxes_ || index.column() != 0)
            return false;
        rows_[static_cast<size_t>(index.row())].checked = value.toInt() == Qt::Checked;
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
        std::vector<int> newRowOf(rows_.size());
        std::vector<int> oldRowOf = TextOrder(rows_, static_cast<size_t>(column), order);
        std::vector<ListRow> sorted;
        sorted.reserve(rows_.size());
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
        Reorder(rows, TextOrder(rows, 0, Qt::AscendingOrder));
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }

    const ListRow& Row(int index) const { return rows_.at(static_cast<size_t>(index)); }

    void SetAllChecked(bool checked)
    {
        for (ListRow& row : rows_)
            row.checked = checked;
        if (!rows_.empty())
            emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, 0), {Qt::CheckStateRole});
    }

    bool IsLinkCell(const QModelIndex& index) const
    {
        return index.isValid() && index.column() < static_cast<int>(columns_.size())
            && TLinkListView::IsLinkText(CellText(index));
    }

    const std::string& CellText(const QModelIndex& index) const
    {
        return CellOf(rows_[static_cast<size_t>(index.row())], static_cast<size_t>(index.column()));
    }

private:
    std::vector<TLinkListView::Column> columns_;
    bool checkBoxes_;
    std::vector<ListRow> rows_;
};

TLinkListView::TLinkListView(
    std::vector<Column> columns, bool checkBoxes, QAbstractItemView::SelectionMode selection, QWidget* parent)
    : QTreeView(parent),
      model_(new TLinkListModel(columns, checkBoxes, this)),
      checkBoxes_(checkBoxes)
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
    lastOrder_
        = (column == lastClickedColumn_ && lastOrder_ == Qt::AscendingOrder) ? Qt::DescendingOrder : Qt::AscendingOrder;
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
    if (event->button() != Qt::LeftButton || !model_->IsLinkCell(index)
        || IsOnCheckBox(index, event->position().toPoint()))
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
