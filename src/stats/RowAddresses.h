#pragma once

// The addresses the lists' rows lead to in a browser.

#include <optional>
#include <string>
#include <string_view>

// Whether a page URL is a web address a browser opens: http or https, in any case.
bool IsWebPageAddress(std::string_view url);

// "http://" + the domain of a referer row, when it is a host name (a domain, an address, with
// a port perhaps); nothing for an empty or grouped-away domain or any other text.
std::optional<std::string> SiteAddressOf(std::string_view domain);
