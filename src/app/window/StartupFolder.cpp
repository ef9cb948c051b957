#include "app/window/StartupFolder.h"

#include "app/skin/Artwork.h"
#include "packages/WorkingFolders.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

#include <string_view>

namespace hx::app {

void prepareStartupFolder(const std::string& folder)
{
    createWorkingFolders(folder);
    writeFallbackPicture(folder);
}

void writeFallbackPicture(const std::string& folder)
{
    const std::string path = platform::joinPath(folder, kFallbackPicture);
    if (platform::pathExists(path))
        return;
    const QByteArray jpeg = artwork::fallbackThumbnailJpeg();
    try {
        platform::writeTextAtomic(path, std::string_view(jpeg.constData(), size_t(jpeg.size())));
    } catch (const Error&) {
        // Like a failed folder creation: the panels then find no fallback picture.
    }
}

} // namespace hx::app
