#include "site/IniText.h"

#include <optional>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::string_view TrimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
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
            if (SameName(*name, section)) {
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
            if (name && SameName(*name, key))
                place.keyLine = i;
        }
    }
    return place;
}

} // namespace

std::string ReadIniValue(const std::string& text, const std::string& section, const std::string& key)
{
    const std::vector<std::string_view> lines = SplitLines(text);
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
    std::vector<std::string_view> lines = SplitLines(text);
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
