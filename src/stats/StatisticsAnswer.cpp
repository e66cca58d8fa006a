#include "stats/StatisticsAnswer.h"

#include "text/TextRoutines.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::string_view kEndMarker = "^OK";

// Past any end markers that start at `at`.
std::size_t SkipEndMarkers(std::string_view answer, std::size_t at)
{
    while (answer.substr(at, kEndMarker.size()) == kEndMarker)
        at += kEndMarker.size();
    return at;
}

// The records are joined by "^": the answer is read as if every "^OK" were removed, every "^"
// turned into CR LF and every `","` into a comma, then split into lines as ForEachLine does.
// An answer of a million records is tens of megabytes, and a copy of it costs about as much as
// reading it, so that text is never made: a "^" followed by "OK" is always one that goes (no
// byte of "OK" can begin another "^OK"), and neither "^OK" nor `","` holds a line break, so the
// lines are found in the answer as it came and only each line is rewritten, in one small
// buffer. `take` gets each line, and whether it ran to the end of the answer with no break
// after it; returning false stops the walk.
template <class Take> void ForEachAnswerLine(std::string_view answer, Take&& take)
{
    const auto isBreak = [&](std::size_t at) {
        const char c = answer[at];
        return c == '\r' || c == '\n' || (c == '^' && answer.substr(at, kEndMarker.size()) != kEndMarker);
    };
    std::string line;
    std::size_t start = SkipEndMarkers(answer, 0);
    while (start < answer.size()) {
        std::size_t end = start;
        bool hasEndMarker = false;
        for (; end < answer.size() && !isBreak(end); ++end)
            hasEndMarker = hasEndMarker || answer[end] == '^';
        line.assign(answer.substr(start, end - start));
        if (hasEndMarker)
            ReplaceAllInPlace(line, kEndMarker, "");
        ReplaceAllInPlace(line, "\",\"", ",");
        if (!take(std::string_view(line), end == answer.size()) || end == answer.size())
            return;
        start = SkipEndMarkers(answer, end + 1);
        if (answer[end] == '\r' && start < answer.size() && answer[start] == '\n')
            start = SkipEndMarkers(answer, start + 1);
    }
}

// `buildRow` fills the row begun for a line from its fields; it returns false, with the cells
// reached so far in the row, when the line has too few fields.
template <class BuildRow>
StatisticsAnswer ReadAnswer(std::string_view answer, std::size_t cellsPerRow, const BuildRow& buildRow)
{
    StatisticsAnswer result{.outcome = StatisticsAnswer::Outcome::Complete, .rows = CellTable(cellsPerRow)};
    // Each record ends in a "^" and takes at least a byte a cell (its commas and the "^"); the
    // cells of a record take fewer bytes than its line.
    const auto records = static_cast<std::size_t>(std::count(answer.begin(), answer.end(), '^'));
    result.rows.Reserve(std::min(records, answer.size() / cellsPerRow), answer.size());
    std::vector<std::string_view> fields;
    bool first = true;
    ForEachAnswerLine(answer, [&](std::string_view line, bool wholeAnswer) {
        if (std::exchange(first, false) && wholeAnswer && line == "OK") {
            result.outcome = StatisticsAnswer::Outcome::NoRecords;
            return false;
        }
        SplitFields(',', line, fields);
        result.rows.AddRow();
        if (buildRow(fields, result.rows, result.total))
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
    return ReadAnswer(answer, 3, [](const std::vector<std::string_view>& fields, CellTable& rows, std::int64_t& total) {
        // A row begun for a short line keeps the URL it reached, or an empty caption.
        rows.AddCell(fields.size() >= 2 ? fields[1] : std::string_view());
        if (fields.size() < 3)
            return false;
        const std::string hits = CleanValue(fields[2]);
        total += Int32OrZero(hits);
        rows.AddCell(hits);
        rows.AddCell(CleanValue(fields[0]));
        return true;
    });
}

StatisticsAnswer ReadRefererAnswer(std::string_view answer)
{
    return ReadAnswer(answer, 5, [](const std::vector<std::string_view>& fields, CellTable& rows, std::int64_t& total) {
        rows.AddCell(fields.size() >= 2 ? fields[1] : std::string_view());
        if (fields.size() >= 3)
            rows.AddCell(fields[2]);
        if (fields.size() >= 4)
            rows.AddCell(fields[3] == "1" ? "No Advertising" : "Advertising");
        if (fields.size() < 5)
            return false;
        const std::string hits = CleanValue(fields[4]);
        total += Int32OrZero(hits);
        rows.AddCell(hits);
        rows.AddCell(CleanValue(fields[0]));
        return true;
    });
}
