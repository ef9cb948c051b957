#include "online/Catalogue.h"

#include "packages/SafeName.h"
#include "packages/WorkingFolders.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"

#include <algorithm>
#include <array>
#include <utility>

namespace hx {

namespace {

constexpr std::size_t npos = std::string_view::npos;

enum Separator { kAnd, kSemi, kBang, kSeparatorCount };
constexpr std::array<std::string_view, kSeparatorCount> kSeparatorText = {"&&", ";;", "!!"};
// Every record ends with its end mark and two characters (normally CR LF) that are discarded.
constexpr std::size_t kRecordBreak = 2;

// A cursor over a catalogue text that stands for the "working copy" the records are cut from:
// the copy is always text[pos..]. The next occurrence of each separator is remembered, so a
// separator far ahead is not searched for again at every record.
class Walker {
public:
    explicit Walker(std::string_view text) : text_(text) {}

    std::size_t pos() const { return pos_; }
    bool empty() const { return pos_ >= text_.size(); }

    // First occurrence of `sep` in the copy, as a position in the whole text.
    std::size_t find(Separator sep)
    {
        Cache& c = cache_[sep];
        if (!c.known || (c.at != npos && c.at < pos_)) {
            c.at = text_.find(kSeparatorText[sep], pos_);
            c.known = true;
        }
        return c.at;
    }

    // The copy up to its first `sep` (the whole copy when there is none).
    std::string_view before(Separator sep)
    {
        const std::size_t at = find(sep);
        return text_.substr(pos_, at == npos ? npos : at - pos_);
    }

    // The text between the first `open` and the first `close` of the copy; empty when either is
    // missing or `close` comes first.
    std::string_view between(Separator open, Separator close)
    {
        const std::size_t a = find(open);
        const std::size_t b = find(close);
        if (a == npos || b == npos || b < a + 2)
            return {};
        return text_.substr(a + 2, b - a - 2);
    }

    // Cuts the copy up to and including the first `end` and the two characters after it. Without
    // an `end` the whole rest goes: the record was the last one.
    void cutRecord(Separator end)
    {
        const std::size_t at = find(end);
        pos_ = at == npos ? text_.size() : std::min(text_.size(), at + 2 + kRecordBreak);
    }

private:
    struct Cache {
        bool known = false;
        std::size_t at = npos;
    };
    std::string_view text_;
    std::size_t pos_ = 0;
    std::array<Cache, kSeparatorCount> cache_{};
};

// Walker after `index` records ending in `end` were cut off (an index below 1 cuts nothing).
Walker skipRecords(std::string_view text, int index, Separator end)
{
    Walker w(text);
    for (int i = 0; i < index && !w.empty(); ++i)
        w.cutRecord(end);
    return w;
}

} // namespace

std::vector<ProductRecord> parseProductList(std::string_view text)
{
    std::vector<ProductRecord> records;
    Walker w(text);
    while (w.find(kAnd) != npos) {
        records.push_back({std::string(w.before(kAnd)), std::string(w.between(kAnd, kSemi))});
        w.cutRecord(kSemi);
    }
    return records;
}

std::vector<LiveryRecord> parseLiveryList(std::string_view text)
{
    std::vector<LiveryRecord> records;
    Walker w(text);
    while (w.find(kAnd) != npos) {
        records.push_back({std::string(w.before(kAnd)), std::string(w.between(kAnd, kSemi)),
                           std::string(w.between(kSemi, kBang))});
        w.cutRecord(kBang);
    }
    return records;
}

std::string productListFileAt(std::string_view productList, int index)
{
    Walker w = skipRecords(productList, index, kSemi);
    return std::string(w.between(kAnd, kSemi));
}

LiveryRecord liveryAt(std::string_view liveryList, int index)
{
    Walker w = skipRecords(liveryList, index, kBang);
    return {std::string(), std::string(w.between(kAnd, kSemi)),
            std::string(w.between(kSemi, kBang))};
}

std::string lastPathSegment(std::string_view url)
{
    const std::size_t slash = url.rfind('/');
    return std::string(slash == npos ? url : url.substr(slash + 1));
}

std::string urlFileName(std::string_view url)
{
    return lastPathSegment(url.substr(0, url.find_first_of("?#")));
}

std::string thumbnailFileName(std::string_view thumbnailUrl)
{
    const std::string name = urlFileName(thumbnailUrl);
    if (!isPlainFileName(name))
        throw UnsafeNameError("Refused the picture name \"" + name + "\" of \"" +
                              std::string(thumbnailUrl) + "\": it is not a plain file name");
    return name;
}

Catalogue::Catalogue(std::string baseUrl, std::string startupFolder, PictureLoader loadPicture)
    : baseUrl_(std::move(baseUrl)), startupFolder_(std::move(startupFolder)),
      loadPicture_(std::move(loadPicture))
{
    // Every catalogue file lies below the base URL's folder; "http://host:8080" means its root.
    if (baseUrl_.empty() || baseUrl_.back() != '/')
        baseUrl_ += '/';
}

std::string Catalogue::catalogueFileUrl(std::string_view relative) const
{
    return baseUrl_ + "hangarix/" + std::string(relative);
}

std::string Catalogue::thumbnailPath(std::string_view thumbnailUrl) const
{
    return platform::joinPath(workingFolder(startupFolder_, kImagesFolder),
                              thumbnailFileName(thumbnailUrl));
}

std::string Catalogue::fallbackPicturePath() const
{
    return platform::joinPath(startupFolder_, kFallbackPicture);
}

bool Catalogue::open()
{
    productList_ = platform::httpGetText(catalogueFileUrl("prod.txt"));
    const std::vector<ProductRecord> products = parseProductList(productList_);
    // From here the boxes change: until a livery of the new lists is shown, none is selected.
    selectedArchiveUrl_.clear();
    products_.clear();
    for (const ProductRecord& p : products) {
        products_.items.push_back(p.name);
        products_.selected = 0;
    }
    // With no product this asks for the bare "hangarix/" folder, as the catalogue always did.
    const std::string firstListFile = products.empty() ? std::string() : products.front().listFile;
    liveryList_ = platform::httpGetText(catalogueFileUrl(firstListFile));
    fillLiveryBox();
    return true;
}

void Catalogue::chooseProduct(int index)
{
    products_.selected = index;
    selectedArchiveUrl_.clear();
    liveryList_ = platform::httpGetText(catalogueFileUrl(productListFileAt(productList_, index)));
    fillLiveryBox();
}

void Catalogue::chooseLivery(int index)
{
    liveries_.selected = index < 0 ? -1 : index;
    selectedArchiveUrl_.clear();
    if (index < 0)
        return; // liveryAt would take the first record
    const LiveryRecord livery = liveryAt(liveryList_, index);
    showThumbnail(livery.thumbnailUrl);
    selectedArchiveUrl_ = livery.archiveUrl;
}

void Catalogue::fillLiveryBox()
{
    const std::vector<LiveryRecord> liveries = parseLiveryList(liveryList_);
    selectedArchiveUrl_.clear();
    liveries_.clear();
    for (std::size_t i = 0; i < liveries.size(); ++i) {
        liveries_.items.push_back(liveries[i].name);
        liveries_.selected = 0;
        if (i == 0)
            showThumbnail(liveries[i].thumbnailUrl);
    }
    // The first livery's archive; empty when the list holds no record.
    selectedArchiveUrl_ = liveries.empty() ? std::string() : liveries.front().archiveUrl;
}

void Catalogue::showThumbnail(const std::string& thumbnailUrl)
{
    auto load = [this](const std::string& path) {
        if (loadPicture_)
            loadPicture_(path);
    };
    // No picture of its own: the fallback, and nothing is fetched.
    if (thumbnailUrl.empty()) {
        load(fallbackPicturePath());
        return;
    }
    const std::string path = thumbnailPath(thumbnailUrl);
    platform::httpGetToFile(thumbnailUrl, path);
    load(platform::fileExists(path) ? path : fallbackPicturePath());
    // A file the loader rejected stays (the error left above); a shown one goes at once.
    (void)platform::deleteFile(path); // one left behind is replaced by the next fetch
}

} // namespace hx
