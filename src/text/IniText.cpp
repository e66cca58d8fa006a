#include "text/IniText.h"

#include "text/TextRoutines.h"

#include <optional>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string_view> LineViews(std::string_view text)
{
    std::vector<std::string_view> lines;
    ForEachLine(text, [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

std::string_view TrimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The section a line opens, if it is a section header.
std::optional<std::string_view> SectionName(std::string_view line)
{
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const size_t close = line.find(']');
    return TrimBlanks(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

// The key of an entry line, if the line is an entry.
std::optional<std::string_view> KeyName(std::string_view line)
{
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return TrimBlanks(line.substr(0, equals));
}

struct Place {
    std::optional<size_t> sectionLine; // the first section of that name
    std::optional<size_t> keyLine; // the key's entry inside it
    size_t lastEntryLine = 0; // the section's last non-blank line
};

Place Find(const std::vector<std::string_view>& lines, std::string_view section, std::string_view key)
{
    Place place;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i])) {
            if (place.sectionLine)
                break;
            if (EqualsIgnoringCase(*name, section)) {
                place.sectionLine = i;
                place.lastEntryLine = i;
            }
            continue;
        }
        if (!place.sectionLine)
            continue;
        if (!TrimBlanks(lines[i]).empty())
            place.lastEntryLine = i;
        if (!place.keyLine) {
            const auto name = KeyName(lines[i]);
            if (name && EqualsIgnoringCase(*name, key))
                place.keyLine = i;
        }
    }
    return place;
}

} // namespace

std::string ReadIniValue(const std::string& text, const std::string& section, const std::string& key)
{
    const std::vector<std::string_view> lines = LineViews(text);
    const Place place = Find(lines, section, key);
    if (!place.keyLine)
        return {};
    const std::string_view line = lines[*place.keyLine];
    std::string_view value = TrimBlanks(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, kIniValueLimit));
}

std::string WriteIniValue(
    const std::string& text, const std::string& section, const std::string& key, const std::string& value)
{
    std::vector<std::string_view> lines = LineViews(text);
    std::string entry = key + "=";
    for (char c : value)
        if (c != '\r' && c != '\n')
            entry += c;
    const std::string header = "[" + section + "]";

    const Place place = Find(lines, section, key);
    if (place.keyLine) {
        lines[*place.keyLine] = entry;
    } else if (place.sectionLine) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.lastEntryLine + 1), entry);
    } else {
        lines.push_back(header);
        lines.push_back(entry);
    }

    std::string result;
    for (std::string_view line : lines) {
        result += line;
        result += "\r\n";
    }
    return result;
}
