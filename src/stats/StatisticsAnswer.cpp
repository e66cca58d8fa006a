#include "stats/StatisticsAnswer.h"

#include "text/TextRoutines.h"

#include <algorithm>
#include <functional>

namespace {

// Builds one row from a line's fields (which it may take from); returns false, with the
// cells reached so far in the row, when the line has too few fields.
using RowBuilder
    = std::function<bool(std::vector<std::string>& fields, std::vector<std::string>& row, std::int64_t& total)>;

// The records are joined by "^": the answer is read as if every "^OK" were removed, every "^"
// turned into CR LF and every `","` into a comma, then split into lines and each line at its
// commas. The text is copied once only and no line is copied at all: an answer of a million
// records is tens of megabytes, and each copy of it costs about as much as reading it.
StatisticsAnswer ReadAnswer(std::string_view answer, const RowBuilder& buildRow)
{
    std::string text(answer);
    ReplaceAllInPlace(text, "^OK", "");
    // Neither a "^" nor the CR LF it stands for can be part of `","`, so this may come before
    // the records are split.
    ReplaceAllInPlace(text, "\",\"", ",");

    StatisticsAnswer result;
    if (text == "OK")
        return result;
    result.outcome = StatisticsAnswer::Outcome::Complete;
    result.rows.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '^')) + 1);
    std::vector<std::string> fields;
    ForEachLineAlsoBrokenAt('^', text, [&](std::string_view line) {
        SplitFields(',', line, fields);
        std::vector<std::string>& row = result.rows.emplace_back();
        if (buildRow(fields, row, result.total))
            return true;
        result.outcome = StatisticsAnswer::Outcome::StoppedShort;
        return false;
    });
    return result;
}

} // namespace

std::string CleanValue(std::string_view field)
{
    std::string value;
    value.reserve(field.size());
    for (char c : field)
        if (c != '"')
            value += c;
    return std::string(TrimControls(value));
}

StatisticsAnswer ReadPageListAnswer(std::string_view answer)
{
    return ReadAnswer(answer, [](std::vector<std::string>& fields, std::vector<std::string>& row, std::int64_t& total) {
        row.reserve(3);
        // A row begun for a short line keeps the URL it reached, or an empty caption.
        row.push_back(fields.size() >= 2 ? std::move(fields[1]) : std::string());
        if (fields.size() < 3)
            return false;
        std::string hits = CleanValue(fields[2]);
        total += Int32OrZero(hits);
        row.push_back(std::move(hits));
        row.push_back(CleanValue(fields[0]));
        return true;
    });
}

StatisticsAnswer ReadRefererAnswer(std::string_view answer)
{
    return ReadAnswer(answer, [](std::vector<std::string>& fields, std::vector<std::string>& row, std::int64_t& total) {
        row.reserve(5);
        row.push_back(fields.size() >= 2 ? std::move(fields[1]) : std::string());
        if (fields.size() >= 3)
            row.push_back(std::move(fields[2]));
        if (fields.size() >= 4)
            row.push_back(fields[3] == "1" ? "No Advertising" : "Advertising");
        if (fields.size() < 5)
            return false;
        std::string hits = CleanValue(fields[4]);
        total += Int32OrZero(hits);
        row.push_back(std::move(hits));
        row.push_back(CleanValue(fields[0]));
        return true;
    });
}
