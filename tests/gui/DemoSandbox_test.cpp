// Two demo windows on one folder: each serves a catalogue that names its own server, and closing
// one leaves the other's catalogue and downloads working.

#include "app/demo/DemoSandbox.h"
#include "online/Catalogue.h"
#include "platform/Http.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include "support/QtTestMain.h"

namespace {

// The archive URLs of the catalogue that `base` serves.
std::vector<std::string> archiveUrls(const std::string& base)
{
    std::vector<std::string> urls;
    for (const hx::ProductRecord& product :
         hx::parseProductList(hx::platform::httpGetText(base + "hangarix/prod.txt")))
        for (const hx::LiveryRecord& livery :
             hx::parseLiveryList(hx::platform::httpGetText(base + "hangarix/" + product.listFile)))
            urls.push_back(livery.archiveUrl);
    return urls;
}

TEST(DemoSandbox, ASecondWindowOnTheFolderNeverBreaksTheFirstOnesCatalogue)
{
    hx::test::TempDir folder;
    const hx::app::DemoSandbox first = hx::app::startDemo(folder / "demo");
    std::string secondUrl;
    {
        const hx::app::DemoSandbox second = hx::app::startDemo(folder / "demo");
        secondUrl = second.catalogueUrl;
        ASSERT_NE(secondUrl, first.catalogueUrl);
        for (const auto& [base, other] :
             {std::pair{first.catalogueUrl, secondUrl}, std::pair{secondUrl, first.catalogueUrl}}) {
            const std::vector<std::string> urls = archiveUrls(base);
            ASSERT_EQ(urls.size(), 5u);
            for (const std::string& url : urls)
                EXPECT_EQ(url.rfind(base, 0), 0u) << url << " served by " << base;
        }
    } // the second window closes
    const std::vector<std::string> urls = archiveUrls(first.catalogueUrl);
    ASSERT_EQ(urls.size(), 5u);
    for (const std::string& url : urls) {
        EXPECT_EQ(url.rfind(first.catalogueUrl, 0), 0u) << url;
        EXPECT_EQ(hx::platform::httpGetText(url).substr(0, 2), "PK") << url;
    }
    EXPECT_THROW(hx::platform::httpGetText(secondUrl + "hangarix/prod.txt"), std::exception);
}

} // namespace
