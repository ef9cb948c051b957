#include "support/LoopbackServer.h"

#include <stdexcept>

namespace hx::test {

void LoopbackServer::start()
{
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("cannot bind a loopback port");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running())
        std::this_thread::yield();
}

void LoopbackServer::stop()
{
    if (thread_.joinable()) {
        server_.stop();
        thread_.join();
    }
}

std::string LoopbackServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LoopbackServer::serveRoutes()
{
    server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(mutex_);
        requests_.push_back(req.target);
        ++counts_[req.path];
        const auto it = routes_.find(req.path);
        if (it == routes_.end()) {
            res.status = 404;
            return;
        }
        res.status = it->second.first;
        res.set_content(it->second.second, "application/octet-stream");
    });
}

void LoopbackServer::setRoute(const std::string& path, std::string body, int status)
{
    std::lock_guard lock(mutex_);
    routes_[path] = {status, std::move(body)};
}

void LoopbackServer::removeRoute(const std::string& path)
{
    std::lock_guard lock(mutex_);
    routes_.erase(path);
}

int LoopbackServer::requestCount(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    const auto it = counts_.find(path);
    return it == counts_.end() ? 0 : it->second;
}

std::vector<std::string> LoopbackServer::takeRequests()
{
    std::lock_guard lock(mutex_);
    return std::exchange(requests_, {});
}

int LoopbackServer::closedPort()
{
    LoopbackServer s;
    s.start();
    const int port = s.port();
    s.stop();
    return port;
}

} // namespace hx::test
