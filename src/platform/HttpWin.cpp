// The HTTP seam on WinINet, the system's own HTTP stack: the user's proxy settings and
// certificate store apply, and failures carry WinINet's own error codes. Requests that must
// keep the caller responsive run their blocking calls on a worker thread while the caller
// waits in short steps.

#include "platform/Http.h"
#include "platform/WinApi.h"

#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

namespace hx::platform {

namespace {

constexpr const wchar_t* kAgent = L"MHttpGetResume";
constexpr auto kWaitStep = std::chrono::milliseconds(40);

std::atomic<long> gConnectSeconds{30};
std::atomic<long> gStallSeconds{60};

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

std::string statusText(int status, const std::string& reason)
{
    std::string s = "HTTP status " + std::to_string(status);
    if (!reason.empty())
        s += " (" + reason + ")";
    return s;
}

// One request: session, connection and request handles, made ready to send.
struct Request {
    InternetHandle session, connection, request;
    std::string url;
};

void setTimeouts(HINTERNET session)
{
    DWORD connect = static_cast<DWORD>(gConnectSeconds.load() * 1000);
    DWORD stall = static_cast<DWORD>(gStallSeconds.load() * 1000);
    ::InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    ::InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &stall, sizeof stall);
    ::InternetSetOptionW(session, INTERNET_OPTION_SEND_TIMEOUT, &stall, sizeof stall);
}

// Opens the handles of a request with `verb`, never answered from the cache, redirects
// followed, no cookies, no dialogs.
void openRequest(Request& r, const std::string& url, const wchar_t* verb, const wchar_t* agent)
{
    r.url = url;
    const std::wstring wide = win::widen(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256], path[2048], extra[1024];
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = 1024;
    if (!::InternetCrackUrlW(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts))
        throwLast(url);
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        throw transportError(ERROR_INTERNET_UNRECOGNIZED_SCHEME, url);
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
}

void addHeader(const Request& r, const std::string& header)
{
    const std::wstring line = win::widen(header + "\r\n");
    if (!::HttpAddRequestHeadersW(r.request.h, line.c_str(), static_cast<DWORD>(line.size()),
                                  HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE))
        throwLast(r.url);
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
};

Answer readAnswer(HINTERNET request)
{
    Answer a;
    a.status = std::atoi(queryHeader(request, HTTP_QUERY_STATUS_CODE).c_str());
    a.reason = queryHeader(request, HTTP_QUERY_STATUS_TEXT);
    a.contentRange = queryHeader(request, HTTP_QUERY_CONTENT_RANGE);
    a.etag = queryHeader(request, HTTP_QUERY_ETAG);
    a.lastModified = queryHeader(request, HTTP_QUERY_LAST_MODIFIED);
    a.contentLength = parseLength(queryHeader(request, HTTP_QUERY_CONTENT_LENGTH));
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

} // namespace

int httpUrlErrorCode(const std::string& url)
{
    const std::wstring wide = win::widen(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    if (!::InternetCrackUrlW(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts)) {
        const DWORD e = ::GetLastError();
        return e == ERROR_INTERNET_UNRECOGNIZED_SCHEME ? 12006 : 12005;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return 12006;
    return parts.dwHostNameLength == 0 ? 12005 : 0;
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

std::string httpGetText(const std::string& url)
{
    Request r;
    openRequest(r, url, L"GET", kAgent);
    if (!sendRequest(r))
        throwLast(url);
    const Answer answer = readAnswer(r.request.h);
    if (answer.status >= 300)
        throw HttpError(statusText(answer.status, answer.reason) + " for " + url, 0, answer.status);
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
    const Answer answer = readAnswer(r.request.h);
    if (answer.status >= 400)
        throw HttpError(statusText(answer.status, answer.reason), 0, answer.status);
    if (answer.contentLength < 0)
        throw HttpError("The answer has no Content-Length (" + url + ")", 12150, answer.status);
    HttpFileInfo info;
    info.status = answer.status;
    info.contentLength = answer.contentLength;
    info.etag = answer.etag;
    info.lastModified = answer.lastModified;
    return info;
}

namespace {

// What the worker of a ranged GET hands to the caller.
struct Stream {
    bool headReady = false;
    bool headTaken = false; // the caller looked at the head: the body may be read
    bool bodyWanted = true;
    Answer answer;
    std::deque<std::string> chunks;
    std::int64_t received = 0;
    bool ended = false;
    DWORD error = 0;
};

// The worker's side: send, publish the head, wait for the caller's verdict, then read the body
// in pieces of `bufferSize`, a few pieces ahead of the caller at most.
void receive(Request& r, Worker& w, Stream& s, std::size_t bufferSize)
{
    const HINTERNET request = r.request.h; // the caller may close it to stop a blocking read
    const auto finish = [&](DWORD error) {
        const std::lock_guard lock(w.mutex);
        s.error = error;
        s.ended = true;
        w.changed.notify_all();
    };
    if (!sendRequest(r))
        return finish(::GetLastError());
    {
        std::unique_lock lock(w.mutex);
        s.answer = readAnswer(request);
        s.headReady = true;
        w.changed.notify_all();
        w.changed.wait(lock, [&] { return s.headTaken || w.cancel; });
        if (!s.bodyWanted || w.cancel)
            return;
    }
    std::string buffer(bufferSize, '\0');
    for (;;) {
        DWORD read = 0;
        if (!::InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read))
            return finish(w.cancel ? 0 : ::GetLastError());
        if (read == 0)
            return finish(0);
        std::unique_lock lock(w.mutex);
        s.chunks.emplace_back(buffer.data(), read);
        s.received += read;
        w.changed.notify_all();
        w.changed.wait(lock, [&] { return s.chunks.size() < 4 || w.cancel; });
        if (w.cancel)
            return;
    }
}

HttpResponseHead headOf(const Answer& a)
{
    HttpResponseHead h;
    h.status = a.status;
    h.contentRange = a.contentRange;
    h.contentLength = a.contentLength;
    return h;
}

} // namespace

HttpRangeEnd httpGetRange(const HttpRangeRequest& request, const HttpRangeCallbacks& callbacks)
{
    Request r;
    openRequest(r, request.url, L"GET", kAgent);
    addHeader(r, "Accept-Encoding: identity");
    if (request.offset > 0) {
        addHeader(r, "Range: bytes=" + std::to_string(request.offset) + "-");
        if (!request.ifRange.empty())
            addHeader(r, "If-Range: " + request.ifRange);
    }
    Stream s;
    bool stopped = false;
    const std::size_t bufferSize = std::max<std::size_t>(request.bufferSize, 1024);
    {
        Worker w([&] { receive(r, w, s, bufferSize); });
        std::unique_lock lock(w.mutex);
        const auto stop = [&] {
            stopped = true;
            w.cancel = true;
            w.changed.notify_all();
            lock.unlock();
            ::InternetCloseHandle(r.request.h); // ends a read that blocks
            r.request.h = nullptr;
            lock.lock();
        };
        while (!w.finished) {
            if (s.headReady && !s.headTaken) {
                lock.unlock();
                const bool take = !callbacks.onHead || callbacks.onHead(headOf(s.answer));
                lock.lock();
                s.headTaken = true;
                s.bodyWanted = take;
                w.changed.notify_all();
                if (!take) {
                    stopped = true;
                    break;
                }
            }
            while (!s.chunks.empty()) {
                std::string chunk = std::move(s.chunks.front());
                s.chunks.pop_front();
                w.changed.notify_all();
                lock.unlock();
                const bool more =
                    !callbacks.onChunk || callbacks.onChunk(chunk.data(), chunk.size());
                lock.lock();
                if (!more) {
                    stop();
                    break;
                }
            }
            if (stopped || (s.ended && s.chunks.empty()))
                break;
            lock.unlock();
            const bool goOn = !callbacks.onWait || callbacks.onWait();
            lock.lock();
            if (!goOn) {
                stop();
                break;
            }
            w.changed.wait_for(lock, kWaitStep);
        }
        if (!stopped && !w.finished)
            w.changed.wait(lock, [&] { return w.finished; });
    }
    if (stopped)
        return HttpRangeEnd::Stopped;
    if (s.error)
        throw transportError(s.error, request.url);
    const bool shortBody = s.answer.contentLength >= 0 && s.received < s.answer.contentLength;
    return shortBody ? HttpRangeEnd::Short : HttpRangeEnd::Complete;
}

} // namespace hx::platform
