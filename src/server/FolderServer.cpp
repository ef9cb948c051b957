#include "server/FolderServer.h"

#include "packages/SafeName.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

#include <httplib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace hx {
namespace {

std::string contentTypeOf(const std::string& name)
{
    const auto dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "txt")
        return "text/plain";
    if (ext == "jpg" || ext == "jpeg")
        return "image/jpeg";
    if (ext == "zip")
        return "application/zip";
    return "application/octet-stream";
}

// The file below `root` that a request path names, or empty when it names none. Every segment
// must be a plain name, so nothing outside the folder is reachable.
std::string fileFor(const std::string& root, const std::string& requestPath)
{
    std::string path = root;
    std::size_t pos = 1;
    while (pos <= requestPath.size()) {
        const auto next = requestPath.find('/', pos);
        const std::string segment =
            requestPath.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
        if (!isPlainName(segment))
            return {};
        path = platform::joinPath(path, segment);
        if (next == std::string::npos)
            break;
        pos = next + 1;
    }
    path = platform::resolvePath(path);
    return platform::fileExists(path) ? path : std::string{};
}

// Rewrites byte ranges as first and last byte within a file of `size` bytes and drops those
// that start past its end; false when none is left (the answer is then 416). The HTTP library
// would otherwise announce a range past the end, or a negative length, as it was asked.
bool satisfiableRanges(httplib::Ranges& ranges, std::int64_t size)
{
    httplib::Ranges kept;
    for (const auto& range : ranges) {
        std::int64_t first = range.first, last = range.second;
        if (first < 0) { // "-N": the last N bytes
            if (last <= 0)
                continue;
            first = std::max<std::int64_t>(0, size - last);
            last = size - 1;
        } else if (last < 0 || last >= size) {
            last = size - 1;
        }
        if (first >= size || last < first)
            continue;
        using Offset = httplib::Ranges::value_type::first_type;
        kept.emplace_back(static_cast<Offset>(first), static_cast<Offset>(last));
    }
    ranges = std::move(kept);
    return !ranges.empty();
}

void serveFile(const std::string& root, const httplib::Request& req, httplib::Response& res)
{
    const std::string path = fileFor(root, req.path);
    if (path.empty()) {
        res.status = 404;
        res.set_content("Not found\n", "text/plain");
        return;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    const auto stamp = std::filesystem::last_write_time(path, ec).time_since_epoch().count();
    const std::string etag = "\"" + std::to_string(size) + "-" + std::to_string(stamp) + "\"";
    res.set_header("ETag", etag);
    res.set_header("Accept-Ranges", "bytes");
    auto& ranges = const_cast<httplib::Request&>(req).ranges;
    // A range made against another version of the file gets the whole file.
    if (req.has_header("If-Range") && req.get_header_value("If-Range") != etag)
        ranges.clear();
    if (!ranges.empty() && !satisfiableRanges(ranges, static_cast<std::int64_t>(size))) {
        ranges.clear();
        res.status = 416;
        res.set_header("Content-Range", "bytes */" + std::to_string(size));
        return;
    }
    auto in = std::make_shared<std::ifstream>(path, std::ios::binary);
    res.set_content_provider(static_cast<size_t>(size), contentTypeOf(path),
                             [in](size_t offset, size_t length, httplib::DataSink& sink) {
                                 char buffer[64 * 1024];
                                 in->seekg(static_cast<std::streamoff>(offset));
                                 while (length > 0) {
                                     const auto n = std::min(length, sizeof buffer);
                                     if (!in->read(buffer, static_cast<std::streamsize>(n)))
                                         return false;
                                     if (!sink.write(buffer, n))
                                         return false;
                                     length -= n;
                                 }
                                 return true;
                             });
}

} // namespace

struct FolderServer::Impl {
    httplib::Server http;
    std::thread thread;
    std::map<std::string, std::string> texts; // request path -> text, set before start()
};

FolderServer::FolderServer(const std::string& folder) : impl_(std::make_unique<Impl>())
{
    const std::string root = platform::resolvePath(folder);
    if (!platform::folderExists(root))
        throw Error("no such folder: " + folder);
    Impl* impl = impl_.get();
    impl_->http.Get(R"(/.*)", [root, impl](const httplib::Request& req, httplib::Response& res) {
        if (const auto text = impl->texts.find(req.path); text != impl->texts.end())
            res.set_content(text->second, contentTypeOf(req.path));
        else
            serveFile(root, req, res);
    });
}

void FolderServer::addText(const std::string& path, std::string text)
{
    impl_->texts[path] = std::move(text);
}

FolderServer::~FolderServer()
{
    stop();
}

int FolderServer::bind(int port)
{
    if (port == 0)
        port = impl_->http.bind_to_any_port("127.0.0.1");
    else if (!impl_->http.bind_to_port("127.0.0.1", port))
        port = -1;
    if (port <= 0)
        throw Error(std::string("cannot listen on 127.0.0.1") +
                    (port < 0 ? "" : " (no free port)"));
    port_ = port;
    return port_;
}

void FolderServer::run()
{
    impl_->http.listen_after_bind();
}

void FolderServer::start()
{
    impl_->thread = std::thread([this] { run(); });
    while (!impl_->http.is_running())
        std::this_thread::yield();
}

void FolderServer::stop()
{
    impl_->http.stop();
    if (impl_->thread.joinable())
        impl_->thread.join();
}

std::string FolderServer::baseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

} // namespace hx
