#pragma once

// The news window: the reseller's news items in a list, and the content of the item the
// user selects in an HTML view. Reading an item stores its id as the one read last.

#include "branding/BrandingInfo.h"

#include <QCursor>
#include <QDialog>
#include <QTreeView>

#include <functional>
#include <string>
#include <vector>

class QPushButton;
class QSplitter;
class QTextBrowser;
class TNewsClient;
class TNewsItemsModel;

// The item list. Every change of the selection or of the current row is first put to
// OnChanging, which may refuse it.
class TNewsListView : public QTreeView {
    Q_OBJECT
public:
    explicit TNewsListView(QWidget* parent = nullptr);

    // Each row: title, publication text, news id (the id is kept, not shown).
    struct Row {
        std::string title;
        std::string published;
        std::string id;
    };
    void SetRows(std::vector<Row> rows);
    int RowCount() const;
    const Row& RowAt(int index) const;
    // The selected row's index, or -1.
    int SelectedRow() const;
    // Where the row's title cell is drawn, in the viewport's coordinates.
    QRect RowRect(int index) const;

    std::function<bool()> OnChanging;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool MayChange() const { return !OnChanging || OnChanging(); }

    TNewsItemsModel* model_;
};

class TfrmNews : public QDialog {
    Q_OBJECT
public:
    // Writes LastNewsId; empty: nothing is stored.
    using WriteLastNewsId = std::function<void(const std::string&)>;

    TfrmNews(const std::vector<std::string>& newsList, const BrandingInfo& branding, TNewsClient& client,
        WriteLastNewsId writeLastNewsId, QWidget* parent = nullptr);

    TNewsListView* lvwItems;
    QSplitter* splitter;
    QTextBrowser* prfEditorNews;
    QPushButton* btnExit;

    // True while the content of the selected item is being fetched.
    bool Busy = false;

    // Receives the address of a link clicked in the content; empty: links do nothing.
    std::function<void(const std::string&)> OnOpenLink;

    void FormShow();
    void lvwItemsChange();
    bool lvwItemsChanging() const;
    void btnExitClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetWaitCursor(bool waiting);

    const std::vector<std::string>& newsList_;
    const BrandingInfo& branding_;
    TNewsClient& client_;
    WriteLastNewsId writeLastNewsId_;
    QCursor contentCursor_;
    bool shown_ = false;
};
