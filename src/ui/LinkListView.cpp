#include "ui/LinkListView.h"

#include "platform/LargePages.h"
#include "text/TextRoutines.h"
#include "ui/FoldedText.h"
#include "ui/Text.h"

#include <QFont>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace {

// Positions of the rows of a list: four megabytes for a million of them.
using Positions = std::vector<int, platform::LargePageAllocator<int>>;

unsigned char Fold(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Ascending text order: letters compare without regard to case first, and case only breaks
// ties, so "apple" and "Apple" sit together. Bytes compare as they are otherwise. Both texts
// must be equal before `from`.
int CompareTexts(std::string_view a, std::string_view b, size_t from = 0)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = from; i < common; ++i) {
        const int difference = Fold(static_cast<unsigned char>(a[i])) - Fold(static_cast<unsigned char>(b[i]));
        if (difference != 0)
            return difference;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.substr(from).compare(b.substr(from));
}

// Eight folded bytes from `at` on, the first one highest, zero past the end: comparing two of
// them as numbers gives the order CompareTexts gives those bytes.
std::uint64_t PackedBytes(std::string_view text, size_t at)
{
    std::uint64_t packed = 0;
    for (size_t i = at; i < at + 8; ++i)
        packed = (packed << 8) | (i < text.size() ? Fold(static_cast<unsigned char>(text[i])) : 0u);
    return packed;
}

// The order of `count` rows by one column's texts, as positions 0 to count - 1, where the row
// at a position is table row `rowAt(position)`; equal texts keep the order of their positions.
// Comparisons of whole texts would chase each text through memory for every one of the
// n log n steps, which for a large list costs far more than the comparing itself, so the rows
// are sorted on compact keys: the first sixteen folded bytes after the prefix that all the
// texts share. Only rows whose keys tie look at their texts.
template <class RowAt>
Positions TextOrder(const CellTable& table, size_t count, const RowAt& rowAt, size_t column, Qt::SortOrder order)
{
    if (count == 0)
        return {};
    const auto text = [&](size_t position) { return table.Cell(static_cast<size_t>(rowAt(position)), column); };
    const std::string_view first = text(0);
    size_t shared = first.size();
    for (size_t i = 1; i < count && shared > 0; ++i) {
        const std::string_view other = text(i);
        const auto end = first.begin() + static_cast<std::ptrdiff_t>(std::min(shared, other.size()));
        shared = static_cast<size_t>(std::mismatch(first.begin(), end, other.begin()).first - first.begin());
    }

    struct Key {
        std::uint64_t high;
        std::uint64_t low;
        int position;
    };
    std::vector<Key, platform::LargePageAllocator<Key>> keys;
    keys.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const std::string_view cell = text(i);
        keys.push_back({PackedBytes(cell, shared), PackedBytes(cell, shared + 8), static_cast<int>(i)});
    }
    const bool ascending = order == Qt::AscendingOrder;
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.high != b.high)
            return ascending == (a.high < b.high);
        if (a.low != b.low)
            return ascending == (a.low < b.low);
        const int result
            = CompareTexts(text(static_cast<size_t>(a.position)), text(static_cast<size_t>(b.position)), shared);
        if (result != 0)
            return ascending == (result < 0);
        return a.position < b.position;
    });

    Positions positions;
    positions.reserve(keys.size());
    for (const Key& key : keys)
        positions.push_back(key.position);
    return positions;
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
        return parent.isValid() ? 0 : static_cast<int>(shown_.size());
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
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            // Converted when painted: only the rows on screen ever pay for it.
            return ToDisplay(std::string(Cell(index.row(), index.column())));
        case Qt::CheckStateRole:
            if (checkBoxes_ && index.column() == 0)
                return IsChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
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
        checked_[TableRow(index.row())] = value.toInt() == Qt::Checked;
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
        ChangeShownRows(QAbstractItemModel::VerticalSortHint, [&] {
            // Every row is sorted, hidden ones too, so that clearing the filter shows this order.
            const Positions sorted = TextOrder(
                table_, order_.size(), [this](size_t position) { return order_[position]; },
                static_cast<size_t>(column), order);
            Positions ordered(order_.size());
            for (size_t i = 0; i < sorted.size(); ++i)
                ordered[i] = order_[static_cast<size_t>(sorted[i])];
            order_ = std::move(ordered);
            if (needle_.empty()) {
                shown_ = order_;
                return;
            }
            std::vector<bool> isShown(table_.RowCount(), false);
            for (int row : shown_)
                isShown[static_cast<size_t>(row)] = true;
            Positions shown;
            shown.reserve(shown_.size());
            for (int row : order_)
                if (isShown[static_cast<size_t>(row)])
                    shown.push_back(row);
            shown_ = std::move(shown);
        });
    }

    void SetRows(CellTable rows)
    {
        Positions order = TextOrder(
            rows, rows.RowCount(), [](size_t row) { return row; }, 0, Qt::AscendingOrder);
        beginResetModel();
        table_ = std::move(rows);
        order_ = std::move(order);
        checked_.assign(order_.size(), false);
        foldedCaptions_.reset();
        ShowMatching(order_);
        endResetModel();
    }

    // `needle` is folded as FoldTyped folds; empty shows every row.
    void SetFilter(std::string needle)
    {
        if (needle == needle_)
            return;
        ChangeShownRows(QAbstractItemModel::NoLayoutChangeHint, [&] {
            // Typing on only narrows: the rows a longer text can match are among those shown.
            const bool narrowing = !needle_.empty() && needle.find(needle_) != std::string::npos;
            needle_ = std::move(needle);
            ShowMatching(narrowing ? shown_ : order_);
        });
    }

    int TotalRowCount() const { return static_cast<int>(order_.size()); }

    std::string_view Cell(int row, int column) const { return table_.Cell(TableRow(row), static_cast<size_t>(column)); }
    int CellCount(int row) const { return static_cast<int>(table_.CellCount(TableRow(row))); }
    bool IsChecked(int row) const { return checked_[TableRow(row)]; }

    void SetAllChecked(bool checked)
    {
        for (int row : shown_)
            checked_[static_cast<size_t>(row)] = checked;
        if (!shown_.empty())
            emit dataChanged(index(0, 0), index(static_cast<int>(shown_.size()) - 1, 0), {Qt::CheckStateRole});
    }

    bool IsLinkCell(const QModelIndex& index) const
    {
        return index.isValid() && index.column() < static_cast<int>(columns_.size())
            && TLinkListView::IsLinkText(Cell(index.row(), index.column()));
    }

private:
    // The table row shown at a position; throws for a position the list does not have.
    size_t TableRow(int row) const { return static_cast<size_t>(shown_.at(static_cast<size_t>(row))); }

    // Runs `change`, which rearranges the rows shown, and moves the selection and the current
    // row along with their rows; one that is no longer shown drops out.
    template <class Change> void ChangeShownRows(QAbstractItemModel::LayoutChangeHint hint, const Change& change)
    {
        emit layoutAboutToBeChanged({}, hint);
        const QModelIndexList before = persistentIndexList();
        std::vector<int> rowsBefore;
        rowsBefore.reserve(static_cast<size_t>(before.size()));
        for (const QModelIndex& index : before)
            rowsBefore.push_back(shown_[static_cast<size_t>(index.row())]);
        change();
        if (!before.isEmpty()) {
            Positions positionOf(table_.RowCount(), -1);
            for (size_t i = 0; i < shown_.size(); ++i)
                positionOf[static_cast<size_t>(shown_[i])] = static_cast<int>(i);
            QModelIndexList after;
            after.reserve(before.size());
            for (qsizetype i = 0; i < before.size(); ++i) {
                const int position = positionOf[static_cast<size_t>(rowsBefore[static_cast<size_t>(i)])];
                after.append(position < 0 ? QModelIndex() : index(position, before[i].column()));
            }
            changePersistentIndexList(before, after);
        }
        emit layoutChanged({}, hint);
    }

    // Shows those of `candidates` (table rows, in the order to show them) whose caption holds
    // the filter text.
    void ShowMatching(const Positions& candidates)
    {
        if (needle_.empty()) {
            shown_ = candidates;
            return;
        }
        if (!foldedCaptions_) {
            // Folded once, on the first filter after a fill: every keystroke then only searches.
            foldedCaptions_ = std::make_unique<FoldedTexts>();
            for (size_t row = 0; row < table_.RowCount(); ++row)
                foldedCaptions_->AddShownBytes(table_.Cell(row, 0));
        }
        Positions shown;
        if (candidates.size() * 16 < table_.RowCount()) {
            // A few rows left: looking at each costs less than a pass over all of them.
            for (int row : candidates)
                if (foldedCaptions_->Holds(static_cast<size_t>(row), needle_))
                    shown.push_back(row);
        } else {
            const std::vector<bool> holding = foldedCaptions_->Holding(needle_);
            for (int row : candidates)
                if (holding[static_cast<size_t>(row)])
                    shown.push_back(row);
        }
        shown_ = std::move(shown);
    }

    std::vector<TLinkListView::Column> columns_;
    bool checkBoxes_;
    CellTable table_;
    Positions order_; // every table row, in the order the list sorts them
    Positions shown_; // the table row at each position of the list, top to bottom: order_ filtered
    std::vector<bool> checked_; // by table row, so that sorting leaves the checks alone
    std::string needle_; // the filter, folded
    std::unique_ptr<FoldedTexts> foldedCaptions_; // by table row
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

bool TLinkListView::IsLinkText(std::string_view text)
{
    // Visitors choose what lands in these cells (a referring domain, a keyword): only web and
    // mail addresses may open, never a file, a share or another program's scheme.
    return IsWebOrMailAddress(text);
}

void TLinkListView::SetRows(CellTable rows)
{
    lastClickedColumn_ = -1;
    header()->setSortIndicatorShown(false);
    model_->SetRows(std::move(rows));
}

void TLinkListView::Clear()
{
    SetRows(CellTable());
}

void TLinkListView::SetFilter(const QString& text)
{
    filter_ = text;
    model_->SetFilter(FoldTyped(text));
}

int TLinkListView::TotalRowCount() const
{
    return model_->TotalRowCount();
}

int TLinkListView::RowCount() const
{
    return model_->rowCount({});
}

std::string_view TLinkListView::Cell(int row, int column) const
{
    return model_->Cell(row, column);
}

int TLinkListView::CellCount(int row) const
{
    return model_->CellCount(row);
}

bool TLinkListView::IsChecked(int row) const
{
    return model_->IsChecked(row);
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

std::vector<int> TLinkListView::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
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
    if (event->button() == Qt::RightButton && !rightClickSelects_)
        return event->accept();
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
    if (event->button() == Qt::RightButton && !rightClickSelects_)
        return event->accept();
    const QModelIndex index = indexAt(event->position().toPoint());
    QTreeView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !model_->IsLinkCell(index)
        || IsOnCheckBox(index, event->position().toPoint()))
        return;
    if (OnOpenLink)
        OnOpenLink(std::string(model_->Cell(index.row(), index.column())));
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
