// The Wine registry file: the input's first line names the key to look up, its second line the
// value, and the rest is written as the prefix's system.reg. The simulators' own keys and
// values are looked up too, as the window's start does.
//
// Invariants: no exception but RegistryError; a value is only found under a key that opens; a
// string holds no NUL; a "C:\..." value is mapped into the prefix's drive_c folder.

#include "FuzzSupport.h"

#include "packages/Simulator.h"
#include "platform/Errors.h"
#include "platform/Registry.h"

#include <optional>

namespace {

using hx::fuzz::require;

void lookUp(const hx::platform::Registry& registry, const std::string& key,
            const std::string& value)
{
    const bool opens = registry.keyOpens(key);
    std::optional<std::string> found;
    try {
        found = registry.readString(key, value);
    } catch (const hx::RegistryError&) {
        require(opens, "a type error under a key that does not open");
        return;
    }
    if (!found)
        return;
    require(opens, "a value under a key that does not open");
    require(found->find('\0') == std::string::npos, "a NUL inside a string value");
    const std::string driveC = hx::fuzz::scratchFolder() + "/drive_c";
    if (found->starts_with(driveC))
        require(found->size() == driveC.size() || (*found)[driveC.size()] == '/',
                "drive C mapped beside its folder");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const hx::fuzz::Split key = hx::fuzz::splitFirstLine(hx::fuzz::asText(data, size));
    const hx::fuzz::Split value = hx::fuzz::splitFirstLine(key.rest);
    const std::string& prefix = hx::fuzz::scratchFolder();
    hx::fuzz::writeFile(prefix + "/system.reg", value.rest);
    const auto registry = hx::platform::openWineRegistry(prefix);
    lookUp(*registry, std::string(key.head), std::string(value.head));
    lookUp(*registry, hx::kFs9Key, hx::kFs9Value);
    lookUp(*registry, hx::kFsxKey, hx::kFsxValue);
    return 0;
}
