#include "aircraftcfg/Removal.h"
#include "cli/Cli.h"

namespace hx::cli {
namespace {

// The removal panel's steps in the window's order: open the panel, pick the product (which lists
// its liveries), pick the livery, press Remove.
int runRemove(Context& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 2)
        throw UsageError("remove takes a product and a livery index");
    const int index = parseIndex(args[1]);
    RemovalPanel panel;
    if (!panel.openPanel(ctx.sim, ctx.feedback))
        return kExitRefused;
    const int product = panel.cb3().indexOf(args[0]);
    if (product < 0) {
        std::cerr << "hangarix-cli remove: " << args[0] << " is not an installed product\n";
        return kExitRefused;
    }
    const Outcome listed = panel.productChosen(ctx.sim, product, ctx.feedback);
    if (listed != Outcome::Completed)
        return exitCode(listed);
    if (static_cast<std::size_t>(index) >= panel.cb4().items.size()) {
        std::cerr << "hangarix-cli remove: " << panel.cb3().selectedText()
                  << " has no livery at index " << index << "\n";
        return kExitRefused;
    }
    panel.selectLivery(index);
    return exitCode(panel.removeSelectedLivery(ctx.sim, ctx.feedback));
}

} // namespace

HX_CLI_COMMAND("remove", "PRODUCT INDEX",
               "removes the livery at INDEX of the product's livery list (see liveries)",
               runRemove);

} // namespace hx::cli
