// Windows file semantics on POSIX: case-insensitive look-ups, wildcard listings, copies that
// never overwrite.

#include "platform/FileSystem.h"

#include "platform/AsciiCase.h"
#include "platform/Faults.h"
#include "platform/WriteAllUnix.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/sendfile.h>
#endif

namespace hx::platform {

namespace {

bool entryExists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// The first entry of `folder` (in listing order) equal to `name` ignoring case.
bool findIgnoringCase(const std::string& folder, std::string_view name, std::string& found)
{
    DirHandle dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return false;
    while (const dirent* e = ::readdir(dir.get())) {
        if (equalsIgnoringCase(e->d_name, name)) {
            found = e->d_name;
            return true;
        }
    }
    return false;
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

bool copyWithBuffer(int in, int out)
{
    constexpr std::size_t kBufferSize = 128 * 1024;
    std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    for (;;) {
        const ssize_t n = ::read(in, buffer.get(), kBufferSize);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!writeAll(out, std::string_view(buffer.get(), static_cast<std::size_t>(n))))
            return false;
    }
}

// Copies `size` bytes from the start of `in` to `out`: in the kernel while it can, then the
// rest (a file system that refuses kernel copies, a file whose size changed) through a buffer
// from where the kernel stopped.
bool copyContent(int in, int out, std::uint64_t size)
{
#ifdef __linux__
    std::uint64_t done = 0;
    while (done < size) {
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(size - done, std::uint64_t{1} << 30));
        ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, chunk, 0);
        if (n < 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP ||
                      errno == EPERM))
            n = ::sendfile(out, in, nullptr, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::uint64_t>(n);
    }
#else
    (void)size;
#endif
    return copyWithBuffer(in, out);
}

} // namespace

namespace {

// resolvePath from the end: a path that exists as written costs one look-up, and only the
// components below the longest prefix that exists are searched for ignoring case (listing their
// folder), instead of every component being looked up on every call. `exists` tells whether the
// result names an entry.
std::string resolveFromEnd(const std::string& path, bool& exists)
{
    if (path.empty() || entryExists(path)) {
        exists = true; // the empty path is the current folder
        return path;
    }
    const std::size_t slash = path.rfind('/');
    const std::string_view last = slash == std::string::npos
                                      ? std::string_view(path)
                                      : std::string_view(path).substr(slash + 1);
    bool parentExists = true;
    std::string out;
    if (slash == 0)
        out = "/";
    else if (slash != std::string::npos)
        out = resolveFromEnd(path.substr(0, slash), parentExists) + "/";
    // The folder to search: "." for a name without one, "/" for one at the root.
    const std::string folder = out;
    if (!parentExists || last.empty() || last == "." || last == "..") {
        // Below a missing folder nothing exists; ".", ".." and a trailing "/" are kept as they
        // stand and exist when their folder does.
        out.append(last);
        exists = parentExists && entryExists(out);
        return out;
    }
    // The name as written wins over another entry that differs from it only in case.
    const bool parentChanged = out.size() != slash + 1 || path.compare(0, out.size(), out) != 0;
    out.append(last);
    if (parentChanged && entryExists(out)) {
        exists = true;
        return out;
    }
    std::string found;
    exists = findIgnoringCase(folder, last, found);
    if (exists)
        out.replace(out.size() - last.size(), last.size(), found);
    return out;
}

} // namespace

std::string resolvePath(const std::string& path)
{
    bool exists = false;
    return resolveFromEnd(path, exists);
}

std::vector<DirEntry> listFolder(const std::string& folder, std::string_view pattern)
{
    std::vector<DirEntry> entries;
    const std::string resolved = resolvePath(folder);
    DirHandle dir(::opendir(resolved.empty() ? "." : resolved.c_str()));
    if (!dir)
        return entries;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string_view name(e->d_name);
        if (name == "." || name == ".." || !wildcardMatch(pattern, name))
            continue;
        DirEntry entry{std::string(name), false};
#ifdef _DIRENT_HAVE_D_TYPE
        if (e->d_type == DT_DIR)
            entry.isFolder = true;
        else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK)
#endif
        {
            // A link counts as what it points to, as a Windows junction does.
            struct stat st;
            const std::string full = resolved.empty() ? entry.name : resolved + "/" + entry.name;
            entry.isFolder = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return ::stat(resolvePath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool moveFileNoOverwrite(const std::string& from, const std::string& to)
{
    if (const int injected = faults::before(faults::Step::Rename)) {
        errno = injected;
        return false;
    }
    // A hard link refuses an existing target; then the old name goes.
    const std::string source = resolvePath(from);
    const std::string target = resolvePath(to);
    if (::link(source.c_str(), target.c_str()) == 0) {
        if (::unlink(source.c_str()) == 0)
            return true;
        const int err = errno;
        ::unlink(target.c_str()); // the file stays where it was
        errno = err;
        return false;
    }
    if (errno != EPERM && errno != EMLINK && errno != ENOTSUP && errno != EOPNOTSUPP)
        return false;
    // File systems without hard links: check, then rename.
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(source.c_str(), target.c_str()) == 0;
}

bool folderExists(const std::string& path)
{
    struct stat st;
    return ::stat(resolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isLink(const std::string& path)
{
    struct stat st;
    return ::lstat(resolvePath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool pathExists(const std::string& path)
{
    struct stat st;
    return ::stat(resolvePath(path).c_str(), &st) == 0;
}

std::optional<std::uint64_t> plainFileSize(const std::string& path)
{
    struct stat st;
    if (::stat(resolvePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t fileSize(const std::string& path)
{
    struct stat st;
    if (::stat(resolvePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

namespace {

bool copyFile(const std::string& source, const std::string& target)
{
    // Not blocking: opening a named pipe would otherwise wait for a writer forever. Only plain
    // files are copied, and reading those the flag does not change.
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0)
        return false;
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return false;
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    const mode_t mode = st.st_mode & 07777;
    Fd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode | S_IWUSR));
    if (out.get() < 0)
        return false;

    int injected = faults::before(faults::Step::Write);
    bool ok = !injected && copyContent(in.get(), out.get(), static_cast<std::uint64_t>(st.st_size));
    if (ok) {
        // Keep the source's permission bits (the umask may have cut them) and its modification
        // time, as a Windows copy keeps attributes and the last-write time.
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ok = ::fchmod(out.get(), mode) == 0 && ::futimens(out.get(), times) == 0;
    }
    if (ok)
        ok = ::close(out.release()) == 0;
    if (!ok) {
        // The cause stays in errno for the caller's message.
        const int err = injected ? injected : errno;
        out.reset();
        ::unlink(target.c_str());
        errno = err;
    }
    return ok;
}

} // namespace

bool copyFileNoOverwrite(const std::string& from, const std::string& to)
{
    // A target that exists in another letter case resolves to that entry, so O_EXCL refuses it
    // as Windows would.
    return copyFile(resolvePath(from), resolvePath(to));
}

bool copyFileToNewName(const std::string& from, const std::string& to)
{
    return copyFile(resolvePath(from), to);
}

bool createFolder(const std::string& path)
{
    const std::string resolved = resolvePath(path);
    if (entryExists(resolved))
        return false;
    return ::mkdir(resolved.c_str(), 0777) == 0;
}

bool deleteFile(const std::string& path)
{
    const std::string resolved = resolvePath(path);
    struct stat st;
    if (::lstat(resolved.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(resolved.c_str()) == 0;
}

bool removeFolder(const std::string& path)
{
    const std::string resolved = resolvePath(path);
    struct stat st;
    if (::lstat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return ::rmdir(resolved.c_str()) == 0;
}

bool clearAttributes(const std::string& path)
{
    const std::string resolved = resolvePath(path);
    struct stat st;
    if (::stat(resolved.c_str(), &st) != 0)
        return false;
    if (st.st_mode & S_IWUSR)
        return true;
    return ::chmod(resolved.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

std::string pathFromText(std::string_view text)
{
    return std::string(text);
}

std::uint64_t freeSpace(const std::string& path)
{
    struct statvfs st;
    if (::statvfs(resolvePath(path).c_str(), &st) != 0)
        return UINT64_MAX;
    // Without a free inode no file can be created, whatever the bytes say.
    if (st.f_files != 0 && st.f_favail == 0)
        return 0;
    return std::uint64_t(st.f_bavail) * st.f_frsize;
}

bool setCurrentFolder(const std::string& path)
{
    return ::chdir(resolvePath(path).c_str()) == 0;
}

bool createFolderPath(const std::string& path)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec)
        errno = ec.value();
    return !ec && folderExists(path);
}

std::string programFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

PathLimit pathLimit()
{
    return {4095, false};
}

std::string topFolder()
{
    return "/";
}

bool carriesErrno(const std::error_code&)
{
    return true;
}

bool canCreateIn(const std::string& folder)
{
    const std::string probe =
        joinPath(resolvePath(folder), ".hangarix-probe-" + std::to_string(::getpid()));
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

void setLastError(const std::error_code& error)
{
    errno = error.value();
}

std::string lastErrorText()
{
    return std::strerror(errno);
}

std::string userDataFolder()
{
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG base directory rules say.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* user = ::getpwuid(::getuid());
            home = user && user->pw_dir ? user->pw_dir : "/";
        }
        base = std::string(home) + "/.local/share";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return joinPath(base, "hangarix");
}

std::string currentFolder()
{
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) {
            buffer.resize(std::strlen(buffer.c_str()));
            break;
        }
        if (errno != ERANGE)
            return ".";
        buffer.resize(buffer.size() * 2);
    }
    // Without a trailing separator, except for the root itself.
    while (buffer.size() > 1 && buffer.back() == '/')
        buffer.pop_back();
    return buffer;
}

bool writeAll(int fd, std::string_view bytes)
{
    if (const int injected = faults::before(faults::Step::Write)) {
        errno = injected;
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace hx::platform
