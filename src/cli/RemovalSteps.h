#pragma once
// The first steps of the removal panel, shared by the commands that work on one installed
// product: open the panel, then pick the product as the user does, which lists its liveries.

#include "aircraftcfg/Removal.h"
#include "cli/Cli.h"

namespace hx::cli {

// kExitOk once `product` is chosen and its liveries are listed in panel.liveries(); otherwise the
// exit status to end `command` with (after a refusal message, or a product that is not
// installed, reported on stderr).
inline int chooseProduct(Context& ctx, RemovalPanel& panel, const std::string& product,
                         const char* command)
{
    if (!panel.openPanel(ctx.sim, ctx.feedback))
        return kExitRefused;
    const int index = panel.products().indexOf(product);
    if (index < 0) {
        std::cerr << "hangarix-cli " << command << ": " << product
                  << " is not an installed product\n";
        return kExitRefused;
    }
    return exitCode(panel.productChosen(ctx.sim, index, ctx.feedback));
}

} // namespace hx::cli
