// The HTTP seam on WinINet, the system's own HTTP stack: the user's proxy settings and
// certificate store apply, and failures carry WinINet's own error codes. Requests that must
// keep the caller responsive run their blocking calls on a worker thread while the caller
// waits in short steps.

#include "platform/Http.h"
#include "platform/HttpShared.h"
#include "platform/WinApi.h"

#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace hx::platform {

namespace {

constexpr const wchar_t* kAgent = L"MHttpGetResume";
constexpr auto kWaitStep = std::chrono::milliseconds(40);

struct InternetHandle {
    HINTERNET h = nullptr;
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET handle) : h(handle) {}
    ~InternetHandle() { reset(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    void reset()
    {
        if (h)
            ::InternetCloseHandle(h);
        h = nullptr;
    }
};

std::string wininetMessage(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     ::GetModuleHandleW(L"wininet.dll"), code, 0,
                                     reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = n ? win::narrow(std::wstring_view(text, n)) : "";
    if (text)
        ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message.empty() ? "WinINet error " + std::to_string(code) : message;
}

HttpError transportError(DWORD code, const std::string& url)
{
    // Codes outside WinINet's range (a socket error passed through) count as a reset.
    const int wininet = code >= 12001 && code <= 12171 ? static_cast<int>(code) : 12031;
    return HttpError(wininetMessage(code) + " (" + url + ")", wininet);
}

[[noreturn]] void throwLast(const std::string& url)
{
    throw transportError(::GetLastError(), url);
}

// One request: session, connection and request handles, made ready to send.
struct Request {
    InternetHandle session, connection, request;
    std::string url;
};

void setTimeouts(HINTERNET session)
{
    const HttpTimeouts timeouts = httpTimeouts();
    DWORD connect = static_cast<DWORD>(timeouts.connectSeconds * 1000);
    DWORD stall = static_cast<DWORD>(timeouts.stallSeconds * 1000);
    ::InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    ::InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &stall, sizeof stall);
    ::InternetSetOptionW(session, INTERNET_OPTION_SEND_TIMEOUT, &stall, sizeof stall);
}

// Splits a URL: 0, or 12006 for a scheme other than http and https, 12005 for anything else
// that cannot be split or names no host.
int crackUrl(const std::wstring& url, URL_COMPONENTSW& parts)
{
    if (!::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return ::GetLastError() == ERROR_INTERNET_UNRECOGNIZED_SCHEME ? 12006 : 12005;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return 12006;
    return parts.dwHostNameLength == 0 ? 12005 : 0;
}

void addHeader(const Request& r, const std::string& header)
{
    const std::wstring line = win::widen(header + "\r\n");
    if (!::HttpAddRequestHeadersW(r.request.h, line.c_str(), static_cast<DWORD>(line.size()),
                                  HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE))
        throwLast(r.url);
}

// Opens the handles of a request with `verb`, never answered from the cache, redirects
// followed, no cookies, no dialogs.
void openRequest(Request& r, const std::string& url, const wchar_t* verb, const wchar_t* agent)
{
    r.url = url;
    const std::wstring wide = win::widen(escapeUrl(url));
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256], path[2048], extra[1024];
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = 1024;
    const int urlError = crackUrl(wide, parts);
    if (urlError)
        throw transportError(static_cast<DWORD>(urlError), url);
    r.session.h = ::InternetOpenW(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!r.session.h)
        throwLast(url);
    setTimeouts(r.session.h);
    r.connection.h = ::InternetConnectW(r.session.h, host, parts.nPort, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, 0);
    if (!r.connection.h)
        throwLast(url);
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                  INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                  INTERNET_FLAG_NO_AUTH;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= INTERNET_FLAG_SECURE;
    const std::wstring object = std::wstring(path) + extra;
    r.request.h = ::HttpOpenRequestW(r.connection.h, verb, object.empty() ? L"/" : object.c_str(),
                                     nullptr, nullptr, nullptr, flags, 0);
    if (!r.request.h)
        throwLast(url);
    // One request per connection: nothing lingers in a pool once the request is done.
    addHeader(r, "Connection: close");
}

// A header of the answer as text; empty when absent.
std::string queryHeader(HINTERNET request, DWORD what)
{
    std::wstring value(256, L'\0');
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (!::HttpQueryInfoW(request, what, value.data(), &size, nullptr)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return {};
        value.assign(size / sizeof(wchar_t) + 1, L'\0');
        if (!::HttpQueryInfoW(request, what, value.data(), &size, nullptr))
            return {};
    }
    value.resize(size / sizeof(wchar_t));
    return win::narrow(value);
}

std::int64_t parseLength(const std::string& text)
{
    char* end = nullptr;
    const long long n = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && end && *end == '\0' && n >= 0 ? n : -1;
}

struct Answer {
    int status = 0;
    std::string reason, contentRange, etag, lastModified;
    std::int64_t contentLength = -1;
    bool chunked = false;
    bool encoded = false;
};

bool containsNoCase(std::string text, std::string_view word)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.find(word) != std::string::npos;
}

Answer readAnswer(HINTERNET request)
{
    Answer a;
    a.status = std::atoi(queryHeader(request, HTTP_QUERY_STATUS_CODE).c_str());
    a.reason = queryHeader(request, HTTP_QUERY_STATUS_TEXT);
    a.contentRange = queryHeader(request, HTTP_QUERY_CONTENT_RANGE);
    a.etag = queryHeader(request, HTTP_QUERY_ETAG);
    a.lastModified = queryHeader(request, HTTP_QUERY_LAST_MODIFIED);
    a.contentLength = parseLength(queryHeader(request, HTTP_QUERY_CONTENT_LENGTH));
    a.chunked = containsNoCase(queryHeader(request, HTTP_QUERY_TRANSFER_ENCODING), "chunked");
    const std::string encoding = queryHeader(request, HTTP_QUERY_CONTENT_ENCODING);
    a.encoded = !encoding.empty() && !containsNoCase(encoding, "identity");
    return a;
}

// Runs `work` on a worker thread and calls `wait` every few dozen milliseconds until it ends.
// `wait` returning false asks the work to stop: `cancel` is set and the request handle closed,
// which makes a blocking WinINet call return.
class Worker {
public:
    template <class Work> explicit Worker(Work work) : thread_([this, work] { run(work); }) {}
    ~Worker() { thread_.join(); }

    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> cancel{false};
    bool finished = false;

private:
    template <class Work> void run(Work& work)
    {
        work();
        const std::lock_guard lock(mutex);
        finished = true;
        changed.notify_all();
    }
    std::thread thread_;
};

bool sendRequest(const Request& r)
{
    return ::HttpSendRequestW(r.request.h, nullptr, 0, nullptr, 0) != 0;
}

HttpResponseHead headOf(const Answer& a)
{
    HttpResponseHead h;
    h.status = a.status;
    h.contentRange = a.contentRange;
    h.contentLength = a.contentLength;
    h.chunked = a.chunked;
    h.encoded = a.encoded;
    h.etag = a.etag;
    h.lastModified = a.lastModified;
    return h;
}

} // namespace

int httpUrlErrorCode(const std::string& url)
{
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    return crackUrl(win::widen(escapeUrl(url)), parts);
}

std::string httpGetText(const std::string& url)
{
    Request r;
    openRequest(r, url, L"GET", kAgent);
    if (!sendRequest(r))
        throwLast(url);
    const Answer answer = readAnswer(r.request.h);
    if (answer.status >= 300)
        throw HttpError(httpStatusText(answer.status, answer.reason) + " for " + url, 0,
                        answer.status);
    std::string body;
    char buffer[16 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::InternetReadFile(r.request.h, buffer, sizeof buffer, &read))
            throwLast(url);
        if (read == 0)
            return body;
        body.append(buffer, read);
    }
}

void httpGetToFile(const std::string& url, const std::string& path)
{
    win::Handle file(::CreateFileW(win::widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                   nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        win::throwIoError(::GetLastError());
    wchar_t module[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring agent(module, n < MAX_PATH ? n : 0);
    agent = agent.substr(agent.find_last_of(L"\\/") + 1);
    Request r;
    try {
        openRequest(r, url, L"GET", agent.empty() ? kAgent : agent.c_str());
        // Always the picture as the server has it now, never a cache's copy.
        addHeader(r, "Cache-Control: no-cache");
        if (!sendRequest(r))
            return; // transport failures are not reported: the file stays as it is
    } catch (const HttpError&) {
        return;
    }
    char buffer[10240];
    DWORD read = 0;
    while (::InternetReadFile(r.request.h, buffer, sizeof buffer, &read) && read > 0) {
        DWORD written = 0;
        if (!::WriteFile(file.get(), buffer, read, &written, nullptr) || written != read)
            win::throwIoError(::GetLastError());
    }
}

HttpFileInfo httpQueryFileInfo(const std::string& url, const std::function<void()>& pump)
{
    Request r;
    openRequest(r, url, L"HEAD", kAgent);
    addHeader(r, "Accept-Encoding: identity");
    bool sent = false;
    DWORD error = 0;
    {
        Worker worker([&] {
            sent = sendRequest(r);
            error = sent ? 0 : ::GetLastError();
        });
        std::unique_lock lock(worker.mutex);
        while (!worker.changed.wait_for(lock, kWaitStep, [&] { return worker.finished; }))
            if (pump) {
                lock.unlock();
                pump();
                lock.lock();
            }
    }
    if (!sent)
        throw transportError(error, url);
    return httpFileInfoFromHead(headOf(readAnswer(r.request.h)), url, pump);
}

namespace {

// A ranged GET shared by the caller and its worker thread. The worker sends the request,
// publishes the head, waits for the caller's verdict on it, then reads the body a few pieces
// ahead of the caller. A caller that stops leaves the worker to end on its own (a blocking
// read returns at the latest when the stall limit passes); the shared state outlives both.
struct RangeTransfer {
    Request r;
    std::mutex mutex;
    std::condition_variable changed;
    bool cancel = false;
    bool headReady = false;
    bool headTaken = false; // the caller looked at the head: the body may be read
    Answer answer;
    std::deque<std::string> chunks;
    std::int64_t received = 0;
    bool ended = false;
    DWORD error = 0;

    void finish(DWORD e)
    {
        const std::lock_guard lock(mutex);
        error = e;
        ended = true;
        changed.notify_all();
    }
};

// What is ready to be read: at least one byte, at most `limit`; 0 at the end of the body.
// Reading only that much returns as soon as bytes arrive, where a larger read could wait for
// the buffer to fill.
bool readSome(HINTERNET request, std::string& buffer, std::size_t limit, DWORD& read)
{
    DWORD available = 0;
    if (!::InternetQueryDataAvailable(request, &available, 0, 0))
        return false;
    buffer.resize(std::clamp<std::size_t>(available, 1, limit));
    return ::InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read);
}

void receive(const std::shared_ptr<RangeTransfer>& t, std::size_t bufferSize)
{
    if (!sendRequest(t->r))
        return t->finish(::GetLastError());
    {
        std::unique_lock lock(t->mutex);
        t->answer = readAnswer(t->r.request.h);
        t->headReady = true;
        t->changed.notify_all();
        t->changed.wait(lock, [&] { return t->headTaken || t->cancel; });
        if (t->cancel)
            return;
    }
    std::string buffer;
    for (;;) {
        DWORD read = 0;
        if (!readSome(t->r.request.h, buffer, bufferSize, read))
            return t->finish(::GetLastError());
        if (read == 0)
            return t->finish(0);
        std::unique_lock lock(t->mutex);
        t->chunks.emplace_back(buffer.data(), read);
        t->received += read;
        t->changed.notify_all();
        t->changed.wait(lock, [&] { return t->chunks.size() < 4 || t->cancel; });
        if (t->cancel)
            return;
    }
}

void addRangeHeaders(const Request& r, const HttpRangeRequest& request)
{
    addHeader(r, "Accept-Encoding: identity");
    // An encoded answer all the same is decoded to the file's own bytes.
    BOOL decode = TRUE;
    ::InternetSetOptionW(r.request.h, INTERNET_OPTION_HTTP_DECODING, &decode, sizeof decode);
    if (request.firstByteOnly) {
        addHeader(r, "Range: bytes=0-0");
    } else if (request.offset > 0) {
        addHeader(r, "Range: bytes=" + std::to_string(request.offset) + "-");
        if (!request.ifRange.empty())
            addHeader(r, "If-Range: " + request.ifRange);
    }
}

// The caller's side: hands the head, the chunks and the waits to the callbacks. False when a
// callback asked to stop or threw (then `failure` holds the exception), or when nothing arrived
// for the stall limit (then `stalled` is set): the limit is kept here, since a blocking read
// does not heed WinINet's receive timeout everywhere.
bool deliver(RangeTransfer& t, const HttpRangeCallbacks& callbacks, std::exception_ptr& failure,
             bool& stalled)
{
    using Clock = std::chrono::steady_clock;
    const auto stallLimit = std::chrono::seconds(httpTimeouts().stallSeconds);
    auto lastNews = Clock::now();
    std::unique_lock lock(t.mutex);
    // Runs a callback without the lock; false (or an exception) ends the transfer.
    const auto call = [&](const auto& callback) {
        lock.unlock();
        bool goOn = false;
        try {
            goOn = callback();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        return goOn;
    };
    for (;;) {
        if (t.headReady && !t.headTaken) {
            const bool take =
                call([&] { return !callbacks.onHead || callbacks.onHead(headOf(t.answer)); });
            t.headTaken = true;
            t.cancel = !take;
            lastNews = Clock::now();
            t.changed.notify_all();
            if (!take)
                return false;
        }
        while (!t.chunks.empty()) {
            const std::string chunk = std::move(t.chunks.front());
            t.chunks.pop_front();
            t.changed.notify_all();
            lastNews = Clock::now();
            if (!call([&] {
                    return !callbacks.onChunk || callbacks.onChunk(chunk.data(), chunk.size());
                }))
                return false;
        }
        if (t.ended)
            return true;
        stalled = Clock::now() - lastNews > stallLimit;
        if (stalled || !call([&] { return !callbacks.onWait || callbacks.onWait(); }))
            return false;
        t.changed.wait_for(lock, kWaitStep);
    }
}

} // namespace

HttpRangeEnd httpGetRange(const HttpRangeRequest& request, const HttpRangeCallbacks& callbacks)
{
    const auto t = std::make_shared<RangeTransfer>();
    openRequest(t->r, request.url, L"GET", kAgent);
    addRangeHeaders(t->r, request);
    std::thread worker(
        [t, size = std::max<std::size_t>(request.bufferSize, 1024)] { receive(t, size); });
    std::exception_ptr failure;
    bool stalled = false;
    const bool whole = deliver(*t, callbacks, failure, stalled);
    if (!whole) {
        {
            const std::lock_guard lock(t->mutex);
            t->cancel = true;
            t->changed.notify_all();
        }
        worker.detach();
    } else {
        worker.join();
    }
    if (failure)
        std::rethrow_exception(failure);
    if (stalled)
        throw transportError(ERROR_INTERNET_TIMEOUT, request.url);
    if (!whole)
        return HttpRangeEnd::Stopped;
    if (t->error)
        throw transportError(t->error, request.url);
    const bool shortBody = t->answer.contentLength >= 0 && t->received < t->answer.contentLength;
    return shortBody ? HttpRangeEnd::Short : HttpRangeEnd::Complete;
}

} // namespace hx::platform
