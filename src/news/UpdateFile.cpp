#include "news/UpdateFile.h"

#include "text/IniText.h"

#include <charconv>
#include <cmath>

namespace {

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Only the plain decimal form: from_chars alone would also take "inf", "nan" and such.
bool IsDecimalNumber(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i]))
            ++digits;
        else if (text[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        const std::size_t exponentStart = i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        if (i == exponentStart)
            return false;
    }
    return i == text.size();
}

template <typename Number> Number ReadVersion(std::string_view text)
{
    text = TrimBlanks(text);
    if (!IsDecimalNumber(text))
        return 0;
    // from_chars takes no "+" sign; it never looks at the locale.
    if (text.front() == '+')
        text.remove_prefix(1);
    Number value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return 0;
    return value;
}

} // namespace

std::string ReadPublishedVersion(const std::string& fileText)
{
    return ReadIniValue(fileText, "APPLICATION", "Version");
}

float PublishedVersionNumber(std::string_view text)
{
    return ReadVersion<float>(text);
}

double OwnVersionNumber(std::string_view text)
{
    return ReadVersion<double>(text);
}

bool IsNewerVersion(std::string_view published, std::string_view own)
{
    // The float widens to double exactly, so 2.01f stays below 2.01.
    return OwnVersionNumber(own) < static_cast<double>(PublishedVersionNumber(published));
}
