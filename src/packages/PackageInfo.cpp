#include "packages/PackageInfo.h"

#include "platform/FileSystem.h"
#include "platform/TextFile.h"

#include <algorithm>

namespace hx {

std::string informationFilePath(const std::string& packageFolder)
{
    return platform::joinPath(packageFolder, kInformationFileName);
}

std::string readInformationText(const std::string& path)
{
    return platform::readText(path);
}

std::string keyValue(std::string_view text, std::string_view key)
{
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos)
        return {};
    const std::size_t start = at + key.size();
    const std::size_t end = text.find('\r', start);
    return std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
}

std::string productFolderName(std::string_view informationText)
{
    std::string name(kProductFolderPrefix);
    name += keyValue(informationText, kProductFolderKey);
    std::replace(name.begin(), name.end(), '-', '_');
    return platform::pathFromText(name); // a folder name taken from single-byte text
}

PackageDescription describePackage(const std::string& packageFolder)
{
    PackageDescription d;
    d.informationText = readInformationText(informationFilePath(packageFolder));
    d.title = keyValue(d.informationText, kTitleKey);
    d.variation = keyValue(d.informationText, kVariationKey);
    d.productFolderName = productFolderName(d.informationText);
    return d;
}

std::string textureFolderName(const std::string& packageFolder)
{
    std::string name;
    for (const platform::DirEntry& entry : platform::listFolder(packageFolder, "*")) {
        if (entry.name != kInformationFileName)
            name = entry.name;
    }
    return name;
}

} // namespace hx
