// catalogue [PRODUCT_INDEX]: the online catalogue on the terminal. It runs the panel's own
// procedures, so the thumbnails are fetched into images and deleted again as in the window (a
// refused picture name or an unreachable server fails here as it fails there); there is just no
// picture to show.

#include "cli/Cli.h"
#include "online/Catalogue.h"

namespace hx::cli {
namespace {

int runCatalogue(Context& ctx, const std::vector<std::string>& args)
{
    if (args.size() > 1)
        throw UsageError("catalogue takes at most one product index");
    Catalogue catalogue(ctx.catalogueUrl, ctx.startupFolder, [](const std::string&) {});
    catalogue.open();

    if (args.empty()) {
        const auto& products = catalogue.products().items;
        for (std::size_t i = 0; i < products.size(); ++i)
            std::cout << i << '\t' << products[i] << '\n';
        std::cout.flush();
        return kExitOk;
    }

    const int index = parseIndex(args[0]);
    if (static_cast<std::size_t>(index) >= catalogue.products().items.size())
        throw UsageError("the catalogue has no product " + args[0] + " (it lists " +
                         std::to_string(catalogue.products().items.size()) + ")");
    // Chosen as a user chooses it, product 0 included: its list is fetched anew.
    catalogue.chooseProduct(index);
    const std::vector<LiveryRecord> liveries = parseLiveryList(catalogue.liveryList());
    for (std::size_t i = 0; i < liveries.size(); ++i)
        std::cout << i << '\t' << liveries[i].name << '\t' << liveries[i].archiveUrl << '\t'
                  << liveries[i].thumbnailUrl << '\n';
    std::cout.flush();
    return kExitOk;
}

} // namespace

HX_CLI_COMMAND("catalogue", "[PRODUCT_INDEX]",
               "lists the catalogue's products (index TAB name), or the liveries of one product "
               "(index, name, archive URL, thumbnail URL, tab-separated)",
               runCatalogue);

} // namespace hx::cli
