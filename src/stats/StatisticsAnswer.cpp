#include "stats/StatisticsAnswer.h"

#include "shell/UUtils.h"

#include <charconv>
#include <functional>

namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    std::string result;
    result.reserve(text.size());
    size_t start = 0;
    for (size_t found; (found = text.find(from, start)) != std::string_view::npos; start = found + from.size()) {
        result.append(text, start, found - start);
        result.append(to);
    }
    result.append(text, start);
    return result;
}

// Calls `line` for every line; a line ends at CR LF, LF or CR and a final break adds none.
// Stops early when `line` returns false.
void ForEachLine(std::string_view text, const std::function<bool(std::string_view)>& line)
{
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        if (!line(text.substr(start, i - start)))
            return;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        line(text.substr(start));
}

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
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    size_t first = 0;
    while (first < value.size() && blank(value[first]))
        ++first;
    size_t last = value.size();
    while (last > first && blank(value[last - 1]))
        --last;
    return value.substr(first, last - first);
}

std::int32_t HitNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9')
            return 0;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return (error == std::errc() && end == text.data() + text.size()) ? value : 0;
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
            total += HitNumber(hits);
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
            total += HitNumber(hits);
            row.push_back(std::move(hits));
            row.push_back(CleanValue(fields[0]));
            return true;
        });
}
