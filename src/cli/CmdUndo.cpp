#include "cli/Cli.h"
#include "history/History.h"

#include <string>

namespace hx::cli {
namespace {

// Undoes the newest change, or change ID and every later change of the same aircraft.
int runUndo(Context& ctx, const std::vector<std::string>& args)
{
    if (args.size() > 1)
        throw UsageError("undo takes at most one change id");
    std::optional<std::uint64_t> id;
    if (!args.empty())
        id = static_cast<std::uint64_t>(parseIndex(args[0]));
    const UndoResult result = ctx.history->undo(id);
    ctx.feedback.showMessage(result.message);
    return result.undone ? kExitOk : kExitRefused;
}

} // namespace

HX_CLI_COMMAND("undo", "[ID]",
               "undoes the newest change, or change ID and every later change of that aircraft; "
               "refused when aircraft.cfg was changed since",
               runUndo);

} // namespace hx::cli
