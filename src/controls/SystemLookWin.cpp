#include "controls/SystemLook.h"
#include "controls/XGraphUtils.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <shlwapi.h>
#include <windows.h>

namespace hx {

TColor systemColor(int index)
{
    if (index < 0 || index > 30)
        return 0;
    return static_cast<TColor>(GetSysColor(index) & 0xFFFFFF);
}

bool visualStylesActive()
{
    // Visual styles apply when the theme library is there, a theme is active, the application
    // runs themed and the common controls in use are version 6 or later (the manifest's).
    using ThemeQuery = BOOL(WINAPI*)();
    using VersionQuery = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
    using AnyFunction = void (*)();
    const auto lookUp = [](HMODULE module, const char* name) {
        return reinterpret_cast<AnyFunction>(GetProcAddress(module, name));
    };
    HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll");
    if (uxtheme == nullptr)
        return false;
    const auto isThemeActive = reinterpret_cast<ThemeQuery>(lookUp(uxtheme, "IsThemeActive"));
    const auto isAppThemed = reinterpret_cast<ThemeQuery>(lookUp(uxtheme, "IsAppThemed"));
    bool themed =
        isThemeActive != nullptr && isAppThemed != nullptr && isThemeActive() && isAppThemed();
    FreeLibrary(uxtheme);
    if (!themed)
        return false;
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    if (comctl == nullptr)
        return false;
    const auto getVersion = reinterpret_cast<VersionQuery>(lookUp(comctl, "DllGetVersion"));
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    themed = getVersion != nullptr && SUCCEEDED(getVersion(&info)) && info.dwMajorVersion >= 6;
    FreeLibrary(comctl);
    return themed;
}

} // namespace hx
