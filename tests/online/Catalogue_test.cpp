// The catalogue texts as the panel walks them, and the panel's procedures against a real HTTP
// server on 127.0.0.1 with a real start-up folder on disk.

#include "online/Catalogue.h"
#include "packages/WorkingFolders.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <random>

namespace hx {
namespace {

using Names = std::vector<std::string>;

template <class Record> Names names(const std::vector<Record>& records)
{
    Names out;
    for (const auto& r : records)
        out.push_back(r.name);
    return out;
}

TEST(CatalogueParse, RecordsSeparatorsAndSurroundingText)
{
    const std::string products = "A&&a.txt;;\r\nB&&b/list.txt;;\r\n";
    EXPECT_EQ(names(parseProductList(products)), (Names{"A", "B"}));
    EXPECT_EQ(parseProductList(products)[1].listFile, "b/list.txt");
    EXPECT_EQ(productListFileAt(products, -1), "a.txt"); // below 1 cuts nothing
    EXPECT_EQ(productListFileAt(products, 1), "b/list.txt");
    EXPECT_EQ(productListFileAt(products, 1'000'000'000), "");

    // A lone LF costs the next name its first character; more characters join the next name.
    EXPECT_EQ(names(parseProductList("Alpha&&a;;\nBravo&&b;;\nCharlie&&c;;\n")),
              (Names{"Alpha", "ravo", "harlie"}));
    EXPECT_EQ(names(parseLiveryList("One&&u1;;t1!!\nTwo&&u2;;t2!!\n")), (Names{"One", "wo"}));
    EXPECT_EQ(names(parseProductList("A&&a;;\r\n\r\nB&&b;;\r\n")), (Names{"A", "\r\nB"}));
    // Text before the first record belongs to it; text after the last without "&&" is ignored.
    EXPECT_EQ(names(parseProductList("Head\r\nA&&a;;\r\ntail;;\r\n")), (Names{"Head\r\nA"}));
    EXPECT_TRUE(parseLiveryList("").empty());
    EXPECT_TRUE(parseLiveryList("no record;;x!!\r\n").empty());
    EXPECT_EQ(liveryAt("no record;;x!!\r\n", 0).archiveUrl, "");
    // A record without its end mark is the last; an end mark before "&&" cuts the record there.
    EXPECT_EQ(names(parseLiveryList("A&&u;;t!!\r\nB&&u")), (Names{"A", "B"}));
    const auto skewed = parseProductList("X;;\r\nA&&a.txt;;\r\n");
    EXPECT_EQ(names(skewed), (Names{"X;;\r\nA", "A"}));
    EXPECT_EQ(skewed[0].listFile + "|" + skewed[1].listFile, "|a.txt");
}

TEST(CatalogueParse, LiveryFieldsAreTakenAsWritten)
{
    const std::string text = "First&&http://h/1.zip;;http://h/x/1.jpg!!\r\n"
                             "Plain&&http://h/2.zip;;!!\r\n"
                             "Third&&http://h/my livery 3.zip;;http://h/3.jpg!!\r\n";
    const auto liveries = parseLiveryList(text);
    ASSERT_EQ(liveries.size(), 3u);
    EXPECT_EQ(liveries[0].thumbnailUrl, "http://h/x/1.jpg");
    EXPECT_EQ(liveries[1].thumbnailUrl, "");
    EXPECT_EQ(liveryAt(text, 2).archiveUrl, "http://h/my livery 3.zip");
    EXPECT_EQ(liveryAt(text, 2).thumbnailUrl, "http://h/3.jpg");
}

// The walk that cuts a shrinking copy of the text, record by record. The linear parsers must
// agree with it on any text, separators out of order included.
std::string between(const std::string& s, const char* open, const char* close)
{
    const auto a = s.find(open), b = s.find(close);
    return a == std::string::npos || b == std::string::npos || b < a + 2
               ? ""
               : s.substr(a + 2, b - a - 2);
}
void cut(std::string& s, const char* end)
{
    const auto at = s.find(end);
    s.erase(0, at == std::string::npos ? s.size() : at + 4);
}

TEST(CatalogueParse, AgreesWithCuttingACopyOnRandomTexts)
{
    const Names pieces = {"&&", ";;", "!!", "\r\n", "\n", "a", "bc", "&", ";", "!", " "};
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int i = static_cast<int>(random() % 40); i > 0; --i)
            text += pieces[random() % pieces.size()];
        SCOPED_TRACE(text);
        const auto liveries = parseLiveryList(text);
        const auto products = parseProductList(text);
        std::string l = text, p = text;
        std::size_t n = 0;
        for (; l.find("&&") != std::string::npos; ++n, cut(l, "!!")) {
            ASSERT_LT(n, liveries.size());
            EXPECT_EQ(liveries[n].name, l.substr(0, l.find("&&")));
            EXPECT_EQ(liveries[n].archiveUrl, between(l, "&&", ";;"));
            EXPECT_EQ(liveries[n].thumbnailUrl, between(l, ";;", "!!"));
            EXPECT_EQ(liveryAt(text, static_cast<int>(n)).thumbnailUrl, between(l, ";;", "!!"));
        }
        EXPECT_EQ(liveries.size(), n);
        for (n = 0; p.find("&&") != std::string::npos; ++n, cut(p, ";;")) {
            ASSERT_LT(n, products.size());
            EXPECT_EQ(products[n].name, p.substr(0, p.find("&&")));
            EXPECT_EQ(productListFileAt(text, static_cast<int>(n)), between(p, "&&", ";;"));
        }
        EXPECT_EQ(products.size(), n);
    }
}

TEST(CatalogueNames, LastPathSegmentAndThumbnailNames)
{
    EXPECT_EQ(lastPathSegment("http://h/x/y/pic.jpg"), "pic.jpg");
    EXPECT_EQ(lastPathSegment("no-slash.jpg"), "no-slash.jpg");
    EXPECT_EQ(lastPathSegment("http://h/x/"), "");
    EXPECT_EQ(thumbnailFileName("http://h/x/pic.jpg?v=2"), "pic.jpg");
    EXPECT_EQ(thumbnailFileName("http://h/pic.jpg?path=/a/b.png#top"), "pic.jpg");
    for (const char* hostile :
         {"http://h/x/", "http://h/x/.", "http://h/x/..", "http://h/a\\..\\..\\evil.jpg",
          "http://h/C:evil.jpg", "http://h/x/..?v=1", "http://h/a*b.jpg", "http://h/pic.jpg.",
          "http://h/pic.jpg ", "http://h/pic\t.jpg"}) {
        SCOPED_TRACE(hostile);
        EXPECT_THROW(thumbnailFileName(hostile), UnsafeNameError);
    }
}

// A start-up folder with its working folders and fallback picture, and a server that answers
// from a table of path -> (status, body) and records every request target.
class CatalogueProcedures : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.serveRoutes();
        server.start();
        createWorkingFolders(dir.path());
        test::writeFile(dir / "thumbnail.jpg", "fallback");
        serve("/hangarix/prod.txt", "Alpha&&a.txt;;\r\nBravo&&b/list.txt;;\r\n");
        serve("/hangarix/a.txt", "A one&&" + url("/zip/a1.zip") + ";;" + url("/x/y/pic.jpg") +
                                     "!!\r\nA two&&" + url("/zip/a2.zip") + ";;!!\r\nA three&&" +
                                     url("/zip/my livery 3.zip") + ";;" + url("/p/three.jpg?v=2") +
                                     "!!\r\n");
        serve("/hangarix/b/list.txt",
              "B one&&" + url("/zip/b1.zip") + ";;" + url("/p/b1.jpg") + "!!\r\nB two&&u;;!!\r\n");
        serve("/x/y/pic.jpg", "picture A1");
        serve("/p/three.jpg", "picture A3");
        serve("/p/b1.jpg", "picture B1");
        // The base URL without its "/" on purpose: the catalogue adds it.
        panel = std::make_unique<Catalogue>(url(""), dir.path(), [this](const std::string& path) {
            loaded.push_back(path + "=" + test::readFile(path));
            if (failLoading)
                throw Error("Bitmap image is not valid");
        });
    }

    void serve(const std::string& path, std::string body, int status = 200)
    {
        server.setRoute(path, std::move(body), status);
    }
    Names takeRequests() { return server.takeRequests(); }
    std::string url(const std::string& path) const { return server.url(path); }
    std::string images(const std::string& name = "") const
    {
        return platform::joinPath(platform::joinPath(dir.path(), "images"), name);
    }

    test::TempDir dir;
    Names loaded; // path "=" bytes, as the loader saw them
    bool failLoading = false;
    test::LoopbackServer server; // stopped before the tables it reads go
    std::unique_ptr<Catalogue> panel;
};

TEST_F(CatalogueProcedures, OpenChooseLiveryChooseProduct)
{
    ASSERT_TRUE(panel->open());
    EXPECT_EQ(panel->products().items, (Names{"Alpha", "Bravo"}));
    EXPECT_EQ(panel->products().selected, 0);
    EXPECT_EQ(panel->liveries().items, (Names{"A one", "A two", "A three"}));
    EXPECT_EQ(panel->liveries().selected, 0);
    EXPECT_EQ(panel->selectedArchiveUrl(), url("/zip/a1.zip"));
    EXPECT_EQ(takeRequests(), (Names{"/hangarix/prod.txt", "/hangarix/a.txt", "/x/y/pic.jpg"}));
    // /x/y/pic.jpg was saved as images/pic.jpg, shown, and is gone.
    EXPECT_EQ(loaded, (Names{images("pic.jpg") + "=picture A1"}));
    EXPECT_TRUE(std::filesystem::is_empty(images()));

    // The third livery: the archive URL as written; the URL fetched with its query, the file
    // named without it.
    panel->chooseLivery(2);
    EXPECT_EQ(panel->selectedArchiveUrl(), url("/zip/my livery 3.zip"));
    EXPECT_EQ(takeRequests(), (Names{"/p/three.jpg?v=2"}));
    EXPECT_EQ(loaded.back(), images("three.jpg") + "=picture A3");
    // No thumbnail: the fallback, nothing fetched.
    panel->chooseLivery(1);
    EXPECT_EQ(panel->liveries().selected, 1);
    EXPECT_EQ(panel->selectedArchiveUrl(), url("/zip/a2.zip"));
    EXPECT_EQ(loaded.back(), platform::joinPath(dir.path(), "thumbnail.jpg=fallback"));
    EXPECT_TRUE(takeRequests().empty());

    panel->chooseProduct(1);
    EXPECT_EQ(takeRequests(), (Names{"/hangarix/b/list.txt", "/p/b1.jpg"}));
    EXPECT_EQ(panel->liveries().items, (Names{"B one", "B two"}));
    EXPECT_EQ(panel->liveries().selected, 0);
    EXPECT_EQ(panel->selectedArchiveUrl(), url("/zip/b1.zip"));
    EXPECT_TRUE(std::filesystem::is_empty(images()));
}

TEST_F(CatalogueProcedures, FailedFetchesLeaveWhatTheyFound)
{
    serve("/hangarix/prod.txt", "gone", 404);
    EXPECT_THROW(panel->open(), platform::HttpError);
    EXPECT_TRUE(panel->productList().empty());
    EXPECT_EQ(panel->products().selected, -1);

    serve("/hangarix/prod.txt", "Alpha&&a.txt;;\r\nBravo&&b/list.txt;;\r\n");
    panel->open();
    panel->chooseLivery(2);
    const std::string products = panel->productList(), liveries = panel->liveryList();
    const std::string selected = url("/zip/my livery 3.zip");
    // A failing product list changes nothing.
    serve("/hangarix/prod.txt", "Gamma&&g.txt;;\r\n", 404);
    EXPECT_THROW(panel->open(), platform::HttpError);
    EXPECT_EQ(panel->productList(), products);
    EXPECT_EQ(panel->liveries().selected, 2);
    // A failing first livery list: cb5 and the product list are new, the rest is the old.
    serve("/hangarix/prod.txt", "Gamma&&g.txt;;\r\n");
    EXPECT_THROW(panel->open(), platform::HttpError);
    EXPECT_EQ(panel->products().items, (Names{"Gamma"}));
    EXPECT_EQ(panel->liveryList(), liveries);
    EXPECT_EQ(panel->liveries().items, (Names{"A one", "A two", "A three"}));
    EXPECT_EQ(panel->selectedArchiveUrl(), ""); // cb5 shows another product now
    // A failing product choice: cb5 shows it, the lists stay, no archive is selected.
    serve("/hangarix/prod.txt", products);
    panel->open();
    panel->chooseLivery(2);
    serve("/hangarix/b/list.txt", "error page", 500);
    EXPECT_THROW(panel->chooseProduct(1), platform::HttpError);
    EXPECT_EQ(panel->products().selected, 1);
    EXPECT_EQ(panel->liveryList(), liveries);
    EXPECT_EQ(panel->liveries().selected, 2);
    EXPECT_EQ(panel->selectedArchiveUrl(), "");
    // Choosing a livery again selects its archive.
    serve("/hangarix/b/list.txt", "B one&&" + url("/zip/b1.zip") + ";;!!\r\n");
    panel->chooseProduct(1);
    EXPECT_EQ(panel->selectedArchiveUrl(), url("/zip/b1.zip"));
    EXPECT_NE(selected, panel->selectedArchiveUrl());
}

TEST_F(CatalogueProcedures, RejectedPictureEndsTheStepAndStaysOnDisk)
{
    panel->open();
    panel->chooseLivery(1);
    serve("/p/three.jpg", "<html>not found</html>", 404);
    failLoading = true;
    EXPECT_EQ(panel->selectedArchiveUrl(), url("/zip/a2.zip"));
    EXPECT_THROW(panel->chooseLivery(2), Error);
    EXPECT_EQ(panel->selectedArchiveUrl(), ""); // cb6 shows "A three", whose picture failed
    EXPECT_EQ(test::readFile(images("three.jpg")), "<html>not found</html>");
    // On a product change the walk stops after the first livery.
    EXPECT_THROW(panel->chooseProduct(1), Error);
    EXPECT_EQ(panel->liveries().items, (Names{"B one"}));
    EXPECT_EQ(panel->selectedArchiveUrl(), "");
    EXPECT_TRUE(test::exists(images("b1.jpg")));
}

TEST_F(CatalogueProcedures, HostilePictureNamesAreRefusedBeforeAnythingIsWritten)
{
    const Names hostile = {url("/a\\..\\..\\evil.jpg"), url("/x/.."), url("/x/"),
                           url("/C:evil.jpg"), url("/x/..?v=2")};
    std::string list;
    for (const std::string& thumbnail : hostile)
        list += "Bad&&" + url("/zip/bad.zip") + ";;" + thumbnail + "!!\r\n";
    serve("/hangarix/a.txt", list + "Good&&" + url("/zip/good.zip") + ";;!!\r\n");
    const auto tree = [&] {
        std::string names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
            names += e.path().string() + "\n";
        return names;
    };
    const std::string before = tree();

    EXPECT_THROW(panel->open(), UnsafeNameError); // the panel does not open
    EXPECT_EQ(panel->liveries().items, (Names{"Bad"}));
    panel->chooseLivery(static_cast<int>(hostile.size()));
    for (int i = 0; i < static_cast<int>(hostile.size()); ++i) {
        EXPECT_THROW(panel->chooseLivery(i), UnsafeNameError);
        EXPECT_EQ(panel->selectedArchiveUrl(), "");
    }
    EXPECT_EQ(takeRequests(), (Names{"/hangarix/prod.txt", "/hangarix/a.txt"}));
    EXPECT_EQ(tree(), before);
    EXPECT_FALSE(test::exists(dir / "../evil.jpg"));
}

TEST_F(CatalogueProcedures, EmptyAnswersGiveEmptyBoxes)
{
    panel->open();
    serve("/hangarix/prod.txt", "");
    serve("/hangarix/", "");
    takeRequests();
    EXPECT_TRUE(panel->open());
    EXPECT_EQ(takeRequests(), (Names{"/hangarix/prod.txt", "/hangarix/"}));
    EXPECT_TRUE(panel->products().items.empty());
    EXPECT_EQ(panel->liveries().selected, -1);
    EXPECT_EQ(panel->selectedArchiveUrl(), "");
    EXPECT_EQ(loaded.size(), 1u); // the picture keeps the one shown before
}

} // namespace
} // namespace hx
