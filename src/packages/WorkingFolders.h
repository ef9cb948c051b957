#pragma once
// The tool's working folders in the start-up folder.

#include <string>

namespace hx {

inline constexpr const char* kDownloadsFolder = "downloads"; // local packages
inline constexpr const char* kTempZipFolder = "tempzip";     // downloaded archives
inline constexpr const char* kTempLivFolder = "templiv";     // the unpacked archive
inline constexpr const char* kImagesFolder = "images";       // catalogue pictures
inline constexpr const char* kFallbackPicture = "thumbnail.jpg";

// Creates images, downloads, tempzip and templiv in `startupFolder`, each only when missing.
// Failures are ignored, as every folder creation of the tool is.
void createWorkingFolders(const std::string& startupFolder);

// startupFolder + separator + name.
std::string workingFolder(const std::string& startupFolder, const char* name);

} // namespace hx
