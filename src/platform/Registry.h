#pragma once
// Read-only access to HKEY_LOCAL_MACHINE. Windows opens keys with read access in the 32-bit
// view, where FS9 and FSX register. Elsewhere the Wine prefix's system.reg is read.

#include <memory>
#include <optional>
#include <string>

namespace hx::platform {

class Registry {
public:
    virtual ~Registry() = default;
    // True when the key (a path below HKEY_LOCAL_MACHINE, backslash-separated, any case)
    // exists and can be opened for reading.
    virtual bool keyOpens(const std::string& key) const = 0;
    // The value as a string: nullopt when the key or the value is missing. A plain or
    // expandable string is returned as stored (not expanded, cut at its first NUL); any other
    // type throws RegistryError("Invalid data type for '<value>'").
    virtual std::optional<std::string> readString(const std::string& key,
                                                  const std::string& value) const = 0;
};

// The machine's registry: Win32 on Windows, the Wine prefix ($WINEPREFIX, default ~/.wine)
// elsewhere.
std::unique_ptr<Registry> openMachineRegistry();

#ifndef _WIN32
// HKEY_LOCAL_MACHINE of a Wine prefix, read from <prefix>/system.reg. Keys are looked up in
// the 32-bit view first (Software\Wow6432Node\...) and then as given; key and value names are
// compared ignoring case; string escapes are undone; a "X:\..." value is mapped to the prefix's
// folder for drive X (dosdevices/x:, normally drive_c) with '/' separators.
std::unique_ptr<Registry> openWineRegistry(const std::string& prefix);
#endif

} // namespace hx::platform
