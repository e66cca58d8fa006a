#pragma once

// The History window: the hits of some pages, or of the whole site, over a range of hours,
// days or months, against the period before; a table of the bars to copy and to export.

#include "history/HistoryPeriods.h"
#include "history/HistoryRequest.h"
#include "history/HistoryTable.h"
#include "ui/SaveFileChooser.h"

#include <QDialog>
#include <QTableView>
#include <QTimeZone>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QStandardItemModel;
class TBarChart;
class TMessageBox;

inline constexpr const char* kNoHistoryText
    = "This counter keeps no history yet. Upload the counter scripts of this version to your site.";
inline constexpr const char* kNoHitsText = "No hits in this period.";

// What the window takes from the main window.
struct HistoryContext {
    net::HttpClient* http = nullptr;
    std::string siteUrl;
    TMessageBox* messages = nullptr;
    SaveFileChooser chooseSaveFile;
    std::function<std::int64_t()> clock; // seconds since the epoch
    QTimeZone zone; // whose days and months the bars are
};

// The table of the bars; Ctrl+C hands the selected rows to OnCopy.
class THistoryTableView final : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;
    std::function<void()> OnCopy;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class TfrmHistory : public QDialog {
    Q_OBJECT
public:
    // No pages: the whole site.
    TfrmHistory(std::vector<HistoryPage> pages, HistoryContext context, QWidget* parent = nullptr);

    QComboBox* cbxRange;
    QCheckBox* chkRobots;
    QLabel* lblSummary;
    QStackedWidget* pgcChart;
    TBarChart* chtHits;
    QLabel* lblMessage;
    THistoryTableView* tblBars;
    QLabel* lblStatus;
    QPushButton* btnExportCsv;
    QPushButton* btnClose;

    // Asks the counter for the chosen range (and the robots, when they are shown) and shows
    // what came. False when no history came.
    bool LoadHistory();
    HistoryRange Range() const;
    const HistoryTable& Table() const { return table_; }
    // True once a load has ended, whatever it gave; false again while one runs.
    bool Loaded() const { return loaded_; }

    void FormShow();
    void cbxRangeChange();
    void chkRobotsClick();
    void btnExportCsvClick();
    // Puts the table's selected rows on the clipboard.
    void tblBarsCopy();

    // Closing gives up a request still waiting.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWindow();
    void SetLoading(bool loading);
    // Asks for the robots' hours over the span of the counted ones, and shows both.
    void LoadRobots();
    bool RobotsShown() const;
    // Draws, lists and sums up the hours that came, in the bars of their range.
    void ShowHours();
    void ShowMessage(const QString& text);
    void FillTable();
    std::vector<int> SelectedRows() const;

    std::vector<HistoryPage> pages_;
    HistoryContext context_;
    QStandardItemModel* model_;
    // What the last load gave, and the range and the moment it was asked for.
    HistoryRange range_ = HistoryRange::Last30Days;
    std::int64_t now_ = 0;
    HourlyHits hours_;
    std::optional<HourlyHits> robots_;
    HistoryTable table_;
    bool loading_ = false;
    bool loaded_ = false;
    bool closing_ = false;
    bool shown_ = false;
};
