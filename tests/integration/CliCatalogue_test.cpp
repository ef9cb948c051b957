// hangarix-cli catalogue against a catalogue served on 127.0.0.1.

#include "support/LoopbackServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace hx {
namespace {

using test::shellQuote;

class CliCatalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.serveRoutes();
        server.start();
        server.setRoute("/hangarix/prod.txt", "Alpha&&a.txt;;\r\nBravo Two&&b/list.txt;;\r\n");
        server.setRoute("/hangarix/a.txt", "A1&&" + server.url("/zip/a1.zip") + ";;" +
                                               server.url("/pic/a1.jpg") + "!!\r\n");
        server.setRoute("/hangarix/b/list.txt", "B first&&" + server.url("/zip/b1.zip") + ";;" +
                                                    server.url("/pic/b1.jpg") + "!!\r\nB second&&" +
                                                    server.url("/zip/b 2.zip") + ";;!!\r\n");
        server.setRoute("/pic/a1.jpg", "a1");
        server.setRoute("/pic/b1.jpg", "b1");
    }

    test::ProcessResult catalogue(const std::string& args)
    {
        return test::runCli("-C " + shellQuote(dir.path()) + " --catalogue-url " +
                            shellQuote(server.url("/")) + " catalogue" + args);
    }

    int requestsOf(const std::string& path) const { return server.requestCount(path); }

    test::TempDir dir;
    test::LoopbackServer server; // stopped before the tables it reads go
};

TEST_F(CliCatalogue, ListsProductsAndTheLiveriesOfOne)
{
    const auto products = catalogue("");
    EXPECT_EQ(products.exitCode, 0) << products.err;
    EXPECT_EQ(products.out, "0\tAlpha\n1\tBravo Two\n");

    const auto liveries = catalogue(" 1");
    EXPECT_EQ(liveries.exitCode, 0) << liveries.err;
    EXPECT_EQ(liveries.out, "0\tB first\t" + server.url("/zip/b1.zip") + "\t" +
                                server.url("/pic/b1.jpg") + "\n1\tB second\t" +
                                server.url("/zip/b 2.zip") + "\t\n");

    // The pictures went the window's way: fetched into images and deleted again.
    EXPECT_EQ(requestsOf("/pic/a1.jpg"), 2);
    EXPECT_EQ(requestsOf("/pic/b1.jpg"), 1);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "images"));
}

TEST_F(CliCatalogue, FailuresExitWithAnError)
{
    const auto noProduct = catalogue(" 2");
    EXPECT_EQ(noProduct.exitCode, 2);
    EXPECT_NE(noProduct.err.find("no product 2"), std::string::npos) << noProduct.err;
    EXPECT_EQ(noProduct.out, "");

    {
        server.removeRoute("/hangarix/prod.txt");
    }
    const auto missing = catalogue("");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("404"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.out, "");
}

} // namespace
} // namespace hx
