#pragma once
// The simulator choice: which simulator (the list "None", "FS9", "FSX", then the Prepar3D
// versions found) and its root folder (the path box, taken unchanged), the registry look-ups
// that propose both, and the rule that turns them into the aircraft base folder.

#include "platform/Registry.h"

#include <optional>
#include <string>
#include <vector>

namespace hx {

// Prepar3D shares FSX's aircraft layout (SimObjects\Airplanes) and its base textures.
enum class SimKind { None = 0, FS9 = 1, FSX = 2, P3D1, P3D2, P3D3, P3D4, P3D5, P3D6 };
inline constexpr SimKind kLastSimKind = SimKind::P3D6;

struct Simulator {
    SimKind kind = SimKind::None;
    std::string root;
};

inline constexpr const char* kPleaseSelectFS = "Please select FS";
inline constexpr const char* kFs9Key =
    "software\\microsoft\\microsoft games\\flight simulator\\9.0";
inline constexpr const char* kFs9Value = "exe path";
inline constexpr const char* kFsxKey =
    "software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
inline constexpr const char* kFsxValue = "SetupPath";
// FSX Steam Edition records its folder elsewhere; these are read, in this order, when the
// classic FSX key holds no folder.
inline constexpr const char* kFsxSteamUserKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Microsoft Games\\Flight Simulator - Steam "
    "Edition\\10.0";
inline constexpr const char* kFsxSteamUserValue = "AppPath";
inline constexpr const char* kFsxSteamMachineKey = "Software\\DovetailGames\\FSX";
inline constexpr const char* kFsxSteamMachineValue = "Install_Path";

const char* simKindName(SimKind kind);  // "None", "FS9", "FSX", "P3D1" … "P3D6"
const char* simKindTitle(SimKind kind); // as the list shows it: "FSX", "Prepar3D v4"
// "none", "fs9", "fsx", "p3d1" … "p3d6" in any letter case; nullopt for anything else.
std::optional<SimKind> parseSimKind(const std::string& text);
// FSX and every Prepar3D: aircraft in SimObjects\Airplanes, FSX's base textures.
bool installsLikeFsx(SimKind kind);

// One simulator whose folder the registry names and that exists.
struct FoundSimulator {
    SimKind kind = SimKind::None;
    std::string root;
    std::string source; // the key, the value and the view it was read from
};

struct SimulatorSearch {
    std::vector<FoundSimulator> found; // FS9, FSX (classic, then Steam Edition), P3D v1 … v6
    std::vector<std::string> problems; // values of the wrong type, each with its source
};

// Every simulator the registry knows of, with where it was found; a folder that does not exist
// is left out, as is a second source naming a folder already found for the same kind.
SimulatorSearch findSimulators(const platform::Registry& registry);

// Why `root` does not look like a simulator folder (neither SimObjects\Airplanes nor Aircraft
// below it), or nullopt when it does.
std::optional<std::string> notASimulatorFolder(const std::string& root);

// FSX's folder: the classic key's "SetupPath" when it names one, otherwise the Steam Edition's
// "AppPath" (current user) or "Install_Path" (DovetailGames), the first that names one. An empty
// classic value is returned when neither does; nullopt when no source has the value.
std::optional<std::string> fsxFolder(const platform::Registry& registry);

// Start-up look-up: FS9's key decides when it opens (even without its value); otherwise FSX.
// Throws RegistryError for a value of the wrong type.
Simulator startupLookup(const platform::Registry& registry);

// The user picked `chosen` in the list: the root follows the registry when that simulator's
// key and value exist, otherwise it keeps `current.root`.
Simulator simulatorChosen(const platform::Registry& registry, SimKind chosen,
                          const Simulator& current);

// root + "\Aircraft\" (FS9) or root + "\SimObjects\Airplanes\" (FSX, Prepar3D), with the
// native separator; nullopt for None.
std::optional<std::string> aircraftBaseFolder(const Simulator& sim);

} // namespace hx
