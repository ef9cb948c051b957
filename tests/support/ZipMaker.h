#pragma once
// Builds real ZIP archives with libzip for tests and benchmarks, including hostile ones: raw
// entry names, links, and byte patches of the headers for lying sizes, bad CRCs and the
// encryption flag.

#include <cstdint>
#include <string>
#include <vector>

namespace hx::test {

class ZipMaker {
public:
    // A file entry, Deflate-compressed unless `stored`. The name is stored exactly as given.
    ZipMaker& file(std::string name, std::string data, bool stored = false);
    // A file entry compressed by libzip's method `method` (ZIP_CM_DEFLATE, ZIP_CM_BZIP2, ...).
    ZipMaker& compressed(std::string name, std::string data, int method);
    // A folder entry; the name should end in '/'.
    ZipMaker& folder(std::string name);
    // A symbolic link entry (Unix mode 0120777 in the external attributes) pointing at `target`.
    ZipMaker& link(std::string name, std::string target);

    // Writes the archive to `path` (replaced when it exists).
    void save(const std::string& path) const;
    // The archive's bytes.
    std::string bytes() const;

private:
    struct Item {
        std::string name;
        std::string data;
        enum Kind { File, Folder, Link } kind = File;
        int method = 8; // ZIP_CM_DEFLATE
    };
    std::vector<Item> items_;
};

// Header fields of one entry that tests patch. Each patch changes both the local header and the
// central directory record of the entry with that name; LocalHeaderOffset exists in the central
// record only.
enum class ZipField { Flags, Method, Crc, CompressedSize, UncompressedSize, LocalHeaderOffset };
void patchZipEntry(std::string& archive, const std::string& name, ZipField field,
                   std::uint32_t value);

// Renames an entry in place (local header and central directory); the names must have the same
// length. Makes archives that libzip refuses to write, such as two entries of one name.
void renameZipEntry(std::string& archive, const std::string& from, const std::string& to);

// Where the local header of the entry with that name begins.
std::uint32_t localHeaderOffset(const std::string& archive, const std::string& name);

// An archive that libzip cannot write: `entries` central records (named f0, f1, ...) that all
// point at one local header and its stored `data`, so it unpacks to `entries` times its size.
std::string sharedDataZip(int entries, const std::string& data);

// Data that compresses like texture files: runs and repeated rows mixed with noise.
std::string textureLikeData(std::size_t size, std::uint32_t seed);

} // namespace hx::test
