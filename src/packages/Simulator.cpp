#include "packages/Simulator.h"

#include "platform/FileSystem.h"

namespace hx {

const char* simKindName(SimKind kind)
{
    switch (kind) {
    case SimKind::FS9:
        return "FS9";
    case SimKind::FSX:
        return "FSX";
    default:
        return "None";
    }
}

Simulator startupLookup(const platform::Registry& registry)
{
    Simulator sim;
    if (registry.keyOpens(kFs9Key)) {
        if (auto path = registry.readString(kFs9Key, kFs9Value)) {
            sim.root = *path;
            sim.kind = SimKind::FS9;
        }
        return sim; // FSX is not tried once FS9's key opens
    }
    if (registry.keyOpens(kFsxKey)) {
        if (auto path = registry.readString(kFsxKey, kFsxValue)) {
            sim.root = *path;
            sim.kind = SimKind::FSX;
        }
    }
    return sim;
}

Simulator simulatorChosen(const platform::Registry& registry, SimKind chosen,
                          const Simulator& current)
{
    Simulator sim{chosen, current.root};
    if (chosen == SimKind::FS9 && registry.keyOpens(kFs9Key)) {
        if (auto path = registry.readString(kFs9Key, kFs9Value))
            sim.root = *path;
    }
    if (chosen == SimKind::FSX && registry.keyOpens(kFsxKey)) {
        if (auto path = registry.readString(kFsxKey, kFsxValue))
            sim.root = *path;
    }
    return sim;
}

std::optional<std::string> aircraftBaseFolder(const Simulator& sim)
{
    constexpr char s = platform::kSeparator;
    switch (sim.kind) {
    case SimKind::FS9:
        return sim.root + s + "Aircraft" + s;
    case SimKind::FSX:
        return sim.root + s + "SimObjects" + s + "Airplanes" + s;
    default:
        return std::nullopt;
    }
}

} // namespace hx
