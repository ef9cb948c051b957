// The catalogue texts as the panel walks them, and the panel's procedures against a real HTTP
// server on 127.0.0.1 with a real start-up folder on disk.

#include "online/Catalogue.h"
#include "packages/WorkingFolders.h"
#include "platform/Http.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <set>

namespace hx {
namespace {

using test::readFile;
using test::TempDir;

std::vector<std::string> names(const std::vector<ProductRecord>& records)
{
    std::vector<std::string> out;
    for (const auto& r : records)
        out.push_back(r.name);
    return out;
}

std::vector<std::string> names(const std::vector<LiveryRecord>& records)
{
    std::vector<std::string> out;
    for (const auto& r : records)
        out.push_back(r.name);
    return out;
}

using Names = std::vector<std::string>;

// ---------------------------------------------------------------------------------------------
// Parsers on literal texts

TEST(CatalogueParse, ProductListWithCrLfRecords)
{
    const std::string text = "A&&a.txt;;\r\nB&&b/list.txt;;\r\n";
    const auto records = parseProductList(text);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "A");
    EXPECT_EQ(records[0].listFile, "a.txt");
    EXPECT_EQ(records[1].name, "B");
    EXPECT_EQ(records[1].listFile, "b/list.txt");
    EXPECT_EQ(productListFileAt(text, 0), "a.txt");
    EXPECT_EQ(productListFileAt(text, 1), "b/list.txt");
    // An index below 1 cuts nothing; one past the end leaves nothing to take.
    EXPECT_EQ(productListFileAt(text, -1), "a.txt");
    EXPECT_EQ(productListFileAt(text, 2), "");
    EXPECT_EQ(productListFileAt(text, 1'000'000'000), "");
}

TEST(CatalogueParse, LoneLfCostsTheNextNameItsFirstCharacter)
{
    const auto products = parseProductList("Alpha&&a.txt;;\nBravo&&b.txt;;\nCharlie&&c.txt;;\n");
    EXPECT_EQ(names(products), (Names{"Alpha", "ravo", "harlie"}));
    EXPECT_EQ(products[2].listFile, "c.txt");

    const auto liveries = parseLiveryList("One&&u1;;t1!!\nTwo&&u2;;t2!!\n");
    EXPECT_EQ(names(liveries), (Names{"One", "wo"}));
    EXPECT_EQ(liveries[1].archiveUrl, "u2");
    EXPECT_EQ(liveryAt("One&&u1;;t1!!\nTwo&&u2;;t2!!\n", 1).thumbnailUrl, "t2");
    // More than two characters: the rest belongs to the next name.
    EXPECT_EQ(names(parseProductList("A&&a;;\r\n\r\nB&&b;;\r\n")), (Names{"A", "\r\nB"}));
}

TEST(CatalogueParse, TextAroundTheRecords)
{
    // Before the first record: part of the first name. After the last: ignored without "&&".
    const auto products = parseProductList("Header\r\nA&&a.txt;;\r\ntrailing text;;\r\n");
    EXPECT_EQ(names(products), (Names{"Header\r\nA"}));
    EXPECT_EQ(products[0].listFile, "a.txt");

    const auto liveries = parseLiveryList("L&&http://h/l.zip;;!!\r\nnot a record");
    EXPECT_EQ(names(liveries), (Names{"L"}));

    EXPECT_TRUE(parseProductList("").empty());
    EXPECT_TRUE(parseLiveryList("no separators at all;;x!!\r\n").empty());
    EXPECT_EQ(productListFileAt("", 0), "");
    const LiveryRecord none = liveryAt("no record;;here!!\r\n", 0);
    EXPECT_EQ(none.archiveUrl, "");
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
    EXPECT_EQ(liveries[2].archiveUrl, "http://h/my livery 3.zip");
    for (int i = 0; i < 3; ++i) {
        const LiveryRecord chosen = liveryAt(text, i);
        EXPECT_EQ(chosen.archiveUrl, liveries[static_cast<std::size_t>(i)].archiveUrl);
        EXPECT_EQ(chosen.thumbnailUrl, liveries[static_cast<std::size_t>(i)].thumbnailUrl);
    }
}

TEST(CatalogueParse, MalformedRecordsStillEndTheWalk)
{
    // No end mark: the record is the last one and its field after "&&" is empty.
    const auto products = parseProductList("A&&a.txt;;\r\nB&&b.txt");
    EXPECT_EQ(names(products), (Names{"A", "B"}));
    EXPECT_EQ(products[1].listFile, "");
    EXPECT_EQ(names(parseLiveryList("A&&u;;t")), (Names{"A"}));
    // An end mark before the "&&" cuts the record there; the name still runs to the "&&".
    const auto skewed = parseProductList("X;;\r\nA&&a.txt;;\r\n");
    EXPECT_EQ(names(skewed), (Names{"X;;\r\nA", "A"}));
    EXPECT_EQ(skewed[0].listFile, "");
    EXPECT_EQ(skewed[1].listFile, "a.txt");
}

// The walk as the catalogue has always done it: cut a shrinking copy of the text. The linear
// parsers must give the very same results on any text.
struct LiteralWalk {
    static std::string between(const std::string& s, const std::string& a, const std::string& b)
    {
        const auto pa = s.find(a), pb = s.find(b);
        if (pa == std::string::npos || pb == std::string::npos || pb < pa + 2)
            return "";
        return s.substr(pa + 2, pb - pa - 2);
    }
    static void cut(std::string& s, const std::string& end)
    {
        const auto at = s.find(end);
        s.erase(0, at == std::string::npos ? s.size() : at + 4);
    }
    static std::vector<LiveryRecord> liveries(std::string s)
    {
        std::vector<LiveryRecord> out;
        while (s.find("&&") != std::string::npos) {
            out.push_back(
                {s.substr(0, s.find("&&")), between(s, "&&", ";;"), between(s, ";;", "!!")});
            cut(s, "!!");
        }
        return out;
    }
    static std::vector<ProductRecord> products(std::string s)
    {
        std::vector<ProductRecord> out;
        while (s.find("&&") != std::string::npos) {
            out.push_back({s.substr(0, s.find("&&")), between(s, "&&", ";;")});
            cut(s, ";;");
        }
        return out;
    }
};

TEST(CatalogueParse, SameResultsAsCuttingACopyOnRandomTexts)
{
    const std::vector<std::string> pieces = {"&&", ";;", "!!", "\r\n",           "\n", "a", "bc",
                                             "&",  ";",  "!",  "http://h/p.zip", " "};
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i)
            text += pieces[random() % pieces.size()];
        SCOPED_TRACE(text);

        const auto expectedLiveries = LiteralWalk::liveries(text);
        const auto liveries = parseLiveryList(text);
        ASSERT_EQ(liveries.size(), expectedLiveries.size());
        for (std::size_t i = 0; i < liveries.size(); ++i) {
            EXPECT_EQ(liveries[i].name, expectedLiveries[i].name);
            EXPECT_EQ(liveries[i].archiveUrl, expectedLiveries[i].archiveUrl);
            EXPECT_EQ(liveries[i].thumbnailUrl, expectedLiveries[i].thumbnailUrl);
        }
        const auto expectedProducts = LiteralWalk::products(text);
        const auto products = parseProductList(text);
        ASSERT_EQ(products.size(), expectedProducts.size());
        for (std::size_t i = 0; i < products.size(); ++i) {
            EXPECT_EQ(products[i].name, expectedProducts[i].name);
            EXPECT_EQ(products[i].listFile, expectedProducts[i].listFile);
        }
        // Choosing item n cuts n records off a copy, whatever the walk found.
        for (int n = -1; n < 6; ++n) {
            std::string copy = text, copy2 = text;
            for (int i = 0; i < n; ++i) {
                LiteralWalk::cut(copy, ";;");
                LiteralWalk::cut(copy2, "!!");
            }
            EXPECT_EQ(productListFileAt(text, n), LiteralWalk::between(copy, "&&", ";;"));
            EXPECT_EQ(liveryAt(text, n).archiveUrl, LiteralWalk::between(copy2, "&&", ";;"));
            EXPECT_EQ(liveryAt(text, n).thumbnailUrl, LiteralWalk::between(copy2, ";;", "!!"));
        }
    }
}

TEST(CatalogueNames, LastPathSegmentAndThumbnailNames)
{
    EXPECT_EQ(lastPathSegment("http://h/x/y/pic.jpg"), "pic.jpg");
    EXPECT_EQ(lastPathSegment("no-slash.jpg"), "no-slash.jpg");
    EXPECT_EQ(lastPathSegment("http://h/x/"), "");
    EXPECT_EQ(lastPathSegment("http://h/x/pic.jpg?v=2"), "pic.jpg?v=2");

    EXPECT_EQ(thumbnailFileName("http://h/x/y/pic.jpg"), "pic.jpg");
    EXPECT_EQ(thumbnailFileName("http://h/x/pic.jpg?v=2"), "pic.jpg");
    EXPECT_EQ(thumbnailFileName("http://h/x/pic.jpg#top"), "pic.jpg");
    EXPECT_EQ(thumbnailFileName("http://h/pic.jpg?path=/a/b.png"), "pic.jpg");
    EXPECT_EQ(thumbnailFileName("http://h/my pic.jpg"), "my pic.jpg");

    for (const char* hostile :
         {"http://h/x/", "http://h/x/.", "http://h/x/..", "http://h/a\\..\\..\\evil.jpg",
          "http://h/C:evil.jpg", "http://h/x/..?v=1", "http://h/a*b.jpg", "http://h/a\"b.jpg",
          "http://h/pic.jpg.", "http://h/pic.jpg ", "http://h/pic\t.jpg", "?x=/y"}) {
        SCOPED_TRACE(hostile);
        EXPECT_THROW(thumbnailFileName(hostile), UnsafeNameError);
    }
}

// ---------------------------------------------------------------------------------------------
// Procedures against a server on 127.0.0.1

// Serves a table of path -> (status, body) and records every request target it receives.
class CatalogueServer {
public:
    CatalogueServer()
    {
        server_.server().Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(mutex_);
            requests_.push_back(req.target);
            const auto it = routes_.find(req.path);
            if (it == routes_.end()) {
                res.status = 404;
                res.set_content("not here", "text/plain");
                return;
            }
            res.status = it->second.first;
            res.set_content(it->second.second, "application/octet-stream");
        });
        server_.start();
    }

    void serve(const std::string& path, std::string body, int status = 200)
    {
        std::lock_guard lock(mutex_);
        routes_[path] = {status, std::move(body)};
    }
    std::vector<std::string> takeRequests()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(requests_, {});
    }
    std::string url(const std::string& path = "/") const { return server_.url(path); }

private:
    test::LoopbackServer server_;
    std::mutex mutex_;
    std::map<std::string, std::pair<int, std::string>> routes_;
    std::vector<std::string> requests_;
};

// What the front end's picture loader saw: each path, and the file's bytes at that moment.
struct LoadedPicture {
    std::string path;
    std::string bytes;
};

class CatalogueProcedures : public ::testing::Test {
protected:
    void SetUp() override
    {
        createWorkingFolders(dir.path());
        test::writeFile(dir / "thumbnail.jpg", "fallback picture");
        server.serve("/hangarix/prod.txt", "Alpha&&a.txt;;\r\nBravo&&b/list.txt;;\r\n");
        server.serve("/hangarix/a.txt", "A one&&" + server.url("/zip/a1.zip") + ";;" +
                                            server.url("/x/y/pic.jpg") +
                                            "!!\r\n"
                                            "A two&&" +
                                            server.url("/zip/a2.zip") + ";;!!\r\n" + "A three&&" +
                                            server.url("/zip/my livery 3.zip") + ";;" +
                                            server.url("/p/three.jpg") + "!!\r\n");
        server.serve("/hangarix/b/list.txt", "B one&&" + server.url("/zip/b1.zip") + ";;" +
                                                 server.url("/p/b1.jpg") + "!!\r\n");
        server.serve("/x/y/pic.jpg", "picture of A one");
        server.serve("/p/three.jpg", "picture of A three");
        server.serve("/p/b1.jpg", "picture of B one");
    }

    Catalogue makeCatalogue(std::string base = "")
    {
        return Catalogue(base.empty() ? server.url("/") : base, dir.path(),
                         [this](const std::string& path) {
                             loaded.push_back({path, readFile(path)});
                             if (failLoading)
                                 throw Error("Bitmap image is not valid");
                         });
    }

    std::string imagesFile(const std::string& name) const { return dir / ("images/" + name); }

    std::set<std::string> entriesOf(const std::string& folder) const
    {
        std::set<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            out.insert(e.path().filename().string());
        return out;
    }

    TempDir dir;
    CatalogueServer server;
    std::vector<LoadedPicture> loaded;
    bool failLoading = false;
};

TEST_F(CatalogueProcedures, OpenChooseLiveryChooseProduct)
{
    Catalogue catalogue = makeCatalogue();
    ASSERT_TRUE(catalogue.BitBtn11Click());

    EXPECT_EQ(catalogue.cb5().items, (Names{"Alpha", "Bravo"}));
    EXPECT_EQ(catalogue.cb5().itemIndex, 0);
    EXPECT_EQ(catalogue.cb6().items, (Names{"A one", "A two", "A three"}));
    EXPECT_EQ(catalogue.cb6().itemIndex, 0);
    EXPECT_EQ(catalogue.selectedArchiveUrl(), server.url("/zip/a1.zip"));
    EXPECT_EQ(server.takeRequests(),
              (Names{"/hangarix/prod.txt", "/hangarix/a.txt", "/x/y/pic.jpg"}));
    // The picture of /x/y/pic.jpg was saved as images/pic.jpg, shown, and is gone.
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].path, imagesFile("pic.jpg"));
    EXPECT_EQ(loaded[0].bytes, "picture of A one");
    EXPECT_TRUE(entriesOf(dir / "images").empty());

    // The third livery: two records skipped, its archive URL exactly as written.
    catalogue.cb6Change(2);
    EXPECT_EQ(catalogue.cb6().itemIndex, 2);
    EXPECT_EQ(catalogue.selectedArchiveUrl(), server.url("/zip/my livery 3.zip"));
    EXPECT_EQ(loaded.back().path, imagesFile("three.jpg"));
    EXPECT_EQ(loaded.back().bytes, "picture of A three");
    EXPECT_EQ(server.takeRequests(), (Names{"/p/three.jpg"}));

    // No thumbnail: the fallback picture, and nothing fetched.
    catalogue.cb6Change(1);
    EXPECT_EQ(loaded.back().path, dir / "thumbnail.jpg");
    EXPECT_EQ(catalogue.selectedArchiveUrl(), server.url("/zip/a2.zip"));
    EXPECT_TRUE(server.takeRequests().empty());
    EXPECT_TRUE(test::exists(dir / "thumbnail.jpg"));

    catalogue.cb5Change(1);
    EXPECT_EQ(catalogue.cb5().itemIndex, 1);
    EXPECT_EQ(server.takeRequests(), (Names{"/hangarix/b/list.txt", "/p/b1.jpg"}));
    EXPECT_EQ(catalogue.cb6().items, (Names{"B one"}));
    EXPECT_EQ(catalogue.cb6().itemIndex, 0);
    EXPECT_EQ(catalogue.selectedArchiveUrl(), server.url("/zip/b1.zip"));
    EXPECT_EQ(loaded.back().bytes, "picture of B one");
    EXPECT_TRUE(entriesOf(dir / "images").empty());
}

TEST_F(CatalogueProcedures, FailedProductListChangesNothing)
{
    server.serve("/hangarix/prod.txt", "gone", 404);
    Catalogue fresh = makeCatalogue();
    EXPECT_THROW(fresh.BitBtn11Click(), platform::HttpError);
    EXPECT_TRUE(fresh.productList().empty());
    EXPECT_TRUE(fresh.cb5().items.empty());
    EXPECT_EQ(fresh.cb5().itemIndex, -1);

    // After a good opening, a failing one leaves everything as it was.
    server.serve("/hangarix/prod.txt", "Alpha&&a.txt;;\r\nBravo&&b/list.txt;;\r\n");
    Catalogue catalogue = makeCatalogue();
    catalogue.BitBtn11Click();
    catalogue.cb6Change(2);
    const std::string productList = catalogue.productList();
    const std::string liveryList = catalogue.liveryList();
    server.serve("/hangarix/prod.txt", "Gamma&&g.txt;;\r\n", 404);
    EXPECT_THROW(catalogue.BitBtn11Click(), platform::HttpError);
    EXPECT_EQ(catalogue.productList(), productList);
    EXPECT_EQ(catalogue.liveryList(), liveryList);
    EXPECT_EQ(catalogue.cb5().items, (Names{"Alpha", "Bravo"}));
    EXPECT_EQ(catalogue.cb6().items, (Names{"A one", "A two", "A three"}));
    EXPECT_EQ(catalogue.cb6().itemIndex, 2);
    EXPECT_EQ(catalogue.selectedArchiveUrl(), server.url("/zip/my livery 3.zip"));
}

TEST_F(CatalogueProcedures, FailedLiveryListKeepsTheLiveries)
{
    Catalogue catalogue = makeCatalogue();
    catalogue.BitBtn11Click();
    const std::string liveryList = catalogue.liveryList();

    // Opening again with a product list whose first livery list is missing: cb5 is new, the
    // rest is the old.
    server.serve("/hangarix/prod.txt", "Gamma&&missing.txt;;\r\n");
    EXPECT_THROW(catalogue.BitBtn11Click(), platform::HttpError);
    EXPECT_EQ(catalogue.cb5().items, (Names{"Gamma"}));
    EXPECT_EQ(catalogue.productList(), "Gamma&&missing.txt;;\r\n");
    EXPECT_EQ(catalogue.liveryList(), liveryList);
    EXPECT_EQ(catalogue.cb6().items, (Names{"A one", "A two", "A three"}));
    EXPECT_EQ(catalogue.selectedArchiveUrl(), server.url("/zip/a1.zip"));

    // Choosing a product whose list fails: cb5 shows it, nothing else changes.
    server.serve("/hangarix/prod.txt", "Alpha&&a.txt;;\r\nBravo&&b/list.txt;;\r\n");
    catalogue.BitBtn11Click();
    server.serve("/hangarix/b/list.txt", "error page", 500);
    const std::size_t pictures = loaded.size();
    EXPECT_THROW(catalogue.cb5Change(1), platform::HttpError);
    EXPECT_EQ(catalogue.cb5().itemIndex, 1);
    EXPECT_EQ(catalogue.liveryList(), liveryList);
    EXPECT_EQ(catalogue.cb6().items, (Names{"A one", "A two", "A three"}));
    EXPECT_EQ(catalogue.selectedArchiveUrl(), server.url("/zip/a1.zip"));
    EXPECT_EQ(loaded.size(), pictures);
}

TEST_F(CatalogueProcedures, RejectedPictureEndsTheStepAndStaysOnDisk)
{
    Catalogue catalogue = makeCatalogue();
    catalogue.BitBtn11Click();
    catalogue.cb6Change(1);
    ASSERT_EQ(catalogue.selectedArchiveUrl(), server.url("/zip/a2.zip"));

    // The server answers the picture with an error page, which the loader rejects.
    server.serve("/p/three.jpg", "<html>not found</html>", 404);
    failLoading = true;
    EXPECT_THROW(catalogue.cb6Change(2), Error);
    EXPECT_EQ(catalogue.selectedArchiveUrl(), server.url("/zip/a2.zip"));
    EXPECT_EQ(readFile(imagesFile("three.jpg")), "<html>not found</html>");

    // On a product change the walk stops after the first livery.
    server.serve("/hangarix/b/list.txt", "B one&&" + server.url("/zip/b1.zip") + ";;" +
                                             server.url("/p/b1.jpg") + "!!\r\nB two&&u;;!!\r\n");
    EXPECT_THROW(catalogue.cb5Change(1), Error);
    EXPECT_EQ(catalogue.cb6().items, (Names{"B one"}));
    EXPECT_EQ(catalogue.selectedArchiveUrl(), server.url("/zip/a2.zip"));
    EXPECT_TRUE(test::exists(imagesFile("b1.jpg")));
}

TEST_F(CatalogueProcedures, HostilePictureNamesAreRefusedBeforeAnythingIsWritten)
{
    const std::vector<std::string> hostile = {server.url("/a\\..\\..\\evil.jpg"),
                                              server.url("/x/.."), server.url("/x/"),
                                              server.url("/C:evil.jpg"), server.url("/x/..?v=2")};
    std::string list;
    for (std::size_t i = 0; i < hostile.size(); ++i)
        list += "L" + std::to_string(i) + "&&" + server.url("/zip/l.zip") + ";;" + hostile[i] +
                "!!\r\n";
    list += "Good&&" + server.url("/zip/good.zip") + ";;" + server.url("/x/y/pic.jpg") + "!!\r\n";
    server.serve("/hangarix/prod.txt", "Evil&&evil.txt;;\r\nAlpha&&a.txt;;\r\n");
    server.serve("/hangarix/evil.txt", list);
    const std::set<std::string> before = entriesOf(dir.path());

    Catalogue catalogue = makeCatalogue();
    // The first livery's picture is refused: the panel does not open.
    EXPECT_THROW(catalogue.BitBtn11Click(), UnsafeNameError);
    EXPECT_EQ(catalogue.cb6().items, (Names{"L0"}));
    server.takeRequests();

    const int good = static_cast<int>(hostile.size());
    catalogue.cb6Change(good);
    const std::string selected = catalogue.selectedArchiveUrl();
    ASSERT_EQ(selected, server.url("/zip/good.zip"));
    for (int i = 0; i < good; ++i) {
        SCOPED_TRACE(hostile[static_cast<std::size_t>(i)]);
        EXPECT_THROW(catalogue.cb6Change(i), UnsafeNameError);
        EXPECT_EQ(catalogue.selectedArchiveUrl(), selected);
    }
    // Only the good picture was asked for; nothing was written anywhere.
    EXPECT_EQ(server.takeRequests(), (Names{"/x/y/pic.jpg"}));
    EXPECT_EQ(entriesOf(dir.path()), before);
    EXPECT_TRUE(entriesOf(dir / "images").empty());
    EXPECT_FALSE(test::exists(dir / "../evil.jpg"));
    EXPECT_FALSE(test::exists(dir / "evil.jpg"));
}

TEST_F(CatalogueProcedures, QueryStringIsFetchedButNotPartOfTheFileName)
{
    server.serve("/hangarix/a.txt",
                 "Q&&" + server.url("/zip/q.zip") + ";;" + server.url("/p/q.jpg?v=2") + "!!\r\n");
    server.serve("/p/q.jpg", "versioned picture");
    Catalogue catalogue = makeCatalogue();
    catalogue.BitBtn11Click();
    EXPECT_EQ(server.takeRequests().back(), "/p/q.jpg?v=2");
    ASSERT_FALSE(loaded.empty());
    EXPECT_EQ(loaded.back().path, imagesFile("q.jpg"));
    EXPECT_EQ(loaded.back().bytes, "versioned picture");
    EXPECT_TRUE(entriesOf(dir / "images").empty());
}

TEST_F(CatalogueProcedures, EmptyAnswersGiveEmptyBoxes)
{
    Catalogue catalogue = makeCatalogue();
    catalogue.BitBtn11Click();
    const std::size_t pictures = loaded.size();

    // An empty product list asks for the bare folder; an empty livery list empties cb6 and the
    // selected archive URL and shows no picture.
    server.serve("/hangarix/prod.txt", "");
    server.serve("/hangarix/", "");
    server.takeRequests();
    EXPECT_TRUE(catalogue.BitBtn11Click());
    EXPECT_EQ(server.takeRequests(), (Names{"/hangarix/prod.txt", "/hangarix/"}));
    EXPECT_TRUE(catalogue.cb5().items.empty());
    EXPECT_EQ(catalogue.cb5().itemIndex, -1);
    EXPECT_TRUE(catalogue.cb6().items.empty());
    EXPECT_EQ(catalogue.cb6().itemIndex, -1);
    EXPECT_EQ(catalogue.selectedArchiveUrl(), "");
    EXPECT_EQ(loaded.size(), pictures);
}

TEST_F(CatalogueProcedures, BaseUrlWithoutTrailingSlashAndMissingImagesFolder)
{
    Catalogue catalogue = makeCatalogue(server.url(""));
    EXPECT_EQ(catalogue.catalogueFileUrl("prod.txt"), server.url("/hangarix/prod.txt"));
    std::filesystem::remove(dir / "images");
    EXPECT_THROW(catalogue.BitBtn11Click(), IoError);
    EXPECT_EQ(catalogue.cb6().items, (Names{"A one"}));
    EXPECT_EQ(catalogue.selectedArchiveUrl(), "");
    EXPECT_TRUE(loaded.empty());
}

} // namespace
} // namespace hx
