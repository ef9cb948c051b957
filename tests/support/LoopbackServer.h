#pragma once
// An in-process HTTP server on 127.0.0.1 with a free port, for tests that need a real peer
// with scripted behaviour. Register handlers on server() before start().

#include <httplib.h>

#include <string>
#include <thread>

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

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

} // namespace hx::test
