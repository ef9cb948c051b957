#include "startup/Startup.h"

#include "history/ChangeLock.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace hx {

Startup startUp(const platform::Registry& registry, std::optional<SimKind> chosen)
{
    Startup start;
    start.folder = platform::currentFolder();
    start.history = std::make_unique<History>(start.folder);
    // What a killed process left unfinished is taken back or completed before anything else.
    recoverHistory(*start.history);
    try {
        start.sim =
            chosen ? simulatorChosen(registry, *chosen, Simulator{}) : startupLookup(registry);
    } catch (const Error& e) {
        start.lookupError = e.what(); // start.sim stays None
    }
    return start;
}

} // namespace hx
