// Outside Windows the machine's registry is the one of the Wine prefix the user runs the
// simulators in: $WINEPREFIX, else ~/.wine.

#include "platform/Registry.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace hx::platform {

namespace {

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return ".";
}

} // namespace

std::unique_ptr<Registry> openMachineRegistry()
{
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix && *prefix)
        return openWineRegistry(prefix);
    return openWineRegistry(homeFolder() + "/.wine");
}

} // namespace hx::platform
