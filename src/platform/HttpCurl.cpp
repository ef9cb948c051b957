// The HTTP seam on libcurl. Every request follows redirects, reads the proxy settings of the
// environment as libcurl does (http_proxy, https_proxy, no_proxy), limits the time to connect
// and the time without data, and reports transport failures with WinINet codes.

#include "platform/AsciiCase.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "platform/HttpShared.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace hx::platform {

namespace {

constexpr const char* kAgent = "MHttpGetResume";

// The file name of the running program without its folder ("hangarix.exe"); the thumbnail
// fetch names itself with it.
std::string programFileName()
{
    std::string path;
#ifdef _WIN32
    char buffer[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    path.assign(buffer, n < MAX_PATH ? n : 0);
#else
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n > 0)
        path.assign(buffer, static_cast<std::size_t>(n));
#endif
    const auto cut = path.find_last_of("/\\");
    path = cut == std::string::npos ? path : path.substr(cut + 1);
    return path.empty() ? std::string(kAgent) : path;
}

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* e) const { curl_easy_cleanup(e); }
};
struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::string trimmed(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

// The headers of the last response seen (a redirect's headers are replaced by the next one's).
struct HeadParser {
    int status = 0;
    std::string reason;
    std::string contentRange;
    std::string etag;
    std::string lastModified;
    std::int64_t contentLength = -1;
    bool chunked = false;
    bool encoded = false;

    HttpResponseHead responseHead() const
    {
        HttpResponseHead h;
        h.status = status;
        h.contentRange = contentRange;
        h.contentLength = contentLength;
        h.chunked = chunked;
        h.encoded = encoded;
        h.etag = etag;
        h.lastModified = lastModified;
        return h;
    }

    void line(std::string_view l)
    {
        if (startsWithNoCase(l, "HTTP/")) {
            *this = HeadParser{};
            const auto sp = l.find(' ');
            if (sp != std::string_view::npos) {
                std::string rest = trimmed(l.substr(sp + 1));
                status = std::atoi(rest.c_str());
                const auto sp2 = rest.find(' ');
                reason = sp2 == std::string::npos ? "" : rest.substr(sp2 + 1);
            }
            return;
        }
        const auto colon = l.find(':');
        if (colon == std::string_view::npos)
            return;
        const std::string_view name = l.substr(0, colon);
        const std::string value = trimmed(l.substr(colon + 1));
        const auto is = [&](std::string_view n) {
            return name.size() == n.size() && startsWithNoCase(name, n);
        };
        if (is("Content-Range"))
            contentRange = value;
        else if (is("ETag"))
            etag = value;
        else if (is("Last-Modified"))
            lastModified = value;
        else if (is("Transfer-Encoding"))
            chunked = value.find("chunked") != std::string::npos;
        else if (is("Content-Encoding"))
            encoded = !value.empty() && !(value.size() == 8 && startsWithNoCase(value, "identity"));
        else if (is("Content-Length")) {
            char* end = nullptr;
            const long long n = std::strtoll(value.c_str(), &end, 10);
            if (!value.empty() && end && *end == '\0' && n >= 0)
                contentLength = n;
        }
    }
};

size_t headerCallback(char* data, size_t size, size_t count, void* user)
{
    static_cast<HeadParser*>(user)->line(std::string_view(data, size * count));
    return size * count;
}

// The options every request shares.
Easy makeEasy(const std::string& url, char* errorBuffer, HeadParser* head)
{
    initCurlOnce();
    Easy easy(curl_easy_init());
    if (!easy)
        throw HttpError("libcurl could not create a request", 12001);
    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, escapeUrl(url).c_str());
    curl_easy_setopt(e, CURLOPT_USERAGENT, kAgent);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, httpTimeouts().connectSeconds);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, httpTimeouts().stallSeconds);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorBuffer);
    errorBuffer[0] = '\0';
    if (head) {
        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &headerCallback);
        curl_easy_setopt(e, CURLOPT_HEADERDATA, head);
    }
    return easy;
}

HttpError transportError(CURLcode code, const char* errorBuffer, const std::string& url)
{
    std::string what = errorBuffer && errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
    return HttpError(what + " (" + url + ")", wininetCodeForCurl(code));
}

// Runs one request on a multi handle so that `wait` is called at least every 50 ms, also while
// nothing arrives. `wait` returning false ends the request; then `stopped` is set.
CURLcode runWithWaits(CURL* easy, const std::function<bool()>& wait, bool& stopped,
                      const bool& stopFlag)
{
    Multi multi(curl_multi_init());
    if (!multi)
        throw HttpError("libcurl could not create a request", 12001);
    curl_multi_add_handle(multi.get(), easy);
    CURLcode result = CURLE_OK;
    int running = 1;
    stopped = false;
    for (;;) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
        if (running == 0) {
            int left = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left))
                if (msg->msg == CURLMSG_DONE)
                    result = msg->data.result;
            break;
        }
        if (stopFlag || (wait && !wait())) {
            stopped = true;
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, 50, nullptr);
    }
    curl_multi_remove_handle(multi.get(), easy);
    if (stopFlag)
        stopped = true;
    return result;
}

} // namespace

int wininetCodeForCurl(int curlCode)
{
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_OK:
        return 0;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return 12006; // ERROR_INTERNET_UNRECOGNIZED_SCHEME
    case CURLE_URL_MALFORMAT:
        return 12005; // ERROR_INTERNET_INVALID_URL
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return 12007; // ERROR_INTERNET_NAME_NOT_RESOLVED
    case CURLE_COULDNT_CONNECT:
        return 12029; // ERROR_INTERNET_CANNOT_CONNECT
    case CURLE_OPERATION_TIMEDOUT:
        return 12002; // ERROR_INTERNET_TIMEOUT
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return 12030; // ERROR_INTERNET_CONNECTION_ABORTED
    case CURLE_RECV_ERROR:
        return 12031; // ERROR_INTERNET_CONNECTION_RESET
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return 12152; // ERROR_HTTP_INVALID_SERVER_RESPONSE
    case CURLE_TOO_MANY_REDIRECTS:
        return 12156; // ERROR_HTTP_REDIRECT_FAILED
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_WRITE_ERROR:
        return 12017; // ERROR_INTERNET_OPERATION_CANCELLED
    case CURLE_LOGIN_DENIED:
    case CURLE_REMOTE_ACCESS_DENIED:
        return 12015; // ERROR_INTERNET_LOGIN_FAILURE
    case CURLE_PEER_FAILED_VERIFICATION:
        return 12038; // ERROR_INTERNET_SEC_CERT_CN_INVALID
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return 12157; // ERROR_INTERNET_SECURITY_CHANNEL_ERROR
    case CURLE_OUT_OF_MEMORY:
        return 12001; // ERROR_INTERNET_OUT_OF_HANDLES
    default:
        return 12004; // ERROR_INTERNET_INTERNAL_ERROR
    }
}

int httpUrlErrorCode(const std::string& url)
{
    initCurlOnce();
    CURLU* u = curl_url();
    if (!u)
        return 12004;
    int code = 0;
    const CURLUcode rc = curl_url_set(u, CURLUPART_URL, escapeUrl(url).c_str(), 0);
    if (rc == CURLUE_UNSUPPORTED_SCHEME) {
        code = 12006;
    } else if (rc != CURLUE_OK) {
        code = 12005;
    } else {
        char* scheme = nullptr;
        char* host = nullptr;
        std::string name;
        if (curl_url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK && scheme)
            name = lowerAscii(scheme);
        if (name != "http" && name != "https")
            code = 12006;
        else if (curl_url_get(u, CURLUPART_HOST, &host, 0) != CURLUE_OK || !host || !*host)
            code = 12005;
        curl_free(scheme);
        curl_free(host);
    }
    curl_url_cleanup(u);
    return code;
}

std::string httpGetText(const std::string& url)
{
    char errorBuffer[CURL_ERROR_SIZE];
    HeadParser head;
    Easy easy = makeEasy(url, errorBuffer, &head);
    std::string body;
    curl_easy_setopt(
        easy.get(), CURLOPT_WRITEFUNCTION,
        +[](char* data, size_t size, size_t count, void* user) -> size_t {
            static_cast<std::string*>(user)->append(data, size * count);
            return size * count;
        });
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body);
    const CURLcode code = curl_easy_perform(easy.get());
    if (code != CURLE_OK)
        throw transportError(code, errorBuffer, url);
    long status = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    if (status >= 300)
        throw HttpError(httpStatusText(static_cast<int>(status), head.reason) + " for " + url, 0,
                        static_cast<int>(status));
    return body;
}

void httpGetToFile(const std::string& url, const std::string& path)
{
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(resolvePath(path).c_str(), "wb"));
    if (!file)
        throw ioErrorFromErrno(errno);
    char errorBuffer[CURL_ERROR_SIZE];
    Easy easy = makeEasy(url, errorBuffer, nullptr);
    curl_easy_setopt(easy.get(), CURLOPT_BUFFERSIZE, 10240L);
    static const std::string agent = programFileName();
    curl_easy_setopt(easy.get(), CURLOPT_USERAGENT, agent.c_str());
    // Always the picture as the server has it now, never a cache's copy.
    Slist headers(curl_slist_append(nullptr, "Cache-Control: no-cache"));
    curl_slist_append(headers.get(), "Pragma: no-cache");
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    struct Sink {
        std::FILE* file;
        int error = 0;
    } sink{file.get(), 0};
    curl_easy_setopt(
        easy.get(), CURLOPT_WRITEFUNCTION,
        +[](char* data, size_t size, size_t count, void* user) -> size_t {
            auto* s = static_cast<Sink*>(user);
            if (std::fwrite(data, 1, size * count, s->file) != size * count) {
                s->error = errno ? errno : EIO;
                return CURL_WRITEFUNC_ERROR;
            }
            return size * count;
        });
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &sink);
    // Transport failures are not reported: whatever arrived stays in the file.
    curl_easy_perform(easy.get());
    if (sink.error)
        throw ioErrorFromErrno(sink.error);
    if (std::fflush(file.get()) != 0)
        throw ioErrorFromErrno(errno);
}

HttpFileInfo httpQueryFileInfo(const std::string& url, const std::function<void()>& pump)
{
    char errorBuffer[CURL_ERROR_SIZE];
    HeadParser head;
    Easy easy = makeEasy(url, errorBuffer, &head);
    curl_easy_setopt(easy.get(), CURLOPT_NOBODY, 1L);
    Slist headers(curl_slist_append(nullptr, "Accept-Encoding: identity"));
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    bool stopped = false;
    const bool never = false;
    const CURLcode code = runWithWaits(
        easy.get(),
        [&] {
            if (pump)
                pump();
            return true;
        },
        stopped, never);
    if (code != CURLE_OK)
        throw transportError(code, errorBuffer, url);
    return httpFileInfoFromHead(head.responseHead(), url, pump);
}

namespace {

// "Accept-Encoding: identity", and the range the request asks for.
Slist rangeHeaders(const HttpRangeRequest& request)
{
    Slist headers(curl_slist_append(nullptr, "Accept-Encoding: identity"));
    if (request.firstByteOnly) {
        curl_slist_append(headers.get(), "Range: bytes=0-0");
    } else if (request.offset > 0) {
        const std::string range = "Range: bytes=" + std::to_string(request.offset) + "-";
        curl_slist_append(headers.get(), range.c_str());
        if (!request.ifRange.empty())
            curl_slist_append(headers.get(), ("If-Range: " + request.ifRange).c_str());
    }
    return headers;
}

// What the body's callback shares with httpGetRange: the head goes to the caller before the
// first chunk, and a callback's exception waits outside libcurl.
struct RangeState {
    const HttpRangeCallbacks* callbacks;
    HeadParser* head;
    bool headDelivered = false;
    bool stop = false;
    std::exception_ptr failure; // rethrown once libcurl has returned

    bool deliverHead()
    {
        headDelivered = true;
        return !callbacks->onHead || callbacks->onHead(head->responseHead());
    }

    static size_t write(char* data, size_t size, size_t count, void* user)
    {
        auto* s = static_cast<RangeState*>(user);
        if (s->stop)
            return CURL_WRITEFUNC_ERROR;
        try {
            if (!s->headDelivered && !s->deliverHead()) {
                s->stop = true;
                return CURL_WRITEFUNC_ERROR;
            }
            if (s->callbacks->onChunk && !s->callbacks->onChunk(data, size * count))
                s->stop = true;
        } catch (...) {
            s->failure = std::current_exception();
            s->stop = true;
            return CURL_WRITEFUNC_ERROR;
        }
        return size * count;
    }
};

} // namespace

HttpRangeEnd httpGetRange(const HttpRangeRequest& request, const HttpRangeCallbacks& callbacks)
{
    char errorBuffer[CURL_ERROR_SIZE];
    HeadParser head;
    Easy easy = makeEasy(request.url, errorBuffer, &head);
    CURL* e = easy.get();
    curl_easy_setopt(
        e, CURLOPT_BUFFERSIZE,
        static_cast<long>(std::clamp<std::size_t>(request.bufferSize, 1024, CURL_MAX_READ_SIZE)));
    // Asks for the file's own bytes; an encoded answer all the same is decoded to them.
    curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "identity");
    curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 1L);
    const Slist headers = rangeHeaders(request);
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());

    RangeState state{&callbacks, &head, false, false, nullptr};
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &RangeState::write);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &state);

    bool stopped = false;
    const CURLcode code = runWithWaits(e, callbacks.onWait, stopped, state.stop);
    if (state.failure)
        std::rethrow_exception(state.failure);
    if (stopped || state.stop)
        return HttpRangeEnd::Stopped;
    if (code != CURLE_OK && code != CURLE_PARTIAL_FILE)
        throw transportError(code, errorBuffer, request.url);
    // An answer without a body still has a head to look at.
    if (!state.headDelivered && !state.deliverHead())
        return HttpRangeEnd::Stopped;
    return code == CURLE_PARTIAL_FILE ? HttpRangeEnd::Short : HttpRangeEnd::Complete;
}

} // namespace hx::platform
