#pragma once
// The local package panel without its widgets: the package list (the packages in downloads),
// the information memo, the package picture and the current package that the
// single install works on. The front end loads pictures through a callback, so this model
// stays free of any picture decoder.

#include <functional>
#include <string>
#include <vector>

namespace hx {

inline constexpr const char* kInformationLine = "Information:";

// The package selected in the list with the values worked out for it. All four belong to the same
// package: they are replaced together, only once every one of them is known.
struct CurrentPackage {
    std::string name;              // the item text in the list (empty before the first showing)
    std::string textureFolderName; // empty when the package holds no texture folder
    std::string informationText;
    std::string productFolderName;
};

class LocalPackageList {
public:
    // Loads the picture file into the package picture; throws (PictureError, IoError, ...) when it
    // cannot.
    using PictureLoader = std::function<void(const std::string& path)>;

    // `startupFolder` is the folder holding downloads and the fallback thumbnail.jpg.
    LocalPackageList(std::string startupFolder, PictureLoader loadPicture);

    // Adds every entry of downloads whose name has no dot ("*."), folders and files alike, in
    // the order the file system lists them. The list is not cleared first.
    void fill();

    // The window's start-up step: fill, then select item 0 and show it when there is one. A
    // failure of the showing propagates with item 0 still selected.
    void startupFill();

    // The user picked item `index`: it becomes the selection, then its package is
    // shown. A failure propagates; the selection stays on the chosen item while the current
    // package and the memo keep describing the package shown before. An index that names no
    // item leaves nothing selected.
    void choose(int index);

    // Shows package `name`: texture folder scan, picture (the package's thumbnail.jpg, else the
    // fallback) handed to the loader, information text, memo lines, product folder name. The
    // loader runs before the information file is read. The current package and the memo change
    // only when both succeed; the picture path follows what the loader accepted.
    void showPackage(const std::string& name);

    const std::vector<std::string>& items() const { return items_; }
    int selectedIndex() const { return selected_; }
    // The selected item's text, or empty when nothing is selected.
    std::string selectedName() const;

    const CurrentPackage& current() const { return current_; }
    // The memo: "Information:", then the title and the variation once a package has been shown.
    const std::vector<std::string>& memoLines() const { return memo_; }
    // The memo as the control holds it: its lines joined with CR LF.
    std::string memoText() const;
    // The picture last loaded into the package picture (empty while none was).
    const std::string& picturePath() const { return picturePath_; }

    // downloads + separator + name.
    std::string packageFolder(const std::string& name) const;
    // The picture that showing the package loads: its texture folder's thumbnail.jpg when that
    // file exists, otherwise the fallback thumbnail.jpg in the start-up folder.
    std::string picturePathFor(const std::string& name, const std::string& textureFolder) const;

private:
    std::string startupFolder_;
    std::string downloads_;
    PictureLoader loadPicture_;
    std::vector<std::string> items_;
    int selected_ = -1;
    CurrentPackage current_;
    std::vector<std::string> memo_{kInformationLine};
    std::string picturePath_;
};

} // namespace hx
