#pragma once
// The whole-archive check that comes before the first byte is written: every entry's name,
// kind, method and size, and the layout of the file, judged against the budgets. Its result is
// the plan the extractor follows: which entries to write where, in which folders.

#include "archive/ZipDirectory.h"
#include "archive/ZipTypes.h"

#include <zip.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace hx {

// Words the refusals of one archive.
class ZipRefuser {
public:
    explicit ZipRefuser(std::string archiveName) : archiveName_(std::move(archiveName)) {}
    const std::string& archiveName() const { return archiveName_; }
    [[noreturn]] void entry(std::string_view name, const std::string& reason) const;
    [[noreturn]] void whole(const std::string& reason) const;

private:
    std::string archiveName_;
};

// The folders and files of an archive as Windows would see them: one node per distinct path,
// keyed by its parent and its name in Windows' letter case, so memory grows with the total
// length of the names and not with the square of their depth.
class ZipNameTree {
public:
    static constexpr std::uint32_t kBase = 0;
    ZipNameTree();

    // The node of `name` below `parent`: the one already there, or a new one spelled `name`.
    // `isNew` tells which. Throws std::bad_alloc like any container.
    std::uint32_t add(std::uint32_t parent, std::string_view name, bool file, std::size_t entry,
                      bool& isNew);
    bool isFile(std::uint32_t node) const { return nodes_[node].file; }
    std::size_t entryOf(std::uint32_t node) const { return nodes_[node].entry; }
    std::uint32_t parentOf(std::uint32_t node) const { return nodes_[node].parent; }
    std::size_t size() const { return nodes_.size(); }
    // `base` followed by the spelled names from the base down to `node`.
    std::string pathOf(std::uint32_t node, const std::string& base) const;

private:
    struct Node {
        std::uint32_t parent;
        bool file;
        std::size_t entry; // the entry that first named it
        std::string name;  // as that entry spelled it
    };
    std::vector<Node> nodes_;
    std::unordered_map<std::string, std::uint32_t> index_;
};

struct PlannedEntry {
    zip_uint64_t index = 0;
    std::string name;      // as stored, for messages
    std::uint32_t node{0}; // its file or folder in the tree; kBase for "./"
    bool folder = false;
    std::uint64_t size = 0;
};

struct ZipPlan {
    std::vector<PlannedEntry> entries;
    ZipNameTree tree;
    std::uint64_t total = 0;
};

// What the directory alone says about an entry, checked before libzip reads the archive:
// control characters in its stored name, encryption and the compression method.
void checkRecord(const ZipRecord& record, const ZipRefuser& refuse);

// Checks the archive that `zip` and `file` both read and whose directory is `directory`;
// throws ZipRefusal, ZipError or (for the disk's free space) IoError; writes nothing.
ZipPlan planArchive(zip_t* zip, std::ifstream& file, const ZipDirectory& directory,
                    const std::string& baseFolder, const ZipLimits& limits,
                    const ZipRefuser& refuse);

} // namespace hx
