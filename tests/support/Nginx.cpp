#include "support/Nginx.h"

#ifdef _WIN32

#include <stdexcept>

namespace hx::test {

// nginx is a POSIX server here; the Windows build runs its tests as skipped.
bool Nginx::available()
{
    return false;
}

Nginx::Nginx(const std::string&)
{
    throw std::runtime_error("nginx is not available on Windows");
}

Nginx::~Nginx() = default;

std::string Nginx::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string Nginx::accessLog() const
{
    return {};
}

} // namespace hx::test

#else

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace hx::test {

namespace {

int freeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (fd >= 0)
            close(fd);
        throw std::runtime_error("no free loopback port");
    }
    close(fd);
    return ntohs(addr.sin_port);
}

bool answers(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (fd >= 0)
        close(fd);
    return ok;
}

} // namespace

bool Nginx::available()
{
    return access(kBinary, X_OK) == 0;
}

Nginx::Nginx(const std::string& root)
{
    const std::string d = dir_.path();
    makeFolders(d + "/tmp");
    makeFolders(d + "/logs");
    port_ = freeLoopbackPort();
    const std::string conf =
        "daemon off;\n"
        "master_process off;\n"
        "worker_processes 1;\n"
        "pid " +
        d +
        "/nginx.pid;\n"
        "error_log " +
        d +
        "/logs/error.log warn;\n"
        "events { worker_connections 64; }\n"
        "http {\n"
        "  log_format ranges '$request_method $uri $status \"$http_range\" \"$http_if_range\" "
        "$body_bytes_sent';\n"
        "  access_log " +
        d +
        "/logs/access.log ranges;\n"
        "  client_body_temp_path " +
        d +
        "/tmp/body;\n"
        "  proxy_temp_path " +
        d +
        "/tmp/proxy;\n"
        "  fastcgi_temp_path " +
        d +
        "/tmp/fastcgi;\n"
        "  uwsgi_temp_path " +
        d +
        "/tmp/uwsgi;\n"
        "  scgi_temp_path " +
        d +
        "/tmp/scgi;\n"
        "  types { application/zip zip; text/plain txt; image/jpeg jpg; }\n"
        "  default_type application/octet-stream;\n"
        "  sendfile on;\n"
        "  server {\n"
        "    listen 127.0.0.1:" +
        std::to_string(port_) +
        ";\n"
        "    root " +
        root +
        ";\n"
        "  }\n"
        "}\n";
    writeFile(d + "/nginx.conf", conf);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (d + "/logs/stdout").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const std::string confPath = d + "/nginx.conf", prefix = d + "/",
                      errorLog = d + "/logs/error.log";
    char* argv[] = {const_cast<char*>(kBinary),          const_cast<char*>("-p"),
                    const_cast<char*>(prefix.c_str()),   const_cast<char*>("-c"),
                    const_cast<char*>(confPath.c_str()), const_cast<char*>("-e"),
                    const_cast<char*>(errorLog.c_str()), nullptr};
    const int rc = posix_spawn(&pid_, kBinary, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start nginx");
    for (int i = 0; i < 500; ++i) {
        if (answers(port_))
            return;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("nginx ended at start: " + readFile(d + "/logs/stdout"));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    throw std::runtime_error("nginx does not answer on port " + std::to_string(port_));
}

Nginx::~Nginx()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

std::string Nginx::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string Nginx::accessLog() const
{
    // nginx writes a request's line when it finalises the request, which can come just after
    // the client has read the last byte: read until the log has settled.
    const std::string path = dir_.path() + "/logs/access.log";
    std::string log = exists(path) ? readFile(path) : std::string{};
    for (int i = 0; i < 100; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::string again = exists(path) ? readFile(path) : std::string{};
        if (again == log)
            break;
        log = std::move(again);
    }
    return log;
}

} // namespace hx::test

#endif
