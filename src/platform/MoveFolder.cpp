#include "platform/MoveFolder.h"

#include "platform/Faults.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

namespace hx::platform {

namespace fs = std::filesystem;

namespace {

// Copies the tree below `from` into `to`, keeping what `to` holds already. Records what it
// created in `created`, so a failure can take it back.
bool mergeInto(const fs::path& from, const fs::path& to, std::vector<fs::path>& created)
{
    std::error_code ec;
    if (!fs::exists(to, ec)) {
        if (!fs::create_directory(to, ec))
            return false;
        created.push_back(to);
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(from, ec)) {
        const fs::path target = to / entry.path().filename();
        if (entry.is_directory(ec) && !entry.is_symlink(ec)) {
            if (!mergeInto(entry.path(), target, created))
                return false;
        } else if (!fs::exists(fs::symlink_status(target, ec))) {
            fs::copy(entry.path(), target, fs::copy_options::copy_symlinks, ec);
            if (ec)
                return false;
            created.push_back(target);
        }
    }
    return !ec;
}

bool mergeThenDelete(const fs::path& from, const fs::path& to)
{
    std::vector<fs::path> created;
    if (!mergeInto(from, to, created)) {
        std::error_code ec;
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            fs::remove(*it, ec);
        return false;
    }
    std::error_code ec;
    fs::remove_all(from, ec); // best effort: the copy is complete either way
    return true;
}

} // namespace

bool copyFolderThenDelete(const std::string& from, const std::string& to)
{
    return mergeThenDelete(fs::path(from), fs::path(to));
}

bool moveFolder(const std::string& from, const std::string& to)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(from, ec);
    // A link to a folder moves as the link itself, so that it comes back as a link; never
    // through it.
    const bool link = fs::is_symlink(status) && fs::is_directory(fs::status(from, ec));
    if (!link && !fs::is_directory(status))
        return false;
    if (const int injected = faults::before(faults::Step::Rename)) {
        setLastError(std::error_code(injected, std::generic_category()));
        return false;
    }
    if (!fs::exists(fs::symlink_status(to, ec))) {
        fs::rename(from, to, ec);
        if (ec)
            setLastError(ec);
        if (link)
            return !ec;
        if (!ec)
            return true;
        if (ec != std::errc::cross_device_link)
            return false;
    }
    return mergeThenDelete(fs::path(from), fs::path(to));
}

} // namespace hx::platform
