#pragma once
// Read-only access to HKEY_LOCAL_MACHINE and, for keys written with the prefix
// "HKEY_CURRENT_USER\", to the current user's hive. Windows opens keys with read access in the
// 32-bit view, where FS9, FSX and the 32-bit Prepar3D versions register, or in the 64-bit view
// when asked (Prepar3D v4 and later). Elsewhere the Wine prefix's system.reg is read, and its
// user.reg for the current user.

#include "platform/AsciiCase.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace hx::platform {

// The prefix that sends a key to HKEY_CURRENT_USER instead of HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kCurrentUserPrefix = "HKEY_CURRENT_USER\\";

// Whether `key` starts with kCurrentUserPrefix (any letter case); `rest` gets the key below it.
inline bool isCurrentUserKey(std::string_view key, std::string& rest)
{
    if (key.size() < kCurrentUserPrefix.size() ||
        !equalsIgnoringCase(key.substr(0, kCurrentUserPrefix.size()), kCurrentUserPrefix))
        return false;
    rest = std::string(key.substr(kCurrentUserPrefix.size()));
    return true;
}

// Which programs' keys are read on 64-bit Windows: those of 32-bit programs (Wow6432Node) or
// those of 64-bit ones.
enum class RegistryView { Bits32, Bits64 };

class Registry {
public:
    virtual ~Registry() = default;
    // True when the key (a path below HKEY_LOCAL_MACHINE, or below HKEY_CURRENT_USER after
    // kCurrentUserPrefix; backslash-separated, any case) exists and can be opened for reading.
    virtual bool keyOpens(const std::string& key,
                          RegistryView view = RegistryView::Bits32) const = 0;
    // The value as a string: nullopt when the key or the value is missing. A plain or
    // expandable string is returned as stored (not expanded, cut at its first NUL); any other
    // type throws RegistryError("Invalid data type for '<value>'").
    virtual std::optional<std::string>
    readString(const std::string& key, const std::string& value,
               RegistryView view = RegistryView::Bits32) const = 0;
};

// The machine's registry: Win32 on Windows, the Wine prefix ($WINEPREFIX, default ~/.wine)
// elsewhere.
std::unique_ptr<Registry> openMachineRegistry();

// HKEY_LOCAL_MACHINE of a Wine prefix, read from <prefix>/system.reg, and HKEY_CURRENT_USER,
// read from <prefix>/user.reg (on every system: tests give the window a registry of their own
// through it). Keys of the 32-bit view are looked up as Software\Wow6432Node\... first and then
// as given, keys of the 64-bit view as given only; key and value names are
// compared ignoring case; string escapes are undone; a "X:\..." value is mapped to the prefix's
// folder for drive X (dosdevices/x:, normally drive_c) with '/' separators.
std::unique_ptr<Registry> openWineRegistry(const std::string& prefix);

} // namespace hx::platform
