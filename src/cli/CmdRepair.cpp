#include "aircraftcfg/Check.h"
#include "cli/Cli.h"

namespace hx::cli {
namespace {

int runRepair(Context& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw UsageError("repair takes one product");
    return exitCode(repairProduct(ctx.sim, args[0], ctx.feedback, ctx.history.get()));
}

} // namespace

HX_CLI_COMMAND("repair", "PRODUCT",
               "renumbers the product's entries 0, 1, 2 ... in file order (undo takes it back)",
               runRepair);

} // namespace hx::cli
