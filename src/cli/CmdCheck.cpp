#include "aircraftcfg/Check.h"
#include "cli/Cli.h"

namespace hx::cli {
namespace {

// One line per problem found in the product's aircraft.cfg and texture folders; exit 0 when
// clean, 1 when something was found.
int runCheck(Context& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw UsageError("check takes one product");
    return exitCode(checkProduct(ctx.sim, args[0], ctx.feedback, ctx.history.get()));
}

} // namespace

HX_CLI_COMMAND("check", "PRODUCT",
               "reports what makes the product's liveries vanish or break in the simulator, one "
               "line each; exit 1 when something was found",
               runCheck);

} // namespace hx::cli
