// The download component's handling of HTTP answers. The transport below it is replaced by a
// scripted server that the input drives: what the size query learns (or how it fails), and for
// every range request the status, Content-Range, Content-Length, framing, validators, how much
// of the body arrives and how the answer ends. The input also seeds the partial file and its
// side file. No socket is opened.
//
// Invariants: no exception leaves MBaixar; nothing but the local file and its side file is
// written; a download reported complete has the size the component names and no side file left;
// while the server tells the truth, the local file only ever holds the start of the remote file,
// and the whole of it when reported complete.

#include "FuzzSupport.h"

#include "online/MHttpGetResume.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"

#include <filesystem>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

namespace {

using hx::fuzz::require;
namespace http = hx::platform;

constexpr const char* kUrl = "http://127.0.0.1/hangarix/zip/livery.zip";
constexpr const char* kEtag = "\"v1\"";
constexpr int kMaxRequests = 24; // then the owner pauses, as a user would

// The remote file and the script of the server's answers.
struct Server {
    FuzzedDataProvider* input = nullptr;
    std::string file;
    bool lied = false;
    int requests = 0;
};
Server server;

std::string remoteBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
    return bytes;
}

// A header value that is true, absent, or whatever the input says (a lie when it differs).
std::string headerValue(const std::string& truth, bool allowAbsent = true)
{
    switch (server.input->ConsumeIntegralInRange(0, 3)) {
    case 1:
        if (allowAbsent)
            return {};
        return truth;
    case 2: {
        std::string made = server.input->ConsumeRandomLengthString(40);
        server.lied = server.lied || made != truth;
        return made;
    }
    default:
        return truth;
    }
}

const int kFailures[] = {12002, 12007, 12029, 12030, 12152};

std::int64_t chosenLength(std::int64_t truth)
{
    switch (server.input->ConsumeIntegralInRange(0, 2)) {
    case 1:
        return -1;
    case 2: {
        const auto made = server.input->ConsumeIntegralInRange<std::int64_t>(-1, 1 << 14);
        server.lied = server.lied || (made >= 0 && made != truth);
        return made;
    }
    default:
        return truth;
    }
}

// Sends `count` body bytes from `from` in a few pieces; false when a callback stopped it.
bool sendBody(const http::HttpRangeCallbacks& callbacks, std::size_t from, std::size_t count)
{
    while (count > 0) {
        const std::size_t piece = server.input->ConsumeIntegralInRange<std::size_t>(1, count);
        const bool more = !callbacks.onChunk || callbacks.onChunk(server.file.data() + from, piece);
        from += piece;
        count -= piece;
        if (!more)
            return false;
        if (callbacks.onWait && !callbacks.onWait())
            return false;
    }
    return true;
}

} // namespace

// The transport, scripted. These are all the transport functions the component calls, so the
// linker takes none of the real ones from the platform library.
namespace hx::platform {

int httpUrlErrorCode(const std::string& url)
{
    return url.starts_with("http://") ? 0 : 12005;
}

HttpFileInfo httpQueryFileInfo(const std::string&, const std::function<void()>& pump)
{
    if (pump)
        pump();
    FuzzedDataProvider& in = *server.input;
    const auto size = static_cast<std::int64_t>(server.file.size());
    switch (in.ConsumeIntegralInRange(0, 4)) {
    case 1:
        throw HttpError("transport", kFailures[in.ConsumeIntegralInRange(0, 4)]);
    case 2:
        throw HttpError("status", 0, in.ConsumeBool() ? 404 : 503);
    default: {
        HttpFileInfo info;
        info.status = 200;
        info.contentLength = chosenLength(size);
        info.etag = headerValue(kEtag);
        info.lastModified = headerValue("Tue, 08 Dec 2026 03:00:00 GMT");
        return info;
    }
    }
}

HttpRangeEnd httpGetRange(const HttpRangeRequest& request, const HttpRangeCallbacks& callbacks)
{
    FuzzedDataProvider& in = *server.input;
    ++server.requests;
    const auto size = static_cast<std::int64_t>(server.file.size());
    if (in.ConsumeIntegralInRange(0, 7) == 0)
        throw HttpError("transport", kFailures[in.ConsumeIntegralInRange(0, 4)]);
    // An honest server answers a range of the version asked for with 206, anything else whole.
    const bool sameVersion = request.ifRange.empty() || request.ifRange == kEtag;
    const bool ranged = request.offset > 0 && sameVersion && request.offset < size;
    HttpResponseHead head;
    std::int64_t from = 0;
    const int shape = in.ConsumeIntegralInRange(0, 4);
    if (request.offset >= size && request.offset > 0 && shape == 0) {
        head.status = 416;
        head.contentRange = "bytes */" + std::to_string(size);
    } else if (shape == 1) {
        head.status = in.PickValueInArray({301, 404, 416, 500, 503, 100, 204});
        server.lied = server.lied || head.status == 204 || head.status == 416;
    } else if (ranged && shape != 2) {
        head.status = 206;
        from = request.offset;
        head.contentRange = headerValue("bytes " + std::to_string(from) + "-" +
                                            std::to_string(size - 1) + "/" + std::to_string(size),
                                        false);
        head.contentLength = chosenLength(size - from);
    } else {
        head.status = 200;
        head.contentLength = chosenLength(size);
    }
    head.chunked = head.contentLength < 0 && in.ConsumeBool();
    head.etag = headerValue(kEtag);
    if (callbacks.onHead && !callbacks.onHead(head))
        return HttpRangeEnd::Stopped;
    if (head.status >= 300 || head.status == 204)
        return HttpRangeEnd::Complete;
    const auto rest = static_cast<std::size_t>(size - from);
    const std::size_t sent =
        in.ConsumeBool() ? rest : in.ConsumeIntegralInRange<std::size_t>(0, rest);
    if (!sendBody(callbacks, static_cast<std::size_t>(from), sent))
        return HttpRangeEnd::Stopped;
    if (sent == rest)
        return HttpRangeEnd::Complete;
    // A body cut short: a framed answer is known to be short, an unframed one ends in a reset.
    if (head.contentLength >= 0 || head.chunked)
        return HttpRangeEnd::Short;
    throw HttpError("reset", 12030);
}

} // namespace hx::platform

namespace {

// Seeds the partial file (the start of the remote one, or other bytes: a lie then) and its side
// file, as a previous run may have left them.
void seedLocalFiles(FuzzedDataProvider& in, const std::string& local)
{
    std::filesystem::remove(local);
    std::filesystem::remove(hx::resumeFilePath(local));
    if (in.ConsumeBool()) {
        std::string part =
            server.file.substr(0, in.ConsumeIntegralInRange<std::size_t>(0, server.file.size()));
        if (in.ConsumeIntegralInRange(0, 3) == 0) {
            part += in.ConsumeRandomLengthString(64);
            server.lied = server.lied || !server.file.starts_with(part);
        }
        hx::fuzz::writeFile(local, part);
    }
    if (in.ConsumeBool())
        hx::fuzz::writeFile(hx::resumeFilePath(local), in.ConsumeRandomLengthString(200));
}

std::string readAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void checkOutcome(const std::string& folder, const std::string& local, bool complete,
                  std::int64_t declared)
{
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string path = entry.path().string();
        require(path == local || path == hx::resumeFilePath(local), "a stray file was written");
    }
    const bool exists = std::filesystem::exists(local);
    const std::string held = exists ? readAll(local) : std::string();
    if (complete) {
        require(exists && static_cast<std::int64_t>(held.size()) == declared,
                "complete, but the file is not of the size named");
        require(!std::filesystem::exists(hx::resumeFilePath(local)),
                "side file left when complete");
    }
    if (server.lied)
        return;
    require(server.file.starts_with(held), "a truthful server, but the file holds other bytes");
    require(!complete || held == server.file, "a truthful server, but the file is not whole");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    server = Server{&in, remoteBytes(in.ConsumeIntegralInRange<std::size_t>(0, 3000))};
    const std::string folder = hx::fuzz::scratchFolder() + "/download";
    std::filesystem::create_directories(folder);
    const std::string local = folder + "/livery.zip";
    seedLocalFiles(in, local);

    hx::TMHttpGetResume download;
    download.MURL = kUrl;
    download.MArquivoLocal = local;
    download.MAutoReconectar = in.ConsumeBool();
    download.MVezesAutoReconectar = in.ConsumeIntegralInRange(0, 3);
    download.MTempoAutoReconectar = in.ConsumeIntegralInRange(0, 2);
    download.setPauseUnit(std::chrono::milliseconds(0));
    download.setReportInterval(std::chrono::milliseconds(0));
    download.MProcessMessages = [&download] {
        if (server.requests >= kMaxRequests)
            download.MBaixando = false;
    };
    bool complete = false;
    download.MOnStatus = [&complete](hx::TMHttpGetResume&, const std::string& text) {
        complete = complete || text == "Download concluído com sucesso!" ||
                   text == "Download já efetuado e concluído com sucesso!";
    };
    download.MBaixar();
    checkOutcome(folder, local, complete && !download.MErro(), download.MTamanhoArquivo());
    return 0;
}
