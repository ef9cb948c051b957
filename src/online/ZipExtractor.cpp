#include "online/ZipExtractor.h"

#include "packages/SafeName.h"
#include "platform/AsciiCase.h"
#include "platform/FileSystem.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace hx {

namespace {

// Large enough that the inflater and the write calls run in long stretches; small enough to stay
// in the second-level cache.
constexpr std::size_t kBufferSize = 256 * 1024;

#ifdef _WIN32
constexpr int kCreateFlags = _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY;
int openForWriting(const std::string& path)
{
    return _open(path.c_str(), kCreateFlags, 0666);
}
long long writeSome(int fd, const char* data, std::size_t n)
{
    return _write(fd, data, static_cast<unsigned>(n));
}
int closeFile(int fd)
{
    return _close(fd);
}
#else
// O_NOFOLLOW: a link planted at the target (in a folder that was not emptied) must not redirect
// the write elsewhere.
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC;
int openForWriting(const std::string& path)
{
    return ::open(path.c_str(), kCreateFlags, 0666);
}
long long writeSome(int fd, const char* data, std::size_t n)
{
    return ::write(fd, data, n);
}
int closeFile(int fd)
{
    return ::close(fd);
}
#endif

std::string fileNameOf(const std::string& path)
{
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string libzipMessage(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveCloser>;

struct EntryCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using EntryPtr = std::unique_ptr<zip_file_t, EntryCloser>;

struct PlannedEntry {
    zip_uint64_t index = 0;
    std::string name;               // as stored, for messages
    std::vector<std::string> parts; // path components below the base folder
    bool folder = false;
    std::uint64_t size = 0;
};

class Refuse {
public:
    explicit Refuse(std::string archiveName) : archiveName_(std::move(archiveName)) {}
    [[noreturn]] void entry(const std::string& name, const std::string& reason) const
    {
        throw ZipRefusal("The archive " + archiveName_ + " was refused: its entry \"" + name +
                         "\" " + reason);
    }
    [[noreturn]] void whole(const std::string& reason) const
    {
        throw ZipRefusal("The archive " + archiveName_ + " was refused: " + reason);
    }

private:
    std::string archiveName_;
};

ArchivePtr openArchive(const std::string& archive, const std::string& archiveName)
{
    int code = 0;
    zip_t* handle = zip_open(archive.c_str(), ZIP_RDONLY, &code);
    if (handle)
        return ArchivePtr(handle);
    if (code == ZIP_ER_NOENT)
        throw IoError("File not found");
    if (code == ZIP_ER_OPEN) {
        const int err = errno;
        throw ioErrorFromErrno(err ? err : EACCES);
    }
    throw ZipError("The archive " + archiveName + " is damaged or not a ZIP archive (" +
                   libzipMessage(code) + ")");
}

// Splits a stored name into plain components, or refuses the archive. '\' separates like '/',
// since archives made on Windows may use it and Windows would follow it.
PlannedEntry planEntry(zip_t* archive, zip_uint64_t index, const zip_stat_t& st,
                       const Refuse& refuse)
{
    PlannedEntry entry;
    entry.index = index;
    entry.name = (st.valid & ZIP_STAT_NAME) && st.name ? st.name : "";
    const std::string& name = entry.name;
    if (name.empty())
        refuse.entry(name, "has no name");
    if (name.front() == '/' || name.front() == '\\')
        refuse.entry(name, "has an absolute path");
    if (name.size() >= 2 && name[1] == ':')
        refuse.entry(name, "names a drive");

    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = name.size();
        const std::string part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            refuse.entry(name, "leaves the unpack folder");
        if (!isPlainName(part))
            refuse.entry(name, "is not a plain file or folder name");
        entry.parts.push_back(part);
    }
    entry.folder = name.back() == '/' || name.back() == '\\';

    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &opsys, &attributes) == 0 &&
        opsys == ZIP_OPSYS_UNIX) {
        const unsigned type = (attributes >> 16) & 0170000u;
        if (type == 0120000u)
            refuse.entry(name, "is a symbolic link");
        if (type == 0040000u)
            entry.folder = true;
        else if (type != 0 && type != 0100000u)
            refuse.entry(name, "is not a plain file or folder");
    }
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
        refuse.entry(name, "is encrypted");
    if (entry.folder)
        return entry;
    if (entry.parts.empty())
        refuse.entry(name, "is not a plain file or folder name");
    if (!(st.valid & ZIP_STAT_SIZE) || !(st.valid & ZIP_STAT_COMP_SIZE) ||
        !(st.valid & ZIP_STAT_COMP_METHOD))
        throw ZipError("The archive is damaged: no sizes for entry \"" + name + "\"");
    if (!zip_compression_method_supported(st.comp_method, 0))
        refuse.entry(name, "uses an unsupported compression method");
    entry.size = st.size;
    return entry;
}

void checkBombRatio(const PlannedEntry& entry, const zip_stat_t& st, const ZipLimits& limits,
                    const Refuse& refuse)
{
    if (entry.size < limits.ratioMinSize)
        return;
    if (st.comp_size == 0 ||
        static_cast<double>(entry.size) / static_cast<double>(st.comp_size) > limits.maxRatio)
        refuse.entry(entry.name, "would expand more than " +
                                     std::to_string(static_cast<long long>(limits.maxRatio)) +
                                     " times its compressed size");
}

std::string joinKey(const std::vector<std::string>& parts, std::size_t count)
{
    std::string key;
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            key += '/';
        key += platform::lowerAscii(parts[i]);
    }
    return key;
}

// Reads and checks the whole central directory; nothing is written.
std::vector<PlannedEntry> planArchive(zip_t* archive, const std::string& baseFolder,
                                      const ZipLimits& limits, const Refuse& refuse,
                                      std::uint64_t& total)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0)
        throw ZipError("The archive is damaged: its directory cannot be read");
    if (static_cast<std::uint64_t>(count) > limits.maxEntries)
        refuse.whole("it holds " + std::to_string(count) + " entries, more than the " +
                     std::to_string(limits.maxEntries) + " allowed");

    std::vector<PlannedEntry> plan;
    plan.reserve(static_cast<std::size_t>(count));
    // Keys are lower-cased paths: names that differ only in case land on one file on Windows.
    std::unordered_set<std::string> files;
    std::unordered_set<std::string> folders;
    total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive, index, 0, &st) != 0)
            throw ZipError("The archive is damaged: entry " + std::to_string(i) +
                           " cannot be read (" + zip_strerror(archive) + ")");
        PlannedEntry entry = planEntry(archive, index, st, refuse);
        if (!entry.folder) {
            checkBombRatio(entry, st, limits, refuse);
            if (!files.insert(joinKey(entry.parts, entry.parts.size())).second)
                refuse.entry(entry.name, "has the same name as another entry");
            if (entry.size > limits.maxTotalSize || total > limits.maxTotalSize - entry.size)
                refuse.whole("it would unpack to more than " + std::to_string(limits.maxTotalSize) +
                             " bytes");
            total += entry.size;
        }
        const std::size_t folderDepth = entry.folder ? entry.parts.size() : entry.parts.size() - 1;
        for (std::size_t depth = 1; depth <= folderDepth; ++depth)
            folders.insert(joinKey(entry.parts, depth));
        plan.push_back(std::move(entry));
    }
    for (const PlannedEntry& entry : plan)
        if (!entry.folder && folders.count(joinKey(entry.parts, entry.parts.size())))
            refuse.entry(entry.name, "is a file and a folder at once");
    if (limits.checkFreeSpace) {
        std::error_code ec;
        const std::string where = std::filesystem::is_directory(baseFolder, ec) ? baseFolder
                                  : std::filesystem::path(baseFolder).has_parent_path()
                                      ? std::filesystem::path(baseFolder).parent_path().string()
                                      : std::string(".");
        const std::uint64_t free = freeDiskSpace(where);
        if (total > free)
            refuse.whole("it would unpack to " + std::to_string(total) + " bytes, more than the " +
                         std::to_string(free) + " bytes free on the disk");
    }
    return plan;
}

// Creates each folder of the archive once; folders that differ only in letter case are one.
class FolderMaker {
public:
    explicit FolderMaker(std::string base) { made_.emplace("", std::move(base)); }

    // The folder for the first `depth` parts, created when missing.
    const std::string& ensure(const std::vector<std::string>& parts, std::size_t depth)
    {
        std::string key = joinKey(parts, depth);
        if (auto found = made_.find(key); found != made_.end())
            return found->second;
        const std::string& parent = ensure(parts, depth - 1);
        std::string path = parent;
        if (path.empty() || (path.back() != '/' && path.back() != '\\'))
            path += platform::kSeparator;
        path += parts[depth - 1];
        makeFolder(path);
        return made_.emplace(std::move(key), std::move(path)).first->second;
    }

    static void makeFolder(const std::string& path)
    {
        std::error_code ec;
        if (std::filesystem::create_directory(path, ec))
            return;
        // An existing folder is fine; a link or a file in its place is not followed.
        const auto status = std::filesystem::symlink_status(path, ec);
        if (!ec && std::filesystem::is_directory(status))
            return;
        throw IoError("Cannot create folder " + path);
    }

private:
    std::unordered_map<std::string, std::string> made_;
};

class Progress {
public:
    Progress(const ZipMeter& meter, std::uint64_t total) : meter_(meter)
    {
        state_.total = total;
        report();
    }
    void add(std::uint64_t bytes)
    {
        state_.done += bytes;
        const int percent = percentOf();
        if (percent != state_.percent) {
            state_.percent = percent;
            report();
        }
    }
    void finish()
    {
        if (state_.percent != 100) {
            state_.percent = 100;
            report();
        }
    }

private:
    int percentOf() const
    {
        if (state_.total == 0)
            return 100;
        return static_cast<int>(state_.done * 100 / state_.total);
    }
    void report()
    {
        if (meter_)
            meter_(state_);
    }
    const ZipMeter& meter_;
    ZipProgress state_;
};

void extractFile(zip_t* archive, const PlannedEntry& entry, const std::string& path,
                 std::vector<char>& buffer, Progress& progress)
{
    EntryPtr file(zip_fopen_index(archive, entry.index, 0));
    if (!file)
        throw ZipError("The archive is damaged: entry \"" + entry.name + "\" cannot be opened (" +
                       zip_strerror(archive) + ")");
    const int fd = openForWriting(path);
    if (fd < 0) {
        const int err = errno;
        throw IoError("Cannot create " + path + ": " + std::strerror(err));
    }
    try {
        // Never more than the declared size: the inflater would hand out whatever the stream
        // holds, and the declared sizes are what the budgets were checked against.
        std::uint64_t remaining = entry.size;
        while (remaining > 0) {
            const std::uint64_t want = std::min<std::uint64_t>(remaining, buffer.size());
            const zip_int64_t got = zip_fread(file.get(), buffer.data(), want);
            if (got < 0)
                throw ZipError("The archive is damaged: entry \"" + entry.name + "\" (" +
                               zip_file_strerror(file.get()) + ")");
            if (got == 0)
                throw ZipError("The archive is damaged: entry \"" + entry.name +
                               "\" is shorter than declared");
            for (zip_int64_t written = 0; written < got;) {
                const long long n =
                    writeSome(fd, buffer.data() + written, static_cast<std::size_t>(got - written));
                if (n < 0) {
                    const int err = errno;
                    if (err == EINTR)
                        continue;
                    throw ioErrorFromErrno(err);
                }
                written += n;
            }
            remaining -= static_cast<std::uint64_t>(got);
            progress.add(static_cast<std::uint64_t>(got));
        }
        // One more read must find the end of the entry; only then does libzip compare the CRC
        // and the size with the directory.
        const zip_int64_t extra = zip_fread(file.get(), buffer.data(), 1);
        if (extra != 0)
            throw ZipError("The archive is damaged: entry \"" + entry.name + "\" " +
                           (extra > 0 ? std::string("is longer than declared")
                                      : "(" + std::string(zip_file_strerror(file.get())) + ")"));
        if (const int code = zip_fclose(file.release()); code != 0)
            throw ZipError("The archive is damaged: entry \"" + entry.name + "\" (" +
                           libzipMessage(code) + ")");
        if (closeFile(fd) != 0) {
            const int err = errno;
            std::remove(path.c_str());
            throw ioErrorFromErrno(err);
        }
    } catch (...) {
        closeFile(fd);
        std::remove(path.c_str());
        throw;
    }
}

} // namespace

std::uint64_t freeDiskSpace(const std::string& path)
{
    std::error_code ec;
    const auto info = std::filesystem::space(path, ec);
    if (ec || info.available == static_cast<std::uintmax_t>(-1))
        return UINT64_MAX;
    return info.available;
}

ZipSummary ZipExtractor::extractAll(const std::string& archive, const std::string& baseFolder)
{
    const std::string archiveName = fileNameOf(archive);
    const Refuse refuse(archiveName);
    ArchivePtr zip = openArchive(archive, archiveName);
    std::uint64_t total = 0;
    const std::vector<PlannedEntry> plan =
        planArchive(zip.get(), baseFolder, limits_, refuse, total);

    FolderMaker::makeFolder(baseFolder);
    FolderMaker folders(baseFolder);
    Progress progress(meter_, total);
    std::vector<char> buffer(kBufferSize);
    ZipSummary summary;
    for (const PlannedEntry& entry : plan) {
        if (entry.folder) {
            if (!entry.parts.empty())
                folders.ensure(entry.parts, entry.parts.size());
            ++summary.folders;
            continue;
        }
        const std::string& folder = folders.ensure(entry.parts, entry.parts.size() - 1);
        std::string path = folder;
        if (path.back() != '/' && path.back() != '\\')
            path += platform::kSeparator;
        path += entry.parts.back();
        extractFile(zip.get(), entry, path, buffer, progress);
        ++summary.files;
        summary.bytes += entry.size;
    }
    progress.finish();
    return summary;
}

} // namespace hx
