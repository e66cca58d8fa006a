#include "stats/StatisticsAnswer.h"

#include "text/TextRoutines.h"

#include <functional>

namespace {

// Builds one row from a line's fields; returns false, with the cells reached so far in the
// row, when the line has too few fields.
using RowBuilder
    = std::function<bool(const std::vector<std::string>& fields, std::vector<std::string>& row, std::int64_t& total)>;

StatisticsAnswer ReadAnswer(std::string_view answer, const RowBuilder& buildRow)
{
    std::string text = ReplaceAll(answer, "^OK", "");
    text = ReplaceAll(text, "^", "\r\n");
    text = ReplaceAll(text, "\",\"", ",");

    StatisticsAnswer result;
    if (text == "OK")
        return result;
    result.outcome = StatisticsAnswer::Outcome::Complete;
    std::vector<std::string> fields;
    ForEachLine(text, [&](std::string_view line) {
        SplitFields(',', std::string(line), fields);
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
    return ReadAnswer(
        answer, [](const std::vector<std::string>& fields, std::vector<std::string>& row, std::int64_t& total) {
            // A row begun for a short line keeps the URL it reached, or an empty caption.
            row.push_back(fields.size() >= 2 ? fields[1] : std::string());
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
    return ReadAnswer(
        answer, [](const std::vector<std::string>& fields, std::vector<std::string>& row, std::int64_t& total) {
            row.push_back(fields.size() >= 2 ? fields[1] : std::string());
            if (fields.size() >= 3)
                row.push_back(fields[2]);
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
