#pragma once

// A web site that carries the counter, as a site owner sets it up: the scripts in one
// folder with the config.php the program writes, and pages prepared by the program's own
// page preparation. Visits are plain HTTP requests with whatever headers a case needs.

#include "net/HttpClient.h"
#include "site/ServerSettings.h"

#include <string>
#include <utility>
#include <vector>

namespace serverkit {

// Copies the scripts of `scriptsFolder` (server/counter or server/news) into `targetFolder`
// and writes config.php there from `settings` with the program's own writer.
void InstallScripts(const std::string& scriptsFolder, const std::string& targetFolder, const ServerSettings& settings);

// Asks `siteUrl` + "/showmainpath.php" for the include path, then prepares every .php page
// under `pagesFolder` the way "Prepare Web Pages" does, subfolders too but none inside
// `skipFolders` (the counter's own folder is never prepared in any case). The number of
// pages written; throws std::runtime_error when no path comes back or a page cannot be written.
std::size_t PreparePages(net::HttpClient& http, const std::string& siteUrl, const std::string& pagesFolder,
    const std::vector<std::string>& skipFolders);

using Header = std::pair<std::string, std::string>;

struct HttpReply {
    int status = 0; // 0 when no status line came back
    std::string head; // status line and headers
    std::string body;
};

// Sends `request` exactly as given to 127.0.0.1:port and reads the reply until the server
// closes the connection. Throws std::runtime_error when it cannot connect.
HttpReply SendRequest(int port, const std::string& request);

// A GET of `target` as HTTP/1.0 with these headers, values sent byte for byte. A Host
// header of 127.0.0.1:port is added unless `headers` holds one.
HttpReply Visit(int port, const std::string& target, const std::vector<Header>& headers = {});

} // namespace serverkit
