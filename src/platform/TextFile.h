#pragma once
// Text files as the tool reads and writes them: single-byte text, lines joined with CR LF.

#include <string>
#include <string_view>

namespace hx::platform {

// What a CR that is not followed by LF means.
enum class LoneCr {
    Dropped,  // it is dropped from its line
    EndsLine, // it ends the line (old Mac files), except right before CR LF, where it is dropped
};

// Applies the line rules to raw file bytes: a line ends at LF or CR LF, and at a lone CR as
// `loneCr` says; Ctrl-Z (26) at the start of a line ends the text, inside a line it ends the
// line (the rest up to the line break is skipped). Every line is followed by CR LF in the result.
std::string joinLines(std::string_view bytes, LoneCr loneCr = LoneCr::Dropped);

// Reads a text file by the rules above. Throws IoError, carrying `path`, when it cannot be opened
// or read.
std::string readText(const std::string& path, LoneCr loneCr = LoneCr::Dropped);
// The file's bytes as they lie on disk; throws IoError (without the path) on failure.
std::string readFileBytes(const std::string& path);

// Replaces the file's content with `text` atomically: a temporary file beside it is written,
// flushed to disk and renamed over the old one, then the folder is flushed. A failure at any
// point leaves the old file as it was (and no temporary file behind). A read-only file is not
// replaced ("File access denied"), as Windows refuses to; a folder where no temporary file may
// be created is reported by folderNotWritable. Throws IoError.
void writeTextAtomic(const std::string& path, std::string_view text);

// Deletes the temporary files that a writeTextAtomic of `path` left beside it when its process
// was killed half way. Only when no other process may be replacing that file.
void removeLeftoverTemporaries(const std::string& path);

// The access error of a replacement whose temporary file cannot be created in `folder`: even a
// writable file needs a writable folder to be replaced safely.
std::string folderNotWritable(const std::string& folder);

} // namespace hx::platform
