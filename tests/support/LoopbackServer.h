#pragma once
// An in-process HTTP server on 127.0.0.1 with a free port, for tests that need a real peer
// with scripted behaviour. Register handlers on server() before start().

#include <httplib.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace hx::test {

class LoopbackServer {
public:
    LoopbackServer() = default;
    ~LoopbackServer() { stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& server() { return server_; }

    // Binds a free port on 127.0.0.1 and serves in a background thread.
    void start();
    void stop();

    int port() const { return port_; }
    // "http://127.0.0.1:PORT" + path (path starts with "/").
    std::string url(const std::string& path = "/") const;

    // Answers every GET from a table of fixed routes (status and body by path; 404 for any
    // other path) and records every request target. Call before start().
    void serveRoutes();
    void setRoute(const std::string& path, std::string body, int status = 200);
    void removeRoute(const std::string& path);
    int requestCount(const std::string& path) const; // GETs of that path so far
    std::vector<std::string> takeRequests();         // the targets so far, in order

    // A loopback port where nothing listens (bound once, then released).
    static int closedPort();

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::pair<int, std::string>> routes_;
    std::map<std::string, int> counts_;
    std::vector<std::string> requests_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

} // namespace hx::test
