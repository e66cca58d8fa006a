#pragma once

// The three request shapes every caller uses. None shows a message or lets an error escape
// except `DownloadFile`, whose local file that cannot be created throws std::runtime_error.

#include "net/HttpClient.h"

#include <optional>
#include <string>

namespace net {

enum class FormProfile {
    UserServer, // closes with "end"; failure text "BAD"; time limit 60000 ms set first
    NewsServer, // closes with "something"; answer trimmed; failure text empty
};

// `script` is a bare name such as "actions.php" (a leading "/" is accepted and not doubled).
// User's server: baseUrl + "/" + script, exactly as stored (a trailing "/" gives "//").
// News server: one "/" between baseUrl and script whether or not baseUrl ends with one.
// The user's server answer is returned as received, the news server's without the bytes up to
// 32 (blanks, line breaks, control characters) at either end; on failure "BAD" or the empty text.
std::string PostForm(
    HttpClient& client, FormProfile profile, const std::string& baseUrl, const std::string& script, const Form& fields);
// The same request, with a failure told apart from any answer: nothing when it failed. A
// caller that must not mistake a server's own "BAD" for a broken connection uses this one.
std::optional<std::string> PostFormAnswer(
    HttpClient& client, FormProfile profile, const std::string& baseUrl, const std::string& script, const Form& fields);

// True with the body, or false with an empty text. The connection is closed afterwards.
bool HttpGetText(HttpClient& client, const std::string& url, std::string& text);

// True when the whole body is in the file at `localPath`; on failure no file is left there,
// even one that existed before the call. A file that cannot be created throws.
bool DownloadFile(HttpClient& client, const std::string& url, const std::string& localPath);

} // namespace net
