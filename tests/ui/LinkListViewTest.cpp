#include "ui/LinkListView.h"

#include "support/CellRows.h"

#include <QFont>
#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::vector<std::string> Captions(const TLinkListView& list, size_t column = 0)
{
    std::vector<std::string> captions;
    for (int i = 0; i < list.RowCount(); ++i)
        captions.emplace_back(list.Cell(i, static_cast<int>(column)));
    return captions;
}

class LinkList : public testing::Test {
protected:
    LinkList()
    {
        list.resize(500, 300);
        list.SetRows(TableOf({{"/b.php", "12", "18"}, {"/A.php", "250", "17"}, {"/a.php", "3", "20"},
            {"http://site/c.php", "7", "21"}}));
        list.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    TLinkListView list{{{QStringLiteral("Web Page URL"), 300}, {QStringLiteral("Hits"), 100}}, true,
        QAbstractItemView::SingleSelection};
};

} // namespace

TEST_F(LinkList, RowsComeInAscendingCaptionOrderWhateverTheyArrivedIn)
{
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"/A.php", "/a.php", "/b.php", "http://site/c.php"}));
    // The hidden cell travels with its row.
    EXPECT_EQ(list.Cell(2, 2), "18");
    EXPECT_EQ(list.model()->columnCount(), 2);
}

// Texts that share long prefixes, differ only in case, far beyond their start, by a NUL or
// by their length: the order is by folded bytes, shorter first, then by the bytes as they are,
// and rows with equal texts keep the order they came in, whichever way the list is sorted.
TEST(LinkListOrder, CaseFoldedBytesThenLengthThenExactBytesThenArrival)
{
    const std::string x20(20, 'x');
    const std::vector<std::string> arrived{"/site/page", std::string("/site/page\0", 11), "/site/PAGE", "/site/pagf",
        "/site/page" + x20 + "b", "/site/page" + x20 + "a", "/site/Page" + x20 + "a", "/site/page", "/site/\xe9t\xe9",
        "/site/z"};
    CellRows rows;
    for (size_t i = 0; i < arrived.size(); ++i)
        rows.push_back({arrived[i], std::to_string(i)});
    TLinkListView list{{{QStringLiteral("Web Page URL"), 300}, {QStringLiteral("Arrived"), 100}}, false,
        QAbstractItemView::SingleSelection};
    list.SetRows(TableOf(rows));

    const std::vector<std::string> ascending{"2", "0", "7", "1", "6", "5", "4", "3", "9", "8"};
    EXPECT_EQ(Captions(list, 1), ascending);
    list.ClickHeader(0);
    EXPECT_EQ(Captions(list, 1), ascending);
    list.ClickHeader(0);
    EXPECT_EQ(Captions(list, 1), (std::vector<std::string>{"8", "9", "3", "4", "5", "6", "1", "0", "7", "2"}));
}

// Sorting changes only the order shown: the checks stay on their rows, equal texts keep the
// order the list showed them in before the click, and a row cut short sorts as if its missing
// cells were empty.
TEST(LinkListOrder, SortsKeepChecksOnTheirRowsAndTiesInTheOrderShown)
{
    TLinkListView list{{{QStringLiteral("Web Page URL"), 300}, {QStringLiteral("Hits"), 100}}, true,
        QAbstractItemView::SingleSelection};
    list.SetRows(TableOf({{"/b", "2", "b2"}, {"/a", "9", "a9"}, {"/b", "1", "b1"}, {"/a", "1", "a1"}, {"/c"}}));
    EXPECT_EQ(Captions(list, 2), (std::vector<std::string>{"a9", "a1", "b2", "b1", ""}));
    list.SetChecked(3, true);
    list.SetChecked(4, true);
    const auto checkedCodes = [&] {
        std::vector<std::string> codes;
        for (int i = 0; i < list.RowCount(); ++i)
            if (list.IsChecked(i))
                codes.emplace_back(list.Cell(i, 2));
        return codes;
    };

    list.ClickHeader(1);
    EXPECT_EQ(Captions(list, 2), (std::vector<std::string>{"", "a1", "b1", "b2", "a9"}));
    EXPECT_EQ(checkedCodes(), (std::vector<std::string>{"", "b1"}));
    list.ClickHeader(0);
    EXPECT_EQ(Captions(list, 2), (std::vector<std::string>{"a1", "a9", "b1", "b2", ""}));
    EXPECT_EQ(checkedCodes(), (std::vector<std::string>{"b1", ""}));
    EXPECT_EQ(list.CellCount(4), 1);
}

TEST_F(LinkList, HeaderClickSortsAscendingAsTextThenReverses)
{
    list.ClickHeader(1);
    EXPECT_EQ(Captions(list, 1), (std::vector<std::string>{"12", "250", "3", "7"}));
    EXPECT_TRUE(list.header()->isSortIndicatorShown());
    EXPECT_EQ(list.header()->sortIndicatorOrder(), Qt::AscendingOrder);
    list.ClickHeader(1);
    EXPECT_EQ(Captions(list, 1), (std::vector<std::string>{"7", "3", "250", "12"}));
    EXPECT_EQ(list.header()->sortIndicatorOrder(), Qt::DescendingOrder);
    list.ClickHeader(0);
    EXPECT_EQ(Captions(list).front(), "/A.php");
}

TEST_F(LinkList, SortingKeepsTheSelectionOnItsRow)
{
    list.SelectRow(2); // /b.php
    list.ClickHeader(1);
    ASSERT_TRUE(list.SelectedRow());
    EXPECT_EQ(list.Cell(*list.SelectedRow(), 0), "/b.php");
}

TEST_F(LinkList, ChecksAreKeptPerRowAndSetTogether)
{
    list.SetChecked(1, true);
    EXPECT_TRUE(list.IsChecked(1));
    EXPECT_FALSE(list.IsChecked(0));
    list.SetAllChecked(true);
    for (int i = 0; i < list.RowCount(); ++i)
        EXPECT_TRUE(list.IsChecked(i));
    list.SetRows(TableOf({{"/new.php", "1", "1"}}));
    EXPECT_FALSE(list.IsChecked(0));
}

TEST_F(LinkList, ClickOnALinkCellOpensItsText)
{
    std::vector<std::string> opened;
    list.OnOpenLink = [&](const std::string& text) { opened.push_back(text); };
    const QRect linkCell = list.visualRect(list.model()->index(3, 0));
    const QRect plainCell = list.visualRect(list.model()->index(0, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, linkCell.center() + QPoint(40, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, plainCell.center() + QPoint(40, 0));
    EXPECT_EQ(opened, std::vector<std::string>{"http://site/c.php"});
}

TEST(LinkListLinks, OnlyWebAndMailAddressesAreLinks)
{
    struct Case {
        const char* text;
        bool link;
    };
    for (const Case& c : {Case{"http://site/a.php", true}, Case{"HTTPS://Site.example/", true},
             Case{"MailTo:owner@site.example", true}, Case{"file:///etc/passwd", false},
             Case{"smb://attacker.example/share", false}, Case{"ms-settings://", false},
             Case{"javascript:alert(1)", false}, Case{"search http://site", false}, Case{" http://site", false},
             Case{"x mailto:a@b", false}, Case{"www.site.com", false}, Case{"http:/site", false}, Case{"", false}})
        EXPECT_EQ(TLinkListView::IsLinkText(c.text), c.link) << c.text;
}

// A referer row as a visitor can plant it: domain and keyword are what his request said.
TEST(LinkListLinks, APlantedSchemeIsDrawnAndClickedAsPlainText)
{
    TLinkListView list{{{QStringLiteral("Referer Domain"), 250}, {QStringLiteral("Keyword"), 250}}, false,
        QAbstractItemView::ExtendedSelection};
    list.resize(600, 200);
    list.SetRows(TableOf({{"file:///etc/passwd", "smb://attacker.example/share"}, {"https://site.example/", "x"}}));
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    std::vector<std::string> opened;
    list.OnOpenLink = [&](const std::string& text) { opened.push_back(text); };

    ASSERT_EQ(list.Cell(0, 0), "file:///etc/passwd");
    for (int column : {0, 1}) {
        const QModelIndex planted = list.model()->index(0, column);
        EXPECT_FALSE(planted.data(Qt::FontRole).isValid()) << column;
        EXPECT_FALSE(planted.data(Qt::ForegroundRole).isValid()) << column;
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(planted).center());
    }
    EXPECT_TRUE(opened.empty());
    const QModelIndex web = list.model()->index(1, 0);
    EXPECT_TRUE(web.data(Qt::FontRole).value<QFont>().underline());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(web).center());
    EXPECT_EQ(opened, std::vector<std::string>{"https://site.example/"});
}

TEST_F(LinkList, WhileBusyTheSelectionDoesNotMove)
{
    std::vector<int> selected;
    QObject::connect(&list, &TLinkListView::RowSelectionChanged, [&](int row, bool on) {
        if (on)
            selected.push_back(row);
    });
    list.setFocus();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(1, 1)).center());
    list.SetBusy(true);
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(3, 1)).center());
    list.SetBusy(false);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(selected, (std::vector<int>{1, 2}));
}
