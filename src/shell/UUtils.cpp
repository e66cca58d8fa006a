#include "shell/UUtils.h"

#include "platform/Launcher.h"

bool OpenUrl(const std::string& address, platform::Launcher& launcher)
{
    const std::string browser = launcher.FindBrowser();
    if (browser.empty())
        return false;
    // Whether the browser really starts is not known here; it was asked to.
    launcher.StartDetached(browser, address);
    return true;
}

void SplitFields(char separator, const std::string& text, std::vector<std::string>& fields)
{
    fields.clear();
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == separator) {
            fields.emplace_back(text, start, i - start);
            start = i + 1;
        }
    }
    if (start < text.size())
        fields.emplace_back(text, start, text.size() - start);
}

static int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string DecodeHexEscapes(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '$') {
            result += text[i++];
            continue;
        }
        // "$" and up to two digits, as one hexadecimal number; a lone "$" is no number.
        const size_t digits = std::min<size_t>(2, text.size() - i - 1);
        if (digits == 0)
            return {};
        int value = 0;
        for (size_t d = 1; d <= digits; ++d) {
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
