// fetch URL FILE: one resumable download on its own, as the window's download button runs it.

#include "cli/Cli.h"
#include "online/MHttpGetResume.h"
#include "platform/Console.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>

namespace hx::cli {
namespace {

// The running download, so that Ctrl-C can pause it: clearing the lock-free flag is safe in a
// signal handler, and the transfer stops after the read in progress.
std::atomic<TMHttpGetResume*> gRunning{nullptr};

extern "C" void pauseOnInterrupt(int)
{
    if (TMHttpGetResume* d = gRunning.load())
        d->MBaixando = false;
}

int parseCount(const std::string& option, const std::string& text)
{
    try {
        return parseIndex(text);
    } catch (const UsageError&) {
        throw UsageError(option + " takes a whole number, not " + text);
    }
}

struct FetchOptions {
    std::string url;
    std::string file;
    bool reconnect = false;
    int wait = 15;
    int maximum = 5;
};

FetchOptions parseFetchOptions(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    FetchOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--reconnect")
            options.reconnect = true;
        else if (a == "--reconnect-wait")
            options.wait = parseCount(a, value());
        else if (a == "--reconnect-max")
            options.maximum = parseCount(a, value());
        else if (a.starts_with("--"))
            throw UsageError("unknown option " + a);
        else
            positional.push_back(a);
    }
    if (positional.size() != 2)
        throw UsageError("fetch takes a URL and a FILE");
    options.url = positional[0];
    options.file = positional[1];
    return options;
}

// The figures on one line of a terminal, rewritten at each report; a status line starts on a
// clean line.
class ProgressLine {
public:
    explicit ProgressLine(TMHttpGetResume& d)
    {
        d.MLblRecebido = [this](const std::string& t) { received_ = t; };
        d.MLblTaxaTransferencia = [this](const std::string& t) { rate_ = t; };
        d.MLblTempoRestante = [this](const std::string& t) { left_ = t; };
        d.MOnProgress = [this](TMHttpGetResume&) {
            std::fprintf(stderr, "\r%s  %s  %s   ", received_.c_str(), rate_.c_str(),
                         left_.c_str());
            std::fflush(stderr);
            shown_ = true;
        };
        d.MOnStatus = [this](TMHttpGetResume&, const std::string& text) {
            end();
            std::cout << text << std::endl;
        };
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    void end()
    {
        if (shown_)
            std::fputs("\n", stderr);
        shown_ = false;
    }

private:
    std::string received_, rate_, left_;
    bool shown_ = false;
};

int runFetch(Context&, const std::vector<std::string>& args)
{
    const FetchOptions options = parseFetchOptions(args);
    TMHttpGetResume d;
    d.MURL = options.url;
    d.MArquivoLocal = options.file;
    d.MAutoReconectar = options.reconnect;
    d.MTempoAutoReconectar = options.wait;
    d.MVezesAutoReconectar = options.maximum;
    d.MOnStatus = [](TMHttpGetResume&, const std::string& text) { std::cout << text << std::endl; };

    // The figures go to a terminal only; a script reading stderr gets the errors alone.
    std::optional<ProgressLine> progress;
    if (platform::stderrIsTerminal())
        progress.emplace(d);

    gRunning = &d;
    const auto previous = std::signal(SIGINT, pauseOnInterrupt);
    d.MBaixar();
    std::signal(SIGINT, previous);
    gRunning = nullptr;
    if (progress)
        progress->end();
    return !d.MErro() && d.localFileComplete() ? kExitOk : kExitRefused;
}

} // namespace

HX_CLI_COMMAND("fetch", "URL FILE [--reconnect] [--reconnect-wait S] [--reconnect-max N]",
               "downloads URL into FILE, resuming a partial FILE; status texts on stdout, exit 0 "
               "when FILE is complete",
               runFetch);

} // namespace hx::cli
