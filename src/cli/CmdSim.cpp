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

// One line per simulator found; a registry value that cannot be read is named on stderr and
// the others are still listed.
int runSims(Context& ctx, const std::vector<std::string>& args)
{
    if (!args.empty())
        throw UsageError("sims takes no arguments");
    const SimulatorSearch search = findSimulators(*ctx.registry);
    for (const std::string& problem : search.problems)
        std::cerr << problem << '\n';
    for (const FoundSimulator& sim : search.found)
        std::cout << simKindName(sim.kind) << '\t' << sim.root << '\t' << sim.source << '\n';
    std::cout.flush();
    return kExitOk;
}

} // namespace

HX_CLI_COMMAND("sim", "", "prints the simulator kind and its folder, tab-separated", runSim);
HX_CLI_COMMAND("sims", "",
               "lists every simulator found: its kind, its folder and where it was found, "
               "tab-separated",
               runSims);

} // namespace hx::cli
