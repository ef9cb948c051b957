#include "aircraftcfg/Removal.h"
#include "cli/Cli.h"

namespace hx::cli {
namespace {

// The removal panel's livery box for one product: "index<TAB>text" per livery. The index is
// what `remove` takes.
int runLiveries(Context& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw UsageError("liveries takes one product");
    RemovalPanel panel;
    if (!panel.openPanel(ctx.sim, ctx.feedback))
        return kExitRefused;
    const int product = panel.cb3().indexOf(args[0]);
    if (product < 0) {
        std::cerr << "hangarix-cli liveries: " << args[0] << " is not an installed product\n";
        return kExitRefused;
    }
    const Outcome outcome = panel.productChosen(ctx.sim, product, ctx.feedback);
    if (outcome != Outcome::Completed)
        return exitCode(outcome);
    const auto& items = panel.cb4().items;
    for (std::size_t i = 0; i < items.size(); ++i)
        std::cout << i << '\t' << items[i] << '\n';
    std::cout.flush();
    return kExitOk;
}

} // namespace

HX_CLI_COMMAND("liveries", "PRODUCT",
               "lists the liveries of an installed product: index, a tab, the livery's name",
               runLiveries);

} // namespace hx::cli
