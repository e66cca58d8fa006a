#include "ui/ListText.h"

#include "support/CellRows.h"
#include "ui/LinkListView.h"

#include <QHeaderView>
#include <gtest/gtest.h>

#include <numeric>

namespace {

// A referer list whose values hold every character that needs quoting somewhere, a value
// that is not UTF-8 (Windows-1252: "café" and the euro sign) and hits that need tidying.
class ListTextOfReferers : public testing::Test {
protected:
    ListTextOfReferers()
    {
        list.SetRows(TableOf({
            {"b.example", "red, green", "No Advertising", "007", "5"},
            {"a.example", "say \"hi\"", "Advertising", "12", "6"},
            {"c.example", "tab\there", "Advertising", "12abc", "7"},
            {"d.example", "two\r\nlines", "No Advertising", "-3", "8"},
            {"caf\xe9\x80.example", "", "Advertising", "+4", "9"},
        }));
    }

    std::vector<int> AllRows() const
    {
        std::vector<int> rows(static_cast<size_t>(list.RowCount()));
        std::iota(rows.begin(), rows.end(), 0);
        return rows;
    }

    TLinkListView list{{{QStringLiteral("Referer Domain"), 350}, {QStringLiteral("Keyword"), 150},
                           {QStringLiteral("Type"), 150}, {QStringLiteral("Hits"), 100}},
        false, QAbstractItemView::ExtendedSelection};
};

} // namespace

TEST_F(ListTextOfReferers, CsvQuotesAsTheStandardSaysAndWritesHitsAsPlainIntegers)
{
    EXPECT_EQ(ListText(list, AllRows(), ListTextFormat::Csv, std::vector<int>{3}),
        "Referer Domain,Keyword,Type,Hits\r\n"
        "a.example,\"say \"\"hi\"\"\",Advertising,12\r\n"
        "b.example,\"red, green\",No Advertising,7\r\n"
        "c.example,tab\there,Advertising,12abc\r\n"
        "caf\xc3\xa9\xe2\x82\xac.example,,Advertising,4\r\n"
        "d.example,\"two\r\nlines\",No Advertising,-3\r\n");
}

TEST_F(ListTextOfReferers, TabSeparatedTextTakesTheGivenRowsAsShown)
{
    EXPECT_EQ(ListText(list, std::vector<int>{0, 2, 3, 4}, ListTextFormat::TabSeparated),
        "Referer Domain\tKeyword\tType\tHits\n"
        "a.example\t\"say \"\"hi\"\"\"\tAdvertising\t12\n"
        "c.example\t\"tab\there\"\tAdvertising\t12abc\n"
        "caf\xc3\xa9\xe2\x82\xac.example\t\tAdvertising\t+4\n"
        "d.example\t\"two\r\nlines\"\tNo Advertising\t-3\n");
}

// The header can be rearranged by dragging and the rows sorted by a click: the text follows
// the screen, and the hidden record code never appears.
TEST_F(ListTextOfReferers, ColumnsAndRowsComeInTheOrderShown)
{
    list.header()->moveSection(3, 0);
    list.ClickHeader(1);
    list.ClickHeader(1);
    EXPECT_EQ(ListText(list, AllRows(), ListTextFormat::Csv, std::vector<int>{3}),
        "Hits,Referer Domain,Keyword,Type\r\n"
        "-3,d.example,\"two\r\nlines\",No Advertising\r\n"
        "12abc,c.example,tab\there,Advertising\r\n"
        "12,a.example,\"say \"\"hi\"\"\",Advertising\r\n"
        "7,b.example,\"red, green\",No Advertising\r\n"
        "4,caf\xc3\xa9\xe2\x82\xac.example,,Advertising\r\n");
}
