#include "cli/Cli.h"
#include "packages/LocalPackageList.h"
#include "packages/PackageInfo.h"
#include "platform/Errors.h"

namespace hx::cli {
namespace {

// The local package list: one line per package in list order with the values the window shows
// for it. A package whose information file cannot be read is listed by its name alone (the
// window lists it too) and the reason goes to stderr; the listing itself still succeeds, so the
// exit status stays 0.
int runPackages(Context& ctx, const std::vector<std::string>& args)
{
    if (!args.empty())
        throw UsageError("packages takes no arguments");
    LocalPackageList list(ctx.startupFolder, [](const std::string&) {});
    list.fill();
    for (const std::string& name : list.items()) {
        try {
            const PackageDescription d = describePackage(list.packageFolder(name));
            std::cout << name << '\t' << d.title << '\t' << d.variation << '\t'
                      << d.productFolderName << '\n';
        } catch (const Error& e) {
            std::cout << name << '\n';
            std::cout.flush();
            std::cerr << name << ": " << errorBoxText(e.what()) << std::endl;
        }
    }
    std::cout.flush();
    return kExitOk;
}

} // namespace

HX_CLI_COMMAND("packages", "",
               "lists the local packages in downloads: name, title, variation and product "
               "folder, tab-separated (an unreadable package: its name alone, the reason on "
               "stderr)",
               runPackages);

} // namespace hx::cli
