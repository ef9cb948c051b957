#pragma once
// The start-up that the window and hangarix-cli share. Each front end first enters its start-up
// folder (enterStartupFolder) and sets the change notice (setChangeNotice), then calls startUp:
// the folder is recorded, its history opened and recovered, the simulator looked up. The history
// it returns is the one the front end hands to every procedure that changes an aircraft.

#include "history/History.h"
#include "packages/Simulator.h"

#include <memory>
#include <optional>
#include <string>

namespace hx {

namespace platform {
class Registry;
}

struct Startup {
    std::string folder;               // the current folder, without a trailing separator
    std::unique_ptr<History> history; // in that folder, recovered
    Simulator sim;                    // the registry's proposal, or the chosen kind's
    // The registry's error when the look-up failed (sim is then None); the window shows it in
    // its error box, the CLI prints it and goes on.
    std::string lookupError;
};

// `chosen`: the kind the user asked for instead of the registry's proposal (hangarix-cli --sim);
// its root then follows the registry as when it is picked in the window's list.
Startup startUp(const platform::Registry& registry, std::optional<SimKind> chosen = std::nullopt);

} // namespace hx
