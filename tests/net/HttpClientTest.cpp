#include "net/HttpClient.h"

#include "support/RecordingServer.h"
#include "support/TempDir.h"
#include "support/TestCertificates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <ostream>

using namespace std::chrono_literals;
using net::HttpClient;
using net::HttpLimits;
using net::HttpResponse;
using Clock = std::chrono::steady_clock;
using ::testing::ElementsAre;

namespace {

class HttpClientTest : public ::testing::Test {
protected:
    // Builds the client under test; every pump is time-stamped and then runs `onPump`.
    HttpClient& MakeClient(HttpLimits limits = {})
    {
        client = std::make_unique<HttpClient>(
            [this] {
                pumps.push_back(Clock::now());
                if (onPump)
                    onPump();
            },
            limits);
        return *client;
    }

    static HttpLimits ShortLimits()
    {
        HttpLimits limits;
        limits.connectBeforeTimeLimit = 2s;
        limits.waitBeforeTimeLimit = 300ms;
        return limits;
    }

    RecordingServer server;
    std::unique_ptr<HttpClient> client;
    std::vector<Clock::time_point> pumps;
    std::function<void()> onPump;
};

TEST_F(HttpClientTest, GetGoesOutAsHttp11WithTheFixedHeaders)
{
    server.Answer("/page", ServerAnswer::Text("hello\r\n"));
    HttpResponse r = MakeClient().Get(server.Url("/page"));

    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "hello\r\n");
    ASSERT_EQ(server.RequestCount(), 1u);
    RecordedRequest req = server.LastRequest();
    EXPECT_EQ(req.method, "GET");
    EXPECT_EQ(req.version, "HTTP/1.1");
    EXPECT_EQ(req.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 4.0)");
    EXPECT_EQ(req.HeaderCount("Accept"), 1u);
    EXPECT_EQ(req.Header("Accept"), "text/html, */*");
    EXPECT_FALSE(req.HasHeader("Accept-Encoding")); // the body must arrive as sent
    EXPECT_FALSE(req.HasHeader("Cookie"));
}

TEST_F(HttpClientTest, PostSendsTheFieldsInOrderAsHttp10Multipart)
{
    server.Answer("/form", ServerAnswer::Text("OK"));
    // Names out of alphabetical order and a value that looks like a boundary catch reordering
    // and truncation.
    const net::Form form
        = {{"zeta", "1"}, {"alpha", std::string("a\0b\r\n--x\r\n", 10)}, {"zeta", ""}, {"mid", "\xe9t\xe9"}};
    HttpResponse r = MakeClient().Post(server.Url("/form"), form);

    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "OK");
    RecordedRequest req = server.LastRequest();
    EXPECT_EQ(req.method, "POST");
    EXPECT_EQ(req.version, "HTTP/1.0");
    EXPECT_EQ(req.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 4.0)");
    EXPECT_EQ(req.Header("Accept"), "text/html, */*");
    EXPECT_FALSE(req.HasHeader("Expect"));
    EXPECT_THAT(req.Header("Content-Type"), ::testing::StartsWith("multipart/form-data; boundary="));
    EXPECT_EQ(req.Fields(), FieldList(form.begin(), form.end()));
    for (const FormPart& part : req.parts) {
        EXPECT_EQ(part.filename, "") << part.name;
        EXPECT_EQ(part.contentType, "") << part.name;
    }
}

struct StatusCase {
    const char* name;
    ServerAnswer answer;
    bool ok;
    long status;
};

class HttpClientStatusTest : public HttpClientTest, public ::testing::WithParamInterface<StatusCase> { };

TEST_P(HttpClientStatusTest, OnlyA2xxFinalStatusSucceeds)
{
    server.Answer("/x", GetParam().answer);
    for (bool post : {false, true}) {
        HttpClient& c = MakeClient();
        HttpResponse r = post ? c.Post(server.Url("/x"), {{"a", "1"}}) : c.Get(server.Url("/x"));
        EXPECT_EQ(r.ok, GetParam().ok) << (post ? "post" : "get") << ": " << r.error;
        EXPECT_EQ(r.status, GetParam().status);
        if (!r.ok) {
            EXPECT_EQ(r.body, "");
            EXPECT_NE(r.error, "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HttpClientStatusTest,
    ::testing::Values(StatusCase{"Ok", ServerAnswer::Text("body"), true, 200},
        StatusCase{"NoContent", ServerAnswer::Text("", 204), true, 204},
        StatusCase{"NotFound", ServerAnswer::Text("<h1>missing</h1>", 404), false, 404},
        StatusCase{"ServerError", ServerAnswer::Text("oops", 500), false, 500},
        StatusCase{"RedirectWithoutLocation", ServerAnswer::Text("moved", 301), false, 301},
        StatusCase{"Reset", ServerAnswer::Reset(), false, 0},
        StatusCase{"ClosedWithoutAnswer", ServerAnswer::CloseWithoutAnswer(), false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpClientTest, RefusedConnectionFails)
{
    int closedPort = 0;
    {
        RecordingServer gone;
        closedPort = gone.Port();
    }
    HttpResponse r = MakeClient(ShortLimits()).Get("http://127.0.0.1:" + std::to_string(closedPort) + "/");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
}

TEST_F(HttpClientTest, CookiesFromOneAnswerGoBackOnLaterRequests)
{
    server.Answer("/login", ServerAnswer::Text("OK").WithHeader("Set-Cookie", "sid=abc123; Path=/"));
    server.Answer("/next", ServerAnswer::Text("OK"));
    HttpClient& c = MakeClient();

    ASSERT_TRUE(c.Post(server.Url("/login"), {{"action", "1"}}).ok);
    EXPECT_TRUE(c.Post(server.Url("/next"), {{"action", "3"}}).ok);
    EXPECT_TRUE(c.Get(server.Url("/next")).ok);
    c.Disconnect(); // closing the connection keeps the cookies of the run
    EXPECT_TRUE(c.Get(server.Url("/next")).ok);

    std::vector<RecordedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_FALSE(requests[0].HasHeader("Cookie"));
    for (std::size_t i = 1; i < requests.size(); ++i)
        EXPECT_EQ(requests[i].Header("Cookie"), "sid=abc123") << i;
}

TEST_F(HttpClientTest, EveryRequestUsesAConnectionOfItsOwn)
{
    server.Answer("/x", ServerAnswer::Text("OK"));
    HttpClient& c = MakeClient();
    c.Get(server.Url("/x"));
    c.Get(server.Url("/x"));
    c.Post(server.Url("/x"), {{"a", "1"}});
    c.Post(server.Url("/x"), {{"a", "1"}});
    c.Get(server.Url("/x"));

    std::vector<int> ports;
    for (const auto& req : server.Requests())
        ports.push_back(req.remotePort);
    ASSERT_EQ(ports.size(), 5u);
    std::sort(ports.begin(), ports.end());
    EXPECT_EQ(std::adjacent_find(ports.begin(), ports.end()), ports.end()) << "a connection was reused";
}

class HttpClientRedirectTest : public HttpClientTest, public ::testing::WithParamInterface<int> { };

TEST_P(HttpClientRedirectTest, FollowsAtMostFifteenRedirects)
{
    const int hops = GetParam();
    for (int i = 0; i < hops; ++i)
        server.Answer("/hop" + std::to_string(i), ServerAnswer::Redirect("/hop" + std::to_string(i + 1)));
    server.Answer("/hop" + std::to_string(hops), ServerAnswer::Text("arrived"));

    HttpResponse r = MakeClient().Get(server.Url("/hop0"));

    EXPECT_EQ(r.ok, hops <= 15) << r.error;
    EXPECT_EQ(r.body, hops <= 15 ? "arrived" : "");
    EXPECT_EQ(server.RequestCount(), static_cast<std::size_t>(std::min(hops, 15) + 1));
}

INSTANTIATE_TEST_SUITE_P(Hops, HttpClientRedirectTest, ::testing::Values(1, 15, 16));

// A site that moved (to HTTPS, say) answers the old address with a redirect; the form must
// arrive at the new one as it was sent.
class HttpClientPostRedirectTest : public HttpClientTest, public ::testing::WithParamInterface<int> { };

TEST_P(HttpClientPostRedirectTest, APostKeepsItsMethodVersionAndFieldsAcrossRedirects)
{
    const int status = GetParam();
    server.Answer("/old/actions.php", ServerAnswer::Redirect("/moved/actions.php", status));
    server.Answer("/moved/actions.php", ServerAnswer::Redirect(server.Url("/actions.php"), status));
    server.Answer("/actions.php", ServerAnswer::Text("OK"));
    const net::Form form = {{"action", "4"}, {"pagecod", "17"}, {"querytype", "0"}, {"end", ""}};

    HttpResponse r = MakeClient().Post(server.Url("/old/actions.php"), form);

    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "OK");
    const std::vector<RecordedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const RecordedRequest& req : requests) {
        EXPECT_EQ(req.method, "POST") << req.path;
        EXPECT_EQ(req.version, "HTTP/1.0") << req.path;
        EXPECT_EQ(req.Fields(), FieldList(form.begin(), form.end())) << req.path;
    }
    EXPECT_EQ(requests.back().path, "/actions.php");
}

INSTANTIATE_TEST_SUITE_P(Statuses, HttpClientPostRedirectTest, ::testing::Values(301, 302, 303, 307, 308));

// HTTPS on loopback with a certificate from an authority made for the test.
class HttpClientTlsTest : public HttpClientTest {
protected:
    HttpLimits Trusting(const TestCertificateAuthority& authority)
    {
        const std::string file = folder.File("trusted.pem");
        WriteWholeFile(file, authority.CertificatePem());
        HttpLimits limits = ShortLimits();
        limits.trustedCertificatesFile = file;
        return limits;
    }

    TempDir folder;
    TestCertificateAuthority trusted{"Tallywick test authority"};
    TestCertificateAuthority stranger{"Unknown authority"};
};

TEST_F(HttpClientTlsTest, AFormRedirectedToHttpsArrivesWhole)
{
    RecordingServer secure(trusted.IssueServerIdentity());
    secure.Answer("/counter/actions.php", ServerAnswer::Text("OK"));
    server.Answer("/counter/actions.php", ServerAnswer::Redirect(secure.Url("/counter/actions.php"), 301));
    const net::Form form = {{"action", "1"}, {"end", ""}};

    HttpResponse r = MakeClient(Trusting(trusted)).Post(server.Url("/counter/actions.php"), form);

    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "OK");
    ASSERT_EQ(secure.RequestCount(), 1u);
    EXPECT_EQ(secure.LastRequest().method, "POST");
    EXPECT_EQ(secure.LastRequest().version, "HTTP/1.0");
    EXPECT_EQ(secure.LastRequest().Fields(), FieldList(form.begin(), form.end()));
}

TEST_F(HttpClientTlsTest, ACertificateTheClientDoesNotTrustIsATransportFailure)
{
    RecordingServer impostor(stranger.IssueServerIdentity());
    impostor.Answer("/actions.php", ServerAnswer::Text("OK"));
    server.Answer("/actions.php", ServerAnswer::Redirect(impostor.Url("/actions.php"), 301));
    HttpClient& c = MakeClient(Trusting(trusted));

    for (const std::string& url : {impostor.Url("/actions.php"), server.Url("/actions.php")}) {
        HttpResponse post = c.Post(url, {{"action", "1"}, {"end", ""}});
        EXPECT_FALSE(post.ok) << url;
        EXPECT_THAT(post.error, ::testing::HasSubstr("certificate")) << url;
        EXPECT_EQ(post.body, "") << url;
        EXPECT_FALSE(c.Get(url).ok) << url;
    }
    EXPECT_EQ(impostor.RequestCount(), 0u) << "a request went to an untrusted server";
}

TEST_F(HttpClientTest, AnEndlessRedirectLoopFails)
{
    server.Answer("/a", ServerAnswer::Redirect("/b"));
    server.Answer("/b", ServerAnswer::Redirect("/a"));
    HttpResponse r = MakeClient().Post(server.Url("/a"), {{"a", "1"}});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(server.RequestCount(), 16u) << r.error;
}

TEST_F(HttpClientTest, OnlyHttpAndHttpsAreSpoken)
{
    server.Answer("/to-file", ServerAnswer::Redirect("file:///etc/hostname"));
    server.Answer("/to-ftp", ServerAnswer::Redirect("ftp://127.0.0.1:" + std::to_string(server.Port()) + "/"));
    HttpClient& c = MakeClient(ShortLimits());
    for (const std::string& url : {server.Url("/to-file"), server.Url("/to-ftp"), std::string("file:///etc/hostname"),
             "ftp://127.0.0.1:" + std::to_string(server.Port()) + "/"}) {
        HttpResponse r = c.Get(url);
        EXPECT_FALSE(r.ok) << url;
        EXPECT_EQ(r.body, "") << url;
    }
}

TEST_F(HttpClientTest, ProxySettingsOfTheEnvironmentAreIgnored)
{
    struct SavedVariable {
        std::string name;
        std::optional<std::string> value;
    };
    std::vector<SavedVariable> saved;
    for (const char* name :
        {"http_proxy", "HTTP_PROXY", "https_proxy", "ALL_PROXY", "all_proxy", "no_proxy", "NO_PROXY"}) {
        const char* value = std::getenv(name);
        saved.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
        if (std::string(name).find("no_") == std::string::npos && std::string(name).find("NO_") == std::string::npos)
            setenv(name, "http://127.0.0.1:9", 1); // nothing listens there
        else
            unsetenv(name);
    }
    server.Answer("/x", ServerAnswer::Text("direct"));
    HttpResponse r = MakeClient(ShortLimits()).Get(server.Url("/x"));
    for (const auto& variable : saved) {
        if (variable.value)
            setenv(variable.name.c_str(), variable.value->c_str(), 1);
        else
            unsetenv(variable.name.c_str());
    }
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "direct");
}

struct SizeCase {
    const char* name;
    ServerAnswer answer;
    bool ok;
};

constexpr std::size_t kSmallCap = 64 * 1024;

class HttpClientBodyCapTest : public HttpClientTest, public ::testing::WithParamInterface<SizeCase> { };

TEST_P(HttpClientBodyCapTest, AnAnswerOverTheCapFails)
{
    server.Answer("/big", GetParam().answer);
    HttpLimits limits = ShortLimits();
    limits.maxBodyBytes = kSmallCap;
    HttpClient& c = MakeClient(limits);

    HttpResponse r = c.Get(server.Url("/big"));
    EXPECT_EQ(r.ok, GetParam().ok) << r.error;
    EXPECT_EQ(r.body.size(), GetParam().ok ? kSmallCap : 0u);

    std::size_t handed = 0;
    HttpResponse to = c.GetTo(server.Url("/big"), [&](const char*, std::size_t n) {
        handed += n;
        return true;
    });
    EXPECT_EQ(to.ok, GetParam().ok) << to.error;
    EXPECT_LE(handed, kSmallCap);
}

INSTANTIATE_TEST_SUITE_P(Cases, HttpClientBodyCapTest,
    ::testing::Values(SizeCase{"AtTheCap", ServerAnswer::Text(std::string(kSmallCap, 'a')), true},
        SizeCase{"AtTheCapInPieces", ServerAnswer::Text(std::string(kSmallCap, 'a')).InPieces(4096, 0ms), true},
        SizeCase{"OverTheCapAnnounced", ServerAnswer::Text(std::string(kSmallCap + 1, 'a')), false},
        SizeCase{"OverTheCapInPieces", ServerAnswer::Text(std::string(kSmallCap + 1, 'a')).InPieces(4096, 0ms), false},
        SizeCase{"Endless", ServerAnswer::EndlessBody(), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpClientTest, TheDefaultCapHoldsAgainstAnEndlessFastBody)
{
    server.Answer("/flood", ServerAnswer::EndlessBody());
    HttpResponse r = MakeClient(ShortLimits()).Get(server.Url("/flood"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.body, "");
    EXPECT_THAT(r.error, ::testing::HasSubstr("larger"));
}

TEST_F(HttpClientTest, AServerThatNeverAnswersFailsAfterTheStartUpWaitLimit)
{
    server.Answer("/silent", ServerAnswer::NeverAnswer());
    HttpClient& c = MakeClient(ShortLimits());
    for (bool post : {false, true}) {
        const auto start = Clock::now();
        HttpResponse r = post ? c.Post(server.Url("/silent"), {{"a", "1"}}) : c.Get(server.Url("/silent"));
        const auto took = Clock::now() - start;
        EXPECT_FALSE(r.ok);
        EXPECT_GE(took, 250ms);
        EXPECT_LT(took, 3s);
    }
}

TEST_F(HttpClientTest, TheTimeLimitReplacesTheStartUpWaitLimit)
{
    server.Answer("/silent", ServerAnswer::NeverAnswer());
    HttpLimits limits; // a minute of waiting unless the time limit says otherwise
    HttpClient& c = MakeClient(limits);
    EXPECT_EQ(c.TimeLimit(), std::nullopt);
    c.SetTimeLimit(300ms);
    EXPECT_EQ(c.TimeLimit(), 300ms);

    const auto start = Clock::now();
    HttpResponse r = c.Get(server.Url("/silent"));
    EXPECT_FALSE(r.ok);
    EXPECT_LT(Clock::now() - start, 3s);
}

TEST(HttpLimitsTest, StartUpLimitsAreTwoMinutesToConnectAndOneToWait)
{
    EXPECT_EQ(HttpLimits{}.connectBeforeTimeLimit, std::chrono::milliseconds(120000));
    EXPECT_EQ(HttpLimits{}.waitBeforeTimeLimit, std::chrono::milliseconds(60000));
}

// A loopback port that listens but never accepts: its queue is filled at once, so a further
// connection attempt is never answered and stays unconnected.
class NeverAcceptingPort {
public:
    NeverAcceptingPort()
    {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0
            || listen(listener_, 0) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("no listening socket");
        port_ = ntohs(address.sin_port);
        for (int i = 0; i < 4; ++i) {
            const int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
            fillers_.push_back(filler);
        }
    }
    ~NeverAcceptingPort()
    {
        for (int filler : fillers_)
            close(filler);
        close(listener_);
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/actions.php"; }

private:
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
};

struct ConnectCase {
    const char* name;
    std::chrono::milliseconds connectBeforeTimeLimit;
    std::optional<std::chrono::milliseconds> timeLimit; // set before the request, if any
};

void PrintTo(const ConnectCase& c, std::ostream* out)
{
    *out << c.name;
}

class HttpClientConnectLimitTest : public HttpClientTest, public ::testing::WithParamInterface<ConnectCase> { };

TEST_P(HttpClientConnectLimitTest, AServerThatNeverAcceptsFailsAfterTheLimitInForce)
{
    NeverAcceptingPort port;
    HttpLimits limits;
    limits.connectBeforeTimeLimit = GetParam().connectBeforeTimeLimit;
    HttpClient& c = MakeClient(limits); // a minute of waiting for data: only the connect limit can end it
    if (GetParam().timeLimit)
        c.SetTimeLimit(*GetParam().timeLimit);
    for (bool post : {false, true}) {
        const auto start = Clock::now();
        HttpResponse r = post ? c.Post(port.Url(), {{"action", "1"}}) : c.Get(port.Url());
        const auto took = Clock::now() - start;
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.status, 0);
        EXPECT_THAT(r.error, ::testing::ContainsRegex("[Cc]onnect")) << "failed elsewhere than in connecting";
        EXPECT_GE(took, 250ms);
        EXPECT_LT(took, 10s);
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, HttpClientConnectLimitTest,
    ::testing::Values(ConnectCase{"BeforeTheTimeLimitIsSet", 300ms, std::nullopt},
        ConnectCase{"TheTimeLimitOnceSet", std::chrono::milliseconds(120000), 300ms}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpClientTest, TheLimitBoundsEachWaitNotTheWholeAnswer)
{
    // 8 pieces 100 ms apart take longer than the limit in all, but no single wait does.
    server.Answer("/slow", ServerAnswer::Text("0123456789abcdef").InPieces(2, 100ms).After(150ms));
    HttpClient& c = MakeClient(ShortLimits());
    const auto start = Clock::now();
    HttpResponse r = c.Get(server.Url("/slow"));
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "0123456789abcdef");
    EXPECT_GT(Clock::now() - start, 300ms);
}

TEST_F(HttpClientTest, ASilenceLongerThanTheLimitInTheMiddleOfAnAnswerFails)
{
    server.Answer("/stall", ServerAnswer::Text("abc").InPieces(1, 500ms));
    HttpResponse r = MakeClient(ShortLimits()).Get(server.Url("/stall"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.body, "");
}

TEST_F(HttpClientTest, PumpRunsBeforeTheRequestAndAtLeastEvery20MsWhileItWaits)
{
    server.Answer("/slow", ServerAnswer::Text("abcdef").InPieces(1, 60ms));
    HttpClient& c = MakeClient();
    std::size_t requestsSeenAtFirstPump = 99;
    onPump = [&] {
        if (pumps.size() == 1)
            requestsSeenAtFirstPump = server.RequestCount();
    };
    const auto start = Clock::now();
    HttpResponse r = c.Get(server.Url("/slow"));
    const auto end = Clock::now();
    ASSERT_TRUE(r.ok) << r.error;

    EXPECT_EQ(requestsSeenAtFirstPump, 0u);
    ASSERT_FALSE(pumps.empty());
    auto maxGap = pumps.front() - start;
    for (std::size_t i = 1; i < pumps.size(); ++i)
        maxGap = std::max(maxGap, pumps[i] - pumps[i - 1]);
    maxGap = std::max(maxGap, end - pumps.back());
    // The client aims at 5 ms; the margin absorbs a loaded machine, not a missing pump.
    EXPECT_LT(maxGap, 50ms) << std::chrono::duration_cast<std::chrono::milliseconds>(maxGap).count() << " ms";
}

TEST_F(HttpClientTest, DisconnectFromInsideThePumpAbortsAtOnceAndTheClientStaysUsable)
{
    server.Answer("/silent", ServerAnswer::NeverAnswer());
    server.Answer("/ok", ServerAnswer::Text("OK"));
    HttpClient& c = MakeClient(); // a minute of waiting: only the abort can end it early
    std::vector<bool> busyChanges;
    c.OnBusyChanged = [&](bool busy) { busyChanges.push_back(busy); };
    const auto start = Clock::now();
    onPump = [&] {
        if (Clock::now() - start > 100ms)
            c.Disconnect();
    };

    HttpResponse r = c.Get(server.Url("/silent"));
    EXPECT_FALSE(r.ok);
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_FALSE(c.Busy());
    EXPECT_THAT(busyChanges, ElementsAre(true, false));

    onPump = nullptr;
    HttpResponse again = c.Post(server.Url("/ok"), {{"action", "1"}});
    EXPECT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.body, "OK");
}

TEST_F(HttpClientTest, DestroyingTheClientInsideThePumpEndsTheRequest)
{
    server.Answer("/silent", ServerAnswer::NeverAnswer());
    HttpClient& c = MakeClient();
    const auto start = Clock::now();
    onPump = [&] {
        if (Clock::now() - start > 50ms)
            client.reset(); // the main window closed
    };
    HttpResponse r = c.Get(server.Url("/silent"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(client, nullptr);
    EXPECT_LT(Clock::now() - start, 1s);
}

TEST_F(HttpClientTest, ARequestStartedInsideThePumpFailsAndLeavesTheRunningOneAlone)
{
    server.Answer("/slow", ServerAnswer::Text("whole answer").InPieces(4, 40ms));
    server.Answer("/other", ServerAnswer::Text("other"));
    HttpClient& c = MakeClient();
    std::vector<HttpResponse> nested;
    bool busyInside = false;
    onPump = [&] {
        busyInside = c.Busy();
        if (nested.size() < 3) {
            nested.push_back(c.Get(server.Url("/other")));
            nested.push_back(c.Post(server.Url("/other"), {{"a", "1"}}));
            nested.push_back(c.GetTo(server.Url("/other"), [](const char*, std::size_t) { return true; }));
        }
    };

    HttpResponse r = c.Get(server.Url("/slow"));

    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "whole answer");
    EXPECT_TRUE(busyInside);
    ASSERT_EQ(nested.size(), 3u);
    for (const HttpResponse& n : nested) {
        EXPECT_FALSE(n.ok);
        EXPECT_EQ(n.error, "busy");
    }
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(HttpClientTest, ASinkThatRefusesDataAbortsTheDownload)
{
    server.Answer("/file", ServerAnswer::Text(std::string(10000, 'z')).InPieces(1000, 0ms));
    std::string got;
    HttpResponse r = MakeClient().GetTo(server.Url("/file"), [&](const char* data, std::size_t n) {
        got.append(data, n);
        return got.size() < 3000;
    });
    EXPECT_FALSE(r.ok);
    EXPECT_LT(got.size(), 10000u);
}

} // namespace
