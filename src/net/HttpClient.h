#pragma once

// The program's one HTTP client (the main window's `IdHTTP1`). Every request is
// synchronous: while it waits, `Pump` is called at least every 20 ms so the windows keep
// painting and reacting. Only one request runs at a time.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace net {

// A form field: name and value, as bytes.
using FormField = std::pair<std::string, std::string>;
using Form = std::vector<FormField>;

struct HttpResponse {
    bool ok = false; // transfer complete and final status 200..299
    long status = 0; // final HTTP status, 0 when none arrived
    std::string body; // bytes as received (empty for a download to a file)
    std::string error; // what failed, for diagnostics only
};

struct HttpLimits {
    std::chrono::milliseconds connectBeforeTimeLimit{120000}; // until the time limit is set
    std::chrono::milliseconds waitBeforeTimeLimit{60000}; // wait for data until then
    std::size_t maxBodyBytes = 32u << 20; // a larger answer is a failure
    long maxRedirects = 15;
    // A PEM file of the only certificate authorities to trust for HTTPS; empty: the system's.
    std::string trustedCertificatesFile;
};

class HttpClient {
public:
    using Pump = std::function<void()>;
    explicit HttpClient(Pump pump, HttpLimits limits = {});
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Bounds connecting and every wait for data from now on (the user's server sets 60000 ms).
    void SetTimeLimit(std::chrono::milliseconds limit);
    // The limit set so far; empty while the start-up limits of HttpLimits still apply.
    std::optional<std::chrono::milliseconds> TimeLimit() const;

    // Every request calls Pump once before it starts, then at least every 20 ms until it ends.
    // Failure (ok false) is a transport error, a final status outside 200..299, an answer over
    // maxBodyBytes, or no data for longer than the time limit; none of them throws.

    // multipart/form-data post as HTTP/1.0, fields in order; closes any open connection first.
    HttpResponse Post(const std::string& url, const Form& fields);
    // GET as HTTP/1.1 into memory; the connection is closed afterwards.
    HttpResponse Get(const std::string& url);
    // GET as HTTP/1.1 with the body handed to `sink` as it arrives (false from it aborts).
    HttpResponse GetTo(const std::string& url, const std::function<bool(const char*, std::size_t)>& sink);

    // Closes the connection; during a request it aborts it at once (the request fails).
    // Safe to call from inside Pump, and so is destroying the client there.
    void Disconnect();
    // True while a request runs. A request started then (from inside Pump) fails at once
    // with error "busy" and leaves the running one alone.
    bool Busy() const;
    // Called with true when a request starts and false when it ends.
    std::function<void(bool)> OnBusyChanged;

private:
    struct Impl;
    // Shared with a running request, which keeps it alive if the client is destroyed inside Pump.
    std::shared_ptr<Impl> impl_;
};

} // namespace net
