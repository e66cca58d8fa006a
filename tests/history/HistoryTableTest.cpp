#include "history/HistoryTable.h"

#include <gtest/gtest.h>

TEST(HistoryTable, CsvHoldsEveryRowInIsoWithPlainCountsAndCrLf)
{
    HistoryTable table{.hasPrevious = true, .hasRobots = true, .rows = {}};
    table.rows.push_back({"Sat 3/29/25", "2025-03-29", 1234, 1000, 7});
    table.rows.push_back({"Sun 3/30/25", "2025-03-30", 0, 9223372036854775807, 0});
    EXPECT_EQ(HistoryCsv(table),
        "Period,Hits,Previous period,Robots (not counted)\r\n"
        "2025-03-29,1234,1000,7\r\n"
        "2025-03-30,0,9223372036854775807,0\r\n");
    // Only the columns the table has.
    table.hasRobots = false;
    table.hasPrevious = false;
    EXPECT_EQ(HistoryCsv(table), "Period,Hits\r\n2025-03-29,1234\r\n2025-03-30,0\r\n");
    table.rows.clear();
    EXPECT_EQ(HistoryCsv(table), "Period,Hits\r\n");
}

TEST(HistoryTable, CopiedRowsAreTabSeparatedUnderAHeaderAsShown)
{
    HistoryTable table{.hasPrevious = true, .hasRobots = false, .rows = {}};
    table.rows.push_back({"M\u00e4rz 2025", "2025-03", 4210, 3759, 0});
    table.rows.push_back({"April 2025", "2025-04", 12, 0, 0});
    table.rows.push_back({"Mai 2025", "2025-05", 3, 4, 0});
    EXPECT_EQ(HistoryCopyText(table, {0, 2}),
        QString::fromUtf8("Period\tHits\tPrevious period\nM\u00e4rz 2025\t4210\t3759\nMai 2025\t3\t4\n"));
    EXPECT_EQ(HistoryCopyText(table, {}), "Period\tHits\tPrevious period\n");
}
