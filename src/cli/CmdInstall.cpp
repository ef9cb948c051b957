#include "aircraftcfg/Installation.h"
#include "cli/Cli.h"
#include "packages/LocalPackageList.h"
#include "platform/Errors.h"

#include <algorithm>

namespace hx::cli {
namespace {

// The install button. "install PACKAGE" picks that package in the list first, as the user
// would; a name that is not listed leaves nothing selected. "install --all" is the button with
// "Select all liveries" ticked.
int runInstall(Context& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw UsageError("install takes one package name or --all");
    LocalPackageList list(ctx.startupFolder, [](const std::string&) {});
    list.fill();
    const bool all = args[0] == "--all";
    if (!all) {
        const auto& items = list.items();
        const auto it = std::find(items.begin(), items.end(), args[0]);
        if (it != items.end()) {
            // The window shows a failed showing in its error box and stays open; the install
            // that follows decides for itself.
            try {
                list.choose(static_cast<int>(it - items.begin()));
            } catch (const Error& e) {
                std::cerr << errorBoxText(e.what()) << std::endl;
            }
        }
    }
    return exitCode(installPackages(list, all, ctx.sim, ctx.feedback, ctx.history.get()));
}

} // namespace

HX_CLI_COMMAND("install", "PACKAGE|--all",
               "installs the local package of that name, or every local package in list order",
               runInstall);

} // namespace hx::cli
