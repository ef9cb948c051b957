#pragma once
// A real nginx (/usr/sbin/nginx) serving a folder on a free loopback port, for integration
// tests and benchmarks. Its configuration, pid file, logs and temporary paths all live in a
// temporary folder; the server runs in the foreground as a child process and is ended by its
// process id when the object goes out of scope.

#include "support/TempDir.h"

#include <string>
#include <sys/types.h>

namespace hx::test {

class Nginx {
public:
    static constexpr const char* kBinary = "/usr/sbin/nginx";
    static bool available();

    // Starts nginx serving `root`; throws when it does not answer within a few seconds.
    explicit Nginx(const std::string& root);
    ~Nginx();
    Nginx(const Nginx&) = delete;
    Nginx& operator=(const Nginx&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT" + path (path starts with "/").
    std::string url(const std::string& path) const;
    // The access log: one line per request,
    // METHOD URI STATUS "RANGE" "IF-RANGE" BODY-BYTES
    std::string accessLog() const;

private:
    TempDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace hx::test
