// The HTTP seam against a real server on 127.0.0.1.

#include "platform/Errors.h"
#include "platform/Http.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace hx;
using namespace hx::platform;
using hx::test::LoopbackServer;
using hx::test::TempDir;

namespace {

int wininetCodeOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const HttpError& e) {
        return e.wininetCode();
    }
    return 0;
}

} // namespace

TEST(Http, TextBodyAndErrorStatus)
{
    LoopbackServer server;
    server.server().Get("/prod.txt", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("A&&B;;C!!\r\n", "text/plain");
    });
    server.server().Get("/moved", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("/prod.txt");
    });
    server.start();

    EXPECT_EQ(httpGetText(server.url("/prod.txt")), "A&&B;;C!!\r\n");
    EXPECT_EQ(httpGetText(server.url("/moved")), "A&&B;;C!!\r\n");
    try {
        httpGetText(server.url("/missing.txt"));
        FAIL() << "a 404 must throw";
    } catch (const HttpError& e) {
        EXPECT_EQ(e.status(), 404);
        EXPECT_EQ(e.wininetCode(), 0);
        EXPECT_NE(std::string(e.what()).find("404"), std::string::npos) << e.what();
    }
}

TEST(Http, TransportFailuresCarryWininetCodes)
{
    const int port = LoopbackServer::closedPort();
    EXPECT_EQ(wininetCodeOf([&] { httpGetText("http://127.0.0.1:" + std::to_string(port) + "/"); }),
              12029);
    EXPECT_EQ(wininetCodeOf([] { httpGetText("gopher://127.0.0.1/x"); }), 12006);
    EXPECT_EQ(wininetCodeOf([] { httpGetText("http://"); }), 12005);
    EXPECT_EQ(wininetCodeOf(
                  [&] { httpQueryFileInfo("http://127.0.0.1:" + std::to_string(port) + "/f"); }),
              12029);
}

TEST(Http, ToFileWritesWhateverArrives)
{
    LoopbackServer server;
    std::string agent, cacheControl;
    server.server().Get("/pic.jpg", [&](const httplib::Request& req, httplib::Response& res) {
        agent = req.get_header_value("User-Agent");
        cacheControl = req.get_header_value("Cache-Control");
        res.set_content(std::string(30000, '\xff'), "image/jpeg");
    });
    server.server().Get("/gone.jpg", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("<html>not here</html>", "text/html");
    });
    server.start();
    TempDir dir;

    httpGetToFile(server.url("/pic.jpg"), dir / "pic.jpg");
    EXPECT_EQ(hx::test::readFile(dir / "pic.jpg"), std::string(30000, '\xff'));
    // Named after the program that asks, and past any cache.
    EXPECT_TRUE(agent == "platform_Http_test" || agent == "platform_Http_test.exe") << agent;
    EXPECT_EQ(cacheControl, "no-cache");

    // An error page is saved as it came; an old file is emptied first.
    hx::test::writeFile(dir / "gone.jpg", "old content that must go");
    httpGetToFile(server.url("/gone.jpg"), dir / "gone.jpg");
    EXPECT_EQ(hx::test::readFile(dir / "gone.jpg"), "<html>not here</html>");

    // A server that is not there leaves an empty file and no error.
    httpGetToFile("http://127.0.0.1:" + std::to_string(LoopbackServer::closedPort()) + "/x",
                  dir / "none.jpg");
    EXPECT_EQ(hx::test::readFile(dir / "none.jpg"), "");

    EXPECT_THROW(httpGetToFile(server.url("/pic.jpg"), dir / "no-such-folder/pic.jpg"), IoError);
}

TEST(Http, SizeQueryReadsLengthAndValidators)
{
    LoopbackServer server;
    server.server().Get("/file.zip", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("ETag", "\"v1\"");
        res.set_header("Last-Modified", "Tue, 01 Jan 2030 00:00:00 GMT");
        res.set_content(std::string(5000, 'z'), "application/zip");
    });
    // A streamed answer has no Content-Length.
    server.server().Get("/stream", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
            sink.write("abc", 3);
            sink.done();
            return true;
        });
    });
    server.start();

    const HttpFileInfo info = httpQueryFileInfo(server.url("/file.zip"));
    EXPECT_EQ(info.contentLength, 5000);
    EXPECT_EQ(info.etag, "\"v1\"");
    EXPECT_EQ(info.lastModified, "Tue, 01 Jan 2030 00:00:00 GMT");
    // No length to HEAD nor to the GET of the first byte: the size is unknown.
    EXPECT_EQ(httpQueryFileInfo(server.url("/stream")).contentLength, -1);
    try {
        httpQueryFileInfo(server.url("/missing.zip"));
        FAIL() << "a 404 must throw";
    } catch (const HttpError& e) {
        EXPECT_EQ(e.status(), 404);
    }
}

TEST(Http, RangedGetSendsHeadersAndDeliversChunks)
{
    LoopbackServer server;
    std::string seenRange, seenIfRange, seenEncoding;
    const std::string body(100000, 'q');
    server.server().Get("/file.zip", [&](const httplib::Request& req, httplib::Response& res) {
        seenRange = req.get_header_value("Range");
        seenIfRange = req.get_header_value("If-Range");
        seenEncoding = req.get_header_value("Accept-Encoding");
        res.set_content(body, "application/zip"); // the server cuts the range itself
    });
    server.start();

    HttpRangeRequest request;
    request.url = server.url("/file.zip");
    request.offset = 1000;
    request.ifRange = "\"v1\"";
    HttpResponseHead head;
    std::string received;
    HttpRangeCallbacks callbacks;
    callbacks.onHead = [&](const HttpResponseHead& h) {
        head = h;
        return true;
    };
    callbacks.onChunk = [&](const char* data, std::size_t size) {
        received.append(data, size);
        return true;
    };
    EXPECT_EQ(httpGetRange(request, callbacks), HttpRangeEnd::Complete);
    EXPECT_EQ(seenRange, "bytes=1000-");
    EXPECT_EQ(seenIfRange, "\"v1\"");
    EXPECT_EQ(seenEncoding, "identity");
    EXPECT_EQ(head.status, 206);
    EXPECT_EQ(head.contentRange, "bytes 1000-99999/100000");
    EXPECT_TRUE(received == body.substr(1000)) << received.size();

    // Stopping from the chunk callback takes no further chunk.
    request.offset = 0;
    request.bufferSize = 1024;
    std::size_t chunks = 0;
    callbacks.onChunk = [&](const char*, std::size_t) { return ++chunks < 2; };
    EXPECT_EQ(httpGetRange(request, callbacks), HttpRangeEnd::Stopped);
    EXPECT_EQ(chunks, 2u);
    EXPECT_TRUE(seenRange.empty());
}

TEST(Http, StalledTransferTimesOutOrIsStoppedByTheWaitCallback)
{
    LoopbackServer server;
    std::atomic<bool> release{false};
    server.server().Get("/stall", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(1000, "application/zip",
                                 [&](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset == 0)
                                         sink.write(std::string(100, 's').data(), 100);
                                     while (!release)
                                         std::this_thread::sleep_for(std::chrono::milliseconds(10));
                                     return false;
                                 });
    });
    server.server().Get("/silent", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(1000, "application/zip", [&](size_t, size_t, httplib::DataSink&) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return false;
        });
    });
    server.start();
    const HttpTimeouts saved = httpTimeouts();

    HttpRangeRequest request;
    request.url = server.url("/stall");
    int waits = 0;
    HttpRangeCallbacks callbacks;
    callbacks.onWait = [&] { return ++waits < 5; };
    EXPECT_EQ(httpGetRange(request, callbacks), HttpRangeEnd::Stopped);
    EXPECT_EQ(waits, 5);

    setHttpTimeouts({5, 1});
    callbacks.onWait = {};
    request.url = server.url("/silent");
    EXPECT_EQ(wininetCodeOf([&] { httpGetRange(request, callbacks); }), 12002);
    setHttpTimeouts(saved);
    release = true;
}

TEST(Http, EscapesWhatCannotStandInAUrl)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"http://h/my livery.zip", "http://h/my%20livery.zip"},
        {"http://h/caf\xc3\xa9.zip", "http://h/caf%C3%A9.zip"},
        {"http://h/a%20b.zip?x=1&y=2#f", "http://h/a%20b.zip?x=1&y=2#f"},
        {"http://h/<a>\"b\"{c}|d^e`f\\g\th", "http://h/%3Ca%3E%22b%22%7Bc%7D%7Cd%5Ee%60f%5Cg%09h"},
        {"http://h/plain-name_1.zip", "http://h/plain-name_1.zip"},
    };
    for (const auto& [url, escaped] : cases)
        EXPECT_EQ(escapeUrl(url), escaped) << url;
    EXPECT_EQ(httpUrlErrorCode("http://127.0.0.1/my livery.zip"), 0);
}
