// hangarix-cli: the tool's jobs without a window.

#include "cli/Cli.h"
#include "history/ChangeLock.h"
#include "online/CatalogueUrl.h"
#include "packages/WorkingFolders.h"
#include "platform/AsciiCase.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "startup/Startup.h"

#include <Version.h>

#include <algorithm>
#include <cstring>

namespace hx::cli {

namespace {

std::vector<Command>& registry()
{
    static std::vector<Command> list;
    return list;
}

void printUsage(std::ostream& out)
{
    out << "usage: hangarix-cli [-C DIR] [--sim KIND] [--root PATH] [--skip-installed]"
           " [--catalogue-url URL]"
           " COMMAND [ARGS]\n\n"
           "  -C, --workdir DIR     start-up folder holding downloads, tempzip, templiv, images\n"
           "  --sim KIND            simulator: none, fs9, fsx, p3d1 ... p3d6 (default: the\n"
           "                        registry's, as the window proposes; `sims` lists them)\n"
           "  --root PATH           simulator folder (default: the registry's)\n"
           "  --skip-installed      leave a livery that is installed already alone instead of\n"
           "                        installing another copy (install --all always does)\n"
           "  --catalogue-url URL   base URL of the online catalogue\n"
           "  --version             print the version and exit\n\ncommands:\n";
    std::vector<Command> sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const Command& c : sorted)
        out << "  " << c.name << (*c.usage ? " " : "") << c.usage << "\n      " << c.summary
            << "\n";
}

} // namespace

CommandRegistrar::CommandRegistrar(const Command& command)
{
    registry().push_back(command);
}

const std::vector<Command>& commands()
{
    return registry();
}

int parseIndex(const std::string& text)
{
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        throw UsageError("not an index: " + text);
    return std::stoi(text);
}

namespace {

// The options before the command's name.
struct GlobalOptions {
    std::string workdir;
    std::optional<SimKind> simKind;
    std::optional<std::string> root;
    bool skipInstalled = false;
    std::string catalogueUrl = kDefaultCatalogueBaseUrl;
    bool help = false;
    bool version = false;
    std::size_t command = 0; // the index of the command's name in the arguments
};

GlobalOptions parseGlobalOptions(const std::vector<std::string>& args)
{
    GlobalOptions options;
    std::size_t& i = options.command;
    auto value = [&](const std::string& option) -> std::string {
        if (i + 1 >= args.size())
            throw UsageError(option + " needs a value");
        return args[++i];
    };
    for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
        const std::string& a = args[i];
        if (a == "-C" || a == "--workdir")
            options.workdir = value(a);
        else if (a == "--sim") {
            options.simKind = parseSimKind(value(a));
            if (!options.simKind)
                throw UsageError("--sim takes none, fs9, fsx or p3d1 to p3d6");
        } else if (a == "--root")
            options.root = value(a);
        else if (a == "--skip-installed")
            options.skipInstalled = true;
        else if (a == "--catalogue-url")
            options.catalogueUrl = value(a);
        else if (a == "-h" || a == "--help") {
            options.help = true;
            return options;
        } else if (a == "--version") {
            options.version = true;
            return options;
        } else
            throw UsageError("unknown option " + a);
    }
    return options;
}

const Command& findCommand(const std::string& name)
{
    const auto& list = commands();
    const auto command =
        std::find_if(list.begin(), list.end(), [&](const Command& c) { return name == c.name; });
    if (command == list.end())
        throw UsageError("unknown command " + name);
    return *command;
}

// The window's start-up, in the start-up folder already entered. A registry error ends the
// look-up as it ends the window's step, and the command runs on without a simulator.
Context startUpCli(const GlobalOptions& options)
{
    Context ctx;
    ctx.catalogueUrl = options.catalogueUrl;
    ctx.feedback.skipInstalled = options.skipInstalled;
    ctx.registry = platform::openMachineRegistry();
    Startup start = startUp(*ctx.registry, options.simKind);
    if (!start.lookupError.empty())
        std::cerr << errorBoxText(start.lookupError) << "\n";
    ctx.startupFolder = std::move(start.folder);
    ctx.history = std::move(start.history);
    ctx.sim = std::move(start.sim);
    if (options.root)
        ctx.sim.root = *options.root;
    return ctx;
}

} // namespace

int run(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const GlobalOptions options = parseGlobalOptions(args);
    if (options.help) {
        printUsage(std::cout);
        std::cout << "\n" << startupFolderHelp(options.workdir);
        return kExitOk;
    }
    if (options.version) {
        std::cout << "hangarix-cli " << kVersion << "\n";
        return kExitOk;
    }
    if (options.command >= args.size())
        throw UsageError("no command given");
    const Command& command = findCommand(args[options.command]);
    const std::vector<std::string> commandArgs(
        args.begin() + static_cast<long>(options.command) + 1, args.end());

    try {
        enterStartupFolder(options.workdir);
    } catch (const Error& e) {
        std::cerr << e.what() << "\n";
        return kExitError;
    }

    setChangeNotice([](const std::string& line) { std::cerr << line << std::endl; });
    struct Deactivate {
        ~Deactivate() { setChangeNotice(nullptr); }
    } deactivate;
    // Every change the command makes is recorded in the start-up folder's history.
    Context ctx = startUpCli(options);
    try {
        return command.run(ctx, commandArgs);
    } catch (const UsageError& e) {
        std::cerr << "hangarix-cli " << command.name << ": " << e.what() << "\nusage: hangarix-cli "
                  << command.name << " " << command.usage << "\n";
        return kExitError;
    }
}

} // namespace hx::cli

int main(int argc, char** argv)
{
    try {
        return hx::cli::run(argc, argv);
    } catch (const hx::cli::UsageError& e) {
        std::cerr << "hangarix-cli: " << e.what() << "\n";
        hx::cli::printUsage(std::cerr);
        return hx::cli::kExitError;
    } catch (const std::exception& e) {
        std::cerr << hx::errorBoxText(e.what()) << "\n";
        return hx::cli::kExitError;
    }
}
