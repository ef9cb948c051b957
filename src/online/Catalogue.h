#pragma once
// The online catalogue: the product list "hangarix/prod.txt" and one livery list per product on
// the maker's web server, the two lists of the catalogue panel (products and liveries) and the
// archive URL of the livery now chosen, which the download-and-install flow reads.
//
// Wire format. Product records: name "&&" list file ";;" and two discarded characters (CR LF).
// Livery records: name "&&" archive URL ";;" thumbnail URL "!!" and two discarded characters.
// The texts are walked record by record: a record's name is everything before the next "&&",
// and each record is cut off at its end mark plus the two characters after it, so a record
// followed by a lone LF costs the next name its first character. A record with "&&" but no end
// mark after it is the last one (the rest of the text is cut with it).
//
// The walks keep positions into the text instead of cutting copies, so parsing is linear in the
// size of the catalogue.

#include "packages/ChoiceList.h"
#include "platform/Errors.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hx {

// A name taken from a URL that would not stay one plain file in its working folder.
class UnsafeNameError : public Error {
public:
    using Error::Error;
};

struct ProductRecord {
    std::string name;     // as shown in the product list
    std::string listFile; // relative to "hangarix/"; may hold further path segments
};

struct LiveryRecord {
    std::string name;         // as shown in the livery list
    std::string archiveUrl;   // used unchanged by the download
    std::string thumbnailUrl; // empty: no picture of its own
};

// The records of a product list: the names that fill the product list, each with the list file that
// choosing it would fetch.
std::vector<ProductRecord> parseProductList(std::string_view text);

// The records of a livery list: the names that fill the livery list, each with the archive and
// thumbnail URL that choosing it would take.
std::vector<LiveryRecord> parseLiveryList(std::string_view text);

// What choosing product `index` fetches: the list file of the text that remains after
// `index` records are cut off. An index below 1 cuts nothing.
std::string productListFileAt(std::string_view productList, int index);

// What choosing livery `index` takes: the archive and thumbnail URL of the text that remains
// after `index` records are cut off (the name is left empty). An index below 1 cuts nothing.
LiveryRecord liveryAt(std::string_view liveryList, int index);

// The text after the last "/" of a URL: the whole text when it holds none, empty when it ends
// in "/". Nothing else is looked at.
std::string lastPathSegment(std::string_view url);

// The name under which the file of a URL is saved: the last path segment of the URL without
// its query string and fragment ("pic.jpg?v=2" gives "pic.jpg", because the query is not part
// of the file's name and "?" cannot stand in a Windows file name). Not checked.
std::string urlFileName(std::string_view url);

// The file name under which the picture of `thumbnailUrl` is saved: urlFileName. Throws
// UnsafeNameError when that is not one plain file name: empty, "." or "..", a backslash, a
// drive, a character Windows forbids in names, or a name ending in a dot or a blank.
std::string thumbnailFileName(std::string_view thumbnailUrl);

// The catalogue panel without its widgets. The front end shows the panel when open() returns,
// fills its lists from products() and liveries(), and passes the user's choices to chooseProduct
// and chooseLivery. Pictures reach the front end through the loader callback.
//
// No procedure catches errors: a failed fetch (platform::HttpError), a file that cannot be
// written (IoError), a refused thumbnail name (UnsafeNameError) or an error of the picture loader
// ends the procedure where it arises, and what was changed before stays changed. The selected
// archive URL is cleared as soon as a list starts to change, so after a failure the download is
// refused instead of fetching a livery other than the one the lists show:
// - open catalogue: a failed "prod.txt" fetch changes nothing; a failed livery list fetch leaves
//   products() and the product list new, liveries() and the livery list as they were and no
//   archive selected; a failure at the first livery's picture leaves liveries() holding the
//   first livery only and no archive selected;
// - product chosen: products() selects the new product at once and no archive is selected; on
//   a failed fetch the livery list and liveries() keep their values; a picture failure is as
//   above;
// - livery chosen: liveries() selects the new livery at once; on a failure no archive is
//   selected.
class Catalogue {
public:
    // Loads the picture file at `path` into the panel's picture; throws when it cannot.
    using PictureLoader = std::function<void(const std::string& path)>;

    // `baseUrl`: the catalogue server's root folder (a "/" is added when missing);
    // `startupFolder`: the folder holding "images" and the fallback "thumbnail.jpg".
    Catalogue(std::string baseUrl, std::string startupFolder, PictureLoader loadPicture);

    // Open catalogue: fetches "prod.txt" and the first product's livery list, fills both lists
    // and shows the first livery's picture. Returns true: the panel is to be shown (a failure
    // throws instead, and the panel stays as it was).
    bool open();
    // Product chosen by the user: fetches that product's livery list and fills liveries() from it.
    void chooseProduct(int index);
    // Livery chosen by the user: shows its picture and makes its archive URL the selected one.
    // An index below 0 (the list shows no livery) selects none: no archive, the picture stays.
    void chooseLivery(int index);

    const ChoiceList& products() const { return products_; }
    const ChoiceList& liveries() const { return liveries_; }
    const std::string& productList() const { return productList_; }
    const std::string& liveryList() const { return liveryList_; }
    const std::string& selectedArchiveUrl() const { return selectedArchiveUrl_; }
    const std::string& baseUrl() const { return baseUrl_; }
    const std::string& startupFolder() const { return startupFolder_; }

    // baseUrl + "hangarix/" + relative
    std::string catalogueFileUrl(std::string_view relative) const;
    // startup folder / images / thumbnailFileName(url); throws UnsafeNameError.
    std::string thumbnailPath(std::string_view thumbnailUrl) const;
    // startup folder / thumbnail.jpg
    std::string fallbackPicturePath() const;

private:
    void fillLiveryBox();
    // Fetches the picture (unless the URL is empty), hands the saved file or the fallback to the
    // loader and deletes the saved file once it was shown.
    void showThumbnail(const std::string& thumbnailUrl);

    std::string baseUrl_;
    std::string startupFolder_;
    PictureLoader loadPicture_;
    ChoiceList products_;
    ChoiceList liveries_;
    std::string productList_;
    std::string liveryList_;
    std::string selectedArchiveUrl_;
};

} // namespace hx
