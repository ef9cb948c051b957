#include "cli/RemovalSteps.h"

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
    if (const int status = chooseProduct(ctx, panel, args[0], "remove"); status != kExitOk)
        return status;
    if (static_cast<std::size_t>(index) >= panel.liveries().items.size()) {
        std::cerr << "hangarix-cli remove: " << panel.products().selectedText()
                  << " has no livery at index " << index << "\n";
        return kExitRefused;
    }
    panel.selectLivery(index);
    return exitCode(panel.removeSelectedLivery(ctx.sim, ctx.feedback, ctx.history.get()));
}

} // namespace

HX_CLI_COMMAND("remove", "PRODUCT INDEX",
               "removes the livery at INDEX of the product's livery list (see liveries)",
               runRemove);

} // namespace hx::cli
