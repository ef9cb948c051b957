// Reading and atomically replacing text files on POSIX.

#include "platform/Errors.h"
#include "platform/Faults.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"
#include "platform/WriteAllUnix.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace hx::platform {

namespace {

[[noreturn]] void throwErrno(int err)
{
    throw ioErrorFromErrno(err);
}

std::string readAll(int fd)
{
    std::string bytes;
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return bytes;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwErrno(errno);
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

// The file a write to `path` must replace: the path with its letter case resolved and symbolic
// links followed, so that replacing it keeps the link and changes the file it points to.
std::string realTarget(const std::string& path)
{
    std::string target = resolvePath(path);
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target;
        if (hops == 40)
            throwErrno(ELOOP);
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            throwErrno(errno);
        link.resize(static_cast<std::size_t>(n));
        if (link.empty() || link[0] != '/') {
            const std::size_t slash = target.rfind('/');
            link = slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
        }
        target = resolvePath(link);
    }
}

// Creates a new file with a unique name "<folder>/.<name>.XXXXXX" beside the target. Made like
// mkstemp, but with mode 0666 so that the umask decides the mode of a new file as it does for
// any file the tool creates.
int createTemporary(const std::string& folder, const std::string& name, std::string& tempPath)
{
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::minstd_rand random(seed() ^ static_cast<unsigned>(::getpid()));
    const std::string prefix = folder + "/." + name.substr(0, 200) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = prefix;
        for (int i = 0; i < 6; ++i)
            tempPath.push_back(kLetters[random() % (sizeof kLetters - 1)]);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

std::string readFileBytes(const std::string& path)
{
    const int fd = ::open(resolvePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throwErrno(errno);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throwErrno(EISDIR);
    }
    std::string bytes;
    try {
        bytes = readAll(fd);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return bytes;
}

void removeLeftoverTemporaries(const std::string& path)
{
    const std::string target = resolvePath(path);
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    // The names createTemporary gives: "." + name + "." + six letters or digits.
    const std::string pattern = "." + name.substr(0, 200) + ".??????";
    for (const DirEntry& entry : listFolder(folder, pattern))
        if (!entry.isFolder && entry.name.size() == pattern.size())
            ::unlink(joinPath(folder, entry.name).c_str());
}

void writeTextAtomic(const std::string& path, std::string_view text)
{
    const std::string target = realTarget(path);
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

    struct stat old;
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        throwErrno(EISDIR);
    // Renaming over a file needs no write permission on it, only on its folder. A file without
    // any write bit carries the read-only attribute (as Wine maps it), and one we may not write
    // is denied to us: Windows refuses to replace either, so do the same.
    if (replacing && !(old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        throwErrno(EACCES);
    if (replacing && ::access(target.c_str(), W_OK) != 0)
        throwErrno(errno);

    std::string tempPath;
    const int fd = createTemporary(folder.empty() ? "/" : folder, name, tempPath);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
        throw IoError(folderNotWritable(folder.empty() ? "/" : folder));
    if (fd < 0)
        throwErrno(errno);

    bool ok = writeAll(fd, text);
    if (ok && replacing) {
        // The new file takes the old one's permission bits and, where allowed, its owner.
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
        if (ok && ::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM)
            ok = false;
    }
    if (ok) {
        if (const int injected = faults::before(faults::Step::Flush)) {
            ok = false;
            errno = injected;
        }
    }
    ok = ok && ::fsync(fd) == 0;
    int err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) {
        err = faults::before(faults::Step::Rename);
        ok = !err && ::rename(tempPath.c_str(), target.c_str()) == 0;
        if (!ok && !err)
            err = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        throwErrno(err);
    }

    // Make the rename itself durable. The new content is in place by now, so a folder that
    // cannot be synchronised (some file systems refuse) is not reported as a failed write.
    const int dirFd =
        ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

} // namespace hx::platform
