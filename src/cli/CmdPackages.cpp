#include "aircraftcfg/Installation.h"
#include "cli/Cli.h"
#include "packages/LocalPackageList.h"
#include "packages/PackageInfo.h"
#include "platform/Errors.h"

namespace hx::cli {
namespace {

// The local package list: one line per package in list order with the values the window shows
// for it, and "installed as [fltsim.N]" for one already installed in the simulator. A package whose
// information file cannot be read is listed by its name alone (the window lists it too) and the
// reason goes to stderr; the listing itself still succeeds, so the exit status stays 0.
int runPackages(Context& ctx, const std::vector<std::string>& args)
{
    if (!args.empty())
        throw UsageError("packages takes no arguments");
    LocalPackageList list(ctx.startupFolder, [](const std::string&) {});
    list.fill();
    const std::vector<std::optional<std::size_t>> installed = installedPackages(list, ctx.sim);
    for (std::size_t i = 0; i < list.items().size(); ++i) {
        const std::string& name = list.items()[i];
        try {
            const PackageDescription d = describePackage(list.packageFolder(name));
            std::cout << name << '\t' << d.title << '\t' << d.variation << '\t'
                      << d.productFolderName;
            if (installed[i])
                std::cout << "\tinstalled as [fltsim." << *installed[i] << ']';
            std::cout << '\n';
        } catch (const Error& e) {
            std::cout << name << '\n';
            std::cout.flush();
            std::cerr << name << ": " << errorBoxText(e.what()) << std::endl;
        }
    }
    std::cout.flush();
    return kExitOk;
}

} // namespace

HX_CLI_COMMAND("packages", "",
               "lists the local packages in downloads: name, title, variation and product "
               "folder, tab-separated, then \"installed as [fltsim.N]\" when it is (an "
               "unreadable package: its name alone, the reason on stderr)",
               runPackages);

} // namespace hx::cli
