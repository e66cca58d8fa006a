#include "text/CsvText.h"

#include <gtest/gtest.h>

TEST(CsvText, QuotesOnlyTheFieldsThatNeedItAndEndsRecordsInCrLf)
{
    EXPECT_EQ(CsvRecord({}), "\r\n");
    EXPECT_EQ(CsvRecord({"Period", "Hits"}), "Period,Hits\r\n");
    EXPECT_EQ(CsvRecord({"", "", ""}), ",,\r\n");
    EXPECT_EQ(CsvRecord({"a,b", "say \"hi\"", "two\r\nlines", "lf\nonly", "cr\ronly", "\"", "tab\tstays"}),
        "\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",\"lf\nonly\",\"cr\ronly\",\"\"\"\",tab\tstays\r\n");
    // Bytes above 127 pass through: UTF-8 stays UTF-8.
    EXPECT_EQ(CsvRecord({"M\xc3\xa4rz 2025", "12"}), "M\xc3\xa4rz 2025,12\r\n");
}
