// hangarix-cli serve as a peer: the real executable serving a folder on 127.0.0.1, asked by a
// plain HTTP client and by hangarix-cli fetch.

#include "support/TempDir.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>

namespace hx {
namespace {

using test::readFile;
using test::shellQuote;
using test::writeFile;

// `hangarix-cli serve` in the background; stopped by its process id.
class ServeProcess {
public:
    explicit ServeProcess(const std::string& folder) : urlFile_(scratch_ / "url")
    {
        const auto started =
            test::runProcess(shellQuote(HX_CLI_PATH) + " serve " + shellQuote(folder) + " >" +
                             shellQuote(urlFile_) + " 2>/dev/null </dev/null & echo $!");
        pid_ = std::stoi(started.out);
        for (int i = 0; i < 500 && url_.empty(); ++i) {
            std::ifstream in(urlFile_);
            std::getline(in, url_);
            if (url_.empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~ServeProcess()
    {
#ifndef _WIN32
        if (pid_ > 0)
            ::kill(pid_, SIGTERM);
#endif
    }
    ServeProcess(const ServeProcess&) = delete;
    ServeProcess& operator=(const ServeProcess&) = delete;

    const std::string& url() const
    {
        return url_;
    } // "http://127.0.0.1:PORT/"
    int port() const
    {
        return std::stoi(url_.substr(url_.rfind(':') + 1));
    }

private:
    test::TempDir scratch_;
    std::string urlFile_;
    std::string url_;
    int pid_ = 0;
};

TEST(CliServe, RangesWithinTheFileAndResumeByFetch)
{
    HX_SKIP_ON_WINDOWS("the server runs in the background of a POSIX shell and is ended by its "
                       "process id");
    test::TempDir dir;
    std::string body(100000, '\0');
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i * 7 + i / 256);
    writeFile(dir / "site/liv.zip", body);
    ServeProcess serve(dir / "site");
    ASSERT_EQ(serve.url().rfind("http://127.0.0.1:", 0), 0u) << serve.url();

    httplib::Client client("127.0.0.1", serve.port());
    const auto head = client.Head("/liv.zip");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->get_header_value("Content-Length"), "100000");

    // A range running past the end is cut at the end; one starting past it is refused.
    const auto past = client.Get("/liv.zip", {{"Range", "bytes=99000-200000"}});
    ASSERT_TRUE(past);
    EXPECT_EQ(past->status, 206);
    EXPECT_EQ(past->get_header_value("Content-Range"), "bytes 99000-99999/100000");
    EXPECT_TRUE(past->body == body.substr(99000));
    const auto beyond = client.Get("/liv.zip", {{"Range", "bytes=100000-"}});
    ASSERT_TRUE(beyond);
    EXPECT_EQ(beyond->status, 416);
    EXPECT_EQ(beyond->get_header_value("Content-Range"), "bytes */100000");

    const auto outside = client.Get("/../site/liv.zip");
    ASSERT_TRUE(outside);
    EXPECT_EQ(outside->status, 404);

    writeFile(dir / "got.zip", body.substr(0, 30000));
    const auto fetched = test::runCli("fetch " + shellQuote(serve.url() + "liv.zip") + " " +
                                      shellQuote(dir / "got.zip"));
    EXPECT_EQ(fetched.exitCode, 0) << fetched.out << fetched.err;
    EXPECT_NE(fetched.out.find("Resumindo download..."), std::string::npos) << fetched.out;
    EXPECT_TRUE(readFile(dir / "got.zip") == body);
}

} // namespace
} // namespace hx
