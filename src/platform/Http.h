#pragma once
// HTTP over libcurl for the three uses of the tool: catalogue texts, thumbnails, and the
// resumable download (its transport is declared further down by the download component).
// Failures carry the WinINet error code that means the same thing.

#include "platform/Errors.h"

#include <string>

namespace hx::platform {

class HttpError : public Error {
public:
    // `wininetCode`: 12001..12171 for transport failures, 0 when the server answered with a
    // status the caller cannot use (then `status` holds it).
    HttpError(const std::string& message, int wininetCode, int status = 0)
        : Error(message), wininetCode_(wininetCode), status_(status)
    {
    }
    int wininetCode() const { return wininetCode_; }
    int status() const { return status_; }

private:
    int wininetCode_;
    int status_;
};

// GET of a catalogue text: the whole body. Throws HttpError on a transport failure or a status
// of 300 or above, with a message that names the status or the failure.
std::string httpGetText(const std::string& url);

// GET into a file (created or emptied), streamed through a fixed 10240-byte buffer. Transport
// failures and error statuses are not reported: whatever arrived (possibly nothing) is written.
// Throws IoError when the file cannot be created or written.
void httpGetToFile(const std::string& url, const std::string& path);

}  // namespace hx::platform
