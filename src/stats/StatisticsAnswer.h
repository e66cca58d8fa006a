#pragma once

// Reading the counter's list answers: records of quoted values joined by "^", closed by
// "^OK", or "OK" alone when there are none. Values are not escaped, so a comma inside a
// value shifts the fields after it; a line with too few fields stops the reading there.

#include "text/CellTable.h"

#include <cstdint>
#include <string>
#include <string_view>

struct StatisticsAnswer {
    enum class Outcome {
        NoRecords, // the answer was "OK" alone: the list empties, the total stays as it was
        Complete, // every line made a row; the total is the sum of the rows' hits
        StoppedShort // a line had too few fields; its row holds the cells it reached
    };
    Outcome outcome = Outcome::NoRecords;
    CellTable rows; // cells in the list's order, hidden ones last
    std::int64_t total = 0;
};

// Page list: each row is URL, hits text, page code.
StatisticsAnswer ReadPageListAnswer(std::string_view answer);
// Referers: each row is domain, keyword, "No Advertising" or "Advertising", hits text, record code.
StatisticsAnswer ReadRefererAnswer(std::string_view answer);

// Double quotes removed, then every byte up to 32 trimmed from both ends.
std::string CleanValue(std::string_view field);
