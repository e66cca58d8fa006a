#include "ui/LinkListView.h"

#include "support/CellRows.h"

#include <QFont>
#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

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

namespace {

// Captions in UTF-8, in Windows-1252 ("\xc4pfel" shows as "Äpfel") and in both cases.
class FilteredList : public testing::Test {
protected:
    FilteredList()
    {
        list.SetRows(TableOf({{"/index.php", "1", "1"},
            {"/Stra\xc3\x9f"
             "e.php",
                "2", "2"},
            {"/\xc4pfel.php", "3", "3"}, {"/INDEX-old.php", "4", "4"}, {"/contact.php", "5", "5"}}));
    }
    int RowOf(const std::string& caption) const
    {
        for (int i = 0; i < list.RowCount(); ++i)
            if (list.Cell(i, 0) == caption)
                return i;
        return -1;
    }
    TLinkListView list{{{QStringLiteral("Web Page URL"), 300}, {QStringLiteral("Hits"), 100}}, true,
        QAbstractItemView::SingleSelection};
};

} // namespace

TEST_F(FilteredList, ShowsTheCaptionsThatHoldTheTextWhateverTheCase)
{
    const std::vector<std::string> all{"/contact.php", "/INDEX-old.php", "/index.php",
        "/Stra\xc3\x9f"
        "e.php",
        "/\xc4pfel.php"};
    const std::vector<std::pair<QString, std::vector<std::string>>> cases{
        {QStringLiteral("index"), {"/INDEX-old.php", "/index.php"}},
        {QStringLiteral("INDEX.P"), {"/index.php"}},
        {QStringLiteral("STRASSE"),
            {"/Stra\xc3\x9f"
             "e.php"}},
        {QString::fromUtf8("stra\xc3\x9f"),
            {"/Stra\xc3\x9f"
             "e.php"}},
        {QString::fromUtf8("\xc3\xa4pfel"), {"/\xc4pfel.php"}},
        {QString::fromUtf8("\xc3\x84PF"), {"/\xc4pfel.php"}},
        {QStringLiteral(".PHP"), all},
        {QStringLiteral("zzz"), {}},
        {QString(), all},
    };
    for (const auto& [text, shown] : cases) {
        list.SetFilter(text);
        EXPECT_EQ(Captions(list), shown) << text.toStdString();
        EXPECT_EQ(list.TotalRowCount(), 5);
    }
}

// Typing narrows the rows already shown; deleting a letter must widen them again.
TEST_F(FilteredList, TypingAndDeletingLettersShowWhatTheWholeTextMatches)
{
    const std::vector<std::pair<QString, size_t>> typed{{"d", 2}, {"de", 2}, {"dex.", 1}, {"dex", 2}, {"", 5}, {"o", 2},
        {"ol", 1}, {"-old", 1}, {"x-old", 1}, {"d", 2}};
    for (const auto& [text, count] : typed) {
        list.SetFilter(text);
        EXPECT_EQ(Captions(list).size(), count) << text.toStdString();
    }
}

TEST_F(FilteredList, HiddenRowsKeepTheirChecksAndSelectAllSetsOnlyTheRowsShown)
{
    list.SetChecked(RowOf("/contact.php"), true);
    list.SetFilter(QStringLiteral("index"));
    list.SetAllChecked(true);
    list.SetFilter(QStringLiteral("php"));
    EXPECT_TRUE(list.IsChecked(RowOf("/contact.php")));
    EXPECT_TRUE(list.IsChecked(RowOf("/index.php")));
    EXPECT_FALSE(list.IsChecked(RowOf("/\xc4pfel.php")));
    list.SetFilter(QStringLiteral("contact"));
    list.SetAllChecked(false);
    list.SetFilter(QString());
    EXPECT_FALSE(list.IsChecked(RowOf("/contact.php")));
    EXPECT_TRUE(list.IsChecked(RowOf("/INDEX-old.php")));
}

// A filter never selects: the selected row stays selected while shown, and a row that the
// filter hides drops out of the selection without a word to the page list's handler.
TEST_F(FilteredList, TheSelectionStaysOnItsRowWhileShown)
{
    list.SelectRow(RowOf("/index.php"));
    std::vector<std::pair<int, bool>> changes;
    QObject::connect(
        &list, &TLinkListView::RowSelectionChanged, [&](int row, bool on) { changes.emplace_back(row, on); });
    list.SetFilter(QStringLiteral("ind"));
    ASSERT_TRUE(list.SelectedRow());
    EXPECT_EQ(list.Cell(*list.SelectedRow(), 0), "/index.php");
    list.SetFilter(QStringLiteral("contact"));
    EXPECT_FALSE(list.SelectedRow());
    EXPECT_TRUE(std::none_of(changes.begin(), changes.end(), [](const auto& change) { return change.second; }));
}

// New rows are filtered as they come, and a sort under a filter orders the hidden rows too.
TEST_F(FilteredList, NewRowsAndSortsKeepTheFilter)
{
    list.SetFilter(QStringLiteral("index"));
    list.ClickHeader(1);
    list.ClickHeader(1);
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"/INDEX-old.php", "/index.php"}));
    list.SetFilter(QString());
    EXPECT_EQ(Captions(list, 1), (std::vector<std::string>{"5", "4", "3", "2", "1"}));

    list.SetFilter(QStringLiteral("INDEX"));
    list.SetRows(TableOf({{"/new.php", "1", "1"}, {"/index2.php", "2", "2"}, {"/Index.php", "3", "3"}}));
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"/Index.php", "/index2.php"}));
    EXPECT_EQ(list.TotalRowCount(), 3);
}

// The page list opens its menu without selecting, since a selection there loads referers.
TEST_F(LinkList, ARightClickSelectsOnlyWhereAllowed)
{
    const auto rightClick = [&](int row) {
        QTest::mouseClick(list.viewport(), Qt::RightButton, {}, list.visualRect(list.model()->index(row, 1)).center());
    };
    rightClick(1);
    EXPECT_EQ(list.SelectedRow(), 1);
    list.SetRightClickSelects(false);
    rightClick(2);
    EXPECT_EQ(list.SelectedRow(), 1);
}
