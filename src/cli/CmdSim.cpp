#include "cli/Cli.h"

namespace hx::cli {
namespace {

int runSim(Context& ctx, const std::vector<std::string>& args)
{
    if (!args.empty())
        throw UsageError("sim takes no arguments");
    std::cout << simKindName(ctx.sim.kind) << '\t' << ctx.sim.root << std::endl;
    return kExitOk;
}

} // namespace

HX_CLI_COMMAND("sim", "", "prints the simulator kind and its folder, tab-separated", runSim);

} // namespace hx::cli
