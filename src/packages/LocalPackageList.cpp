#include "packages/LocalPackageList.h"

#include "packages/PackageInfo.h"
#include "packages/WorkingFolders.h"
#include "platform/FileSystem.h"

#include <utility>

namespace hx {

LocalPackageList::LocalPackageList(std::string startupFolder, PictureLoader loadPicture)
    : startupFolder_(std::move(startupFolder)),
      downloads_(workingFolder(startupFolder_, kDownloadsFolder)),
      loadPicture_(std::move(loadPicture))
{
}

void LocalPackageList::fill()
{
    for (const platform::DirEntry& entry : platform::listFolder(downloads_, "*."))
        items_.push_back(entry.name);
}

void LocalPackageList::startupFill()
{
    fill();
    if (items_.empty())
        return;
    selected_ = 0;
    showPackage(items_[0]);
}

void LocalPackageList::choose(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) {
        selected_ = -1;
        return;
    }
    selected_ = index;
    showPackage(items_[static_cast<std::size_t>(index)]);
}

std::string LocalPackageList::selectedName() const
{
    return selected_ < 0 ? std::string() : items_[static_cast<std::size_t>(selected_)];
}

std::string LocalPackageList::packageFolder(const std::string& name) const
{
    return platform::joinPath(downloads_, name);
}

std::string LocalPackageList::picturePathFor(const std::string& name,
                                             const std::string& textureFolder) const
{
    // Without a texture folder the joined path would name the package folder itself.
    if (!textureFolder.empty()) {
        const std::string own = platform::joinPath(
            platform::joinPath(packageFolder(name), textureFolder), kPackagePictureName);
        if (platform::fileExists(own))
            return own;
    }
    return platform::joinPath(startupFolder_, kFallbackPicture);
}

void LocalPackageList::showPackage(const std::string& name)
{
    CurrentPackage next;
    next.name = name;
    next.textureFolderName = textureFolderName(packageFolder(name));

    const std::string picture = picturePathFor(name, next.textureFolderName);
    loadPicture_(picture);
    picturePath_ = picture;

    PackageDescription description = describePackage(packageFolder(name));
    next.informationText = std::move(description.informationText);
    next.productFolderName = std::move(description.productFolderName);
    memo_ = {kInformationLine, std::move(description.title), std::move(description.variation)};
    current_ = std::move(next);
}

std::string LocalPackageList::memoText() const
{
    std::string text;
    for (std::size_t i = 0; i < memo_.size(); ++i) {
        if (i)
            text += "\r\n";
        text += memo_[i];
    }
    return text;
}

} // namespace hx
