#pragma once
// The simulator choice: which simulator (the list "None", "FS9", "FSX") and its root folder
// (the path box, taken unchanged), the registry look-ups that propose both, and the rule that
// turns them into the aircraft base folder.

#include "platform/Registry.h"

#include <optional>
#include <string>

namespace hx {

enum class SimKind { None = 0, FS9 = 1, FSX = 2 };

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

const char* simKindName(SimKind kind); // "None", "FS9", "FSX"

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

// root + "\Aircraft\" (FS9) or root + "\SimObjects\Airplanes\" (FSX), with the native
// separator; nullopt for None.
std::optional<std::string> aircraftBaseFolder(const Simulator& sim);

} // namespace hx
