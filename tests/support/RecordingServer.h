#pragma once

// A loopback HTTP server for tests, running in the test process on 127.0.0.1 at a free port.
// It records every request as it arrives and answers each path as the test tells it.
//
//   RecordingServer server;
//   server.Answer("/actions.php", ServerAnswer::Text("OK"));
//   ... run the code under test against server.Url("/actions.php") ...
//   EXPECT_EQ(server.Requests().at(0).Fields(), (FieldList{{"action", "1"}, {"end", ""}}));
//
// Given a TLS identity (support/TestCertificates.h) it speaks HTTPS instead.
//
// Paths without an answer get 404. Answers can also be computed per request (for instance from
// the posted "action" field) by giving a responder instead of a fixed answer.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
class ContentReader;
} // namespace httplib

struct TlsIdentity;

using FieldList = std::vector<std::pair<std::string, std::string>>;

// One part of a multipart/form-data body, as it arrived.
struct FormPart {
    std::string name;
    std::string value;
    std::string filename; // empty when the part named none
    std::string contentType; // empty when the part carried no Content-Type
};

struct RecordedRequest {
    std::string method; // "GET", "POST", ...
    std::string path; // without the query
    std::string version; // "HTTP/1.0" or "HTTP/1.1"
    FieldList headers; // in no particular order; names as sent
    std::vector<FormPart> parts; // multipart bodies only, in body order
    std::string body; // the raw body of any other request
    int remotePort = 0; // the client's port: a new value means a new connection

    // The value of a header (name case-insensitive), "" when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
    std::size_t HeaderCount(const std::string& name) const;
    // The multipart fields as name/value pairs, in body order.
    FieldList Fields() const;
};

struct ServerAnswer {
    enum class Kind {
        Reply, // status, headers and body (optionally after a delay, optionally trickled)
        Reset, // the connection is reset (TCP RST) without an answer
        CloseWithoutAnswer, // the connection is closed cleanly without an answer
        NeverAnswer, // the request is read and then nothing happens until the server stops
        EndlessBody, // status 200 and a chunked body of 'x' that never ends
    };
    Kind kind = Kind::Reply;
    int status = 200;
    std::string body;
    std::string contentType = "text/html";
    FieldList headers; // added to the answer, e.g. {"Set-Cookie", "sid=1"} or {"Location", "/next"}
    std::chrono::milliseconds delay{0}; // before anything is sent
    std::size_t pieceBytes = 0; // > 0: the body goes out chunked in pieces this big...
    std::chrono::milliseconds pieceInterval{0}; // ...with this pause before each piece

    static ServerAnswer Text(std::string body, int status = 200);
    static ServerAnswer Redirect(std::string location, int status = 302);
    static ServerAnswer Reset();
    static ServerAnswer CloseWithoutAnswer();
    static ServerAnswer NeverAnswer();
    static ServerAnswer EndlessBody();

    ServerAnswer& WithHeader(std::string name, std::string value);
    ServerAnswer& After(std::chrono::milliseconds wait);
    ServerAnswer& InPieces(std::size_t bytes, std::chrono::milliseconds interval);
};

class RecordingServer {
public:
    using Responder = std::function<ServerAnswer(const RecordedRequest&)>;

    RecordingServer(); // listening when it returns
    explicit RecordingServer(const TlsIdentity& tls); // HTTPS with this certificate
    ~RecordingServer(); // ends waiting answers, stops and joins the server
    RecordingServer(const RecordingServer&) = delete;
    RecordingServer& operator=(const RecordingServer&) = delete;

    int Port() const { return port_; }
    // "http://127.0.0.1:<port>" (https for a TLS server) followed by `path`.
    std::string Url(const std::string& path = "") const;

    // Every later request to `path` (exact, without query) gets `answer`, any method.
    void Answer(const std::string& path, ServerAnswer answer);
    // Every later request to `path` is answered by what `responder` returns for it.
    // The responder runs on a server thread.
    void Answer(const std::string& path, Responder responder);

    // Requests in arrival order, recorded before they are answered.
    std::vector<RecordedRequest> Requests() const;
    std::size_t RequestCount() const;
    RecordedRequest LastRequest() const; // an empty record when none arrived

private:
    void Start();
    void Handle(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader* reader);
    void Send(const httplib::Request& req, httplib::Response& res, const ServerAnswer& answer);
    // Waits up to `wait`; false when the server is stopping.
    bool Sleep(std::chrono::milliseconds wait);

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<bool> listenEnded_{false};
    int port_ = 0;
    bool tls_ = false;
    mutable std::mutex mutex_;
    std::condition_variable stopping_changed_;
    bool stopping_ = false;
    std::map<std::string, Responder> responders_;
    std::vector<RecordedRequest> requests_;
};
