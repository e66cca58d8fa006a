#include "stats/RowAddresses.h"

#include "text/TextRoutines.h"

#include <algorithm>

namespace {

bool IsLetterOrDigit(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80;
}

} // namespace

std::optional<std::string> SiteAddressOf(std::string_view domain)
{
    // Letters beyond ASCII belong to international names; brackets and colons to addresses
    // and ports. Blanks, slashes and the like make it something other than a host.
    const auto isHostByte = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return IsLetterOrDigit(byte) || byte == '.' || byte == '-' || byte == '_' || byte == ':' || byte == '['
            || byte == ']';
    };
    if (!std::all_of(domain.begin(), domain.end(), isHostByte)
        || std::none_of(
            domain.begin(), domain.end(), [](char c) { return IsLetterOrDigit(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    return "http://" + std::string(domain);
}
