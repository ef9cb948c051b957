// serve DIR: a folder over HTTP on 127.0.0.1, with HEAD, byte ranges and validators, for demos,
// tests and makers who want to try a catalogue locally.

#include "cli/Cli.h"
#include "platform/Errors.h"
#include "server/FolderServer.h"

namespace hx::cli {
namespace {

int runServe(Context&, const std::vector<std::string>& args)
{
    std::string folder;
    int port = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port") {
            if (i + 1 >= args.size())
                throw UsageError("--port needs a value");
            port = parseIndex(args[++i]);
            if (port > 65535)
                throw UsageError("not a port: " + args[i]);
        } else if (folder.empty()) {
            folder = args[i];
        } else {
            throw UsageError("serve takes one folder");
        }
    }
    if (folder.empty())
        throw UsageError("serve needs a folder");
    try {
        FolderServer server(folder);
        server.bind(port);
        std::cout << server.baseUrl() << std::endl;
        server.run();
    } catch (const Error& e) {
        std::cerr << e.what() << "\n";
        return kExitError;
    }
    return kExitOk;
}

} // namespace

HX_CLI_COMMAND("serve", "DIR [--port N]",
               "serves DIR over HTTP on 127.0.0.1 (HEAD, byte ranges) and prints its base URL; "
               "runs until killed",
               runServe);

} // namespace hx::cli
