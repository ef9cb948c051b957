#pragma once
// The demo: a sandbox start-up folder with an FSX installation holding two of the maker's
// aircraft, sample packages in downloads, and a catalogue served from 127.0.0.1 with preview
// pictures and real ZIP archives, so that every job can be tried on a fresh machine.

#include <memory>
#include <string>

namespace hx {
class FolderServer;
}

namespace hx::app {

struct DemoSandbox {
    std::string folder;        // the start-up folder (absolute)
    std::string simulatorRoot; // the FSX folder inside it
    std::string catalogueUrl;  // base URL of the embedded catalogue server, ending in "/"
    std::shared_ptr<FolderServer> server; // serves until the last copy goes away
};

// Builds the sandbox in `folder` (created when missing; existing files are kept, so a second
// run continues where the first one left off) and starts the catalogue server on a free loopback
// port, serving catalogue texts that point at that server. Several sandboxes may run on one
// folder at once: each serves its own texts and none rewrites the others'.
DemoSandbox startDemo(const std::string& folder);

} // namespace hx::app
