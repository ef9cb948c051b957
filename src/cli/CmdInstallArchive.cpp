// install-archive FILE...: ZIP archives as they were downloaded, installed as the download
// button installs its archive (the window does the same with archives dropped on it). The files
// are only read.

#include "cli/Cli.h"
#include "cli/TerminalFeedback.h"
#include "online/DownloadFlow.h"
#include "online/MHttpGetResume.h"

namespace hx::cli {
namespace {

int runInstallArchive(Context& ctx, const std::vector<std::string>& args)
{
    if (args.empty())
        throw UsageError("install-archive takes one or more archive files");
    TMHttpGetResume httpget; // the flow's download component, not used here
    TerminalFeedback feedback(ctx.feedback.skipInstalled);
    DownloadFlow flow(httpget, ctx.startupFolder, ctx.history.get());
    const Simulator sim = ctx.sim;
    return exitCode(flow.installArchives(
        args, [&sim] { return sim; }, feedback));
}

} // namespace

HX_CLI_COMMAND("install-archive", "FILE...",
               "unpacks each livery archive (.zip) into templiv and installs every package in it",
               runInstallArchive);

} // namespace hx::cli
