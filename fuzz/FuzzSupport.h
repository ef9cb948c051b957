#pragma once
// What the fuzz targets share: a broken invariant stops the run with a message (libFuzzer then
// saves the input), a private temporary folder, and splitting an input into parts.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace hx::fuzz {

// Stops the run when `ok` is false: libFuzzer reports the abort as a finding.
inline void require(bool ok, const char* what)
{
    if (ok)
        return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

// A folder of its own below $TMPDIR (or /tmp), made once per process and left for the
// system to clean (a fuzzer never ends normally).
inline const std::string& scratchFolder()
{
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/hangarix-fuzz-XXXXXX";
        require(::mkdtemp(pattern.data()) != nullptr, "cannot create the scratch folder");
        return pattern;
    }();
    return folder;
}

inline void writeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    require(static_cast<bool>(out.flush()), "cannot write the scratch file");
}

// The input as text, cut into its first line (without the LF) and the rest.
struct Split {
    std::string_view head;
    std::string_view rest;
};

inline Split splitFirstLine(std::string_view input)
{
    const std::size_t lf = input.find('\n');
    if (lf == std::string_view::npos)
        return {input, {}};
    return {input.substr(0, lf), input.substr(lf + 1)};
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// Whether `path` lies inside `folder`: it starts with the folder and a separator, and no
// component after that is "." or "..".
inline bool staysInside(std::string_view path, std::string_view folder)
{
    if (!path.starts_with(folder) || path.size() <= folder.size() + 1 || path[folder.size()] != '/')
        return false;
    std::string_view rest = path.substr(folder.size() + 1);
    while (true) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        if (part.empty() || part == "." || part == "..")
            return false;
        if (slash == std::string_view::npos)
            return true;
        rest.remove_prefix(slash + 1);
    }
}

} // namespace hx::fuzz
