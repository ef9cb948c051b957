// download PRODUCT_INDEX LIVERY_INDEX: the catalogue panel's download button. The catalogue is
// opened and the product and the livery are chosen by index as a user chooses them, then the
// download-and-install flow runs: its messages go to stdout; the phases and the percentages go
// to stderr when it is a terminal. Ctrl-C pauses the download (the partial archive stays in
// tempzip and the next run resumes it).

#include "cli/Cli.h"
#include "cli/Terminal.h"
#include "online/Catalogue.h"
#include "online/DownloadFlow.h"
#include "online/MHttpGetResume.h"

#include <atomic>
#include <csignal>
#include <cstdio>

namespace hx::cli {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int)
{
    interrupted = true;
}

class TerminalFeedback : public DownloadFlowFeedback {
public:
    explicit TerminalFeedback(TMHttpGetResume& httpget)
        : httpget_(httpget), terminal_(stderrIsTerminal())
    {
    }

    void showMessage(const std::string& text) override
    {
        endLine();
        std::cout << text << std::endl;
    }
    void hideProgressPanel() override { endLine(); }
    void processEvents() override
    {
        if (interrupted)
            httpget_.MBaixando = false;
    }
    void enterPhase(FlowPhase phase) override
    {
        if (!terminal_)
            return;
        endLine();
        std::string line = phaseText(phase);
        if (const auto cut = line.find("\r\n"); cut != std::string::npos)
            line.replace(cut, 2, " ");
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    void setUnpackMeter(int percent) override
    {
        progress("unzipping " + std::to_string(percent) + "%");
    }
    void setTitles(const std::string&, const std::string& applicationTitle) override
    {
        if (applicationTitle != kApplicationTitle)
            progress(applicationTitle);
    }

private:
    void progress(const std::string& text)
    {
        if (!terminal_)
            return;
        std::fprintf(stderr, "\r%s   ", text.c_str());
        std::fflush(stderr);
        open_ = true;
    }
    void endLine()
    {
        if (open_)
            std::fputc('\n', stderr);
        open_ = false;
    }

    TMHttpGetResume& httpget_;
    bool terminal_;
    bool open_ = false;
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
    TerminalFeedback feedback(httpget);
    httpget.MProcessMessages = [&feedback] { feedback.processEvents(); };
    DownloadFlow flow(httpget, ctx.startupFolder);

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
