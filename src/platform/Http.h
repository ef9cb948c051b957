#pragma once
// HTTP for the three uses of the tool: catalogue texts, thumbnails, and the
// resumable download (its transport, further down, is driven by the download component).
// WinINet on Windows, libcurl elsewhere; failures carry WinINet error codes either way (on
// libcurl, the code that means the same thing).

#include "platform/Errors.h"

#include <cstdint>
#include <functional>
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

// GET into a file (created or emptied), streamed through a fixed 10240-byte buffer, never from a
// cache, with the program's file name as the agent. Transport failures and error statuses are
// not reported: whatever arrived (possibly nothing) is written. Throws IoError when the file
// cannot be created or written.
void httpGetToFile(const std::string& url, const std::string& path);

// ---- Transport of the resumable download -------------------------------------------------

#ifndef _WIN32
// The WinINet code that means the same as a libcurl result (CURLcode), 0 for success. Unknown
// failures map to 12004 (internal error). Windows uses WinINet itself.
int wininetCodeForCurl(int curlCode);
#endif

// The URL with every character that cannot stand in a URL percent-encoded, as browsers and
// WinINet send it: controls, space, '"', '<', '>', '\\', '^', '`', '{', '|', '}' and bytes above
// 127. Existing "%XX" escapes and the URL's structure are left alone. Every request of this
// seam sends its URL so.
std::string escapeUrl(const std::string& url);

// Splits a URL as a request would: 0 when it is a well-formed http or https URL, 12006 for
// another scheme, 12005 for anything that cannot be split.
int httpUrlErrorCode(const std::string& url);

// Connection and stall limits of every request, so that nothing waits for ever: the connection
// must be made within `connectSeconds`, and a transfer that receives nothing for
// `stallSeconds` fails with 12002. Tests shorten them.
struct HttpTimeouts {
    long connectSeconds = 30;
    long stallSeconds = 60;
};
void setHttpTimeouts(const HttpTimeouts& timeouts);
HttpTimeouts httpTimeouts();

// What the size query learnt about a remote file.
struct HttpFileInfo {
    int status = 0;
    std::int64_t contentLength = 0; // -1: the server tells no size
    std::string etag;               // empty when the server sent none
    std::string lastModified;       // empty when the server sent none
};

// Size query: HEAD with "Accept-Encoding: identity", following redirects. When the server
// refuses HEAD (a status of 400 or above) or answers it without a Content-Length, a GET of the
// first byte ("Range: bytes=0-0") asks again: the total of its Content-Range, or the
// Content-Length of a whole answer; -1 when that answer tells no size either. Throws HttpError:
// with the WinINet code of a transport failure, and with code 0 and the status when the GET
// too is answered with 400 or above.
// `pump` (may be empty) is called every few dozen milliseconds while the request waits.
HttpFileInfo httpQueryFileInfo(const std::string& url, const std::function<void()>& pump = {});

// A GET of a file from a byte offset.
struct HttpRangeRequest {
    std::string url;
    std::int64_t offset = 0;             // above 0: "Range: bytes=<offset>-"
    bool firstByteOnly = false;          // "Range: bytes=0-0" instead (the size probe)
    std::string ifRange;                 // ETag or Last-Modified for "If-Range"; empty: none sent
    std::size_t bufferSize = 512 * 1024; // largest chunk handed to onChunk
};

// The answer's head, handed over before the first byte of the body.
struct HttpResponseHead {
    int status = 0;
    std::string contentRange;        // the Content-Range header, empty when absent
    std::int64_t contentLength = -1; // -1 when absent
    bool chunked = false;            // the body's end is marked in the stream itself
    bool encoded = false;            // a Content-Encoding other than identity (decoded here)
    std::string etag;                // the answer's validators, empty when absent
    std::string lastModified;
};

struct HttpRangeCallbacks {
    // Called once, before any chunk; returning false ends the transfer without taking the body.
    std::function<bool(const HttpResponseHead&)> onHead;
    // Each piece of the body as it arrives; returning false ends the transfer after this piece.
    std::function<bool(const char* data, std::size_t size)> onChunk;
    // Called every few dozen milliseconds while the transfer runs or waits for data; returning
    // false ends it (the piece in progress is still delivered).
    std::function<bool()> onWait;
};

enum class HttpRangeEnd {
    Complete, // the server sent the whole answer
    Short,    // the server closed the connection before the announced length
    Stopped,  // a callback asked to stop
};

// Runs the request with "Accept-Encoding: identity" and the proxy settings of the environment,
// following redirects. A server that encodes the body all the same (gzip, deflate) has it
// decoded, so that the chunks are the file's own bytes; `encoded` then says that the answer's
// Content-Length is not the file's size. Throws HttpError with the WinINet code of any other
// transport failure.
[[nodiscard]] HttpRangeEnd httpGetRange(const HttpRangeRequest& request,
                                        const HttpRangeCallbacks& callbacks);

} // namespace hx::platform
