#include "net/HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <stdexcept>

namespace net {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 4.0)";
// The pump runs every 5 ms so that a slow pump, a late poll or a busy machine that wakes us
// late still leaves no event waiting 20 ms.
constexpr milliseconds kPumpInterval{5};

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw std::runtime_error("libcurl could not be initialised");
    });
}

// What one transfer collects while it runs; the callbacks see only this.
struct Transfer {
    std::string* body = nullptr;
    const std::function<bool(const char*, std::size_t)>* sink = nullptr;
    std::size_t received = 0;
    std::size_t maxBody = 0;
    bool tooLarge = false;
    bool sinkRefused = false;
    // False while resolving and connecting, which curl bounds itself; true once a request
    // can go out, from when on silence longer than the wait limit ends the transfer.
    bool waitingForData = false;
    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastUp = 0;
    curl_off_t lastDown = 0;
    char errorBuffer[CURL_ERROR_SIZE] = {};
};

size_t OnBody(char* data, size_t size, size_t count, void* user)
{
    auto& t = *static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    t.lastActivity = Clock::now();
    if (n > t.maxBody - t.received) {
        t.tooLarge = true;
        return 0;
    }
    t.received += n;
    try {
        if (t.sink) {
            if (!(*t.sink)(data, n)) {
                t.sinkRefused = true;
                return 0;
            }
        } else {
            t.body->append(data, n);
        }
    } catch (...) {
        t.sinkRefused = true;
        return 0;
    }
    return n;
}

size_t OnHeader(char*, size_t size, size_t count, void* user)
{
    static_cast<Transfer*>(user)->lastActivity = Clock::now();
    return size * count;
}

int OnProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded)
{
    auto& t = *static_cast<Transfer*>(user);
    if (downloaded != t.lastDown || uploaded != t.lastUp) {
        t.lastDown = downloaded;
        t.lastUp = uploaded;
        t.lastActivity = Clock::now();
    }
    return 0;
}

int OnSocketOpened(void* user, curl_socket_t, curlsocktype purpose)
{
    if (purpose == CURLSOCKTYPE_IPCXN)
        static_cast<Transfer*>(user)->waitingForData = false;
    return CURL_SOCKOPT_OK;
}

int OnConnected(void* user, char*, char*, int, int)
{
    auto& t = *static_cast<Transfer*>(user);
    t.waitingForData = true;
    t.lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

HttpResponse Failure(std::string error)
{
    HttpResponse r;
    r.error = std::move(error);
    return r;
}

} // namespace

struct HttpClient::Impl : std::enable_shared_from_this<Impl> {
    Pump pump;
    HttpLimits limits;
    std::optional<milliseconds> timeLimit;
    HttpClient* owner = nullptr; // null once the client is destroyed
    CURLSH* share = nullptr; // the cookie store, kept across requests and connections
    CURLM* multi = nullptr; // holds the open connection between requests, if any
    bool busy = false;
    bool abortRequested = false;

    Impl(Pump p, HttpLimits l)
        : pump(std::move(p)),
          limits(l)
    { }
    ~Impl() { Release(); }

    // libcurl, and the TLS library it sets up, start with the first request: a window that has
    // made none yet (one showing a welcome page, say) does not carry them.
    void Start()
    {
        if (multi)
            return;
        InitCurlOnce();
        share = curl_share_init();
        multi = curl_multi_init();
        if (!share || !multi) {
            Release();
            throw std::runtime_error("libcurl could not create the HTTP client");
        }
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    }

    void Release()
    {
        if (multi)
            curl_multi_cleanup(multi);
        if (share)
            curl_share_cleanup(share);
        multi = nullptr;
        share = nullptr;
    }

    void DropConnections()
    {
        if (!multi)
            return;
        // The connection cache lives in the multi handle; a new one starts with none open.
        CURLM* fresh = curl_multi_init();
        if (!fresh)
            return;
        curl_multi_cleanup(multi);
        multi = fresh;
    }

    milliseconds ConnectLimit() const { return timeLimit.value_or(limits.connectBeforeTimeLimit); }
    milliseconds WaitLimit() const { return timeLimit.value_or(limits.waitBeforeTimeLimit); }

    void NotifyBusy(bool value)
    {
        if (owner && owner->OnBusyChanged)
            owner->OnBusyChanged(value);
    }

    // Sets what every request shares; the caller adds method, version and body.
    void Configure(CURL* easy, const std::string& url, Transfer& t, curl_slist* headers)
    {
        t.maxBody = limits.maxBodyBytes;
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, t.errorBuffer);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_SHARE, share);
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, ""); // cookie engine on, in memory only
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, limits.maxRedirects);
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!limits.trustedCertificatesFile.empty()) {
            curl_easy_setopt(easy, CURLOPT_CAINFO, limits.trustedCertificatesFile.c_str());
            curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
        }
        curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(ConnectLimit().count()));
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBodyBytes));
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, OnProgress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &t);
        curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, OnSocketOpened);
        curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, &t);
        curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, OnConnected);
        curl_easy_setopt(easy, CURLOPT_PREREQDATA, &t);
    }

    // Drives one transfer to its end on this thread, pumping in between.
    HttpResponse Run(CURL* easy, Transfer& t)
    {
        auto self = shared_from_this(); // survives the client being destroyed inside the pump

        bool added = false;
        auto pumpOnce = [&] {
            pump();
            return !abortRequested;
        };
        auto finish = [&](HttpResponse r) {
            if (added)
                curl_multi_remove_handle(multi, easy);
            added = false;
            return r;
        };

        try {
            if (pump && !pumpOnce())
                return finish(Failure("aborted"));
            if (curl_multi_add_handle(multi, easy) != CURLM_OK)
                return finish(Failure("could not start the request"));
            added = true;
            t.lastActivity = Clock::now();
            auto lastPump = Clock::now();
            for (;;) {
                int running = 0;
                if (curl_multi_perform(multi, &running) != CURLM_OK)
                    return finish(Failure("transfer failed"));
                if (running == 0)
                    break;
                const auto now = Clock::now();
                if (t.waitingForData && now - t.lastActivity > WaitLimit())
                    return finish(Failure("no data for " + std::to_string(WaitLimit().count()) + " ms"));
                // Rounded up: a wait cut down to 0 ms would spin until the pump is due, and a
                // busy machine makes a thread that spins wait longer for its next turn.
                const auto untilPump = std::clamp(
                    std::chrono::ceil<milliseconds>(kPumpInterval - (now - lastPump)), milliseconds{0}, kPumpInterval);
                if (curl_multi_poll(multi, nullptr, 0, static_cast<int>(untilPump.count()), nullptr) != CURLM_OK)
                    return finish(Failure("transfer failed"));
                if (Clock::now() - lastPump >= kPumpInterval) {
                    if (pump && !pumpOnce())
                        return finish(Failure("aborted"));
                    lastPump = Clock::now();
                }
            }
        } catch (const std::exception& e) {
            return finish(Failure(e.what()));
        } catch (...) {
            return finish(Failure("unknown error"));
        }

        CURLcode code = CURLE_OK;
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &left))
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy)
                code = msg->data.result;

        HttpResponse r;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &r.status);
        r = finish(std::move(r));
        if (t.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
            r.error = "answer larger than " + std::to_string(limits.maxBodyBytes) + " bytes";
        else if (t.sinkRefused)
            r.error = "the answer could not be stored";
        else if (code != CURLE_OK)
            r.error = t.errorBuffer[0] ? t.errorBuffer : curl_easy_strerror(code);
        else if (r.status < 200 || r.status > 299)
            r.error = "HTTP status " + std::to_string(r.status);
        else
            r.ok = true;
        return r;
    }

    HttpResponse Request(const std::string& url, const Form* form, std::string* body,
        const std::function<bool(const char*, std::size_t)>* sink)
    {
        if (busy)
            return Failure("busy");
        auto self = shared_from_this();
        busy = true;
        abortRequested = false;
        struct Resources {
            CURL* easy = nullptr;
            curl_mime* mime = nullptr;
            curl_slist* headers = nullptr;
            ~Resources()
            {
                if (easy)
                    curl_easy_cleanup(easy);
                if (mime)
                    curl_mime_free(mime);
                if (headers)
                    curl_slist_free_all(headers);
            }
        };
        HttpResponse result;
        try {
            NotifyBusy(true);
            Start();
            Resources res;
            Transfer t;
            t.body = body;
            t.sink = sink;
            res.easy = curl_easy_init();
            if (!res.easy)
                throw std::runtime_error("libcurl could not create a request");
            res.headers = curl_slist_append(nullptr, "Accept: text/html, */*");
            if (res.headers)
                res.headers = curl_slist_append(res.headers, "Expect:");
            if (!res.headers)
                throw std::bad_alloc();
            Configure(res.easy, url, t, res.headers);
            if (form) {
                DropConnections();
                res.mime = curl_mime_init(res.easy);
                for (const auto& [name, value] : *form) {
                    curl_mimepart* part = curl_mime_addpart(res.mime);
                    curl_mime_name(part, name.c_str());
                    curl_mime_data(part, value.data(), value.size());
                }
                curl_easy_setopt(res.easy, CURLOPT_MIMEPOST, res.mime);
                // Left alone, libcurl turns a post into a bare GET after a 301, 302 or 303, and a
                // site that moved to HTTPS would receive "GET /actions.php" without its form.
                curl_easy_setopt(res.easy, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL));
                curl_easy_setopt(res.easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
                curl_easy_setopt(res.easy, CURLOPT_FRESH_CONNECT, 1L);
            } else {
                curl_easy_setopt(res.easy, CURLOPT_HTTPGET, 1L);
                curl_easy_setopt(res.easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
            }
            // No connection outlives its answer, not even between redirects: servers may close
            // an HTTP/1.0 connection they announced as kept alive, and a post starts afresh anyway.
            curl_easy_setopt(res.easy, CURLOPT_FORBID_REUSE, 1L);
            result = Run(res.easy, t);
        } catch (const std::exception& e) {
            result = Failure(e.what());
        } catch (...) {
            result = Failure("unknown error");
        }
        if (!result.ok && body)
            body->clear();
        busy = false;
        abortRequested = false;
        try {
            NotifyBusy(false);
        } catch (...) { }
        return result;
    }
};

HttpClient::HttpClient(Pump pump, HttpLimits limits)
    : impl_(std::make_shared<Impl>(std::move(pump), limits))
{
    impl_->owner = this;
}

HttpClient::~HttpClient()
{
    impl_->owner = nullptr;
    // Destroyed inside the pump of a running request: that request ends at once and frees the rest.
    impl_->abortRequested = impl_->busy;
}

void HttpClient::SetTimeLimit(std::chrono::milliseconds limit)
{
    impl_->timeLimit = limit;
}

std::optional<std::chrono::milliseconds> HttpClient::TimeLimit() const
{
    return impl_->timeLimit;
}

HttpResponse HttpClient::Post(const std::string& url, const Form& fields)
{
    std::string body;
    HttpResponse r = impl_->Request(url, &fields, &body, nullptr);
    r.body = std::move(body);
    return r;
}

HttpResponse HttpClient::Get(const std::string& url)
{
    std::string body;
    HttpResponse r = impl_->Request(url, nullptr, &body, nullptr);
    r.body = std::move(body);
    return r;
}

HttpResponse HttpClient::GetTo(const std::string& url, const std::function<bool(const char*, std::size_t)>& sink)
{
    return impl_->Request(url, nullptr, nullptr, &sink);
}

void HttpClient::Disconnect()
{
    if (impl_->busy)
        impl_->abortRequested = true;
    else
        impl_->DropConnections();
}

bool HttpClient::Busy() const
{
    return impl_->busy;
}

} // namespace net
