#pragma once
// What the HTTP transports (libcurl, WinINet) share besides the seam itself.

#include "platform/Http.h"

#include <functional>
#include <string>

namespace hx::platform {

// "HTTP status 404 (Not Found)", the reason left out when empty.
std::string httpStatusText(int status, const std::string& reason);

// The size query of a server that answers HEAD badly: a GET of the first byte ("Range:
// bytes=0-0"), read from its Content-Range or, for a whole answer, its Content-Length.
HttpFileInfo httpProbeFileInfo(const std::string& url, const std::function<void()>& pump);

// The size query's result from the answer to HEAD; a HEAD refused, answered without a length or
// with the length of an encoded body is asked again through httpProbeFileInfo.
HttpFileInfo httpFileInfoFromHead(const HttpResponseHead& head, const std::string& url,
                                  const std::function<void()>& pump);

} // namespace hx::platform
