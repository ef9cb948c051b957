#include "archive/ZipPlan.h"

#include "packages/SafeName.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <filesystem>

namespace hx {

void ZipRefuser::entry(std::string_view name, const std::string& reason) const
{
    throw ZipRefusal("The archive " + archiveName_ + " was refused: its entry \"" +
                     printableName(name) + "\" " + reason);
}

void ZipRefuser::whole(const std::string& reason) const
{
    throw ZipRefusal("The archive " + archiveName_ + " was refused: " + reason);
}

ZipNameTree::ZipNameTree()
{
    nodes_.push_back({kBase, false, 0, {}});
}

std::uint32_t ZipNameTree::add(std::uint32_t parent, std::string_view name, bool file,
                               std::size_t entry, bool& isNew)
{
    std::string key(reinterpret_cast<const char*>(&parent), sizeof parent);
    key += windowsCaseKey(name);
    const auto [found, inserted] =
        index_.emplace(std::move(key), static_cast<std::uint32_t>(nodes_.size()));
    isNew = inserted;
    if (inserted)
        nodes_.push_back({parent, file, entry, std::string(name)});
    return found->second;
}

std::string ZipNameTree::pathOf(std::uint32_t node, const std::string& base) const
{
    std::vector<std::uint32_t> chain;
    for (std::uint32_t at = node; at != kBase; at = nodes_[at].parent)
        chain.push_back(at);
    std::string path = base;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty() && path.back() != '/' && path.back() != '\\')
            path += std::filesystem::path::preferred_separator;
        path += nodes_[*it].name;
    }
    return path;
}

namespace {

std::string methodName(std::uint16_t method)
{
    switch (method) {
    case 1:
        return "Shrink";
    case 6:
        return "Implode";
    case 9:
        return "Deflate64";
    case 12:
        return "BZip2";
    case 14:
        return "LZMA";
    case 93:
        return "Zstandard";
    case 95:
        return "XZ";
    case 96:
        return "JPEG";
    case 97:
        return "WavPack";
    case 98:
        return "PPMd";
    default:
        return "number " + std::to_string(method);
    }
}

} // namespace

void checkRecord(const ZipRecord& record, const ZipRefuser& refuse)
{
    const std::string& name = record.rawName;
    // libzip shows control characters of names it takes for CP437 as symbols; they are checked
    // here, as stored.
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 32; }))
        refuse.entry(name, "holds a control character in its name");
    if (!name.empty() && (name.back() == '/' || name.back() == '\\'))
        return;
    if (record.method == 99)
        refuse.entry(name, "uses AES encryption, which is not supported");
    if (record.flags & 0x40)
        refuse.entry(name, "uses strong encryption, which is not supported");
    if (record.flags & 0x01)
        refuse.entry(name, "is encrypted, which is not supported");
    if (!zip_compression_method_supported(static_cast<zip_int32_t>(record.method), 0))
        refuse.entry(name, "uses the compression method " + methodName(record.method) +
                               ", which is not supported");
}

namespace {

// libzip and the tool's own reading must see one directory.
void checkAgreement(zip_t* zip, const ZipDirectory& directory, const ZipRefuser& refuse)
{
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    bool agree = count >= 0 && static_cast<std::uint64_t>(count) == directory.records.size();
    for (std::size_t i = 0; agree && i < directory.records.size(); ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        const char* raw = zip_get_name(zip, i, ZIP_FL_ENC_RAW);
        const ZipRecord& record = directory.records[i];
        agree = zip_stat_index(zip, i, ZIP_FL_UNCHANGED, &st) == 0 && raw &&
                record.rawName == raw && (st.valid & ZIP_STAT_SIZE) &&
                (st.valid & ZIP_STAT_COMP_SIZE) && st.size == record.size &&
                st.comp_size == record.compressedSize;
    }
    if (!agree)
        throw ZipError("The archive " + refuse.archiveName() +
                       " is damaged: its directory can be read in two ways");
}

// Entries whose bytes overlap let a small archive unpack to far more than it holds.
void checkSpans(zip_t* zip, const std::vector<ZipSpan>& spans, const ZipDirectory& directory,
                const ZipRefuser& refuse)
{
    auto nameOf = [&](std::size_t index) {
        const char* name = zip_get_name(zip, index, 0);
        return std::string(name ? name : "");
    };
    for (std::size_t i = 0; i + 1 < spans.size(); ++i)
        if (spans[i].end > spans[i + 1].begin)
            refuse.entry(nameOf(spans[i + 1].index), "overlaps the entry \"" +
                                                         printableName(nameOf(spans[i].index)) +
                                                         "\": their data share bytes of the file");
    if (!spans.empty() && spans.back().end > directory.offset)
        refuse.entry(nameOf(spans.back().index), "overlaps the central directory");
}

// The length of `text` in the units the system's path limit counts.
std::size_t pathUnits(std::string_view text, const platform::PathLimit& limit)
{
    return limit.utf16Units ? utf16Length(text) : text.size();
}

template <typename Visit> void forEachPart(std::string_view name, Visit visit)
{
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        const std::string_view part = name.substr(start, end - start);
        start = end + 1;
        if (!part.empty() && part != ".")
            visit(part);
    }
}

// Checks the parts of a stored name without keeping any copy of them, so that a name of any
// length or depth costs nothing before it is refused.
std::size_t checkName(const std::string& name, const std::string& base, const ZipRefuser& refuse)
{
    if (name.empty())
        refuse.entry(name, "has no name");
    if (name.front() == '/' || name.front() == '\\')
        refuse.entry(name, "has an absolute path");
    if (name.size() >= 2 && name[1] == ':')
        refuse.entry(name, "names a drive");
    if (!isValidUtf8(name))
        refuse.entry(name, "has a name that is not valid UTF-8");
    const platform::PathLimit limit = platform::pathLimit();
    std::size_t length = pathUnits(base, limit);
    std::size_t parts = 0;
    forEachPart(name, [&](std::string_view part) {
        if (part == "..")
            refuse.entry(name, "leaves the unpack folder");
        if (const char* problem = plainNameProblem(part))
            refuse.entry(name, "has a name Windows cannot hold: \"" + printableName(part) + "\" " +
                                   problem);
        length += 1 + pathUnits(part, limit); // the separator in front of it, and the part
        ++parts;
    });
    if (length > limit.longest)
        refuse.entry(name, "has too long a path: " + std::to_string(length) +
                               (limit.utf16Units ? " characters" : " bytes") +
                               " with the unpack folder, more than the " +
                               std::to_string(limit.longest) + " allowed");
    return parts;
}

void checkKind(zip_t* zip, zip_uint64_t index, PlannedEntry& entry, const ZipRefuser& refuse)
{
    entry.folder = entry.name.back() == '/' || entry.name.back() == '\\';
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(zip, index, 0, &opsys, &attributes) != 0 ||
        opsys != ZIP_OPSYS_UNIX)
        return;
    const unsigned type = (attributes >> 16) & 0170000u;
    if (type == 0120000u)
        refuse.entry(entry.name, "is a symbolic link");
    if (type == 0040000u)
        entry.folder = true;
    else if (type != 0 && type != 0100000u)
        refuse.entry(entry.name, "is not a plain file or folder");
}

// Places the entry in the tree: two files of one name, or a file where a folder is, refuse.
void placeEntry(ZipNameTree& tree, std::vector<PlannedEntry>& plan, PlannedEntry& entry,
                const ZipRefuser& refuse)
{
    std::uint32_t node = ZipNameTree::kBase;
    std::size_t left = 0;
    forEachPart(entry.name, [&](std::string_view) { ++left; });
    forEachPart(entry.name, [&](std::string_view part) {
        const bool file = --left == 0 && !entry.folder;
        bool isNew = false;
        node = tree.add(node, part, file, plan.size(), isNew);
        if (isNew || (!file && !tree.isFile(node)))
            return;
        const std::string& other = plan[tree.entryOf(node)].name;
        refuse.entry(entry.name, file && tree.isFile(node)
                                     ? "has the same name as the entry \"" + printableName(other) +
                                           "\" on Windows"
                                     : "is a file and a folder at once, with the entry \"" +
                                           printableName(other) + "\"");
    });
    entry.node = node;
}

void checkSize(ZipPlan& plan, const PlannedEntry& entry, const ZipLimits& limits,
               const ZipRefuser& refuse)
{
    if (entry.size > limits.maxTotalSize || plan.total > limits.maxTotalSize - entry.size)
        refuse.entry(entry.name, "brings the unpacked size over the " +
                                     std::to_string(limits.maxTotalSize) + " bytes allowed");
    plan.total += entry.size;
}

void checkFreeSpace(const ZipPlan& plan, const std::string& baseFolder, const ZipRefuser& refuse)
{
    std::error_code ec;
    const std::filesystem::path base(baseFolder);
    const std::string where = std::filesystem::is_directory(base, ec) ? baseFolder
                              : base.has_parent_path()                ? base.parent_path().string()
                                                                      : std::string(".");
    const std::uint64_t free = freeDiskSpace(where);
    if (plan.total > free)
        throw IoError("Not enough disk space to unpack " + refuse.archiveName() + " into " +
                      baseFolder + ": it needs " + std::to_string(plan.total) + " bytes, " +
                      std::to_string(free) + " are free");
}

} // namespace

ZipPlan planArchive(zip_t* zip, std::ifstream& file, const ZipDirectory& directory,
                    const std::string& baseFolder, const ZipLimits& limits,
                    const ZipRefuser& refuse)
{
    checkAgreement(zip, directory, refuse);
    ZipPlan plan;
    plan.entries.reserve(directory.records.size());
    for (std::size_t i = 0; i < directory.records.size(); ++i) {
        const ZipRecord& record = directory.records[i];
        PlannedEntry entry;
        entry.index = i;
        const char* name = zip_get_name(zip, i, 0);
        entry.name = name ? name : "";
        if (checkName(entry.name, baseFolder, refuse) == 0 &&
            !(entry.name.back() == '/' || entry.name.back() == '\\'))
            refuse.entry(entry.name, "has no file name");
        checkKind(zip, i, entry, refuse);
        if (!entry.folder) {
            entry.size = record.size;
            checkSize(plan, entry, limits, refuse);
        }
        placeEntry(plan.tree, plan.entries, entry, refuse);
        plan.entries.push_back(std::move(entry));
    }
    checkSpans(zip, readZipSpans(file, directory), directory, refuse);
    if (limits.checkFreeSpace)
        checkFreeSpace(plan, baseFolder, refuse);
    return plan;
}

} // namespace hx
