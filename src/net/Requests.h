#pragma once

// The three request shapes every caller uses. None shows a message or lets an error escape
// except `DownloadFile`, whose local file that cannot be created throws std::runtime_error.

#include "net/HttpClient.h"

#include <string>

namespace net {

enum class FormProfile {
    UserServer, // closes with "end"; failure text "BAD"; time limit 60000 ms set first
    NewsServer, // closes with "something"; answer trimmed; failure text empty
};

// User's server: baseUrl + "/" + script, exactly as stored (a trailing "/" gives "//").
// News server: one "/" between baseUrl and script whether or not baseUrl ends with one.
std::string PostForm(HttpClient& client, FormProfile profile, const std::string& baseUrl, const std::string& script,
                     const Form& fields);

// True with the body, or false with an empty text.
bool HttpGetText(HttpClient& client, const std::string& url, std::string& text);

// True when the whole body is in the file at `localPath`; on failure no file is left there.
bool DownloadFile(HttpClient& client, const std::string& url, const std::string& localPath);

} // namespace net
