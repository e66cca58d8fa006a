#include "text/DelimitedText.h"

namespace {

void AppendRecord(std::string& out, std::span<const std::string_view> values, char separator,
    std::string_view needsQuotes, std::string_view lineEnd)
{
    bool first = true;
    for (std::string_view value : values) {
        if (!first)
            out += separator;
        first = false;
        if (value.find_first_of(needsQuotes) == std::string_view::npos) {
            out += value;
            continue;
        }
        out += '"';
        for (char c : value) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    out += lineEnd;
}

} // namespace

void AppendCsvRecord(std::string& out, std::span<const std::string_view> values)
{
    AppendRecord(out, values, ',', ",\"\r\n", "\r\n");
}

void AppendTabRecord(std::string& out, std::span<const std::string_view> values)
{
    AppendRecord(out, values, '\t', "\t\"\r\n", "\n");
}
