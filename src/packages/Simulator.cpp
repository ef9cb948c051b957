#include "packages/Simulator.h"

#include "platform/FileSystem.h"

#include <utility>

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

namespace {

std::optional<std::string> readIfKeyOpens(const platform::Registry& registry, const char* key,
                                          const char* value)
{
    if (!registry.keyOpens(key))
        return std::nullopt;
    return registry.readString(key, value);
}

} // namespace

std::optional<std::string> fsxFolder(const platform::Registry& registry)
{
    const std::optional<std::string> classic = readIfKeyOpens(registry, kFsxKey, kFsxValue);
    if (classic && !classic->empty())
        return classic;
    for (const auto& [key, value] : {std::pair{kFsxSteamUserKey, kFsxSteamUserValue},
                                     std::pair{kFsxSteamMachineKey, kFsxSteamMachineValue}}) {
        if (auto path = readIfKeyOpens(registry, key, value); path && !path->empty())
            return path;
    }
    return classic;
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
    if (auto path = fsxFolder(registry)) {
        sim.root = *path;
        sim.kind = SimKind::FSX;
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
    if (chosen == SimKind::FSX) {
        if (auto path = fsxFolder(registry))
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
