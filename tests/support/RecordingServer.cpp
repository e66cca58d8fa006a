#include "support/RecordingServer.h"

#include "support/TestCertificates.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

int PortOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

// The server's end of the connection from `remotePort`. cpp-httplib does not hand the socket
// to handlers, so it is found among the process's descriptors by its two ports.
int FindServerSocket(int localPort, int remotePort)
{
    DIR* fds = opendir("/proc/self/fd");
    if (!fds)
        return -1;
    int found = -1;
    while (dirent* entry = readdir(fds)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0')
            continue;
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&local), &localSize) != 0)
            continue;
        if (getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0)
            continue;
        if (PortOf(local) == localPort && PortOf(peer) == remotePort) {
            found = static_cast<int>(fd);
            break;
        }
    }
    closedir(fds);
    return found;
}

} // namespace

std::string RecordedRequest::Header(const std::string& name) const
{
    for (const auto& [key, value] : headers)
        if (SameName(key, name))
            return value;
    return {};
}

bool RecordedRequest::HasHeader(const std::string& name) const
{
    return HeaderCount(name) > 0;
}

std::size_t RecordedRequest::HeaderCount(const std::string& name) const
{
    return static_cast<std::size_t>(
        std::count_if(headers.begin(), headers.end(), [&](const auto& h) { return SameName(h.first, name); }));
}

FieldList RecordedRequest::Fields() const
{
    FieldList fields;
    for (const auto& part : parts)
        fields.emplace_back(part.name, part.value);
    return fields;
}

ServerAnswer ServerAnswer::Text(std::string body, int status)
{
    ServerAnswer a;
    a.status = status;
    a.body = std::move(body);
    return a;
}

ServerAnswer ServerAnswer::Redirect(std::string location, int status)
{
    ServerAnswer a = Text("", status);
    a.headers.emplace_back("Location", std::move(location));
    return a;
}

ServerAnswer ServerAnswer::Reset()
{
    ServerAnswer a;
    a.kind = Kind::Reset;
    return a;
}

ServerAnswer ServerAnswer::CloseWithoutAnswer()
{
    ServerAnswer a;
    a.kind = Kind::CloseWithoutAnswer;
    return a;
}

ServerAnswer ServerAnswer::NeverAnswer()
{
    ServerAnswer a;
    a.kind = Kind::NeverAnswer;
    return a;
}

ServerAnswer ServerAnswer::EndlessBody()
{
    ServerAnswer a;
    a.kind = Kind::EndlessBody;
    return a;
}

ServerAnswer& ServerAnswer::WithHeader(std::string name, std::string value)
{
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
}

ServerAnswer& ServerAnswer::After(std::chrono::milliseconds wait)
{
    delay = wait;
    return *this;
}

ServerAnswer& ServerAnswer::InPieces(std::size_t bytes, std::chrono::milliseconds interval)
{
    pieceBytes = bytes;
    pieceInterval = interval;
    return *this;
}

RecordingServer::RecordingServer()
    : server_(std::make_unique<httplib::Server>())
{
    Start();
}

RecordingServer::RecordingServer(const TlsIdentity& tls)
    : server_(std::make_unique<httplib::SSLServer>(tls.certificate.get(), tls.key.get())),
      tls_(true)
{
    if (!server_->is_valid())
        throw std::runtime_error("the test server could not use its certificate");
    Start();
}

void RecordingServer::Start()
{
    server_->set_keep_alive_timeout(1);
    server_->Get(".*", [this](const httplib::Request& req, httplib::Response& res) { Handle(req, res, nullptr); });
    auto withBody = [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
        Handle(req, res, &reader);
    };
    server_->Post(".*", withBody);
    server_->Put(".*", withBody);
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("the test server could not bind a port");
    thread_ = std::thread([this] {
        server_->listen_after_bind();
        listenEnded_ = true;
    });
    // stop() does nothing to a server that is not running yet, so a server destroyed at once
    // would never stop accepting.
    while (!server_->is_running() && !listenEnded_)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

RecordingServer::~RecordingServer()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopping_changed_.notify_all();
    server_->stop();
    if (thread_.joinable())
        thread_.join();
}

std::string RecordingServer::Url(const std::string& path) const
{
    return (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_) + path;
}

void RecordingServer::Answer(const std::string& path, ServerAnswer answer)
{
    Answer(path, [answer](const RecordedRequest&) { return answer; });
}

void RecordingServer::Answer(const std::string& path, Responder responder)
{
    std::lock_guard lock(mutex_);
    responders_[path] = std::move(responder);
}

std::vector<RecordedRequest> RecordingServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t RecordingServer::RequestCount() const
{
    std::lock_guard lock(mutex_);
    return requests_.size();
}

RecordedRequest RecordingServer::LastRequest() const
{
    std::lock_guard lock(mutex_);
    return requests_.empty() ? RecordedRequest{} : requests_.back();
}

bool RecordingServer::Sleep(std::chrono::milliseconds wait)
{
    std::unique_lock lock(mutex_);
    return !stopping_changed_.wait_for(lock, wait, [this] { return stopping_; });
}

void RecordingServer::Handle(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader* reader)
{
    RecordedRequest record;
    record.method = req.method;
    record.path = req.path;
    record.version = req.version;
    record.remotePort = req.remote_port;
    for (const auto& [name, value] : req.headers)
        record.headers.emplace_back(name, value);
    if (reader) {
        // The content reader hands parts over in body order; req.files would sort them by name.
        if (req.is_multipart_form_data()) {
            (*reader)(
                [&](const httplib::MultipartFormData& part) {
                    record.parts.push_back({part.name, "", part.filename, part.content_type});
                    return true;
                },
                [&](const char* data, std::size_t size) {
                    record.parts.back().value.append(data, size);
                    return true;
                });
        } else {
            (*reader)([&](const char* data, std::size_t size) {
                record.body.append(data, size);
                return true;
            });
        }
    } else {
        record.body = req.body;
    }

    Responder responder;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(record);
        auto found = responders_.find(record.path);
        if (found != responders_.end())
            responder = found->second;
    }
    Send(req, res, responder ? responder(record) : ServerAnswer::Text("Not Found", 404));
}

void RecordingServer::Send(const httplib::Request& req, httplib::Response& res, const ServerAnswer& answer)
{
    if (answer.delay.count() > 0 && !Sleep(answer.delay))
        return;
    switch (answer.kind) {
    case ServerAnswer::Kind::NeverAnswer:
        Sleep(std::chrono::hours(24));
        res.status = 503;
        return;
    case ServerAnswer::Kind::Reset:
    case ServerAnswer::Kind::CloseWithoutAnswer: {
        const int fd = FindServerSocket(port_, req.remote_port);
        if (fd >= 0) {
            if (answer.kind == ServerAnswer::Kind::Reset) {
                // Disconnecting a TCP socket with an AF_UNSPEC connect sends RST and leaves the
                // descriptor to cpp-httplib, which closes it as usual.
                linger abortive{1, 0};
                setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
                sockaddr unspecified{};
                unspecified.sa_family = AF_UNSPEC;
                connect(fd, &unspecified, sizeof unspecified);
            } else {
                shutdown(fd, SHUT_RDWR);
            }
        }
        res.status = 500; // cannot reach the client any more
        return;
    }
    case ServerAnswer::Kind::EndlessBody:
    case ServerAnswer::Kind::Reply: break;
    }

    res.status = answer.status;
    for (const auto& [name, value] : answer.headers)
        res.headers.emplace(name, value);
    const bool endless = answer.kind == ServerAnswer::Kind::EndlessBody;
    if (!endless && answer.pieceBytes == 0) {
        res.set_content(answer.body, answer.contentType.c_str());
        return;
    }
    const std::size_t piece = answer.pieceBytes ? answer.pieceBytes : 64 * 1024;
    const std::string filler(piece, 'x');
    res.set_chunked_content_provider(
        answer.contentType, [this, answer, piece, filler, endless](std::size_t offset, httplib::DataSink& sink) {
            if (answer.pieceInterval.count() > 0 && !Sleep(answer.pieceInterval))
                return false;
            {
                std::lock_guard lock(mutex_);
                if (stopping_)
                    return false;
            }
            if (endless)
                return sink.write(filler.data(), filler.size());
            if (offset >= answer.body.size()) {
                sink.done();
                return true;
            }
            const std::size_t size = std::min(piece, answer.body.size() - offset);
            if (!sink.write(answer.body.data() + offset, size))
                return false;
            if (offset + size >= answer.body.size())
                sink.done();
            return true;
        });
}
