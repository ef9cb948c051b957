// fetch URL FILE: one resumable download on its own, as the window's download button runs it.

#include "cli/Cli.h"
#include "cli/Terminal.h"
#include "online/MHttpGetResume.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <csignal>
#include <cstdio>

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

int runFetch(Context&, const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    bool reconnect = false;
    int wait = 15, maximum = 5;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--reconnect")
            reconnect = true;
        else if (a == "--reconnect-wait")
            wait = parseCount(a, value());
        else if (a == "--reconnect-max")
            maximum = parseCount(a, value());
        else if (a.starts_with("--"))
            throw UsageError("unknown option " + a);
        else
            positional.push_back(a);
    }
    if (positional.size() != 2)
        throw UsageError("fetch takes a URL and a FILE");

    TMHttpGetResume d;
    d.MURL = positional[0];
    d.MArquivoLocal = positional[1];
    d.MAutoReconectar = reconnect;
    d.MTempoAutoReconectar = wait;
    d.MVezesAutoReconectar = maximum;
    d.MOnStatus = [](TMHttpGetResume&, const std::string& text) { std::cout << text << std::endl; };

    // The figures go to a terminal only; a script reading stderr gets the errors alone.
    const bool terminal = stderrIsTerminal();
    std::string received, rate, left;
    bool progressShown = false;
    if (terminal) {
        d.MLblRecebido = [&](const std::string& t) { received = t; };
        d.MLblTaxaTransferencia = [&](const std::string& t) { rate = t; };
        d.MLblTempoRestante = [&](const std::string& t) { left = t; };
        d.MOnProgress = [&](TMHttpGetResume&) {
            std::fprintf(stderr, "\r%s  %s  %s   ", received.c_str(), rate.c_str(), left.c_str());
            std::fflush(stderr);
            progressShown = true;
        };
        // A status line starts on a clean line.
        d.MOnStatus = [&](TMHttpGetResume&, const std::string& text) {
            if (progressShown) {
                std::fputs("\n", stderr);
                progressShown = false;
            }
            std::cout << text << std::endl;
        };
    }

    gRunning = &d;
    const auto previous = std::signal(SIGINT, pauseOnInterrupt);
    d.MBaixar();
    std::signal(SIGINT, previous);
    gRunning = nullptr;
    if (progressShown)
        std::fputs("\n", stderr);

    const std::string path = platform::resolvePath(d.MArquivoLocal);
    const bool complete =
        !d.MErro() && platform::fileExists(path) &&
        static_cast<std::int64_t>(platform::fileSize(path)) == d.MTamanhoArquivo();
    return complete ? kExitOk : kExitRefused;
}

} // namespace

HX_CLI_COMMAND("fetch", "URL FILE [--reconnect] [--reconnect-wait S] [--reconnect-max N]",
               "downloads URL into FILE, resuming a partial FILE; status texts on stdout, exit 0 "
               "when FILE is complete",
               runFetch);

} // namespace hx::cli
