#include "serverkit/CounterSite.h"

#include "net/Requests.h"
#include "platform/ReplaceFile.h"
#include "site/PagePreparation.h"
#include "site/SettingsFiles.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace serverkit {
namespace {

bool IsInside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    const std::string file = std::filesystem::weakly_canonical(path).string();
    const std::string prefix = std::filesystem::weakly_canonical(folder).string() + "/";
    return file.compare(0, prefix.size(), prefix) == 0;
}

void SendAll(int fd, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // the server may close early on a request it refuses; read what it said
        sent += static_cast<std::size_t>(n);
    }
}

} // namespace

void InstallScripts(const std::string& scriptsFolder, const std::string& targetFolder, const ServerSettings& settings)
{
    std::filesystem::create_directories(targetFolder);
    for (const auto& entry : std::filesystem::directory_iterator(scriptsFolder)) {
        if (entry.is_regular_file())
            std::filesystem::copy_file(entry.path(), std::filesystem::path(targetFolder) / entry.path().filename(),
                std::filesystem::copy_options::overwrite_existing);
    }
    const std::string config = (std::filesystem::path(targetFolder) / kConfigFileName).string();
    if (!platform::ReplaceFileContents(config, MakeConfigPhp(settings), 0644).empty())
        throw std::runtime_error("cannot write " + config);
}

std::size_t PreparePages(net::HttpClient& http, const std::string& siteUrl, const std::string& pagesFolder,
    const std::vector<std::string>& skipFolders)
{
    std::string answer;
    net::HttpGetText(http, siteUrl + "/showmainpath.php", answer);
    const std::optional<std::string> includePath = IncludePathFromAnswer(answer);
    if (!includePath)
        throw std::runtime_error("showmainpath.php named no include path: \"" + answer + "\"");
    std::size_t pages = 0;
    for (const std::string& page : CollectPageFiles(pagesFolder, true)) {
        if (std::any_of(skipFolders.begin(), skipFolders.end(),
                [&](const std::string& folder) { return IsInside(page, folder); }))
            continue;
        const PageFileResult result = PreparePageFile(page, *includePath);
        if (!result.error.empty())
            throw std::runtime_error(result.error);
        if (!result.leftAlone)
            ++pages;
    }
    return pages;
}

HttpReply SendRequest(int port, const std::string& request)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("cannot open a socket");
    timeval limit{60, 0}; // a test must end even when a server hangs
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        throw std::runtime_error("cannot connect to port " + std::to_string(port));
    }
    SendAll(fd, request);
    std::string reply;
    char buffer[16384];
    for (;;) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);

    HttpReply parsed;
    const std::size_t headEnd = reply.find("\r\n\r\n");
    parsed.head = reply.substr(0, headEnd);
    parsed.body = headEnd == std::string::npos ? std::string() : reply.substr(headEnd + 4);
    if (parsed.head.compare(0, 5, "HTTP/") == 0) {
        const std::size_t blank = parsed.head.find(' ');
        if (blank != std::string::npos)
            parsed.status = std::atoi(parsed.head.c_str() + blank + 1);
    }
    return parsed;
}

HttpReply Visit(int port, const std::string& target, const std::vector<Header>& headers)
{
    std::string request = "GET " + target + " HTTP/1.0\r\n";
    bool hasHost = false;
    for (const auto& [name, value] : headers) {
        hasHost = hasHost || name == "Host";
        request += name + ": " + value + "\r\n";
    }
    if (!hasHost)
        request += "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
    return SendRequest(port, request + "\r\n");
}

} // namespace serverkit
