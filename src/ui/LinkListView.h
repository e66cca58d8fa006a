#pragma once

// A report-style list whose rows are byte texts: the first cells are shown in columns,
// further cells ride along hidden (a record code, say). Rows are shown in ascending text
// order of their caption; a header click sorts by that column and a second click reverses.
// A cell whose text begins with "http://", "https://" or "mailto:" (in any letter case) is
// drawn as a link and opens on a click; every other cell is plain text.
// The rows stay where the table put them: sorting and filtering only change which rows are
// shown, and in which order.

#include "text/CellTable.h"

#include <QAbstractTableModel>
#include <QTreeView>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TLinkListModel;

class TLinkListView : public QTreeView {
    Q_OBJECT
public:
    struct Column {
        QString title;
        int width;
    };
    TLinkListView(std::vector<Column> columns, bool checkBoxes, QAbstractItemView::SelectionMode selection,
        QWidget* parent = nullptr);
    ~TLinkListView() override;

    // Replaces every row (caption first, then the sub-items); rows come out in ascending
    // caption order, unchecked.
    void SetRows(CellTable rows);
    void Clear();
    // The rows shown.
    int RowCount() const;
    // Rows are numbered in the order the list shows them, top to bottom. A cell's text stays
    // valid until the rows are replaced; a cell the row was not given is empty.
    std::string_view Cell(int row, int column) const;
    int CellCount(int row) const;
    bool IsChecked(int row) const;
    // Sets the check box of every row shown; hidden rows keep theirs.
    void SetAllChecked(bool checked);
    void SetChecked(int index, bool checked);
    std::optional<int> SelectedRow() const;
    // Every selected row, top to bottom.
    std::vector<int> SelectedRows() const;
    void SelectRow(int index);
    // Sorts as a click on that column's header does.
    void ClickHeader(int column);

    // Shows only the rows whose caption contains `text`, both compared as the list shows them
    // and without regard to case; an empty text shows every row. Rows set later are filtered
    // the same way. Rows shown before stay selected, checked and current.
    void SetFilter(const QString& text);
    const QString& Filter() const { return filter_; }
    // Every row, shown or hidden by the filter.
    int TotalRowCount() const;

    // Whether a right click selects the row under it, as a left click does (the default).
    void SetRightClickSelects(bool selects) { rightClickSelects_ = selects; }

    // While busy, the selection stays where it is (keyboard focus is kept).
    void SetBusy(bool busy) { busy_ = busy; }
    bool IsBusy() const { return busy_; }

    // Receives the text of a clicked link cell.
    std::function<void(const std::string&)> OnOpenLink;

    static bool IsLinkText(std::string_view text);

signals:
    // A row became selected (true) or lost its selection (false).
    void RowSelectionChanged(int row, bool selected);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    bool IsOnCheckBox(const QModelIndex& index, const QPoint& position);

    TLinkListModel* model_;
    bool checkBoxes_;
    bool busy_ = false;
    bool rightClickSelects_ = true;
    QString filter_;
    int lastClickedColumn_ = -1;
    Qt::SortOrder lastOrder_ = Qt::AscendingOrder;
};
