#include "text/TextRoutines.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace {

template <class Field> void SplitInto(char separator, std::string_view text, std::vector<Field>& fields)
{
    fields.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == separator) {
            fields.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (start < text.size())
        fields.emplace_back(text.substr(start));
}

} // namespace

void SplitFields(char separator, std::string_view text, std::vector<std::string>& fields)
{
    SplitInto(separator, text, fields);
}

void SplitFields(char separator, std::string_view text, std::vector<std::string_view>& fields)
{
    SplitInto(separator, text, fields);
}

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string DecodeHexEscapes(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '$') {
            result += text[i++];
            continue;
        }
        // "$" and up to two digits, as one hexadecimal number; a lone "$" is no number.
        const std::size_t digits = std::min<std::size_t>(2, text.size() - i - 1);
        if (digits == 0)
            return {};
        int value = 0;
        for (std::size_t d = 1; d <= digits; ++d) {
            const int digit = HexValue(text[i + d]);
            if (digit < 0)
                return {};
            value = value * 16 + digit;
        }
        result += static_cast<char>(value);
        i += 3;
    }
    return result;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string_view TrimControls(std::string_view text)
{
    const auto low = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && low(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && low(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(from, start)) != std::string_view::npos; start = found + from.size()) {
        result.append(text, start, found - start);
        result.append(to);
    }
    result.append(text, start);
    return result;
}

void ReplaceAllInPlace(std::string& text, std::string_view from, std::string_view to)
{
    if (to.size() > from.size())
        throw std::invalid_argument("ReplaceAllInPlace cannot grow a text");
    // The write position never passes the read position, so what is still to be searched is
    // always the text as it came.
    char* data = text.data();
    std::size_t written = 0;
    std::size_t read = 0;
    for (std::size_t found; (found = text.find(from, read)) != std::string::npos; read = found + from.size()) {
        if (written != read)
            std::memmove(data + written, data + read, found - read);
        written += found - read;
        std::memcpy(data + written, to.data(), to.size());
        written += to.size();
    }
    if (written != read)
        std::memmove(data + written, data + read, text.size() - read);
    text.resize(written + text.size() - read);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

std::size_t FindIgnoringCase(std::string_view text, std::string_view what, std::size_t from)
{
    if (from > text.size())
        return std::string_view::npos;
    const auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), what.begin(),
        what.end(), [](char x, char y) { return FoldCase(x) == FoldCase(y); });
    if (found == text.end() && !what.empty())
        return std::string_view::npos;
    return static_cast<std::size_t>(found - text.begin());
}

std::optional<std::int32_t> Int32Of(std::string_view text)
{
    // from_chars takes a "-" but not a "+"; a "+" must still be followed by a digit.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9')
            return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::int32_t Int32OrZero(std::string_view text)
{
    return Int32Of(text).value_or(0);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool IsWebAddress(std::string_view text)
{
    return StartsWithIgnoringCase(text, "http://") || StartsWithIgnoringCase(text, "https://");
}

bool IsWebOrMailAddress(std::string_view text)
{
    return IsWebAddress(text) || StartsWithIgnoringCase(text, "mailto:");
}
