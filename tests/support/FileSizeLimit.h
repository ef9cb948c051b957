#pragma once
// Caps the size of files this process may write, so that a write fails part way even for root
// (tests run as root in CI, where permissions do not stop a write).

#include <csignal>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace hx::test {

// POSIX only: Windows has no such limit, and the tests that need one skip themselves there.
#ifndef _WIN32
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};
#endif

} // namespace hx::test
