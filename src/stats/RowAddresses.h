#pragma once

// The addresses the lists' rows lead to in a browser.

#include <optional>
#include <string>
#include <string_view>

// "http://" + the domain of a referer row, when it is a host name (a domain, an address, with
// a port perhaps); nothing for an empty or grouped-away domain or any other text.
std::optional<std::string> SiteAddressOf(std::string_view domain);
