// unpack ARCHIVE DIR: the download flow's extractor on its own, with every safety check, so a
// maker can try an archive before publishing it.

#include "archive/ZipExtractor.h"
#include "cli/Cli.h"
#include "platform/Console.h"

#include <cstdio>

namespace hx::cli {
namespace {

int runUnpack(Context&, const std::vector<std::string>& args)
{
    if (args.size() != 2)
        throw UsageError("unpack takes ARCHIVE and DIR");
    ZipExtractor extractor;
    const bool terminal = platform::stderrIsTerminal();
    if (terminal)
        extractor.setMeter([](const ZipProgress& p) {
            std::fprintf(stderr, "\runzipping %3d%%", p.percent);
            std::fflush(stderr);
        });
    try {
        const ZipSummary summary = extractor.extractAll(args[0], args[1]);
        if (terminal)
            std::fputc('\n', stderr);
        std::cout << summary.files << " files, " << summary.folders << " folders, " << summary.bytes
                  << " bytes" << std::endl;
        return kExitOk;
    } catch (const Error& e) { // refused, damaged, or the disk or memory failed
        if (terminal)
            std::fputc('\n', stderr);
        std::cerr << e.what() << std::endl;
        return kExitError;
    }
}

} // namespace

HX_CLI_COMMAND("unpack", "ARCHIVE DIR",
               "unpacks a livery archive into DIR with the download's checks; 2 when refused",
               runUnpack);

} // namespace hx::cli
