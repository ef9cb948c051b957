// hangarix-cli fetch against servers that misbehave: the real executable, a scripted server on
// 127.0.0.1, files on disk.

#include "support/RawHttpServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace hx {
namespace {

using test::rawAnswer;
using test::rawHead;
using test::RawHttpServer;
using test::readFile;
using test::shellQuote;

const std::string kBody(20000, 'z');

TEST(CliFetchFaults, ServersThatUsedToFailAreFetchedAndAFailureIsTold)
{
    const RawHttpServer::Script file = [](const RawHttpServer::Request& r) {
        if (r.target.find("empty") != std::string::npos)
            return rawAnswer(r, 200, "");
        if (r.target.find("gone") != std::string::npos)
            return rawAnswer(r, 404, "");
        if (r.method == "HEAD" && r.target.find("nohead") != std::string::npos)
            return rawHead(405, {});
        return rawAnswer(r, 200, kBody);
    };
    struct Case {
        std::string path;
        int exitCode;
        std::string content; // of the file afterwards
        std::string lastLine;
    };
    const std::vector<Case> cases = {
        {"/my livery.zip", 0, kBody, "Download concluído com sucesso!"},
        {"/nohead.zip", 0, kBody, "Download concluído com sucesso!"},
        {"/empty.zip", 0, "", "Download concluído com sucesso!"},
        {"/gone.zip", 1, "", "<<< HTTP 404 - The server refused the request with this status. >>>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        RawHttpServer server(file);
        test::TempDir dir;
        const auto run = test::runCli("-C " + shellQuote(dir.path()) + " fetch " +
                                      shellQuote(server.url(c.path)) + " out.zip");
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), c.lastLine + "\n");
        if (c.exitCode == 0) {
            EXPECT_EQ(readFile(dir / "out.zip"), c.content);
        }
    }
}

} // namespace
} // namespace hx
