#pragma once

#include <string>

// The five values that reach the counter's scripts on the user's site, exactly as typed.
struct ServerSettings {
    std::string siteUrl; // `SiteUrl`: the folder that holds the scripts, joined with "/actions.php"
    std::string hostname; // MySQL host
    std::string database;
    std::string username;
    std::string password;

    bool operator==(const ServerSettings&) const = default;
};
