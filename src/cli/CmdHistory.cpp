#include "cli/Cli.h"
#include "history/History.h"

namespace hx::cli {
namespace {

// The recorded changes, newest first: "id<TAB>time<TAB>action<TAB>product<TAB>livery".
int runHistory(Context& ctx, const std::vector<std::string>& args)
{
    if (!args.empty())
        throw UsageError("history takes no arguments");
    for (const ChangeRecord& r : ctx.history->records())
        std::cout << r.id << '\t' << r.time << '\t' << changeActionName(r.action) << '\t'
                  << r.product << '\t' << r.livery << '\n';
    std::cout.flush();
    return kExitOk;
}

} // namespace

HX_CLI_COMMAND("history", "",
               "lists the recorded changes, newest first: id, time (UTC), action, product, livery",
               runHistory);

} // namespace hx::cli
