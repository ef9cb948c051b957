#include "packages/WorkingFolders.h"

#include "platform/FileSystem.h"

namespace hx {

std::string workingFolder(const std::string& startupFolder, const char* name)
{
    return platform::joinPath(startupFolder, name);
}

void createWorkingFolders(const std::string& startupFolder)
{
    for (const char* name : {kImagesFolder, kDownloadsFolder, kTempZipFolder, kTempLivFolder}) {
        const std::string path = workingFolder(startupFolder, name);
        if (!platform::folderExists(path))
            (void)platform::createFolder(path); // a missing one fails where it is used
    }
}

} // namespace hx
