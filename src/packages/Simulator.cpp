#include "packages/Simulator.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <utility>

namespace hx {

namespace {

struct KindNames {
    const char* name;
    const char* title;
    const char* option;
};

constexpr std::array<KindNames, 9> kKindNames{{
    {"None", "None", "none"},
    {"FS9", "FS9", "fs9"},
    {"FSX", "FSX", "fsx"},
    {"P3D1", "Prepar3D", "p3d1"},
    {"P3D2", "Prepar3D v2", "p3d2"},
    {"P3D3", "Prepar3D v3", "p3d3"},
    {"P3D4", "Prepar3D v4", "p3d4"},
    {"P3D5", "Prepar3D v5", "p3d5"},
    {"P3D6", "Prepar3D v6", "p3d6"},
}};
static_assert(kKindNames.size() == static_cast<std::size_t>(kLastSimKind) + 1);

const KindNames& namesOf(SimKind kind)
{
    const auto i = static_cast<std::size_t>(kind);
    return kKindNames[i < kKindNames.size() ? i : 0];
}

int p3dVersion(SimKind kind)
{
    return static_cast<int>(kind) - static_cast<int>(SimKind::P3D1) + 1;
}

// Where one simulator records its folder. Prepar3D writes its machine key in the view of its
// own program (v1 to v3 are 32-bit, v4 and later 64-bit) and AppPath for the current user.
struct Source {
    std::string key;
    const char* value;
    platform::RegistryView view = platform::RegistryView::Bits32;
};

std::vector<Source> sourcesOf(SimKind kind)
{
    using platform::RegistryView;
    switch (kind) {
    case SimKind::None:
        return {};
    case SimKind::FS9:
        return {{kFs9Key, kFs9Value}};
    case SimKind::FSX:
        return {{kFsxKey, kFsxValue},
                {kFsxSteamUserKey, kFsxSteamUserValue},
                {kFsxSteamMachineKey, kFsxSteamMachineValue}};
    default: {
        const int version = p3dVersion(kind);
        const std::string product =
            std::string("Software\\Lockheed Martin\\") + namesOf(kind).title;
        return {{product, "SetupPath", version >= 4 ? RegistryView::Bits64 : RegistryView::Bits32},
                {std::string(platform::kCurrentUserPrefix) + product, "AppPath",
                 version >= 4 ? RegistryView::Bits64 : RegistryView::Bits32}};
    }
    }
}

std::optional<std::string>
readIfKeyOpens(const platform::Registry& registry, const std::string& key, const char* value,
               platform::RegistryView view = platform::RegistryView::Bits32)
{
    if (!registry.keyOpens(key, view))
        return std::nullopt;
    return registry.readString(key, value, view);
}

std::optional<std::string> readSource(const platform::Registry& registry, const Source& source)
{
    return readIfKeyOpens(registry, source.key, source.value, source.view);
}

// The first folder that one of the kind's sources names, in their order.
std::optional<std::string> firstFolder(const platform::Registry& registry, SimKind kind)
{
    for (const Source& source : sourcesOf(kind))
        if (auto path = readSource(registry, source); path && !path->empty())
            return path;
    return std::nullopt;
}

std::string describe(const Source& source)
{
    std::string rest;
    const bool user = platform::isCurrentUserKey(source.key, rest);
    return (user ? source.key : "HKEY_LOCAL_MACHINE\\" + source.key) + "\\" + source.value +
           (source.view == platform::RegistryView::Bits64 ? " (64-bit view)" : " (32-bit view)");
}

// The same folder for the same simulator, however its letters or its last separator differ.
bool sameFolder(std::string a, std::string b)
{
    for (std::string* s : {&a, &b})
        while (s->size() > 1 && (s->back() == '\\' || s->back() == '/'))
            s->pop_back();
    return platform::equalsIgnoringCase(a, b);
}

} // namespace

const char* simKindName(SimKind kind)
{
    return namesOf(kind).name;
}

const char* simKindTitle(SimKind kind)
{
    return namesOf(kind).title;
}

std::optional<SimKind> parseSimKind(const std::string& text)
{
    for (std::size_t i = 0; i < kKindNames.size(); ++i)
        if (platform::equalsIgnoringCase(text, kKindNames[i].option))
            return static_cast<SimKind>(i);
    return std::nullopt;
}

bool installsLikeFsx(SimKind kind)
{
    return kind >= SimKind::FSX && kind <= kLastSimKind;
}

SimulatorSearch findSimulators(const platform::Registry& registry)
{
    SimulatorSearch search;
    for (int k = static_cast<int>(SimKind::FS9); k <= static_cast<int>(kLastSimKind); ++k) {
        const auto kind = static_cast<SimKind>(k);
        for (const Source& source : sourcesOf(kind)) {
            std::optional<std::string> root;
            try {
                root = readSource(registry, source);
            } catch (const RegistryError& e) {
                search.problems.push_back(std::string(e.what()) + " (" + describe(source) + ")");
                continue;
            }
            if (!root || root->empty() || !platform::folderExists(*root))
                continue;
            const bool known =
                std::any_of(search.found.begin(), search.found.end(), [&](const FoundSimulator& f) {
                    return f.kind == kind && sameFolder(f.root, *root);
                });
            if (!known)
                search.found.push_back({kind, *root, describe(source)});
        }
    }
    return search;
}

std::optional<std::string> notASimulatorFolder(const std::string& root)
{
    constexpr char s = platform::kSeparator;
    if (platform::folderExists(root + s + "SimObjects" + s + "Airplanes") ||
        platform::folderExists(root + s + "Aircraft"))
        return std::nullopt;
    return root + " does not look like a simulator folder: it holds neither SimObjects" + s +
           "Airplanes nor Aircraft";
}

std::optional<std::string> fsxFolder(const platform::Registry& registry)
{
    // The classic key first; its empty value stands when no source names a folder.
    if (auto path = firstFolder(registry, SimKind::FSX))
        return path;
    return readIfKeyOpens(registry, kFsxKey, kFsxValue);
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
    if (chosen > SimKind::FSX) {
        // The first source that names a folder: the machine's key, then the user's.
        if (auto path = firstFolder(registry, chosen))
            sim.root = *path;
    }
    return sim;
}

std::optional<std::string> aircraftBaseFolder(const Simulator& sim)
{
    constexpr char s = platform::kSeparator;
    switch (sim.kind) {
    case SimKind::None:
        return std::nullopt;
    case SimKind::FS9:
        return sim.root + s + "Aircraft" + s;
    default:
        return sim.root + s + "SimObjects" + s + "Airplanes" + s;
    }
}

} // namespace hx
