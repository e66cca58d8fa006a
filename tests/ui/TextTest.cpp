#include "ui/Text.h"

#include <gtest/gtest.h>

#include <ostream>

struct DisplayCase {
    std::string bytes;
    QString shown;
};

void PrintTo(const DisplayCase& value, std::ostream* out)
{
    *out << testing::PrintToString(value.bytes);
}

class Display : public testing::TestWithParam<DisplayCase> { };

TEST_P(Display, ShowsUtf8WhereValidElseWindows1252)
{
    EXPECT_EQ(ToDisplay(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Bytes, Display,
    testing::Values(DisplayCase{"/index.php", QStringLiteral("/index.php")},
        DisplayCase{"caf\xc3\xa9", QString::fromUtf8("caf\xc3\xa9")},
        DisplayCase{"caf\xe9", QString::fromUtf8("caf\xc3\xa9")},
        DisplayCase{"\x80 \x93quoted\x94", QString::fromUtf8("\xe2\x82\xac \xe2\x80\x9cquoted\xe2\x80\x9d")},
        DisplayCase{std::string("a\0b", 3), QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("b")}));

TEST(Display, TypedTextRoundTripsAsUtf8)
{
    const QString typed = QString::fromUtf8("p\xc3\xa4ss\xe2\x82\xac");
    EXPECT_EQ(FromUser(typed), "p\xc3\xa4ss\xe2\x82\xac");
    EXPECT_EQ(ToDisplay(FromUser(typed)), typed);
}
