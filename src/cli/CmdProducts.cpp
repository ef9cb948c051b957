#include "aircraftcfg/Removal.h"
#include "cli/Cli.h"

namespace hx::cli {
namespace {

// The removal panel's product box: the maker's aircraft installed in the simulator.
int runProducts(Context& ctx, const std::vector<std::string>& args)
{
    if (!args.empty())
        throw UsageError("products takes no arguments");
    RemovalPanel panel;
    if (!panel.openPanel(ctx.sim, ctx.feedback))
        return kExitRefused;
    for (const std::string& product : panel.products().items)
        std::cout << product << '\n';
    std::cout.flush();
    return kExitOk;
}

} // namespace

HX_CLI_COMMAND("products", "", "lists the installed products, one per line, in list order",
               runProducts);

} // namespace hx::cli
