#pragma once
// The start-up folder, made ready for every panel: the working folders and the fallback picture.

#include <string>

namespace hx::app {

// Creates the working folders in `folder` and writes the fallback picture there; failures are
// ignored, as every failed folder creation of the start-up is.
void prepareStartupFolder(const std::string& folder);

// Writes the fallback picture "thumbnail.jpg" into `folder` when it is missing there.
void writeFallbackPicture(const std::string& folder);

} // namespace hx::app
