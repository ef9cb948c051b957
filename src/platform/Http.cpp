// The parts of the HTTP seam that do not depend on the transport underneath.

#include "platform/Http.h"
#include "platform/HttpShared.h"

#include <atomic>
#include <cstdlib>
#include <string_view>

namespace hx::platform {

namespace {

std::atomic<long> gConnectSeconds{30};
std::atomic<long> gStallSeconds{60};

// The whole size named by a Content-Range ("bytes 0-0/5000", "bytes */5000"); -1 when it names
// none ("bytes 0-0/*") or cannot be read.
std::int64_t contentRangeTotal(const std::string& header)
{
    const auto slash = header.rfind('/');
    if (slash == std::string::npos)
        return -1;
    char* end = nullptr;
    const long long total = std::strtoll(header.c_str() + slash + 1, &end, 10);
    return end && *end == '\0' && end != header.c_str() + slash + 1 && total >= 0 ? total : -1;
}

} // namespace

std::string escapeUrl(const std::string& url)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(url.size());
    for (const char ch : url) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unsafe = c <= 0x20 || c >= 0x7f ||
                            std::string_view("\"<>\\^`{|}").find(ch) != std::string_view::npos;
        if (!unsafe) {
            out += ch;
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

void setHttpTimeouts(const HttpTimeouts& timeouts)
{
    gConnectSeconds = timeouts.connectSeconds;
    gStallSeconds = timeouts.stallSeconds;
}

HttpTimeouts httpTimeouts()
{
    return {gConnectSeconds.load(), gStallSeconds.load()};
}

std::string httpStatusText(int status, const std::string& reason)
{
    std::string s = "HTTP status " + std::to_string(status);
    if (!reason.empty())
        s += " (" + reason + ")";
    return s;
}

// The size query of a server that answers HEAD badly: a GET of the first byte.
HttpFileInfo httpProbeFileInfo(const std::string& url, const std::function<void()>& pump)
{
    HttpRangeRequest request;
    request.url = url;
    request.firstByteOnly = true;
    HttpResponseHead head;
    HttpRangeCallbacks callbacks;
    callbacks.onHead = [&head](const HttpResponseHead& h) {
        head = h;
        return false; // the head is all we want
    };
    callbacks.onWait = [&pump] {
        if (pump)
            pump();
        return true;
    };
    // The head is all the query wants; a transport failure throws.
    (void)httpGetRange(request, callbacks);
    HttpFileInfo info;
    info.status = head.status;
    info.etag = head.etag;
    info.lastModified = head.lastModified;
    if (head.status == 206 || head.status == 416)
        info.contentLength = contentRangeTotal(head.contentRange);
    else if (head.status >= 400 || head.status == 0)
        throw HttpError(httpStatusText(head.status, ""), 0, head.status);
    else
        info.contentLength = head.encoded ? -1 : head.contentLength;
    if (head.status == 416 && info.contentLength < 0)
        throw HttpError(httpStatusText(head.status, ""), 0, head.status);
    return info;
}

HttpFileInfo httpFileInfoFromHead(const HttpResponseHead& head, const std::string& url,
                                  const std::function<void()>& pump)
{
    if (head.status >= 400 || head.contentLength < 0 || head.encoded)
        return httpProbeFileInfo(url, pump);
    HttpFileInfo info;
    info.status = head.status;
    info.contentLength = head.contentLength;
    info.etag = head.etag;
    info.lastModified = head.lastModified;
    return info;
}

} // namespace hx::platform
