#pragma once
// A loopback HTTP server that answers each request with the bytes a test scripts and then
// closes the connection, so it can misbehave as no HTTP library lets a server: lie about
// lengths, close in the middle of a body, encode despite "Accept-Encoding: identity".

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace hx::test {

class RawHttpServer {
public:
    struct Request {
        std::string method;
        std::string target;
        std::map<std::string, std::string> headers; // names in lower case
        std::string header(const std::string& lowerName) const
        {
            const auto it = headers.find(lowerName);
            return it == headers.end() ? std::string() : it->second;
        }
    };
    // The bytes sent for a request (head and body as they go on the wire).
    using Script = std::function<std::string(const Request&)>;

    explicit RawHttpServer(Script script);
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    std::string url(const std::string& path) const;
    std::vector<Request> requests() const;
    int count(const std::string& method) const;

private:
    void serve();
    void answer(int connection);

    Script script_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    std::thread thread_;
};

// An answer's head: the status line, the given header lines, "Connection: close" and the blank
// line. `headers` holds complete lines without their CR LF.
std::string rawHead(int status, const std::vector<std::string>& headers);
// A whole answer: the head with "Content-Length" of `body`, then the body (none for HEAD).
std::string rawAnswer(const RawHttpServer::Request& request, int status, const std::string& body,
                      std::vector<std::string> headers = {});

} // namespace hx::test
