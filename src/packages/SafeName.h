#pragma once
// Values taken from packages, aircraft.cfg files, catalogues and archives name folders and
// files that the tool writes or deletes. Such a value must stay one plain name inside the
// folder it is meant for.

#include <string_view>

namespace hx {

// True when `name` is one plain path component: not empty, not "." or "..", without '/' or
// '\\', without a drive (':'), without control characters, and not ending in '.' or ' ' (Windows
// drops those, so "texture.." would name the shared "texture" folder).
inline bool isPlainName(std::string_view name)
{
    if (name.empty() || name.back() == '.' || name.back() == ' ')
        return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || c == ':' || u < 32)
            return false;
    }
    return true;
}

// True when `name` is a plain name (above) that Windows also accepts as a file name: without
// any of the characters it forbids in names besides the separators, < > " | ? *.
inline bool isPlainFileName(std::string_view name)
{
    return isPlainName(name) && name.find_first_of("<>\"|?*") == std::string_view::npos;
}

} // namespace hx
