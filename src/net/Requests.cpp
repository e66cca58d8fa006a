#include "net/Requests.h"

#include "text/TextRoutines.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <sys/stat.h>

namespace net {
namespace {

std::string UserServerUrl(const std::string& baseUrl, const std::string& script)
{
    // The site address is used exactly as the user typed it, trailing "/" included.
    if (!script.empty() && script.front() == '/')
        return baseUrl + script;
    return baseUrl + "/" + script;
}

std::string NewsServerUrl(const std::string& baseUrl, const std::string& script)
{
    const bool baseSlash = !baseUrl.empty() && baseUrl.back() == '/';
    const bool scriptSlash = !script.empty() && script.front() == '/';
    if (baseSlash && scriptSlash)
        return baseUrl + script.substr(1);
    if (baseSlash || scriptSlash)
        return baseUrl + script;
    return baseUrl + "/" + script;
}

bool FileExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

} // namespace

std::optional<std::string> PostFormAnswer(
    HttpClient& client, FormProfile profile, const std::string& baseUrl, const std::string& script, const Form& fields)
{
    const bool userServer = profile == FormProfile::UserServer;
    try {
        if (userServer)
            client.SetTimeLimit(std::chrono::milliseconds{60000});
        Form form = fields;
        form.emplace_back(userServer ? "end" : "something", "");
        const std::string url = userServer ? UserServerUrl(baseUrl, script) : NewsServerUrl(baseUrl, script);
        HttpResponse response = client.Post(url, form);
        if (!response.ok)
            return std::nullopt;
        return userServer ? std::move(response.body) : std::string(TrimControls(response.body));
    } catch (...) {
        return std::nullopt;
    }
}

std::string PostForm(
    HttpClient& client, FormProfile profile, const std::string& baseUrl, const std::string& script, const Form& fields)
{
    std::optional<std::string> answer = PostFormAnswer(client, profile, baseUrl, script, fields);
    if (!answer)
        return profile == FormProfile::UserServer ? "BAD" : "";
    return std::move(*answer);
}

bool HttpGetText(HttpClient& client, const std::string& url, std::string& text)
{
    text.clear();
    try {
        HttpResponse response = client.Get(url); // pumps once before it starts
        if (!response.ok)
            return false;
        text = std::move(response.body);
        return true;
    } catch (...) {
        text.clear();
        return false;
    }
}

bool DownloadFile(HttpClient& client, const std::string& url, const std::string& localPath)
{
    if (FileExists(localPath))
        std::remove(localPath.c_str());
    std::FILE* file = std::fopen(localPath.c_str(), "wb");
    if (!file)
        throw std::runtime_error("Cannot create file \"" + localPath + "\": " + std::strerror(errno));

    bool ok = false;
    try {
        HttpResponse response = client.GetTo(
            url, [file](const char* data, std::size_t size) { return std::fwrite(data, 1, size, file) == size; });
        ok = response.ok;
    } catch (...) {
        ok = false;
    }
    // A failed close can lose buffered bytes, so the file is then incomplete.
    if (std::fclose(file) != 0)
        ok = false;
    if (!ok && FileExists(localPath))
        std::remove(localPath.c_str());
    return ok;
}

} // namespace net
