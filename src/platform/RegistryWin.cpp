// HKEY_LOCAL_MACHINE (and HKEY_CURRENT_USER for keys given with its prefix), read only, in the
// view asked for: the 32-bit one where FS9 and FSX register (Wow6432Node on 64-bit Windows) or
// the 64-bit one. Read access suffices
// and needs no elevation.

#include "platform/Errors.h"
#include "platform/Registry.h"

#include <windows.h>

namespace hx::platform {

namespace {

class Key {
public:
    Key(const std::string& path, RegistryView view)
    {
        std::string userPath;
        const bool user = isCurrentUserKey(path, userPath);
        if (::RegOpenKeyExA(
                user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, (user ? userPath : path).c_str(), 0,
                KEY_READ | (view == RegistryView::Bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY),
                &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key()
    {
        if (key_)
            ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

class WinRegistry final : public Registry {
public:
    bool keyOpens(const std::string& key, RegistryView view) const override
    {
        return Key(key, view).get() != nullptr;
    }

    std::optional<std::string> readString(const std::string& key, const std::string& value,
                                          RegistryView view) const override
    {
        const Key k(key, view);
        if (!k.get())
            return std::nullopt;
        DWORD type = 0;
        DWORD size = 0;
        if (::RegQueryValueExA(k.get(), value.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            throw RegistryError("Invalid data type for '" + value + "'");
        std::string data;
        LONG rc = ERROR_MORE_DATA;
        while (rc == ERROR_MORE_DATA) { // the value may grow between the two calls
            data.resize(size + 1);
            size = static_cast<DWORD>(data.size());
            rc = ::RegQueryValueExA(k.get(), value.c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(data.data()), &size);
        }
        if (rc != ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            throw RegistryError("Invalid data type for '" + value + "'");
        data.resize(size);
        const std::size_t nul = data.find('\0');
        if (nul != std::string::npos)
            data.resize(nul); // stored as is: not expanded, cut at the first NUL
        return data;
    }
};

} // namespace

std::unique_ptr<Registry> openMachineRegistry()
{
    return std::make_unique<WinRegistry>();
}

} // namespace hx::platform
