// download PRODUCT_INDEX LIVERY_INDEX: the catalogue panel's download button. The catalogue is
// opened and the product and the livery are chosen by index as a user chooses them, then the
// download-and-install flow runs: its messages go to stdout; the phases and the percentages go
// to stderr when it is a terminal. Ctrl-C pauses the download (the partial archive stays in
// tempzip and the next run resumes it).

#include "cli/Cli.h"
#include "cli/TerminalFeedback.h"
#include "online/Catalogue.h"
#include "online/DownloadFlow.h"
#include "online/MHttpGetResume.h"

#include <atomic>
#include <csignal>

namespace hx::cli {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int)
{
    interrupted = true;
}

// The flow's lines, and Ctrl-C pausing the download.
class DownloadFeedback : public TerminalFeedback {
public:
    DownloadFeedback(TMHttpGetResume& httpget, bool skipInstalled)
        : TerminalFeedback(skipInstalled), httpget_(httpget)
    {
    }
    void processEvents() override
    {
        if (interrupted)
            httpget_.MBaixando = false;
    }

private:
    TMHttpGetResume& httpget_;
};

int runDownload(Context& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 2)
        throw UsageError("download takes PRODUCT_INDEX and LIVERY_INDEX");
    const int product = parseIndex(args[0]);
    const int livery = parseIndex(args[1]);

    Catalogue catalogue(ctx.catalogueUrl, ctx.startupFolder, [](const std::string&) {});
    catalogue.open();
    if (static_cast<std::size_t>(product) >= catalogue.products().items.size())
        throw UsageError("the catalogue has no product " + args[0] + " (it lists " +
                         std::to_string(catalogue.products().items.size()) + ")");
    catalogue.chooseProduct(product);
    if (static_cast<std::size_t>(livery) >= catalogue.liveries().items.size())
        throw UsageError("product " + args[0] + " has no livery " + args[1] + " (it lists " +
                         std::to_string(catalogue.liveries().items.size()) + ")");
    catalogue.chooseLivery(livery);

    TMHttpGetResume httpget;
    DownloadFeedback feedback(httpget, ctx.feedback.skipInstalled);
    httpget.MProcessMessages = [&feedback] { feedback.processEvents(); };
    DownloadFlow flow(httpget, ctx.startupFolder, ctx.history.get());

    interrupted = false;
    const auto previous = std::signal(SIGINT, onInterrupt);
    const Outcome outcome =
        flow.downloadAndInstall(catalogue.selectedArchiveUrl(), ctx.sim, feedback);
    std::signal(SIGINT, previous);
    return exitCode(outcome);
}

} // namespace

HX_CLI_COMMAND("download", "PRODUCT_INDEX LIVERY_INDEX",
               "downloads a livery of the online catalogue, unpacks it and installs its packages",
               runDownload);

} // namespace hx::cli
