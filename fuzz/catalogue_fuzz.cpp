// The online catalogue's texts: the input is read both as a product list and as a livery list,
// and the picture names of its URLs are checked as the catalogue panel would save them.
//
// Invariants: no exception but UnsafeNameError; the records match a plain rereading of the
// format that cuts copies off the text record by record; choosing item i takes what record i
// holds; a picture name that is accepted is one plain file name inside the images folder.

#include "FuzzSupport.h"

#include "online/Catalogue.h"
#include "packages/SafeName.h"

#include <vector>

namespace {

using hx::fuzz::require;

constexpr std::string_view kStartupFolder = "/srv/hangarix";

// The text between the first `open` and the first `close`; empty when one is missing or
// `close` comes first.
std::string between(std::string_view copy, std::string_view open, std::string_view close)
{
    const std::size_t a = copy.find(open);
    const std::size_t b = copy.find(close);
    if (a == std::string_view::npos || b == std::string_view::npos || b < a + 2)
        return {};
    return std::string(copy.substr(a + 2, b - a - 2));
}

// The format read the slow way: each record is cut off a copy of what is left.
std::vector<hx::LiveryRecord> reread(std::string_view text, bool liveries)
{
    std::vector<hx::LiveryRecord> records;
    std::string copy(text);
    const std::string_view end = liveries ? "!!" : ";;";
    while (copy.find("&&") != std::string::npos) {
        hx::LiveryRecord r;
        r.name = copy.substr(0, copy.find("&&"));
        r.archiveUrl = between(copy, "&&", ";;");
        if (liveries)
            r.thumbnailUrl = between(copy, ";;", "!!");
        records.push_back(r);
        const std::size_t cut = copy.find(end);
        copy = cut == std::string::npos || cut + 4 >= copy.size() ? "" : copy.substr(cut + 4);
    }
    return records;
}

void checkPicture(const hx::Catalogue& catalogue, std::string_view url)
{
    std::string path;
    try {
        path = catalogue.thumbnailPath(url);
    } catch (const hx::UnsafeNameError&) {
        return;
    }
    const std::string name = hx::thumbnailFileName(url);
    require(hx::isPlainFileName(name), "an unsafe picture name was accepted");
    const std::string images = std::string(kStartupFolder) + "/images";
    require(hx::fuzz::staysInside(path, images) && path.ends_with("/" + name),
            "picture path leaves the images folder");
}

void checkProducts(std::string_view text)
{
    const std::vector<hx::ProductRecord> products = hx::parseProductList(text);
    const std::vector<hx::LiveryRecord> expected = reread(text, false);
    require(products.size() == expected.size(), "product count differs from the rereading");
    for (std::size_t i = 0; i < products.size(); ++i) {
        require(products[i].name == expected[i].name, "product name differs");
        require(products[i].listFile == expected[i].archiveUrl, "product list file differs");
        require(hx::productListFileAt(text, static_cast<int>(i)) == products[i].listFile,
                "choosing a product takes another list file");
    }
}

void checkLiveries(std::string_view text)
{
    const hx::Catalogue catalogue("http://127.0.0.1/", std::string(kStartupFolder),
                                  [](const std::string&) {});
    const std::vector<hx::LiveryRecord> liveries = hx::parseLiveryList(text);
    const std::vector<hx::LiveryRecord> expected = reread(text, true);
    require(liveries.size() == expected.size(), "livery count differs from the rereading");
    for (std::size_t i = 0; i < liveries.size(); ++i) {
        const hx::LiveryRecord& r = liveries[i];
        require(r.name == expected[i].name && r.archiveUrl == expected[i].archiveUrl &&
                    r.thumbnailUrl == expected[i].thumbnailUrl,
                "livery record differs from the rereading");
        const hx::LiveryRecord chosen = hx::liveryAt(text, static_cast<int>(i));
        require(chosen.archiveUrl == r.archiveUrl && chosen.thumbnailUrl == r.thumbnailUrl,
                "choosing a livery takes other URLs");
        checkPicture(catalogue, r.thumbnailUrl);
        require(hx::urlFileName(r.archiveUrl).find('/') == std::string::npos,
                "archive file name holds a slash");
    }
    checkPicture(catalogue, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = hx::fuzz::asText(data, size);
    checkProducts(text);
    checkLiveries(text);
    return 0;
}
