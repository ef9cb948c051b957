#pragma once
// A folder served over HTTP on 127.0.0.1: GET and HEAD with Content-Length, byte ranges clipped
// to the file, an ETag honoured by If-Range, files streamed from disk. It carries the demo's
// catalogue and `hangarix-cli serve`, so makers can try a catalogue before they publish it.

#include <memory>
#include <string>

namespace hx {

class FolderServer {
public:
    // Serves `folder` (which must exist); nothing outside it is reachable.
    explicit FolderServer(const std::string& folder);
    ~FolderServer();
    FolderServer(const FolderServer&) = delete;
    FolderServer& operator=(const FolderServer&) = delete;

    // Serves `text` at the request path `path` ("/hangarix/prod.txt"), in place of any file
    // there. Texts made for this server alone (the demo's catalogue names its own address) live
    // in memory, so several servers of one folder never overwrite each other's. Call it before
    // start().
    void addText(const std::string& path, std::string text);

    // Binds 127.0.0.1 on `port` (0: a free one) and returns the port; throws hx::Error when it
    // cannot.
    int bind(int port = 0);
    // Serves on the calling thread until stop() (from another thread) or the process ends.
    void run();
    // Serves on a thread of its own; stop() or the destructor ends it.
    void start();
    void stop();

    int port() const { return port_; }
    // "http://127.0.0.1:PORT/"
    std::string baseUrl() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int port_ = 0;
};

} // namespace hx
