#pragma once

// What a site owner does with the statistics lists beyond the server's commands: filtering the
// page list, copying rows, exporting a list to a CSV file, the lists' context menus and their
// keys. The main window owns one and routes its handlers here; the widgets stay the window's.

#include "ui/SaveFileChooser.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;
class QPoint;
class QPushButton;
class TLinkListView;
class TMessageBox;

struct ListCommandsView {
    TLinkListView* lvwPages;
    TLinkListView* lvwReferers;
    QLineEdit* edtPageFilter;
    QLabel* lblPageFilter;
    // The page list's commands, which the keys press and the filter holds back.
    QPushButton* btnSSelectAll;
    QPushButton* btnDeleteSeg;
    QPushButton* bsSkinButton4;
    QPushButton* btnRevfreshSegments;
};

inline constexpr const char* kClearFilterToDeleteAllText = "Clear the filter to delete all pages.";

class TListCommands : public QObject {
public:
    TListCommands(TMessageBox& messages, SaveFileChooser chooseSaveFile,
        std::function<void(const std::string&)> openUrl, ListCommandsView view, QWidget* dialogParent);
    ~TListCommands() override;

    // Opens the history of a page, given its code and URL. While it is empty the page menu
    // offers no "History".
    std::function<void(const std::string& pageCode, const std::string& url)> OnShowHistory;

    // The filter field changed: show the matching pages at once.
    void edtPageFilterChange();

    // The rows Copy takes from the page list: the selected ones, or, when none is selected,
    // the checked ones shown.
    std::vector<int> PageRowsToCopy() const;
    void CopyPages();
    void CopyReferers();
    // Every row shown, in the order shown, into a CSV file the user chooses.
    void ExportPages();
    void ExportReferers();

    // The context menu of a row (or of the list below its rows). Its entries act on what the
    // list holds when they are chosen, for the row as it was when the menu opened.
    std::unique_ptr<QMenu> PageMenu(std::optional<int> row);
    std::unique_ptr<QMenu> RefererMenu(std::optional<int> row);
    void lvwPagesContextPopup(const QPoint& position);
    void lvwReferersContextPopup(const QPoint& position);

    // Requests hold back the commands that could start another one; Delete All also stays
    // disabled while the filter hides pages.
    void SetCommandsEnabled(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InstallKeys();
    void ShowFilterState();
    void ShowDeleteAllState();
    void CopyRows(const TLinkListView& list, const std::vector<int>& rows);
    void CopyRowsOr(const TLinkListView& list, const std::vector<int>& rows, const std::string& rowText);
    void Export(const TLinkListView& list, const char* suggestedName, std::vector<int> integerColumns);
    static std::optional<int> RowAt(const TLinkListView& list, const QPoint& position);
    void PopUp(TLinkListView& list, std::unique_ptr<QMenu> menu, const QPoint& position);

    TMessageBox& messages_;
    SaveFileChooser chooseSaveFile_;
    std::function<void(const std::string&)> openUrl_;
    ListCommandsView view_;
    QWidget* dialogParent_;
    bool commandsEnabled_ = true;
    std::string exportFolder_; // where the last export went, for the next one
};
