#include "cli/RemovalSteps.h"

namespace hx::cli {
namespace {

// The removal panel's livery box for one product: "index<TAB>text" per livery. The index is
// what `remove` takes.
int runLiveries(Context& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw UsageError("liveries takes one product");
    RemovalPanel panel;
    if (const int status = chooseProduct(ctx, panel, args[0], "liveries"); status != kExitOk)
        return status;
    const auto& items = panel.liveries().items;
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
