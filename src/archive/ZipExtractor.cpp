#include "archive/ZipExtractor.h"

#include "archive/ArchiveFormat.h"
#include "archive/ZipDirectory.h"
#include "archive/ZipEntryReader.h"
#include "archive/ZipPlan.h"
#include "packages/SafeName.h"
#include "platform/FileSystem.h"
#include "platform/NewFile.h"

#include <zip.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <new>
#include <vector>

namespace hx {

namespace {

namespace fs = std::filesystem;

// Pieces of unpacked data: large enough that the inflater, the CRC and the write calls run in
// long stretches; two of them whatever the archive's size.
constexpr std::size_t kBufferSize = 1024 * 1024;

// A UTF-8 path for std::filesystem, whose narrow strings are in the ANSI code page on Windows.
fs::path fsPath(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// What went wrong on the disk, in words rather than a number.
std::string diskProblem(int err)
{
    switch (err) {
    case ENOSPC:
        return "the disk is full";
#ifdef EDQUOT
    case EDQUOT:
        return "the disk quota is used up";
#endif
    case EFBIG:
        return "the file is larger than the disk or the user's limits allow";
    case EIO:
        return "the disk reported a read or write error";
    case EACCES:
    case EPERM:
        return "access is denied";
    case EROFS:
        return "the disk is read-only";
    case ENAMETOOLONG:
        return "the name is too long";
    case ENOMEM:
        return "there is not enough memory";
    default:
        return std::strerror(err);
    }
}

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveCloser>;

ArchivePtr openArchive(const std::string& archive, const std::string& archiveName)
{
    int code = 0;
    zip_t* handle = zip_open(archive.c_str(), ZIP_RDONLY, &code);
    if (handle)
        return ArchivePtr(handle);
    if (code == ZIP_ER_MEMORY)
        throw IoError("Not enough memory to open the archive " + archiveName);
    if (code == ZIP_ER_NOENT)
        throw IoError("File not found");
    if (code == ZIP_ER_OPEN) {
        const int err = errno;
        throw ioErrorFromErrno(err ? err : EACCES);
    }
    throw ZipError("The archive " + archiveName + " is damaged or not a ZIP archive (" +
                   libzipMessage(code) + ")");
}

ZipDirectory readDirectory(std::ifstream& file, const ZipLimits& limits, const ZipRefuser& refuse)
{
    try {
        return readZipDirectory(file, limits.maxDirectorySize, limits.maxEntries);
    } catch (const ZipDirectoryProblem& problem) {
        if (problem.kind == ZipDirectoryProblem::TooLarge)
            refuse.whole(problem.text);
        throw ZipError("The archive " + refuse.archiveName() +
                       " is damaged or not a ZIP archive (" + problem.text + ")");
    }
}

// What this extraction created, so that a failure half way can take it away again, and only it.
class CreatedPaths {
public:
    void file(std::string path) { files_.push_back(std::move(path)); }
    void folder(std::string path) { folders_.push_back(std::move(path)); }
    void forgetLastFile() { files_.pop_back(); }
    void removeAll() noexcept
    {
        std::error_code ec;
        for (const std::string& path : files_)
            fs::remove(fsPath(path), ec);
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
            fs::remove(fsPath(*it), ec); // only when empty: a folder is never emptied here
    }

private:
    std::vector<std::string> files_;
    std::vector<std::string> folders_;
};

std::string diskProblem(const std::error_code& ec)
{
    return platform::carriesErrno(ec) ? diskProblem(ec.value()) : ec.message();
}

void makeFolder(const std::string& path, CreatedPaths& created)
{
    std::error_code createError;
    if (fs::create_directory(fsPath(path), createError)) {
        created.folder(path);
        return;
    }
    // An existing folder is fine; a link or a file in its place is not followed.
    std::error_code ec;
    const auto status = fs::symlink_status(fsPath(path), ec);
    if (!ec && fs::is_directory(status))
        return;
    throw IoError("Cannot create the folder " + path + ": " +
                  (!ec && fs::exists(status) ? std::string("something else is in its place")
                                             : diskProblem(createError)));
}

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
        const int percent =
            state_.total == 0 ? 100 : static_cast<int>(state_.done * 100 / state_.total);
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
    void report()
    {
        if (meter_)
            meter_(state_);
    }
    const ZipMeter& meter_;
    ZipProgress state_;
};

// Writes one file: a new one directly, an existing one through a new file beside it that
// replaces it once complete, so a failure never leaves a file half old, half new.
class FileWriter {
public:
    FileWriter(const std::string& path, CreatedPaths& created) : path_(path), created_(created)
    {
        bool open = file_.create(path);
        if (!open && errno == EEXIST) {
            std::error_code ec;
            if (!fs::is_regular_file(fs::symlink_status(fsPath(path), ec)))
                throw IoError("Cannot create " + path + ": something else is in its place");
            temporary_ = path + ".unpacking";
            open = file_.create(temporary_);
        }
        if (!open)
            throw IoError("Cannot create " + target() + ": " + diskProblem(errno));
        created_.file(target());
    }

    void write(const char* data, std::size_t size)
    {
        if (!file_.writeAll(data, size))
            throw IoError("Cannot write " + path_ + ": " + diskProblem(errno));
    }
    void close()
    {
        if (!file_.close())
            throw IoError("Cannot write " + path_ + ": " + diskProblem(errno));
        if (temporary_.empty())
            return;
        std::error_code ec;
        fs::rename(fsPath(temporary_), fsPath(path_), ec);
        if (ec)
            throw IoError("Cannot replace " + path_ + ": " + ec.message());
        created_.forgetLastFile(); // the old file is gone; the new one stays
    }

private:
    const std::string& target() const { return temporary_.empty() ? path_ : temporary_; }
    const std::string& path_;
    CreatedPaths& created_;
    std::string temporary_;
    platform::NewFile file_; // closed once, also when the extraction fails
};

// The memory of an unpacking, taken once: two pieces for the streaming path, and the compressed
// and the inflated data of the whole entry that readWhole holds, grown to the largest one.
struct Buffers {
    std::array<std::vector<char>, 2> pieces{std::vector<char>(kBufferSize),
                                            std::vector<char>(kBufferSize)};
    std::vector<char> input;
    std::vector<char> output;
    WholeInflater inflater;
    std::uint64_t wholeLimit = 0; // ZipLimits::maxWholeEntry
};

// An entry within the whole-entry limit is inflated and checked before its file is created, so
// a damaged one leaves no file; then it is written in one call.
void extractWhole(ZipEntryReader& reader, const PlannedEntry& entry, const std::string& path,
                  Buffers& buffers, Progress& progress, CreatedPaths& created)
{
    reader.readWhole(buffers.inflater, buffers.input, buffers.output);
    FileWriter writer(path, created);
    writer.write(buffers.output.data(), static_cast<std::size_t>(entry.size));
    writer.close();
    progress.add(entry.size);
}

// With `parallelWrites`, inflating runs on this thread while the previous piece is checked and
// written on another, for entries large enough to pay for a thread per piece.
void extractFile(zip_t* archive, const PlannedEntry& entry, const std::string& path,
                 const std::string& archiveName, Buffers& all, bool parallelWrites,
                 Progress& progress, CreatedPaths& created)
{
    ZipEntryReader reader(archive, entry, archiveName, all.wholeLimit);
    if (reader.readsWhole())
        return extractWhole(reader, entry, path, all, progress, created);
    std::array<std::vector<char>, 2>& buffers = all.pieces;
    FileWriter writer(path, created);
    const bool checkCrc = reader.callerChecksCrc();
    std::uint32_t crc = 0;
    auto store = [&](const char* data, std::size_t size) {
        if (checkCrc)
            crc = zipCrc32(crc, data, size);
        writer.write(data, size);
    };
    const bool parallel = parallelWrites && entry.size > 2 * buffers[0].size();
    std::future<void> pending; // last, so that it is waited for before the rest goes
    for (std::uint64_t remaining = entry.size, piece = 0; remaining > 0; ++piece) {
        std::vector<char>& buffer = buffers[piece % 2];
        const std::size_t got = reader.read(buffer.data(), buffer.size(), remaining);
        if (pending.valid())
            pending.get();
        if (parallel)
            pending = std::async(std::launch::async, store, buffer.data(), got);
        else
            store(buffer.data(), got);
        remaining -= got;
        progress.add(got);
    }
    if (pending.valid())
        pending.get();
    reader.finish(crc);
    writer.close();
}

// Creates the folders of the plan once each, below the base folder, spelled as the first entry
// that named them.
class FolderMaker {
public:
    FolderMaker(const ZipNameTree& tree, const std::string& base, CreatedPaths& created)
        : tree_(tree), base_(base), created_(created), made_(tree.size(), false)
    {
        made_[ZipNameTree::kBase] = true;
    }
    void ensure(std::uint32_t node)
    {
        if (made_[node])
            return;
        ensure(tree_.parentOf(node));
        makeFolder(tree_.pathOf(node, base_), created_);
        made_[node] = true;
    }

private:
    const ZipNameTree& tree_;
    const std::string& base_;
    CreatedPaths& created_;
    std::vector<bool> made_;
};

ZipSummary writePlan(zip_t* zip, const ZipPlan& plan, const std::string& baseFolder,
                     const std::string& archiveName, const ZipMeter& meter, bool parallelWrites,
                     std::uint64_t wholeLimit)
{
    CreatedPaths created;
    try {
        makeFolder(baseFolder, created);
        FolderMaker folders(plan.tree, baseFolder, created);
        Progress progress(meter, plan.total);
        Buffers buffers;
        buffers.wholeLimit = wholeLimit;
        ZipSummary summary;
        for (const PlannedEntry& entry : plan.entries) {
            if (entry.folder) {
                folders.ensure(entry.node);
                ++summary.folders;
                continue;
            }
            folders.ensure(plan.tree.parentOf(entry.node));
            extractFile(zip, entry, plan.tree.pathOf(entry.node, baseFolder), archiveName, buffers,
                        parallelWrites, progress, created);
            ++summary.files;
            summary.bytes += entry.size;
        }
        progress.finish();
        return summary;
    } catch (const std::bad_alloc&) {
        created.removeAll();
        throw IoError("Not enough memory to unpack " + archiveName);
    } catch (...) {
        created.removeAll();
        throw;
    }
}

} // namespace

std::uint64_t freeDiskSpace(const std::string& path)
{
    std::error_code ec;
    const auto info = fs::space(fsPath(path), ec);
    if (ec || info.available == static_cast<std::uintmax_t>(-1))
        return UINT64_MAX;
    return info.available;
}

ZipSummary ZipExtractor::extractAll(const std::string& archive, const std::string& baseFolder)
{
    refuseOtherArchiveFormats(archive);
    const std::string archiveName = fileNameOf(archive);
    const ZipRefuser refuse(archiveName);
    ArchivePtr zip;
    ZipPlan plan;
    try {
        std::ifstream file(fsPath(archive), std::ios::binary);
        if (!file)
            zip = openArchive(archive, archiveName); // says why it cannot be opened
        const ZipDirectory directory = readDirectory(file, limits_, refuse);
        for (const ZipRecord& record : directory.records)
            checkRecord(record, refuse);
        zip = openArchive(archive, archiveName);
        try {
            plan = planArchive(zip.get(), file, directory, baseFolder, limits_, refuse);
        } catch (const ZipDirectoryProblem& problem) {
            throw ZipError("The archive " + archiveName + " is damaged (" + problem.text + ")");
        }
    } catch (const std::bad_alloc&) {
        throw IoError("Not enough memory to read the directory of the archive " + archiveName);
    }
    return writePlan(zip.get(), plan, baseFolder, archiveName, meter_, parallelWrites_,
                     limits_.maxWholeEntry);
}

} // namespace hx
