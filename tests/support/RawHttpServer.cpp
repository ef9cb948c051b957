#include "support/RawHttpServer.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cctype>
#include <sstream>
#include <stdexcept>

namespace hx::test {

namespace {

// The few socket calls that differ between Winsock and POSIX.
#ifdef _WIN32
using Socket = SOCKET;
constexpr int kNoSignal = 0;
constexpr int kShutWrite = SD_SEND;
int closeSocket(int s)
{
    return ::closesocket(static_cast<Socket>(s));
}
int pollOne(int s, int timeoutMs)
{
    WSAPOLLFD p{static_cast<Socket>(s), POLLIN, 0};
    return ::WSAPoll(&p, 1, timeoutMs);
}
void startSockets()
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
}
#else
using Socket = int;
constexpr int kNoSignal = MSG_NOSIGNAL;
constexpr int kShutWrite = SHUT_WR;
int closeSocket(int s)
{
    return ::close(s);
}
int pollOne(int s, int timeoutMs)
{
    pollfd p{s, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs);
}
void startSockets()
{
}
#endif

RawHttpServer::Request parseRequest(const std::string& text)
{
    RawHttpServer::Request request;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    std::istringstream first(line);
    first >> request.method >> request.target;
    while (std::getline(in, line) && line != "\r") {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.erase(0, 1);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
            value.pop_back();
        request.headers[name] = value;
    }
    return request;
}

} // namespace

RawHttpServer::RawHttpServer(Script script) : script_(std::move(script))
{
    startSockets();
    const Socket listener = ::socket(AF_INET, SOCK_STREAM, 0);
    listener_ = listener == static_cast<Socket>(-1) ? -1 : static_cast<int>(listener);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 16) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on a loopback port");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

RawHttpServer::~RawHttpServer()
{
    stop_ = true;
    thread_.join();
    closeSocket(listener_);
}

std::string RawHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<RawHttpServer::Request> RawHttpServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

int RawHttpServer::count(const std::string& method) const
{
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const Request& r : requests_)
        n += r.method == method;
    return n;
}

void RawHttpServer::serve()
{
    while (!stop_) {
        if (pollOne(listener_, 20) <= 0)
            continue;
        const Socket connection = ::accept(static_cast<Socket>(listener_), nullptr, nullptr);
        if (connection != static_cast<Socket>(-1)) {
            answer(static_cast<int>(connection));
            closeSocket(static_cast<int>(connection));
        }
    }
}

void RawHttpServer::answer(int connection)
{
    std::string text;
    char buffer[4096];
    while (text.find("\r\n\r\n") == std::string::npos) {
        if (pollOne(connection, 2000) <= 0)
            return;
        const auto n = ::recv(static_cast<Socket>(connection), buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    const Request request = parseRequest(text);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    const std::string reply = script_(request);
    for (std::size_t sent = 0; sent < reply.size();) {
        const auto n = ::send(static_cast<Socket>(connection), reply.data() + sent,
                              static_cast<int>(reply.size() - sent), kNoSignal);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(static_cast<Socket>(connection), kShutWrite);
}

std::string rawHead(int status, const std::vector<std::string>& headers)
{
    std::string head = "HTTP/1.1 " + std::to_string(status) + " Scripted\r\n";
    for (const std::string& h : headers)
        head += h + "\r\n";
    return head + "Connection: close\r\n\r\n";
}

std::string rawAnswer(const RawHttpServer::Request& request, int status, const std::string& body,
                      std::vector<std::string> headers)
{
    headers.push_back("Content-Length: " + std::to_string(body.size()));
    return rawHead(status, headers) + (request.method == "HEAD" ? "" : body);
}

} // namespace hx::test
